#include "scratch/temptable.h"

#include "common/globals.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "platform/files.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelm {

namespace {

// Type words of the scratch tables; the data layer converts values by them.
constexpr const char *Integer = "INTEGER";
constexpr const char *Double = "DOUBLE";
constexpr const char *Date = "DATE";
constexpr const char *Text = "TEXT";

using Fields = std::vector<std::pair<const char *, const char *>>;

// Fields in the order the reports and fillers expect them. The text widths of
// the old layouts are not enforced: the fillers write formatted texts that fit.
const std::vector<std::pair<QString, Fields>> &layouts()
{
    static const std::vector<std::pair<QString, Fields>> all = {
        {QStringLiteral("TempNal"),
         {{"Red", Integer}, {"Name", Text}, {"Cena", Double}, {"Kol", Double}, {"Suma", Double}}},
        {QStringLiteral("TempRowdList"),
         {{"Red", Text}, {"NomData", Text}, {"KolaID", Text}, {"Marsh", Text}, {"KM", Text},
          {"Ton", Text}, {"RazhN", Text}, {"Proc", Text}}},
        {QStringLiteral("TempSKladPR"),
         {{"Red", Integer}, {"DocVid", Text}, {"NomData", Text}, {"Name", Text}, {"Broi", Text},
          {"Edin", Text}, {"Suma", Text}}},
        {QStringLiteral("TempSKlad"),
         {{"Red", Integer}, {"Name", Text}, {"Cena", Text}, {"Prihod", Text}, {"SumaP", Text},
          {"Razhod", Text}, {"SumaR", Text}, {"Ostatak", Text}, {"SumaO", Text}}},
        {QStringLiteral("TempBalans"),
         {{"Red", Integer}, {"Kola", Text}, {"Prihod", Text}, {"Razhod", Text}, {"Ostatak", Text}}},
        {QStringLiteral("TempKlients"),
         {{"Data", Date}, {"Marsh", Text}, {"VidTovar", Text}, {"Kola", Text}, {"KM", Integer},
          {"Ton", Double}, {"Tarifa", Double}, {"Suma", Double}}},
        {QStringLiteral("TempKlientsNew"),
         {{"Data", Date}, {"Marsh", Text}, {"VidTovar", Text}, {"Kola", Text}, {"KM", Text},
          {"Ton", Text}, {"Tarifa", Text}, {"Suma", Text}}},
        {QStringLiteral("TempZaplata"),
         {{"Red", Integer}, {"Data", Date}, {"KolaID", Text}, {"Ton", Double}, {"KM", Integer},
          {"Suma", Double}, {"Marsh", Text}, {"VidTovar", Text}, {"Zaplata", Double},
          {"Nadnik", Double}}},
        {QStringLiteral("TempPlaten"),
         {{"Red", Integer}, {"Data", Date}, {"Marsh", Text}, {"VidTovar", Text}, {"KolaID", Text},
          {"KM", Text}, {"Ton", Text}, {"Tarifa", Text}, {"Suma", Text}}},
        {QStringLiteral("TempZaplati"),
         {{"Data", Date}, {"Kola", Text}, {"Name", Text}, {"Ton", Double}, {"KM", Integer},
          {"Suma", Double}, {"Marsh", Text}, {"Klient", Text}, {"VidTovar", Text},
          {"Zaplata", Double}}},
    };
    return all;
}

const Fields *fieldsOf(const QString &table)
{
    for (const auto &l : layouts())
        if (l.first == table)
            return &l.second;
    return nullptr;
}

QString createSql(const QString &table, const Fields &fields)
{
    QStringList cols;
    for (const auto &f : fields)
        cols << QStringLiteral("\"%1\" %2").arg(QLatin1String(f.first), QLatin1String(f.second));
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table, cols.join(QStringLiteral(", ")));
}


void removeFile(const QString &path)
{
    if (!QFileInfo::exists(path))
        return;
    QFile f(path);
    if (!f.remove())
        throw DbError(ErrSql, QStringLiteral("Не мога да изтрия временния файл „%1“ (%2). "
                                             "Затворете прозорците, които го използват, и опитайте отново.")
                                  .arg(path, f.errorString()));
}

// "…/Temp-123.mdb" locks through "…/Temp-123.lock".
QString lockPathOf(const QString &dbPath)
{
    QString p = dbPath;
    if (p.endsWith(QLatin1String(".mdb")))
        p.chop(4);
    return p + QLatin1String(".lock");
}

// Whether the open file is still the one the path names (a start of another
// copy may have removed it between our open and our lock).
bool isNamedBy(int fd, const QByteArray &path)
{
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 && sameFile(held, named);
}

// The lock this copy holds on its scratch database's lock file, let go (and the
// files removed) by releaseScratchDatabase or at the process's normal end.
class Claim {
public:
    ~Claim() { release(); }
    bool holds(const QByteArray &db) const { return m_fd >= 0 && m_owner == ::getpid() && m_db == db; }
    void take(int fd, const QByteArray &db, const QByteArray &lock)
    {
        m_fd = fd;
        m_owner = ::getpid();
        m_db = db;
        m_lock = lock;
    }
    void release()
    {
        if (m_fd < 0)
            return;
        // A child made by fork() shares the lock with the copy that made it:
        // only that copy removes its files.
        if (m_owner == ::getpid()) {
            unlinkSqliteFiles(m_db);
            if (isNamedBy(m_fd, m_lock))
                ::unlink(m_lock.constData());
            ::close(m_fd);
        }
        m_fd = -1;
    }

private:
    int m_fd = -1;
    pid_t m_owner = 0;
    QByteArray m_db;
    QByteArray m_lock;
};

Claim &claim()
{
    static Claim c;
    return c;
}

// Takes this copy's lock file for gTempDbPath, once: flock(), not a POSIX lock,
// since SQLite's POSIX locks on a file are all let go when any descriptor of it
// in the process closes, and flock's is held by its own descriptor alone (kept
// from programs this copy starts).
void claimScratchDatabase()
{
    const QByteArray db = QFile::encodeName(gTempDbPath);
    Claim &c = claim();
    if (c.holds(db))
        return;
    c.release(); // of another program folder (the tests change it)
    const QString lockPath = lockPathOf(gTempDbPath);
    const QByteArray lock = QFile::encodeName(lockPath);
    // Another copy's start may be removing a lock file of this name that a copy
    // with the same process id left when it died: that takes a moment.
    for (int tries = 0; tries < 100; ++tries) {
        // Read-only is enough for flock(), also on such a file of another user's.
        const int fd = ::open(lock.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            const int error = errno;
            // One that this copy may not even read is another user's, left by a
            // copy that had this process id: no longer running, since this is.
            if (error == EACCES && tries == 0 && ::unlink(lock.constData()) == 0)
                continue;
            throw DbError(ErrSql, QStringLiteral("Не мога да създам временния файл „%1“.\r%2")
                                      .arg(QDir::toNativeSeparators(lockPath), fileErrorText(error)));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && isNamedBy(fd, lock)) {
            // Every user of the folder may test it, whatever this user's umask.
            ::fchmod(fd, 0644);
            c.take(fd, db, lock);
            return;
        }
        ::close(fd);
        QThread::msleep(10);
    }
    throw DbError(ErrSql, QStringLiteral("Временният файл „%1“ е зает. Опитайте отново след малко.")
                              .arg(QDir::toNativeSeparators(lockPath)));
}

// An empty file (an empty SQLite database) that only its user may read or
// write; SQLite gives the journal the mode of the database file.
void makePrivateFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw DbError(ErrSql, QStringLiteral("Не мога да създам временния файл „%1“.\r%2")
                                  .arg(QDir::toNativeSeparators(path), fileErrorText(errno)));
    // Whatever the folder's default access list would add.
    ::fchmod(fd, 0600);
    ::close(fd);
}

} // namespace

void releaseScratchDatabase()
{
    claim().release();
    // A file of this copy's name made without the lock is this copy's too.
    unlinkSqliteFiles(QFile::encodeName(gTempDbPath));
}

int removeLeftScratchDatabases(const QString &folder)
{
    static const QRegularExpression lockName(QStringLiteral("^Temp-\\d+\\.lock$"));
    const QDir dir(folder);
    int removed = 0;
    const QStringList names = dir.entryList({QStringLiteral("Temp-*.lock")}, QDir::Files | QDir::System);
    for (const QString &name : names) {
        if (!lockName.match(name).hasMatch())
            continue;
        const QString lockPath = dir.filePath(name);
        const QByteArray lock = QFile::encodeName(lockPath);
        // A lock file that cannot be opened is not judged.
        const int fd = ::open(lock.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && isNamedBy(fd, lock)) {
            unlinkSqliteFiles(QFile::encodeName(lockPath.chopped(5) + QLatin1String(".mdb")));
            ::unlink(lock.constData());
            ++removed;
        }
        ::close(fd);
    }
    return removed;
}

QStringList tempTableNames()
{
    QStringList names;
    for (const auto &l : layouts())
        if (l.first != QLatin1String("TempKlientsNew"))
            names << l.first;
    return names;
}

void createTempTableIn(Connection &conn, const QString &tableName)
{
    // TempKlientsNew is only ever made together with TempKlients.
    const Fields *fields = tableName == QLatin1String("TempKlientsNew") ? nullptr : fieldsOf(tableName);
    if (!fields)
        throw DbError(ErrSql, QStringLiteral("Непозната временна таблица „%1“.").arg(tableName));
    conn.execute(createSql(tableName, *fields));
    if (tableName == QLatin1String("TempKlients"))
        conn.execute(createSql(QStringLiteral("TempKlientsNew"), *fieldsOf(QStringLiteral("TempKlientsNew"))));
}

void CreateTempTable(const QString &tableName)
{
    if (!tempTableNames().contains(tableName))
        throw DbError(ErrSql, QStringLiteral("Непозната временна таблица „%1“.").arg(tableName));

    WaitCursor wait;
    claimScratchDatabase();
    // A journal left beside an old file would be taken for the new file's own.
    for (const char *side : kSqliteSideEndings)
        removeFile(gTempDbPath + QLatin1String(side));
    removeFile(gTempDbPath);
    makePrivateFile(gTempDbPath);

    Connection conn;
    conn.open(gTempConnStr);
    try {
        conn.beginTrans();
        createTempTableIn(conn, tableName);
        conn.commitTrans();
    } catch (...) {
        conn.rollbackTrans();
        throw;
    }
    conn.close();
}

} // namespace kelm
