// Times the car balance of a year and the waybill report of a year (all cars, first
// page shown) on a large database, with the bare SQLite work of the same queries
// beside them.
//
//   QT_QPA_PLATFORM=offscreen ./bench/bench_balans [runs]
//
// The database (100 cars, 100,000 trips, 50,000 warehouse lines, 20,000 waybills
// with three legs each) is written by a child process first, so that the measured
// process starts as the program does, with nothing but the database on disk.

#include "dialogs/diaseek.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "printing/report.h"
#include "printing/reportpreview.h"
#include "reports/balans.h"
#include "reports/waybillreport.h"
#include "benchsupport.h"
#include "common/globals.h"
#include "scratch/temptable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kelm;

namespace {

constexpr int kCars = 100, kTrips = 100000, kSklad = 50000, kWaybills = 20000, kLegs = 3;

QString car(int i)
{
    return QStringLiteral("СВ%1").arg(1000 + i % kCars);
}

int fill(const QString &folder)
{
    setProgramFolder(folder);
    createDatabaseFromSchema(gDbPath);
    QElapsedTimer t;
    t.start();
    Connection conn;
    conn.open(gConnStr);
    conn.beginTrans();
    for (int i = 0; i < kCars; ++i)
        conn.execute(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 30, 20, 24)"), {car(i)});
    for (int i = 0; i < kTrips; ++i)
        conn.execute(QStringLiteral("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto) "
                                    "VALUES (?,?,'001','Д''Арк ООД','София - Пловдив','Пясък',?,?,0.09,?)"),
                     {QDate(2010, 1, 1).addDays(i % 365), car(i), 40 + i % 700, 10 + (i % 150) / 10.0,
                      (40 + i % 700) * (10 + (i % 150) / 10.0) * 0.09});
    for (int i = 0; i < kSklad; ++i)
        conn.execute(QStringLiteral("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol) "
                                    "VALUES (?,?,'0000000001','Гума',1,?,?,?)"),
                     {QDate(2010, 1, 1).addDays(i % 365), i % 10 == 0 ? QStringLiteral("Ремонт") : car(i),
                      10 + i % 90, 10 + i % 90, i % 4 == 0 ? QStringLiteral("P") : QStringLiteral("R")});
    for (int i = 0; i < kWaybills; ++i) {
        const QString id = QStringLiteral("%1").arg(i + 1, 10, 10, QLatin1Char('0'));
        conn.execute(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, NameDriver, SumKM, SumRazhN, EndKM, "
                                    "ZarN) VALUES (?,?,?,'Иван Петров',?,?,?,?)"),
                     {id, QDate(2010, 1, 1).addDays(i % 365), car(i), 300.0, 90.5, 100000 + i, i % 3 ? 0.0 : 150.25});
        for (int k = 0; k < kLegs; ++k)
            conn.execute(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, Koef, RazhN) "
                                        "VALUES (?, 'Стара Загора - Хасково', 100, 20.5, ?, 30.1)"),
                         {id, k == 2 ? 10.0 : 0.0});
    }
    conn.commitTrans();
    std::printf("database written in %lld ms by a child process\n", static_cast<long long>(t.elapsed()));
    return 0;
}

// The same queries straight on SQLite: prepared, stepped, every column read.
double rawMs(const QString &path, const std::vector<const char *> &sqls, bool textDates)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QElapsedTimer t;
    t.start();
    long long cells = 0;
    for (const char *sql : sqls) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        sqlite3_bind_text(st, 1, textDates ? "2010-01-01" : "", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 2, "2010-12-31", -1, SQLITE_STATIC);
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                cells += sqlite3_column_bytes(st, c) + (sqlite3_column_text(st, c) ? 1 : 0);
        sqlite3_finalize(st);
    }
    const double ms = t.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    return cells > 0 ? ms : -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--fill")
        return fill(QString::fromLocal8Bit(argv[2]));
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 5;

    QTemporaryDir dir;
    if (!bench::fillInChild(dir.path())) {
        std::printf("could not write the database\n");
        return 1;
    }
    setProgramFolder(dir.path());
    bench::seedBenchCompany();
    DiaSeek &d = DiaSeek::instance();
    d.lYes = true;
    d.StartData = QStringLiteral("01.01.2010");
    d.EndData = QStringLiteral("31.12.2010");

    // The balance: from the command's call to the screen painted with its rows.
    std::vector<double> money, fuel;
    for (int i = 0; i < runs; ++i) {
        for (const char *mode : {"All", "PreRazh"}) {
            gSeekMode = QString::fromLatin1(mode);
            QElapsedTimer t;
            t.start();
            showBalans();
            Balans *b = Balans::instance();
            if (!b || b->GridEX1->rowCount() != kCars) {
                std::printf("the balance was not shown\n");
                return 1;
            }
            b->grab();
            (mode[0] == 'A' ? money : fuel).push_back(t.nsecsElapsed() / 1e6);
            b->close();
            app.processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    const double rawMoney = rawMs(gDbPath,
                                  {"SELECT DISTINCT kola FROM Config WHERE kola IS NOT NULL ORDER BY kola",
                                   "SELECT kola, TOTAL(bruto) FROM tabl WHERE Data BETWEEN ?1 AND ?2 GROUP BY kola",
                                   "SELECT DocVid, TOTAL(Suma) FROM Sklad WHERE VidKol='R' AND Data BETWEEN ?1 AND ?2 "
                                   "GROUP BY DocVid"},
                                  true);
    const double rawFuel = rawMs(gDbPath,
                                 {"SELECT DISTINCT kola FROM Config WHERE kola IS NOT NULL ORDER BY kola",
                                  "SELECT Kola, TOTAL(SumRazhN), TOTAL(ZarN) FROM RowdList WHERE Data BETWEEN ?1 AND ?2 "
                                  "GROUP BY Kola"},
                                 true);

    // The waybill report: from the command (scratch table made) to its first page painted.
    d.Kola = QStringLiteral("0");
    std::vector<double> waybill;
    int pages = 0, rows = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        double first = -1;
        QTimer::singleShot(0, [&] {
            Report &r = rptRowdList();
            if (ReportPreview *pv = r.preview()) {
                pv->pageWidget()->grab();
                first = t.nsecsElapsed() / 1e6;
                pages = r.pageCount();
                rows = r.data().rowCount();
                pv->close();
            }
        });
        CreateTempTable(QStringLiteral("TempRowdList"));
        PrintWaybillReport();
        if (first < 0) {
            std::printf("the waybill report was not shown\n");
            return 1;
        }
        waybill.push_back(first);
    }
    const double rawWaybill = rawMs(
        gDbPath,
        {"SELECT ListID, Data, Kola, ZarN, EndKM, SumKM, SumRazhN FROM RowdList WHERE Data BETWEEN ?1 AND ?2 "
         "ORDER BY Data, ListID",
         "SELECT MarshID, Marshrut, KM, Ton, RazhN, Koef FROM Marsh WHERE MarshID IN (SELECT ListID FROM RowdList "
         "WHERE Data BETWEEN ?1 AND ?2) ORDER BY ID"},
        true);

    {
        // Where the waybill report's time goes.
        QElapsedTimer t;
        t.start();
        Connection conn;
        conn.open(gConnStr);
        const WaybillRows w = readWaybillRows(conn, QStringLiteral("0"), QDate(2010, 1, 1), QDate(2010, 12, 31));
        const double readMs = t.nsecsElapsed() / 1e6;
        t.restart();
        Connection temp;
        temp.open(gTempConnStr);
        writeWaybillRows(temp, w);
        const double writeMs = t.nsecsElapsed() / 1e6;
        t.restart();
        const ReportData data(w.fields, w.rows);
        const double snapMs = t.nsecsElapsed() / 1e6;
        std::printf("waybill report parts: read and format %.0f ms, scratch rows written %.0f ms, report rows %.0f ms\n",
                    readMs, writeMs, snapMs);
    }
    std::printf("cars %d, trips %d, warehouse lines %d, waybills %d (%d legs each); %d runs\n", kCars, kTrips, kSklad,
                kWaybills, kLegs, runs);
    std::printf("balance of a year, screen shown: median %.0f ms, worst %.0f ms (raw SQLite queries %.0f ms)\n",
                median(money), *std::max_element(money.begin(), money.end()), rawMoney);
    std::printf("fuel use of a year, screen shown: median %.0f ms, worst %.0f ms (raw SQLite queries %.0f ms)\n",
                median(fuel), *std::max_element(fuel.begin(), fuel.end()), rawFuel);
    std::printf("waybill report of a year, all cars, %d rows, %d pages, first page shown: median %.0f ms, worst %.0f ms "
                "(raw SQLite queries %.0f ms)\n",
                rows, pages, median(waybill), *std::max_element(waybill.begin(), waybill.end()), rawWaybill);
    return 0;
}
