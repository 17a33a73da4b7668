#include "platform/placement.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace kelm {

namespace {

// The last window a message or question was asked from.
QPointer<QWidget> s_lastAsker;

// The window a hidden window belongs to: the one a box was shown over (its
// transient parent), or the window of its parent; nullptr when none.
QWidget *ownerOf(const QWidget *window)
{
    if (const QWidget *parent = window->parentWidget())
        return parent->window();
    const QWindow *handle = window->windowHandle();
    const QWindow *over = handle ? handle->transientParent() : nullptr;
    if (!over)
        return nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowHandle() == over)
            return w;
    return nullptr;
}

} // namespace

QWidget *askingWindow(const QWidget *besides)
{
    // A box just closed may still be the active window, or none may be, until
    // the window system gives the activation back: the window it was asked from
    // stands in (a question right after a message).
    for (QWidget *w : {QApplication::activeModalWidget(), QApplication::activeWindow(), s_lastAsker.data()}) {
        if (w)
            w = w->window();
        for (int depth = 0; w && !w->isVisible() && depth < 8; ++depth)
            w = ownerOf(w);
        if (w && w != besides && w->isVisible()) {
            s_lastAsker = w;
            return w;
        }
    }
    return nullptr;
}

void centreOver(QWidget &window, const QWidget *owner)
{
    QScreen *screen = owner ? owner->screen() : window.screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    // The window manager's frame is not known before the window shows: it is
    // taken to be as thick as the owner's (the window's own once it was shown).
    const QWidget &framed = owner ? *owner : window;
    const QRect outer = framed.frameGeometry();
    const QRect inner = framed.geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());

    const bool resizable = window.minimumSize() != window.maximumSize();
    if (resizable) {
        const QSize most = room.size().shrunkBy(frame).expandedTo(window.minimumSize());
        if (window.width() > most.width() || window.height() > most.height())
            window.resize(window.size().boundedTo(most));
    }
    if (!owner) {
        // Placed anew by Qt, as when it first showed.
        window.setAttribute(Qt::WA_Moved, false);
        return;
    }
    QRect place(QPoint(), window.size());
    place.moveCenter(owner->geometry().center());
    QRect whole = place.marginsAdded(frame);
    // Right and bottom first, so that a window larger than the screen keeps its
    // title bar on it.
    if (whole.right() > room.right())
        whole.moveRight(room.right());
    if (whole.bottom() > room.bottom())
        whole.moveBottom(room.bottom());
    whole.moveLeft(std::max(whole.left(), room.left()));
    whole.moveTop(std::max(whole.top(), room.top()));
    if (window.screen() != screen)
        window.setScreen(screen);
    window.move(whole.topLeft());
}

void placeOverAskingWindow(QWidget &box)
{
    QWidget *asker = askingWindow(&box);
    // The box belongs to the asking window: the window manager keeps it above it.
    if (QWindow *handle = box.windowHandle())
        handle->setTransientParent(asker ? asker->windowHandle() : nullptr);
    centreOver(box, asker);
}

} // namespace kelm
