#pragma once
#include <QDate>
#include <QString>
#include <functional>

class QWidget;

namespace kelm {

// Дискети > Записване: a consistent copy of the live database to an archive file.
void mnuDiskZap(QWidget *parent);
// Дискети > Зареждане: replaces Kelm.mdb by a chosen archive file of this program.
void mnuDiskZar(QWidget *parent);
// Дискети > Нова година: keeps a copy of the year, then deletes the trips.
void mnuNewPer(QWidget *parent);

// What a command did: ok, or the message saying what failed; path is the file written.
struct ArchiveResult {
    bool ok = false;
    QString message;
    QString path;
};

// Writes a copy of the live database (SQLite's own backup, consistent even while
// screens are open) to path, replacing a file already there.
ArchiveResult archiveSaveTo(const QString &path);
// Replaces Kelm.mdb by the archive at path. A file that is not a database of this
// program is refused and nothing changes. Calls the before-restore handler first;
// afterwards reloads the company data and tells the company-changed handler.
ArchiveResult archiveRestoreFrom(const QString &path);
// The year-closing copy's name for a date: "<year>.arh" in the program folder,
// "<year>-2.arh", "<year>-3.arh" ... when that name is taken.
QString yearCopyPath(const QDate &today);
// Copies the database to yearCopyPath(today), then deletes every trip in one
// transaction. Nothing is deleted unless the copy was written.
ArchiveResult closeYear(const QDate &today);

// Called before Kelm.mdb is replaced: the main window sets it to close the
// screens that hold the old database open.
void setBeforeRestoreHandler(std::function<void()> handler);

} // namespace kelm
