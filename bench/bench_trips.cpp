// Timings of the trip editor and the kilometre correction on a large database,
// each beside the time SQLite itself takes for the same queries on the same file.
// Run by hand: build-rel/bench/bench_trips [trips]   (100000 trips when not given)
#include "benchsupport.h"
#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "trips/editkm.h"
#include "trips/kurs.h"
#include "trips/tripsave.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

using namespace kelm;

using bench::statusKb;

// 60 cars over four years (about 420 trips per car and year at 100,000 trips),
// every seventh trip at 1 km, 40 drivers, 300 routes, 500 clients, 80 goods.
static void fillTrips(Connection &conn, int trips)
{
    conn.beginTrans();
    conn.execute("DELETE FROM shof");
    for (int d = 0; d < 40; ++d)
        conn.execute("INSERT INTO shof (kod, ime) VALUES (?, ?)",
                     {QString("D%1").arg(d, 2, 10, QChar('0')), QString("Шофьор %1").arg(d)});
    conn.execute("UPDATE Tarifi SET Trf_20=0.3, \"Trf_20-30\"=0.25, \"Trf_30-50\"=0.125, \"Trf_50-100\"=0.1, "
                 "\"Trf_100-200\"=0.09, Trf_200=0.08");
    conn.execute(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i+1<?), "
        "t(i, km, ton) AS (SELECT i, CASE WHEN i%7=0 THEN 1 ELSE 10+(i*37)%400 END, 5+i%20 FROM n) "
        "INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto, plat, "
        "Fakt, NomFakt, Doc) "
        "SELECT date('2004-01-01', '+'||(i%1460)||' days'), 'СА'||(1000+i%60)||'ВС', printf('D%02d', i%40), "
        "'Маршрут '||(i%300), 'Клиент '||(i%500), 'Товар '||(i%80), km, ton, 0.125, round(ton*km*0.125, 2), "
        "round(round(ton*km*0.125, 2)*0.03, 2), round(ton*km*0.125, 2)-round(round(ton*km*0.125, 2)*0.03, 2), "
        "0, 0, '0000000000', 0 FROM t",
        {trips});
    conn.commitTrans();
}

static QLineEdit *box(QWidget *w, int i)
{
    return w->findChild<QLineEdit *>(QString("txtFields(%1)").arg(i));
}

static void click(QWidget *w, const char *name)
{
    w->findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
}

static void typeTrip(Kurs &k, int i)
{
    k.Combo5->setCurrentIndex(i % 40);
    k.Combo1->setEditText(QString("СА%1ВС").arg(1000 + i % 60));
    box(&k, 1)->setText("15.03.2007");
    box(&k, 12)->setText("12,5");
    box(&k, 4)->setText("40");
    k.txtTarifa->setText("0,125");
    k.Combo2->setEditText("Маршрут 7");
    k.Combo3->setEditText("Клиент 9");
    k.Combo4->setEditText("Товар 3");
    k.txtRazhod->setEnabled(true);
    k.txtRazhod->setText("12,50");
}

using bench::median;

static double msSince(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

// SQLite alone, on its own handle: prepares, binds, steps every row and reads
// every column of it, as a program that only fetched the rows would.
class Raw {
public:
    explicit Raw(const QString &path) { sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr); }
    ~Raw() { sqlite3_close(m_db); }
    // Milliseconds for the query; rows read go to *rows.
    double query(const char *sql, const std::function<void(sqlite3_stmt *)> &bind = {}, long *rows = nullptr)
    {
        QElapsedTimer t;
        t.start();
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr);
        if (bind)
            bind(st);
        long n = 0;
        double sink = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++n;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                    sink += sqlite3_column_bytes(st, c);
                else
                    sink += sqlite3_column_double(st, c);
            }
        }
        sqlite3_finalize(st);
        if (rows)
            *rows = n;
        m_sink += sink;
        return msSince(t);
    }
    void exec(const char *sql) { sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }

private:
    sqlite3 *m_db = nullptr;
    double m_sink = 0;
};

static void bindText(sqlite3_stmt *st, int i, const char *text)
{
    sqlite3_bind_text(st, i, text, -1, SQLITE_TRANSIENT);
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int trips = argc > 1 ? QString(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    createDatabaseFromSchema(gDbPath);
    {
        Connection conn;
        conn.open(gConnStr);
        QElapsedTimer t;
        t.start();
        fillTrips(conn, trips);
        std::printf("database of %d trips made in %lld ms\n", trips, t.elapsed());
    }
    MessageCapture quiet; // no box may wait for a click here
    Raw raw(gDbPath);
    QElapsedTimer t;
    const int runs = 5;

    // Raw: what the opening reads: the keys of "SELECT * FROM tabl ORDER BY kod",
    // the first page of its rows and the four pick lists; and, for scale, the
    // whole query with every column.
    auto rawOpening = [&raw] {
        double ms = raw.query("SELECT ID FROM tabl ORDER BY kod");
        ms += raw.query("SELECT * FROM tabl WHERE ID IN (SELECT ID FROM tabl ORDER BY kod LIMIT 128)");
        for (const char *c : {"kola", "Marsh", "Klient", "Tovar"}) {
            const QByteArray sql = QByteArray("WITH RECURSIVE d(v) AS (SELECT min(") + c + ") FROM tabl UNION ALL "
                + "SELECT (SELECT " + c + " FROM tabl WHERE " + c + ">d.v ORDER BY " + c + " LIMIT 1) FROM d "
                + "WHERE d.v IS NOT NULL) SELECT v FROM d WHERE v IS NOT NULL";
            ms += raw.query(sql.constData());
        }
        return ms;
    };
    QVector<double> rawOpen, rawWhole;
    for (int run = 0; run < runs; ++run) {
        rawOpen << rawOpening();
        if (run < 3)
            rawWhole << raw.query("SELECT * FROM tabl ORDER BY kod");
    }

    // "Нов курс": from the command to a screen that takes typing.
    QVector<double> opens;
    for (int run = 0; run < runs; ++run) {
        gSeekMode = "NewKurs";
        t.restart();
        Kurs k;
        if (!k.load())
            return 1;
        k.show();
        QApplication::processEvents();
        opens << msSince(t);
        if (!k.form()->isAdding() || k.trips().recordCount() != trips + 1)
            return 1;
    }
    std::printf("Нов курс opens, adding:              median %7.1f ms   raw %7.1f ms "
                "(whole query, every column: %.1f ms)\n",
                median(opens), median(rawOpen), median(rawWhole));

    // Saves: "Запиши" on a typed trip (checks, trip row and expense line in one
    // transaction, requery ordered by kod, standing on the saved trip), then "Добави".
    QVector<double> saves, lasts;
    {
        gSeekMode = "NewKurs";
        Kurs k;
        k.load();
        k.show();
        for (int i = 0; i < 10; ++i) {
            typeTrip(k, i);
            t.restart();
            click(&k, "cmdUpdate");
            QApplication::processEvents();
            saves << msSince(t);
            // The save stands on the trip just saved (12.5 t: no made-up trip has a half ton).
            if (!k.form()->isBrowsing() || !quiet.shown.isEmpty() || k.trips().recordCount() != trips + 1 + i
                || k.trips().value("ton").toDouble() != 12.5) {
                std::printf("save failed: %s\n", qPrintable(quiet.lastText()));
                return 1;
            }
            // To the last trip of the whole table, and back to the first.
            t.restart();
            click(&k, "cmdLast");
            QApplication::processEvents();
            lasts << msSince(t);
            if (k.trips().absolutePosition() != trips + 1 + i)
                return 1;
            click(&k, "cmdFirst");
            click(&k, "cmdAdd");
        }
        click(&k, "cmdCancel");
    }
    QVector<double> rawSaves, rawLasts;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer r;
        r.start();
        raw.exec("BEGIN IMMEDIATE");
        raw.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto, "
                 "Doc, NomFakt, Fakt, plat) VALUES ('2007-03-15', 'СА1000ВС', 'D00', 'Маршрут 7', 'Клиент 9', "
                 "'Товар 3', 40, 12.5, 0.125, 62.5, 1.88, 60.62, 0, '0000000000', 0, 0)");
        raw.exec("INSERT INTO Sklad (DocVid, DocNom, Data, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) VALUES "
                 "('СА1000ВС', '0000000000', '2007-03-15', 'Разходи за курс', 1, 12.5, 12.5, 'R', 1, 0)");
        raw.exec("COMMIT");
        double ms = msSince(r);
        ms += raw.query("SELECT ID FROM tabl ORDER BY kod");
        ms += raw.query("SELECT * FROM tabl WHERE ID IN (SELECT ID FROM tabl ORDER BY kod LIMIT 128)");
        rawSaves << ms;
        rawLasts << raw.query("SELECT * FROM tabl WHERE ID IN (SELECT ID FROM tabl ORDER BY kod DESC LIMIT 128)");
    }
    std::printf("save, requery by kod, saved trip:    median %7.1f ms   raw %7.1f ms (worst %.1f ms, 10 saves)\n",
                median(saves), median(rawSaves), *std::max_element(saves.begin(), saves.end()));
    std::printf("move to the last trip of the table:  median %7.1f ms   raw %7.1f ms\n", median(lasts),
                median(rawLasts));

    // "Корекция на курс": one car over one year.
    DiaSeek &seek = DiaSeek::instance();
    seek.Kola = "СА1005ВС";
    seek.StartData = "01.01.2005";
    seek.EndData = "31.12.2005";
    QVector<double> edits, rawEdits;
    int listed = 0;
    for (int run = 0; run < runs; ++run) {
        gSeekMode = "EditKurs";
        t.restart();
        Kurs k;
        if (!k.load())
            return 1;
        k.show();
        QApplication::processEvents();
        edits << msSince(t);
        listed = k.trips().recordCount();
        rawEdits << raw.query("SELECT * FROM tabl WHERE kola=? AND Data BETWEEN ? AND ? ORDER BY Data",
                              [](sqlite3_stmt *st) {
                                  bindText(st, 1, "СА1005ВС");
                                  bindText(st, 2, "2005-01-01");
                                  bindText(st, 3, "2005-12-31");
                              });
    }
    std::printf("Корекция на курс, one car, a year:   median %7.1f ms   raw %7.1f ms (%d trips)\n", median(edits),
                median(rawEdits), listed);

    // A correction's save in "Корекция на курс": the trip written back only while
    // it is as the screen read it, with its expense line, in one transaction.
    QVector<double> fixes, rawFixes;
    {
        gSeekMode = "EditKurs";
        Kurs k;
        if (!k.load())
            return 1;
        k.show();
        QApplication::processEvents();
        for (int i = 0; i < 10; ++i) {
            click(&k, "cmdEdit");
            box(&k, 12)->setText(QString("%1,5").arg(10 + i));
            t.restart();
            click(&k, "cmdUpdate");
            QApplication::processEvents();
            fixes << msSince(t);
            if (!k.form()->isBrowsing() || !quiet.shown.isEmpty() || k.trips().value("ton").toDouble() != 10.5 + i) {
                std::printf("correction failed: %s\n", qPrintable(quiet.lastText()));
                return 1;
            }
            click(&k, "cmdNext");
        }
    }
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer r;
        r.start();
        raw.exec("BEGIN IMMEDIATE");
        raw.exec("UPDATE tabl SET Data='2005-03-15', kola='СА1005ВС', kod='D05', Marsh='Маршрут 7', "
                 "Klient='Клиент 9', Tovar='Товар 3', km=40, ton=12.5, Tarifa=0.125, bruto=62.5, procent=1.88, "
                 "neto=60.62, plat=0, Fakt=0, NomFakt='0000000000', Doc=0 WHERE ID=(SELECT ID FROM tabl WHERE "
                 "kola='СА1005ВС' AND Data BETWEEN '2005-01-01' AND '2005-12-31' ORDER BY Data LIMIT 1)");
        raw.exec("INSERT INTO Sklad (DocVid, DocNom, Data, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) VALUES "
                 "('СА1005ВС', '0000000000', '2005-03-15', 'Разходи за курс', 1, 0, 0, 'R', 1, 0)");
        raw.exec("COMMIT");
        rawFixes << msSince(r);
    }
    std::printf("Корекция на курс, a correction saved: median %6.1f ms   raw %7.1f ms (worst %.1f ms, 10 saves)\n",
                median(fixes), median(rawFixes), *std::max_element(fixes.begin(), fixes.end()));

    QVector<double> kms, rawKms;
    for (int run = 0; run < runs; ++run) {
        t.restart();
        EditKM w;
        if (!w.load())
            return 1;
        w.show();
        QApplication::processEvents();
        kms << msSince(t);
        listed = w.trips().recordCount();
        rawKms << raw.query("SELECT Data,Marsh,Tovar,Kola,KM,Ton,Tarifa,Bruto,procent,neto FROM tabl "
                            "WHERE Kola=? AND KM=1 AND Data BETWEEN ? AND ? ORDER BY data,Marsh",
                            [](sqlite3_stmt *st) {
                                bindText(st, 1, "СА1005ВС");
                                bindText(st, 2, "2005-01-01");
                                bindText(st, 3, "2005-12-31");
                            });
    }
    std::printf("Корекция КМ, one car, a year:        median %7.1f ms   raw %7.1f ms (%d trips)\n", median(kms),
                median(rawKms), listed);
    // Every trip through a recordset, in order, as a loop over all rows reads
    // them: the pages come and go, the memory stays.
    {
        Connection conn;
        conn.open(gConnStr);
        Recordset rs;
        t.restart();
        rs.open(conn, "SELECT * FROM tabl ORDER BY kod");
        double km = 0;
        for (; !rs.eof(); rs.moveNext())
            km += rs.value("km").toDouble();
        const double ms = msSince(t);
        long rows = 0;
        const double rawMs = raw.query("SELECT * FROM tabl ORDER BY kod", {}, &rows);
        std::printf("every trip through a recordset:      %9.1f ms   raw %7.1f ms (%ld trips, %.0f km)\n", ms,
                    rawMs, rows, km);
    }
    std::printf("memory: %ld MB resident now, peak %ld MB\n", statusKb("VmRSS:") / 1024, statusKb("VmHWM:") / 1024);
    return 0;
}
