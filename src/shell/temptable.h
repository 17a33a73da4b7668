#pragma once
#include <QString>
#include <QStringList>
namespace kelm {
// Deletes Temp.mdb and makes it anew holding exactly the named empty table (for
// TempKlients also TempKlientsNew). Throws DbError when that cannot be done.
void CreateTempTable(const QString &tableName);

// The scratch tables CreateTempTable knows, by their exact (case-sensitive) names.
QStringList tempTableNames();
}
