// The crash test: a child copy of this program saves trips (through the trip
// save) and waybills with their legs (through the waybill screen itself) as
// fast as it can, and is killed at a random moment, again and again. After every
// kill the database must open through the start-up check, pass SQLite's
// integrity check, and hold every trip with its one expense line and every sheet
// with exactly its legs.
//
// A second test kills a year closing and a restore, each while another copy of
// the program saves trips: the database stays whole, and no trip whose save
// succeeded is lost by a year closing (it is in a year copy or still in Kelm.mdb),
// and no scratch copy of theirs outlives the next start.
//
// KELM_CRASH_KILLS sets the number of kills (default 60, 30 under the
// sanitizers; the second test makes a third as many of each, at most 50); KELM_CRASH_SEED
// repeats a run.

#include "common/globals.h"
#include "dialogs/messages.h"
#include "fleet/rowdlist.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "shell/archive.h"
#include "shell/startup.h"
#include "testdb.h"
#include "trips/tripsave.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTableView>
#include <QtTest>

#include <algorithm>
#include <cstdio>

using namespace kelm;

namespace {

// Legs of sheet n: n % 3 + 1 of them, leg j of 10·(j+1) km.
int legsOfSheet(int n) { return n % 3 + 1; }
int kmOfSheet(int n)
{
    int km = 0;
    for (int j = 0; j < legsOfSheet(n); ++j)
        km += 10 * (j + 1);
    return km;
}

void say(const char *what, int n = 0)
{
    std::printf("%s %d\n", what, n);
    std::fflush(stdout);
}

// A new trip of the one driver of the list.
TripSaveContext newTrip()
{
    TripSaveContext c;
    c.drivers = {QStringLiteral("001,Иван Д'Арков")};
    return c;
}

// The trip a writer saves as its n-th: awkward texts, the number as its car and expense.
TripEntry tripNumbered(int n)
{
    TripEntry e;
    e.driver = QStringLiteral("001,Иван Д'Арков");
    e.car = QStringLiteral("K%1").arg(n);
    e.route = QStringLiteral("София - Перник");
    e.client = QStringLiteral("Д'Арк ООД");
    e.goods = QStringLiteral("100%_чист");
    e.date = QStringLiteral("05.03.2026");
    e.ton = QStringLiteral("12,5");
    e.km = QStringLiteral("40");
    e.tariff = QStringLiteral("0,125");
    e.invoice = QStringLiteral("0000000000");
    e.expense = QString::number(n);
    return e;
}

// The child: saves until it is killed. Exit 2 when a save fails.
int crashWriter(const QString &folder)
{
    setProgramFolder(folder);
    MessageCapture cap;
    int trip = 0, sheet = 0;
    {
        Connection c;
        c.open(gConnStr);
        trip = c.scalar(QStringLiteral("SELECT count(*) FROM tabl")).toInt();
        sheet = c.scalar(QStringLiteral("SELECT coalesce(max(CAST(ListID AS INTEGER)), 0) FROM RowdList")).toInt();
    }
    RowdList w;
    if (!w.load())
        return 2;
    say("ready");
    for (;;) {
        ++trip;
        {
            Connection conn;
            conn.open(gConnStr);
            const TripSaveResult r = saveTrip(conn, tripNumbered(trip), newTrip());
            if (!r.ok) {
                std::printf("trip failed: %s\n", qPrintable(r.text));
                return 2;
            }
        }
        ++sheet;
        if (w.sheetForm()->isBrowsing())
            w.cmdAddRowd->click();
        w.txtFields[4]->setText(QString::number(sheet));
        w.txtNumber_LostFocus();
        w.txtFields[0]->setText(QStringLiteral("05.03.2026"));
        w.ComboNameShof->setCurrentIndex(0);
        w.ComboKola->setCurrentIndex(0);
        w.tbsOptions->setCurrentIndex(1);
        for (int j = 0; j < legsOfSheet(sheet); ++j) {
            if (j > 0)
                w.cmdAddMarsh->click();
            QAbstractItemModel *m = w.grdMarsh->model();
            const int row = w.legs().currentIndex();
            m->setData(m->index(row, 0), QStringLiteral("L%1/%2").arg(sheet).arg(j));
            m->setData(m->index(row, 1), QString::number(10 * (j + 1)));
            m->setData(m->index(row, 2), QStringLiteral("5"));
            m->setData(m->index(row, 3), QStringLiteral("0"));
            w.cmdUpdateMarsh->click();
        }
        w.cmdCloseMarsh->click();
        w.tbsOptions->setCurrentIndex(0);
        w.cmdUpdateRowd->click();
        if (!cap.shown.isEmpty() || !w.sheetForm()->isBrowsing()) {
            std::printf("sheet failed: %s\n", qPrintable(cap.lastText()));
            return 2;
        }
    }
}

// A second copy of the program saving trips from number first on, a few
// milliseconds apart; it says the number of each trip whose save succeeded.
int tripWriter(const QString &folder, int first)
{
    setProgramFolder(folder);
    MessageCapture cap;
    for (int n = first;; ++n) {
        Connection conn;
        conn.open(gConnStr);
        const TripSaveResult r = saveTrip(conn, tripNumbered(n), newTrip());
        conn.close();
        if (r.ok)
            std::printf("saved %d\n", n);
        std::fflush(stdout);
        QThread::msleep(2);
    }
}

// Closes the year, or restores the archive, again and again until killed.
int replacer(const QString &folder, const QString &archive)
{
    setProgramFolder(folder);
    MessageCapture cap;
    say("ready");
    for (;;) {
        const ArchiveResult r = archive.isEmpty() ? closeYear(QDate(2026, 12, 31)) : archiveRestoreFrom(archive);
        if (!r.ok) {
            std::printf("failed: %s\n", qPrintable(r.message));
            return 2;
        }
    }
}

// What every kill must leave: "" when whole, else what is wrong.
QString wholeness()
{
    MessageCapture cap;
    if (!checkMainDatabase(gDbPath))
        return QStringLiteral("start-up refused the database: ") + cap.lastText();
    Connection c;
    c.open(gConnStr);
    const QString integrity = c.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    if (integrity != QLatin1String("ok"))
        return QStringLiteral("integrity: ") + integrity;
    const int tripsWithoutLine = c.scalar(QStringLiteral(
        "SELECT count(*) FROM tabl t WHERE (SELECT count(*) FROM Sklad s WHERE s.DocVid=t.kola "
        "AND s.Name='Разходи за курс') <> 1")).toInt();
    const int linesWithoutTrip = c.scalar(QStringLiteral(
        "SELECT count(*) FROM Sklad s WHERE NOT EXISTS (SELECT 1 FROM tabl t WHERE t.kola=s.DocVid)")).toInt();
    if (tripsWithoutLine || linesWithoutTrip)
        return QStringLiteral("%1 trips without their expense line, %2 lines without a trip")
            .arg(tripsWithoutLine).arg(linesWithoutTrip);
    const int orphans = c.scalar(QStringLiteral(
        "SELECT count(*) FROM Marsh m WHERE NOT EXISTS (SELECT 1 FROM RowdList r WHERE r.ListID=m.MarshID)")).toInt();
    if (orphans)
        return QStringLiteral("%1 legs of no sheet").arg(orphans);
    QString wrong;
    // Marsh has a ListID column of its own (the older screens'): the sheet's is r.ListID.
    c.forEachRow(QStringLiteral("SELECT r.ListID, r.SumKM, (SELECT count(*) FROM Marsh m WHERE m.MarshID=r.ListID), "
                                "(SELECT sum(m.KM) FROM Marsh m WHERE m.MarshID=r.ListID), "
                                "(SELECT count(*) FROM Marsh m WHERE m.MarshID=r.ListID AND m.Marshrut NOT LIKE "
                                "'L' || CAST(r.ListID AS INTEGER) || '/%') FROM RowdList r"),
                 {}, nullptr, [&](const QVector<QVariant> &v) {
                     const int n = v.at(0).toString().toInt();
                     if (v.at(2).toInt() != legsOfSheet(n) || v.at(3).toInt() != kmOfSheet(n)
                         || v.at(1).toInt() != kmOfSheet(n) || v.at(4).toInt() != 0)
                         wrong = QStringLiteral("sheet %1 has %2 legs of %3 km, total %4")
                                     .arg(n).arg(v.at(2).toInt()).arg(v.at(3).toInt()).arg(v.at(1).toInt());
                 });
    return wrong;
}

} // namespace

class TestCrash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedSavesLeaveEveryTripAndSheetWhole();
    void killedYearClosingsAndRestoresLoseNothing();
};

void TestCrash::killedSavesLeaveEveryTripAndSheetWhole()
{
#if defined(__SANITIZE_ADDRESS__)
    const int defaultKills = 30;
#else
    const int defaultKills = 60;
#endif
    const int kills = qEnvironmentVariableIntValue("KELM_CRASH_KILLS") > 0
        ? qEnvironmentVariableIntValue("KELM_CRASH_KILLS")
        : defaultKills;
    const quint32 seed = qEnvironmentVariableIsSet("KELM_CRASH_SEED")
        ? quint32(qEnvironmentVariableIntValue("KELM_CRASH_SEED"))
        : QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    TestDb db;
    db.exec(QStringLiteral("INSERT INTO shof (kod, ime) VALUES ('001', 'Иван Д''Арков')"));
    db.exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES ('СА 1234 ВК', 30, 20, 24)"));
    db.conn().close();

    QElapsedTimer total;
    total.start();
    int journals = 0, failedChildren = 0;
    for (int k = 0; k < kills; ++k) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--crash-writer"), db.folder()});
        QVERIFY(child.waitForStarted());
        // Killed somewhere in its saves, once it is past its start.
        QVERIFY2(child.waitForReadyRead(60000), "the writer did not start");
        QThread::msleep(random.bounded(1, 120));
        child.kill();
        child.waitForFinished();
        if (child.exitStatus() == QProcess::NormalExit) {
            ++failedChildren;
            qWarning().noquote() << "the writer stopped by itself:" << child.readAllStandardOutput();
        }
        if (QFile::exists(db.dbPath() + QStringLiteral("-journal")))
            ++journals;
        const QString wrong = wholeness();
        QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("after kill %1 (seed %2): %3").arg(k + 1).arg(seed).arg(wrong)));
    }
    QCOMPARE(failedChildren, 0);
    Connection c;
    c.open(gConnStr);
    const int trips = c.scalar(QStringLiteral("SELECT count(*) FROM tabl")).toInt();
    const int sheets = c.scalar(QStringLiteral("SELECT count(*) FROM RowdList")).toInt();
    const int legs = c.scalar(QStringLiteral("SELECT count(*) FROM Marsh")).toInt();
    qInfo().noquote() << QStringLiteral("%1 kills (seed %2) in %3 s: %4 left a journal; %5 trips, %6 sheets, %7 legs, all whole")
                             .arg(kills).arg(seed).arg(total.elapsed() / 1000.0, 0, 'f', 1).arg(journals)
                             .arg(trips).arg(sheets).arg(legs);
    QVERIFY(trips > 0);
    QVERIFY(sheets > 0);
}

void TestCrash::killedYearClosingsAndRestoresLoseNothing()
{
#if defined(__SANITIZE_ADDRESS__)
    const int defaultKills = 10;
#else
    const int defaultKills = 20;
#endif
    const int kills = qEnvironmentVariableIntValue("KELM_CRASH_KILLS") > 0
        ? std::clamp(qEnvironmentVariableIntValue("KELM_CRASH_KILLS") / 3, 3, 50)
        : defaultKills;
    const quint32 seed = qEnvironmentVariableIsSet("KELM_CRASH_SEED")
        ? quint32(qEnvironmentVariableIntValue("KELM_CRASH_SEED"))
        : QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    // A year closing or a restore (the archive as it was before), killed at a
    // random moment while trips are being saved.
    for (const bool restoring : {false, true}) {
        TestDb db;
        db.exec(QStringLiteral("INSERT INTO shof (kod, ime) VALUES ('001', 'Иван Д''Арков')"));
        for (int n = 1; n <= 20; ++n) {
            const TripSaveResult r = saveTrip(db.conn(), tripNumbered(n), newTrip());
            QVERIFY2(r.ok, qPrintable(r.text));
        }
        const QString archive = restoring ? db.folder() + QStringLiteral("/a.abd") : QString();
        if (restoring)
            QVERIFY(archiveSaveTo(archive).ok);
        db.conn().close();
        QSet<int> saved;
        for (int k = 0; k < kills; ++k) {
            QProcess writer, killed;
            writer.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--trip-writer"), db.folder(), QString::number(1000 * (k + 1))});
            QVERIFY2(writer.waitForReadyRead(60000), "the writer did not start");
            killed.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--replacer"), db.folder(), archive});
            QVERIFY2(killed.waitForReadyRead(60000), "the year closing or restore did not start");
            QThread::msleep(random.bounded(1, 150));
            killed.kill();
            killed.waitForFinished();
            QVERIFY2(killed.exitStatus() == QProcess::CrashExit, killed.readAllStandardOutput().constData());
            QThread::msleep(random.bounded(1, 20));
            writer.kill();
            writer.waitForFinished();
            for (const QByteArray &line : writer.readAllStandardOutput().split('\n'))
                if (line.startsWith("saved "))
                    saved.insert(line.mid(6).toInt());
            const QString where = QStringLiteral("after kill %1 of a %2 (seed %3): ")
                                      .arg(k + 1).arg(restoring ? "restore" : "year closing").arg(seed);
            if (restoring) {
                const QString wrong = wholeness();
                QVERIFY2(wrong.isEmpty(), qPrintable(where + wrong));
                continue;
            }
            MessageCapture cap;
            QVERIFY2(checkMainDatabase(gDbPath), qPrintable(where + cap.lastText()));
            // Every trip saved is in Kelm.mdb or in a year copy, each copy whole.
            QSet<int> kept;
            QStringList files{gDbPath};
            for (const QString &f : QDir(db.folder()).entryList({QStringLiteral("*.arh")}, QDir::Files))
                files << db.folder() + QLatin1Char('/') + f;
            for (const QString &file : files) {
                QString why;
                QVERIFY2(isWholeKelmDatabase(file, &why), qPrintable(where + file + ": " + why));
                Connection c;
                c.open(QStringLiteral("PROVIDER=x;Data Source=%1;Jet OLEDB:Database Password=%2;")
                           .arg(file, QLatin1String(kDbPassword)));
                c.forEachRow(QStringLiteral("SELECT kola FROM tabl"), {}, nullptr,
                             [&](const QVector<QVariant> &v) { kept.insert(v.at(0).toString().mid(1).toInt()); });
            }
            QList<int> lost;
            for (const int n : saved)
                if (!kept.contains(n))
                    lost << n;
            QVERIFY2(lost.isEmpty(), qPrintable(where + QStringLiteral("%1 saved trips lost: K%2").arg(lost.size()).arg(lost.value(0))));
        }
        QVERIFY(saved.size() > kills);
        // What the kills left of the scratch copies is gone by the next start.
        removeLeftScratchFiles();
        QCOMPARE(QDir(db.folder()).entryList({QStringLiteral("*.part*")}, QDir::Files), QStringList());
        qInfo().noquote() << QStringLiteral("%1 kills of a %2 (seed %3): %4 trips saved meanwhile, none lost")
                                 .arg(kills).arg(restoring ? "restore" : "year closing").arg(seed).arg(saved.size());
    }
}

int main(int argc, char **argv)
{
    if (argc >= 4 && qstrcmp(argv[1], "--trip-writer") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return tripWriter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]).toInt());
    }
    if (argc >= 4 && qstrcmp(argv[1], "--replacer") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return replacer(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (argc >= 3 && qstrcmp(argv[1], "--crash-writer") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return crashWriter(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    TestCrash t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_crash.moc"
