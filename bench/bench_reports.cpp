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
#include "reports/report.h"
#include "reports/reportpreview.h"
#include "reports/tripreports.h"
#include "benchsupport.h"
#include "shell/globals.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

using namespace kelm;

static long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray k(key);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(k))
            return line.mid(k.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

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
    const QStringList clients = {QStringLiteral("Д'Арк ООД"), QStringLiteral("ЖЕЛЕЗОПЪТНА ИНФРАСТРУКТУРА"),
                                 QStringLiteral("Балкан ЕООД"), QStringLiteral("Агрострой-Пловдив АД")};
    const QStringList routes = {QStringLiteral("София - Пловдив"), QStringLiteral("ЩЪРБАНОВО-ЖЕРАВНА-ШИРОКАЛ"),
                                QStringLiteral("Стара Загора - Хасково")};
    for (int i = 0; i < n; ++i) {
        const double ton = 10 + (i % 150) / 10.0, tar = 0.08 + (i % 7) / 100.0;
        const int km = 40 + i % 700;
        conn.execute(QStringLiteral("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, "
                                    "bruto, plat, Fakt) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)"),
                     {QDate(2010, 1, 1).addDays(i % 365), QStringLiteral("СВ %1 АК").arg(1000 + i % 40),
                      QStringLiteral("%1").arg(i % 12, 3, 10, QLatin1Char('0')), clients.at(i % clients.size()),
                      routes.at(i % routes.size()), QStringLiteral("Пясък"), km, ton, tar, ton * km * tar,
                      i % 3 == 0, i % 2 == 0});
    }
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
    std::printf("command to first page shown: %lld ms\n", static_cast<long long>(firstMs));
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
