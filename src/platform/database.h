#pragma once
// Our thin stand-in for what the screens expect of ADO: a connection opened from a
// connection string, and a static client-side recordset that holds its rows' keys
// (values a page at a time) and writes each row back by its key (the integer ID of
// a main table, the rowid of a scratch table), only while the row still holds what
// was read. Every value reaches SQLite as a bound parameter.

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

namespace kelm {

// A failure of the data access: shown to the user as number, ":" and description.
class DbError : public std::runtime_error {
public:
    DbError(int number, const QString &description);
    int number() const { return m_number; }
    QString description() const { return m_description; }
    QString text() const { return QString::number(m_number) + ":" + m_description; }

private:
    int m_number;
    QString m_description;
};

// Error numbers of our own, in the range the users know from the old program.
enum DbErrorCode {
    ErrFileNotFound = 3024,
    ErrNotDatabase = 3343,
    ErrSql = 3001,
    ErrNoCurrentRecord = 3021,
    ErrNotUpdatable = 3027,
    ErrWriteConflict = 3197,
    ErrUnknownField = 3265,
    ErrRowDeleted = 3167,
    ErrLocked = 3218, // another copy of the program held its write past the wait
};

// What a refused write of a row says: another copy changed the row after it was
// read (ErrWriteConflict), or deleted it (ErrRowDeleted).
DbError rowChangedError();
DbError rowDeletedError();
// True for either of them.
bool isRefusedWrite(const DbError &e);

// The failure an SQLite result code stands for, told in Bulgarian: SQLite's own
// texts are English and never reach the user. A lock held by another copy past
// the wait is ErrLocked with the sentence that says so and to try again.
DbError sqliteError(int resultCode);
// The same for a failed query of the Qt driver, whose native code is SQLite's.
DbError sqliteError(const QSqlError &e);

// Makes a handle of SQLite's own wait for another copy's lock the way every
// connection of the program waits (short naps, up to the program's wait); a
// statement still locked out then fails with SQLITE_BUSY (see sqliteError).
void installBusyWait(sqlite3 *handle);

// Around each statement of the data layer (and of code that steps SQLite
// itself). While a statement waiting for another copy's lock lets the windows
// paint, no other statement may start (refused as a lock, 3218): one of this
// copy is in the middle of its work, and what the windows show is what they have
// read already. A wait the statement showed ends with it.
class StatementScope {
public:
    StatementScope();
    ~StatementScope();
    StatementScope(const StatementScope &) = delete;
    StatementScope &operator=(const StatementScope &) = delete;
};

// The value of "Data Source=" in a connection string.
QString dataSourceOf(const QString &connStr);

// Converts a value to what is stored: dates as yyyy-MM-dd, times as HH:mm:ss,
// Booleans as 0/1. declType is the column's declared type word where known.
QVariant toStorage(const QVariant &v, const QString &declType = QString());
// Converts a stored value back by its declared type word (DATE, TIME, BOOLEAN, ...).
QVariant fromStorage(const QVariant &v, const QString &declType);

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the file named by "Data Source". The main database (a connection string
    // with a password) must exist and hold this program's tables; nothing is ever
    // created here. A scratch database is opened as it is.
    void open(const QString &connStr);
    void close();
    bool isOpen() const;
    QString dataSource() const { return m_path; }
    QSqlDatabase &db() { return m_db; }

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return m_inTrans; }

    // Runs one statement with bound values; returns the number of rows changed.
    int execute(const QString &sql, const QVariantList &params = {});
    // First column of the first row, or an invalid QVariant when there is none.
    QVariant scalar(const QString &sql, const QVariantList &params = {});
    // Runs a query forward-only and hands each row's values, typed as a Recordset
    // types them, to onRow (after the field names to onFields): for big read-only
    // listings that need no recordset in between.
    void forEachRow(const QString &sql, const QVariantList &params,
                    const std::function<void(const QStringList &)> &onFields,
                    const std::function<void(const QVector<QVariant> &)> &onRow);
    // The last inserted row id of this connection.
    qint64 lastInsertId();

    // Declared type words of a table's columns, by lower-case column name.
    const QHash<QString, QString> &columnTypes(const QString &table);
    bool hasTable(const QString &table);

private:
    // Prepares, binds and runs one statement; a failure throws DbError.
    QSqlQuery run(const QString &sql, const QVariantList &params, bool forwardOnly);

    QSqlDatabase m_db;
    QString m_name;
    QString m_path;
    bool m_inTrans = false;
    QHash<QString, QHash<QString, QString>> m_types;
};

// Tells whether the file is an SQLite database holding this program's tables.
// A transaction that a crash interrupted is rolled back first, so such a file is
// never taken for a foreign one; a busy or unreadable file says so in why.
bool isKelmDatabase(const QString &path, QString *why = nullptr);
// isKelmDatabase, and besides the file is as long as its header says, SQLite's
// integrity check passes and its schema is the shipped one: the same tables with
// the same columns, types and constraints (their CREATE statements compared),
// only indexes of the shipped schema, no trigger and no view. What a file must
// be before it may replace the main database. damaged tells an SQLite file cut short (its length is not its
// header's) or a database of this program that fails the integrity check from a
// file that is not one of ours.
bool isWholeKelmDatabase(const QString &path, QString *why = nullptr, bool *damaged = nullptr);
// Why an SQLite file's length is not what its header says (page count times page
// size, or a whole number of pages where the count is not kept), or "" when it is.
QString sqliteLengthProblem(const QString &path);
// Makes a new main database file from the schema (the build and the tests use it).
void createDatabaseFromSchema(const QString &path);
// The schema text compiled from data/schema.sql.
QString schemaSql();

// Runs a query forward-only on SQLite itself and hands each row to onRow as the
// statement, to be read with sqlite3_column_*: for big read-only listings that
// convert every value once, straight into their own form. onFields gets the
// column names and their declared type words (upper case; empty for an
// expression) first. Throws DbError when the query fails.
void forEachStatementRow(Connection &conn, const QString &sql, const QVariantList &params,
                         const std::function<void(const QStringList &names, const QStringList &types)> &onFields,
                         const std::function<void(sqlite3_stmt *row)> &onRow);

// Runs body in one transaction of the connection: committed when it returns,
// rolled back when it throws (and the exception passed on).
void inTransaction(Connection &conn, const std::function<void()> &body);

// One row as a screen read it: its table, its key, and a signature of what its
// columns held (the stored values themselves, not their converted form). Several
// copies of the program share one database: a row a screen read is written back
// only while it still holds what was read, and the check is part of the write's
// own statement. A Recordset gives it for its rows (rowAsRead).
struct RowAsRead {
    QString table;
    QString keyColumn;   // "ID", or "rowid" for a scratch table
    qint64 key = 0;
    QStringList columns; // the columns read and compared
    qint64 signature = 0;
    bool isValid() const { return !table.isEmpty() && key != 0; }
};

// UPDATE row.table SET columns=values WHERE the key is row's AND the row still
// holds what was read, in that one statement. Answers the row's new signature
// (what it holds now, for the next write). When nothing was written, throws
// rowChangedError() (the row holds something else now) or rowDeletedError().
qint64 updateRowAsRead(Connection &conn, const RowAsRead &row, const QStringList &columns,
                       const QVariantList &values);
// DELETE the row only while it still holds what was read; refused as updateRowAsRead.
void deleteRowAsRead(Connection &conn, const RowAsRead &row);

// The distinct values of one column that are not Null, in Bulgarian alphabetical
// order. With an index that starts with the column they are read by seeking from
// one value to the next, so the cost follows the number of values, not of rows.
QStringList distinctValues(Connection &conn, const QString &table, const QString &column);

class Recordset : public QObject {
    Q_OBJECT
public:
    enum EditMode { EditNone, EditInProgress, EditAdd };
    enum LockType { LockOptimistic, LockBatchOptimistic };

    explicit Recordset(QObject *parent = nullptr);
    ~Recordset() override;

    // Runs the query. A single-table query can be written back: it reads the keys
    // of its rows in order and their values a page at a time, as the rows are
    // reached. Any other (joins, DISTINCT, GROUP BY) is read-only and kept whole.
    void open(Connection &conn, const QString &sql, const QVariantList &params = {},
              LockType lock = LockOptimistic);
    void close();
    bool isOpen() const { return m_conn != nullptr; }
    void requery();
    // A list that shows every row at once (a grid, which sorts them) reads all of
    // them and keeps them, rather than reading pages again and again as it draws.
    void holdAllRows();
    bool updatable() const { return !m_table.isEmpty() && !m_keyCol.isEmpty(); }
    QString tableName() const { return m_table; }

    int recordCount() const { return int(m_rows.size()); }
    bool bof() const;
    bool eof() const;
    bool isEmpty() const { return m_rows.empty(); }

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    // 1 for the first row; 0 when before the first or after the last row.
    int absolutePosition() const;
    void setAbsolutePosition(int pos);
    // Index of the current row (0-based), -1 before the first, recordCount() after the last.
    int currentIndex() const { return m_pos; }

    // A bookmark names one row for as long as the recordset is open.
    qint64 bookmark() const;
    void setBookmark(qint64 bm);
    bool hasBookmark(qint64 bm) const;

    QStringList fieldNames() const { return m_fields; }
    bool hasField(const QString &name) const;
    QVariant value(const QString &field) const;
    QVariant value(int row, const QString &field) const;
    QVariant operator[](const QString &field) const { return value(field); }
    void setValue(const QString &field, const QVariant &v);
    void setValue(int row, const QString &field, const QVariant &v);
    QString declType(const QString &field) const;

    void addNew();
    // Writes the current row (at once, or at updateBatch in batch mode).
    void update();
    void cancelUpdate();
    // Deletes the current row; it is no longer shown. The position stays on the
    // gap: the caller moves next, as ADO's callers do.
    void deleteRecord();
    // Writes every pending row (batch mode), in one transaction unless one is open.
    void updateBatch();
    void cancelBatch();
    EditMode editMode() const { return m_editMode; }
    bool hasPendingChanges() const;

    // Finds the next row (from the current one, forward) whose field equals value.
    bool find(const QString &field, const QVariant &value, bool fromStart = false);

    // Optimistic locking: update() and deleteRecord() of a row read from the
    // database write only while the row still holds what was read here. When it
    // does not, nothing of the change is written, the pending change is dropped
    // and the DbError tells why: rowChangedError() (the row is read again at its
    // next use and shows what is stored now) or rowDeletedError() (the row has
    // left the list; the position stays on the gap, as after deleteRecord).

    // The current row (or row i) as read here, for a write of its own that must
    // make the same check (updateRowAsRead). Invalid for a row not yet written.
    RowAsRead rowAsRead() const;
    RowAsRead rowAsRead(int row) const;
    // Every row read from the database that the list still holds, and those
    // deleted from it in batch mode and not yet written.
    QVector<RowAsRead> rowsAsRead() const;
    // The row is read again from the database at its next use (its pending
    // change dropped): after it was written otherwise than through this
    // recordset, or to show what is stored now.
    void readAgain(int row);
    // The same for every row with one of these keys that has no pending change.
    void readAgainKeys(const QVector<qint64> &keys);
    // The row leaves the list; nothing is written. The position stays on the
    // gap when it was the current row.
    void leaveOut(int row);

Q_SIGNALS:
    void moveComplete();

private:
    struct Row {
        qint64 serial = 0;
        QVariant key;
        QVector<QVariant> values;
        QVector<QVariant> original;
        bool isNew = false;
        bool dirty = false;
        bool deleted = false;
        bool gone = false; // deleted by another user before its page was read
        bool stale = false; // to be read again at its next use
        qint64 sig = 0;     // what the row held when read (kelm_rowsig of its columns)
    };
    using RowPtr = std::shared_ptr<Row>;

    // Rows read per page, and how many rows stay cached besides the pinned ones.
    static constexpr int kPageRows = 128;
    static constexpr int kCachedRows = 8 * kPageRows;
    // Rows a paged recordset can take by addNew before its row list must grow.
    static constexpr int kAddedRowsRoom = 64;

    int fieldIndex(const QString &name) const;
    void requireCurrent() const;
    void requireUpdatable() const;
    RowAsRead asRead(const Row &row) const;
    void writeRow(Row &row);
    void deleteRowInDb(Row &row);
    // After a write found row i changed or deleted by another user: the change is
    // dropped and the row read again, or it leaves the list. Rethrows e.
    [[noreturn]] void dropChange(int i, const DbError &e);
    // The signature columns among the fields of a statement (or of the table).
    void findSignatureFields(sqlite3_stmt *st, int firstField);
    // The values and signature of a row from a statement whose fields start at column first.
    void fillRow(Row &row, sqlite3_stmt *st, int first) const;
    bool readByKey(Row &row) const;
    void rereadRow(int i) const;
    void setPos(int pos);
    void load();
    bool loadPaged(const QString &table, const QString &rest);
    // The row at index i, its page read first when it is not in memory.
    Row &rowAt(int i) const;
    void fetchPage(int i) const;
    void evictRows(int keepFrom, int keepTo, int incoming) const;
    void forgetRow(int j, int keepFrom, int keepTo) const;
    void removeAt(int i);
    // Moves onto row i; a row another user deleted is dropped and reported.
    void landOn(int i);
    void syncKey(int i);
    int indexOfBookmark(qint64 bm) const;

    Connection *m_conn = nullptr;
    QString m_sql;
    QVariantList m_params;
    LockType m_lock = LockOptimistic;
    QString m_table;
    QString m_keyCol;
    QString m_pageSql; // the row values by key: "... WHERE key IN (", then the marks and ")"
    QVector<int> m_sigFields; // the fields that are columns of the table: the row's signature
    QStringList m_sigColumns;
    QStringList m_fields;
    QStringList m_types;
    // One entry per row; in a paged recordset a row not read yet is null and
    // m_keys holds its key (0 for a row added here and not written yet).
    mutable QVector<RowPtr> m_rows;
    QVector<qint64> m_keys;
    bool m_paged = false;
    mutable int m_cached = 0;
    bool m_holdAll = false;
    mutable QList<int> m_pageStarts; // pages read, oldest first: the first to forget
    QVector<RowPtr> m_deleted;
    int m_pos = -1;
    qint64 m_nextSerial = 1;
    EditMode m_editMode = EditNone;
};

} // namespace kelm
