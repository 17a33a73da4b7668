#pragma once
#include "platform/placement.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace kelm {

// Brings an open window to the front and gives it the focus.
void bringForward(QWidget *w);

// A modeless screen that exists once: a second command brings the open one
// forward instead of opening another. `make` builds and loads the screen and
// returns nullptr when loading failed (it has then said why); the screen is
// shown, deleted when it closes, and kept in `slot` while it lives.
// Returns the screen shown, or nullptr when none could be opened.
template <class W, class Make>
W *showSingle(QPointer<W> &slot, Make &&make)
{
    if (slot) {
        bringForward(slot);
        return slot;
    }
    W *w = make();
    if (!w)
        return nullptr;
    w->setAttribute(Qt::WA_DeleteOnClose);
    slot = w;
    w->show();
    return w;
}

// showSingle for a screen made over the window it is opened from and filled by its own
// load(), which returns false (having said why) when the screen is not to open.
template <class W>
W *showSingleLoaded(QPointer<W> &slot)
{
    return showSingle(slot, []() -> W * {
        auto *w = new W(openingWindow());
        if (!w->load()) {
            delete w;
            return nullptr;
        }
        return w;
    });
}

} // namespace kelm
