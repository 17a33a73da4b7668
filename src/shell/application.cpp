#include "shell/application.h"

#include "dialogs/diainf.h"
#include "platform/database.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace kelm {

namespace {
// An hourglass set by the failed command (or by a dialog it opened) must not
// outlive it: every pending override goes.
void restorePointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}
} // namespace

void reportFailure(const QString &caption, std::exception_ptr failure)
{
    restorePointer();
    QString text;
    try {
        std::rethrow_exception(failure);
    } catch (const DbError &e) {
        text = e.text();
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("Неизвестна грешка");
    }
    DiaInf::show(caption.isEmpty() ? QStringLiteral("ГРЕШКА!") : caption, text);
}

bool runGuarded(const QString &caption, const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (...) {
        reportFailure(caption, std::current_exception());
        return false;
    }
}

bool loadQtTranslations(QCoreApplication &app)
{
    auto *qt = new QTranslator(&app);
    if (!qt->load(QStringLiteral("qtbase_bg"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    return QCoreApplication::installTranslator(qt);
}

Application::Application(int &argc, char **argv) : QApplication(argc, argv)
{
    loadQtTranslations(*this);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportFailure(QStringLiteral("ГРЕШКА!"), std::current_exception());
        return false;
    }
}

} // namespace kelm
