#include "dialogs/mousepointer.h"

#include <QApplication>

namespace kelm {

static bool s_wait = false;

void setWaitPointer()
{
    if (s_wait)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    s_wait = true;
}

void setNormalPointer()
{
    if (!s_wait)
        return;
    QApplication::restoreOverrideCursor();
    s_wait = false;
}

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

bool isWaitPointer()
{
    return s_wait;
}

} // namespace kelm
