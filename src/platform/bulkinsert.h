#pragma once
// Appending many rows to one table through one statement prepared once: for staging
// tens of thousands of report rows, where preparing and binding a statement per row
// through Qt costs more than the report itself. Every value is bound.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace kelm {

class Connection;

// Appends the rows (one value per field, in field order) to the table. Runs inside
// the caller's transaction when one is open. Throws DbError.
void appendRows(Connection &conn, const QString &table, const QStringList &fields,
                const QVector<QVector<QVariant>> &rows);

} // namespace kelm
