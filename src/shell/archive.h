#pragma once
#include <QDate>
#include <QString>
#include <functional>

class QWidget;

namespace kelm {

// Дискети > Записване: a consistent copy of the live database to an archive file.
void mnuDiskZap(QWidget *parent);
// Дискети > Зареждане: replaces Kelm.mdb by a chosen archive file of this
// program, after a question whose default answer is no.
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
// Replaces Kelm.mdb by the archive at path. A file that is not a whole database of
// this program is refused and nothing changes (a copy cut short or damaged is
// called so, with the reason). Then confirm, when given, is asked: no ends the
// restore with nothing changed and an empty message. The before-restore handler
// runs before the file is replaced; its false stops the restore. Afterwards the
// company data is reloaded and the company-changed handler told.
ArchiveResult archiveRestoreFrom(const QString &path, const std::function<bool()> &confirm = {});
// The question before a restore, naming the archive and its date (dd.mm.yyyy).
QString restoreQuestion(const QString &path);
// The year-closing copy's name for a date: "<year>.arh" in the program folder,
// "<year>-2.arh", "<year>-3.arh" ... when that name is taken.
QString yearCopyPath(const QDate &today);
// Copies the database to yearCopyPath(today), then deletes every trip in one
// transaction. Nothing is deleted unless the copy was written.
ArchiveResult closeYear(const QDate &today);

// Called before Kelm.mdb is replaced: the main window sets it to close the
// screens that hold the old database open. False (a screen in the middle of a
// record refused to close) stops the restore with Kelm.mdb untouched.
void setBeforeRestoreHandler(std::function<bool()> handler);

} // namespace kelm
