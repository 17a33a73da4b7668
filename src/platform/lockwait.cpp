#include "platform/lockwait.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <thread>

namespace kelm {

namespace {

std::atomic<int> s_limitMs{10000};

// Most waits for another copy's save last a few milliseconds: only a longer
// one changes the pointer.
constexpr int kShowAfterMs = 200;
// How often the windows are painted again while a wait lasts.
constexpr int kPaintEveryMs = 50;

struct Wait {
    QElapsedTimer since;
    QElapsedTimer painted;
    enum { Undecided, Shown, Quiet } show = Undecided;
};

// The wait of the statement in progress on this thread; a statement begun by
// painting during a wait (which the data layer refuses) would have its own.
thread_local Wait t_wait;
thread_local Wait t_waitInPaint;

// Set only on the user-interface thread, while it paints inside a wait.
thread_local bool t_painting = false;
// Changed on the user-interface thread only; read by every statement's end.
std::atomic<bool> s_pointerShown{false};

bool onUserInterfaceThread()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

// A widget in the middle of its paint event (a statement begun while a grid
// draws): painting the windows from inside it would paint them recursively.
bool insidePaint()
{
    const QWidgetList widgets = QApplication::allWidgets();
    for (const QWidget *w : widgets)
        if (w->testAttribute(Qt::WA_WState_InPaintEvent))
            return true;
    return false;
}

void hidePointer()
{
    if (!s_pointerShown)
        return;
    const QCursor *top = QApplication::overrideCursor();
    if (top && top->shape() != Qt::WaitCursor) {
        // A message box shows the arrow over it meanwhile: once it is gone.
        QTimer::singleShot(100, QCoreApplication::instance(), &hidePointer);
        return;
    }
    // (None left: a failed command has put the normal pointer back already.)
    s_pointerShown = false;
    if (top)
        QApplication::restoreOverrideCursor();
}

void showPointer()
{
    if (s_pointerShown)
        return;
    s_pointerShown = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // SQLite does not tell the handler that the lock was had: the data layer
    // ends the wait when the statement returns (lockWaitOver); for a handle of
    // SQLite's own, the pointer goes once the program is back in its event loop.
    QTimer::singleShot(0, QCoreApplication::instance(), &hidePointer);
}

// Paints what needs it and every window whole (what another window uncovered
// meanwhile): the posted update requests alone, no other event.
void paintWindows()
{
    t_painting = true;
    try {
        const QWidgetList tops = QApplication::topLevelWidgets();
        for (QWidget *w : tops)
            if (w->isVisible())
                w->update();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    } catch (...) {
        // Nothing may leave through SQLite's frames; a window that failed to
        // paint is painted again later.
    }
    t_painting = false;
}

} // namespace

int lockWaitHandler(void *, int count)
{
    Wait &w = t_painting ? t_waitInPaint : t_wait;
    if (count == 0 || !w.since.isValid()) {
        w.since.start();
        w.painted.invalidate();
        w.show = Wait::Undecided;
    }
    const qint64 waited = w.since.elapsed();
    if (waited >= s_limitMs.load(std::memory_order_relaxed)) {
        if (w.show == Wait::Shown)
            hidePointer();
        return 0;
    }
    if (waited >= kShowAfterMs && w.show == Wait::Undecided)
        w.show = (!t_painting && onUserInterfaceThread() && !insidePaint()) ? Wait::Shown : Wait::Quiet;
    if (w.show == Wait::Shown) {
        showPointer();
        if (!w.painted.isValid() || w.painted.elapsed() >= kPaintEveryMs) {
            w.painted.start();
            paintWindows();
        }
    }
    // Short naps of varying length: SQLite's own busy timeout sleeps longer and
    // longer (up to 100 ms a try), so a copy that saves continuously takes the
    // lock again in the short gap between two of its saves while the other copy
    // still sleeps, and the other copy waits out the whole time. This way the
    // waiting copy tries again within a millisecond of the lock being let go.
    const int micros = 100 + int(QRandomGenerator::global()->bounded(400));
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
    return 1;
}

void setLockWaitLimit(int milliseconds)
{
    s_limitMs.store(milliseconds, std::memory_order_relaxed);
}

int lockWaitLimit()
{
    return s_limitMs.load(std::memory_order_relaxed);
}

bool lockWaitPainting()
{
    return t_painting;
}

void lockWaitOver()
{
    if (s_pointerShown.load(std::memory_order_relaxed) && !t_painting && onUserInterfaceThread())
        hidePointer();
}

} // namespace kelm
