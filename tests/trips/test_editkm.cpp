#include "layoutcheck.h"
#include "boxwatch.h"
#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "platform/grid.h"
#include "shell/targets.h"
#include "seed.h"
#include "testdb.h"
#include "trips/amounts.h"
#include "trips/editkm.h"
#include "trips/kurs.h"
#include "typing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>

using namespace kelm;

class TestEditKM : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void listsOneCarsTripsAtOneKm();
    void f4SwitchesEditingAndOnlyKmAndTariffTakeTyping();
    void correctionRecomputesTheAmounts();
    void newKmBringTheirBandsTariff();
    void anAmountAtTheBoundShowsWhole();
    void textThatIsNoNumberIsRefusedInTheCell();
    void closingStoresThePendingEdit();
    void everyWayOfClosingStoresTheCorrection();
    void keysInAnOpenCell();
    void closingOnARefusedCellShowsOneMessage();
    void twoCopiesCorrectingOneTripNeverMixTheirFigures();
    void tripDeletedByAnotherCopyIsToldOnceAndTheScreenCloses();
    void emptyPeriodOpensAnEmptyGrid();
    void targetOpensTheScreenModally();
    void screenshot();

private:
    void seed(TestDb &db);
};

void TestEditKM::init()
{
    DiaSeek &s = DiaSeek::instance();
    s.Kola = QStringLiteral("СА1111АА");
    seekPeriod(s, QStringLiteral("01.03.2004"), QStringLiteral("31.03.2004"));
}

void TestEditKM::seed(TestDb &db)
{
    const QString sql = "INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, "
                        "neto) VALUES (?, ?, 'A01', ?, 'К', ?, ?, ?, ?, ?, ?, ?)";
    db.exec(sql, {QDate(2004, 3, 31), "СА1111АА", "Б-маршрут", "Пясък", 1, 12.5, 0.125, 1.56, 0.05, 1.51});
    db.exec(sql, {QDate(2004, 3, 31), "СА1111АА", "А-маршрут", "Чакъл", 1, 10.0, 0.1, 1.0, 0.03, 0.97});
    db.exec(sql, {QDate(2004, 3, 2), "СА1111АА", "Вече поправен", "Пясък", 2, 10.0, 0.1, 2.0, 0.06, 1.94});
    db.exec(sql, {QDate(2004, 4, 1), "СА1111АА", "След периода", "Пясък", 1, 10.0, 0.1, 1.0, 0.03, 0.97});
    db.exec(sql, {QDate(2004, 3, 10), "В2222ВВ", "Друга кола", "Пясък", 1, 10.0, 0.1, 1.0, 0.03, 0.97});
    db.exec(sql, {QDate(2004, 3, 1), "СА1111АА", "Първи ден", "Дърва", 1, 20.0, 0.3, 6.0, 0.18, 5.82});
}

static void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QApplication::processEvents();
}

static void goToColumn(Grid *g, int col)
{
    g->setCurrentIndex(g->model()->index(g->visualRow(g->currentRow()), col - 1));
}

// Types a value into a cell of the current row and leaves the cell with a key
// (Down: to the next row, which stores the row left; 0: the cell is ended in place).
static void typeInCell(Grid *g, int col, const QString &text, int leaveKey = 40)
{
    goToColumn(g, col);
    g->sendKey(113); // F2 opens the cell editor where editing is allowed
    QWidget *ed = QApplication::focusWidget();
    if (auto *le = qobject_cast<QLineEdit *>(ed)) {
        le->selectAll();
        le->del();
        typeText(le, text);
        if (leaveKey)
            g->sendKey(leaveKey);
        else
            g->commitRow(); // ends the cell and stores the row, as closing does
    }
}

void TestEditKM::listsOneCarsTripsAtOneKm()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    QCOMPARE(statusText(), QStringLiteral("Корекция на курсове..."));
    QCOMPARE(w.windowTitle(), QStringLiteral("Тревалон 2.3 - Корекция КМ на курсовете на кола СА1111АА"));
    QCOMPARE(w.Text1->text(), QStringLiteral("Корекция КМ на курсовете на кола СА1111АА"));
    Grid *g = w.GridEX1;
    // Both ends of the period count; by date, then route.
    QCOMPARE(g->rowCount(), 3);
    QCOMPARE(g->text(g->rowAtVisual(0), 2), QStringLiteral("Първи ден"));
    QCOMPARE(g->text(g->rowAtVisual(1), 2), QStringLiteral("А-маршрут"));
    QCOMPARE(g->text(g->rowAtVisual(2), 2), QStringLiteral("Б-маршрут"));
    QCOMPARE(g->text(g->rowAtVisual(0), 1), QStringLiteral("01.03.2004"));
    QCOMPARE(g->text(g->rowAtVisual(2), 6), QStringLiteral("12,500"));
    QCOMPARE(g->text(g->rowAtVisual(2), 8), QStringLiteral("1,56"));
    const QStringList captions{"Дата", "Маршрут", "Товар", "Кола", "Км", "Тонаж", "Тар.", "Сума"};
    for (int i = 1; i <= 8; ++i) {
        QCOMPARE(g->Columns(i).caption(), captions.at(i - 1));
        QCOMPARE(g->Columns(i).visible(), true);
        QCOMPARE(g->Columns(i).editable(), i == 5 || i == 7);
    }
    QVERIFY(!g->Columns(9).visible());
    QVERIFY(!g->Columns(10).visible());
    QCOMPARE(g->Columns(4).textAlignment(), 1);
    QCOMPARE(g->Columns(5).textAlignment(), 2);
    QVERIFY(!g->allowEdit());
}

void TestEditKM::f4SwitchesEditingAndOnlyKmAndTariffTakeTyping()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    QCOMPARE(QApplication::focusWidget(), g);
    QCOMPARE(g->currentRow(), g->rowAtVisual(0));
    QCOMPARE(g->currentIndex().column() + 1, 5); // on "Км"
    QVERIFY(!g->allowEdit());
    g->sendKey(115);
    QVERIFY(g->allowEdit());
    g->sendKey(40); // arrows and Enter leave it on
    g->sendKey(13);
    QVERIFY(g->allowEdit());
    g->sendKey(34); // PgDn switches it off
    QVERIFY(!g->allowEdit());
    g->sendKey(115);
    g->sendKey(46);
    QVERIFY(!g->allowEdit());
    g->sendKey(115);
    g->sendKey(36);
    QVERIFY(!g->allowEdit());

    // Locked columns refuse typing even after F4.
    g->sendKey(115);
    g->setCurrentRow(g->rowAtVisual(0));
    typeInCell(g, 2, QStringLiteral("Другаде"));
    typeInCell(g, 8, QStringLiteral("999"));
    QVERIFY(g->commitRow());
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Marsh='Другаде' OR bruto=999").toInt(), 0);
}

void TestEditKM::correctionRecomputesTheAmounts()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    const int row = g->rowAtVisual(1); // 10 t at 0.1, "А-маршрут"
    g->setCurrentRow(row);
    typeInCell(g, 5, QStringLiteral("40")); // Down: on to the next trip
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(g->currentRow(), g->rowAtVisual(2));
    QCOMPARE(g->text(row, 8), QStringLiteral("40,00")); // the new "Сума" shown
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='А-маршрут'").toInt(), 40);
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='А-маршрут'").toDouble(), 40.0);
    QCOMPARE(db.scalar("SELECT procent FROM tabl WHERE Marsh='А-маршрут'").toDouble(), 1.2);
    QCOMPARE(db.scalar("SELECT neto FROM tabl WHERE Marsh='А-маршрут'").toDouble(), 38.8);

    // 12.5 t x 40 km x 0.125, the tariff typed with a decimal comma.
    const int last = g->currentRow();
    typeInCell(g, 7, QStringLiteral("0,125"), 0);
    typeInCell(g, 5, QStringLiteral("40"), 0);
    QCOMPARE(g->text(last, 8), QStringLiteral("62,50"));
    QVERIFY(g->commitRow());
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='Б-маршрут'").toDouble(), 62.5);
    QCOMPARE(db.scalar("SELECT procent FROM tabl WHERE Marsh='Б-маршрут'").toDouble(), 1.88);
    QVERIFY(qAbs(db.scalar("SELECT neto FROM tabl WHERE Marsh='Б-маршрут'").toDouble() - 60.62) < 1e-9);
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='Б-маршрут'").toInt(), 40);

    g->setCurrentRow(g->rowAtVisual(0));
    typeInCell(g, 7, QStringLiteral("0.5"), 0);
    typeInCell(g, 5, QStringLiteral("250"), 0);
    QCOMPARE(g->text(g->rowAtVisual(0), 8), QStringLiteral("2500,00")); // 20 x 250 x 0.5
    QVERIFY(g->commitRow());
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='Първи ден'").toDouble(), 2500.0);
    QCOMPARE(db.scalar("SELECT procent FROM tabl WHERE Marsh='Първи ден'").toDouble(), 75.0);
    QCOMPARE(db.scalar("SELECT neto FROM tabl WHERE Marsh='Първи ден'").toDouble(), 2425.0);
    QCOMPARE(db.scalar("SELECT Tarifa FROM tabl WHERE Marsh='Първи ден'").toDouble(), 0.5);
    // Nothing else moved.
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='След периода'").toDouble(), 1.0);
    QCOMPARE(db.count("Sklad"), 0);
    w.close();

    // A tariff of four decimals: correcting only the kilometres keeps it as held,
    // and the money is reckoned from it, not from the three decimals the column shows.
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto) "
            "VALUES ('2004-03-20', 'СА1111АА', 'A01', 'Четири знака', 'К', 'Пясък', 1, 10, 0.1255, 1.26, 0.04, "
            "1.22)");
    EditKM w2;
    QVERIFY(w2.load());
    showActive(&w2);
    g = w2.GridEX1;
    g->sendKey(115);
    for (int r = 0; r < g->rowCount(); ++r)
        if (g->text(r, 2) == QStringLiteral("Четири знака"))
            g->setCurrentRow(r);
    typeInCell(g, 5, QStringLiteral("100"), 0);
    QVERIFY(g->commitRow());
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(db.scalar("SELECT Tarifa FROM tabl WHERE Marsh='Четири знака'").toDouble(), 0.1255);
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='Четири знака'").toDouble(),
             tripAmounts(10, 100, 0.1255).bruto);
}

// Kilometres corrected into another band bring that band's tariff when the trip
// stood at its old band's; a tariff agreed with the client stays; either can
// still be typed over.
void TestEditKM::newKmBringTheirBandsTariff()
{
    TestDb db;
    seed(db);
    db.exec("UPDATE Tarifi SET Trf_20=0.3, \"Trf_20-30\"=0.25, \"Trf_30-50\"=0.2, \"Trf_50-100\"=0.15, "
            "\"Trf_100-200\"=0.12, Trf_200=0.1");
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    const QString trip = QStringLiteral("SELECT %1 FROM tabl WHERE Marsh=?");
    // "Първи ден": 20 t at 1 km and the band's 0,300; at 150 km the 100-200 band's 0,12.
    const int first = g->rowAtVisual(0);
    g->setCurrentRow(first);
    typeInCell(g, 5, QStringLiteral("150"), 0);
    QCOMPARE(g->text(first, 7), QStringLiteral("0,120"));
    QCOMPARE(g->text(first, 8), QStringLiteral("360,00"));
    QCOMPARE(db.scalar(trip.arg("Tarifa"), {"Първи ден"}).toDouble(), 0.12);
    QCOMPARE(db.scalar(trip.arg("bruto"), {"Първи ден"}).toDouble(), 360.0);
    QCOMPARE(db.scalar(trip.arg("neto"), {"Първи ден"}).toDouble(), 349.2);
    // Corrected again, to 30 km: still at its band's tariff, so on to 0,25.
    typeInCell(g, 5, QStringLiteral("30"), 0);
    QCOMPARE(g->text(first, 7), QStringLiteral("0,250"));
    QCOMPARE(db.scalar(trip.arg("bruto"), {"Първи ден"}).toDouble(), 150.0);
    // A tariff typed over it is taken as typed.
    typeInCell(g, 7, QStringLiteral("0,2"), 0);
    QCOMPARE(db.scalar(trip.arg("Tarifa"), {"Първи ден"}).toDouble(), 0.2);
    QCOMPARE(db.scalar(trip.arg("bruto"), {"Първи ден"}).toDouble(), 120.0);
    // "А-маршрут": 10 t at an agreed 0,1, not its band's 0,3: it keeps it.
    g->setCurrentRow(g->rowAtVisual(1));
    typeInCell(g, 5, QStringLiteral("150"), 0);
    QCOMPARE(db.scalar(trip.arg("Tarifa"), {"А-маршрут"}).toDouble(), 0.1);
    QCOMPARE(db.scalar(trip.arg("bruto"), {"А-маршрут"}).toDouble(), 150.0);
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
}

void TestEditKM::anAmountAtTheBoundShowsWhole()
{
    TestDb db;
    seed(db);
    // 100 t at 1 лв.: 100000 km make the largest amount of money, 10000000,00.
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto) "
            "VALUES ('2004-03-20', 'СА1111АА', 'A01', 'До границата', 'К', 'Пясък', 1, 100, 1, 100, 3, 97)");
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    for (int r = 0; r < g->rowCount(); ++r)
        if (g->text(r, 2) == QStringLiteral("До границата"))
            g->setCurrentRow(r);
    const int row = g->currentRow();
    typeInCell(g, 5, QStringLiteral("100000"), 0);
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='До границата'").toDouble(), 10000000.0);
    const int margin = g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1;
    for (int col : {5, 8}) {
        const QString text = g->text(row, col);
        const int room = g->columnWidth(col - 1) - (g->showGrid() ? 1 : 0) - 2 * margin;
        QVERIFY2(g->fontMetrics().horizontalAdvance(text) <= room, qPrintable(text));
    }
    QCOMPARE(g->text(row, 8), QStringLiteral("10000000,00"));
    lookAt(w.grab(), "editkm-bound.png");
}

void TestEditKM::textThatIsNoNumberIsRefusedInTheCell()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    g->setCurrentRow(g->rowAtVisual(0));
    typeInCell(g, 5, QStringLiteral("сто"));
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.lastText(), joinLines({"Грешни километри!",
                                       "Моля, въведете километрите на курса с цяло число, не по-малко от 0!"}));
    QVERIFY(g->isEditing()); // the cell keeps the text to be mended
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &esc);
    QVERIFY(!g->isEditing());
    typeInCell(g, 7, QStringLiteral("-0,1"));
    QVERIFY(mc.lastText().startsWith(QStringLiteral("Грешна тарифа!")));
    QKeyEvent esc2(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &esc2);
    // Past its bound: the bound named.
    typeInCell(g, 5, QStringLiteral("100001"));
    QCOMPARE(mc.lastText(), joinLines({"Грешни километри!",
                                       "Моля, въведете километрите на курса с цяло число, не по-малко от 0!",
                                       "Числото не може да бъде по-голямо от 100000."}));
    QKeyEvent esc3(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &esc3);
    // A tariff good alone that would make the trip's 20 t worth more than an
    // amount of money: refused in its cell as on a save.
    typeInCell(g, 7, QStringLiteral("10000000"));
    QCOMPARE(mc.lastText(), joinLines({"Прекалено голяма сума на курса!",
                                       "Сумата на курса (тонаж x км x тарифа) не може да бъде по-голяма от 10000000 лв."}));
    QKeyEvent esc4(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &esc4);
    QVERIFY(g->commitRow());
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='Първи ден'").toInt(), 1);
    QCOMPARE(db.scalar("SELECT Tarifa FROM tabl WHERE Marsh='Първи ден'").toDouble(), 0.3);
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='Първи ден'").toDouble(), 6.0);
}

void TestEditKM::closingStoresThePendingEdit()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    g->setCurrentRow(g->rowAtVisual(1));
    goToColumn(g, 5);
    g->sendKey(113);
    auto *le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(le);
    le->selectAll();
    le->del();
    typeText(le, QStringLiteral("75")); // typed, the cell still open
    w.cmdClose->click();
    QVERIFY(!w.isVisible());
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='А-маршрут'").toInt(), 75);
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='А-маршрут'").toDouble(), 75.0); // 10 x 75 x 0.1
}

// Two copies of the program on one trip (СА1111АА, 1 km, 20 t at 0,1): the
// kilometre correction in one, the trip editor in the other. Each save is made
// only on the trip as its screen read it: the other's change is never mixed in,
// a stale save is refused once with 3197 and the trip shown as stored, and the
// stored amounts are always those of the trip's own km, tons and tariff.
void TestEditKM::twoCopiesCorrectingOneTripNeverMixTheirFigures()
{
    TestDb db;
    db.exec("INSERT INTO shof (kod, ime) VALUES ('A01', 'Иван Петров')");
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto, NomFakt, "
            "Fakt, plat) VALUES ('2004-03-10', 'СА1111АА', 'A01', 'София', 'К', 'Пясък', 1, 20, 0.1, 2, 0.06, 1.94, "
            "'0000000000', 0, 0)");
    const auto stored = [&] {
        return db.scalar("SELECT km || ' ' || ton || ' ' || printf('%.2f %.2f %.2f', bruto, procent, neto) FROM tabl")
            .toString();
    };
    const QString conflict = QStringLiteral("3197:Записът е променен от друг потребител. "
                                            "Показан е така, както е записан сега.");
    MessageCapture mc;
    EditKM km; // copy 1, its own connection
    QVERIFY(km.load());
    gSeekMode = QStringLiteral("EditKurs");
    Kurs trip; // copy 2
    QVERIFY(trip.load());
    auto tripBox = [&](int i) { return trip.findChild<QLineEdit *>(QStringLiteral("txtFields(%1)").arg(i)); };
    auto correctTons = [&](const QString &tons) {
        trip.findChild<QAbstractButton *>(QStringLiteral("cmdEdit"))->click();
        tripBox(12)->setText(tons);
        trip.findChild<QAbstractButton *>(QStringLiteral("cmdUpdate"))->click();
    };

    // Copy 2 corrects the tons; copy 1, still showing 20 t, types 100 km: refused.
    correctTons(QStringLiteral("30"));
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(stored(), QStringLiteral("1 30.0 3.00 0.09 2.91"));
    showActive(&km);
    Grid *g = km.GridEX1;
    g->sendKey(115);
    typeInCell(g, 5, QStringLiteral("100"), 0);
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(mc.lastText(), conflict);
    QCOMPARE(stored(), QStringLiteral("1 30.0 3.00 0.09 2.91"));
    // Shown as stored now, nothing pending: typed again, it is stored with its amounts.
    QCOMPARE(g->text(g->currentRow(), 5), QStringLiteral("1"));
    QCOMPARE(g->text(g->currentRow(), 6), QStringLiteral("30,000"));
    QCOMPARE(g->text(g->currentRow(), 8), QStringLiteral("3,00"));
    typeInCell(g, 5, QStringLiteral("100"), 0);
    km.cmdClose->click();
    QVERIFY(!km.isVisible());
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(stored(), QStringLiteral("100 30.0 300.00 9.00 291.00"));

    // Copy 2, still showing 1 km, corrects the tons again: refused, and the trip
    // shown as stored, browsing as after "Отказ".
    correctTons(QStringLiteral("40"));
    QCOMPARE(mc.shown.size(), 2);
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(mc.lastText(), conflict);
    QCOMPARE(stored(), QStringLiteral("100 30.0 300.00 9.00 291.00"));
    QVERIFY(trip.form()->isBrowsing());
    QVERIFY(!tripBox(12)->isEnabled());
    QCOMPARE(tripBox(4)->text(), QStringLiteral("100"));
    QCOMPARE(tripBox(12)->text(), QStringLiteral("30"));
    QCOMPARE(trip.lblLabels(15)->text(), QStringLiteral("300,00"));
    correctTons(QStringLiteral("40"));
    QCOMPARE(mc.shown.size(), 2);
    QCOMPARE(stored(), QStringLiteral("100 40.0 400.00 12.00 388.00"));
    // Only the saves that were written booked their expense line.
    QCOMPARE(db.count("Sklad"), 2);
}

// A trip another copy deleted while it was listed here: typing into it and
// closing tells so once, the trip leaves the list, and the screen closes.
void TestEditKM::tripDeletedByAnotherCopyIsToldOnceAndTheScreenCloses()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    g->setCurrentRow(g->rowAtVisual(1)); // "А-маршрут"
    Connection other;
    other.open(gConnStr);
    other.execute("DELETE FROM tabl WHERE Marsh='А-маршрут'");
    typeInCell(g, 5, QStringLiteral("75"), 13); // taken, the trip not yet stored
    QVERIFY(mc.shown.isEmpty());
    w.cmdClose->click();
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(g->rowCount(), 2);
    QTest::keyClick(g, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(mc.lastText(), QStringLiteral("3167:Записът е изтрит от друг потребител."));
    QCOMPARE(db.count("tabl"), 5);
}

// A correction taken into a trip (Enter: the trip not yet left) is stored by
// every way out of the screen, the same as by "Затвори".
void TestEditKM::everyWayOfClosingStoresTheCorrection()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    const QString tripsSql = QStringLiteral("SELECT group_concat(km || ' ' || bruto || ' ' || procent || ' ' || "
                                            "neto || ' ' || Tarifa, '; ') FROM (SELECT * FROM tabl ORDER BY ID)");
    const QString before = db.scalar(tripsSql).toString();
    const QList<QPair<QString, std::function<void(EditKM &)>>> ways{
        {"Затвори", [](EditKM &w) { w.cmdClose->click(); }},
        {"Esc on Затвори",
         [](EditKM &w) {
             w.cmdClose->setFocus();
             QTest::keyClick(w.cmdClose, Qt::Key_Escape);
         }},
        {"Esc on the title line",
         [](EditKM &w) {
             w.Text1->setFocus();
             QTest::keyClick(w.Text1, Qt::Key_Escape);
         }},
        {"close box", [](EditKM &w) { w.windowHandle()->close(); }},
        {"close from outside", [](EditKM &w) { w.close(); }},
    };
    QString stored;
    for (const auto &way : ways) {
        EditKM w;
        QVERIFY(w.load());
        showActive(&w);
        Grid *g = w.GridEX1;
        g->sendKey(115);
        g->setCurrentRow(g->rowAtVisual(1)); // "А-маршрут", 10 t at 0.1
        goToColumn(g, 5);
        g->sendKey(113);
        auto *le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(le);
        le->selectAll();
        le->del();
        typeText(le, QStringLiteral("75"));
        QTest::keyClick(le, Qt::Key_Return); // taken; the trip not yet stored
        QVERIFY(!g->isEditing());
        QCOMPARE(db.scalar(tripsSql).toString(), before);
        way.second(w);
        QVERIFY2(!w.isVisible(), qPrintable(way.first));
        const QString after = db.scalar(tripsSql).toString();
        if (stored.isEmpty()) {
            stored = after;
            QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='А-маршрут'").toInt(), 75);
            QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='А-маршрут'").toDouble(), 75.0);
        }
        QVERIFY2(after == stored, qPrintable(way.first));
        db.exec("UPDATE tabl SET km=1, bruto=1.0, procent=0.03, neto=0.97 WHERE Marsh='А-маршрут'");
    }
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
}

// The keys the cell editor has no use for, pressed in an open cell: the screen
// keeps running; Enter takes the value and the trip stays the current one.
void TestEditKM::keysInAnOpenCell()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    goToColumn(g, 4);
    QTest::keyClick(g, Qt::Key_Right); // on "Км"
    QTest::keyClick(g, Qt::Key_F4);
    QTest::keyClick(g, Qt::Key_F2); // the cell opens
    auto *le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(le);
    for (Qt::Key key : {Qt::Key_F2, Qt::Key_F4, Qt::Key_F2})
        QTest::keyClick(le, key);
    QVERIFY(g->isEditing());
    const int row = g->currentRow();
    le->selectAll();
    le->del();
    typeText(le, QStringLiteral("сто"));
    QTest::keyClick(le, Qt::Key_Return); // refused: the message, the cell stays open
    QVERIFY(mc.lastText().startsWith(QStringLiteral("Грешни километри!")));
    QVERIFY(g->isEditing());
    mc.clear();
    le->selectAll();
    le->del();
    typeText(le, QStringLiteral("30"));
    QTest::keyClick(le, Qt::Key_Enter);
    QVERIFY(!g->isEditing());
    QCOMPARE(g->currentRow(), row);
    QCOMPARE(g->text(row, 5), QStringLiteral("30"));
    QCOMPARE(g->text(row, 8), QStringLiteral("180,00")); // 20 t x 30 km x 0.3
    goToColumn(g, 7);
    QTest::keyClick(g, Qt::Key_F2);
    le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(le);
    le->selectAll();
    le->del();
    typeText(le, QStringLiteral("0,5"));
    QTest::keyClick(le, Qt::Key_Backtab);
    QVERIFY(!g->isEditing());
    QCOMPARE(g->currentRow(), row);
    // The editing keys edit the open cell's text; the row and its amount stay
    // until a value is taken, and Esc drops what was typed.
    goToColumn(g, 5);
    QTest::keyClick(g, Qt::Key_F2);
    le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(le);
    le->selectAll();
    le->del();
    typeText(le, QStringLiteral("1250"));
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Left, Qt::Key_Delete, Qt::Key_Home, Qt::Key_Delete, Qt::Key_End,
                        Qt::Key_Backspace})
        QTest::keyClick(le, key);
    QVERIFY(g->isEditing());
    QCOMPARE(le->text(), QStringLiteral("2"));
    QCOMPARE(g->currentRow(), row);
    QCOMPARE(g->text(row, 8), QStringLiteral("300,00"));
    QTest::keyClick(le, Qt::Key_Escape);
    QVERIFY(!g->isEditing());
    QCOMPARE(g->text(row, 5), QStringLiteral("30"));
    QVERIFY(mc.shown.isEmpty());
    w.cmdClose->click();
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='Първи ден'").toInt(), 30);
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Marsh='Първи ден'").toDouble(), 300.0);
}

// "Затвори" pressed on a cell holding a refused value: one message, the screen
// stays open on the cell; the check of leaving the cell does not ask again.
void TestEditKM::closingOnARefusedCellShowsOneMessage()
{
    TestDb db;
    seed(db);
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    g->sendKey(113);
    auto *le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(le);
    le->selectAll();
    le->del();
    typeText(le, QStringLiteral("сто"));
    BoxWatch boxes;
    QTest::mouseClick(w.cmdClose, Qt::LeftButton);
    QTest::qWait(100);
    QCOMPARE(boxes.recursions, 0);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen.at(0).second.startsWith(QStringLiteral("Грешни километри!")));
    QVERIFY(w.isVisible());
    QVERIFY(g->isEditing());
    le->selectAll();
    le->del();
    typeText(le, QStringLiteral("75"));
    QTest::mouseClick(w.cmdClose, Qt::LeftButton);
    QTest::qWait(50);
    QVERIFY(!w.isVisible());
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='Първи ден'").toInt(), 75);
}

void TestEditKM::emptyPeriodOpensAnEmptyGrid()
{
    TestDb db;
    seed(db);
    DiaSeek::instance().Kola = QStringLiteral("Х0000ХХ");
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    QCOMPARE(w.GridEX1->rowCount(), 0);
    QVERIFY(mc.shown.isEmpty());
    w.cmdClose->click();
    QVERIFY(!w.isVisible());
}

void TestEditKM::targetOpensTheScreenModally()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    QString seen;
    QTimer closer;
    closer.setInterval(10);
    connect(&closer, &QTimer::timeout, [&seen, &closer] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            seen = w->objectName() + "|" + w->windowTitle();
            closer.stop();
            w->close();
        }
    });
    closer.start();
    QVERIFY(runTarget(QStringLiteral("EditKM")));
    QCOMPARE(seen, QStringLiteral("EditKM|Тревалон 2.3 - Корекция КМ на курсовете на кола СА1111АА"));
}

void TestEditKM::screenshot()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    EditKM w;
    QVERIFY(w.load());
    showActive(&w);
    w.GridEX1->sendKey(115);
    lookAt(w.grab(), "editkm.png");
}

QTEST_MAIN(TestEditKM)
#include "test_editkm.moc"
