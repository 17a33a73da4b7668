// The payment screen: the unpaid trips of a driver's period, Space marking and
// unmarking with the sum to pay, marks stored as the grid leaves a row and on
// closing, and the printed statement rptPlaten with the receipt.
#include "billing/driverpayreports.h"
#include "billing/plashtane.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "platform/numbers.h"
#include "platform/version.h"
#include "printing/report.h"
#include "layoutcheck.h"
#include "reportcheck.h"
#include "common/globals.h"
#include "scratch/temptable.h"
#include "shell/targets.h"
#include "testdb.h"
#include "seed.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace kelm;

namespace {

enum { ColData = 1, ColMarsh, ColTovar, ColKola, ColKM, ColTon, ColTarifa, ColNeto, ColPlat };

void addTrip(TestDb &db, const QDate &d, const QString &kola, const QString &kod, const QString &marsh, double neto,
             const QVariant &plat)
{
    db.exec(QStringLiteral("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, neto, "
                           "plat) VALUES (?,?,?,'Клиент',?,'Пясък',120,21.5,0.125,?,?,?)"),
            {d, kola, kod, marsh, neto / 0.97, neto, plat});
}

int paidInDb(TestDb &db) { return db.scalar("SELECT count(*) FROM tabl WHERE plat=1").toInt(); }

} // namespace

class TestPlashtane : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDb> db;
    QTemporaryDir pdfDir;

    // Goes to the trip shown at a place of the list (0 = top).
    static void goTo(Plashtane &w, int visual) { w.GridEX1->setCurrentRow(w.GridEX1->rowAtVisual(visual)); }
    static QString route(Plashtane &w, int visual) { return w.GridEX1->text(w.GridEX1->rowAtVisual(visual), ColMarsh); }

private Q_SLOTS:
    void init();
    void cleanup() { db.reset(); }
    void listsTheUnpaidTripsOfThePeriod();
    void spaceMarksAndUnmarks();
    void escTakesBackThePendingMarkAndTheSumFollows();
    void marksAreStoredOnLeavingARowAndOnClosing();
    void printsTheMarkedTripsWithTheReceipt();
    void emptyListAndMissingDriver();
    void targetOpensTheScreenModally();
    void spaceRightAfterOpeningMarksTheFirstTrip();
    void twoPaymentScreensNeverPayATripTwice();
};

void TestPlashtane::init()
{
    db = std::make_unique<TestDb>();
    CreateTempTable(QStringLiteral("TempPlaten"));
    seedCompany();
    addDriver(*db, "001", "Иван Петров", "7501011234", "123456789");
    addDriver(*db, "002", "Иван Петров", "8002021111", "987654321");
    // Driver 002 in March 2010; both end days, an empty flag, and trips that stay out.
    addTrip(*db, QDate(2010, 3, 31), "СВ 2222 ВВ", "002", "Последен ден", 100.005, false);
    addTrip(*db, QDate(2010, 3, 1), "СВ 1111 АА", "002", "Първи ден", 200.50, QVariant());
    addTrip(*db, QDate(2010, 3, 15), "СВ 2222 ВВ", "002", "Среда Б", 50.25, false);
    addTrip(*db, QDate(2010, 3, 15), "СВ 1111 АА", "002", "Среда А", 75, false);
    addTrip(*db, QDate(2010, 3, 10), "СВ 1111 АА", "002", "Платен", 999, true);
    addTrip(*db, QDate(2010, 4, 1), "СВ 1111 АА", "002", "След периода", 999, false);
    addTrip(*db, QDate(2010, 3, 10), "СВ 1111 АА", "001", "Друг шофьор", 999, false);
    DiaSeek &d = DiaSeek::instance();
    d.ShofKod = QStringLiteral("002");
    d.ShofName = QStringLiteral("Иван Петров");
    seekPeriod(d, QStringLiteral("01.03.2010"), QStringLiteral("31.03.2010"));
}

void TestPlashtane::listsTheUnpaidTripsOfThePeriod()
{
    MessageCapture msgs;
    Plashtane w;
    QVERIFY(w.load());
    QVERIFY(msgs.shown.isEmpty());
    QCOMPARE(statusText(), QStringLiteral("Справка за курсове..."));
    QCOMPARE(w.windowTitle(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Плащане курсове"));
    // "na" in Latin letters, as the screen always had it.
    QCOMPARE(w.Text1->text(), QStringLiteral("Курсове na Иван Петров към ") + formatDate(QDate::currentDate()));
    QCOMPARE(w.Label4->text(), QStringLiteral("лв"));
    Grid *g = w.GridEX1;
    // By date, then car; both end days in.
    QCOMPARE(g->rowCount(), 4);
    QCOMPARE(route(w, 0), QStringLiteral("Първи ден"));
    QCOMPARE(route(w, 1), QStringLiteral("Среда А"));
    QCOMPARE(route(w, 2), QStringLiteral("Среда Б"));
    QCOMPARE(route(w, 3), QStringLiteral("Последен ден"));
    const QStringList captions{"Дата", "Маршрут", "Товар", "Кола", "Км", "Тонаж", "Тар.", "Сума", "Плат."};
    const int aligns[] = {0, 0, 0, 1, 2, 2, 2, 2, 1};
    for (int i = 1; i <= 9; ++i) {
        QCOMPARE(g->Columns(i).caption(), captions.at(i - 1));
        QCOMPARE(g->Columns(i).textAlignment(), aligns[i - 1]);
        QCOMPARE(g->Columns(i).headerAlignment(), 1);
        QVERIFY(!g->Columns(i).editable());
    }
    QCOMPARE(g->Columns(ColTarifa).width(), 750);
    QCOMPARE(g->text(g->rowAtVisual(3), ColTon), QStringLiteral("21,500"));
    QCOMPARE(g->text(g->rowAtVisual(3), ColTarifa), QStringLiteral("0,125"));
    QCOMPARE(g->text(g->rowAtVisual(3), ColNeto), QStringLiteral("100,01"));
    QVERIFY(!g->allowEdit());
    QVERIFY(!g->allowDelete());
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK")) {
        g->sendKey(32);
        g->sendKey(40);
        w.grab().save(qEnvironmentVariable("KELM_REPORT_LOOK") + "/plashtane.png");
    }
}

void TestPlashtane::spaceMarksAndUnmarks()
{
    MessageCapture msgs;
    Plashtane w;
    QVERIFY(w.load());
    Grid *g = w.GridEX1;
    // The first key of any kind shows the sum, zero as yet.
    g->sendKey(40); // Down: "Среда А"
    QCOMPARE(w.Label4->text(), QStringLiteral("0,00лв."));
    g->sendKey(32);
    const int row = g->currentRow();
    QCOMPARE(route(w, 1), g->text(row, ColMarsh));
    QVERIFY(g->value(row, ColPlat).toBool());
    QCOMPARE(g->rowStyle(row), QStringLiteral("Platen"));
    QCOMPARE(w.Label4->text(), QStringLiteral("75,00лв."));
    // Space again: the trip and the sum are back where they were.
    g->sendKey(32);
    QVERIFY(!g->value(row, ColPlat).toBool());
    QCOMPARE(g->rowStyle(row), QString());
    QCOMPARE(w.Label4->text(), QStringLiteral("0,00лв."));
    g->sendKey(40); // leaving the row stores nothing new
    QCOMPARE(paidInDb(*db), 1);
    QCOMPARE(db->scalar("SELECT plat FROM tabl WHERE Marsh='Среда А'").toInt(), 0);
    // The sum adds the amounts as they show: 100,005 shows 100,01.
    g->sendKey(35); // End: "Последен ден"
    g->sendKey(32);
    g->sendKey(36); // Home: "Първи ден"
    g->sendKey(32);
    QCOMPARE(w.Label4->text(), QStringLiteral("300,51лв."));
    QCOMPARE(w.sumToPay().text(), QStringLiteral("300,51"));
    // The red style of a marked trip.
    QCOMPARE(g->formatStyle("Platen")->backColor, QColor(255, 0, 0));
    QCOMPARE(g->formatStyle("Platen")->foreColor, QColor(0, 0, 0));
    QVERIFY(msgs.shown.isEmpty());
}

void TestPlashtane::escTakesBackThePendingMarkAndTheSumFollows()
{
    MessageCapture msgs;
    ReportCapture shown;
    Plashtane w;
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    Grid *g = w.GridEX1;
    // The net of the trips marked in the list, as the amounts show.
    const auto marked = [g] {
        PrintedSum sum;
        for (int row = 0; row < g->rowCount(); ++row)
            if (g->value(row, ColPlat).toBool())
                sum.add(g->value(row, ColNeto).toDouble());
        return sum;
    };
    const auto shownSum = [&w] { return w.Label4->text().chopped(3); };

    // Space, Esc, Space on one trip: one mark, counted once.
    goTo(w, 1); // "Среда А" 75,00
    g->setFocus();
    QTest::keyClick(g, Qt::Key_Space);
    QTest::keyClick(g, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QVERIFY(!g->value(g->currentRow(), ColPlat).toBool());
    QCOMPARE(marked().cents(), 0);
    QCOMPARE(shownSum(), QStringLiteral("0,00"));
    QTest::keyClick(g, Qt::Key_Space);
    QCOMPARE(marked().cents(), 7500);
    QCOMPARE(shownSum(), QStringLiteral("75,00"));
    // Esc with nothing pending, in the list or on a button, closes nothing.
    QTest::keyClick(g, Qt::Key_Down); // "Среда Б" 50,25; the mark above is stored
    QTest::keyClick(g, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    QTest::keyClick(g, Qt::Key_Space);
    w.cmdPrint->setFocus();
    QTest::keyClick(w.cmdPrint, Qt::Key_Escape); // takes back the pending mark of "Среда Б"
    QVERIFY(w.isVisible());
    QCOMPARE(marked().cents(), 7500);
    QCOMPARE(shownSum(), QStringLiteral("75,00"));
    QTest::keyClick(g, Qt::Key_Space);
    QCOMPARE(shownSum(), QStringLiteral("125,25"));
    QTest::keyClick(g, Qt::Key_Up);
    QTest::keyClick(g, Qt::Key_Space); // "Среда А" unmarked again, and back
    QTest::keyClick(g, Qt::Key_Escape);
    QCOMPARE(shownSum(), marked().text());
    QCOMPARE(w.sumToPay().cents(), marked().cents());

    // The printed total and the receipt name the sum on the screen.
    w.cmdPrint->click();
    QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.lastText()));
    QCOMPARE(shown.shown.size(), 1);
    Report &r = rptPlaten();
    QCOMPARE(detailColumn(r, "Text103"), (QStringList{"Среда А", "Среда Б"}));
    QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("Всичко заработка: ") + shownSum() + QStringLiteral(" лв."));
    QVERIFY(r.controlText("ReportFooter", "Label502").contains(QStringLiteral(" получих сумата от ") + shownSum() + QStringLiteral(" лева")));
    QCOMPARE(shownSum(), QStringLiteral("125,25"));
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        w.grab().save(qEnvironmentVariable("KELM_REPORT_LOOK") + "/plashtane-esc.png");
    // "Затвори" closes it, storing the marks.
    w.cmdClose->click();
    QVERIFY(!w.isVisible());
    QCOMPARE(paidInDb(*db), 3);
}

void TestPlashtane::marksAreStoredOnLeavingARowAndOnClosing()
{
    MessageCapture msgs;
    {
        Plashtane w;
        QVERIFY(w.load());
        Grid *g = w.GridEX1;
        g->sendKey(32); // "Първи ден", whose flag was empty
        QCOMPARE(paidInDb(*db), 1); // not yet: the grid is still on it
        g->sendKey(40);
        QCOMPARE(paidInDb(*db), 2);
        QCOMPARE(db->scalar("SELECT plat FROM tabl WHERE Marsh='Първи ден'").toInt(), 1);
        g->sendKey(32); // "Среда А", still pending when the screen closes
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.cmdClose->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(paidInDb(*db), 3);
    }
    // Stored marks are gone from the next opening.
    Plashtane again;
    QVERIFY(again.load());
    QCOMPARE(again.GridEX1->rowCount(), 2);
    QVERIFY(msgs.shown.isEmpty());
    again.show();
    QVERIFY(QTest::qWaitForWindowActive(&again));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(again.GridEX1));

    // A mark whose trip was deleted meanwhile cannot be stored: the first
    // closing says so once and stays, the trip gone from the list; the second
    // closes without a word.
    again.GridEX1->sendKey(32);
    const QString gone = again.GridEX1->text(again.GridEX1->currentRow(), ColMarsh);
    db->exec("DELETE FROM tabl WHERE Marsh=?", {gone});
    again.close();
    QVERIFY(again.isVisible());
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(msgs.lastText(), QStringLiteral("3167:Записът е изтрит от друг потребител."));
    QCOMPARE(again.GridEX1->rowCount(), 1);
    again.close();
    QVERIFY(!again.isVisible());
    QCOMPARE(msgs.shown.size(), 1);
}

// Two copies pay one driver's period: a trip is marked paid only while it is
// still unpaid. One the other copy paid meanwhile is named, leaves this list and
// is not printed here: each print holds only its own screen's marks.
void TestPlashtane::twoPaymentScreensNeverPayATripTwice()
{
    MessageCapture msgs;
    ReportCapture shown;
    Plashtane first, second; // each on a connection of its own
    QVERIFY(first.load());
    QVERIFY(second.load());
    goTo(first, 0);
    first.GridEX1->sendKey(32); // "Първи ден"
    first.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    first.cmdClose->click();
    QVERIFY(!first.isVisible());
    QCOMPARE(paidInDb(*db), 2);

    goTo(second, 0);
    second.GridEX1->sendKey(32); // "Първи ден" again, shown unpaid here
    goTo(second, 1); // leaving it stores the mark: refused
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(msgs.lastText(), joinLines({QStringLiteral("Курсът от 01.03.2010 по маршрут „Първи ден“ е платен от "
                                                        "друг потребител!"),
                                         QStringLiteral("Не е маркиран тук и е махнат от списъка.")}));
    QCOMPARE(second.GridEX1->rowCount(), 3);
    QCOMPARE(route(second, 0), QStringLiteral("Среда А"));
    goTo(second, 0);
    second.GridEX1->sendKey(32);
    second.cmdPrint->click();
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(detailColumn(rptPlaten(), "Text103"), QStringList{QStringLiteral("Среда А")});
    QCOMPARE(rptPlaten().controlText(QLatin1String("ReportFooter"), QLatin1String("Label8")),
             QStringLiteral("Всичко заработка: 75,00 лв."));
    QCOMPARE(paidInDb(*db), 3);
}

void TestPlashtane::printsTheMarkedTripsWithTheReceipt()
{
    MessageCapture msgs;
    ReportCapture shown;
    Plashtane w;
    QVERIFY(w.load());
    Grid *g = w.GridEX1;
    goTo(w, 3);
    g->sendKey(32); // "Последен ден" 100,005
    goTo(w, 0);
    g->sendKey(32); // "Първи ден" 200,50
    goTo(w, 2);
    w.cmdPrint->click();
    QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.lastText()));
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(shown.shown[0].design, QStringLiteral("rptPlaten"));
    QVERIFY(shown.shown[0].modal);
    // The print keeps the grid on its trip and stores the marks.
    QCOMPARE(g->currentRow(), g->rowAtVisual(2));
    QCOMPARE(paidInDb(*db), 3);
    Report &r = rptPlaten();
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка платени курсове"));
    QCOMPARE(detailColumn(r, "Text100"), (QStringList{"1", "2"}));
    QCOMPARE(detailColumn(r, "Text101"), (QStringList{"01.03.2010", "31.03.2010"}));
    QCOMPARE(detailColumn(r, "Text102"), (QStringList{"СВ 1111 АА", "СВ 2222 ВВ"}));
    QCOMPARE(detailColumn(r, "Text103"), (QStringList{"Първи ден", "Последен ден"}));
    QCOMPARE(detailColumn(r, "Text104"), (QStringList{"Пясък", "Пясък"}));
    QCOMPARE(detailColumn(r, "Text105"), (QStringList{"21,500", "21,500"}));
    QCOMPARE(detailColumn(r, "Text106"), (QStringList{"120", "120"}));
    QCOMPARE(detailColumn(r, "Text107"), (QStringList{"0,125", "0,125"}));
    QCOMPARE(detailColumn(r, "Text108"), (QStringList{"200,50", "100,01"}));
    const auto text = [&](const char *s, const char *c) { return r.controlText(QLatin1String(s), QLatin1String(c)); };
    QCOMPARE(text("ReportHeader", "Label1"), gFirmName);
    QCOMPARE(text("ReportHeader", "Label2"), QStringLiteral("ул. Иван Вазов 12"));
    QVERIFY(!r.section("ReportHeader").findControl("Label9"));
    QCOMPARE(text("ReportHeader", "Label3"), QStringLiteral("Извлечение"));
    QCOMPARE(text("ReportHeader", "Label4"), QStringLiteral("за курсовете на Иван Петров"));
    QCOMPARE(text("ReportHeader", "Label5"), QStringLiteral("за периода от 01.03.2010 до 31.03.2010"));
    QCOMPARE(text("PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionShort());
    const QString today = formatDate(QDate::currentDate());
    // The total is what the printed column adds up to, and the sum the screen showed.
    QCOMPARE(text("ReportFooter", "Label8"), QStringLiteral("Всичко заработка: 300,51 лв."));
    QCOMPARE(w.Label4->text(), QStringLiteral("300,51лв."));
    QCOMPARE(text("ReportFooter", "Label500"), QStringLiteral("Разписка №_____ / ") + today);
    // The papers of driver 002, not of the first "Иван Петров".
    QCOMPARE(text("ReportFooter", "Label501"), QStringLiteral("от Иван Петров с ЕГН 8002021111 и л.к.№ 987654321"));
    QCOMPARE(text("ReportFooter", "Label502"),
             QStringLiteral("         Днес ") + today
                 + QStringLiteral(" получих сумата от 300,51 лева за извършените от мен курсове за фирма "
                                  "Д'Арк Транс ООД съгласно горното извлечение."));
    QCOMPARE(text("ReportFooter", "Label503"), QString(76, QLatin1Char(' ')) + QStringLiteral("Подпис: ")
                                                   + QString(32, QLatin1Char('.')));
    QCOMPARE(r.margin(1), 1000);
    QCOMPARE(r.margin(4), 1000);
    QCOMPARE(r.pageCount(), 1);
    const QStringList cut = reportTextsCut(r);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    QVERIFY(QFileInfo(writeReportPdf(r, pdfDir.path())).size() > 1000);

    // A second print: only what is marked now, numbered from 1 again.
    goTo(w, 0);
    g->sendKey(32); // unmarks "Първи ден"
    goTo(w, 1);
    g->sendKey(32); // marks "Среда А"
    w.cmdPrint->click();
    QCOMPARE(shown.shown.size(), 2);
    QCOMPARE(detailColumn(r, "Text100"), (QStringList{"1", "2"}));
    QCOMPARE(detailColumn(r, "Text103"), (QStringList{"Среда А", "Последен ден"}));
    QCOMPARE(text("ReportFooter", "Label8"), QStringLiteral("Всичко заработка: 175,01 лв."));
    Connection temp;
    temp.open(gTempConnStr);
    QCOMPARE(temp.scalar("SELECT count(*) FROM TempPlaten").toInt(), 2);
    QCOMPARE(db->scalar("SELECT plat FROM tabl WHERE Marsh='Първи ден'").toInt(), 0);

    // Everything unmarked: nothing to print.
    goTo(w, 1);
    g->sendKey(32);
    goTo(w, 3);
    g->sendKey(32);
    QCOMPARE(w.Label4->text(), QStringLiteral("0,00лв."));
    w.cmdPrint->click();
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма платени курсове!"));
    QCOMPARE(shown.shown.size(), 2);
}

void TestPlashtane::emptyListAndMissingDriver()
{
    MessageCapture msgs;
    ReportCapture shown;
    DiaSeek::instance().EndData = QStringLiteral("28.02.2010");
    DiaSeek::instance().StartData = QStringLiteral("01.02.2010");
    {
        Plashtane w;
        QVERIFY(w.load());
        QCOMPARE(msgs.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(msgs.lastText(), QStringLiteral("Няма курсове за плащане!"));
        QCOMPARE(w.GridEX1->rowCount(), 0);
        // Space with no trip does nothing; the first key shows the zero sum.
        w.GridEX1->sendKey(32);
        QCOMPARE(w.Label4->text(), QStringLiteral("0,00лв."));
        w.cmdPrint->click();
        QCOMPARE(msgs.lastText(), QStringLiteral("Няма платени курсове!"));
    }
    // A driver code with no driver row: no receipt for nobody.
    db->exec("DELETE FROM shof WHERE kod='002'");
    seekPeriod(DiaSeek::instance(), QStringLiteral("01.03.2010"), QStringLiteral("31.03.2010"));
    msgs.clear();
    Plashtane w;
    QVERIFY(w.load());
    w.GridEX1->sendKey(32);
    w.cmdPrint->click();
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма данни за шофьора!"));
    QVERIFY(shown.shown.isEmpty());
}

void TestPlashtane::targetOpensTheScreenModally()
{
    MessageCapture msgs;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *w = qobject_cast<Plashtane *>(QApplication::activeModalWidget());
        QVERIFY(w);
        seen = true;
        QCOMPARE(w->GridEX1->rowCount(), 4);
        w->GridEX1->sendKey(32);
        w->close();
    });
    QVERIFY(runTarget(QStringLiteral("Plashtane")));
    QVERIFY(seen);
    QCOMPARE(paidInDb(*db), 2);
}

// The legend says Space marks a trip: so it does from the moment the screen
// opens, without a click into the list first.
void TestPlashtane::spaceRightAfterOpeningMarksTheFirstTrip()
{
    MessageCapture msgs;
    Plashtane w;
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::qWait(50); // whatever the screen does as it becomes active
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(w.isVisible());
    Grid *g = w.GridEX1;
    QCOMPARE(route(w, 0), QStringLiteral("Първи ден"));
    QVERIFY(g->value(g->rowAtVisual(0), ColPlat).toBool());
    QCOMPARE(w.Label4->text(), QStringLiteral("200,50лв."));
    lookAt(w.grab(), "plashtane-space-on-opening.png");
    QVERIFY(msgs.shown.isEmpty());
}

QTEST_MAIN(TestPlashtane)
#include "test_plashtane.moc"
