#pragma once
#include <QString>
class QApplication;
namespace kelm {
// The program's start: paths, connection strings, splash, sign-in, main window.
// Returns the exit code of the event loop (0 when the sign-in was cancelled).
int Main(QApplication &app);
// Checks that the main database exists and is this program's; otherwise shows a
// message naming the file and returns false. Creates nothing.
bool checkMainDatabase(const QString &path);
// "Тревалон 2.3.4 - " followed by the company name.
QString mainWindowTitle();
}
