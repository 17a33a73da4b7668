#include "shell/archive.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "shell/companydata.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kelm {

namespace {


std::function<bool()> s_beforeRestore;

const QString kFilter = QStringLiteral("Архивни файлове с данни (*.abd);;Всички файлове (*.*)");

// A connection string for another file of this program, opened the way the main
// database is (it must exist and hold the program's tables).
QString connStrFor(const QString &path)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
        + QStringLiteral(";Jet OLEDB:Database Password=") + QLatin1String(kDbPassword) + ";";
}

// A free name beside target for writing a file that is then renamed over it.
QString scratchNameBeside(const QString &target)
{
    QString base = target + QStringLiteral(".part");
    QString name = base;
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = base + QString::number(i);
    return name;
}

// Renames from over to in one step: readers see either the old or the new file.
bool renameOver(const QString &from, const QString &to, QString *why)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *why = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

// SQLite's own copy of the database behind conn into a new file.
void vacuumInto(Connection &conn, const QString &target)
{
    conn.execute(QStringLiteral("VACUUM INTO ?"), {target});
}

} // namespace

void setBeforeRestoreHandler(std::function<bool()> handler)
{
    s_beforeRestore = std::move(handler);
}

ArchiveResult archiveSaveTo(const QString &path)
{
    ArchiveResult r;
    r.path = path;
    const QString part = scratchNameBeside(path);
    try {
        Connection conn;
        conn.open(gConnStr);
        vacuumInto(conn, part);
        conn.close();
    } catch (const DbError &e) {
        QFile::remove(part);
        r.message = QStringLiteral("Данните не са записани в „%1“.\r%2").arg(path, e.text());
        return r;
    }
    QString why;
    if (!renameOver(part, path, &why)) {
        QFile::remove(part);
        r.message = QStringLiteral("Данните не са записани в „%1“.\r%2").arg(path, why);
        return r;
    }
    r.ok = true;
    return r;
}

ArchiveResult archiveRestoreFrom(const QString &path, const std::function<bool()> &confirm)
{
    ArchiveResult r;
    r.path = gDbPath;
    // A file cut short, damaged, or lacking a table or column of the program would
    // make every later save fail: it is refused before anything is replaced. A
    // copy of ours that was cut short is called so, with what is wrong with it.
    auto refusal = [&path](const QString &file) {
        QString why;
        bool damaged = false;
        if (isWholeKelmDatabase(file, &why, &damaged))
            return QString();
        if (damaged)
            return QStringLiteral("„%1“ е повреден или непълен архив.\r%2\rДанните не са променени.").arg(path, why);
        return QStringLiteral("„%1“ не е архив с данни на програмата.\rДанните не са променени.").arg(path);
    };
    r.message = refusal(path);
    if (!r.message.isEmpty())
        return r;
    try {
        Connection archive;
        archive.open(connStrFor(path));
        // An archive without the company row would stop the next start.
        if (archive.scalar(QStringLiteral("SELECT count(*) FROM KelmCfg")).toInt() == 0) {
            r.message = QStringLiteral("„%1“ не съдържа данни за фирмата.\rДанните не са променени.").arg(path);
            return r;
        }
    } catch (const DbError &e) {
        r.message = QStringLiteral("Архивът „%1“ не може да бъде зареден.\r%2").arg(path, e.text());
        return r;
    }
    // The user's no leaves everything as it was, with nothing more to say.
    if (confirm && !confirm())
        return r;
    const QString part = scratchNameBeside(gDbPath);
    try {
        Connection archive;
        archive.open(connStrFor(path));
        vacuumInto(archive, part);
        archive.close();
        r.message = refusal(part);
        if (!r.message.isEmpty()) {
            QFile::remove(part);
            return r;
        }
    } catch (const DbError &e) {
        QFile::remove(part);
        r.message = QStringLiteral("Архивът „%1“ не може да бъде зареден.\r%2").arg(path, e.text());
        return r;
    }
    // The screens that hold the old database must let go of it first; one in the
    // middle of a record keeps it, and the archive is not swapped under it.
    if (s_beforeRestore && !s_beforeRestore()) {
        QFile::remove(part);
        r.message = QStringLiteral("Архивът „%1“ не е зареден: един от отворените прозорци е по средата на запис.\r"
                                   "Запишете записа или се откажете от него и опитайте отново.\r"
                                   "Данните не са променени.")
                        .arg(path);
        return r;
    }
    // A journal a crash left beside the old file belongs to it: it is rolled back
    // into the old file now, never into the restored one.
    isKelmDatabase(gDbPath);
    QString why;
    if (!renameOver(part, gDbPath, &why)) {
        QFile::remove(part);
        r.message = QStringLiteral("Архивът „%1“ не може да бъде зареден.\r%2").arg(path, why);
        return r;
    }
    r.ok = true;
    if (LoadCompanyData())
        notifyCompanyChanged();
    return r;
}

QString restoreQuestion(const QString &path)
{
    return QStringLiteral("Данните на фирмата ще бъдат заменени с архива „%1“ от %2.")
               .arg(path, formatDate(QFileInfo(path).lastModified().date()))
        + QStringLiteral("\r\r") + QStringLiteral("Да продължа ли?");
}

QString yearCopyPath(const QDate &today)
{
    const QString folder = QFileInfo(gDbPath).absolutePath();
    const QString year = QString::number(today.year());
    QString name = folder + QLatin1Char('/') + year + QStringLiteral(".arh");
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = folder + QLatin1Char('/') + year + QLatin1Char('-') + QString::number(i) + QStringLiteral(".arh");
    return name;
}

ArchiveResult closeYear(const QDate &today)
{
    ArchiveResult r;
    r.path = yearCopyPath(today);
    try {
        Connection conn;
        conn.open(gConnStr);
        try {
            // VACUUM INTO never replaces an existing file, so an earlier copy is safe.
            vacuumInto(conn, r.path);
        } catch (const DbError &e) {
            QFile::remove(r.path);
            r.message = QStringLiteral("Копието „%1“ не е записано; курсовете не са изтрити.\r%2")
                            .arg(r.path, e.text());
            return r;
        }
        conn.beginTrans();
        try {
            conn.execute(QStringLiteral("DELETE FROM tabl"));
            conn.commitTrans();
        } catch (...) {
            conn.rollbackTrans();
            throw;
        }
        conn.close();
    } catch (const DbError &e) {
        r.message = QStringLiteral("Курсовете не са изтрити.\r%1").arg(e.text());
        return r;
    }
    r.ok = true;
    return r;
}

void mnuDiskZap(QWidget *parent)
{
    QFileDialog dlg(parent, QStringLiteral("Запис на данни"), QString(), kFilter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(QStringLiteral("abd"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    ArchiveResult r;
    {
        WaitCursor wait;
        r = archiveSaveTo(dlg.selectedFiles().constFirst());
    }
    if (!r.ok)
        DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), r.message);
}

void mnuDiskZar(QWidget *parent)
{
    QFileDialog dlg(parent, QStringLiteral("Зареждане на архивни данни"), programFolder(), kFilter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    const QString path = dlg.selectedFiles().constFirst();
    ArchiveResult r;
    {
        WaitCursor wait;
        // Everything the company holds is replaced: one Enter must not do it.
        r = archiveRestoreFrom(path, [&path] {
            return Dialog::ask(QString(), restoreQuestion(path), Dialog::Default::Cancel);
        });
    }
    if (!r.ok && !r.message.isEmpty())
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), r.message);
}

void mnuNewPer(QWidget *)
{
    setStatusText(QStringLiteral("Приключване на годината..."));
    // One Enter must not delete the year's trips: the default answer is no.
    if (!Dialog::ask(QString(),
                     QStringLiteral("Данните ще бъдат изтрити!") + QStringLiteral("\r\r") + QStringLiteral("Да продължа ли?"),
                     Dialog::Default::Cancel))
        return;
    ArchiveResult r;
    {
        WaitCursor wait;
        r = closeYear(QDate::currentDate());
    }
    if (r.ok)
        DiaInf::show(QStringLiteral("Операцията завърши успешно"));
    else
        DiaInf::show(QStringLiteral("ГРЕШКА!"), r.message);
}

} // namespace kelm
