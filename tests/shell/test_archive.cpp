#include "boxwatch.h"
#include "common/globals.h"
#include "filedialogcheck.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/lockwait.h"
#include "shell/archive.h"
#include "shell/companydata.h"
#include "shell/userlogin.h"
#include "testdb.h"

#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelm;

namespace {
QString connStrFor(const QString &path)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Jet OLEDB:Database Password=Ratn5064;")
        .arg(path);
}

QVariant scalarIn(const QString &path, const QString &sql)
{
    Connection c;
    c.open(connStrFor(path));
    return c.scalar(sql);
}

void addTrip(TestDb &db, const QString &marsh)
{
    db.exec(QStringLiteral("INSERT INTO tabl (Data, kola, Marsh, Klient, km, ton, bruto) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            {QDate(2026, 3, 2), QStringLiteral("CA1234AB"), marsh, QStringLiteral("Д'Арк ООД"), 120, 20.5, 1230.75});
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Answers the file dialog a command opens with path, after noting in changes
// what the dialog would let the user change (fileDialogChanges).
void answerFileDialog(const QString &path, QString *changes = nullptr)
{
    QTimer::singleShot(0, [path, changes] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (changes)
            *changes = fileDialogChanges(d);
        QVERIFY(d);
        d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    });
}

// The trips the --writer child says it saved, once it is stopped.
QStringList savedBy(QProcess &writer)
{
    writer.kill();
    writer.waitForFinished();
    QStringList saved;
    for (const QByteArray &line : writer.readAllStandardOutput().split('\n'))
        if (line.startsWith('W'))
            saved << QString::fromLatin1(line);
    return saved;
}

QStringList scratchIn(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.part*")}, QDir::Files | QDir::Hidden | QDir::System);
}
} // namespace

class TestArchive : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void saveWritesAConsistentCopy();
    void saveReplacesAnExistingArchive();
    void saveToAnImpossiblePlaceSaysSo();
    void restoreRefusesWhatIsNotOurs();
    void restoreReplacesAndReloadsCompany();
    void restoreRefusesAFileOfAnotherLengthThanItsHeaderSays();
    void restoreAsksFirstAndEnterKeepsTheData();
    void yearCopyNames();
    void closeYearKeepsEarlierCopiesAndDeletesOnlyTrips();
    void failedCopyDeletesNothing();
    void newYearCommandAsksAndReports();
    void aTripSavedDuringTheYearClosingIsNeverLost();
    void copiesAndRestoresKeepTheDatabasesAccess();
    void restoreRefusesAnArchiveWithoutAdministrator();
    void nothingIsCopiedOverKelmMdb();
    void restoreRefusesAnArchiveOfAnotherSchema();
    void scratchFilesOfAKilledCommandAreRemoved();
    void aWaitInVainForAnotherCopyChangesNothing();
};

void TestArchive::init()
{
    gUserVid = QStringLiteral("A");
}

void TestArchive::cleanup()
{
    setBeforeRestoreHandler(nullptr);
    setCompanyChangedHandler(nullptr);
    setLockWaitLimit(10000);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestArchive::saveWritesAConsistentCopy()
{
    TestDb db;
    addTrip(db, QStringLiteral("София - Варна"));
    const QString target = db.folder() + QStringLiteral("/копие.abd");
    // Another screen is in the middle of a save: its rows are not part of the copy.
    Connection other;
    other.open(gConnStr);
    Recordset rs;
    rs.open(other, QStringLiteral("SELECT * FROM tabl"));
    other.beginTrans();
    other.execute(QStringLiteral("INSERT INTO tabl (Marsh) VALUES ('недовършен')"));

    const ArchiveResult r = archiveSaveTo(target);
    QVERIFY2(r.ok, qPrintable(r.message));
    other.rollbackTrans();
    QVERIFY(isKelmDatabase(target));
    QCOMPARE(scalarIn(target, QStringLiteral("SELECT count(*) FROM tabl")).toInt(), 1);
    QCOMPARE(scalarIn(target, QStringLiteral("SELECT Marsh FROM tabl")).toString(), QStringLiteral("София - Варна"));
    QCOMPARE(scalarIn(target, QStringLiteral("SELECT Klient FROM tabl")).toString(), QStringLiteral("Д'Арк ООД"));
    QCOMPARE(scalarIn(target, QStringLiteral("SELECT bruto FROM tabl")).toDouble(), 1230.75);
    QCOMPARE(scalarIn(target, QStringLiteral("SELECT Ime FROM Users")).toString(), QStringLiteral("admin"));
    // Nothing is left beside the archive.
    QCOMPARE(QDir(db.folder()).entryList({QStringLiteral("копие.abd*")}, QDir::Files).size(), 1);
}

void TestArchive::saveReplacesAnExistingArchive()
{
    TestDb db;
    const QString target = db.folder() + QStringLiteral("/a.abd");
    QVERIFY(archiveSaveTo(target).ok);
    addTrip(db, QStringLiteral("Русе"));
    addTrip(db, QStringLiteral("Плевен"));
    const ArchiveResult r = archiveSaveTo(target);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(scalarIn(target, QStringLiteral("SELECT count(*) FROM tabl")).toInt(), 2);
}

void TestArchive::saveToAnImpossiblePlaceSaysSo()
{
    TestDb db;
    const QString target = db.folder() + QStringLiteral("/няма/такава/папка/a.abd");
    const ArchiveResult r = archiveSaveTo(target);
    QVERIFY(!r.ok);
    QVERIFY(r.message.contains(target));
    // The file the user chose, never the scratch file written first.
    QVERIFY2(!r.message.contains(QStringLiteral(".part")), qPrintable(r.message));
    QVERIFY(!QFile::exists(target));
}

void TestArchive::restoreRefusesWhatIsNotOurs()
{
    TestDb db;
    addTrip(db, QStringLiteral("Бургас"));
    db.conn().close();
    const QByteArray before = bytesOf(gDbPath);
    int closed = 0;
    setBeforeRestoreHandler([&] { return ++closed > 0; });

    const QString text = db.folder() + QStringLiteral("/бележка.abd");
    QFile f(text);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("това не е архив");
    f.close();
    ArchiveResult r = archiveRestoreFrom(text);
    QVERIFY(!r.ok);
    QVERIFY(r.message.contains(QStringLiteral("не е архив")));

    // An SQLite file of some other program is refused as well.
    const QString foreign = db.folder() + QStringLiteral("/чужд.abd");
    {
        Connection c;
        c.open(QStringLiteral("PROVIDER=x;Data Source=%1;").arg(foreign));
        c.execute(QStringLiteral("CREATE TABLE Notes (Text TEXT)"));
    }
    r = archiveRestoreFrom(foreign);
    QVERIFY(!r.ok);
    r = archiveRestoreFrom(db.folder() + QStringLiteral("/липсва.abd"));
    QVERIFY(!r.ok);

    // A file holding only the names of the tables a start looks for.
    const QString names = db.folder() + QStringLiteral("/имена.abd");
    {
        Connection c;
        c.open(QStringLiteral("PROVIDER=x;Data Source=%1;").arg(names));
        for (const char *t : {"tabl", "Users", "KelmCfg", "shof", "Config", "Tarifi"})
            c.execute(QStringLiteral("CREATE TABLE %1 (ID INTEGER)").arg(QLatin1String(t)));
        c.execute(QStringLiteral("INSERT INTO KelmCfg (ID) VALUES (1)"));
    }
    // A real archive that lost a table, one that lost a column, one cut short.
    QVERIFY(archiveSaveTo(db.folder() + QStringLiteral("/пълен.abd")).ok);
    auto damaged = [&](const QString &name, const QString &sql) {
        const QString path = db.folder() + QLatin1Char('/') + name;
        QFile::copy(db.folder() + QStringLiteral("/пълен.abd"), path);
        Connection c;
        c.open(connStrFor(path));
        c.execute(sql);
        return path;
    };
    const QString noSklad = damaged(QStringLiteral("без-склад.abd"), QStringLiteral("DROP TABLE Sklad"));
    const QString noColumn = damaged(QStringLiteral("без-колона.abd"), QStringLiteral("ALTER TABLE tabl DROP COLUMN neto"));
    {
        TestDb big;
        big.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<3000) "
                                "INSERT INTO tabl (Data, kola, Marsh, Klient, km, ton) "
                                "SELECT '2026-01-01', 'CA1234AB', 'Маршрут ' || i, 'Клиент ' || i, i, i FROM n"));
        big.conn().close();
        QVERIFY(QFile::copy(big.dbPath(), db.folder() + QStringLiteral("/отрязан.abd")));
    }
    setProgramFolder(db.folder());
    QFile cut(db.folder() + QStringLiteral("/отрязан.abd"));
    QVERIFY(cut.resize(cut.size() - 3 * 4096 + 1000));
    for (const QString &bad : {names, noSklad, noColumn}) {
        r = archiveRestoreFrom(bad);
        QVERIFY2(!r.ok, qPrintable(bad));
        QVERIFY(r.message.contains(QStringLiteral("не е архив")));
        QVERIFY(!isWholeKelmDatabase(bad));
    }
    // A copy of ours cut short is called so, with what is wrong with it.
    r = archiveRestoreFrom(cut.fileName());
    QVERIFY(!r.ok);
    QVERIFY2(r.message.startsWith(QStringLiteral("„%1“ е повреден или непълен архив.\r").arg(cut.fileName())),
             qPrintable(r.message));
    QVERIFY2(r.message.contains(QStringLiteral("байта, а заглавието му казва")), qPrintable(r.message));
    QVERIFY(r.message.endsWith(QStringLiteral("\rДанните не са променени.")));
    QVERIFY(isWholeKelmDatabase(db.folder() + QStringLiteral("/пълен.abd")));

    QCOMPARE(closed, 0);
    QCOMPARE(bytesOf(gDbPath), before);
    QCOMPARE(QDir(db.folder()).entryList({QStringLiteral("Kelm.mdb*")}, QDir::Files),
             QStringList{QStringLiteral("Kelm.mdb")});
}

void TestArchive::restoreReplacesAndReloadsCompany()
{
    TestDb db;
    db.exec(QStringLiteral("UPDATE KelmCfg SET UserName=?, UserCity=?"),
            {QStringLiteral(" Архивна фирма "), QStringLiteral("Русе")});
    addTrip(db, QStringLiteral("Русе - Шумен"));
    const QString archive = db.folder() + QStringLiteral("/a.abd");
    QVERIFY(archiveSaveTo(archive).ok);

    db.exec(QStringLiteral("UPDATE KelmCfg SET UserName='Сегашна фирма'"));
    db.exec(QStringLiteral("DELETE FROM tabl"));
    QVERIFY(LoadCompanyData());
    QCOMPARE(gFirmName, QStringLiteral("Сегашна фирма"));

    QString nameWhenClosing;
    setBeforeRestoreHandler([&] {
        nameWhenClosing = scalarIn(gDbPath, QStringLiteral("SELECT UserName FROM KelmCfg")).toString();
        return true;
    });
    QString titleName;
    setCompanyChangedHandler([&] { titleName = gFirmName; });
    const ArchiveResult r = archiveRestoreFrom(archive);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(nameWhenClosing, QStringLiteral("Сегашна фирма"));
    QCOMPARE(gFirmName, QStringLiteral("Архивна фирма"));
    QCOMPARE(gFirmCity, QStringLiteral("Русе"));
    QCOMPARE(titleName, QStringLiteral("Архивна фирма"));
    QCOMPARE(scalarIn(gDbPath, QStringLiteral("SELECT Marsh FROM tabl")).toString(), QStringLiteral("Русе - Шумен"));
    QVERIFY(QFile::exists(archive));
    QCOMPARE(QDir(db.folder()).entryList({QStringLiteral("Kelm.mdb*")}, QDir::Files),
             QStringList{QStringLiteral("Kelm.mdb")});
}

void TestArchive::restoreRefusesAFileOfAnotherLengthThanItsHeaderSays()
{
    TestDb db;
    setProgramFolder(db.folder());
    addTrip(db, QStringLiteral("Бургас"));
    db.exec(QStringLiteral("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) "
                           "VALUES ('2026-03-02', 'Фактура', '0000000007', 'Гума', 4, 150.5, 602, 'P', 0, 4)"));
    const QString whole = db.folder() + QStringLiteral("/цял.abd");
    QVERIFY(archiveSaveTo(whole).ok);
    const QByteArray archive = bytesOf(whole);
    db.exec(QStringLiteral("DELETE FROM Sklad"));
    db.conn().close();
    const QByteArray before = bytesOf(gDbPath);
    MessageCapture cap;
    // Зареждане through its file dialog.
    auto restore = [&](const QString &path) {
        QTimer::singleShot(0, [path] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->selectFile(path);
            QMetaObject::invokeMethod(d, "accept");
        });
        cap.clear();
        mnuDiskZar(nullptr);
    };
    // SQLite reads the bytes missing from a last page as zeros and the integrity
    // check passes: only the length the header gives tells such a file apart.
    const int page = (uchar(archive.at(16)) << 8) | uchar(archive.at(17));
    QList<qsizetype> lengths;
    for (int cut = 1; cut <= 17; ++cut)
        lengths << archive.size() - cut;
    lengths << archive.size() - page << archive.size() + page;
    for (const qsizetype length : lengths) {
        const QString path = db.folder() + QStringLiteral("/дължина-%1.abd").arg(length);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(archive.left(length));
        if (length > archive.size())
            f.write(QByteArray(length - archive.size(), '\0'));
        f.close();
        restore(path);
        // Refused at once, with no question.
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
        QVERIFY2(cap.lastText().contains(QStringLiteral("е повреден или непълен архив")), qPrintable(path));
        QVERIFY2(cap.lastText().contains(QStringLiteral("байта")), qPrintable(cap.lastText()));
        QCOMPARE(bytesOf(gDbPath), before);
    }
    // The whole archive is taken, once the question is answered yes, with its
    // warehouse line as it was written.
    cap.answers = {true};
    restore(whole);
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.shown.at(0).kind, ShownMessage::Confirm);
    QCOMPARE(scalarIn(gDbPath, QStringLiteral("SELECT Name || '|' || Edin || '|' || Suma || '|' || VidKol FROM Sklad"))
                 .toString(),
             QStringLiteral("Гума|150.5|602.0|P"));
}

// Зареждане replaces everything the company holds: it asks first, naming the
// archive and its date, and Enter answers no.
void TestArchive::restoreAsksFirstAndEnterKeepsTheData()
{
    TestDb db;
    setProgramFolder(db.folder());
    addTrip(db, QStringLiteral("Архивен курс"));
    const QString archive = db.folder() + QStringLiteral("/стар.abd");
    QVERIFY(archiveSaveTo(archive).ok);
    {
        QFile f(archive);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime(QDate(2025, 11, 7), QTime(18, 30)), QFileDevice::FileModificationTime));
    }
    db.exec(QStringLiteral("DELETE FROM tabl"));
    addTrip(db, QStringLiteral("Днешен курс"));
    db.conn().close();
    const QByteArray before = bytesOf(gDbPath);
    int closed = 0;
    setBeforeRestoreHandler([&] { return ++closed > 0; });

    std::optional<BoxWatch> boxes;
    QTimer::singleShot(0, [&] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(d);
        d->selectFile(archive);
        QMetaObject::invokeMethod(d, "accept");
        boxes.emplace(QList<BoxWatch::Press>{BoxWatch::Press::Enter});
    });
    mnuDiskZar(nullptr);
    QVERIFY(boxes);
    QCOMPARE(boxes->seen.size(), 1);
    QCOMPARE(boxes->seen.at(0).first, QStringLiteral("Внимание!"));
    QCOMPARE(boxes->seen.at(0).second,
             QStringLiteral("Данните на фирмата ще бъдат заменени с архива „%1“ от 07.11.2025.\n\nДа продължа ли?")
                 .arg(archive));
    // The screens were closed first (one in the middle of a record would have
    // stopped it before the question).
    QCOMPARE(closed, 1);
    QCOMPARE(bytesOf(gDbPath), before);
    QCOMPARE(QDir(db.folder()).entryList({QStringLiteral("Kelm.mdb*")}, QDir::Files),
             QStringList{QStringLiteral("Kelm.mdb")});
}

void TestArchive::yearCopyNames()
{
    TestDb db;
    QCOMPARE(yearCopyPath(QDate(2004, 12, 31)), db.folder() + QStringLiteral("/2004.arh"));
    QCOMPARE(yearCopyPath(QDate(2026, 1, 5)), db.folder() + QStringLiteral("/2026.arh"));
    QFile f(db.folder() + QStringLiteral("/2026.arh"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QCOMPARE(yearCopyPath(QDate(2026, 1, 5)), db.folder() + QStringLiteral("/2026-2.arh"));
    QVERIFY(QDir().mkpath(db.folder() + QStringLiteral("/2026-2.arh")));
    QCOMPARE(yearCopyPath(QDate(2026, 1, 5)), db.folder() + QStringLiteral("/2026-3.arh"));
}

void TestArchive::closeYearKeepsEarlierCopiesAndDeletesOnlyTrips()
{
    TestDb db;
    addTrip(db, QStringLiteral("Старо 1"));
    addTrip(db, QStringLiteral("Старо 2"));
    db.exec(QStringLiteral("INSERT INTO shof (kod, ime) VALUES ('001', 'Иван Петров')"));
    db.exec(QStringLiteral("INSERT INTO Firms DEFAULT VALUES"));

    ArchiveResult r = closeYear(QDate(2026, 12, 30));
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.path, db.folder() + QStringLiteral("/2026.arh"));
    QCOMPARE(scalarIn(r.path, QStringLiteral("SELECT count(*) FROM tabl")).toInt(), 2);
    QCOMPARE(db.count(QStringLiteral("tabl")), 0);
    QCOMPARE(db.count(QStringLiteral("shof")), 1);
    QCOMPARE(db.count(QStringLiteral("Firms")), 1);
    QCOMPARE(db.count(QStringLiteral("Users")), 1);
    QCOMPARE(db.count(QStringLiteral("KelmCfg")), 1);

    addTrip(db, QStringLiteral("Ново"));
    r = closeYear(QDate(2026, 12, 31));
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.path, db.folder() + QStringLiteral("/2026-2.arh"));
    QCOMPARE(scalarIn(r.path, QStringLiteral("SELECT Marsh FROM tabl")).toString(), QStringLiteral("Ново"));
    // The first copy still holds the year's trips.
    QCOMPARE(scalarIn(db.folder() + QStringLiteral("/2026.arh"), QStringLiteral("SELECT count(*) FROM tabl")).toInt(), 2);
    QCOMPARE(db.count(QStringLiteral("tabl")), 0);
}

void TestArchive::failedCopyDeletesNothing()
{
    TestDb db;
    addTrip(db, QStringLiteral("Остава"));
    // The copy's name leads nowhere: the copy cannot be written.
    QVERIFY(QFile::link(db.folder() + QStringLiteral("/няма/папка/x"), db.folder() + QStringLiteral("/2026.arh")));
    const ArchiveResult r = closeYear(QDate(2026, 6, 1));
    QVERIFY(!r.ok);
    QVERIFY(r.message.contains(QStringLiteral("курсовете не са изтрити")));
    QCOMPARE(db.count(QStringLiteral("tabl")), 1);
}

void TestArchive::newYearCommandAsksAndReports()
{
    TestDb db;
    addTrip(db, QStringLiteral("Курс"));
    const QString copy = db.folder() + QLatin1Char('/') + QString::number(QDate::currentDate().year())
        + QStringLiteral(".arh");
    {
        // The question as the user meets it: Enter answers with the default
        // button, which refuses.
        QStringList seen;
        bool okIsDefault = true;
        QTimer enter;
        enter.setInterval(5);
        connect(&enter, &QTimer::timeout, [&] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || !w->isVisible())
                return;
            seen << w->findChild<QLabel *>(QStringLiteral("Label1"))->text();
            if (auto *ok = w->findChild<QPushButton *>(QStringLiteral("OKButton")); ok && seen.size() == 1)
                okIsDefault = ok->isDefault();
            QTest::keyClick(w, Qt::Key_Return);
        });
        enter.start();
        mnuNewPer(nullptr);
        enter.stop();
        QCOMPARE(seen, QStringList{QStringLiteral("Данните ще бъдат изтрити!\n\nДа продължа ли?")});
        QVERIFY(!okIsDefault);
        QCOMPARE(db.count(QStringLiteral("tabl")), 1);
        QVERIFY(!QFile::exists(copy));
    }
    {
        MessageCapture cap;
        cap.answers = {false};
        setStatusText(QString());
        mnuNewPer(nullptr);
        QCOMPARE(statusText(), QStringLiteral("Приключване на годината..."));
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.shown.at(0).kind, ShownMessage::Confirm);
        QCOMPARE(cap.shown.at(0).caption, QStringLiteral("Внимание!"));
        QCOMPARE(cap.shown.at(0).text, QStringLiteral("Данните ще бъдат изтрити!\r\rДа продължа ли?"));
        QCOMPARE(db.count(QStringLiteral("tabl")), 1);
        QVERIFY(!QFile::exists(copy));
    }
    {
        MessageCapture cap;
        cap.answers = {true};
        mnuNewPer(nullptr);
        QCOMPARE(cap.shown.size(), 2);
        QCOMPARE(cap.shown.at(1).kind, ShownMessage::Info);
        QCOMPARE(cap.shown.at(1).caption, QStringLiteral("Информация"));
        QCOMPARE(cap.shown.at(1).text, QStringLiteral("Операцията завърши успешно"));
        QCOMPARE(db.count(QStringLiteral("tabl")), 0);
        QVERIFY(isKelmDatabase(copy));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
    {
        // The trips cannot be deleted: the failure is told, no success, and the
        // copy written for them goes again.
        addTrip(db, QStringLiteral("Пазен"));
        db.exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON tabl BEGIN SELECT RAISE(ABORT, 'locked'); END"));
        MessageCapture cap;
        cap.answers = {true};
        mnuNewPer(nullptr);
        QCOMPARE(cap.shown.size(), 2);
        QVERIFY(cap.shown.at(1).text != QStringLiteral("Операцията завърши успешно"));
        QVERIFY(cap.shown.at(1).text.contains(QStringLiteral("Записът не отговаря на ограниченията")));
        QCOMPARE(db.count(QStringLiteral("tabl")), 1);
        QVERIFY(!QFile::exists(QString(copy).replace(QStringLiteral(".arh"), QStringLiteral("-2.arh"))));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
}

// A second copy of the program saves trips without pause while the year is
// closed: every trip whose save succeeded is afterwards in a year copy or still
// in Kelm.mdb.
void TestArchive::aTripSavedDuringTheYearClosingIsNeverLost()
{
    TestDb db;
    // A year big enough that its copy takes a while.
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<30000) "
                           "INSERT INTO tabl (Data, kola, Marsh, Klient, km, ton) "
                           "SELECT '2026-01-01', 'CA1234AB', 'Маршрут ' || i, 'Д''Арк ООД', i, i FROM n"));
    db.conn().close();
    // The other copy of the program is another process, as in an office.
    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), gConnStr});
    QVERIFY(writer.waitForReadyRead(30000));
    MessageCapture cap;
    for (int i = 0; i < 3; ++i) {
        QTest::qWait(30);
        cap.answers = {true};
        cap.clear();
        mnuNewPer(nullptr);
        QCOMPARE(cap.lastText(), QStringLiteral("Операцията завърши успешно"));
    }
    QTest::qWait(30);
    writer.kill();
    writer.waitForFinished();
    QStringList saved;
    for (const QByteArray &line : writer.readAllStandardOutput().split('\n'))
        if (line.startsWith('W'))
            saved << QString::fromLatin1(line);
    QVERIFY(saved.size() > 10);
    QSet<QString> kept;
    const QStringList files = QStringList{gDbPath}
        + [&] {
              QStringList copies;
              for (const QString &f : QDir(db.folder()).entryList({QStringLiteral("*.arh")}, QDir::Files))
                  copies << db.folder() + QLatin1Char('/') + f;
              return copies;
          }();
    QCOMPARE(files.size(), 4);
    for (const QString &file : files) {
        Connection c;
        c.open(connStrFor(file));
        c.forEachRow(QStringLiteral("SELECT Marsh FROM tabl WHERE kola='W'"), {}, nullptr,
                     [&](const QVector<QVariant> &v) { kept.insert(v.at(0).toString()); });
    }
    QStringList lost;
    for (const QString &m : saved)
        if (!kept.contains(m))
            lost << m;
    QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("%1 of %2 saved trips lost: %3")
                                            .arg(lost.size()).arg(saved.size()).arg(lost.join(' '))));
}

// An office shares Kelm.mdb with a group: a restore keeps its mode and group, and
// an archive or a year copy is readable by nobody who cannot read Kelm.mdb.
void TestArchive::copiesAndRestoresKeepTheDatabasesAccess()
{
    TestDb db;
    addTrip(db, QStringLiteral("Групов"));
    db.conn().close();
    const group *office = getgrnam("users");
    if (!office || office->gr_gid == getegid())
        office = getgrnam("daemon");
    QVERIFY(office && office->gr_gid != getegid());
    const gid_t gid = office->gr_gid;
    const QByteArray kelm = QFile::encodeName(gDbPath);
    QCOMPARE(::chown(kelm.constData(), uid_t(-1), gid), 0);
    QCOMPARE(::chmod(kelm.constData(), 0660), 0);
    auto access = [](const QString &path) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return QStringLiteral("missing");
        return QStringLiteral("%1 gid %2").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0')).arg(st.st_gid);
    };
    const QString shared = QStringLiteral("0660 gid %1").arg(gid);

    const QString archive = db.folder() + QStringLiteral("/a.abd");
    QVERIFY(archiveSaveTo(archive).ok);
    QCOMPARE(access(archive), shared);
    const ArchiveResult year = closeYear(QDate(2026, 12, 31));
    QVERIFY2(year.ok, qPrintable(year.message));
    QCOMPARE(access(year.path), shared);
    const ArchiveResult r = archiveRestoreFrom(archive);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(scalarIn(gDbPath, QStringLiteral("SELECT Marsh FROM tabl")).toString(), QStringLiteral("Групов"));
    QCOMPARE(access(gDbPath), shared);

    // A Kelm.mdb of its owner only gives copies of its owner only.
    QCOMPARE(::chmod(kelm.constData(), 0600), 0);
    QVERIFY(archiveSaveTo(archive).ok);
    QCOMPARE(access(archive), QStringLiteral("0600 gid %1").arg(gid));
}

// An archive in which nobody could sign in is refused like a foreign one: before
// any question, with Kelm.mdb untouched.
void TestArchive::restoreRefusesAnArchiveWithoutAdministrator()
{
    TestDb db;
    setProgramFolder(db.folder());
    const QString whole = db.folder() + QStringLiteral("/цял.abd");
    QVERIFY(archiveSaveTo(whole).ok);
    db.conn().close();
    const QByteArray before = bytesOf(gDbPath);
    int closed = 0;
    setBeforeRestoreHandler([&] { return ++closed > 0; });
    const QStringList changes = {
        QStringLiteral("DELETE FROM Users"),
        QStringLiteral("UPDATE Users SET Vid='B'"),
        QStringLiteral("UPDATE Users SET Password='  '"),
        // Blank as at sign-in: a tab or a non-breaking space signs no one in.
        QStringLiteral("UPDATE Users SET Password=char(9)"),
        QStringLiteral("UPDATE Users SET Password=char(160, 32)"),
        QStringLiteral("UPDATE Users SET Ime=char(160)"),
    };
    for (const QString &change : changes) {
        const QString path = db.folder() + QStringLiteral("/без-администратор.abd");
        QFile::remove(path);
        QVERIFY(QFile::copy(whole, path));
        {
            Connection c;
            c.open(connStrFor(path));
            c.execute(change);
            c.execute(QStringLiteral("INSERT INTO Users (Ime, Password, Vid) VALUES ('Иван', 'парола', 'C')"));
        }
        MessageCapture cap;
        cap.answers = {true};
        QTimer::singleShot(0, [path] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->selectFile(path);
            QMetaObject::invokeMethod(d, "accept");
        });
        mnuDiskZar(nullptr);
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.shown.at(0).kind, ShownMessage::Info);
        QCOMPARE(cap.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
        QVERIFY2(cap.lastText().contains(QStringLiteral("администратор")), qPrintable(change + ": " + cap.lastText()));
        QVERIFY(cap.lastText().endsWith(QStringLiteral("\rДанните не са променени.")));
        QCOMPARE(closed, 0);
        QCOMPARE(bytesOf(gDbPath), before);
    }
    // An administrator who could sign in is enough.
    const QString good = db.folder() + QStringLiteral("/администратор.abd");
    QVERIFY(QFile::copy(whole, good));
    {
        Connection c;
        c.open(connStrFor(good));
        c.execute(QStringLiteral("UPDATE Users SET Password=' п '"));
    }
    QVERIFY(archiveRestoreFrom(good).ok);
    QCOMPARE(CheckUser(QStringLiteral(" п "), QStringLiteral("admin")), QStringLiteral("A"));
}

// Kelm.mdb is never the target of an archive or a year copy, nor the archive of
// a restore, by any name that leads to it, while another copy saves trips:
// nothing is touched, and the message names the file chosen.
void TestArchive::nothingIsCopiedOverKelmMdb()
{
    TestDb db;
    setProgramFolder(db.folder());
    addTrip(db, QStringLiteral("Първи"));
    db.conn().close();
    const QString folder = db.folder();
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(gDbPath).constData(), &before), 0);
    QVERIFY(QDir(folder).mkdir(QStringLiteral("под")));
    QVERIFY(QFile::link(gDbPath, folder + QStringLiteral("/връзка.abd")));
    QCOMPARE(::link(QFile::encodeName(gDbPath).constData(), QFile::encodeName(folder + QStringLiteral("/твърда.abd")).constData()), 0);
    QVERIFY(QFile::link(gDbPath + QStringLiteral("-wal"), folder + QStringLiteral("/към-журнала.abd")));
    // A year copy whose name leads to the journal.
    QVERIFY(QFile::link(gDbPath + QStringLiteral("-journal"), folder + QStringLiteral("/2026.arh")));
    ArchiveResult r = closeYear(QDate(2026, 12, 31));
    QVERIFY(!r.ok);
    QCOMPARE(scalarIn(gDbPath, QStringLiteral("SELECT count(*) FROM tabl")).toInt(), 1);

    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), gConnStr});
    QVERIFY(writer.waitForReadyRead(30000));
    int asked = 0, closed = 0;
    setBeforeRestoreHandler([&] { return ++closed > 0; });
    const QStringList forms = {gDbPath,
                               folder + QStringLiteral("/./Kelm.mdb"),
                               folder + QStringLiteral("/под/../Kelm.mdb"),
                               folder + QStringLiteral("/връзка.abd"),
                               folder + QStringLiteral("/твърда.abd"),
                               gDbPath + QStringLiteral("-journal"),
                               folder + QStringLiteral("/към-журнала.abd")};
    for (const QString &form : forms) {
        r = archiveSaveTo(form);
        QVERIFY2(!r.ok && r.message.contains(QStringLiteral("„%1“").arg(form))
                     && r.message.contains(QStringLiteral("файлът с данните на програмата")),
                 qPrintable(form + QStringLiteral(": ") + r.message));
        r = archiveRestoreFrom(form, [&] { return ++asked > 0; });
        QVERIFY2(!r.ok && r.message.startsWith(QStringLiteral("„%1“ е файлът с данните на програмата").arg(form)),
                 qPrintable(form + QStringLiteral(": ") + r.message));
    }
    // Записване through its dialog, the name typed under "Всички файлове".
    MessageCapture cap;
    QString changes = QStringLiteral("not shown");
    answerFileDialog(gDbPath + QStringLiteral("-wal"), &changes);
    mnuDiskZap(nullptr);
    QCOMPARE(changes, QString());
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY2(cap.lastText().contains(QStringLiteral("файлът с данните на програмата")), qPrintable(cap.lastText()));

    QTest::qWait(30);
    const QStringList saved = savedBy(writer);
    QVERIFY(!saved.isEmpty());
    QCOMPARE(asked, 0);
    QCOMPARE(closed, 0);
    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(gDbPath).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QVERIFY(!QFile::exists(gDbPath + QStringLiteral("-wal")));
    QVERIFY(scratchIn(folder).isEmpty());
    Connection c;
    c.open(gConnStr);
    QCOMPARE(c.scalar(QStringLiteral("SELECT count(*) FROM tabl WHERE Marsh='Първи'")).toInt(), 1);
    // Every trip the other copy saved is there (one more may have been saved as it was stopped).
    QStringList kept;
    c.forEachRow(QStringLiteral("SELECT Marsh FROM tabl WHERE kola='W'"), {}, nullptr,
                 [&](const QVector<QVariant> &v) { kept << v.at(0).toString(); });
    for (const QString &trip : saved)
        QVERIFY2(kept.contains(trip), qPrintable(trip));
}

// A restore takes an archive whose schema is exactly the program's own: a
// trigger, a view, a constraint or an index of its own is refused like a
// foreign file, with Kelm.mdb unchanged. Only a shipped index may be missing
// (a database made before it was shipped lacks it).
void TestArchive::restoreRefusesAnArchiveOfAnotherSchema()
{
    TestDb db;
    setProgramFolder(db.folder());
    addTrip(db, QStringLiteral("Стар"));
    const QString whole = db.folder() + QStringLiteral("/цял.abd");
    QVERIFY(archiveSaveTo(whole).ok);
    addTrip(db, QStringLiteral("Днешен"));
    db.conn().close();
    const QByteArray before = bytesOf(gDbPath);
    const QString tablSql = scalarIn(whole, QStringLiteral("SELECT sql FROM sqlite_master WHERE name='tabl'")).toString();
    QString checked = tablSql;
    checked.insert(checked.lastIndexOf(QLatin1Char(')')), QStringLiteral(", CHECK (km < 1000)"));
    const QList<QStringList> changes = {
        {QStringLiteral("CREATE TRIGGER t AFTER INSERT ON tabl BEGIN DELETE FROM tabl; END")},
        {QStringLiteral("ALTER TABLE tabl RENAME TO old"), checked, QStringLiteral("INSERT INTO tabl SELECT * FROM old"),
         QStringLiteral("DROP TABLE old")},
        {QStringLiteral("CREATE VIEW v AS SELECT * FROM tabl")},
        {QStringLiteral("CREATE UNIQUE INDEX u ON tabl (Data)")},
        {QStringLiteral("CREATE TABLE Extra (ID INTEGER)")},
    };
    auto variant = [&](const QStringList &sql) {
        const QString path = db.folder() + QStringLiteral("/вариант.abd");
        QFile::remove(path);
        QFile::copy(whole, path);
        Connection c;
        c.open(connStrFor(path));
        for (const QString &statement : sql)
            c.execute(statement);
        return path;
    };
    for (const QStringList &change : changes) {
        const ArchiveResult r = archiveRestoreFrom(variant(change), [] { return true; });
        QVERIFY2(!r.ok && r.message.contains(QStringLiteral("не е архив с данни на програмата")),
                 qPrintable(change.first() + QStringLiteral(": ") + r.message));
        QCOMPARE(bytesOf(gDbPath), before);
    }
    const ArchiveResult r = archiveRestoreFrom(variant({QStringLiteral("DROP INDEX idx_tabl_Marsh")}), [] { return true; });
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(scalarIn(gDbPath, QStringLiteral("SELECT group_concat(Marsh) FROM tabl")).toString(), QStringLiteral("Стар"));
}

// A restore, a year closing or an archive killed half-way leaves its scratch
// copy; the next run of a command, or the next start, removes it, and nothing
// else: not a file of the user's, not one another copy is writing.
void TestArchive::scratchFilesOfAKilledCommandAreRemoved()
{
    TestDb db;
    setProgramFolder(db.folder());
    addTrip(db, QStringLiteral("Курс"));
    const QString folder = db.folder();
    const QString archive = folder + QStringLiteral("/a.abd");
    QVERIFY(archiveSaveTo(archive).ok);
    db.conn().close();
    auto make = [&folder](const QString &name) {
        QFile f(folder + QLatin1Char('/') + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("SQLite format 3");
    };
    const QStringList left = {QStringLiteral("Kelm.mdb.part"), QStringLiteral("Kelm.mdb.part3"),
                              QStringLiteral("Kelm.mdb.part3-journal"), QStringLiteral("2026.arh.part2"),
                              QStringLiteral("2025-2.arh.part"), QStringLiteral("2025-2.arh.part-journal")};
    const QStringList others = {QStringLiteral("Kelm.mdb.partial"), QStringLiteral("бележка.part"),
                                QStringLiteral("2026.arh"), QStringLiteral("Kelm.mdb.part7")};
    for (const QString &name : left + others)
        make(name);
    // Kelm.mdb.part7 is another copy's restore in progress: it holds its lock.
    const int held = ::open(QFile::encodeName(folder + QStringLiteral("/Kelm.mdb.part7")).constData(), O_RDONLY);
    QCOMPARE(::flock(held, LOCK_EX), 0);
    const ArchiveResult r = archiveRestoreFrom(archive, [] { return true; });
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(scratchIn(folder), QStringList({QStringLiteral("Kelm.mdb.part7"), QStringLiteral("Kelm.mdb.partial"),
                                             QStringLiteral("бележка.part")}));
    ::close(held);
    QVERIFY(closeYear(QDate(2026, 12, 31)).ok);
    QCOMPARE(scratchIn(folder), QStringList({QStringLiteral("Kelm.mdb.partial"), QStringLiteral("бележка.part")}));
    // An archive is never given such a name: the next start would take it for a leftover.
    QVERIFY(!archiveSaveTo(folder + QStringLiteral("/2026.arh.part3")).ok);
    QVERIFY(!QFile::exists(folder + QStringLiteral("/2026.arh.part3")));

    // An archive killed while it is written, elsewhere than the program folder:
    // the next start removes its copy.
    QTemporaryDir stick;
    const QString target = stick.filePath(QStringLiteral("копие.abd"));
    {
        Connection c;
        c.open(gConnStr);
        c.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<20000) "
                                 "INSERT INTO tabl (Data, kola, Marsh) SELECT '2026-01-01', 'CA1234AB', 'Маршрут ' || i FROM n"));
    }
    int tries = 0;
    while (scratchIn(stick.path()).isEmpty() && tries++ < 40) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--saver"), folder, target});
        QVERIFY(saver.waitForReadyRead(30000));
        QThread::msleep(5 + tries * 7 % 60);
        saver.kill();
        saver.waitForFinished();
    }
    QVERIFY(!scratchIn(stick.path()).isEmpty());
    removeLeftScratchFiles();
    QCOMPARE(scratchIn(stick.path()), QStringList());
    QVERIFY(isWholeKelmDatabase(gDbPath));
}

// Нова година and Зареждане that wait in vain for another copy's lock end in a
// Bulgarian message; nothing changed and no copy is left, and a year closing
// tried again writes the year's one copy.
void TestArchive::aWaitInVainForAnotherCopyChangesNothing()
{
    TestDb db;
    setProgramFolder(db.folder());
    addTrip(db, QStringLiteral("Курс"));
    const QString archive = db.folder() + QStringLiteral("/a.abd");
    QVERIFY(archiveSaveTo(archive).ok);
    addTrip(db, QStringLiteral("Днешен"));
    db.conn().close();
    const QByteArray before = bytesOf(gDbPath);
    const QString year = QString::number(QDate::currentDate().year());
    setLockWaitLimit(300);
    auto copies = [&db] { return QDir(db.folder()).entryList({QStringLiteral("*.arh*")}, QDir::Files); };
    auto sayItWaited = [](const MessageCapture &cap) {
        const QString text = cap.lastText();
        return cap.lastCaption() == QStringLiteral("ГРЕШКА!") && text.startsWith(QStringLiteral("Курсовете не са изтрити."))
            && text.contains(QStringLiteral("3218:Друг потребител записва в базата данни в момента. Опитайте отново след малко."))
            && !text.contains(QStringLiteral("locked")) && !text.contains(QStringLiteral("busy"));
    };
    {
        // Another copy reads, past the wait: the copy was written, the trips
        // cannot be deleted, and the copy goes again.
        Connection other;
        other.open(gConnStr);
        QSqlQuery read(other.db());
        QVERIFY(read.exec(QStringLiteral("BEGIN")));
        QVERIFY(read.exec(QStringLiteral("SELECT count(*) FROM tabl")) && read.next());
        MessageCapture cap;
        cap.answers = {true};
        mnuNewPer(nullptr);
        QVERIFY2(sayItWaited(cap), qPrintable(cap.lastText()));
        QCOMPARE(copies(), QStringList());
        read.finish();
        QVERIFY(read.exec(QStringLiteral("COMMIT")));
    }
    {
        // Another copy writes, past the wait.
        Connection other;
        other.open(gConnStr);
        other.beginTrans();
        other.execute(QStringLiteral("INSERT INTO tabl (Marsh) VALUES ('чужд')"));
        MessageCapture cap;
        cap.answers = {true};
        mnuNewPer(nullptr);
        QVERIFY2(sayItWaited(cap), qPrintable(cap.lastText()));
        cap.clear();
        cap.answers = {true};
        QString changes = QStringLiteral("not shown");
        answerFileDialog(archive, &changes);
        mnuDiskZar(nullptr);
        QCOMPARE(changes, QString());
        QCOMPARE(cap.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
        QVERIFY2(cap.lastText().startsWith(QStringLiteral("Архивът „%1“ не може да бъде зареден.\r").arg(archive))
                     && cap.lastText().contains(QStringLiteral("3218:")),
                 qPrintable(cap.lastText()));
        other.rollbackTrans();
    }
    QCOMPARE(bytesOf(gDbPath), before);
    QCOMPARE(copies(), QStringList());
    QVERIFY(scratchIn(db.folder()).isEmpty());
    const ArchiveResult r = closeYear(QDate::currentDate());
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(copies(), QStringList{year + QStringLiteral(".arh")});
}

int main(int argc, char **argv)
{
    // The second copy of the program: saves trips one after another, each in its
    // own transaction, and says each one whose save succeeded.
    if (argc >= 3 && qstrcmp(argv[1], "--writer") == 0) {
        QCoreApplication app(argc, argv);
        Connection c;
        c.open(QString::fromLocal8Bit(argv[2]));
        for (int n = 1;; ++n) {
            try {
                c.beginTrans();
                c.execute(QStringLiteral("INSERT INTO tabl (Data, kola, Marsh) VALUES ('2026-12-31', 'W', ?)"),
                          {QStringLiteral("W%1").arg(n)});
                c.commitTrans();
                std::printf("W%d\n", n);
                std::fflush(stdout);
            } catch (const DbError &) {
                c.rollbackTrans();
            }
        }
    }
    // Записване again and again into one file, until killed.
    if (argc >= 4 && qstrcmp(argv[1], "--saver") == 0) {
        QCoreApplication app(argc, argv);
        setProgramFolder(QString::fromLocal8Bit(argv[2]));
        std::printf("ready\n");
        std::fflush(stdout);
        for (;;)
            archiveSaveTo(QString::fromLocal8Bit(argv[3]));
    }
    QApplication app(argc, argv);
    TestArchive t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_archive.moc"
