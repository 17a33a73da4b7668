#pragma once
// A window that holds the program (a dialog shown modally: a preview, a modal
// screen, a question) is never left minimised. While it is open every other
// window of the program takes no click and no key, so a minimised one would
// leave the program deaf with nothing on screen to bring it back. Minimised, it
// comes back at once, raised and active; it is brought back too whenever the
// program or one of its windows is activated while one is minimised.

namespace kelm {

// Starts the watch over every window of the application (once, however often it
// is called); the program calls it at start, after the application object exists.
void keepModalWindowsInView();

} // namespace kelm
