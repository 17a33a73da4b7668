#include "billing/klientsfile.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "platform/database.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "trips/tripsave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kelm {

namespace {

// Marks a statement file in the SQLite header ("KLNT"), so that another
// program's database with look-alike tables is never taken for one.
constexpr int kApplicationId = 0x4B4C4E54;
constexpr int kFileVersion = 1;

const QString kStatementCols = QStringLiteral("Data, Marsh, VidTovar, Kola, KM, Ton, Tarifa, Suma");

QString connStrOf(const QString &path)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + path + QLatin1Char(';');
}

QString notStatement(const QString &path)
{
    return QStringLiteral("Файлът „%1“ не е файл с данни за клиенти!\rДанните на екрана не са променени.")
        .arg(QDir::toNativeSeparators(path));
}

QString damaged(const QString &path, const QString &fault)
{
    return QStringLiteral("Файлът „%1“ е повреден и не е зареден!\r%2!\rДанните на екрана не са променени.")
        .arg(QDir::toNativeSeparators(path), fault);
}

// A text as the screens make one: stored as text, no longer than its field
// holds, and of printable characters only (a damaged byte gives a control
// character or, in a letter, the replacement character U+FFFD).
bool saneText(const QString &type, const QVariant &v, int most)
{
    if (type != QLatin1String("text"))
        return false;
    const QString t = v.toString();
    if (t.size() > most)
        return false;
    for (const char32_t u : t.toUcs4())
        if (u == 0xFFFD || (u != U'\t' && !QChar::isPrint(u)))
            return false;
    return true;
}

// A date as the data layer stores one ("yyyy-mm-dd"), a real day of the years
// a date box takes.
QDate storedDate(const QString &type, const QVariant &v)
{
    if (type != QLatin1String("text") || v.toString().size() != 10)
        return {};
    const QDate d = QDate::fromString(v.toString(), QStringLiteral("yyyy-MM-dd"));
    return d.isValid() && d.year() >= kFirstYear && d.year() <= kLastYear ? d : QDate();
}

bool isNumber(const QString &type)
{
    return type == QLatin1String("integer") || type == QLatin1String("real");
}

// What is wrong with the statement a file holds (the attached "kl"), "" when
// every value is one the statement screen could have written: the client and
// period as a search gives them, and each row's date in that period, its texts,
// and its numbers as typed cells are checked.
QString faultIn(Connection &scratch, const StatementSubject &s)
{
    if (IsBlank(s.client) || !saneText(QStringLiteral("text"), s.client, kClientLength) || !s.start.isValid()
        || !s.end.isValid() || s.end < s.start)
        return QStringLiteral("Грешен клиент или период");
    QString fault;
    int n = 0;
    scratch.forEachRow(
        QStringLiteral("SELECT typeof(Data), Data, typeof(Marsh), Marsh, typeof(VidTovar), VidTovar, typeof(Kola), "
                       "Kola, typeof(KM), KM, typeof(Ton), Ton, typeof(Tarifa), Tarifa, typeof(Suma), Suma "
                       "FROM kl.TempKlients ORDER BY rowid"),
        {}, {}, [&](const QVector<QVariant> &v) {
            ++n;
            if (!fault.isEmpty())
                return;
            const auto type = [&v](int i) { return v.at(2 * i).toString(); };
            const auto value = [&v](int i) { return v.at(2 * i + 1); };
            QString what;
            const QDate d = storedDate(type(0), value(0));
            if (!d.isValid() || d < s.start || d > s.end)
                what = QStringLiteral("грешна дата");
            else if (!saneText(type(1), value(1), kRouteLength))
                what = QStringLiteral("грешен маршрут");
            else if (!saneText(type(2), value(2), kGoodsLength))
                what = QStringLiteral("грешен товар");
            else if (!saneText(type(3), value(3), kCarLength))
                what = QStringLiteral("грешна кола");
            else if (type(4) != QLatin1String("integer"))
                what = QStringLiteral("грешни километри");
            else if (!isNumber(type(5)))
                what = QStringLiteral("грешен тонаж");
            else if (!isNumber(type(6)))
                what = QStringLiteral("грешна тарифа");
            else if (!isNumber(type(7)))
                what = QStringLiteral("грешна сума");
            else
                what = statementRowFault(value(4).toDouble(), value(5).toDouble(), value(6).toDouble(),
                                         value(7).toDouble());
            if (!what.isEmpty())
                fault = QStringLiteral("Ред %1: %2").arg(n).arg(what);
        });
    return fault;
}

// The SQLite header promises a number of pages; a file shorter than that was cut
// short on its way (a copy that stopped, a full disk).
bool wholeSqliteFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = f.read(100);
    if (h.size() < 100 || !h.startsWith(QByteArray("SQLite format 3\0", 16)))
        return false;
    const auto *p = reinterpret_cast<const uchar *>(h.constData());
    qint64 pageSize = qFromBigEndian<quint16>(p + 16);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return false;
    const quint32 changes = qFromBigEndian<quint32>(p + 24);
    const quint32 pages = qFromBigEndian<quint32>(p + 28);
    const quint32 validFor = qFromBigEndian<quint32>(p + 92);
    const qint64 size = f.size();
    if (size % pageSize != 0)
        return false;
    // The page count is kept only by writers that also keep validFor in step.
    if (pages != 0 && validFor == changes && qint64(pages) * pageSize != size)
        return false;
    return true;
}

// Detaches the file on every way out.
struct Attached {
    Connection &conn;
    bool on = false;
    Attached(Connection &c, const QString &path) : conn(c)
    {
        conn.execute(QStringLiteral("ATTACH DATABASE ? AS kl"), {path});
        on = true;
    }
    ~Attached()
    {
        if (!on)
            return;
        try {
            conn.execute(QStringLiteral("DETACH DATABASE kl"));
        } catch (const DbError &) {
        }
    }
};

} // namespace

StatementFileError::StatementFileError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text)
{
}

QString statementFileFilter()
{
    return QStringLiteral("Данни за клиенти (*.kl)");
}

QString statementFileSuffix()
{
    return QStringLiteral("kl");
}

void saveStatementFile(Connection &scratch, const StatementSubject &subject, const QString &path)
{
    const QFileInfo target(path);
    const QString shown = QDir::toNativeSeparators(path);
    auto failed = [&shown](const QString &why) {
        return StatementFileError(QStringLiteral("Данните не са записани в „%1“.\r%2").arg(shown, why));
    };
    if (target.isDir())
        throw failed(QStringLiteral("Това е папка."));
    // Renamed over Kelm.mdb, the file would take the company's data with it.
    if (isDatabaseFileOrSide(path, gDbPath))
        throw failed(QStringLiteral("Това е файлът с данните на програмата. Изберете друго име."));

    // A new, empty file beside the target: the copy goes there first.
    QTemporaryFile part(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!part.open())
        throw failed(part.errorString());
    part.close();
    part.setAutoRemove(false);
    const QString partPath = part.fileName();
    try {
        scratch.execute(QStringLiteral("VACUUM INTO ?"), {partPath});
        Connection out;
        out.open(connStrOf(partPath));
        inTransaction(out, [&] {
            out.execute(QStringLiteral("CREATE TABLE KlientsFile (Klient TEXT, StartData DATE, EndData DATE)"));
            out.execute(QStringLiteral("INSERT INTO KlientsFile (Klient, StartData, EndData) VALUES (?, ?, ?)"),
                        {subject.client, subject.start, subject.end});
            out.execute(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
            out.execute(QStringLiteral("PRAGMA user_version = %1").arg(kFileVersion));
        });
        out.close();
    } catch (const DbError &e) {
        QFile::remove(partPath);
        throw failed(e.text());
    }
    QFile::setPermissions(partPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                        | QFileDevice::ReadOther);
    // One step: a reader sees the old file or the new one, never a half.
    if (std::rename(QFile::encodeName(partPath).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(partPath);
        throw failed(why);
    }
}

StatementSubject loadStatementFile(Connection &scratch, const QString &path)
{
    const QFileInfo fi(path);
    if (!fi.isFile())
        throw StatementFileError(
            QStringLiteral("Файлът „%1“ не съществува!").arg(QDir::toNativeSeparators(path)));
    if (!wholeSqliteFile(path))
        throw StatementFileError(notStatement(path));

    // The statement is read from a copy of ours, so that the user's file is only
    // ever read, whatever the database engine does with the files it opens.
    const QString copy = QFileInfo(scratch.dataSource()).absoluteDir().filePath(QStringLiteral("loaded.kl"));
    QFile::remove(copy);
    if (!QFile::copy(path, copy))
        throw StatementFileError(
            QStringLiteral("Файлът „%1“ не може да бъде прочетен!").arg(QDir::toNativeSeparators(path)));

    StatementSubject s;
    try {
        Attached kl(scratch, copy);
        if (scratch.scalar(QStringLiteral("PRAGMA kl.application_id")).toInt() != kApplicationId)
            throw StatementFileError(notStatement(path));
        if (scratch.scalar(QStringLiteral("PRAGMA kl.quick_check")).toString() != QLatin1String("ok"))
            throw StatementFileError(notStatement(path));
        const int tables = scratch.scalar(QStringLiteral("SELECT count(*) FROM kl.sqlite_master WHERE type='table' "
                                                         "AND name IN ('TempKlients', 'TempKlientsNew', "
                                                         "'KlientsFile')"))
                               .toInt();
        if (tables != 3)
            throw StatementFileError(notStatement(path));
        bool found = false;
        scratch.forEachRow(QStringLiteral("SELECT Klient, StartData, EndData FROM kl.KlientsFile LIMIT 1"), {}, {},
                           [&](const QVector<QVariant> &v) {
                               found = true;
                               s.client = v.at(0).toString();
                               s.start = toDate(v.at(1));
                               s.end = toDate(v.at(2));
                           });
        if (!found)
            throw StatementFileError(notStatement(path));
        // A file damaged on its way (a changed byte passes SQLite's checks) must
        // not bring a value no screen could have made: it is refused whole.
        if (const QString fault = faultIn(scratch, s); !fault.isEmpty())
            throw StatementFileError(damaged(path, fault));
        // The file's print rows are not taken: every print stages its own.
        inTransaction(scratch, [&] {
            scratch.execute(QStringLiteral("DELETE FROM main.TempKlients"));
            scratch.execute(QStringLiteral("DELETE FROM main.TempKlientsNew"));
            scratch.execute(QStringLiteral("INSERT INTO main.TempKlients (%1) SELECT %1 FROM kl.TempKlients "
                                           "ORDER BY rowid")
                                .arg(kStatementCols));
        });
    } catch (const DbError &) {
        QFile::remove(copy);
        throw StatementFileError(notStatement(path));
    } catch (...) {
        QFile::remove(copy);
        throw;
    }
    QFile::remove(copy);
    return s;
}

} // namespace kelm
