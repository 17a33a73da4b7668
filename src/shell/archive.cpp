#include "shell/archive.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/filedialog.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "shell/companydata.h"
#include "shell/userrules.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelm {

namespace {


std::function<bool()> s_beforeRestore;

const QString kFilter = QStringLiteral("Архивни файлове с данни (*.abd);;Всички файлове (*.*)");

// Where the scratch files of archives (anywhere the user saves one) are noted
// while they exist: a killed save leaves one, and the next start or save
// removes it by this name.
const QString kNotedScratch = QStringLiteral("Scratch/Files");

// A connection string for another file of this program, opened the way the main
// database is (it must exist and hold the program's tables).
QString connStrFor(const QString &path)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
        + QStringLiteral(";Jet OLEDB:Database Password=") + QLatin1String(kDbPassword) + ";";
}

void noteScratch(const QString &path, bool made)
{
    QSettings s(QStringLiteral("Kelm"), QStringLiteral("Kelm"));
    QStringList files = s.value(kNotedScratch).toStringList();
    files.removeAll(path);
    if (made)
        files << path;
    if (files.isEmpty())
        s.remove(kNotedScratch);
    else
        s.setValue(kNotedScratch, files);
    s.sync();
}

// Whether path is beside Kelm.mdb under a name the restore or the year closing
// gives its scratch files ("Kelm.mdb.part", "2026.arh.part2", their journals).
bool isScratchNameBesideKelm(const QString &path)
{
    const QFileInfo db(gDbPath);
    const QFileInfo file(path);
    const QRegularExpression ours(QStringLiteral("^(%1|\\d{4}(-\\d+)?\\.arh)\\.part\\d*(-journal|-wal|-shm)?$")
                                      .arg(QRegularExpression::escape(db.fileName())));
    return ours.match(file.fileName()).hasMatch() && QDir(file.absolutePath()) == db.absoluteDir();
}

// A copy of the main database holds everything it holds, passwords included: it
// gets the main database's owner and group where it may, and never more access
// than the main database gives. A copy whose group cannot be the main
// database's is kept from its group altogether.
void protectLike(int fd, const QString &original)
{
    struct stat st;
    if (::stat(QFile::encodeName(original).constData(), &st) != 0)
        return;
    mode_t mode = (st.st_mode & 0666) | 0600;
    if (::fchown(fd, st.st_uid, st.st_gid) != 0 && ::fchown(fd, uid_t(-1), st.st_gid) != 0)
        mode &= ~mode_t(0070);
    ::fchmod(fd, mode);
}

// Removes a scratch file that a killed command left, with the files SQLite keeps
// beside it; true when nothing of it is left. A scratch file that a command of
// another copy of the program is still writing is locked by it and stays, and so
// does anything that is not a plain file or cannot be opened to tell.
bool removeIfLeft(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0) {
        if (errno != ENOENT)
            return false;
        unlinkSqliteFiles(name, false);
        return true;
    }
    // Never Kelm.mdb under another name: closing a descriptor of it would let go
    // of the locks this copy of the program holds on it.
    struct stat db;
    if (!S_ISREG(st.st_mode) || (::stat(QFile::encodeName(gDbPath).constData(), &db) == 0 && sameFile(db, st)))
        return false;
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool gone = false;
    struct stat held;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && ::lstat(name.constData(), &st) == 0
        && sameFile(held, st)) {
        unlinkSqliteFiles(name, false);
        gone = ::unlink(name.constData()) == 0;
    }
    ::close(fd);
    return gone;
}

// The scratch file of a command: a new file beside target, named target +
// ".part" (".part2", ".part3" ... when that is taken), where a copy is written
// before it gets its own name or is read into Kelm.mdb. It is made with no more
// access than Kelm.mdb, before a byte is written into it, and it is locked for
// as long as the command holds it, so that no other copy of the program takes it
// for a leftover. It goes with the files SQLite keeps beside it when the command
// ends; one that a killed command left is removed by removeLeftScratchFiles.
class ScratchFile {
public:
    // Noted: a file outside the program folder, whose name the user's settings
    // keep until it is gone.
    enum Where { BesideKelm, Noted };

    // Throws DbError saying why the file could not be made (never its name: the
    // user knows the file the command was to write, not this one).
    explicit ScratchFile(const QString &target, Where where = BesideKelm) : m_noted(where == Noted)
    {
        const QString base = QFileInfo(target).absoluteFilePath() + QStringLiteral(".part");
        for (int i = 1; i <= 100; ++i) {
            const QString name = i == 1 ? base : base + QString::number(i);
            const QByteArray n = QFile::encodeName(name);
            struct stat st;
            if (::lstat(n.constData(), &st) == 0 || ::lstat((n + "-journal").constData(), &st) == 0)
                continue;
            if (m_noted)
                noteScratch(name, true);
            const int fd = ::open(n.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0) {
                const int err = errno;
                if (m_noted)
                    noteScratch(name, false);
                if (err == EEXIST)
                    continue;
                throw DbError(ErrFileNotFound, fileErrorText(err));
            }
            // Locked, and still under its name: another copy of the program that
            // took the new empty file for a leftover before the lock removed it.
            struct stat held;
            if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &held) != 0 || ::lstat(n.constData(), &st) != 0
                || !sameFile(held, st)) {
                ::close(fd);
                if (m_noted)
                    noteScratch(name, false);
                continue;
            }
            protectLike(fd, gDbPath);
            m_path = name;
            m_fd = fd;
            return;
        }
        throw DbError(ErrFileNotFound, fileErrorText(EEXIST));
    }
    ~ScratchFile()
    {
        if (m_fd < 0)
            return;
        if (!m_renamed)
            unlinkSqliteFiles(QFile::encodeName(m_path));
        ::close(m_fd);
        if (m_noted)
            noteScratch(m_path, false);
    }
    ScratchFile(const ScratchFile &) = delete;
    ScratchFile &operator=(const ScratchFile &) = delete;

    QString path() const { return m_path; }
    // The file was renamed to the name it was made for: its scratch name may be
    // another's by now, and nothing is removed.
    void renamed() { m_renamed = true; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_noted = false;
    bool m_renamed = false;
};

// Renames from over to in one step: readers see either the old or the new file.
bool renameOver(const QString &from, const QString &to, QString *why)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *why = fileErrorText(errno);
    return false;
}

// Gives the file at from the name to as well, never in place of a file or link
// already there.
bool linkNew(const QString &from, const QString &to, QString *why)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *why = fileErrorText(errno);
    return false;
}

// Writes the database in from over the one in to, in place and in one
// transaction of to: the file keeps its owner, group and permissions, other
// copies of the program wait for it as for any save, and a copy cut short by a
// crash is rolled back by to's journal to the data it held before. A failure
// names to, or shownFrom for from.
void copyOver(const QString &from, const QString &to, const QString &shownFrom)
{
    struct Handle {
        sqlite3 *h = nullptr;
        ~Handle() { sqlite3_close_v2(h); }
    } src, dst;
    auto fail = [](sqlite3 *h, const QString &file) {
        const DbError e = sqliteError(h ? sqlite3_extended_errcode(h) : SQLITE_CANTOPEN);
        return DbError(e.number(), QStringLiteral("„%1“: %2").arg(file, e.description()));
    };
    if (sqlite3_open_v2(QFile::encodeName(from).constData(), &src.h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw fail(src.h, shownFrom);
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

// Whether the trips of a year copy are all still in Kelm.mdb, so that the copy
// holds nothing Kelm.mdb lacks. A trip's number is never given again: the
// copy's last trip tells it.
bool yearStillInKelm(const QString &copy)
{
    try {
        Connection c;
        c.open(connStrFor(copy));
        const QVariant last = c.scalar(QStringLiteral("SELECT max(ID) FROM tabl"));
        c.close();
        if (last.isNull())
            return true;
        Connection db;
        db.open(gConnStr);
        return db.scalar(QStringLiteral("SELECT count(*) FROM tabl WHERE ID=?"), {last}).toInt() == 1;
    } catch (const DbError &) {
        return false;
    }
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

void removeLeftScratchFiles()
{
    if (gDbPath.isEmpty())
        return;
    // Beside Kelm.mdb: the restore's copies and the year closing's, by the names
    // they are given, with SQLite's files beside them.
    const QDir folder = QFileInfo(gDbPath).absoluteDir();
    static const QRegularExpression side(QStringLiteral("(-journal|-wal|-shm)$"));
    for (QString name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (isScratchNameBesideKelm(folder.filePath(name)))
            removeIfLeft(folder.filePath(name.remove(side)));
    }
    // Elsewhere: the archives' copies, by the names noted while they were made.
    QSettings s(QStringLiteral("Kelm"), QStringLiteral("Kelm"));
    const QStringList noted = s.value(kNotedScratch).toStringList();
    for (const QString &path : noted) {
        if (removeIfLeft(path))
            noteScratch(path, false);
    }
}

ArchiveResult archiveSaveTo(const QString &path)
{
    ArchiveResult r;
    r.path = path;
    auto failed = [&r, &path](const QString &why) {
        r.message = QStringLiteral("Данните не са записани в „%1“.\r%2").arg(path, why);
        return r;
    };
    // Kelm.mdb is written by saves and a restore only, in place and through
    // SQLite: a copy renamed over it would drop what another copy saves meanwhile.
    if (isDatabaseFileOrSide(path, gDbPath))
        return failed(QStringLiteral("Това е файлът с данните на програмата. Изберете друго име за архива."));
    // A file of such a name would be taken for a scratch file left behind.
    if (isScratchNameBesideKelm(path))
        return failed(QStringLiteral("Това име е на временен файл на програмата. Изберете друго име за архива."));
    removeLeftScratchFiles();
    try {
        ScratchFile part(path, ScratchFile::Noted);
        Connection conn;
        conn.open(gConnStr);
        conn.execute(QStringLiteral("VACUUM INTO ?"), {part.path()});
        conn.close();
        QString why;
        if (!renameOver(part.path(), path, &why))
            return failed(why);
        part.renamed();
    } catch (const DbError &e) {
        return failed(e.text());
    }
    r.ok = true;
    return r;
}

ArchiveResult archiveRestoreFrom(const QString &path, const std::function<bool()> &confirm)
{
    ArchiveResult r;
    r.path = gDbPath;
    // A file cut short, damaged, or whose schema is not the program's own would
    // make saves fail or lose them (a constraint of its own, a trigger that
    // deletes what is saved): it is refused before anything is replaced. A copy
    // of ours that was cut short is called so, with what is wrong with it.
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
    // Kelm.mdb copied over itself would drop what another copy saves meanwhile.
    if (isDatabaseFileOrSide(path, gDbPath)) {
        r.message = QStringLiteral("„%1“ е файлът с данните на програмата, а не архив.\rДанните не са променени.").arg(path);
        return r;
    }
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
    removeLeftScratchFiles();
    QString scratch;
    try {
        ScratchFile part(gDbPath);
        scratch = part.path();
        Connection archive;
        archive.open(connStrFor(path));
        archive.execute(QStringLiteral("VACUUM INTO ?"), {part.path()});
        archive.close();
        r.message = refusal(part.path());
        if (r.message.isEmpty()) {
            Connection copy;
            copy.open(connStrFor(part.path()));
            r.message = unusable(copy);
        }
        if (!r.message.isEmpty())
            return r;
        // In place: Kelm.mdb keeps its owner, group and permissions, and a crash
        // half-way leaves the data it held.
        copyOver(part.path(), gDbPath, path);
    } catch (const DbError &e) {
        // The user chose the archive: the copy of it is no name to show.
        QString why = e.text();
        if (!scratch.isEmpty())
            why.replace(scratch, path);
        r.message = QStringLiteral("Архивът „%1“ не може да бъде зареден.\r%2").arg(path, why);
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
    removeLeftScratchFiles();
    QString copy; // the year copy, once written and until its trips are deleted
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
        r.path = yearCopyPath(today);
        try {
            if (isDatabaseFileOrSide(r.path, gDbPath))
                throw DbError(ErrSql, QStringLiteral("Това е файлът с данните на програмата."));
            ScratchFile part(r.path);
            // The reader sees what the lock holds still: the committed data,
            // which nobody can change until the delete.
            reader.execute(QStringLiteral("VACUUM INTO ?"), {part.path()});
            reader.close();
            // An earlier copy is never replaced.
            QString why;
            if (!linkNew(part.path(), r.path, &why))
                throw DbError(ErrSql, QStringLiteral("„%1“: %2").arg(r.path, why));
        } catch (const DbError &e) {
            r.message = QStringLiteral("Копието „%1“ не е записано; курсовете не са изтрити.\r%2").arg(r.path, e.text());
            return r;
        }
        copy = r.path;
        conn.execute(QStringLiteral("DELETE FROM tabl"));
        conn.commitTrans();
        copy.clear();
    } catch (const DbError &e) {
        // The transaction was rolled back as its connection closed. A copy of
        // trips that are still in Kelm.mdb goes: the next try writes the year's
        // one copy under its own name.
        r.message = QStringLiteral("Курсовете не са изтрити.\r%1").arg(e.text());
        if (!copy.isEmpty() && !(yearStillInKelm(copy) && QFile::remove(copy)))
            r.message += QStringLiteral("\rКопието на годината е записано в „%1“.").arg(copy);
        return r;
    }
    r.ok = true;
    return r;
}

void mnuDiskZap(QWidget *parent)
{
    FileDialog dlg(parent, QStringLiteral("Запис на данни"), QString(), kFilter);
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
    FileDialog dlg(parent, QStringLiteral("Зареждане на архивни данни"), programFolder(), kFilter);
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
