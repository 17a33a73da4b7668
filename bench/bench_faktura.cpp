// Timings of the invoicing screen on a large database: a client with 10,000
// trips on no invoice in the period, among 100,000 trips in all.
// Run by hand: build-rel/bench/bench_faktura [trips] [client's trips]
#include "benchsupport.h"
#include "billing/diafakt.h"
#include "billing/faktura.h"
#include "billing/fakturareport.h"
#include "common/globals.h"
#include "dialogs/diaseekall.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "printing/report.h"
#include "scratch/temptable.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

using namespace kelm;

static const char *kClient = "Клиент Голям";

static void fillTrips(Connection &conn, int trips, int clientTrips)
{
    conn.beginTrans();
    const QDate start(2004, 1, 1);
    // Every tenth trip belongs to the big client (in 2005 while its share lasts);
    // the rest are spread over 500 clients and four years, half of them invoiced.
    int big = 0;
    for (int i = 0; i < trips; ++i) {
        const bool mine = (i % 10 == 0) && big < clientTrips;
        QDate d = start.addDays(i % 1460);
        QString client = QString("Клиент %1").arg(i % 500);
        bool fakt = (i % 2) == 1;
        if (mine) {
            d = QDate(2005, 1, 1).addDays(big % 365);
            client = QString::fromUtf8(kClient);
            fakt = false;
            ++big;
        }
        conn.execute("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, "
                     "neto, plat, Fakt, NomFakt, Doc) VALUES (?,?,?,?,?,?,?,?,?,?,0,0,0,?,?,0)",
                     {d, QString("СА%1ВС").arg(1000 + i % 60), QString("D%1").arg(i % 40, 2, 10, QChar('0')),
                      QString("Маршрут %1").arg(i % 300), client, QString("Товар %1").arg(i % 80), 10 + i % 400,
                      5.0 + i % 20, 0.125, (5.0 + i % 20) * (10 + i % 400) * 0.125, fakt,
                      fakt ? QString("%1").arg(i / 20, 10, 10, QChar('0')) : QString("0000000000")});
    }
    conn.commitTrans();
}

using bench::median;
using bench::worst;

// The same query the screen runs, straight through SQLite's C interface.
static double rawSelectMs(const QString &path, int *rows)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QElapsedTimer t;
    t.start();
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT ID,Data,Marsh,Tovar,kola,KM,Ton,Tarifa,bruto,Fakt,NomFakt FROM tabl WHERE "
                       "(COALESCE(Fakt,0)=0 OR NomFakt='0000000000') AND Klient=? AND Data BETWEEN ? AND ? "
                       "ORDER BY Data, ID",
                       -1, &st, nullptr);
    const QByteArray client = QByteArray(kClient);
    sqlite3_bind_text(st, 1, client.constData(), client.size(), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, "2005-01-01", -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 3, "2005-12-31", -1, SQLITE_STATIC);
    int n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < 11; ++c)
            (void)sqlite3_column_text(st, c);
        ++n;
    }
    sqlite3_finalize(st);
    const double ms = t.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    *rows = n;
    return ms;
}

// The closing step's writes, straight through SQLite (rolled back).
static double rawUpdateMs(const QString &path, const QString &number)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    QElapsedTimer t;
    t.start();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt *sel = nullptr;
    sqlite3_prepare_v2(db, "SELECT ID FROM tabl WHERE NomFakt=?", -1, &sel, nullptr);
    const QByteArray n = number.toUtf8();
    sqlite3_bind_text(sel, 1, n.constData(), n.size(), SQLITE_STATIC);
    QVector<qint64> ids;
    while (sqlite3_step(sel) == SQLITE_ROW)
        ids << sqlite3_column_int64(sel, 0);
    sqlite3_finalize(sel);
    t.restart(); // only the writes count
    sqlite3_stmt *up = nullptr;
    sqlite3_prepare_v2(db, "UPDATE tabl SET Fakt=1, NomFakt=?, DateMod=?, TimeMod=? WHERE ID=? AND Fakt=1", -1, &up,
                       nullptr);
    for (qint64 id : ids) {
        sqlite3_bind_text(up, 1, "9999999999", -1, SQLITE_STATIC);
        sqlite3_bind_text(up, 2, "2026-12-09", -1, SQLITE_STATIC);
        sqlite3_bind_text(up, 3, "10:00:00", -1, SQLITE_STATIC);
        sqlite3_bind_int64(up, 4, id);
        sqlite3_step(up);
        sqlite3_reset(up);
    }
    sqlite3_finalize(up);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    const double ms = t.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    return ms;
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int trips = argc > 1 ? QString(argv[1]).toInt() : 100000;
    const int clientTrips = argc > 2 ? QString(argv[2]).toInt() : 10000;
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    createDatabaseFromSchema(gDbPath);
    {
        Connection conn;
        conn.open(gConnStr);
        QElapsedTimer t;
        t.start();
        fillTrips(conn, trips, clientTrips);
        std::printf("database of %d trips made in %lld ms\n", trips, t.elapsed());
    }
    MessageCapture quiet; // no box may wait for a click here
    ReportCapture reports; // the preview is laid out but not opened
    gSeekMode = "FaktNew";
    DiaSeekAll &seek = DiaSeekAll::instance();
    seek.Klient = QString::fromUtf8(kClient);
    seek.StartData = "01.01.2005";
    seek.EndData = "31.12.2005";
    QElapsedTimer t;

    int rawRows = 0;
    QVector<double> raws;
    for (int run = 0; run < 5; ++run)
        raws << rawSelectMs(gDbPath, &rawRows);

    // From the command's call to a screen that lists the trips and shows the sum.
    QVector<double> opens;
    int listed = 0;
    for (int run = 0; run < 5; ++run) {
        CreateTempTable("TempPlaten");
        t.restart();
        Faktura w;
        if (!w.load())
            return 1;
        w.show();
        QApplication::processEvents();
        if (w.Label4->text() != "0,00лв.")
            w.Form_Activate();
        QApplication::processEvents();
        opens << t.nsecsElapsed() / 1e6;
        listed = w.GridEX1->rowCount();
        w.close();
    }
    std::printf("screen ready, %d trips listed:      median %.1f ms, worst %.1f ms (raw SQLite query: median "
                "%.1f ms for %d rows)\n",
                listed, median(opens), worst(opens), median(raws), rawRows);

    CreateTempTable("TempPlaten");
    Faktura w;
    w.load();
    w.show();
    QApplication::processEvents();
    if (w.Label4->text() != "0,00лв.")
        w.Form_Activate();

    // Space: the tick, the sum and the row's colour drawn.
    QVector<double> toggles;
    for (int i = 0; i < 60; ++i) {
        t.restart();
        w.GridEX1->sendKey(32);
        QApplication::processEvents();
        toggles << t.nsecsElapsed() / 1e6;
        w.GridEX1->sendKey(i % 3 == 2 ? 38 : 40); // mostly down, now and then back onto a ticked row
        QApplication::processEvents();
    }
    std::printf("Space with sum and row colour:       median %.2f ms, worst %.2f ms (60 presses)\n",
                median(toggles), worst(toggles));

    // Every trip ticked (without timing), a number, then the print.
    for (int r = 0; r < w.session().count(); ++r) {
        if (!w.session().trips().at(r).fakt) {
            w.session().toggle(r);
            w.GridEX1->gridModel()->setValue(r, 8, true);
        }
    }
    QTimer::singleShot(0, [] {
        if (auto *d = qobject_cast<DiaFakt *>(QApplication::activeModalWidget())) {
            d->Combo1->setEditText("7777777");
            d->OKButton->click();
        }
    });
    w.cmdFakt_Click();
    if (!w.flgNomFakt)
        return 1;
    QVector<double> prints;
    int pages = 0;
    for (int run = 0; run < 3; ++run) {
        t.restart();
        w.cmdPrint_Click();
        Report &r = rptFaktura();
        QImage page(r.paperWidth() / 15, r.paperHeight() / 15, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter p(&page);
        p.scale(1.0 / 15, 1.0 / 15);
        r.paintPage(p, 0);
        p.end();
        prints << t.nsecsElapsed() / 1e6;
        pages = r.pageCount();
    }
    std::printf("print of %d trips, first page drawn: median %.1f ms, worst %.1f ms (%d pages)\n",
                int(w.session().tickedRows().size()), median(prints), worst(prints), pages);

    t.restart();
    const bool closed = w.close();
    const double closing = t.nsecsElapsed() / 1e6;
    if (!closed || !quiet.shown.isEmpty()) {
        std::printf("closing failed: %s\n", qPrintable(quiet.lastText()));
        return 1;
    }
    std::printf("closing transaction, %d trips numbered: %.1f ms (raw SQLite updates: %.1f ms)\n",
                int(w.session().tickedRows().size()), closing, rawUpdateMs(gDbPath, "0007777777"));
    return 0;
}
