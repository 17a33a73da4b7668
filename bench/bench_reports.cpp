// Times the trip report on a large trips table: from the command to the first page
// painted in the preview, then paging to the last page, and the process's memory.
//
//   QT_QPA_PLATFORM=offscreen ./bench/bench_reports [trips] [first-page.pdf]
//
// trips defaults to 100000; with a PDF path the report (its first page when it has
// more than 100) is also written there.
// The trips are written by a child process first, so that the measured process
// starts as the program does, with nothing but the database on disk.

#include "dialogs/diaseekalt.h"
#include "platform/database.h"
#include "printing/report.h"
#include "printing/reportpreview.h"
#include "reports/tripreports.h"
#include "benchsupport.h"
#include "common/globals.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

using namespace kelm;

using bench::statusKb;

static int fill(const QString &folder, int n)
{
    setProgramFolder(folder);
    createDatabaseFromSchema(gDbPath);
    QElapsedTimer t;
    t.start();
    Connection conn;
    conn.open(gConnStr);
    conn.beginTrans();
    // Long values of the widest letters, to see that nothing is cut off.
    conn.execute(QStringLiteral(
                     "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i+1<?), "
                     "t(i, ton, tar, km) AS (SELECT i, 10+(i%150)/10.0, 0.08+(i%7)/100.0, 40+i%700 FROM n) "
                     "INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, plat, Fakt) "
                     "SELECT date('2010-01-01', '+'||(i%365)||' days'), 'СВ '||(1000+i%40)||' АК', "
                     "printf('%03d', i%12), CASE i%4 WHEN 0 THEN 'Д''Арк ООД' WHEN 1 THEN "
                     "'ЖЕЛЕЗОПЪТНА ИНФРАСТРУКТУРА' WHEN 2 THEN 'Балкан ЕООД' ELSE 'Агрострой-Пловдив АД' END, "
                     "CASE i%3 WHEN 0 THEN 'София - Пловдив' WHEN 1 THEN 'ЩЪРБАНОВО-ЖЕРАВНА-ШИРОКАЛ' "
                     "ELSE 'Стара Загора - Хасково' END, 'Пясък', km, ton, tar, ton*km*tar, i%3=0, i%2=0 FROM t"),
                 {n});
    conn.commitTrans();
    std::printf("trips: %d (written in %lld ms by a child process)\n", n, static_cast<long long>(t.elapsed()));
    return 0;
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--fill")
        return fill(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const QString pdf = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

    QTemporaryDir dir;
    if (!bench::fillInChild(dir.path(), {QString::number(n)})) {
        std::printf("could not write the trips\n");
        return 1;
    }
    setProgramFolder(dir.path());
    bench::seedBenchCompany();
    const long baseKb = statusKb("VmRSS:");

    DiaSeekAlt &d = DiaSeekAlt::instance();
    d.lYes = true;
    d.sOption = QStringLiteral("All");
    d.StartData = QStringLiteral("01.01.2010");
    d.EndData = QStringLiteral("31.12.2010");

    // SQLite alone, on its own handle, the report's query: every row stepped
    // and every column read (three runs, the median).
    double rawMs = 0;
    {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(gDbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        QVector<double> runs;
        double sink = 0;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer r;
            r.start();
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db,
                               "SELECT Data, kola, ton, km, Tarifa, bruto, Marsh, Klient, Tovar FROM tabl "
                               "WHERE Data BETWEEN ? AND ? ORDER BY Data, ID",
                               -1, &st, nullptr);
            sqlite3_bind_text(st, 1, "2010-01-01", -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 2, "2010-12-31", -1, SQLITE_STATIC);
            while (sqlite3_step(st) == SQLITE_ROW)
                for (int c = 0; c < 9; ++c)
                    sink += sqlite3_column_type(st, c) == SQLITE_TEXT ? sqlite3_column_bytes(st, c)
                                                                      : sqlite3_column_double(st, c);
            sqlite3_finalize(st);
            runs << r.nsecsElapsed() / 1e6;
        }
        sqlite3_close(db);
        std::sort(runs.begin(), runs.end());
        rawMs = runs.at(1);
        if (sink < 0)
            std::printf("-");
    }

    QElapsedTimer t;
    t.start();
    PrintTripsByPeriod();
    Report &r = rptAll();
    ReportPreview *pv = r.preview();
    if (!pv || r.data().rowCount() != n) {
        std::printf("the report was not shown\n");
        return 1;
    }
    pv->pageWidget()->grab(); // paints the first page
    app.processEvents();
    const qint64 firstMs = t.elapsed();

    t.restart();
    pv->cmdLast->click();
    pv->pageWidget()->grab();
    app.processEvents();
    const qint64 lastMs = t.elapsed();

    std::printf("pages: %d\n", r.pageCount());
    std::printf("command to first page shown: %lld ms (raw SQLite, the same query: %.0f ms)\n",
                static_cast<long long>(firstMs), rawMs);
    std::printf("paging to the last page: %lld ms\n", static_cast<long long>(lastMs));
    std::printf("memory: %ld MB resident before the report, %ld MB with it shown, peak %ld MB\n", baseKb / 1024,
                statusKb("VmRSS:") / 1024, statusKb("VmHWM:") / 1024);

    if (!pdf.isEmpty() && r.pageCount() <= 100) {
        r.exportPdf(pdf);
        std::printf("report written to %s\n", qPrintable(pdf));
    } else if (!pdf.isEmpty()) {
        QPdfWriter w(pdf);
        w.setResolution(1200);
        w.setPageLayout(reportPageLayout(r));
        r.render(w, 0, 0);
        std::printf("first page written to %s\n", qPrintable(pdf));
    }
    return 0;
}
