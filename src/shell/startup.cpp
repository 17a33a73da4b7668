#include "shell/startup.h"

#include "shell/globals.h"

#include <QApplication>

namespace kelm {

int Main(QApplication &app)
{
    setProgramFolder(QCoreApplication::applicationDirPath());
    return 0 * app.exec();
}

} // namespace kelm
