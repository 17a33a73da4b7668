#pragma once
// Many rows in and out of SQLite through one statement prepared once, for the
// large staged reports (a year of waybills is tens of thousands of rows), where
// going through Qt's query object row by row costs more than the report itself.
// Every value is bound, as everywhere else.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

struct sqlite3_stmt;

namespace kelm {

class Connection;

// Appends the rows (one value per field, in field order) to the table. Runs inside
// the caller's transaction when one is open. Throws DbError.
void appendRows(Connection &conn, const QString &table, const QStringList &fields,
                const QVector<QVector<QVariant>> &rows);

// One row of a query as SQLite holds it, read without conversions on the way.
class RawRow {
public:
    bool isNull(int col) const;
    double number(int col) const;        // an empty value reads 0
    QString text(int col) const;         // an empty value reads as a null text
    // The value as a recordset would give it for a column without a declared type.
    QVariant value(int col) const;

private:
    friend void forEachRawRow(Connection &, const QString &, const QVariantList &,
                              const std::function<void(const RawRow &)> &);
    explicit RawRow(sqlite3_stmt *st) : m_st(st) {}
    sqlite3_stmt *m_st;
};

// Runs a query with its values bound and hands every row to onRow. Throws DbError.
void forEachRawRow(Connection &conn, const QString &sql, const QVariantList &params,
                   const std::function<void(const RawRow &)> &onRow);

} // namespace kelm
