#include "platform/singlewindow.h"

namespace kelm {

void bringForward(QWidget *w)
{
    if (!w)
        return;
    if (w->isMinimized())
        w->showNormal();
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace kelm
