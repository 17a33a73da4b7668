#pragma once
// Where a window opens. A message or a question opens centred over the window
// that asked it, on that window's screen, not in the middle of the desktop; a
// window the program opens fits the screen it opens on.

class QMargins;
class QPoint;
class QRect;
class QWidget;

namespace kelm {

// The window a message or a question is asked from: the modal dialog on top,
// else the active window; nullptr when no window of the program is active.
// besides (the box being shown itself) never counts, nor does a window it owns:
// a box placed over a window it owns would become the owner of its own owner.
QWidget *askingWindow(const QWidget *besides = nullptr);

// The window a screen is opened from, to be its parent: the modal window on top,
// else the active window, else the main window (a visible window that is no
// dialog and belongs to none). Never a message or question box and never a
// hidden window: a box just answered may still be reported active, and a screen
// made its child would turn the next question over the screen into a loop of
// owners. nullptr when the program shows no window.
QWidget *openingWindow();

// Places a top-level window about to be shown, at the size it will show, centred
// over owner and wholly on the free area of owner's screen, title bar included.
// A window larger than that area that may be resized is made smaller first.
// Without an owner the window keeps to its own screen and is placed as Qt places
// a new one (a dialog centred on the screen).
void centreOver(QWidget &window, const QWidget *owner);

// A message or question box about to be shown: centred over the asking window.
void placeOverAskingWindow(QWidget &box);

// Where a window opens from a stored place (the top-left of its frame and its
// inner size, as move() and resize() take them): on the screen that holds the
// most of it, or at fallback when no screen holds any of it; no larger than the
// free area of that screen and wholly on it, frame included.
QRect placeOnScreen(const QRect &stored, const QPoint &fallback, const QMargins &frame);

} // namespace kelm
