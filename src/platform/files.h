#pragma once
// What the program needs to know of files besides what SQLite tells it.

#include <QString>

namespace kelm {

// Whether path is the database file at database or one of the files SQLite
// keeps beside it (its "-journal", "-wal" and "-shm"), however it is written:
// with "./" or "..", through a symbolic link (also one to such a file that is
// not there now) or as a hard link. Files that exist are told apart by device
// and inode; a name that does not exist by its folder's identity and its name.
bool isDatabaseFileOrSide(const QString &path, const QString &database);

// Why a file could not be made, opened, renamed or removed, in Bulgarian, for an
// errno value of the system.
QString fileErrorText(int errorNumber);

} // namespace kelm
