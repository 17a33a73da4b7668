#include "platform/bulkrows.h"

#include "platform/database.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace kelm {

namespace {

sqlite3 *handleOf(Connection &conn)
{
    const QVariant v = conn.db().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

// Finalizes the statement on every path.
struct Statement {
    sqlite3_stmt *st = nullptr;
    ~Statement() { sqlite3_finalize(st); }
};

// Binds one value as it is stored: texts as they are (the caller keeps them alive
// until the step), numbers as numbers, dates and flags in their stored form.
int bindOne(sqlite3_stmt *st, int pos, const QVariant &given)
{
    if (given.typeId() == QMetaType::QString) {
        const QString &text = *static_cast<const QString *>(given.constData());
        return text.isNull() ? sqlite3_bind_null(st, pos)
                             : sqlite3_bind_text16(st, pos, text.utf16(), int(text.size() * 2), SQLITE_STATIC);
    }
    const QVariant v = toStorage(given);
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return sqlite3_bind_null(st, pos);
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(st, pos, v.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        return sqlite3_bind_int64(st, pos, v.toLongLong());
    default: {
        const QByteArray text = v.toString().toUtf8();
        return sqlite3_bind_text(st, pos, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

} // namespace

void appendRows(Connection &conn, const QString &table, const QStringList &fields,
                const QVector<QVector<QVariant>> &rows)
{
    if (rows.isEmpty())
        return;
    const StatementScope scope;
    sqlite3 *h = conn.isOpen() ? handleOf(conn) : nullptr;
    if (!h)
        throw DbError(ErrSql, QStringLiteral("Няма отворена връзка с базата данни."));
    QStringList names, marks;
    for (const QString &f : fields) {
        names << QLatin1Char('"') + QString(f).remove(QLatin1Char('"')) + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    const QByteArray sql = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                               .arg(QString(table).remove(QLatin1Char('"')), names.join(QLatin1Char(',')),
                                    marks.join(QLatin1Char(',')))
                               .toUtf8();
    Statement s;
    auto fail = [h] { return sqliteError(sqlite3_extended_errcode(h)); };
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &s.st, nullptr) != SQLITE_OK)
        throw fail();
    const int n = int(fields.size());
    for (const QVector<QVariant> &row : rows) {
        for (int i = 0; i < n; ++i)
            if (bindOne(s.st, i + 1, i < row.size() ? row.at(i) : QVariant()) != SQLITE_OK)
                throw fail();
        if (sqlite3_step(s.st) != SQLITE_DONE)
            throw fail();
        sqlite3_reset(s.st);
    }
}

bool RawRow::isNull(int col) const
{
    return sqlite3_column_type(m_st, col) == SQLITE_NULL;
}

double RawRow::number(int col) const
{
    return sqlite3_column_double(m_st, col);
}

QString RawRow::text(int col) const
{
    if (isNull(col))
        return QString();
    const void *p = sqlite3_column_text16(m_st, col);
    const int bytes = sqlite3_column_bytes16(m_st, col);
    return QString(static_cast<const QChar *>(p), bytes / 2);
}

QVariant RawRow::value(int col) const
{
    switch (sqlite3_column_type(m_st, col)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_st, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_st, col));
    default:
        return QVariant(text(col));
    }
}

void forEachRawRow(Connection &conn, const QString &sql, const QVariantList &params,
                   const std::function<void(const RawRow &)> &onRow)
{
    forEachStatementRow(conn, sql, params, nullptr, [&](sqlite3_stmt *st) { onRow(RawRow(st)); });
}

} // namespace kelm
