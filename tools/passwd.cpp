// Changes the administrator's password in the Kelm.mdb beside this command:
//   ./kelm-passwd [user]             asks on the terminal, or takes KELM_ADMIN_PASSWORD
//   ./kelm-passwd --install [user]   the same when a new Kelm.mdb was installed; with
//                                    neither a terminal nor the variable the password
//                                    stays "admin" and a warning says so
// The user is "admin" unless named. Nothing but that user's password is touched.
#include "platform/database.h"
#include "shell/adminpassword.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <termios.h>
#include <unistd.h>

using namespace kelm;

namespace {

void say(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// One line from the terminal without echo, as its bytes; nothing at the end of input.
bool askHidden(const QString &prompt, QByteArray *out)
{
    std::fprintf(stderr, "%s", prompt.toLocal8Bit().constData());
    std::fflush(stderr);
    termios old{};
    const bool tty = tcgetattr(STDIN_FILENO, &old) == 0;
    if (tty) {
        termios quiet = old;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    int c = 0;
    while ((c = std::getchar()) != EOF && c != '\n')
        line.push_back(char(c));
    if (tty) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
        std::fprintf(stderr, "\n");
    }
    if (c == EOF && line.empty())
        return false;
    *out = QByteArray(line.data(), qsizetype(line.size()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool install = args.removeAll(QStringLiteral("--install")) > 0;
    if (args.size() > 1 || (!args.isEmpty() && args.first().startsWith(QLatin1Char('-')))) {
        say(QStringLiteral("usage: kelm-passwd [--install] [user]"));
        return 2;
    }
    const QString user = args.isEmpty() ? QStringLiteral("admin") : args.first();
    const QString dbPath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Kelm.mdb"));
    const QString keepWarning = QStringLiteral(
        "ВНИМАНИЕ: паролата на администратора „%1“ остава „admin“. Сменете я с ./kelm-passwd в папката %2")
                                    .arg(user, QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));

    QString password;
    if (qEnvironmentVariableIsSet(kAdminPasswordVariable)) {
        if (const QString why = adminPasswordRefusal(qgetenv(kAdminPasswordVariable), &password); !why.isEmpty()) {
            say(QStringLiteral("%1: %2").arg(QLatin1String(kAdminPasswordVariable), why));
            if (install)
                say(keepWarning);
            return install ? 0 : 1;
        }
    } else if (isatty(STDIN_FILENO)) {
        bool done = false;
        for (int attempt = 0; attempt < 3 && !done; ++attempt) {
            QByteArray typed, again;
            if (!askHidden(QStringLiteral("Нова парола на администратора „%1“: ").arg(user), &typed)
                || !askHidden(QStringLiteral("Повторете паролата: "), &again))
                break;
            if (const QString why = adminPasswordRefusal(typed, &password); !why.isEmpty())
                say(why);
            else if (typed != again)
                say(QStringLiteral("Двете пароли не съвпадат."));
            else
                done = true;
        }
        if (!done) {
            say(install ? keepWarning : QStringLiteral("Паролата не е сменена."));
            return install ? 0 : 1;
        }
    } else if (install) {
        say(keepWarning);
        return 0;
    } else {
        say(QStringLiteral("Няма терминал, от който да се прочете паролата: задайте я в променливата %1.")
                .arg(QLatin1String(kAdminPasswordVariable)));
        return 2;
    }

    try {
        if (!setAdminPassword(dbPath, user, password)) {
            say(QStringLiteral("В %1 няма администратор „%2“.").arg(QDir::toNativeSeparators(dbPath), user));
            return 1;
        }
    } catch (const DbError &e) {
        say(e.text());
        return 1;
    }
    say(QStringLiteral("Паролата на администратора „%1“ е сменена.").arg(user));
    return 0;
}
