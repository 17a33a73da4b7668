#include "shell/startup.h"

#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/version.h"
#include "scratch/temptable.h"
#include "shell/archive.h"
#include "shell/frmmain.h"
#include "shell/frmsplash.h"
#include "shell/userlogin.h"

#include <QApplication>
#include <QDir>

namespace kelm {

bool checkMainDatabase(const QString &path)
{
    QString why;
    if (isKelmDatabase(path, &why))
        return true;
    msgBox(joinLines({QStringLiteral("Основната база данни не може да бъде използвана:"),
                      QDir::toNativeSeparators(path), why,
                      QStringLiteral("Програмата ще бъде затворена.")}),
           QStringLiteral("ГРЕШКА!"), true);
    return false;
}

QString mainWindowTitle()
{
    return QStringLiteral("Тревалон ") + versionFull() + QStringLiteral(" - ") + gFirmName;
}

int Main(QApplication &app)
{
    setProgramFolder(QCoreApplication::applicationDirPath());
    // What copies that died left behind; never a running copy's.
    removeLeftScratchDatabases(programFolder());
    app.setWindowIcon(QIcon(programPicture(64)));
    // The program ends when the main window unloads, not when some dialog of the
    // start (splash, sign-in) happens to be the last window to close.
    app.setQuitOnLastWindowClosed(false);

    if (!checkMainDatabase(gDbPath))
        return 1;

    {
        FrmSplash splash;
        splash.show();
        splash.close();
    }

    if (!runUserLogin())
        return 0;
    removeLeftScratchFiles();

    auto *main = new FrmMain;
    if (!main->load()) {
        delete main;
        return 1;
    }
    main->setWindowTitle(mainWindowTitle());
    QObject::connect(main, &FrmMain::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    main->show();
    const int rc = app.exec();
    delete main;
    releaseScratchDatabase();
    return rc;
}

} // namespace kelm
