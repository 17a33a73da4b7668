#pragma once
// The program's application object and the one way a failed command is reported.

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

namespace kelm {

// Runs one command. A DbError or any other exception it throws ends that command
// only: the pointer is restored and the failure is shown in DiaInf under the
// caption; the program goes on. Returns false when the command failed.
bool runGuarded(const QString &caption, const std::function<void()> &command);

// Shows a caught failure: DiaInf with the caption and "number:description" for a
// DbError, the exception's text otherwise. Restores the pointer first.
void reportFailure(const QString &caption, std::exception_ptr failure);

// Loads Qt's own Bulgarian texts (qtbase_bg from Qt's translations folder), so
// that standard buttons, file and print dialogs and the context menus of text
// boxes speak Bulgarian, and after them the program's own Bulgarian for the few
// texts of the print and file dialogs that Qt's lacks. Qt's own file dialogs show
// their dates in Bulgarian too. False when Qt's texts are not installed: Qt then
// speaks English.
bool loadQtTranslations(QCoreApplication &app);

// The last line of defence: an exception that escapes an event handler is
// reported like a failed command instead of ending the program.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace kelm
