#pragma once
// How a statement waits for another copy of the program to let go of its lock
// on the database: SQLite calls the busy handler of the connection again and
// again while the lock is held, and each call naps a fraction of a millisecond.
//
// A wait longer than a moment shows itself: the wait pointer, and the windows
// are painted again every few tens of milliseconds, so that they do not freeze
// half drawn. Nothing else runs inside the wait: a statement of this copy is in
// the middle of its work, so no input, timer, queued call or other command is
// delivered (only the windows' painting), and while they paint no statement may
// start (the data layer refuses it; what a window shows is what it has already
// read). A wait that starts inside a paint, off the user-interface thread or
// without a QApplication only naps.

namespace kelm {

// SQLite's busy handler (sqlite3_busy_handler): count is the number of earlier
// calls for this lock. Returns 0 once the wait is over without the lock (the
// statement then fails with SQLITE_BUSY), else 1 after a short nap.
int lockWaitHandler(void *unused, int count);

// How long a statement waits for another copy's lock: 10 s, unless set
// otherwise (the tests shorten it).
void setLockWaitLimit(int milliseconds);
int lockWaitLimit();

// True while a waiting statement lets the windows paint.
bool lockWaitPainting();

// A statement that waited has returned: the wait pointer, if it showed, goes.
void lockWaitOver();

} // namespace kelm
