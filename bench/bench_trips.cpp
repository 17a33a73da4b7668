// Timings of the trip editor and the kilometre correction on a large database.
// Run by hand: build/bench/bench_trips [trips]   (100000 trips when not given)
#include "benchsupport.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "shell/globals.h"
#include "trips/editkm.h"
#include "trips/kurs.h"
#include "trips/tripsave.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace kelm;

static void fillTrips(Connection &conn, int trips)
{
    conn.beginTrans();
    conn.execute("DELETE FROM shof");
    for (int d = 0; d < 40; ++d)
        conn.execute("INSERT INTO shof (kod, ime) VALUES (?, ?)",
                     {QString("D%1").arg(d, 2, 10, QChar('0')), QString("Шофьор %1").arg(d)});
    conn.execute("UPDATE Tarifi SET Trf_20=0.3, \"Trf_20-30\"=0.25, \"Trf_30-50\"=0.125, \"Trf_50-100\"=0.1, "
                 "\"Trf_100-200\"=0.09, Trf_200=0.08");
    // 60 cars over four years: about 420 trips per car and year.
    const QDate start(2004, 1, 1);
    for (int i = 0; i < trips; ++i) {
        const int car = i % 60;
        const int km = (i % 7 == 0) ? 1 : 10 + (i * 37) % 400;
        const double ton = 5 + (i % 20);
        const TripAmounts a = tripAmounts(ton, km, 0.125);
        conn.execute("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, "
                     "procent, neto, plat, Fakt, NomFakt, Doc) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,0,0,'0000000000',0)",
                     {start.addDays(i % 1460), QString("СА%1ВС").arg(1000 + car),
                      QString("D%1").arg(i % 40, 2, 10, QChar('0')), QString("Маршрут %1").arg(i % 300),
                      QString("Клиент %1").arg(i % 500), QString("Товар %1").arg(i % 80), km, ton, 0.125,
                      a.bruto, a.procent, a.neto});
    }
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
    QElapsedTimer t;

    // "Нов курс": from the command to a screen that takes typing.
    QVector<double> opens;
    for (int run = 0; run < 5; ++run) {
        gSeekMode = "NewKurs";
        t.restart();
        Kurs k;
        if (!k.load())
            return 1;
        k.show();
        QApplication::processEvents();
        opens << t.nsecsElapsed() / 1e6;
        if (!k.form()->isAdding())
            return 1;
    }
    std::printf("Нов курс opens, adding:            median %.1f ms, worst %.1f ms\n", median(opens),
                *std::max_element(opens.begin(), opens.end()));

    // Saves: "Запиши" on a typed trip, then "Добави" for the next.
    {
        gSeekMode = "NewKurs";
        Kurs k;
        k.load();
        k.show();
        QVector<double> saves;
        for (int i = 0; i < 30; ++i) {
            typeTrip(k, i);
            t.restart();
            click(&k, "cmdUpdate");
            QApplication::processEvents();
            saves << t.nsecsElapsed() / 1e6;
            if (!k.form()->isBrowsing() || !quiet.shown.isEmpty()) {
                std::printf("save failed: %s\n", qPrintable(quiet.lastText()));
                return 1;
            }
            click(&k, "cmdAdd");
        }
        std::printf("save of a trip with its expense:   median %.1f ms, worst %.1f ms (30 saves)\n",
                    median(saves), *std::max_element(saves.begin(), saves.end()));
        click(&k, "cmdCancel");
    }

    // The first move through the trips in "Нов курс" reads the whole table.
    {
        gSeekMode = "NewKurs";
        Kurs k;
        k.load();
        k.show();
        typeTrip(k, 1);
        click(&k, "cmdUpdate");
        t.restart();
        click(&k, "cmdFirst");
        std::printf("first move in Нов курс (all %d trips read): %lld ms\n", k.trips().recordCount(),
                    t.elapsed());
    }

    // "Корекция на курс": one car over one year.
    DiaSeek &seek = DiaSeek::instance();
    seek.Kola = "СА1005ВС";
    seek.StartData = "01.01.2005";
    seek.EndData = "31.12.2005";
    QVector<double> edits;
    int listed = 0;
    for (int run = 0; run < 5; ++run) {
        gSeekMode = "EditKurs";
        t.restart();
        Kurs k;
        if (!k.load())
            return 1;
        k.show();
        QApplication::processEvents();
        edits << t.nsecsElapsed() / 1e6;
        listed = k.trips().recordCount();
    }
    std::printf("Корекция на курс, one car, a year (%d trips): median %.1f ms, worst %.1f ms\n", listed,
                median(edits), *std::max_element(edits.begin(), edits.end()));

    QVector<double> kms;
    for (int run = 0; run < 5; ++run) {
        t.restart();
        EditKM w;
        if (!w.load())
            return 1;
        w.show();
        QApplication::processEvents();
        kms << t.nsecsElapsed() / 1e6;
        listed = w.trips().recordCount();
    }
    std::printf("Корекция КМ, one car, a year (%d trips): median %.1f ms, worst %.1f ms\n", listed, median(kms),
                *std::max_element(kms.begin(), kms.end()));
    return 0;
}
