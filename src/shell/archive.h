#pragma once
#include <QDate>
#include <QString>
#include <functional>

class QWidget;

namespace kelm {

// Дискети > Записване: a consistent copy of the live database to an archive file.
void mnuDiskZap(QWidget *parent);
// Дискети > Зареждане: replaces Kelm.mdb by a chosen archive file of this
// program, after a question whose default answer is no. Users of kinds other
// than "A" and "B" are refused.
void mnuDiskZar(QWidget *parent);
// Дискети > Нова година: keeps a copy of the year, then deletes the trips; for
// users of kinds "A" and "B" only.
void mnuNewPer(QWidget *parent);

// What a command did: ok, or the message saying what failed; path is the file written.
struct ArchiveResult {
    bool ok = false;
    QString message;
    QString path;
};

// Writes a copy of the live database (SQLite's own backup, consistent even while
// screens are open) to path, replacing a file already there. The copy is never
// readable by anyone who cannot read Kelm.mdb. A path that is Kelm.mdb or one of
// SQLite's files beside it, by any name, is refused and nothing is touched.
ArchiveResult archiveSaveTo(const QString &path);
// Replaces the data of Kelm.mdb by the archive at path, in place: the file keeps
// its owner, group and permissions. A file that is not a whole database of this
// program (its schema exactly the shipped one, no trigger, no view), or that is
// Kelm.mdb itself, or that holds no company row or no administrator, is refused and
// nothing changes (a copy cut short or damaged is called so, with the reason).
// Then the before-restore handler runs; its false stops the restore. Then
// confirm, when given, is asked: no ends the restore with nothing changed and an
// empty message. Afterwards the company data is reloaded and the company-changed
// handler told.
ArchiveResult archiveRestoreFrom(const QString &path, const std::function<bool()> &confirm = {});
// The question before a restore, naming the archive and its date (dd.mm.yyyy).
QString restoreQuestion(const QString &path);
// The year-closing copy's name for a date: "<year>.arh" in the program folder,
// "<year>-2.arh", "<year>-3.arh" ... when that name is taken.
QString yearCopyPath(const QDate &today);
// Copies the database to yearCopyPath(today) and deletes every trip, both under
// one write lock: a trip another copy of the program saves meanwhile is in the
// copy or stays in Kelm.mdb. Nothing is deleted unless the copy was written, and
// a copy whose trips could not be deleted is removed again (the message names it
// when it stays).
ArchiveResult closeYear(const QDate &today);

// Removes the scratch files that a killed Записване, Зареждане or Нова година
// left (each command writes its copy into "<file>.part", ".part2" ... first),
// and only those: beside Kelm.mdb by their names, elsewhere by the names noted
// in the user's settings while they were made. One that another copy of the
// program is writing stays. Each of the three commands calls it, and the start.
void removeLeftScratchFiles();

// Called before Kelm.mdb is replaced: the main window sets it to close the
// screens that hold the old database open. False (a screen in the middle of a
// record refused to close) stops the restore with Kelm.mdb untouched.
void setBeforeRestoreHandler(std::function<bool()> handler);

} // namespace kelm
