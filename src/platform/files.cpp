#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kelm {

namespace {

// The database itself and the files SQLite keeps beside it.
const char *const kSides[] = {"", kSqliteSideEndings[0], kSqliteSideEndings[1], kSqliteSideEndings[2]};

bool identityOf(const QString &path, struct stat *st)
{
    return ::stat(QFile::encodeName(path).constData(), st) == 0;
}

// The name path finally stands for, its symbolic links followed as far as they
// lead, also to a file that is not there.
QString finalName(QString path)
{
    for (int hop = 0; hop < 40; ++hop) {
        const QByteArray name = QFile::encodeName(path);
        struct stat st;
        if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        QByteArray to(PATH_MAX, '\0');
        const ssize_t length = ::readlink(name.constData(), to.data(), size_t(to.size()));
        if (length <= 0)
            break;
        to.truncate(int(length));
        const QString next = QFile::decodeName(to);
        path = QDir::isAbsolutePath(next) ? next : QFileInfo(path).absolutePath() + QLatin1Char('/') + next;
    }
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void unlinkSqliteFiles(const QByteArray &encodedPath, bool withDatabase)
{
    for (const char *side : kSqliteSideEndings)
        ::unlink((encodedPath + side).constData());
    if (withDatabase)
        ::unlink(encodedPath.constData());
}

bool isDatabaseFileOrSide(const QString &path, const QString &database)
{
    if (path.isEmpty() || database.isEmpty())
        return false;
    struct stat target;
    if (identityOf(path, &target)) {
        for (const char *side : kSides) {
            struct stat st;
            if (identityOf(database + QLatin1String(side), &st) && sameFile(st, target))
                return true;
        }
    }
    // A name of a side file that is not there now (or a link to one) would be
    // taken by SQLite for its own the moment a file of that name appeared.
    const QFileInfo name(finalName(path));
    const QFileInfo db(QFileInfo(database).absoluteFilePath());
    struct stat folder, dbFolder;
    if (!identityOf(name.absolutePath(), &folder) || !identityOf(db.absolutePath(), &dbFolder) || !sameFile(folder, dbFolder))
        return false;
    for (const char *side : kSides) {
        if (name.fileName().compare(db.fileName() + QLatin1String(side), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString fileErrorText(int errorNumber)
{
    switch (errorNumber) {
    case EROFS:
        return QStringLiteral("Дискът е само за четене.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Нямате права за запис там.");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Няма място на диска.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Папката не съществува.");
    case EEXIST:
        return QStringLiteral("Вече има файл с това име.");
    case EISDIR:
        return QStringLiteral("Това е папка.");
    case ENAMETOOLONG:
        return QStringLiteral("Името е твърде дълго.");
    case EXDEV:
        return QStringLiteral("Файлът е на друг диск.");
    case EIO:
        return QStringLiteral("Грешка при четене или запис на диска.");
    default:
        // The system's own text is English: the number says enough to look it up.
        return QStringLiteral("Системна грешка %1.").arg(errorNumber);
    }
}

} // namespace kelm
