#pragma once
// What the program needs to know of files besides what SQLite tells it.

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace kelm {

// Whether path is the database file at database or one of the files SQLite
// keeps beside it (its "-journal", "-wal" and "-shm"), however it is written:
// with "./" or "..", through a symbolic link (also one to such a file that is
// not there now) or as a hard link. Files that exist are told apart by device
// and inode; a name that does not exist by its folder's identity and its name.
bool isDatabaseFileOrSide(const QString &path, const QString &database);

// The endings of the files SQLite keeps beside a database: its journal, its
// write-ahead log and its shared memory.
inline constexpr const char *kSqliteSideEndings[] = {"-journal", "-wal", "-shm"};

// Removes the files SQLite keeps beside the database at encodedPath, then, with
// withDatabase, the database itself (in that order: a journal left beside a
// database made anew would be taken for its own). It needs nothing of Qt, so
// that it may run at the end of the process.
void unlinkSqliteFiles(const QByteArray &encodedPath, bool withDatabase = true);

// Whether two stats are of one file: the same device and inode.
bool sameFile(const struct stat &a, const struct stat &b);

// Why a file could not be made, opened, renamed or removed, in Bulgarian, for an
// errno value of the system.
QString fileErrorText(int errorNumber);

} // namespace kelm
