#include "shell/archive.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "shell/companydata.h"
#include "shell/userrules.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelm {

namespace {


std::function<bool()> s_beforeRestore;

const QString kFilter = QStringLiteral("Архивни файлове с данни (*.abd);;Всички файлове (*.*)");

// A connection string for another file of this program, opened the way the main
// database is (it must exist and hold the program's tables).
QString connStrFor(const QString &path)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
        + QStringLiteral(";Jet OLEDB:Database Password=") + QLatin1String(kDbPassword) + ";";
}

// A free name beside target for writing a file that is then renamed over it.
QString scratchNameBeside(const QString &target)
{
    QString base = target + QStringLiteral(".part");
    QString name = base;
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = base + QString::number(i);
    return name;
}

// Renames from over to in one step: readers see either the old or the new file.
bool renameOver(const QString &from, const QString &to, QString *why)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *why = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

// Gives from the name to, never in place of a file or link already there.
bool renameNew(const QString &from, const QString &to, QString *why)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    QFile::remove(from);
    return true;
}

// Makes a new empty file that only its owner may read or write: a copy of the
// data is written into it, and nobody else sees a byte before its access is set.
void createPrivate(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw DbError(ErrFileNotFound, QStringLiteral("„%1“: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    ::close(fd);
}

// A copy of the main database holds everything it holds, passwords included: it
// gets the main database's owner and group where it may, and never more access
// than the main database gives. A copy whose group cannot be the main
// database's is kept from its group altogether.
void protectLike(const QString &copy, const QString &original)
{
    struct stat st;
    if (::stat(QFile::encodeName(original).constData(), &st) != 0)
        return;
    const QByteArray name = QFile::encodeName(copy);
    mode_t mode = (st.st_mode & 0666) | 0600;
    if (::chown(name.constData(), st.st_uid, st.st_gid) != 0 && ::chown(name.constData(), uid_t(-1), st.st_gid) != 0)
        mode &= ~mode_t(0070);
    ::chmod(name.constData(), mode);
}

// SQLite's own copy of the database behind conn into a new private file.
void vacuumInto(Connection &conn, const QString &target)
{
    createPrivate(target);
    try {
        conn.execute(QStringLiteral("VACUUM INTO ?"), {target});
    } catch (...) {
        QFile::remove(target);
        throw;
    }
}

// Writes the database in from over the one in to, in place and in one
// transaction of to: the file keeps its owner, group and permissions, other
// copies of the program wait for it as for any save, and a copy cut short by a
// crash is rolled back by to's journal to the data it held before.
void copyOver(const QString &from, const QString &to)
{
    struct Handle {
        sqlite3 *h = nullptr;
        ~Handle() { sqlite3_close_v2(h); }
    } src, dst;
    auto fail = [](sqlite3 *h, const QString &file) {
        return DbError(ErrSql, QStringLiteral("„%1“: %2").arg(file, sqliteError(h ? sqlite3_extended_errcode(h) : SQLITE_CANTOPEN).description()));
    };
    if (sqlite3_open_v2(QFile::encodeName(from).constData(), &src.h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw fail(src.h, from);
    if (sqlite3_open_v2(QFile::encodeName(to).constData(), &dst.h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw fail(dst.h, to);
    installBusyWait(dst.h);
    sqlite3_exec(dst.h, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_backup *b = sqlite3_backup_init(dst.h, "main", src.h, "main");
    if (!b)
        throw fail(dst.h, to);
    const int step = sqlite3_backup_step(b, -1);
    const int done = sqlite3_backup_finish(b);
    if (step != SQLITE_DONE || done != SQLITE_OK)
        throw fail(dst.h, to);
}

// Whether the signed-in user may replace the data or close the year.
bool mayReplaceData()
{
    return gUserVid == QLatin1String("A") || gUserVid == QLatin1String("B");
}

// The boxes of a command open over the window it was started from, also right
// after its file dialog closed, before the window system gives the activation back.
void askFrom(QWidget *parent)
{
    if (parent && parent->window()->isVisible())
        QApplication::setActiveWindow(parent->window());
}

} // namespace

void setBeforeRestoreHandler(std::function<bool()> handler)
{
    s_beforeRestore = std::move(handler);
}

ArchiveResult archiveSaveTo(const QString &path)
{
    ArchiveResult r;
    r.path = path;
    const QString part = scratchNameBeside(path);
    try {
        Connection conn;
        conn.open(gConnStr);
        vacuumInto(conn, part);
        conn.close();
    } catch (const DbError &e) {
        r.message = QStringLiteral("Данните не са записани в „%1“.\r%2").arg(path, e.text());
        return r;
    }
    protectLike(part, gDbPath);
    QString why;
    if (!renameOver(part, path, &why)) {
        QFile::remove(part);
        r.message = QStringLiteral("Данните не са записани в „%1“.\r%2").arg(path, why);
        return r;
    }
    r.ok = true;
    return r;
}

ArchiveResult archiveRestoreFrom(const QString &path, const std::function<bool()> &confirm)
{
    ArchiveResult r;
    r.path = gDbPath;
    // A file cut short, damaged, or lacking a table or column of the program would
    // make every later save fail: it is refused before anything is replaced. A
    // copy of ours that was cut short is called so, with what is wrong with it.
    auto refusal = [&path](const QString &file) {
        QString why;
        bool damaged = false;
        if (isWholeKelmDatabase(file, &why, &damaged))
            return QString();
        if (damaged)
            return QStringLiteral("„%1“ е повреден или непълен архив.\r%2\rДанните не са променени.").arg(path, why);
        return QStringLiteral("„%1“ не е архив с данни на програмата.\rДанните не са променени.").arg(path);
    };
    // What would stop the program after the restore: no company row stops the
    // next start, no administrator leaves nobody who can sign in.
    auto unusable = [&path](Connection &c) {
        if (c.scalar(QStringLiteral("SELECT count(*) FROM KelmCfg")).toInt() == 0)
            return QStringLiteral("„%1“ не съдържа данни за фирмата.\rДанните не са променени.").arg(path);
        bool admin = false; // one who could sign in, by the sign-in's own rule
        c.forEachRow(QStringLiteral("SELECT Ime, Password FROM Users WHERE Vid='A'"), {}, {},
                     [&admin](const QVector<QVariant> &row) { admin = admin || canSignIn(row.at(0), row.at(1)); });
        if (!admin)
            return QStringLiteral("„%1“ не съдържа администратор: след зареждането никой не би могъл да влезе "
                                  "в програмата.\rДанните не са променени.")
                .arg(path);
        return QString();
    };
    r.message = refusal(path);
    if (!r.message.isEmpty())
        return r;
    try {
        Connection archive;
        archive.open(connStrFor(path));
        r.message = unusable(archive);
        if (!r.message.isEmpty())
            return r;
    } catch (const DbError &e) {
        r.message = QStringLiteral("Архивът „%1“ не може да бъде зареден.\r%2").arg(path, e.text());
        return r;
    }
    // The screens that hold the old database must let go of it first; one in the
    // middle of a record keeps it, and the user hears so before being asked
    // anything: the archive is not swapped under it.
    if (s_beforeRestore && !s_beforeRestore()) {
        r.message = QStringLiteral("Архивът „%1“ не е зареден: един от отворените прозорци е по средата на запис.\r"
                                   "Запишете записа или се откажете от него и опитайте отново.\r"
                                   "Данните не са променени.")
                        .arg(path);
        return r;
    }
    // The user's no leaves everything as it was, with nothing more to say.
    if (confirm && !confirm())
        return r;
    // What is written over Kelm.mdb is a copy of the archive checked again, so
    // that a file changed since the first check cannot slip in.
    const QString part = scratchNameBeside(gDbPath);
    try {
        Connection archive;
        archive.open(connStrFor(path));
        vacuumInto(archive, part);
        archive.close();
        r.message = refusal(part);
        if (r.message.isEmpty()) {
            Connection copy;
            copy.open(connStrFor(part));
            r.message = unusable(copy);
        }
        if (!r.message.isEmpty()) {
            QFile::remove(part);
            return r;
        }
        // In place: Kelm.mdb keeps its owner, group and permissions, and a crash
        // half-way leaves the data it held.
        copyOver(part, gDbPath);
        QFile::remove(part);
    } catch (const DbError &e) {
        QFile::remove(part);
        r.message = QStringLiteral("Архивът „%1“ не може да бъде зареден.\r%2").arg(path, e.text());
        return r;
    }
    r.ok = true;
    if (LoadCompanyData())
        notifyCompanyChanged();
    return r;
}

QString restoreQuestion(const QString &path)
{
    return QStringLiteral("Данните на фирмата ще бъдат заменени с архива „%1“ от %2.")
               .arg(path, formatDate(QFileInfo(path).lastModified().date()))
        + QStringLiteral("\r\r") + QStringLiteral("Да продължа ли?");
}

QString yearCopyPath(const QDate &today)
{
    const QString folder = QFileInfo(gDbPath).absolutePath();
    const QString year = QString::number(today.year());
    QString name = folder + QLatin1Char('/') + year + QStringLiteral(".arh");
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = folder + QLatin1Char('/') + year + QLatin1Char('-') + QString::number(i) + QStringLiteral(".arh");
    return name;
}

ArchiveResult closeYear(const QDate &today)
{
    ArchiveResult r;
    try {
        Connection conn;
        conn.open(gConnStr);
        // The connection that copies is opened before the lock is taken: opening
        // looks at the file itself, and a file closed by this process would let
        // go of the lock the process holds on it.
        Connection reader;
        reader.open(gConnStr);
        // The write lock is taken before the copy and let go only when the trips
        // are deleted: a trip that another copy of the program saves meanwhile
        // waits and lands in the new year, never between the copy and the delete.
        conn.beginTrans();
        try {
            r.path = yearCopyPath(today);
            const QString part = scratchNameBeside(r.path);
            QString why;
            try {
                // The reader sees what the lock holds still: the committed data,
                // which nobody can change until the delete.
                vacuumInto(reader, part);
                reader.close();
                protectLike(part, gDbPath);
                // An earlier copy is never replaced.
                if (!renameNew(part, r.path, &why)) {
                    QFile::remove(part);
                    throw DbError(ErrSql, QStringLiteral("„%1“: %2").arg(r.path, why));
                }
            } catch (const DbError &e) {
                conn.rollbackTrans();
                r.message = QStringLiteral("Копието „%1“ не е записано; курсовете не са изтрити.\r%2")
                                .arg(r.path, e.text());
                return r;
            }
            conn.execute(QStringLiteral("DELETE FROM tabl"));
            conn.commitTrans();
        } catch (...) {
            conn.rollbackTrans();
            throw;
        }
        conn.close();
    } catch (const DbError &e) {
        r.message = QStringLiteral("Курсовете не са изтрити.\r%1").arg(e.text());
        return r;
    }
    r.ok = true;
    return r;
}

void mnuDiskZap(QWidget *parent)
{
    QFileDialog dlg(parent, QStringLiteral("Запис на данни"), QString(), kFilter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(QStringLiteral("abd"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    ArchiveResult r;
    {
        WaitCursor wait;
        r = archiveSaveTo(dlg.selectedFiles().constFirst());
    }
    askFrom(parent);
    if (!r.ok)
        DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), r.message);
}

void mnuDiskZar(QWidget *parent)
{
    // Replacing everything the company holds is for the administrator and the
    // users with full menus only, whatever way the command was reached.
    if (!mayReplaceData()) {
        askFrom(parent);
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     QStringLiteral("Зареждането на архивни данни е разрешено само на администратора и на "
                                    "потребителите с пълен достъп.\rДанните не са променени."));
        return;
    }
    QFileDialog dlg(parent, QStringLiteral("Зареждане на архивни данни"), programFolder(), kFilter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    const QString path = dlg.selectedFiles().constFirst();
    ArchiveResult r;
    {
        WaitCursor wait;
        // Everything the company holds is replaced: one Enter must not do it.
        r = archiveRestoreFrom(path, [&path, parent] {
            askFrom(parent);
            return Dialog::ask(QString(), restoreQuestion(path), Dialog::Default::Cancel);
        });
    }
    if (!r.ok && !r.message.isEmpty()) {
        askFrom(parent);
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), r.message);
    }
}

void mnuNewPer(QWidget *parent)
{
    if (!mayReplaceData()) {
        askFrom(parent);
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     QStringLiteral("Приключването на годината е разрешено само на администратора и на "
                                    "потребителите с пълен достъп.\rДанните не са променени."));
        return;
    }
    setStatusText(QStringLiteral("Приключване на годината..."));
    // One Enter must not delete the year's trips: the default answer is no.
    askFrom(parent);
    if (!Dialog::ask(QString(),
                     QStringLiteral("Данните ще бъдат изтрити!") + QStringLiteral("\r\r") + QStringLiteral("Да продължа ли?"),
                     Dialog::Default::Cancel))
        return;
    ArchiveResult r;
    {
        WaitCursor wait;
        r = closeYear(QDate::currentDate());
    }
    askFrom(parent);
    if (r.ok)
        DiaInf::show(QStringLiteral("Операцията завърши успешно"));
    else
        DiaInf::show(QStringLiteral("ГРЕШКА!"), r.message);
}

} // namespace kelm
