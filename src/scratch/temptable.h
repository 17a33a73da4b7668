#pragma once
#include <QString>
#include <QStringList>
namespace kelm {
// Each running copy of the program has a scratch database of its own in the
// program folder, gTempDbPath ("Temp-<process id>.mdb"), readable and writable
// by its user only, and its journal too. While it has one, the copy holds the
// lock file beside it ("Temp-<process id>.lock") locked with flock() for as long
// as it runs: the system lets go of that lock however the copy ends, so a later
// start tells a copy that died from one still running, of any user of the folder.

// Deletes the copy's scratch database and makes it anew holding exactly the
// named empty table (for TempKlients also TempKlientsNew). Throws DbError when
// that cannot be done.
void CreateTempTable(const QString &tableName);

// Removes the copy's scratch database, its journal and its lock file: when the
// main window closes and when the program ends (also when it ends without its
// main window, at the process's normal end).
void releaseScratchDatabase();

// Removes from the folder what copies that are no longer running left there: the
// scratch database and journal of each lock file nobody holds, and the lock
// file. Never what a running copy holds. Returns how many were removed.
int removeLeftScratchDatabases(const QString &folder);

class Connection;
// Makes the named empty scratch table (for TempKlients also TempKlientsNew) in
// an open scratch database. Throws DbError for a name it does not know.
void createTempTableIn(Connection &conn, const QString &tableName);

// The scratch tables CreateTempTable knows, by their exact (case-sensitive) names.
QStringList tempTableNames();
}
