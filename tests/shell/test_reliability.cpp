// What a crash, a second copy of the program or a killed save leaves behind.
// The program runs as its own writer too: with "--save-trips" it saves trips
// through the trip save as a second copy of the program would.

#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "shell/startup.h"
#include "testdb.h"
#include "trips/tripsave.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelm;

namespace {

// A new trip of the one driver of the list.
TripSaveContext newTrip()
{
    TripSaveContext c;
    c.drivers = {QStringLiteral("001,Иван Д'Арков")};
    return c;
}

TripEntry tripEntry(const QString &car)
{
    TripEntry e;
    e.driver = QStringLiteral("001,Иван Д'Арков");
    e.car = car;
    e.route = QStringLiteral("София - Перник");
    e.client = QStringLiteral("Д'Арк ООД");
    e.goods = QStringLiteral("100%_чист пясък");
    e.date = QStringLiteral("05.03.2026");
    e.ton = QStringLiteral("12,5");
    e.km = QStringLiteral("40");
    e.tariff = QStringLiteral("0.125");
    e.invoice = QStringLiteral("0000000000");
    e.expense = QStringLiteral("12.50");
    return e;
}

// A second copy of the program: saves count trips, each on a connection of its
// own as the trip editor opens one, and reports the longest save in ms.
int saveTripsChild(const QString &folder, int count, const QString &tag)
{
    setProgramFolder(folder);
    qint64 longest = 0;
    int failed = 0;
    QString lastError;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer t;
        t.start();
        try {
            Connection conn;
            conn.open(gConnStr);
            const TripSaveResult r = saveTrip(conn, tripEntry(tag + QString::number(i)), newTrip());
            if (!r.ok) {
                ++failed;
                lastError = r.text;
            }
        } catch (const DbError &e) {
            ++failed;
            lastError = e.text();
        }
        longest = std::max(longest, t.elapsed());
    }
    QTextStream(stdout) << "longest " << longest << " failed " << failed << " " << lastError << Qt::endl;
    return failed == 0 ? 0 : 1;
}

} // namespace

class TestReliability : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void journalOfAKilledWriterIsRolledBackAtStart();
    void twoCopiesSavingAtOnceNeverFailNorWaitLong();
};

void TestReliability::journalOfAKilledWriterIsRolledBackAtStart()
{
    TestDb db;
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000) "
                           "INSERT INTO tabl (Marsh, km) SELECT 'Маршрут ' || i, i FROM n"));
    db.conn().close();

    // A writer killed in the middle of a transaction that already changed the
    // file itself (a small cache spills the changed pages into it).
    const QByteArray path = QFile::encodeName(db.dbPath());
    const pid_t pid = fork();
    if (pid == 0) {
        sqlite3 *h = nullptr;
        sqlite3_open_v2(path.constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(h, "PRAGMA cache_size=5; BEGIN IMMEDIATE; UPDATE tabl SET km=km+1000000, "
                        "Marsh=Marsh || ' (недовършен)'; DELETE FROM Users;",
                     nullptr, nullptr, nullptr);
        ::kill(::getpid(), SIGKILL);
        _exit(1);
    }
    int status = 0;
    QCOMPARE(waitpid(pid, &status, 0), pid);
    QVERIFY(WIFSIGNALED(status));
    QVERIFY(QFile::exists(db.dbPath() + QStringLiteral("-journal")));

    // The start-up check and every connection open the database as it was.
    MessageCapture cap;
    QVERIFY(checkMainDatabase(gDbPath));
    QVERIFY(cap.shown.isEmpty());
    QString why;
    QVERIFY2(isKelmDatabase(gDbPath, &why), qPrintable(why));
    Connection conn;
    conn.open(gConnStr);
    QCOMPARE(conn.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(conn.scalar(QStringLiteral("SELECT count(*) FROM tabl")).toInt(), 2000);
    QCOMPARE(conn.scalar(QStringLiteral("SELECT max(km) FROM tabl")).toInt(), 2000);
    QCOMPARE(conn.scalar(QStringLiteral("SELECT count(*) FROM tabl WHERE Marsh LIKE '%недовършен%'")).toInt(), 0);
    QCOMPARE(conn.scalar(QStringLiteral("SELECT count(*) FROM Users")).toInt(), 1);
    QVERIFY(!QFile::exists(db.dbPath() + QStringLiteral("-journal")));
}

void TestReliability::twoCopiesSavingAtOnceNeverFailNorWaitLong()
{
    // 3000 trips each in the full run; fewer by default to keep the suite quick.
    const int count = qEnvironmentVariableIntValue("KELM_WRITER_TRIPS") > 0
        ? qEnvironmentVariableIntValue("KELM_WRITER_TRIPS")
        : 300;
    TestDb db;
    db.conn().close();
    QProcess a, b;
    QElapsedTimer t;
    t.start();
    for (auto [p, tag] : {std::pair{&a, "A"}, std::pair{&b, "B"}})
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--save-trips"), db.folder(), QString::number(count), QLatin1String(tag)});
    QVERIFY(a.waitForFinished(600000));
    QVERIFY(b.waitForFinished(600000));
    const QString outA = QString::fromUtf8(a.readAllStandardOutput()).trimmed();
    const QString outB = QString::fromUtf8(b.readAllStandardOutput()).trimmed();
    qInfo().noquote() << count << "trips each, both copies at once:" << t.elapsed() << "ms;" << outA << "|" << outB;
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
    for (const QString &out : {outA, outB}) {
        const QStringList words = out.split(QLatin1Char(' '));
        QVERIFY2(words.size() >= 4 && words.at(0) == QLatin1String("longest"), qPrintable(out));
        QVERIFY2(words.at(1).toInt() < 2000, qPrintable(out));
    }
    Connection conn;
    conn.open(gConnStr);
    QCOMPARE(conn.scalar(QStringLiteral("SELECT count(*) FROM tabl")).toInt(), 2 * count);
    QCOMPARE(conn.scalar(QStringLiteral("SELECT count(*) FROM Sklad")).toInt(), 2 * count);
}

int main(int argc, char **argv)
{
    if (argc >= 5 && qstrcmp(argv[1], "--save-trips") == 0) {
        QCoreApplication app(argc, argv);
        return saveTripsChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]).toInt(),
                              QString::fromLocal8Bit(argv[4]));
    }
    QApplication app(argc, argv);
    TestReliability t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_reliability.moc"
