#pragma once
#include <QString>
#include <QStringList>
namespace kelm {
// Deletes Temp.mdb and makes it anew holding exactly the named empty table (for
// TempKlients also TempKlientsNew). Throws DbError when that cannot be done.
void CreateTempTable(const QString &tableName);

class Connection;
// Makes the named empty scratch table (for TempKlients also TempKlientsNew) in
// an open scratch database. Throws DbError for a name it does not know.
void createTempTableIn(Connection &conn, const QString &tableName);

// The scratch tables CreateTempTable knows, by their exact (case-sensitive) names.
QStringList tempTableNames();
}
