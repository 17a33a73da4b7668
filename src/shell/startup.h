#pragma once
class QApplication;
namespace kelm {
// The program's start: paths, connection strings, splash, sign-in, main window.
// Returns the exit code of the event loop (0 when the sign-in was cancelled).
int Main(QApplication &app);
}
