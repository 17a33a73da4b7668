#include "platform/placement.h"

#include <QApplication>
#include <QMargins>
#include <QMessageBox>
#include <QPointer>
#include <QRect>
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

// Marks the windows that carry a message or a question.
const char *const kBoxProperty = "kelmAskingBox";

bool isBox(const QWidget *w)
{
    return qobject_cast<const QMessageBox *>(w) || w->property(kBoxProperty).toBool();
}

// True when owner is window itself or a window it belongs to, however far up.
// The walk is bounded: owners that already form a loop end it too.
bool belongsTo(const QWidget *window, const QWidget *owner)
{
    for (int depth = 0; window && depth < 16; ++depth) {
        if (window == owner)
            return true;
        window = ownerOf(window);
    }
    return false;
}

// The main window: shown, no dialog, belonging to no other window.
QWidget *mainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowType() == Qt::Window && !ownerOf(w) && !isBox(w))
            return w;
    return nullptr;
}

} // namespace

QWidget *openingWindow()
{
    for (QWidget *w : {QApplication::activeModalWidget(), QApplication::activeWindow(), mainWindow()}) {
        if (w)
            w = w->window();
        // From a hidden window or a box to the window it was shown over.
        for (int depth = 0; w && (!w->isVisible() || isBox(w)) && depth < 8; ++depth)
            w = ownerOf(w);
        if (w && w->isVisible() && !isBox(w))
            return w;
    }
    return nullptr;
}

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
        if (w && w->isVisible() && !(besides && belongsTo(w, besides))) {
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

QRect placeOnScreen(const QRect &stored, const QPoint &fallback, const QMargins &frame)
{
    QRect outer(stored.topLeft(), stored.size().grownBy(frame));
    QScreen *screen = nullptr;
    qint64 most = 0;
    for (QScreen *s : QGuiApplication::screens()) {
        const QRect common = outer.intersected(s->availableGeometry());
        const qint64 area = qint64(common.width()) * common.height();
        if (!common.isEmpty() && area > most) {
            most = area;
            screen = s;
        }
    }
    if (!screen) {
        // Stored for a screen that is not there (any more).
        outer.moveTopLeft(fallback);
        screen = QGuiApplication::screenAt(fallback);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return QRect(fallback, stored.size());
    }
    const QRect room = screen->availableGeometry();
    const QSize size = stored.size().boundedTo(room.size().shrunkBy(frame));
    outer = QRect(outer.topLeft(), size.grownBy(frame));
    if (outer.right() > room.right())
        outer.moveRight(room.right());
    if (outer.bottom() > room.bottom())
        outer.moveBottom(room.bottom());
    outer.moveLeft(std::max(outer.left(), room.left()));
    outer.moveTop(std::max(outer.top(), room.top()));
    return QRect(outer.topLeft(), size);
}

void placeOverAskingWindow(QWidget &box)
{
    box.setProperty(kBoxProperty, true);
    QWidget *asker = askingWindow(&box);
    // The box belongs to the asking window: the window manager keeps it above it.
    if (QWindow *handle = box.windowHandle())
        handle->setTransientParent(asker ? asker->windowHandle() : nullptr);
    centreOver(box, asker);
}

} // namespace kelm
