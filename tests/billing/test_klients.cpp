#include "billing/klients.h"
#include "billing/klientsfile.h"
#include "billing/klientsreport.h"
#include "billing/klientsrules.h"
#include "trips/tripsave.h"
#include "common/globals.h"
#include "dialogs/diaseekall.h"
#include "dialogs/dialog.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "platform/numbers.h"
#include "printing/report.h"
#include "scratch/scratchrows.h"
#include "scratch/temptable.h"
#include "shell/commands.h"
#include "shell/targets.h"
#include "filedialogcheck.h"
#include "reportcheck.h"
#include "seed.h"
#include "testdb.h"
#include "typing.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace kelm;

namespace {

const QString kDark = QStringLiteral("Д'Арк ООД");
const QString kAlen = QStringLiteral("Ален ЕООД");

void addTrip(TestDb &db, const QDate &d, const QVariant &car, const QString &client, const QVariant &route,
             const QVariant &goods, int km, double ton, double tariff)
{
    db.exec("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, procent, neto) "
            "VALUES (?, ?, 'A01', ?, ?, ?, ?, ?, ?, ?, 0, 0)",
            {d, car, client, route, goods, km, ton, tariff, Round(ton * km * tariff, 2)});
}

void seed(TestDb &db)
{
    const QVariant none(QMetaType::fromType<QString>());
    // Д'Арк ООД in March 2004.
    addTrip(db, QDate(2004, 3, 1), "СА1111АА", kDark, "София - Пловдив", "100%_чист", 100, 20, 0.3);   // 600
    addTrip(db, QDate(2004, 3, 31), "СА1111АА", kDark, "Бургас - Варна", "Пясък", 200, 10, 0.2);       // 400
    addTrip(db, QDate(2004, 3, 15), "В2222ВВ", kDark, "Айтос - Бургас", "Пясък", 50, 10, 0.1);         // 50
    addTrip(db, QDate(2004, 3, 15), "А3333АА", kDark, "Бяла - Русе", "100%Xчист", 70000, 1, 0.001);    // 70
    addTrip(db, QDate(2004, 2, 29), "СА1111АА", kDark, "Преди", "Пясък", 10, 1, 1);
    addTrip(db, QDate(2004, 4, 1), "СА1111АА", kDark, "След", "Пясък", 10, 1, 1);
    addTrip(db, QDate(2004, 3, 10), "СА1111АА", kDark, "Без товар", none, 10, 1, 1);
    addTrip(db, QDate(2004, 3, 10), "СА1111АА", kDark, none, "Без маршрут", 10, 1, 1);
    addTrip(db, QDate(2004, 3, 10), none, kDark, "Без кола", "Пясък", 10, 1, 1);
    addTrip(db, QDate(2004, 3, 10), "СА1111АА", QStringLiteral("д'арк ООД"), "Друг", "Пясък", 10, 1, 1);
    addTrip(db, QDate(2004, 3, 10), "СА1111АА", QStringLiteral("Д'Арк ООД 2"), "Друг", "Пясък", 10, 1, 1);
    // Ален ЕООД in May 2004: 600.00 and 400.00.
    addTrip(db, QDate(2004, 5, 3), "СА1111АА", kAlen, "Видин - Лом", "Дърва", 100, 20, 0.3);
    addTrip(db, QDate(2004, 5, 4), "В2222ВВ", kAlen, "Арчар - Видин", "Дърва", 200, 10, 0.2);
}

void setSeek(const QString &client, const QString &start, const QString &end, const QString &goods = {},
             const QString &route = {}, const QString &car = {})
{
    DiaSeekAll &s = DiaSeekAll::instance();
    s.lYes = true;
    s.Klient = client;
    s.Tovar = goods;
    s.Marsh = route;
    s.Kola = car;
    seekPeriod(s, start, end);
}

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QApplication::processEvents();
}

void goToColumn(Grid *g, int col)
{
    g->setCurrentIndex(g->model()->index(g->visualRow(g->currentRow()), col - 1));
}

// Types into a cell of the current row; leaveKey 40 moves down (storing the row),
// 0 leaves the cell editor open.
void typeInCell(Grid *g, int col, const QString &text, int leaveKey = 40)
{
    goToColumn(g, col);
    g->sendKey(113);
    auto *le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(le);
    le->selectAll();
    le->del();
    typeText(le, text);
    if (leaveKey)
        g->sendKey(leaveKey);
}

// The visual row of a trip by its route.
int rowOf(Grid *g, const QString &route)
{
    for (int v = 0; v < g->rowCount(); ++v)
        if (g->text(g->rowAtVisual(v), 2) == route)
            return g->rowAtVisual(v);
    return -1;
}

QString footer(const QString &label)
{
    return rptKlientS().controlText(QStringLiteral("ReportFooter"), label);
}

QStringList printedRoutes()
{
    QStringList out;
    Report &r = rptKlientS();
    for (int i = 0; i < r.data().rowCount(); ++i)
        out << r.controlText(QStringLiteral("Detail"), QStringLiteral("Text101"), i);
    return out;
}

} // namespace

class TestKlients : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { Klients::setFileAnswer({}); }
    void rules();
    void tripsOfTheStatement();
    void screenListsTheTripsAndItsTotals();
    void f4AndDeleteCorrectAndRemove();
    void correctionPastTheMoneyBoundIsRefused();
    void editingKeysStayInTheOpenCell();
    void unkeptCorrectionsAskBeforeClosing();
    void printoutWithVatOnTop();
    void filesKeepTheStatement();
    void foreignFilesAreRefused();
    void damagedFilesAreRefused();
    void failedOrCancelledSave();
    void emptyStatement();
    void commandShowsOneScreen();

private:
    QTemporaryDir m_out;
};

void TestKlients::rules()
{
    QCOMPARE(statementAmount(100, 20, 0.3), 600.0);
    QCOMPARE(statementAmount(3, 1.5, 0.335), 1.51); // 1.5075 to two decimals
    const VatFooter f = vatOnTop(600.0 + 400.0);
    QCOMPARE(moneyText(f.net), QStringLiteral("1000,00лв."));
    QCOMPARE(moneyText(f.vat), QStringLiteral("200,00лв."));
    QCOMPARE(moneyText(f.total), QStringLiteral("1200,00лв."));
    const VatFooter g = vatOnTop(0.05);
    QCOMPARE(g.vat, 0.01);
    QCOMPARE(g.total, 0.06);

    for (const char *ok : {"0", "70000", " 120 ", "12,0"})
        QVERIFY2(kmRefusal(QString::fromUtf8(ok)).isEmpty(), ok);
    for (const char *bad : {"-1", "1,5", "сто", "", "1e30", "100001"})
        QVERIFY2(kmRefusal(QString::fromUtf8(bad)).startsWith(QStringLiteral("Грешни километри!")), bad);
    for (const char *ok : {"0", "0,125", "0.125", "1000"})
        QVERIFY2(tariffRefusal(QString::fromUtf8(ok)).isEmpty(), ok);
    for (const char *bad : {"-0,1", "x", "1e300", "nan", "inf"})
        QVERIFY2(tariffRefusal(QString::fromUtf8(bad)).startsWith(QStringLiteral("Грешна тарифа!")), bad);
}

// Which trips the statement takes, and in what order they are copied.
void TestKlients::tripsOfTheStatement()
{
    TestDb db;
    seed(db);
    ScratchRows scratch(QStringLiteral("TempKlients"));
    auto routes = [&](const KlientCriteria &c) {
        fillStatement(db.conn(), scratch.conn(), c);
        QStringList out;
        scratch.conn().forEachRow("SELECT Marsh FROM TempKlients ORDER BY rowid", {}, {},
                                  [&out](const QVector<QVariant> &v) { out << v.at(0).toString(); });
        return out;
    };
    KlientCriteria c{kDark, {}, {}, {}, QDate(2004, 3, 1), QDate(2004, 3, 31)};
    // The client matched exactly, both end days, empty fields never listed,
    // date then route order.
    QCOMPARE(routes(c), (QStringList{"София - Пловдив", "Айтос - Бургас", "Бяла - Русе", "Бургас - Варна"}));
    QCOMPARE(scratch.conn().scalar("SELECT KM FROM TempKlients WHERE Marsh='Бяла - Русе'").toInt(), 70000);
    QCOMPARE(scratch.conn().scalar("SELECT Suma FROM TempKlients WHERE Marsh='Бургас - Варна'").toDouble(), 400.0);
    QCOMPARE(scratch.conn().scalar("SELECT VidTovar FROM TempKlients WHERE Marsh='София - Пловдив'").toString(),
             QStringLiteral("100%_чист"));

    // Prefixes: "%" and "_" match only themselves, letters in any case.
    c.goods = QStringLiteral("100%_");
    QCOMPARE(routes(c), QStringList{"София - Пловдив"});
    c.goods = QStringLiteral("пяс");
    QCOMPARE(routes(c), (QStringList{"Айтос - Бургас", "Бургас - Варна"}));
    c.goods.clear();
    c.route = QStringLiteral("б");
    QCOMPARE(routes(c), (QStringList{"Бяла - Русе", "Бургас - Варна"}));
    c.route.clear();
    c.car = QStringLiteral("СА1");
    QCOMPARE(routes(c), (QStringList{"София - Пловдив", "Бургас - Варна"}));
    c.car = QStringLiteral("Х");
    QCOMPARE(routes(c), QStringList{});
}

void TestKlients::screenListsTheTripsAndItsTotals()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    setSeek(kDark, "01.03.2004", "31.03.2004");
    Klients w;
    QVERIFY(w.load());
    QVERIFY(mc.shown.isEmpty());
    QCOMPARE(statusText(), QStringLiteral("Справка за курсове..."));
    QCOMPARE(w.windowTitle(), QStringLiteral("Тревалон 2.3 - Курсове на Д'Арк ООД"));
    QCOMPARE(w.Text1->text(), QStringLiteral("Курсове за клиент към ") + QDate::currentDate().toString("dd.MM.yyyy"));
    Grid *g = w.GridEX1;
    // Shown by date, then car; the copy keeps date-then-route.
    QCOMPARE(g->rowCount(), 4);
    QCOMPARE(g->text(g->rowAtVisual(1), 4), QStringLiteral("А3333АА"));
    QCOMPARE(g->text(g->rowAtVisual(2), 4), QStringLiteral("В2222ВВ"));
    QCOMPARE(w.statementRows().value(1, "Marsh").toString(), QStringLiteral("Айтос - Бургас"));
    QCOMPARE(g->text(g->rowAtVisual(0), 1), QStringLiteral("01.03.2004"));
    QCOMPARE(g->text(g->rowAtVisual(0), 6), QStringLiteral("20,000"));
    QCOMPARE(g->text(g->rowAtVisual(0), 8), QStringLiteral("600,00"));
    const QStringList captions{"Дата", "Маршрут", "Товар", "Кола", "Км", "Тонаж", "Тар.", "Сума"};
    for (int i = 1; i <= 8; ++i) {
        QCOMPARE(g->Columns(i).caption(), captions.at(i - 1));
        QCOMPARE(g->Columns(i).editable(), i == 5 || i == 7);
    }
    QCOMPARE(w.Label2->text(), QStringLiteral("70350"));
    QCOMPARE(w.Label3->text(), QStringLiteral("41,00"));
    QCOMPARE(w.Label4->text(), QStringLiteral("1120,00лв."));
    QVERIFY(w.cmdOpenFile->isVisibleTo(&w));
    QVERIFY(!w.cmdSaveFile->isVisibleTo(&w));

    // At opening the grid has the keyboard on the second row; coming back to
    // the screen later leaves the row where the user left it.
    showActive(&w);
    QCOMPARE(QApplication::focusWidget(), g);
    QCOMPARE(g->currentRow(), g->rowAtVisual(1));
    g->setCurrentRow(g->rowAtVisual(2));
    QWidget other;
    showActive(&other);
    showActive(&w);
    QCOMPARE(g->currentRow(), g->rowAtVisual(2));
    w.grab().save(m_out.filePath("klients-open.png"));
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        w.grab().save(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("klients-open.png"));

    // Nothing found: the message, and an empty screen with the design totals.
    setSeek(QStringLiteral("Никой"), "01.03.2004", "31.03.2004");
    Klients empty;
    QVERIFY(empty.load());
    QCOMPARE(mc.lastText(), QStringLiteral("Няма курсове при тези условия!\r\rПроверете си условията за търсене!"));
    QCOMPARE(empty.GridEX1->rowCount(), 0);
    QCOMPARE(empty.Label2->text(), QStringLiteral("км"));
    QCOMPARE(empty.Label4->text(), QStringLiteral("лв"));
}

void TestKlients::f4AndDeleteCorrectAndRemove()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    ReportCapture rc;
    setSeek(kDark, "01.03.2004", "31.03.2004");
    Klients w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    QVERIFY(!g->allowEdit());
    g->sendKey(115); // F4: editing on, "Запис файл" in place of "Зареди файл"
    QVERIFY(g->allowEdit());
    QVERIFY(w.cmdSaveFile->isVisibleTo(&w) && w.cmdSaveFile->isEnabled());
    QVERIFY(!w.cmdOpenFile->isVisibleTo(&w));
    w.grab().save(m_out.filePath("klients-f4.png"));
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        w.grab().save(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("klients-f4.png"));

    // Refused corrections keep the stored values.
    g->setCurrentRow(rowOf(g, "Бургас - Варна"));
    typeInCell(g, 5, QStringLiteral("-5"));
    QVERIFY(mc.lastText().startsWith(QStringLiteral("Грешни километри!")));
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &esc);
    typeInCell(g, 7, QStringLiteral("abc"));
    QVERIFY(mc.lastText().startsWith(QStringLiteral("Грешна тарифа!")));
    QApplication::sendEvent(QApplication::focusWidget(), &esc);
    QVERIFY(g->commitRow());
    QCOMPARE(w.scratch().scalar("SELECT KM FROM TempKlients WHERE Marsh='Бургас - Варна'").toInt(), 200);

    // A correction taken into the row and then undone with Esc: the row and the
    // totals under the grid go back with it.
    g->setCurrentRow(rowOf(g, "Бургас - Варна"));
    typeInCell(g, 5, QStringLiteral("250"), 9); // Tab takes it, the row not yet left
    QCOMPARE(g->text(rowOf(g, "Бургас - Варна"), 8), QStringLiteral("500,00"));
    QCOMPARE(w.Label4->text(), QStringLiteral("1220,00лв."));
    g->sendKey(27);
    QCOMPARE(g->text(rowOf(g, "Бургас - Варна"), 5), QStringLiteral("200"));
    QCOMPARE(g->text(rowOf(g, "Бургас - Варна"), 8), QStringLiteral("400,00"));
    QCOMPARE(w.Label2->text(), QStringLiteral("70350"));
    QCOMPARE(w.Label4->text(), QStringLiteral("1120,00лв."));

    // Keys an open cell has no use for leave the screen running; Enter takes the
    // value and the row stays; Backtab takes it too.
    mc.clear();
    const int burgas = rowOf(g, "Бургас - Варна");
    typeInCell(g, 7, QStringLiteral("0,3"), 0);
    auto *le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(le);
    QTest::keyClick(le, Qt::Key_F2);
    QTest::keyClick(le, Qt::Key_F4);
    QVERIFY(g->isEditing());
    QTest::keyClick(le, Qt::Key_Return);
    QVERIFY(!g->isEditing());
    QCOMPARE(g->currentRow(), burgas);
    QCOMPARE(g->text(burgas, 8), QStringLiteral("600,00")); // 10 x 200 x 0.3
    QCOMPARE(w.Label4->text(), QStringLiteral("1320,00лв."));
    typeInCell(g, 5, QStringLiteral("100"), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QVERIFY(!g->isEditing());
    QCOMPARE(g->currentRow(), burgas);
    QCOMPARE(w.Label4->text(), QStringLiteral("1020,00лв.")); // 10 x 100 x 0.3
    g->sendKey(27);
    QCOMPARE(w.Label4->text(), QStringLiteral("1120,00лв."));
    QVERIFY(mc.shown.isEmpty());

    // A correction: 10 t x 250 km x 0.2 = 500.00, stored when the row is left;
    // the row's amount and the totals follow it.
    mc.clear();
    g->setCurrentRow(rowOf(g, "Бургас - Варна"));
    typeInCell(g, 5, QStringLiteral("250"), 0);
    QVERIFY(g->commitRow());
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(w.scratch().scalar("SELECT KM FROM TempKlients WHERE Marsh='Бургас - Варна'").toInt(), 250);
    QCOMPARE(g->text(rowOf(g, "Бургас - Варна"), 8), QStringLiteral("500,00"));
    QCOMPARE(w.Label2->text(), QStringLiteral("70400"));
    QCOMPARE(w.Label4->text(), QStringLiteral("1220,00лв."));
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='Бургас - Варна'").toInt(), 200); // never the trips

    // PgDn switches editing off; Delete too, and removes the row.
    g->sendKey(34);
    QVERIFY(!g->allowEdit());
    g->sendKey(115);
    g->setCurrentRow(rowOf(g, "Айтос - Бургас"));
    g->sendKey(46);
    QVERIFY(!g->allowEdit());
    QCOMPARE(g->rowCount(), 3);
    QCOMPARE(rowOf(g, "Айтос - Бургас"), -1);
    QCOMPARE(w.scratch().scalar("SELECT count(*) FROM TempKlients").toInt(), 3);
    QCOMPARE(w.Label4->text(), QStringLiteral("1170,00лв."));
    QCOMPARE(w.Label3->text(), QStringLiteral("31,00"));
    QCOMPARE(db.count("tabl"), 13);

    // A tariff still open in its cell is taken by the print.
    g->sendKey(115);
    g->setCurrentRow(rowOf(g, "София - Пловдив"));
    typeInCell(g, 7, QStringLiteral("0,25"), 0); // 100 x 20 x 0.25 = 500
    QVERIFY(g->isEditing());
    w.cmdPrint->click();
    QCOMPARE(rc.shown.size(), 1);
    QCOMPARE(printedRoutes(), (QStringList{"Бургас - Варна", "Бяла - Русе", "София - Пловдив"}));
    Report &r = rptKlientS();
    QCOMPARE(r.controlText("Detail", "Text105", 2), QStringLiteral("0,250"));
    QCOMPARE(r.controlText("Detail", "Text107", 2), QStringLiteral("500,00"));
    QCOMPARE(r.controlText("Detail", "Text106", 0), QStringLiteral("250"));
    QCOMPARE(footer("Label1000"), QStringLiteral("1070,00лв.")); // 500 + 70 + 500
    QCOMPARE(footer("Label1001"), QStringLiteral("214,00лв."));
    QCOMPARE(footer("Label1002"), QStringLiteral("1284,00лв."));
    QCOMPARE(w.Label4->text(), QStringLiteral("1070,00лв.")); // the screen holds the same

    // Closing with a refused text still in a cell closes quietly: the statement
    // is left as it is.
    mc.clear();
    showActive(&w);
    g->SetFocus();
    g->sendKey(115);
    typeInCell(g, 5, QStringLiteral("сто"), 0);
    QVERIFY(g->isEditing());
    w.cmdClose->click();
    QApplication::processEvents();
    QVERIFY(!w.isVisible());
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
}

// A corrected "Км" or "Тар." whose row would be worth more than an amount of
// money is refused in its cell as a trip's is; the row and the totals stay.
void TestKlients::correctionPastTheMoneyBoundIsRefused()
{
    const QString overBound = joinLines({"Прекалено голяма сума на курса!",
                                         "Сумата на курса (тонаж x км x тарифа) не може да бъде по-голяма от 10000000 лв."});
    QCOMPARE(statementCellRefusal(StatementCell::Km, "100000", 1, 10, 10000000), overBound);
    QVERIFY(statementCellRefusal(StatementCell::Tariff, "5000", 200, 10, 0.2).isEmpty()); // 10000000,00 itself
    QVERIFY(statementCellRefusal(StatementCell::Km, "сто", 1, 10, 0.2).startsWith("Грешни километри!"));

    TestDb db;
    seed(db);
    MessageCapture mc;
    setSeek(kDark, "01.03.2004", "31.03.2004");
    Klients w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    const int row = rowOf(g, "Бургас - Варна"); // 10 t x 200 km x 0.2
    g->setCurrentRow(row);
    typeInCell(g, 5, QStringLiteral("100000"), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // 10 t x 100000 km x 0.2: taken
    QVERIFY(mc.shown.isEmpty());
    typeInCell(g, 7, QStringLiteral("10000000"));
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.lastText(), overBound);
    QVERIFY(g->isEditing()); // the cell keeps the text to be mended
    QApplication::processEvents();
    w.grab().save(m_out.filePath("klients-overbound.png"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!g->isEditing());
    QCOMPARE(g->text(row, 7), QStringLiteral("0,200"));
    QCOMPARE(g->text(row, 8), QStringLiteral("200000,00"));
    QCOMPARE(w.Label4->text(), QStringLiteral("200720,00лв."));
    QVERIFY(g->commitRow());
    QCOMPARE(w.scratch().scalar("SELECT Tarifa FROM TempKlients WHERE Marsh='Бургас - Варна'").toDouble(), 0.2);
    QCOMPARE(w.scratch().scalar("SELECT Suma FROM TempKlients WHERE Marsh='Бургас - Варна'").toDouble(), 200000.0);
    QCOMPARE(db.scalar("SELECT Tarifa FROM tabl WHERE Marsh='Бургас - Варна'").toDouble(), 0.2);
}

// Inside an open cell Delete, Backspace, Home, End, Left and Right edit the typed
// text: the cell stays open on its row, and the row and the totals follow only
// the value taken.
void TestKlients::editingKeysStayInTheOpenCell()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    setSeek(kDark, "01.03.2004", "31.03.2004");
    Klients w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    const int row = rowOf(g, "Бургас - Варна"); // 10 t x 200 km x 0.2 = 400.00
    g->setCurrentRow(row);
    typeInCell(g, 5, QStringLiteral("1250"), 0);
    auto *le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(le);
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Left, Qt::Key_Delete}) // the "5" erased
        QTest::keyClick(le, key);
    QVERIFY(g->isEditing());
    QCOMPARE(le->text(), QStringLiteral("120"));
    QCOMPARE(g->rowCount(), 4);
    QCOMPARE(g->currentRow(), row);
    QCOMPARE(g->text(row, 5), QStringLiteral("200"));
    QCOMPARE(g->text(row, 8), QStringLiteral("400,00"));
    QCOMPARE(w.Label4->text(), QStringLiteral("1120,00лв."));
    QTest::keyClick(le, Qt::Key_Return);
    QVERIFY(!g->isEditing());
    QCOMPARE(g->text(row, 8), QStringLiteral("240,00"));
    QCOMPARE(w.Label4->text(), QStringLiteral("960,00лв."));

    typeInCell(g, 5, QStringLiteral("1200"), 0);
    le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(le);
    QTest::keyClick(le, Qt::Key_Home);
    QVERIFY(g->isEditing());
    QCOMPARE(le->cursorPosition(), 0);
    QCOMPARE(g->currentRow(), row);
    QTest::keyClick(le, Qt::Key_Delete);
    QTest::keyClick(le, Qt::Key_End);
    QTest::keyClick(le, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(le, Qt::Key_Backspace);
    QTest::keyClick(le, Qt::Key_Right);
    typeText(le, QStringLiteral("5"));
    QVERIFY(g->isEditing());
    QCOMPARE(le->text(), QStringLiteral("205"));
    QCOMPARE(w.Label4->text(), QStringLiteral("960,00лв."));
    QTest::keyClick(le, Qt::Key_Return);
    QCOMPARE(g->text(row, 8), QStringLiteral("410,00"));
    QCOMPARE(w.Label4->text(), QStringLiteral("1130,00лв."));
    // With no cell open the keys are the grid's again: Home goes to the first
    // row, Delete removes a row.
    g->sendKey(36);
    QCOMPARE(g->currentRow(), g->rowAtVisual(0));
    g->sendKey(46);
    QCOMPARE(g->rowCount(), 3);
    QVERIFY(mc.shown.isEmpty());
}

// Corrections neither printed nor saved: closing asks first, and Enter (the
// default) keeps the screen with them; yes closes.
void TestKlients::unkeptCorrectionsAskBeforeClosing()
{
    TestDb db;
    seed(db);
    setSeek(kDark, "01.03.2004", "31.03.2004");
    Klients w;
    QVERIFY(w.load());
    showActive(&w);
    Grid *g = w.GridEX1;
    g->sendKey(115);
    g->setCurrentRow(rowOf(g, "Айтос - Бургас"));
    typeInCell(g, 5, QStringLiteral("250")); // 10 t x 250 km x 0.1, stored as the row is left
    QCOMPARE(w.Label4->text(), QStringLiteral("1320,00лв."));
    QString asked;
    bool enterRefuses = false;
    QTimer::singleShot(0, &w, [&] {
        Dialog &box = Dialog::instance();
        if (QApplication::activeModalWidget() != &box)
            return;
        asked = box.Label1->text();
        enterRefuses = box.CancelButton->isDefault() && !box.OKButton->isDefault();
        QPixmap both = w.grab();
        QPainter(&both).drawPixmap(box.mapToGlobal(QPoint()) - w.mapToGlobal(QPoint()), box.grab());
        both.save(m_out.filePath("klients-ask.png"));
        QTest::keyClick(&box, Qt::Key_Return);
    });
    QTest::keyClick(g, Qt::Key_Escape); // no cell open
    QCOMPARE(asked, QStringLiteral("Корекциите в справката не са нито отпечатани, нито записани във файл!\n"
                                   "При затваряне те ще бъдат загубени.\nДа затворя ли справката?"));
    QVERIFY(enterRefuses);
    QVERIFY(w.isVisible());
    QCOMPARE(g->text(rowOf(g, "Айтос - Бургас"), 5), QStringLiteral("250"));
    QCOMPARE(w.Label4->text(), QStringLiteral("1320,00лв."));
    QCOMPARE(w.scratch().scalar("SELECT KM FROM TempKlients WHERE Marsh='Айтос - Бургас'").toInt(), 250);

    // A close from outside asks too; yes closes.
    MessageCapture mc;
    mc.answers << true;
    w.close();
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.shown.at(0).kind, ShownMessage::Confirm);
    QVERIFY(!w.isVisible());

    // A row taken off the statement is a correction as well.
    Klients d;
    QVERIFY(d.load());
    showActive(&d);
    d.GridEX1->sendKey(46);
    mc.clear();
    mc.answers << true;
    d.close();
    QCOMPARE(mc.shown.size(), 1);
    QVERIFY(!d.isVisible());
}

void TestKlients::printoutWithVatOnTop()
{
    TestDb db;
    seed(db);
    gFirmName = QStringLiteral("Тревалон ООД");
    MessageCapture mc;
    ReportCapture rc;
    setSeek(kAlen, "01.05.2004", "31.05.2004");
    Klients w;
    QVERIFY(w.load());
    w.cmdPrint->click();
    QCOMPARE(rc.shown.size(), 1);
    QCOMPARE(rc.shown.at(0).caption, QStringLiteral("Тревалон 2.3 - Справка за курсове"));
    QVERIFY(!rc.shown.at(0).modal);
    QVERIFY(w.flgPrint);
    Report &r = rptKlientS();
    QCOMPARE(r.controlText("ReportHeader", "Label3"), QStringLiteral("Извършени от Тревалон ООД курсове"));
    QCOMPARE(r.controlText("ReportHeader", "Label4"), QStringLiteral("по заявка на Ален ЕООД"));
    QCOMPARE(r.controlText("ReportHeader", "Label5"), QStringLiteral("за периода от 01.05.2004 до 31.05.2004"));
    QCOMPARE(r.controlText("PageFooter", "Label6"), QStringLiteral("Тревалон 2.3"));
    // Route, then date.
    QCOMPARE(printedRoutes(), (QStringList{"Арчар - Видин", "Видин - Лом"}));
    QCOMPARE(r.controlText("Detail", "Text100", 0), QStringLiteral("04.05.2004"));
    QCOMPARE(r.controlText("Detail", "Text103", 0), QStringLiteral("В2222ВВ"));
    QCOMPARE(r.controlText("Detail", "Text104", 0), QStringLiteral("10,000"));
    QCOMPARE(r.controlText("Detail", "Text107", 1), QStringLiteral("600,00"));
    QCOMPARE(footer("Label1000"), QStringLiteral("1000,00лв."));
    QCOMPARE(footer("Label1001"), QStringLiteral("200,00лв."));
    QCOMPARE(footer("Label1002"), QStringLiteral("1200,00лв."));
    QCOMPARE(footer("Label1003"), QStringLiteral("30 t"));
    QCOMPARE(footer("Label1004"), QStringLiteral("300 км"));
    QCOMPARE(r.margin(1), 1440);
    QCOMPARE(r.margin(4), 1000);
    QVERIFY(QFileInfo(writeReportPdf(r, m_out.path())).size() > 1000);

    // A second print lists every trip once, with the same footer.
    QStringList first;
    for (int i = 0; i < r.data().rowCount(); ++i)
        for (int c = 100; c <= 107; ++c)
            first << r.controlText("Detail", QStringLiteral("Text%1").arg(c), i);
    const QString total = footer("Label1002");
    w.cmdPrint->click();
    QCOMPARE(rc.shown.size(), 2);
    QStringList second;
    for (int i = 0; i < r.data().rowCount(); ++i)
        for (int c = 100; c <= 107; ++c)
            second << r.controlText("Detail", QStringLiteral("Text%1").arg(c), i);
    QCOMPARE(second, first);
    QCOMPARE(footer("Label1002"), total);
    QCOMPARE(w.scratch().scalar("SELECT count(*) FROM TempKlientsNew").toInt(), 2);
    QVERIFY(mc.shown.isEmpty());
    QCOMPARE(cutOrOverlappingTexts(r, 0), 0);

    // Full-length texts (a 12-character car, 25-character route and goods) and
    // a year's large sums fit.
    const QString client = QStringLiteral("Д'Арк Международни ЖШЩ ООД").left(25);
    for (int day = 1; day <= 130; ++day)
        addTrip(db, QDate(2010, 1, 1).addDays(day), "ХМ 8888 ХМ Р", client, "Велико Търново - Шумен ЖП",
                "Строителни материали - ЖБ", 3999, 39.999, 0.999);
    setSeek(client, "01.01.2010", "31.12.2010");
    Klients big;
    QVERIFY(big.load());
    big.cmdPrint->click();
    QVERIFY(r.pageCount() > 1);
    QCOMPARE(r.data().rowCount(), 130);
    QCOMPARE(big.scratch().scalar("SELECT count(*) FROM TempKlientsNew").toInt(), 130);
    QCOMPARE(big.scratch().scalar("SELECT Data FROM TempKlientsNew ORDER BY rowid DESC").toString(),
             QStringLiteral("2010-05-11"));
    QCOMPARE(cutOrOverlappingTexts(r, 0), 0);
    QCOMPARE(cutOrOverlappingTexts(r, r.pageCount() - 1), 0);
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        r.exportPdf(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("rptKlientS-long.pdf"));
}

// Save, close, a new opening for another client, load, print: the printout
// names the file's client and period, and the removed trip stays removed.
void TestKlients::filesKeepTheStatement()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    ReportCapture rc;
    const QString path = QDir(db.folder()).filePath("darc.kl");
    setSeek(kDark, "01.03.2004", "31.03.2004");
    {
        Klients w;
        QVERIFY(w.load());
        showActive(&w);
        Grid *g = w.GridEX1;
        g->setCurrentRow(rowOf(g, "Айтос - Бургас"));
        g->sendKey(46);
        QVERIFY(w.cmdSaveFile->isVisibleTo(&w));
        QString title, filter, folder, suffix, changes = QStringLiteral("not asked");
        Klients::setFileAnswer([&](QFileDialog &d) {
            changes = fileDialogChanges(&d);
            title = d.windowTitle();
            filter = d.nameFilters().join("|");
            folder = d.directory().absolutePath();
            suffix = d.defaultSuffix();
            return path;
        });
        w.cmdSaveFile->click();
        QCOMPARE(changes, QString());
        QCOMPARE(title, QStringLiteral("Запис на данни за клиенти"));
        QCOMPARE(filter, QStringLiteral("Данни за клиенти (*.kl)"));
        QCOMPARE(folder, QDir(db.folder()).absolutePath());
        QCOMPARE(suffix, QStringLiteral("kl"));
        QVERIFY(w.flgSave);
        QVERIFY(!w.isVisible()); // a save closes the screen
        QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    }
    QVERIFY(QFileInfo(path).isFile());
    QCOMPARE(QDir(db.folder()).entryList(QDir::Hidden | QDir::Files).filter(".darc").size(), 0);
    {
        // The file is an ordinary SQLite file: the removed trip is not in it.
        Connection f;
        f.open("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";");
        QCOMPARE(f.scalar("SELECT count(*) FROM TempKlients").toInt(), 3);
        QCOMPARE(f.scalar("SELECT count(*) FROM TempKlients WHERE Marsh='Айтос - Бургас'").toInt(), 0);
        QCOMPARE(f.scalar("SELECT Klient FROM KlientsFile").toString(), kDark);
    }

    setSeek(kAlen, "01.05.2004", "31.05.2004");
    Klients w;
    QVERIFY(w.load());
    QString title, changes = QStringLiteral("not asked");
    Klients::setFileAnswer([&](QFileDialog &d) {
        changes = fileDialogChanges(&d);
        title = d.windowTitle();
        return path;
    });
    w.cmdOpenFile->click();
    QCOMPARE(changes, QString());
    QCOMPARE(title, QStringLiteral("Зареждане на данни за клиенти"));
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QVERIFY(w.flgLoad);
    QCOMPARE(w.GridEX1->rowCount(), 3);
    QCOMPARE(w.GridEX1->sortColumns(), (QList<int>{1, 4}));
    QCOMPARE(w.GridEX1->text(w.GridEX1->rowAtVisual(1), 2), QStringLiteral("Бяла - Русе"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Тревалон 2.3 - Курсове на Д'Арк ООД"));
    QCOMPARE(w.Label4->text(), QStringLiteral("1070,00лв."));
    w.cmdPrint->click();
    QCOMPARE(rc.shown.size(), 1);
    Report &r = rptKlientS();
    QCOMPARE(r.controlText("ReportHeader", "Label4"), QStringLiteral("по заявка на Д'Арк ООД"));
    QCOMPARE(r.controlText("ReportHeader", "Label5"), QStringLiteral("за периода от 01.03.2004 до 31.03.2004"));
    QVERIFY(!printedRoutes().contains("Айтос - Бургас"));
    QCOMPARE(printedRoutes().size(), 3);
    QCOMPARE(footer("Label1000"), QStringLiteral("1070,00лв."));
}

void TestKlients::foreignFilesAreRefused()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    const QDir dir(db.folder());
    // A good file to cut short.
    setSeek(kDark, "01.03.2004", "31.03.2004");
    const QString good = dir.filePath("good.kl");
    {
        ScratchRows s(QStringLiteral("TempKlients"));
        fillStatement(db.conn(), s.conn(), {kDark, {}, {}, {}, QDate(2004, 3, 1), QDate(2004, 3, 31)});
        saveStatementFile(s.conn(), {kDark, QDate(2004, 3, 1), QDate(2004, 3, 31)}, good);
    }
    QFile g(good);
    QVERIFY(g.open(QIODevice::ReadOnly));
    const QByteArray bytes = g.readAll();
    g.close();
    auto write = [&](const QString &name, const QByteArray &data) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(data);
        return dir.filePath(name);
    };
    QStringList foreign{write("text.kl", "Справка за клиент\n"), write("cut.kl", bytes.left(bytes.size() / 2)),
                        write("cut2.kl", bytes.left(bytes.size() - 100)), write("empty.kl", QByteArray())};
    QVERIFY(QFile::copy(db.dbPath(), dir.filePath("kelm.kl")));
    foreign << dir.filePath("kelm.kl");
    {
        // Look-alike tables without our mark.
        Connection c;
        c.open("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + dir.filePath("alike.kl") + ";");
        createTempTableIn(c, QStringLiteral("TempKlients"));
        c.execute("CREATE TABLE KlientsFile (Klient TEXT, StartData DATE, EndData DATE)");
        c.execute("INSERT INTO TempKlients (Marsh) VALUES ('Чужд')");
    }
    foreign << dir.filePath("alike.kl");

    setSeek(kAlen, "01.05.2004", "31.05.2004");
    Klients w;
    QVERIFY(w.load());
    for (const QString &path : foreign) {
        mc.clear();
        Klients::setFileAnswer([&path](QFileDialog &) { return path; });
        w.cmdOpenFile->click();
        QCOMPARE(mc.shown.size(), 1);
        QCOMPARE(mc.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
        QVERIFY2(mc.lastText().contains(QStringLiteral("не е файл с данни за клиенти")), qPrintable(path));
        QVERIFY(!w.flgLoad);
        QCOMPARE(w.GridEX1->rowCount(), 2);
        QCOMPARE(w.scratch().scalar("SELECT count(*) FROM TempKlients").toInt(), 2);
        QCOMPARE(w.subject().client, kAlen);
    }
    // The file the user picked is only read.
    QCOMPARE(QFileInfo(dir.filePath("cut.kl")).size(), bytes.size() / 2);

    // The good file still loads.
    Klients::setFileAnswer([&good](QFileDialog &) { return good; });
    w.cmdOpenFile->click();
    QVERIFY(w.flgLoad);
    QCOMPARE(w.GridEX1->rowCount(), 4);
    QCOMPARE(w.subject().client, kDark);
}

// A file of ours with one value as a changed byte leaves it: refused whole, with
// the file and the row named, and the screen's rows and totals as they were.
void TestKlients::damagedFilesAreRefused()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    const QDir dir(db.folder());
    const QString good = dir.filePath("good.kl");
    {
        ScratchRows s(QStringLiteral("TempKlients"));
        fillStatement(db.conn(), s.conn(), {kDark, {}, {}, {}, QDate(2004, 3, 1), QDate(2004, 3, 31)});
        saveStatementFile(s.conn(), {kDark, QDate(2004, 3, 1), QDate(2004, 3, 31)}, good);
    }
    const struct {
        const char *name, *damage, *fault;
    } files[] = {{"tariff.kl", "UPDATE TempKlients SET Tarifa=-6553.6 WHERE rowid=2", "Ред 2: грешна тарифа!"},
                 {"date.kl", "UPDATE TempKlients SET Data='' WHERE rowid=3", "Ред 3: грешна дата!"},
                 {"amount.kl", "UPDATE TempKlients SET Suma=94365581.66 WHERE rowid=1", "Ред 1: грешна сума!"}};

    setSeek(kAlen, "01.05.2004", "31.05.2004");
    Klients w;
    QVERIFY(w.load());
    showActive(&w);
    const QStringList totals{w.Label2->text(), w.Label3->text(), w.Label4->text()};
    QCOMPARE(totals.last(), QStringLiteral("1000,00лв."));
    for (const auto &f : files) {
        const QString path = dir.filePath(QString::fromUtf8(f.name));
        QVERIFY(QFile::copy(good, path));
        {
            Connection c;
            c.open("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";");
            QCOMPARE(c.execute(QString::fromUtf8(f.damage)), 1);
        }
        mc.clear();
        Klients::setFileAnswer([&path](QFileDialog &) { return path; });
        w.cmdOpenFile->click();
        QCOMPARE(mc.shown.size(), 1);
        QCOMPARE(mc.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(mc.lastText(), QStringLiteral("Файлът „%1“ е повреден и не е зареден!\r%2\rДанните на екрана не са "
                                               "променени.")
                                    .arg(QDir::toNativeSeparators(path), QString::fromUtf8(f.fault)));
        QVERIFY(!w.flgLoad);
        QCOMPARE(w.GridEX1->rowCount(), 2);
        QCOMPARE(w.scratch().scalar("SELECT count(*) FROM TempKlients").toInt(), 2);
        QCOMPARE((QStringList{w.Label2->text(), w.Label3->text(), w.Label4->text()}), totals);
        QCOMPARE(w.subject().client, kAlen);
    }
    // The file they were made from loads.
    Klients::setFileAnswer([&good](QFileDialog &) { return good; });
    w.cmdOpenFile->click();
    QVERIFY2(w.flgLoad, qPrintable(mc.lastText()));
    QCOMPARE(w.GridEX1->rowCount(), 4);
}

void TestKlients::failedOrCancelledSave()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    setSeek(kAlen, "01.05.2004", "31.05.2004");
    Klients w;
    QVERIFY(w.load());
    showActive(&w);
    w.GridEX1->sendKey(115);
    // Cancel: back to the statement.
    Klients::setFileAnswer([](QFileDialog &) { return QString(); });
    w.cmdSaveFile->click();
    QVERIFY(w.isVisible());
    QVERIFY(!w.flgSave);
    QVERIFY(mc.shown.isEmpty());
    // A folder that does not exist: the message, the screen stays, no file.
    const QString bad = QDir(db.folder()).filePath("няма/x.kl");
    Klients::setFileAnswer([&bad](QFileDialog &) { return bad; });
    w.cmdSaveFile->click();
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(w.isVisible());
    QVERIFY(!QFileInfo::exists(bad));
    // Kelm.mdb itself, by any name: refused, the database untouched.
    const QByteArray kelm = [] {
        QFile f(gDbPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    for (const QString &name : {QStringLiteral("Kelm.mdb"), QStringLiteral("./Kelm.mdb-journal")}) {
        const QString typed = QDir(db.folder()).filePath(name);
        Klients::setFileAnswer([&typed](QFileDialog &) { return typed; });
        mc.clear();
        w.cmdSaveFile->click();
        QVERIFY2(mc.lastText().contains(QStringLiteral("файлът с данните на програмата")), qPrintable(mc.lastText()));
        QVERIFY(w.isVisible());
        QFile f(gDbPath);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), kelm);
        QVERIFY(!QFileInfo::exists(gDbPath + QStringLiteral("-journal")));
    }
    // A file already there is replaced whole, and no part file stays beside it.
    const QString path = QDir(db.folder()).filePath("alen.kl");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("стар файл");
    }
    Klients::setFileAnswer([&path](QFileDialog &) { return path; });
    w.cmdSaveFile->click();
    QVERIFY(!w.isVisible());
    QCOMPARE(QDir(db.folder()).entryList(QDir::Hidden | QDir::Files).filter(".alen").size(), 0);
    ScratchRows s(QStringLiteral("TempKlients"));
    const StatementSubject sub = loadStatementFile(s.conn(), path);
    QCOMPARE(sub.client, kAlen);
    QCOMPARE(sub.start, QDate(2004, 5, 1));
    QCOMPARE(s.conn().scalar("SELECT sum(Suma) FROM TempKlients").toDouble(), 1000.0);
}

void TestKlients::emptyStatement()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    ReportCapture rc;
    setSeek(kAlen, "01.05.2004", "31.05.2004");
    Klients w;
    QVERIFY(w.load());
    showActive(&w);
    w.GridEX1->sendKey(46);
    w.GridEX1->sendKey(46);
    QCOMPARE(w.GridEX1->rowCount(), 0);
    QCOMPARE(w.Label4->text(), QStringLiteral("0,00лв."));
    w.cmdPrint->click();
    QCOMPARE(rc.shown.size(), 0);
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.shown.at(0).kind, ShownMessage::Box);
    QCOMPARE(mc.lastText(), QStringLiteral("Няма!!!!!!!!"));
}

void TestKlients::commandShowsOneScreen()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    // Справки > Клиент за факруриране, the client picked from the dialog's list.
    SeekDialog::setTestAnswer([](SeekDialog &d) {
        auto &all = static_cast<DiaSeekAll &>(d);
        all.Combo1->setCurrentIndex(all.Combo1->findText(kAlen));
        typeText(all.Text1_0, QStringLiteral("01.05.2004"));
        typeText(all.Text1_1, QStringLiteral("31.05.2004"));
        all.OKButton->click();
    });
    gSeekMode = QStringLiteral("SkladPRN"); // whatever the last command left
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprKlientSakr")));
    SeekDialog::setTestAnswer(nullptr);
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QPointer<Klients> first = Klients::instance();
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), QStringLiteral("Тревалон 2.3 - Курсове на Ален ЕООД"));
    QVERIFY(first->isVisible());
    QVERIFY(!first->isModal());
    QCOMPARE(first->GridEX1->rowCount(), 2);
    // Run again (another client asked for): the open screen comes forward as it is.
    setSeek(kDark, "01.03.2004", "31.03.2004");
    QVERIFY(runTarget(QStringLiteral("Klients")));
    QCOMPARE(Klients::instance(), first.data());
    QCOMPARE(first->GridEX1->rowCount(), 2);
    // A rebuilt scratch database leaves the statement as it is.
    CreateTempTable(QStringLiteral("TempKlients"));
    QCOMPARE(first->scratch().scalar("SELECT count(*) FROM TempKlients").toInt(), 2);
    const QString file = first->scratch().dataSource();
    first->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
    QVERIFY(!QFileInfo::exists(file));
}

QTEST_MAIN(TestKlients)
#include "test_klients.moc"
