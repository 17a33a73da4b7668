// Times the warehouse lists on a large warehouse: the revision of a year, the
// stock list and the receipts report, each from the command to its first page
// (or screen) shown, with the raw SQLite time of the same query on the same file.
//
//   QT_QPA_PLATFORM=offscreen ./bench/bench_stockreports [lines] [articles]
//
// Defaults: 50000 lines over 2000 articles, dated over one year.

#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "printing/report.h"
#include "scratch/temptable.h"
#include "warehouse/nalichsk.h"
#include "warehouse/skladsk.h"
#include "warehouse/storereports.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kelm;

namespace {

void fill(int lines, int articles)
{
    createDatabaseFromSchema(gDbPath);
    Connection conn;
    conn.open(gConnStr);
    conn.beginTrans();
    for (int a = 0; a < articles; ++a)
        conn.execute(QStringLiteral("INSERT INTO Nalich (Name, Edin, Broi) VALUES (?,?,?)"),
                     {QStringLiteral("Артикул %1").arg(a, 4, 10, QLatin1Char('0')), 1.5 + a % 50, double(a % 90)});
    for (int i = 0; i < lines; ++i) {
        const bool receipt = i % 3 != 0;
        const double kol = 1 + i % 9, edin = 2 + i % 40;
        conn.execute(QStringLiteral("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, Lipsa, "
                                    "Ostat) VALUES (?,?,?,?,?,?,?,?,?,?)"),
                     {QDate(2010, 1, 1).addDays(i % 365), receipt ? QStringLiteral("Фактура") : QStringLiteral("СВ 1234 АК"),
                      QStringLiteral("%1").arg(i, 10, 10, QLatin1Char('0')),
                      QStringLiteral("Артикул %1").arg(i % articles, 4, 10, QLatin1Char('0')), kol, edin, kol * edin,
                      receipt ? QStringLiteral("P") : QStringLiteral("R"), !receipt, receipt ? kol : 0.0});
    }
    conn.commitTrans();
}

// The median of a few runs of f, in milliseconds.
template <class F>
double median(int runs, F f)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// The same query straight through SQLite, every column of every row read.
double rawMs(const QString &sql, const std::vector<QString> &texts)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(gDbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const double ms = median(5, [&] {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
        for (size_t i = 0; i < texts.size(); ++i) {
            const QByteArray b = texts[i].toUtf8();
            sqlite3_bind_text(st, int(i + 1), b.constData(), b.size(), SQLITE_TRANSIENT);
        }
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                sqlite3_column_text(st, c);
        sqlite3_finalize(st);
    });
    sqlite3_close(db);
    return ms;
}

void paintFirstPage(Report &r)
{
    QImage img(794, 1123, QImage::Format_RGB32);
    QPainter p(&img);
    p.scale(96.0 / 1440, 96.0 / 1440);
    r.paintPage(p, 0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int lines = argc > 1 ? QByteArray(argv[1]).toInt() : 50000;
    const int articles = argc > 2 ? QByteArray(argv[2]).toInt() : 2000;
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    fill(lines, articles);
    std::printf("warehouse: %d lines, %d articles\n", lines, articles);
    MessageCapture quiet;
    ReportCapture captured;

    DiaSeek &d = DiaSeek::instance();
    d.StartData = QStringLiteral("01.01.2010");
    d.EndData = QStringLiteral("31.12.2010");
    d.sNalich = QString();

    SkladSK *rev = nullptr;
    const double revMs = median(5, [&] {
        delete rev;
        rev = new SkladSK;
        rev->load();
        rev->show();
        rev->GridEX1->grab();
    });
    const double revRaw = rawMs(QStringLiteral(
        "SELECT n.Name, m.qp, m.vp, m.qr, m.vr, "
        " (SELECT p.Edin FROM Sklad p WHERE p.Name=n.Name AND p.VidKol='P' AND p.Data BETWEEN ?1 AND ?2 "
        "  ORDER BY p.Data, p.ID LIMIT 1), "
        " (SELECT COUNT(*) FROM Sklad p WHERE p.Name=n.Name AND p.VidKol='P' AND p.Data BETWEEN ?1 AND ?2) "
        "FROM (SELECT DISTINCT Name FROM Sklad WHERE Name IS NOT NULL) n "
        "LEFT JOIN (SELECT Name, TOTAL(CASE WHEN VidKol='P' THEN Kol END) AS qp, "
        "  TOTAL(CASE WHEN VidKol='P' THEN Suma END) AS vp, TOTAL(CASE WHEN VidKol='R' THEN Kol END) AS qr, "
        "  TOTAL(CASE WHEN VidKol='R' THEN Suma END) AS vr FROM Sklad WHERE Data BETWEEN ?1 AND ?2 GROUP BY Name) m "
        "ON m.Name=n.Name ORDER BY n.Name"),
                                 {QStringLiteral("2010-01-01"), QStringLiteral("2010-12-31")});
    std::printf("revision of a year ready (%d rows): %.0f ms   raw query %.0f ms\n", rev->GridEX1->rowCount(), revMs,
                revRaw);
    const double revPrint = median(5, [&] {
        rev->cmdPrint->click();
        paintFirstPage(rptSklad());
    });
    std::printf("revision print, first page: %.0f ms (%d pages)\n", revPrint, rptSklad().pageCount());
    delete rev;

    NalichSK *nal = nullptr;
    const double nalMs = median(5, [&] {
        delete nal;
        nal = new NalichSK;
        nal->load();
        nal->show();
        nal->GridEX1->grab();
    });
    const double nalRaw = rawMs(QStringLiteral("SELECT Name, Edin, Broi FROM Nalich WHERE Name LIKE '%' ORDER BY Name"), {});
    std::printf("stock list ready (%d rows): %.0f ms   raw query %.0f ms\n", nal->GridEX1->rowCount(), nalMs, nalRaw);
    const double nalPrint = median(5, [&] {
        nal->cmdPrint->click();
        paintFirstPage(rptNalich());
    });
    std::printf("stock list print, first page: %.0f ms\n", nalPrint);
    delete nal;

    const double prMs = median(5, [&] {
        CreateTempTable(QStringLiteral("TempSKladPR"));
        PrintStoreReport(true);
        paintFirstPage(rptSkladPR());
    });
    const double prRaw = rawMs(QStringLiteral("SELECT DocVid, DocNom, Data, Name, Kol, Edin, Suma FROM Sklad "
                                              "WHERE VidKol='P' AND Name LIKE '%' AND Data BETWEEN ?1 AND ?2 "
                                              "ORDER BY Name, ID"),
                               {QStringLiteral("2010-01-01"), QStringLiteral("2010-12-31")});
    std::printf("receipts report of a year, first page (%d lines): %.0f ms   raw query %.0f ms\n",
                rptSkladPR().data().rowCount(), prMs, prRaw);
    return 0;
}
