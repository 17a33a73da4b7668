#pragma once
#include "platform/database.h"

#include <QString>
#include <QTemporaryDir>

namespace kelm {

// The scratch rows of a screen that shows and prints them for as long as it is
// open (client statement, car balance, warehouse revision, stock list). They live
// in a private SQLite file of the screen's own, with the layout of the named
// scratch table, so that no later command rebuilding the copy's scratch
// database can change or empty what the screen shows, and the program's exit
// never deletes them from under it.
// The file goes with the object.
class ScratchRows {
public:
    // Makes a fresh private file holding the named empty table. Throws DbError.
    explicit ScratchRows(const QString &tableName);
    ~ScratchRows();
    ScratchRows(const ScratchRows &) = delete;
    ScratchRows &operator=(const ScratchRows &) = delete;

    Connection &conn() { return m_conn; }
    const QString &table() const { return m_table; }
    const QString &path() const { return m_path; }
    // Connection string of the file, for other connections of the screen's.
    QString connStr() const;
    // Empties the table(s) for a rebuild.
    void clear();
    // The same inside a transaction the caller holds on conn().
    void clearInTransaction();

private:
    QTemporaryDir m_dir;
    QString m_table;
    QString m_path;
    Connection m_conn;
};

} // namespace kelm
