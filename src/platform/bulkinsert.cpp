#include "platform/bulkinsert.h"

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

} // namespace

void appendRows(Connection &conn, const QString &table, const QStringList &fields,
                const QVector<QVector<QVariant>> &rows)
{
    if (rows.isEmpty())
        return;
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
    auto fail = [h] { return DbError(ErrSql, QString::fromUtf8(sqlite3_errmsg(h))); };
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &s.st, nullptr) != SQLITE_OK)
        throw fail();
    const int n = int(fields.size());
    for (const QVector<QVariant> &row : rows) {
        for (int i = 0; i < n; ++i) {
            const QVariant &given = i < row.size() ? row.at(i) : QVariant();
            int rc = SQLITE_OK;
            if (given.typeId() == QMetaType::QString) {
                // Texts as they are (the row outlives the step, so no copy is needed).
                const QString &text = *static_cast<const QString *>(given.constData());
                rc = text.isNull() ? sqlite3_bind_null(s.st, i + 1)
                                   : sqlite3_bind_text16(s.st, i + 1, text.utf16(), int(text.size() * 2), SQLITE_STATIC);
                if (rc != SQLITE_OK)
                    throw fail();
                continue;
            }
            const QVariant v = toStorage(given);
            switch (v.typeId()) {
            case QMetaType::UnknownType:
                rc = sqlite3_bind_null(s.st, i + 1);
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(s.st, i + 1, v.toDouble());
                break;
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(s.st, i + 1, v.toLongLong());
                break;
            default: {
                const QByteArray text = v.toString().toUtf8();
                rc = sqlite3_bind_text(s.st, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
                break;
            }
            }
            if (rc != SQLITE_OK)
                throw fail();
        }
        if (sqlite3_step(s.st) != SQLITE_DONE)
            throw fail();
        sqlite3_reset(s.st);
    }
}

} // namespace kelm
