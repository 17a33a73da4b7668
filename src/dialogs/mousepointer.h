#pragma once
// The screen's mouse pointer as one setting, hourglass or normal, the way the
// commands and the search dialogs switch it: setting the hourglass twice and
// the normal pointer once leaves the normal pointer. (Qt's override cursor is a
// stack; a command and the dialog it shows both set the hourglass, and the
// dialog's load must end with the normal pointer.)

namespace kelm {

void setWaitPointer();
void setNormalPointer();
bool isWaitPointer();

// Sets the normal pointer when it goes out of scope, on every path.
class NormalPointerOnExit {
public:
    NormalPointerOnExit() = default;
    ~NormalPointerOnExit() { setNormalPointer(); }
    NormalPointerOnExit(const NormalPointerOnExit &) = delete;
    NormalPointerOnExit &operator=(const NormalPointerOnExit &) = delete;
};

// The hourglass for the length of one piece of work, restored on every path.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace kelm
