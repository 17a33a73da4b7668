// Times the driver's pay on a large trips table: one driver with 5,000 trips in
// the period among 100,000 trips. Measured: the payment screen from the command
// to its list painted, a Space and a move in it, its print; the pay statement and
// the paid and unpaid lists from the call to their first page painted; and, for
// comparison, the same queries stepped through with raw SQLite.
//
//   QT_QPA_PLATFORM=offscreen ./bench/bench_driverpay [trips] [driver's trips]
//
// The trips are written by a child process first, so that the measured process
// starts as the program does, with nothing but the database on disk.

#include "billing/driverpayreports.h"
#include "billing/plashtane.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekalt.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "printing/report.h"
#include "printing/reportpreview.h"
#include "benchsupport.h"
#include "common/globals.h"
#include "scratch/temptable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kelm;

namespace {

const char *kDriver = "007";

int fill(const QString &folder, int n, int mine)
{
    setProgramFolder(folder);
    createDatabaseFromSchema(gDbPath);
    Connection conn;
    conn.open(gConnStr);
    conn.beginTrans();
    for (int c = 0; c < 40; ++c)
        conn.execute(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 32, ?, 20)"),
                     {QStringLiteral("СВ %1 АК").arg(1000 + c), 18 + c % 5});
    for (int d = 0; d < 12; ++d)
        conn.execute(QStringLiteral("INSERT INTO shof (kod, ime, EGN, LKarta) VALUES (?, ?, '7501011234', '123456789')"),
                     {QStringLiteral("%1").arg(d, 3, 10, QLatin1Char('0')), QStringLiteral("Шофьор %1").arg(d)});
    const QStringList routes = {QStringLiteral("София - Пловдив"), QStringLiteral("ЩЪРБАНОВО-ЖЕРАВНА-ШИРОКАЛ"),
                                QStringLiteral("Стара Загора - Хасково")};
    // The driver's trips fall in 2010, the period measured; the others spread
    // over four years and eleven other drivers. His are all unpaid; the paid list
    // is measured after they are all marked paid.
    const int every = std::max(1, n / std::max(1, mine));
    int his = 0;
    for (int i = 0; i < n; ++i) {
        const bool isHis = his < mine && i % every == 0;
        const QDate day = isHis ? QDate(2010, 1, 1).addDays(his % 365) : QDate(2008, 1, 1).addDays(i % 1460);
        const QString kod = isHis ? QString::fromLatin1(kDriver)
                                  : QStringLiteral("%1").arg(i % 11 + (i % 11 >= 7 ? 1 : 0), 3, 10, QLatin1Char('0'));
        const double ton = 10 + (i % 150) / 10.0, tar = 0.08 + (i % 7) / 100.0;
        const int km = 40 + i % 700;
        const double bruto = ton * km * tar;
        conn.execute(QStringLiteral("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, "
                                    "bruto, procent, neto, plat, Fakt) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,0)"),
                     {day, QStringLiteral("СВ %1 АК").arg(1000 + i % 40), kod, QStringLiteral("Д'Арк ООД"),
                      routes.at(i % routes.size()), QStringLiteral("Пясък"), km, ton, tar, bruto, bruto * 0.03,
                      bruto * 0.97, !isHis && i % 3 == 0});
        if (isHis)
            ++his;
    }
    conn.commitTrans();
    std::printf("trips: %d, of them the driver's in 2010: %d\n", n, his);
    return 0;
}

// The query stepped through with SQLite alone, every column read: what the data
// itself costs.
double rawMs(const char *sql, int *rows)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(gDbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    sqlite3_bind_text(st, 1, kDriver, -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 2, "2010-01-01", -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 3, "2010-12-31", -1, SQLITE_STATIC);
    int n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            sqlite3_column_value(st, c);
        ++n;
    }
    sqlite3_finalize(st);
    const double ms = t.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    if (rows)
        *rows = n;
    return ms;
}

// Runs a report procedure whose preview is modal; the time is taken when the
// preview has painted its first page, then the preview is closed.
double reportMs(Report &(*design)(), const std::function<void()> &run, int *pages)
{
    QElapsedTimer t;
    double ms = -1;
    // Timers also fire in the progress window's event processing: wait for the
    // preview to be on screen.
    std::function<void()> look = [&] {
        Report &r = design();
        ReportPreview *pv = r.preview();
        if (!pv || !pv->isVisible()) {
            QTimer::singleShot(1, look);
            return;
        }
        pv->pageWidget()->grab();
        ms = t.nsecsElapsed() / 1e6;
        *pages = r.pageCount();
        pv->close();
    };
    QTimer::singleShot(0, look);
    t.start();
    run();
    return ms;
}

void line(const char *what, double ms, const char *extra = "")
{
    std::printf("%-58s %8.1f ms %s\n", what, ms, extra);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 5 && QByteArray(argv[1]) == "--fill")
        return fill(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt(), QByteArray(argv[4]).toInt());
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const int mine = argc > 2 ? QByteArray(argv[2]).toInt() : 5000;

    QTemporaryDir dir;
    if (!bench::fillInChild(dir.path(), {QString::number(n), QString::number(mine)})) {
        std::printf("could not write the trips\n");
        return 1;
    }
    setProgramFolder(dir.path());
    bench::seedBenchCompany();

    DiaSeek &d = DiaSeek::instance();
    d.lYes = true;
    d.ShofKod = QString::fromLatin1(kDriver);
    d.ShofName = QStringLiteral("Шофьор 7");
    d.StartData = QStringLiteral("01.01.2010");
    d.EndData = QStringLiteral("31.12.2010");
    DiaSeekAlt &a = DiaSeekAlt::instance();
    a.lYes = true;
    a.ShofKod = d.ShofKod;
    a.ShofName = d.ShofName;
    a.StartData = d.StartData;
    a.EndData = d.EndData;

    // --- the payment screen -------------------------------------------------
    CreateTempTable(QStringLiteral("TempPlaten"));
    {
        QElapsedTimer t;
        t.start();
        Plashtane w;
        if (!w.load())
            return 1;
        w.show();
        w.grab(); // paints the list
        const double ready = t.nsecsElapsed() / 1e6;
        const int listed = w.GridEX1->rowCount();
        char extra[64];
        std::snprintf(extra, sizeof extra, "(%d unpaid trips listed)", listed);
        line("Korekcia plashtane (PL): screen ready, list painted", ready, extra);

        // Space and a move down, 200 times: each move stores the mark left behind.
        std::vector<double> keys;
        w.GridEX1->SetFocus();
        for (int i = 0; i < 200; ++i) {
            t.restart();
            w.GridEX1->sendKey(32);
            w.GridEX1->sendKey(40);
            keys.push_back(t.nsecsElapsed() / 1e6);
        }
        std::sort(keys.begin(), keys.end());
        line("  Space + Down (mark stored on leaving), median", keys[keys.size() / 2]);
        line("  Space + Down, worst", keys.back());

        int pages = 0;
        const double print = reportMs(&rptPlaten, [&] { w.cmdPrint->click(); }, &pages);
        std::snprintf(extra, sizeof extra, "(200 trips, %d pages)", pages);
        line("  Pechat: staged, rptPlaten first page painted", print, extra);
        t.restart();
        w.close();
        line("  closing (pending mark stored)", t.nsecsElapsed() / 1e6);
    }

    // --- the pay statement -------------------------------------------------------
    int rows = 0, pages = 0;
    char extra[64];
    QElapsedTimer t;
    t.start();
    double ms = reportMs(&rptZaplata, [] {
        CreateTempTable(QStringLiteral("TempZaplata"));
        PrintDriverSalary();
    }, &pages);
    std::snprintf(extra, sizeof extra, "(%d pages)", pages);
    line("Zaplati: staged, rptZaplata first page painted", ms, extra);
    double raw = rawMs("SELECT Data, kola, ton, KM, Marsh, Tovar, bruto FROM tabl WHERE kod=?1 AND "
                       "COALESCE(plat,0)=0 AND Data BETWEEN ?2 AND ?3 ORDER BY Data, ID",
                       &rows);
    std::snprintf(extra, sizeof extra, "(%d rows)", rows);
    line("  raw SQLite: the same trips query stepped through", raw, extra);

    // --- paid and unpaid ---------------------------------------------------------
    for (bool paid : {false, true}) {
        if (paid) {
            Connection conn;
            conn.open(gConnStr);
            conn.execute(QStringLiteral("UPDATE tabl SET plat=1 WHERE kod=?"), {QString::fromLatin1(kDriver)});
        }
        ms = reportMs(&rptNePlaten, [paid] {
            CreateTempTable(QStringLiteral("TempPlaten"));
            PrintDriverTrips(paid);
        }, &pages);
        std::snprintf(extra, sizeof extra, "(%d pages)", pages);
        line(paid ? "Kursove ot shofyor, Plateni: first page painted" : "Kursove ot shofyor, Neplateni: first page painted",
             ms, extra);
        raw = rawMs(paid ? "SELECT Data, Marsh, Tovar, kola, KM, Ton, Tarifa, neto FROM tabl WHERE plat=1 AND kod=?1 "
                           "AND Data BETWEEN ?2 AND ?3 ORDER BY Data, Marsh, ID"
                         : "SELECT Data, Marsh, Tovar, kola, KM, Ton, Tarifa, neto FROM tabl WHERE COALESCE(plat,0)=0 "
                           "AND kod=?1 AND Data BETWEEN ?2 AND ?3 ORDER BY Data, Marsh, ID",
                    &rows);
        std::snprintf(extra, sizeof extra, "(%d rows)", rows);
        line("  raw SQLite: the same query stepped through", raw, extra);
    }
    return 0;
}
