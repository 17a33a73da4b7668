#include "platform/database.h"

#include "platform/lockwait.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace kelm {

const char *schemaSqlText(); // generated from data/schema.sql

DbError::DbError(int number, const QString &description)
    : std::runtime_error(QString(QString::number(number) + ":" + description).toStdString()),
      m_number(number), m_description(description)
{
}

QString dataSourceOf(const QString &connStr)
{
    static const QRegularExpression re(QStringLiteral("Data Source=([^;]*)"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(connStr);
    return m.hasMatch() ? m.captured(1) : QString();
}

// ---------------------------------------------------------------------------
// SQLite functions registered on every connection (never named in the schema,
// so stock tools still read the files): LIKE that ignores case in Cyrillic as in
// Latin, and the collation BG for names in Bulgarian alphabetical order.

static bool likeMatch(const QString &p, const QString &s, QChar esc, bool hasEsc)
{
    int pi = 0, si = 0, starP = -1, starS = 0;
    const int pn = int(p.size()), sn = int(s.size());
    while (si < sn) {
        if (pi < pn) {
            const QChar c = p[pi];
            if (hasEsc && c == esc && pi + 1 < pn) {
                if (p[pi + 1] == s[si]) {
                    pi += 2;
                    ++si;
                    continue;
                }
            } else if (c == QLatin1Char('%')) {
                starP = pi++;
                starS = si;
                continue;
            } else if (c == QLatin1Char('_') || c == s[si]) {
                ++pi;
                ++si;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP + 1;
        si = ++starS;
    }
    while (pi < pn && p[pi] == QLatin1Char('%'))
        ++pi;
    return pi == pn;
}

static QString argText(sqlite3_value *v)
{
    const auto *t = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return t ? QString::fromUtf8(t, sqlite3_value_bytes(v)) : QString();
}

static void likeFunc(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString pattern = argText(argv[0]).toCaseFolded();
    const QString value = argText(argv[1]).toCaseFolded();
    QChar esc;
    bool hasEsc = false;
    if (argc == 3 && sqlite3_value_type(argv[2]) != SQLITE_NULL) {
        const QString e = argText(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        esc = e[0];
        hasEsc = true;
    }
    sqlite3_result_int(ctx, likeMatch(pattern, value, esc, hasEsc) ? 1 : 0);
}

// The next code point of UTF-8 text (SQLite hands over valid UTF-8).
static char32_t nextCodePoint(const unsigned char *s, int len, int &i)
{
    const unsigned char c = s[i++];
    if (c < 0x80)
        return c;
    const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    char32_t cp = c & (0x3F >> more);
    for (int k = 0; k < more && i < len; ++k)
        cp = (cp << 6) | (s[i++] & 0x3F);
    return cp;
}

// Sorting a large listing compares names many times, so the comparison reads
// both texts in place, one character at a time, without making strings.
static int bgCollate(void *, int la, const void *a, int lb, const void *b)
{
    const auto *pa = static_cast<const unsigned char *>(a);
    const auto *pb = static_cast<const unsigned char *>(b);
    int i = 0, j = 0, tie = 0;
    while (i < la && j < lb) {
        const char32_t ca = nextCodePoint(pa, la, i);
        const char32_t cb = nextCodePoint(pb, lb, j);
        if (ca == cb)
            continue;
        // Cyrillic code points already follow the Bulgarian alphabet; folding case
        // first puts "ана" next to "Ана" instead of after every capital.
        const char32_t fa = QChar::toLower(ca), fb = QChar::toLower(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
        if (!tie)
            tie = ca < cb ? -1 : 1;
    }
    if (i < la)
        return 1;
    if (j < lb)
        return -1;
    return tie;
}

static sqlite3 *handleOf(QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

// A row's signature: a 64-bit hash of the values of its columns exactly as they
// are stored (type and bytes), taken once when the row is read and again by the
// function kelm_rowsig inside the statement that writes the row back. A value
// that reads back in another form than it is stored (a date text of another
// shape, a whole number in a REAL column) is compared as stored, never as
// converted; a hash costs 8 bytes a row, however many columns the row has.
namespace {

struct SignatureHash {
    quint64 h = 0x243F6A8885A308D3ULL;
    void mix(quint64 w)
    {
        h ^= w;
        h *= 0x9E3779B97F4A7C15ULL;
        h ^= h >> 29;
    }
    // Eight bytes at a time: a page of rows is hashed as it is read.
    void bytes(const void *p, size_t n)
    {
        const auto *b = static_cast<const unsigned char *>(p);
        for (; n >= 8; b += 8, n -= 8) {
            quint64 w;
            memcpy(&w, b, 8);
            mix(w);
        }
        quint64 w = quint64(n) << 56;
        for (size_t i = 0; i < n; ++i)
            w |= quint64(b[i]) << (8 * i);
        mix(w);
    }
    void value(int type, sqlite3_int64 i, double d, const void *p, int n)
    {
        mix(quint64(type));
        switch (type) {
        case SQLITE_INTEGER: mix(quint64(i)); break;
        case SQLITE_FLOAT: {
            quint64 bits;
            memcpy(&bits, &d, 8);
            mix(bits);
            break;
        }
        case SQLITE_NULL: break;
        default: bytes(p, size_t(std::max(n, 0))); break;
        }
    }
    void add(sqlite3_value *v)
    {
        const int t = sqlite3_value_type(v);
        if (t == SQLITE_TEXT) {
            const unsigned char *p = sqlite3_value_text(v);
            value(t, 0, 0, p, sqlite3_value_bytes(v));
        } else if (t == SQLITE_BLOB) {
            const void *p = sqlite3_value_blob(v);
            value(t, 0, 0, p, sqlite3_value_bytes(v));
        } else {
            value(t, t == SQLITE_INTEGER ? sqlite3_value_int64(v) : 0, t == SQLITE_FLOAT ? sqlite3_value_double(v) : 0,
                  nullptr, 0);
        }
    }
    // A column of a row being read, hashed as the function hashes its argument.
    void add(sqlite3_stmt *st, int i) { add(sqlite3_column_value(st, i)); }
    qint64 result() const { return qint64(h); }
};

void rowSignatureFunc(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    SignatureHash sig;
    for (int i = 0; i < argc; ++i)
        sig.add(argv[i]);
    sqlite3_result_int64(ctx, sig.result());
}

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// The SQL that gives a row's signature over these columns.
QString signatureCall(const QStringList &columns)
{
    QStringList quoted;
    for (const QString &c : columns)
        quoted << quotedName(c);
    return QStringLiteral("kelm_rowsig(") + quoted.join(QLatin1Char(',')) + QLatin1Char(')');
}

} // namespace

static void registerFunctions(QSqlDatabase &db)
{
    sqlite3 *h = handleOf(db);
    if (!h)
        return;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(h, "like", 2, flags, nullptr, likeFunc, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(h, "like", 3, flags, nullptr, likeFunc, nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(h, "BG", SQLITE_UTF8, nullptr, bgCollate, nullptr);
    sqlite3_create_function_v2(h, "kelm_rowsig", -1, flags, nullptr, rowSignatureFunc, nullptr, nullptr, nullptr);
}

// ---------------------------------------------------------------------------

QVariant toStorage(const QVariant &v, const QString &declType)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime:
        if (declType == QLatin1String("TIME"))
            return v.toDateTime().time().toString(QStringLiteral("HH:mm:ss"));
        return v.toDateTime().date().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    default:
        break;
    }
    if (declType == QLatin1String("DATE") && v.typeId() == QMetaType::QString) {
        // A date typed as dd.mm.yyyy is stored in the one stored form.
        static const QRegularExpression re(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})$"));
        const auto m = re.match(v.toString().trimmed());
        if (m.hasMatch()) {
            const QDate d(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
            if (d.isValid())
                return d.toString(QStringLiteral("yyyy-MM-dd"));
        }
        if (v.toString().trimmed().isEmpty())
            return QVariant();
    }
    if (declType == QLatin1String("BOOLEAN") && v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return (s == QLatin1String("true") || s == QLatin1String("1") || s == QLatin1String("-1")) ? 1 : 0;
    }
    return v;
}

QVariant fromStorage(const QVariant &v, const QString &declType)
{
    if (v.isNull() || !v.isValid())
        return QVariant();
    if (declType == QLatin1String("DATE")) {
        // Read by hand: big listings read many dates, and QDate::fromString is slow.
        const QString s = v.toString();
        if (s.size() >= 10 && s.at(4) == QLatin1Char('-') && s.at(7) == QLatin1Char('-')) {
            auto num = [&s](int from, int len) {
                int n = 0;
                for (int i = from; i < from + len; ++i) {
                    const int d = s.at(i).digitValue();
                    if (d < 0)
                        return -1;
                    n = n * 10 + d;
                }
                return n;
            };
            const QDate d(num(0, 4), num(5, 2), num(8, 2));
            if (d.isValid())
                return d;
        }
        return QVariant();
    }
    if (declType == QLatin1String("TIME")) {
        const QTime t = QTime::fromString(v.toString(), QStringLiteral("HH:mm:ss"));
        return t.isValid() ? QVariant(t) : QVariant();
    }
    if (declType == QLatin1String("BOOLEAN"))
        return QVariant(v.toLongLong() != 0);
    if (declType == QLatin1String("DOUBLE"))
        return QVariant(v.toDouble());
    if (declType == QLatin1String("INTEGER")) {
        const qlonglong n = v.toLongLong();
        if (n >= INT_MIN && n <= INT_MAX)
            return QVariant(int(n));
        return QVariant(n);
    }
    if (declType == QLatin1String("TEXT"))
        return QVariant(v.toString());
    return v;
}

static void bindAll(QSqlQuery &q, const QVariantList &params)
{
    for (int i = 0; i < params.size(); ++i)
        q.bindValue(i, toStorage(params.at(i)));
}

DbError sqliteError(int resultCode)
{
    const int primary = resultCode & 0xff;
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError(ErrLocked, QStringLiteral("Друг потребител записва в базата данни в момента. "
                                                 "Опитайте отново след малко."));
    case SQLITE_NOTADB:
        return DbError(ErrNotDatabase, QStringLiteral("Файлът не е база данни на програмата."));
    case SQLITE_CORRUPT:
        return DbError(ErrSql, QStringLiteral("Файлът с данни е повреден."));
    case SQLITE_FULL:
        return DbError(ErrSql, QStringLiteral("Няма място на диска: данните не са записани."));
    case SQLITE_READONLY:
        return DbError(ErrSql, QStringLiteral("Файлът с данни може само да се чете: нищо не е записано."));
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return DbError(ErrSql, QStringLiteral("Нямате права за достъп до файла с данни."));
    case SQLITE_CANTOPEN:
        return DbError(ErrFileNotFound, QStringLiteral("Файлът с данни не може да бъде отворен."));
    case SQLITE_IOERR:
        return DbError(ErrSql, QStringLiteral("Грешка при четене или запис на файла с данни."));
    case SQLITE_NOMEM:
        return DbError(ErrSql, QStringLiteral("Няма достатъчно памет."));
    case SQLITE_CONSTRAINT:
        return DbError(ErrSql, QStringLiteral("Записът не отговаря на ограниченията на базата данни."));
    case SQLITE_TOOBIG:
        return DbError(ErrSql, QStringLiteral("Стойността е твърде голяма за базата данни."));
    case SQLITE_MISMATCH:
        return DbError(ErrSql, QStringLiteral("Стойност от неподходящ вид за полето."));
    default:
        return DbError(ErrSql, QStringLiteral("Грешка в базата данни (код %1).").arg(resultCode));
    }
}

DbError rowChangedError()
{
    return DbError(ErrWriteConflict, QStringLiteral("Записът е променен от друг потребител. "
                                                    "Показан е така, както е записан сега."));
}

DbError rowDeletedError()
{
    return DbError(ErrRowDeleted, QStringLiteral("Записът е изтрит от друг потребител."));
}

DbError sqliteError(const QSqlError &e)
{
    bool ok = false;
    const int native = e.nativeErrorCode().toInt(&ok);
    return sqliteError(ok ? native : SQLITE_ERROR);
}

// A query that another copy's lock kept from running past the wait is told at
// once: going on another way round (a guess made without it, a second query)
// would only wait as long again.
static void throwIfLocked(int resultCode)
{
    const int primary = resultCode & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        throw sqliteError(resultCode);
}

static void throwIfLocked(const QSqlError &e)
{
    const DbError d = sqliteError(e);
    if (d.number() == ErrLocked)
        throw d;
}

// ---------------------------------------------------------------------------

static QAtomicInt s_connCounter;

Connection::Connection() = default;

Connection::~Connection()
{
    close();
}

StatementScope::StatementScope()
{
    if (lockWaitPainting())
        throw sqliteError(SQLITE_BUSY);
}

StatementScope::~StatementScope()
{
    lockWaitOver();
}

void installBusyWait(sqlite3 *handle)
{
    if (handle)
        sqlite3_busy_handler(handle, lockWaitHandler, nullptr);
}

namespace {

// An open handle of SQLite's own, closed when it goes out of scope.
struct RawDb {
    sqlite3 *h = nullptr;
    ~RawDb() { sqlite3_close_v2(h); }
    QString error() const { return sqliteError(h ? sqlite3_extended_errcode(h) : SQLITE_CANTOPEN).description(); }
};

// Opens a file that must already exist, for reading and writing when it may be
// written: a transaction that a crash interrupted left a journal beside the file,
// and only a connection that may write can roll it back before reading. A file
// that may not be written (an archive on a read-only medium) is opened to read.
int openExisting(const QString &path, RawDb &db)
{
    const QByteArray name = QFile::encodeName(path);
    int rc = sqlite3_open_v2(name.constData(), &db.h, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_CANTOPEN || rc == SQLITE_READONLY || rc == SQLITE_PERM) {
        sqlite3_close_v2(db.h);
        db.h = nullptr;
        rc = sqlite3_open_v2(name.constData(), &db.h, SQLITE_OPEN_READONLY, nullptr);
    }
    if (rc == SQLITE_OK)
        installBusyWait(db.h);
    return rc;
}

// The first n bytes of a file (fewer when it is shorter) and its length, read
// through SQLite's own handle of it. Closing any descriptor of a file lets go of
// every lock this process holds on it; SQLite keeps its own descriptors open while
// a connection of ours holds a transaction's lock on the file, so the main
// database is never opened and closed past it, or another copy of the program
// could write beside a save in progress.
bool readHead(const QString &path, int n, QByteArray *head, qint64 *length)
{
    RawDb db;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db.h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return false;
    sqlite3_file *f = nullptr;
    if (sqlite3_file_control(db.h, "main", SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK || !f || !f->pMethods)
        return false;
    sqlite3_int64 size = 0;
    if (f->pMethods->xFileSize(f, &size) != SQLITE_OK)
        return false;
    head->resize(n);
    // A short read fills the rest with zeros; only what the file holds is kept.
    const int rc = f->pMethods->xRead(f, head->data(), n, 0);
    if (rc != SQLITE_OK && rc != SQLITE_IOERR_SHORT_READ)
        return false;
    head->truncate(int(qMin<sqlite3_int64>(n, size)));
    *length = size;
    return true;
}

const QByteArray &sqliteMagic()
{
    static const QByteArray magic("SQLite format 3\0", 16);
    return magic;
}

// A CREATE statement as the schemas are compared: comments dropped, white space
// and letter case made one, outside quoted texts, whose letters count.
QString normalizedSql(const QString &sql)
{
    auto punctuation = [](QChar c) { return c == u'(' || c == u')' || c == u',' || c == u';'; };
    QString out;
    out.reserve(sql.size());
    bool space = false;
    const int n = int(sql.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < n ? sql.at(i + 1) : QChar();
        if (c == u'-' && next == u'-') {
            while (i < n && sql.at(i) != u'\n')
                ++i;
            space = true;
            continue;
        }
        if (c == u'/' && next == u'*') {
            const int close = int(sql.indexOf(QStringLiteral("*/"), i + 2));
            i = close < 0 ? n : close + 1;
            space = true;
            continue;
        }
        if (c.isSpace()) {
            space = true;
            continue;
        }
        if (space && !out.isEmpty() && !punctuation(out.back()) && !punctuation(c))
            out += u' ';
        space = false;
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar end = c == u'[' ? QChar(u']') : c;
            int j = i + 1;
            for (; j < n; ++j) {
                if (sql.at(j) != end)
                    continue;
                if (end != u']' && j + 1 < n && sql.at(j + 1) == end) {
                    ++j; // a doubled quote stands for itself
                    continue;
                }
                break;
            }
            const QString quoted = sql.mid(i, j - i + 1);
            out += c == u'\'' ? quoted : quoted.toLower();
            i = j;
            continue;
        }
        out += c.toLower();
    }
    return out;
}

// The schema of a database: every table, index, view and trigger, by type and
// lower-case name, with its normalized CREATE statement. The indexes SQLite makes
// for a table's own constraints have no statement (they follow from the table's)
// and are left out, as are the tables of ANALYZE's statistics.
QHash<QString, QString> schemaOf(sqlite3 *h, bool *ok)
{
    QHash<QString, QString> schema;
    sqlite3_stmt *st = nullptr;
    *ok = sqlite3_prepare_v2(h, "SELECT type, name, sql FROM sqlite_master", -1, &st, nullptr) == SQLITE_OK;
    if (!*ok)
        return schema;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const QString type = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))).toLower();
        const bool noSql = sqlite3_column_type(st, 2) == SQLITE_NULL;
        if ((type == QLatin1String("index") && noSql)
            || (type == QLatin1String("table") && name.startsWith(QLatin1String("sqlite_stat"))))
            continue;
        schema.insert(type + QLatin1Char(' ') + name,
                      noSql ? QString()
                            : normalizedSql(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 2)))));
    }
    sqlite3_finalize(st);
    *ok = rc == SQLITE_DONE;
    return schema;
}

// The schema of a database made from data/schema.sql, read once from memory.
const QHash<QString, QString> &shippedSchema()
{
    static const QHash<QString, QString> schema = [] {
        RawDb mem;
        QHash<QString, QString> s;
        if (sqlite3_open(":memory:", &mem.h) != SQLITE_OK)
            return s;
        if (sqlite3_exec(mem.h, schemaSqlText(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return s;
        bool ok = false;
        s = schemaOf(mem.h, &ok);
        return ok ? s : QHash<QString, QString>();
    }();
    return schema;
}

// Whether a database's schema is the shipped one. Every table
// is the shipped one, statement for statement, so no column, type, default or
// constraint differs; an index must be one of the shipped ones (a database made
// before some of them were shipped lacks them, which costs speed only); a
// trigger or a view, which would run or show something of its own, is never one.
bool isShippedSchema(sqlite3 *h)
{
    bool ok = false;
    const QHash<QString, QString> have = schemaOf(h, &ok);
    const QHash<QString, QString> &shipped = shippedSchema();
    if (!ok || shipped.isEmpty())
        return false;
    for (auto e = have.cbegin(); e != have.cend(); ++e) {
        const auto s = shipped.constFind(e.key());
        if (s == shipped.cend() || s.value() != e.value())
            return false;
    }
    for (auto s = shipped.cbegin(); s != shipped.cend(); ++s) {
        if (s.key().startsWith(QLatin1String("table ")) && !have.contains(s.key()))
            return false;
    }
    return true;
}

} // namespace

// isKelmDatabase; locked tells a file that another copy kept locked past the wait.
static bool checkKelmDatabase(const QString &path, QString *why, bool *locked)
{
    *locked = false;
    auto fail = [&](const QString &w) {
        if (why)
            *why = w;
        return false;
    };
    const QString foreign = QStringLiteral("Файлът не е база данни на програмата.");
    QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        return fail(QStringLiteral("Файлът не съществува."));
    QByteArray head;
    qint64 length = 0;
    if (!readHead(path, 16, &head, &length))
        return fail(QStringLiteral("Файлът не може да бъде отворен."));
    if (head != sqliteMagic())
        return fail(foreign);
    RawDb db;
    if (openExisting(path, db) != SQLITE_OK)
        return fail(QStringLiteral("Файлът не може да бъде отворен: %1").arg(db.error()));
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(db.h,
                                "SELECT count(*) FROM sqlite_master WHERE type='table' AND lower(name) IN "
                                "('tabl','users','kelmcfg','shof','config','tarifi')",
                                -1, &st, nullptr);
    int found = 0;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW)
            found = sqlite3_column_int(st, 0);
    }
    sqlite3_finalize(st);
    // Only a file SQLite does not read as a database, or one without the program's
    // tables, is foreign; a file that is busy or cannot be read now is not.
    const int primary = sqlite3_errcode(db.h) & 0xff;
    *locked = rc != SQLITE_ROW && (primary == SQLITE_BUSY || primary == SQLITE_LOCKED);
    if (rc != SQLITE_ROW && primary != SQLITE_NOTADB && primary != SQLITE_CORRUPT)
        return fail(QStringLiteral("Файлът не може да бъде прочетен: %1").arg(db.error()));
    if (rc != SQLITE_ROW || found != 6)
        return fail(foreign);
    return true;
}

bool isKelmDatabase(const QString &path, QString *why)
{
    bool locked = false;
    return checkKelmDatabase(path, why, &locked);
}

QString sqliteLengthProblem(const QString &path)
{
    QByteArray h;
    qint64 length = 0;
    if (!readHead(path, 100, &h, &length))
        return QStringLiteral("Файлът не може да бъде отворен.");
    if (h.size() < 100)
        return QStringLiteral("Файлът е по-къс от заглавието на база данни.");
    auto be = [&h](int at, int bytes) {
        quint32 v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | uchar(h.at(at + i));
        return v;
    };
    // Bytes 16-17: the page size (1 stands for 65536). Bytes 28-31: the pages of
    // the file, which a writer keeps true whenever the counter at 24 equals the
    // one at 92.
    qint64 pageSize = be(16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return QStringLiteral("Заглавието на файла е повредено.");
    const quint32 pages = be(28, 4);
    const bool pagesKnown = pages != 0 && be(24, 4) == be(92, 4);
    const qint64 expected = pagesKnown ? qint64(pages) * pageSize : length - length % pageSize;
    if (length != expected)
        return QStringLiteral("Файлът е %1 байта, а заглавието му казва %2.").arg(length).arg(expected);
    return QString();
}

bool isWholeKelmDatabase(const QString &path, QString *why, bool *damaged)
{
    if (damaged)
        *damaged = false;
    auto fail = [&](const QString &w) {
        if (why)
            *why = w;
        return false;
    };
    auto broken = [&](const QString &w) {
        if (damaged)
            *damaged = true;
        return fail(w);
    };
    if (!isKelmDatabase(path, why)) {
        // A copy cut short by a page or more cannot even show its tables; an
        // SQLite file whose length is not its header's is still told as cut short.
        QByteArray head;
        qint64 length = 0;
        if (readHead(path, 16, &head, &length) && head == sqliteMagic()) {
            if (const QString w = sqliteLengthProblem(path); !w.isEmpty())
                return broken(w);
        }
        return false;
    }
    // SQLite reads what a file cut short lacks of its last page as zeros, and the
    // integrity check can pass over rows that lost their last bytes: the length
    // the header gives is what tells a whole copy.
    if (const QString w = sqliteLengthProblem(path); !w.isEmpty())
        return broken(w);
    const QString foreign = QStringLiteral("Файлът не е база данни на програмата.");
    RawDb db;
    if (openExisting(path, db) != SQLITE_OK)
        return fail(QStringLiteral("Файлът не може да бъде отворен: %1").arg(db.error()));
    // Every page, index and row is read: a file cut short or damaged anywhere fails.
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db.h, "PRAGMA integrity_check", -1, &st, nullptr) != SQLITE_OK)
        return fail(foreign);
    QStringList problems;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        problems << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE || problems != QStringList{QStringLiteral("ok")})
        return broken(QStringLiteral("Файлът е повреден."));
    if (!isShippedSchema(db.h))
        return fail(foreign);
    return true;
}

void Connection::open(const QString &connStr)
{
    const StatementScope scope;
    close();
    m_path = dataSourceOf(connStr);
    const bool mainDb = connStr.contains(QLatin1String("Database Password="), Qt::CaseInsensitive);
    if (m_path.isEmpty())
        throw DbError(ErrFileNotFound, QStringLiteral("Няма посочен файл с данни."));
    if (mainDb) {
        QString why;
        bool locked = false;
        if (!QFileInfo::exists(m_path))
            throw DbError(ErrFileNotFound,
                          QStringLiteral("Не намирам файла с данни „%1“.").arg(m_path));
        if (!checkKelmDatabase(m_path, &why, &locked)) {
            if (locked)
                throw sqliteError(SQLITE_BUSY);
            throw DbError(ErrNotDatabase, QStringLiteral("„%1“: %2").arg(m_path, why));
        }
    }
    m_name = QStringLiteral("kelm-%1").arg(s_connCounter.fetchAndAddRelaxed(1));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(lockWaitLimit()));
    if (!m_db.open()) {
        const DbError e = sqliteError(m_db.lastError());
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        m_name.clear();
        throw DbError(ErrFileNotFound,
                      QStringLiteral("Не мога да отворя „%1“: %2").arg(m_path, e.description()));
    }
    registerFunctions(m_db);
    if (sqlite3 *h = handleOf(m_db))
        installBusyWait(h);
    // A committed save must survive a power cut: the journal and the file are
    // synced to the disk before COMMIT returns.
    bool locked = false;
    {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
            locked = sqliteError(q.lastError()).number() == ErrLocked;
    }
    if (locked) {
        close();
        throw sqliteError(SQLITE_BUSY);
    }
}

void Connection::close()
{
    if (m_name.isEmpty())
        return;
    if (m_inTrans) {
        m_db.rollback();
        m_inTrans = false;
    }
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
    m_types.clear();
}

bool Connection::isOpen() const
{
    return !m_name.isEmpty() && m_db.isOpen();
}

void Connection::beginTrans()
{
    const StatementScope scope;
    if (!isOpen())
        throw DbError(ErrSql, QStringLiteral("Няма отворена връзка с базата данни."));
    if (m_inTrans)
        throw DbError(ErrSql, QStringLiteral("Вече има започната транзакция."));
    // IMMEDIATE takes the write lock at once, so two copies of the program wait
    // for each other instead of failing half-way through a save.
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        throw sqliteError(q.lastError());
    m_inTrans = true;
}

void Connection::commitTrans()
{
    if (!m_inTrans)
        return;
    const StatementScope scope;
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("COMMIT")))
        throw sqliteError(q.lastError());
    m_inTrans = false;
}

void Connection::rollbackTrans()
{
    if (!m_inTrans)
        return;
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("ROLLBACK"));
    m_inTrans = false;
}

QSqlQuery Connection::run(const QString &sql, const QVariantList &params, bool forwardOnly)
{
    const StatementScope scope;
    if (!isOpen())
        throw DbError(ErrSql, QStringLiteral("Няма отворена връзка с базата данни."));
    QSqlQuery q(m_db);
    q.setForwardOnly(forwardOnly);
    if (!q.prepare(sql))
        throw sqliteError(q.lastError());
    bindAll(q, params);
    if (!q.exec())
        throw sqliteError(q.lastError());
    return q;
}

int Connection::execute(const QString &sql, const QVariantList &params)
{
    QSqlQuery q = run(sql, params, false);
    return q.numRowsAffected();
}

QVariant Connection::scalar(const QString &sql, const QVariantList &params)
{
    QSqlQuery q = run(sql, params, true);
    return q.next() ? q.value(0) : QVariant();
}

void Connection::forEachRow(const QString &sql, const QVariantList &params,
                            const std::function<void(const QStringList &)> &onFields,
                            const std::function<void(const QVector<QVariant> &)> &onRow)
{
    QSqlQuery q = run(sql, params, true);
    // Values are typed by the declared column types of the table read.
    static const QRegularExpression fromRe(QStringLiteral("\\bFROM\\s+\\[?([A-Za-z_][A-Za-z0-9_]*)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto m = fromRe.match(sql);
    const QHash<QString, QString> types = m.hasMatch() ? columnTypes(m.captured(1)) : QHash<QString, QString>();
    const QSqlRecord rec = q.record();
    QStringList fields;
    QStringList decl;
    for (int i = 0; i < rec.count(); ++i) {
        fields << rec.fieldName(i);
        decl << types.value(rec.fieldName(i).toLower());
    }
    if (onFields)
        onFields(fields);
    QVector<QVariant> values(fields.size());
    while (q.next()) {
        for (int i = 0; i < values.size(); ++i)
            values[i] = fromStorage(q.value(i), decl.at(i));
        onRow(values);
    }
}

qint64 Connection::lastInsertId()
{
    return scalar(QStringLiteral("SELECT last_insert_rowid()")).toLongLong();
}

const QHash<QString, QString> &Connection::columnTypes(const QString &table)
{
    const QString key = table.toLower();
    auto it = m_types.find(key);
    if (it != m_types.end())
        return it.value();
    QHash<QString, QString> types;
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(QString(table).remove(QLatin1Char('"'))))) {
        while (q.next())
            types.insert(q.value(1).toString().toLower(), q.value(2).toString().toUpper());
    } else {
        // Told, never kept as a table without columns.
        throwIfLocked(q.lastError());
    }
    return m_types.insert(key, types).value();
}

bool Connection::hasTable(const QString &table)
{
    return !columnTypes(table).isEmpty();
}

QString schemaSql()
{
    return QString::fromUtf8(schemaSqlText());
}

void createDatabaseFromSchema(const QString &path)
{
    if (QFileInfo::exists(path))
        throw DbError(ErrSql, QStringLiteral("„%1“ вече съществува.").arg(path));
    Connection c;
    c.open(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=%1;").arg(path));
    c.beginTrans();
    // Statements end with ";" at a line's end; comments are dropped first.
    QString text;
    for (const QString &line : schemaSql().split(QLatin1Char('\n'))) {
        const int dash = line.indexOf(QLatin1String("--"));
        text += (dash >= 0 ? line.left(dash) : line) + QLatin1Char('\n');
    }
    for (const QString &stmt : text.split(QLatin1Char(';'))) {
        if (!stmt.trimmed().isEmpty())
            c.execute(stmt.trimmed());
    }
    c.commitTrans();
    c.close();
}

// ---------------------------------------------------------------------------

// True when an index of the table starts with the column, compares it as stored
// (BINARY) and covers every row, so that seeking from value to value may use it.
static bool hasIndexOn(Connection &conn, const QString &table, const QString &column)
{
    QSqlQuery list(conn.db());
    if (!list.exec(QStringLiteral("PRAGMA index_list(\"%1\")").arg(table))) {
        throwIfLocked(list.lastError());
        return false;
    }
    QStringList names;
    while (list.next())
        if (list.value(4).toInt() == 0) // not a partial index
            names << list.value(1).toString();
    for (const QString &name : names) {
        QSqlQuery info(conn.db());
        if (info.exec(QStringLiteral("PRAGMA index_xinfo(\"%1\")").arg(name)) && info.next()
            && info.value(0).toInt() == 0
            && info.value(2).toString().compare(column, Qt::CaseInsensitive) == 0
            && info.value(4).toString().compare(QLatin1String("BINARY"), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QStringList distinctValues(Connection &conn, const QString &table, const QString &column)
{
    const QString t = QString(table).remove(QLatin1Char('"'));
    const QString c = QString(column).remove(QLatin1Char('"'));
    QString sql;
    if (hasIndexOn(conn, t, c)) {
        sql = QStringLiteral("WITH RECURSIVE d(v) AS (SELECT min(\"%2\") FROM \"%1\" UNION ALL "
                             "SELECT (SELECT \"%2\" FROM \"%1\" WHERE \"%2\">d.v ORDER BY \"%2\" LIMIT 1) "
                             "FROM d WHERE d.v IS NOT NULL) "
                             "SELECT v FROM d WHERE v IS NOT NULL ORDER BY v COLLATE BG")
                  .arg(t, c);
    } else {
        // A database made before the index existed: one scan of the table.
        sql = QStringLiteral("SELECT DISTINCT \"%2\" FROM \"%1\" WHERE \"%2\" IS NOT NULL "
                             "ORDER BY \"%2\" COLLATE BG")
                  .arg(t, c);
    }
    QStringList values;
    conn.forEachRow(sql, {}, nullptr, [&values](const QVector<QVariant> &row) { values << row.at(0).toString(); });
    return values;
}

Recordset::Recordset(QObject *parent) : QObject(parent) {}

Recordset::~Recordset() = default;

void Recordset::open(Connection &conn, const QString &sql, const QVariantList &params, LockType lock)
{
    close();
    m_conn = &conn;
    m_sql = sql;
    m_params = params;
    m_lock = lock;
    try {
        load();
    } catch (...) {
        m_conn = nullptr;
        throw;
    }
    setPos(m_rows.isEmpty() ? -1 : 0);
}

void Recordset::close()
{
    m_conn = nullptr;
    m_rows.clear();
    m_keys.clear();
    m_deleted.clear();
    m_fields.clear();
    m_types.clear();
    m_table.clear();
    m_keyCol.clear();
    m_pageSql.clear();
    m_sigFields.clear();
    m_sigColumns.clear();
    m_paged = false;
    m_holdAll = false;
    m_cached = 0;
    m_pageStarts.clear();
    m_pos = -1;
    m_editMode = EditNone;
}

static const char *kKeyAlias = "kelm_rowkey";

// The sqlite3 handle under a Qt connection: the keys of a big query are read
// straight from SQLite, a million of them in a few dozen milliseconds.
static sqlite3 *sqliteHandle(QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

namespace {

// One prepared statement of the C interface, finalized on every way out.
class Statement {
public:
    Statement(sqlite3 *db, const QString &sql) : m_db(db)
    {
        const QByteArray text = sql.toUtf8();
        m_rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    bool ok() const { return m_rc == SQLITE_OK && m_stmt; }
    sqlite3_stmt *get() const { return m_stmt; }
    DbError error() const { return sqliteError(sqlite3_extended_errcode(m_db)); }

    // Binds the values as the Qt driver would, after converting them to what is stored.
    bool bind(const QVariantList &params)
    {
        for (int i = 0; i < params.size(); ++i) {
            const QVariant v = toStorage(params.at(i));
            int rc;
            if (!v.isValid() || v.isNull()) {
                rc = sqlite3_bind_null(m_stmt, i + 1);
            } else {
                switch (v.typeId()) {
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::LongLong:
                case QMetaType::ULongLong:
                case QMetaType::Bool:
                    rc = sqlite3_bind_int64(m_stmt, i + 1, v.toLongLong());
                    break;
                case QMetaType::Double:
                case QMetaType::Float:
                    rc = sqlite3_bind_double(m_stmt, i + 1, v.toDouble());
                    break;
                case QMetaType::QByteArray: {
                    const QByteArray b = v.toByteArray();
                    rc = sqlite3_bind_blob(m_stmt, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                    break;
                }
                default: {
                    const QString t = v.toString();
                    rc = sqlite3_bind_text16(m_stmt, i + 1, t.utf16(), int(t.size() * sizeof(QChar)),
                                             SQLITE_TRANSIENT);
                    break;
                }
                }
            }
            if (rc != SQLITE_OK)
                return false;
        }
        return true;
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc;
};

// A column of the current row as the Qt driver gives it, converted by its
// declared type word as fromStorage converts it.
QVariant columnValue(sqlite3_stmt *st, int i, const QString &declType)
{
    const int type = sqlite3_column_type(st, i);
    switch (type) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(st, i);
        if (declType == QLatin1String("INTEGER"))
            return (v >= INT_MIN && v <= INT_MAX) ? QVariant(int(v)) : QVariant(qlonglong(v));
        if (declType == QLatin1String("DOUBLE"))
            return QVariant(double(v));
        if (declType == QLatin1String("BOOLEAN"))
            return QVariant(v != 0);
        return fromStorage(QVariant(qlonglong(v)), declType);
    }
    case SQLITE_FLOAT:
        if (declType == QLatin1String("DOUBLE"))
            return QVariant(sqlite3_column_double(st, i));
        return fromStorage(QVariant(sqlite3_column_double(st, i)), declType);
    case SQLITE_TEXT: {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        const int len = sqlite3_column_bytes(st, i);
        const QString text = QString::fromUtf8(p, len);
        if (declType.isEmpty() || declType == QLatin1String("TEXT"))
            return QVariant(text);
        return fromStorage(QVariant(text), declType);
    }
    default:
        return fromStorage(QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, i)),
                                               sqlite3_column_bytes(st, i))),
                           declType);
    }
}

} // namespace

// Tells a refused write of a row apart: the row is still there (changed by
// another user) or gone. Read only after a write found nothing to write.
[[noreturn]] static void throwRefusal(Connection &conn, const RowAsRead &row)
{
    const QVariant there = conn.scalar(QStringLiteral("SELECT 1 FROM %1 WHERE %2=?")
                                           .arg(quotedName(row.table), row.keyColumn),
                                       {row.key});
    if (there.isValid())
        throw rowChangedError();
    throw rowDeletedError();
}

qint64 updateRowAsRead(Connection &conn, const RowAsRead &row, const QStringList &columns,
                       const QVariantList &values)
{
    if (!row.isValid() || columns.isEmpty())
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
    const StatementScope scope;
    sqlite3 *h = conn.isOpen() ? sqliteHandle(conn.db()) : nullptr;
    if (!h)
        throw DbError(ErrSql, QStringLiteral("Няма отворена връзка с базата данни."));
    QStringList sets;
    for (const QString &c : columns)
        sets << quotedName(c) + QStringLiteral("=?");
    const QString sig = signatureCall(row.columns);
    // The check is part of the write: the row is changed only where it still
    // holds what was read, and the statement answers what it holds now.
    Statement st(h, QStringLiteral("UPDATE %1 SET %2 WHERE %3=? AND %4=? RETURNING %4")
                        .arg(quotedName(row.table), sets.join(QStringLiteral(", ")), row.keyColumn, sig));
    QVariantList params = values;
    params << row.key << row.signature;
    if (!st.ok() || !st.bind(params))
        throw st.error();
    int rc = sqlite3_step(st.get());
    if (rc == SQLITE_DONE)
        throwRefusal(conn, row);
    if (rc != SQLITE_ROW)
        throw sqliteError(rc);
    const qint64 now = sqlite3_column_int64(st.get(), 0);
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw sqliteError(rc);
    return now;
}

void deleteRowAsRead(Connection &conn, const RowAsRead &row)
{
    if (!row.isValid())
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
    const int n = conn.execute(QStringLiteral("DELETE FROM %1 WHERE %2=? AND %3=?")
                                   .arg(quotedName(row.table), row.keyColumn, signatureCall(row.columns)),
                               {row.key, row.signature});
    if (n == 0)
        throwRefusal(conn, row);
}

void inTransaction(Connection &conn, const std::function<void()> &body)
{
    conn.beginTrans();
    try {
        body();
        conn.commitTrans();
    } catch (...) {
        conn.rollbackTrans();
        throw;
    }
}

void forEachStatementRow(Connection &conn, const QString &sql, const QVariantList &params,
                         const std::function<void(const QStringList &, const QStringList &)> &onFields,
                         const std::function<void(sqlite3_stmt *)> &onRow)
{
    const StatementScope scope;
    sqlite3 *h = conn.isOpen() ? sqliteHandle(conn.db()) : nullptr;
    if (!h)
        throw DbError(ErrSql, QStringLiteral("Няма отворена връзка с базата данни."));
    Statement st(h, sql);
    if (!st.ok() || !st.bind(params))
        throw st.error();
    QStringList names, types;
    const int n = sqlite3_column_count(st.get());
    for (int i = 0; i < n; ++i) {
        names << QString::fromUtf8(sqlite3_column_name(st.get(), i));
        const char *t = sqlite3_column_decltype(st.get(), i);
        types << (t ? QString::fromUtf8(t).toUpper() : QString());
    }
    if (onFields)
        onFields(names, types);
    for (;;) {
        const int rc = sqlite3_step(st.get());
        if (rc == SQLITE_ROW)
            onRow(st.get());
        else if (rc == SQLITE_DONE)
            break;
        else
            throw sqliteError(rc);
    }
}

void Recordset::load()
{
    const StatementScope scope;
    static const QRegularExpression re(
        QStringLiteral("^\\s*SELECT\\s+(DISTINCT\\s+|TOP\\s+\\d+\\s+)?(.*?)\\s+FROM\\s+\\[?([A-Za-z_][A-Za-z0-9_]*)\\]?(.*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression complexRe(
        QStringLiteral("\\b(JOIN|GROUP\\s+BY|UNION)\\b|^\\s*,|\\b(SUM|COUNT|MAX|MIN|AVG)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    // "ORDER BY 2" names a column of the select list, which the key query lacks.
    static const QRegularExpression orderByNumberRe(QStringLiteral("\\bORDER\\s+BY\\s+\\d"),
                                                    QRegularExpression::CaseInsensitiveOption);
    m_table.clear();
    m_keyCol.clear();
    m_pageSql.clear();
    m_sigFields.clear();
    m_sigColumns.clear();
    m_paged = false;
    m_cached = 0;
    m_pageStarts.clear();
    m_keys.clear();
    QString sql = m_sql;
    const auto m = re.match(m_sql);
    QString table;
    if (m.hasMatch()) {
        table = m.captured(3);
        const bool distinct = !m.captured(1).isEmpty();
        const QString cols = m.captured(2);
        const QString rest = m.captured(4);
        const auto &types = m_conn->columnTypes(table);
        if (!types.isEmpty() && !distinct && !complexRe.match(rest).hasMatch()
            && !complexRe.match(cols).hasMatch()) {
            m_table = table;
            m_keyCol = types.contains(QStringLiteral("id")) ? QStringLiteral("ID") : QStringLiteral("rowid");
            // Rows by their keys: a paged recordset's pages, and a row read
            // again after a refused write. The text, the keys' marks and ")".
            m_pageSql = QStringLiteral("SELECT \"%1\".%2 AS %3, %4 FROM %1 WHERE \"%1\".%2 IN (")
                            .arg(table, m_keyCol, QLatin1String(kKeyAlias), cols);
            if (!orderByNumberRe.match(rest).hasMatch() && loadPaged(table, rest))
                return;
            sql = QStringLiteral("SELECT \"%1\".%2 AS %3, %4 FROM %5%6")
                      .arg(table, m_keyCol, QLatin1String(kKeyAlias), cols, table, rest);
        }
    }
    sqlite3 *h = m_conn->isOpen() ? sqliteHandle(m_conn->db()) : nullptr;
    if (!h)
        throw DbError(ErrSql, QStringLiteral("Няма отворена връзка с базата данни."));
    Statement st(h, sql);
    if (!st.ok() || !st.bind(m_params))
        throw st.error();
    const int first = m_keyCol.isEmpty() ? 0 : 1;
    m_fields.clear();
    m_types.clear();
    const QHash<QString, QString> types = table.isEmpty() ? QHash<QString, QString>() : m_conn->columnTypes(table);
    const int count = sqlite3_column_count(st.get());
    for (int i = first; i < count; ++i) {
        m_fields << QString::fromUtf8(sqlite3_column_name(st.get(), i));
        m_types << types.value(m_fields.last().toLower());
    }
    if (first)
        findSignatureFields(st.get(), first);
    m_rows.clear();
    m_deleted.clear();
    for (;;) {
        const int rc = sqlite3_step(st.get());
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            throw sqliteError(rc);
        auto row = std::make_shared<Row>();
        row->serial = m_nextSerial++;
        if (first)
            row->key = qlonglong(sqlite3_column_int64(st.get(), 0));
        fillRow(*row, st.get(), first);
        m_rows.push_back(row);
    }
    m_editMode = EditNone;
}

void Recordset::findSignatureFields(sqlite3_stmt *st, int firstField)
{
    m_sigFields.clear();
    m_sigColumns.clear();
    const auto &types = m_conn->columnTypes(m_table);
    for (int i = 0; i < m_fields.size(); ++i) {
        const QString &f = m_fields.at(i);
        if (f.compare(m_keyCol, Qt::CaseInsensitive) == 0)
            continue;
        const auto t = types.constFind(f.toLower());
        if (t == types.constEnd())
            continue;
        // A column of the table, not an expression that bears a column's name
        // (SQLite gives an expression no declared type).
        if (!sqlite3_column_decltype(st, i + firstField) && !t.value().isEmpty())
            continue;
        m_sigFields << i;
        m_sigColumns << f;
    }
}

void Recordset::fillRow(Row &row, sqlite3_stmt *st, int first) const
{
    const int nf = int(m_fields.size());
    row.values.resize(nf);
    for (int f = 0; f < nf; ++f)
        row.values[f] = columnValue(st, f + first, m_types.at(f));
    row.original = row.values;
    SignatureHash sig;
    for (int f : m_sigFields)
        sig.add(st, f + first);
    row.sig = sig.result();
}

// Reads the keys of the query's rows in its order, and the values of the first
// page. False (nothing changed) when the query cannot be split that way; the
// caller then reads it whole.
bool Recordset::loadPaged(const QString &table, const QString &rest)
{
    sqlite3 *h = sqliteHandle(m_conn->db());
    if (!h)
        return false;
    Statement keys(h, QStringLiteral("SELECT \"%1\".%2 FROM %1%3").arg(table, m_keyCol, rest));
    if (!keys.ok())
        throwIfLocked(sqlite3_extended_errcode(h));
    if (!keys.ok() || sqlite3_column_count(keys.get()) != 1)
        return false;
    if (!keys.bind(m_params))
        return false;
    // The field names come from the page query itself, before any key is read.
    Statement probe(h, m_pageSql + QLatin1Char(')'));
    if (!probe.ok()) {
        throwIfLocked(sqlite3_extended_errcode(h));
        return false;
    }

    QVector<qint64> read;
    for (;;) {
        const int rc = sqlite3_step(keys.get());
        if (rc == SQLITE_ROW) {
            read.push_back(sqlite3_column_int64(keys.get(), 0));
        } else if (rc == SQLITE_DONE) {
            break;
        } else {
            throw sqliteError(rc);
        }
    }
    const auto &types = m_conn->columnTypes(table);
    m_fields.clear();
    m_types.clear();
    const int count = sqlite3_column_count(probe.get());
    for (int i = 1; i < count; ++i) {
        m_fields << QString::fromUtf8(sqlite3_column_name(probe.get(), i));
        m_types << types.value(m_fields.last().toLower());
    }
    findSignatureFields(probe.get(), 1);
    m_paged = true;
    m_keys = std::move(read);
    // Room for the rows a screen adds ("Нов курс" adds one at once): a full
    // vector would be copied whole by the first add, a million rows taking as
    // long as reading their keys.
    m_rows = QVector<RowPtr>();
    m_rows.reserve(m_keys.size() + kAddedRowsRoom);
    m_rows.resize(m_keys.size());
    m_keys.reserve(m_keys.size() + kAddedRowsRoom);
    m_cached = 0;
    m_deleted.clear();
    m_editMode = EditNone;
    if (!m_keys.isEmpty())
        fetchPage(0);
    return true;
}

void Recordset::fetchPage(int i) const
{
    const StatementScope scope;
    const int n = int(m_rows.size());
    const int from = i - i % kPageRows;
    const int to = std::min(n, from + kPageRows);
    QVariantList keys;
    for (int j = from; j < to; ++j)
        if (!m_rows.at(j) && m_keys.at(j) != 0)
            keys << m_keys.at(j);
    if (keys.isEmpty())
        return;
    if (m_cached + keys.size() > kCachedRows)
        evictRows(from, to, int(keys.size()));
    QStringList marks;
    for (int j = 0; j < keys.size(); ++j)
        marks << QStringLiteral("?");
    const QString sql = m_pageSql + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    sqlite3 *h = m_conn->isOpen() ? sqliteHandle(m_conn->db()) : nullptr;
    if (!h)
        throw DbError(ErrSql, QStringLiteral("Няма отворена връзка с базата данни."));
    Statement st(h, sql);
    if (!st.ok() || !st.bind(keys))
        throw st.error();
    const int nf = int(m_fields.size());
    QHash<qint64, RowPtr> got;
    got.reserve(keys.size());
    for (;;) {
        const int rc = sqlite3_step(st.get());
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            throw st.error();
        auto row = std::make_shared<Row>();
        const qint64 key = sqlite3_column_int64(st.get(), 0);
        row->serial = key;
        row->key = key;
        fillRow(*row, st.get(), 1);
        got.insert(key, row);
    }
    for (int j = from; j < to; ++j) {
        if (m_rows.at(j) || m_keys.at(j) == 0)
            continue;
        RowPtr r = got.value(m_keys.at(j));
        if (!r) {
            // Deleted by another user since the keys were read.
            r = std::make_shared<Row>();
            r->serial = m_keys.at(j);
            r->key = m_keys.at(j);
            r->values.resize(nf);
            r->original = r->values;
            r->gone = true;
        }
        m_rows[j] = r;
        ++m_cached;
    }
    m_pageStarts.append(from);
}

// Reads a row's values by its key into it; false when no row has that key.
bool Recordset::readByKey(Row &row) const
{
    sqlite3 *h = m_conn && m_conn->isOpen() ? sqliteHandle(m_conn->db()) : nullptr;
    if (!h || m_pageSql.isEmpty())
        throw DbError(ErrSql, QStringLiteral("Няма отворена връзка с базата данни."));
    Statement st(h, m_pageSql + QStringLiteral("?)"));
    if (!st.ok() || !st.bind({row.key}))
        throw st.error();
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW) {
        fillRow(row, st.get(), 1);
        return true;
    }
    if (rc != SQLITE_DONE)
        throw sqliteError(rc);
    return false;
}

// Reads one row again by its key, in place: what it holds now, or that it is gone.
void Recordset::rereadRow(int i) const
{
    const StatementScope scope;
    Row &r = *m_rows.at(i);
    r.stale = false;
    r.dirty = false;
    try {
        r.gone = !readByKey(r);
    } catch (...) {
        r.stale = true;
        throw;
    }
    if (r.gone) {
        r.values.fill(QVariant());
        r.original = r.values;
    }
}

// Forgets the values of rows far from the ones being read, oldest pages first;
// rows with changes not written yet, rows added here and the current row stay.
void Recordset::holdAllRows()
{
    m_holdAll = true;
    if (!m_paged)
        return;
    for (int i = 0; i < m_rows.size(); i += kPageRows)
        fetchPage(i);
}

void Recordset::evictRows(int keepFrom, int keepTo, int incoming) const
{
    if (m_holdAll)
        return;
    const int lo = keepFrom - kPageRows, hi = keepTo + kPageRows;
    for (int tries = int(m_pageStarts.size()); tries > 0 && m_cached + incoming > kCachedRows; --tries) {
        const int start = m_pageStarts.takeFirst();
        if (start >= lo && start < hi) {
            m_pageStarts.append(start);
            continue;
        }
        const int end = std::min<int>(start + kPageRows, int(m_rows.size()));
        for (int j = std::max(0, start); j < end; ++j)
            forgetRow(j, lo, hi);
    }
    // Rows moved by deletes and additions may have escaped their page's record.
    if (m_cached + incoming > kCachedRows) {
        for (int j = 0; j < m_rows.size(); ++j)
            forgetRow(j, lo, hi);
    }
}

void Recordset::forgetRow(int j, int lo, int hi) const
{
    const RowPtr &r = m_rows.at(j);
    if (!r || (j >= lo && j < hi) || j == m_pos || r->dirty || r->isNew || r->serial <= 0)
        return;
    m_rows[j].reset();
    --m_cached;
}

Recordset::Row &Recordset::rowAt(int i) const
{
    if (!m_rows.at(i))
        fetchPage(i);
    else if (m_rows.at(i)->stale)
        rereadRow(i);
    return *m_rows.at(i);
}

void Recordset::removeAt(int i)
{
    if (m_paged) {
        if (m_rows.at(i) && !m_rows.at(i)->isNew && m_rows.at(i)->serial > 0)
            --m_cached;
        m_keys.removeAt(i);
    }
    m_rows.removeAt(i);
}

void Recordset::syncKey(int i)
{
    if (m_paged && m_rows.at(i))
        m_keys[i] = m_rows.at(i)->key.toLongLong();
}

void Recordset::landOn(int i)
{
    if (rowAt(i).gone) {
        // Showing it would show nothing true: it leaves the list, and the
        // position stays on the row the move started from.
        removeAt(i);
        if (i < m_pos)
            --m_pos;
        m_pos = std::min<int>(m_pos, int(m_rows.size()));
        if (m_rows.isEmpty())
            m_pos = -1;
        throw rowDeletedError();
    }
    setPos(i);
}

void Recordset::requery()
{
    if (!m_conn)
        throw DbError(ErrSql, QStringLiteral("Наборът от записи не е отворен."));
    load();
    setPos(m_rows.isEmpty() ? -1 : 0);
}

bool Recordset::bof() const
{
    return m_rows.isEmpty() || m_pos < 0;
}

bool Recordset::eof() const
{
    return m_rows.isEmpty() || m_pos >= m_rows.size();
}

void Recordset::setPos(int pos)
{
    m_pos = pos;
    Q_EMIT moveComplete();
}

void Recordset::moveFirst()
{
    if (m_editMode != EditNone)
        update();
    if (m_rows.isEmpty())
        setPos(-1);
    else
        landOn(0);
}

void Recordset::moveLast()
{
    if (m_editMode != EditNone)
        update();
    if (m_rows.isEmpty())
        setPos(-1);
    else
        landOn(int(m_rows.size()) - 1);
}

void Recordset::moveNext()
{
    if (m_editMode != EditNone)
        update();
    if (m_rows.isEmpty() || m_pos >= m_rows.size())
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
    if (m_pos + 1 < m_rows.size())
        landOn(m_pos + 1);
    else
        setPos(m_pos + 1);
}

void Recordset::movePrevious()
{
    if (m_editMode != EditNone)
        update();
    if (m_rows.isEmpty() || m_pos < 0)
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
    if (m_pos - 1 >= 0)
        landOn(m_pos - 1);
    else
        setPos(m_pos - 1);
}

int Recordset::absolutePosition() const
{
    if (bof() || eof())
        return 0;
    return m_pos + 1;
}

void Recordset::setAbsolutePosition(int pos)
{
    if (pos < 1 || pos > m_rows.size())
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма такъв запис."));
    if (m_editMode != EditNone)
        update();
    // A grid addresses rows by index, so a row deleted by another user is
    // reported here without leaving the list.
    if (rowAt(pos - 1).gone)
        throw rowDeletedError();
    setPos(pos - 1);
}

qint64 Recordset::bookmark() const
{
    requireCurrent();
    return rowAt(m_pos).serial;
}

// A paged recordset's bookmark is the row's key; a row added here has a
// negative one of its own, which stays when the row is written.
int Recordset::indexOfBookmark(qint64 bm) const
{
    if (m_paged && bm > 0) {
        const int i = int(m_keys.indexOf(bm));
        if (i >= 0 && (!m_rows.at(i) || m_rows.at(i)->serial == bm))
            return i;
    }
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i) && m_rows.at(i)->serial == bm)
            return i;
    return -1;
}

bool Recordset::hasBookmark(qint64 bm) const
{
    return indexOfBookmark(bm) >= 0;
}

void Recordset::setBookmark(qint64 bm)
{
    const int i = indexOfBookmark(bm);
    if (i < 0)
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Записът вече не съществува."));
    if (m_editMode != EditNone)
        update();
    // Writing a row added in batch mode leaves every index as it was.
    landOn(i);
}

int Recordset::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool Recordset::hasField(const QString &name) const
{
    return fieldIndex(name) >= 0;
}

QString Recordset::declType(const QString &field) const
{
    const int i = fieldIndex(field);
    return i < 0 ? QString() : m_types.at(i);
}

void Recordset::requireCurrent() const
{
    if (bof() || eof())
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
}

void Recordset::requireUpdatable() const
{
    if (!updatable())
        throw DbError(ErrNotUpdatable, QStringLiteral("Наборът от записи не може да се променя."));
}

QVariant Recordset::value(const QString &field) const
{
    requireCurrent();
    return value(m_pos, field);
}

QVariant Recordset::value(int row, const QString &field) const
{
    const int i = fieldIndex(field);
    if (i < 0)
        throw DbError(ErrUnknownField, QStringLiteral("Няма поле „%1“.").arg(field));
    if (row < 0 || row >= m_rows.size())
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
    const Row &r = rowAt(row);
    if (r.gone)
        throw rowDeletedError();
    return r.values.at(i);
}

void Recordset::setValue(const QString &field, const QVariant &v)
{
    requireCurrent();
    setValue(m_pos, field, v);
    if (m_editMode == EditNone)
        m_editMode = EditInProgress;
}

void Recordset::setValue(int row, const QString &field, const QVariant &v)
{
    const int i = fieldIndex(field);
    if (i < 0)
        throw DbError(ErrUnknownField, QStringLiteral("Няма поле „%1“.").arg(field));
    if (row < 0 || row >= m_rows.size())
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
    Row &r = rowAt(row);
    if (r.gone)
        throw rowDeletedError();
    // Keep the value in the form it is read back in, so a row reads the same
    // before and after it was written.
    const QString &t = m_types.at(i);
    r.values[i] = t.isEmpty() ? v : fromStorage(toStorage(v, t), t);
    r.dirty = true;
}

void Recordset::addNew()
{
    requireUpdatable();
    if (m_editMode != EditNone)
        update();
    auto row = std::make_shared<Row>();
    row->serial = m_paged ? -(m_nextSerial++) : m_nextSerial++;
    row->isNew = true;
    row->dirty = true;
    row->values.resize(m_fields.size());
    row->original = row->values;
    m_rows.push_back(row);
    if (m_paged)
        m_keys.push_back(0);
    m_editMode = EditAdd;
    setPos(int(m_rows.size()) - 1);
}

RowAsRead Recordset::asRead(const Row &row) const
{
    RowAsRead r;
    if (row.isNew || row.gone || !updatable())
        return r;
    r.table = m_table;
    r.keyColumn = m_keyCol;
    r.key = row.key.toLongLong();
    r.columns = m_sigColumns;
    r.signature = row.sig;
    return r;
}

RowAsRead Recordset::rowAsRead() const
{
    requireCurrent();
    return rowAsRead(m_pos);
}

RowAsRead Recordset::rowAsRead(int row) const
{
    if (row < 0 || row >= m_rows.size())
        throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
    return asRead(rowAt(row));
}

QVector<RowAsRead> Recordset::rowsAsRead() const
{
    QVector<RowAsRead> rows;
    for (int i = 0; i < m_rows.size(); ++i)
        if (const RowAsRead r = rowAsRead(i); r.isValid())
            rows << r;
    for (const RowPtr &d : m_deleted)
        if (const RowAsRead r = asRead(*d); r.isValid())
            rows << r;
    return rows;
}

void Recordset::readAgain(int row)
{
    if (!updatable() || row < 0 || row >= m_rows.size() || !m_rows.at(row) || m_rows.at(row)->isNew)
        return;
    Row &r = *m_rows.at(row);
    r.values = r.original;
    r.dirty = false;
    r.stale = true;
    if (row == m_pos)
        m_editMode = EditNone;
}

void Recordset::readAgainKeys(const QVector<qint64> &keys)
{
    if (keys.isEmpty() || !updatable())
        return;
    const QSet<qint64> wanted(keys.begin(), keys.end());
    for (const RowPtr &r : std::as_const(m_rows))
        if (r && !r->isNew && !r->dirty && wanted.contains(r->key.toLongLong()))
            r->stale = true;
}

void Recordset::leaveOut(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    if (row == m_pos)
        m_editMode = EditNone;
    removeAt(row);
    if (row <= m_pos)
        --m_pos;
    if (m_rows.isEmpty())
        m_pos = -1;
}

void Recordset::dropChange(int i, const DbError &e)
{
    m_editMode = EditNone;
    if (e.number() == ErrRowDeleted) {
        // Another user deleted it: it leaves the list as a delete here would.
        leaveOut(i);
    } else {
        readAgain(i);
    }
    throw e;
}

bool isRefusedWrite(const DbError &e)
{
    return e.number() == ErrWriteConflict || e.number() == ErrRowDeleted;
}

void Recordset::writeRow(Row &row)
{
    const auto &types = m_conn->columnTypes(m_table);
    QStringList cols;
    QVariantList vals;
    for (int i = 0; i < m_fields.size(); ++i) {
        const QString f = m_fields.at(i);
        if (f.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0 || !types.contains(f.toLower()))
            continue;
        if (!row.isNew && row.values.at(i) == row.original.at(i)
            && row.values.at(i).isNull() == row.original.at(i).isNull())
            continue;
        cols << f;
        vals << toStorage(row.values.at(i), m_types.at(i));
    }
    if (row.isNew) {
        QString sql;
        if (cols.isEmpty()) {
            sql = QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(m_table);
        } else {
            QStringList marks;
            for (int i = 0; i < cols.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES (%3)")
                      .arg(m_table, cols.join(QStringLiteral("\", \"")), marks.join(QStringLiteral(", ")));
        }
        m_conn->execute(sql, vals);
        row.key = m_conn->lastInsertId();
        // Read the stored row back, so defaults of the table show at once, and
        // what it holds is what the next write of it checks.
        readByKey(row);
    } else if (!cols.isEmpty()) {
        row.sig = updateRowAsRead(*m_conn, asRead(row), cols, vals);
    }
    row.isNew = false;
    row.dirty = false;
    row.original = row.values;
}

void Recordset::update()
{
    if (m_editMode == EditNone && (bof() || eof() || !rowAt(m_pos).dirty))
        return;
    requireUpdatable();
    requireCurrent();
    if (m_lock == LockOptimistic) {
        try {
            writeRow(rowAt(m_pos));
        } catch (const DbError &e) {
            if (isRefusedWrite(e))
                dropChange(m_pos, e);
            throw;
        }
        syncKey(m_pos);
    }
    m_editMode = EditNone;
}

void Recordset::cancelUpdate()
{
    if (bof() || eof()) {
        m_editMode = EditNone;
        return;
    }
    Row &row = rowAt(m_pos);
    if (m_editMode == EditAdd && row.isNew) {
        removeAt(m_pos);
        m_editMode = EditNone;
        setPos(m_rows.isEmpty() ? -1 : std::min<int>(m_pos, int(m_rows.size()) - 1));
        return;
    }
    if (m_editMode != EditNone || m_lock == LockOptimistic) {
        row.values = row.original;
        row.dirty = false;
    }
    m_editMode = EditNone;
}

void Recordset::deleteRowInDb(Row &row)
{
    if (row.isNew)
        return;
    deleteRowAsRead(*m_conn, asRead(row));
}

void Recordset::deleteRecord()
{
    requireUpdatable();
    requireCurrent();
    rowAt(m_pos);
    RowPtr row = m_rows.at(m_pos);
    bool goneAlready = false;
    if (m_lock == LockOptimistic) {
        try {
            deleteRowInDb(*row);
        } catch (const DbError &e) {
            // Changed by another user: nothing is deleted and the row shows what
            // it holds now. Deleted by another user: it leaves the list all the
            // same, and the caller is told.
            if (e.number() != ErrRowDeleted)
                dropChange(m_pos, e);
            goneAlready = true;
        }
    } else {
        m_deleted.push_back(row);
    }
    removeAt(m_pos);
    m_editMode = EditNone;
    // Like ADO, the deleted row leaves a gap the caller moves away from: the next
    // row now sits at the same index, so "move next" lands on the row after it.
    m_pos = m_pos - 1;
    if (m_rows.isEmpty())
        m_pos = -1;
    if (goneAlready)
        throw rowDeletedError();
}

bool Recordset::hasPendingChanges() const
{
    if (!m_deleted.isEmpty())
        return true;
    for (const auto &r : m_rows)
        if (r && r->dirty)
            return true;
    return false;
}

void Recordset::updateBatch()
{
    requireUpdatable();
    m_editMode = EditNone;
    const bool own = !m_conn->inTransaction();
    if (own)
        m_conn->beginTrans();
    // Rows written before a write fails are pending again when it is rolled back.
    struct Before {
        RowPtr row;
        bool isNew;
        QVariant key;
        QVector<QVariant> original;
        qint64 sig;
    };
    QVector<Before> written;
    try {
        for (auto &r : m_deleted)
            deleteRowInDb(*r);
        for (int i = 0; i < m_rows.size(); ++i) {
            if (m_rows.at(i) && m_rows.at(i)->dirty) {
                const RowPtr &r = m_rows.at(i);
                written.push_back({r, r->isNew, r->key, r->original, r->sig});
                try {
                    writeRow(*m_rows[i]);
                } catch (const DbError &e) {
                    written.pop_back();
                    if (isRefusedWrite(e) && !r->isNew)
                        dropChange(i, e);
                    throw;
                }
                syncKey(i);
            }
        }
        if (own)
            m_conn->commitTrans();
    } catch (...) {
        if (own)
            m_conn->rollbackTrans();
        for (const Before &b : written) {
            b.row->isNew = b.isNew;
            b.row->key = b.key;
            b.row->original = b.original;
            b.row->sig = b.sig;
            b.row->dirty = true;
            if (b.isNew)
                for (int i = 0; i < m_rows.size(); ++i)
                    if (m_rows.at(i) == b.row && m_paged)
                        m_keys[i] = 0;
        }
        throw;
    }
    m_deleted.clear();
}

void Recordset::cancelBatch()
{
    for (int i = int(m_rows.size()) - 1; i >= 0; --i) {
        if (!m_rows.at(i))
            continue;
        if (m_rows.at(i)->isNew) {
            removeAt(i);
            continue;
        }
        m_rows[i]->values = m_rows[i]->original;
        m_rows[i]->dirty = false;
    }
    m_deleted.clear();
    m_editMode = EditNone;
    setPos(m_rows.isEmpty() ? -1 : std::clamp<int>(m_pos, 0, int(m_rows.size()) - 1));
}

bool Recordset::find(const QString &field, const QVariant &value, bool fromStart)
{
    const int fi = fieldIndex(field);
    if (fi < 0)
        throw DbError(ErrUnknownField, QStringLiteral("Няма поле „%1“.").arg(field));
    const int start = fromStart ? 0 : std::max(0, m_pos);
    // The key is known for every row without reading its page.
    const bool byKey = m_paged && field.compare(m_keyCol, Qt::CaseInsensitive) == 0;
    bool ok = false;
    const qint64 key = byKey ? value.toLongLong(&ok) : 0;
    for (int i = start; i < m_rows.size(); ++i) {
        if (byKey && ok && (!m_rows.at(i) || !m_rows.at(i)->dirty)) {
            if (m_keys.at(i) != key)
                continue;
            landOn(i);
            return true;
        }
        const Row &r = rowAt(i);
        if (r.gone)
            continue;
        const QVariant &v = r.values.at(fi);
        if (v == value || (v.typeId() != value.typeId() && v.toString() == value.toString())) {
            landOn(i);
            return true;
        }
    }
    setPos(int(m_rows.size()));
    return false;
}

} // namespace kelm
