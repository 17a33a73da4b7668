#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "dialogs/progdialog.h"
#include "dialogs/seekdialog.h"
#include "shell/commands.h"
#include "typing.h"
#include "common/globals.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "platform/version.h"
#include "printing/report.h"
#include "reports/balans.h"
#include "reports/balansrules.h"
#include "scratch/temptable.h"
#include "shell/targets.h"
#include "reportcheck.h"
#include "testdb.h"
#include "seed.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelm;

namespace {

const QString carA = QStringLiteral("СВ1234");
const QString carB = QStringLiteral("ПВ5678");
const QString carLong = QStringLiteral("СВ 9999 АК"); // longer than five characters
const QString carD = QStringLiteral("ПВ0001");

void trip(TestDb &db, const QDate &d, const QString &kola, const QVariant &bruto)
{
    db.exec(QStringLiteral("INSERT INTO tabl (Data, kola, kod, bruto) VALUES (?,?,'001',?)"), {d, kola, bruto});
}

void issue(TestDb &db, const QDate &d, const QString &docVid, const QVariant &suma, const char *vid = "R")
{
    db.exec(QStringLiteral("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol) "
                           "VALUES (?,?,'0000000001','Гума',1,?,?,?)"),
            {d, docVid, suma, suma, QLatin1String(vid)});
}

void waybill(TestDb &db, const QString &id, const QDate &d, const QString &kola, const QVariant &razhN,
             const QVariant &zarN)
{
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, SumRazhN, ZarN) VALUES (?,?,?,?,?)"),
            {id, d, kola, razhN, zarN});
}

QStringList rowTexts(Balans &b, int row)
{
    QStringList out;
    for (int c = 1; c <= 5; ++c)
        out << b.GridEX1->text(row, c);
    return out;
}

} // namespace

class TestBalans : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDb> db;
    QTemporaryDir pdfDir;

    void open(const QString &mode, const QString &from, const QString &to)
    {
        gSeekMode = mode;
        seekPeriod(DiaSeek::instance(), from, to);
        QVERIFY(runTarget(QStringLiteral("Balans")));
        QVERIFY(Balans::instance());
    }
    void writePdf(Report &r, const QString &suffix)
    {
        QVERIFY(QFileInfo(writeReportPdf(r, pdfDir.path(), suffix)).size() > 1000);
    }

private slots:
    void init();
    void cleanup();
    void rules();
    void balanceOfTwoPeriodsAndRebuild();
    void fuelModeAndPrint();
    void keysMoveTheRow();
    void emptyConfig();
    void failedRebuildKeepsTheScreen();
    void commandsReachTheScreen();
};

void TestBalans::init()
{
    db = std::make_unique<TestDb>();
    seedCompanyWithContacts();
    for (const QString &c : {carA, carB, carLong, carD})
        db->exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 30, 20, 24)"), {c});
    // Period 05.01.2010 - 31.01.2010.
    trip(*db, QDate(2010, 1, 5), carA, 100.50);
    trip(*db, QDate(2010, 1, 31), carA, 200.25);
    trip(*db, QDate(2010, 2, 1), carA, 50.0);  // a day after the end
    trip(*db, QDate(2010, 1, 4), carA, 70.0);  // a day before the start
    trip(*db, QDate(2010, 1, 10), carA, QVariant()); // an empty amount counts 0
    trip(*db, QDate(2010, 1, 12), carB, 80.0);
    trip(*db, QDate(2010, 1, 12), QStringLiteral("ХХ0000"), 999.0); // no car of Config
    trip(*db, QDate(2010, 1, 15), carD, 10.0);
    issue(*db, QDate(2010, 1, 5), carA, 30.10);
    issue(*db, QDate(2010, 1, 6), carA, 20.0, "P"); // a receipt is no cost
    issue(*db, QDate(2010, 1, 20), carB, 150.333);
    issue(*db, QDate(2010, 1, 20), QStringLiteral("Ремонт"), 500.0); // not a car
    issue(*db, QDate(2010, 1, 31), carD, 0.5);
    issue(*db, QDate(2010, 1, 31), carD, QVariant());
    waybill(*db, "0000000001", QDate(2010, 1, 5), carA, 45.67, 50.0);
    waybill(*db, "0000000002", QDate(2010, 1, 31), carA, 12.34, QVariant());
    waybill(*db, "0000000003", QDate(2010, 2, 1), carA, 100.0, 100.0);
    waybill(*db, "0000000004", QDate(2010, 1, 9), carB, QVariant(), 0.4);
}

void TestBalans::cleanup()
{
    if (Balans *b = Balans::instance()) {
        b->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QVERIFY(!Balans::instance());
    db.reset();
}

void TestBalans::rules()
{
    QCOMPARE(balansModeOf("PreRazh"), BalansMode::Fuel);
    QCOMPARE(balansModeOf("All"), BalansMode::Money);
    QCOMPARE(shortDateText(QDate(2009, 3, 1)), QStringLiteral("1.3.2009"));
    QCOMPARE(formatBalansFigure(-70.333, BalansMode::Money), QStringLiteral("-70,33лв."));
    QCOMPARE(formatBalansFigure(58.01, BalansMode::Fuel), QStringLiteral("58,0 л"));
    QCOMPARE(balansDifference(0.3, 0.1), 0.2); // 0.19999999999999998 read back at 15 digits
    QCOMPARE(toTenThousandths(150.33335), qint64(1503334));
    QVERIFY(isRazhPlus("0,99лв."));
    QVERIFY(isRazhPlus("-5,00лв."));
    QVERIFY(!isRazhPlus("1,00лв."));
    QVERIFY(!isRazhPlus("1234,00лв."));
}

void TestBalans::balanceOfTwoPeriodsAndRebuild()
{
    MessageCapture msgs;
    open("All", "05.01.2010", "31.01.2010");
    Balans &b = *Balans::instance();
    QVERIFY(msgs.shown.isEmpty());
    QCOMPARE(b.windowTitle(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Баланс"));
    QCOMPARE(b.Text1->text(), QStringLiteral("Печалба за периода 5.1.2010 - 31.1.2010"));
    QCOMPARE(statusText(), QStringLiteral("Справка за печалбата от колите.."));
    QCOMPARE(b.GridEX1->rowCount(), 4);
    // Cars in order; both end days in, the days around out; a receipt, a non-car
    // document kind and a car outside Config count for no car.
    QCOMPARE(rowTexts(b, 0), (QStringList{"1", "ПВ0001", "10,00лв.", "0,50лв.", "9,50лв."}));
    QCOMPARE(rowTexts(b, 1), (QStringList{"2", "ПВ5678", "80,00лв.", "150,33лв.", "-70,33лв."}));
    QCOMPARE(rowTexts(b, 2), (QStringList{"3", "СВ 9999 АК", "0,00лв.", "0,00лв.", "0,00лв."}));
    QCOMPARE(rowTexts(b, 3), (QStringList{"4", "СВ1234", "300,75лв.", "30,10лв.", "270,65лв."}));
    // Costs below 1 draw the row red.
    QCOMPARE(b.GridEX1->rowStyle(0), QStringLiteral("RazhPlus"));
    QCOMPARE(b.GridEX1->rowStyle(1), QString());
    QCOMPARE(b.GridEX1->rowStyle(2), QStringLiteral("RazhPlus"));
    QCOMPARE(b.GridEX1->rowStyle(3), QString());
    // 9.5 - 70.333 + 0 + 270.65
    QCOMPARE(b.Label1->text(), QStringLiteral("Всичко: 209,82лв."));
    QVERIFY(b.Label1->isVisibleTo(&b));
    QCOMPARE(b.GridEX1->Columns(3).caption(), QStringLiteral("Приход"));
    QVERIFY(!ProgDialog::exists() || !ProgDialog::instance().isVisible());
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        b.grab().save(qEnvironmentVariable("KELM_REPORT_LOOK") + "/Balans.png");

    // A later command rebuilding the scratch database leaves the screen's rows alone.
    CreateTempTable(QStringLiteral("TempBalans"));

    // Printing: the money design, with the car whole.
    ReportCapture shown;
    b.cmdPrint->click();
    QCOMPARE(shown.shown.size(), 1);
    QVERIFY(shown.shown[0].modal);
    Report &r = rptBalans();
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка баланс на колите"));
    QCOMPARE(r.controlText("ReportHeader", "Label4"), gFirmName);
    QCOMPARE(r.controlText("ReportHeader", "Label5"), QStringLiteral("Пловдив, ул. Иван Вазов 12"));
    QCOMPARE(r.controlText("ReportHeader", "Label1"), QStringLiteral("Справка"));
    QCOMPARE(r.controlText("ReportHeader", "Label2"), QStringLiteral("за печалбата от колите"));
    QCOMPARE(r.controlText("ReportHeader", "Label3"), QStringLiteral("за периода от 5.1.2010 до 31.1.2010"));
    QCOMPARE(r.controlText("PageHeader", "Label102"), QStringLiteral("Приход"));
    QCOMPARE(r.controlText("PageHeader", "Label203"), QStringLiteral("[лв.]"));
    QCOMPARE(r.controlText("Detail", "Text101", 2), carLong);
    QCOMPARE(r.controlText("Detail", "Text104", 1), QStringLiteral("-70,33лв."));
    QCOMPARE(r.controlText("PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionFull());
    QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("Всичко: 209,82лв."));
    QCOMPARE(r.margin(1), 1440);
    QCOMPARE(r.margin(4), 975);
    writePdf(r, "-money");

    // The mode word changed by another command does not change this screen's print.
    gSeekMode = QStringLiteral("PreRazh");
    b.cmdPrint->click();
    QCOMPARE(r.controlText("ReportHeader", "Label2"), QStringLiteral("за печалбата от колите"));
    QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("Всичко: 209,82лв."));

    // The command again, for another period: the same screen, built anew.
    open("All", "01.02.2010", "28.02.2010");
    QCOMPARE(Balans::instance(), &b);
    QCOMPARE(b.Text1->text(), QStringLiteral("Печалба за периода 1.2.2010 - 28.2.2010"));
    QCOMPARE(rowTexts(b, 3), (QStringList{"4", "СВ1234", "50,00лв.", "0,00лв.", "50,00лв."}));
    QCOMPARE(b.Label1->text(), QStringLiteral("Всичко: 50,00лв."));
}

void TestBalans::fuelModeAndPrint()
{
    MessageCapture msgs;
    // A money total over negative cars first, then the same screen turned to fuel.
    db->exec(QStringLiteral("DELETE FROM tabl"));
    open("All", "05.01.2010", "31.01.2010");
    QCOMPARE(Balans::instance()->Label1->text(), QStringLiteral("Всичко: -180,93лв.")); // -0.5 - 150.333 - 30.10
    open("PreRazh", "05.01.2010", "31.01.2010");
    Balans &b = *Balans::instance();
    QCOMPARE(b.mode(), BalansMode::Fuel);
    QCOMPARE(b.windowTitle(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Разход нафта"));
    QCOMPARE(b.Text1->text(), QStringLiteral("Разход нафта за периода 5.1.2010 - 31.1.2010"));
    QCOMPARE(rowTexts(b, 1), (QStringList{"2", "ПВ5678", "0,0 л", "0,4 л", "-0,4 л"}));
    QCOMPARE(rowTexts(b, 3), (QStringList{"4", "СВ1234", "58,0 л", "50,0 л", "8,0 л"}));
    QCOMPARE(b.GridEX1->rowStyle(1), QStringLiteral("RazhPlus"));
    QCOMPARE(b.GridEX1->rowStyle(3), QString());
    QVERIFY(!b.Label1->isVisibleTo(&b));
    QCOMPARE(b.GridEX1->Columns(3).caption(), QStringLiteral("Изч.разх."));
    QCOMPARE(b.GridEX1->Columns(4).caption(), QStringLiteral("Заредено"));
    QCOMPARE(b.GridEX1->Columns(5).caption(), QStringLiteral("Разлика"));

    ReportCapture shown;
    gSeekMode = QStringLiteral("All"); // the print keeps the loaded mode
    b.cmdPrint->click();
    QCOMPARE(shown.shown.size(), 1);
    Report &r = rptBalans();
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка разход на нафта"));
    QCOMPARE(r.controlText("ReportHeader", "Label2"), QStringLiteral("за разхода на нафта на колите"));
    QCOMPARE(r.controlText("PageHeader", "Label101"), QStringLiteral("Кола №"));
    QCOMPARE(r.controlText("PageHeader", "Label102"), QStringLiteral("Изч.разх."));
    QCOMPARE(r.controlText("PageHeader", "Label103"), QStringLiteral("Заредено"));
    QCOMPARE(r.controlText("PageHeader", "Label104"), QStringLiteral("Разлика"));
    QCOMPARE(r.controlText("PageHeader", "Label204"), QStringLiteral("[ л. ]"));
    QCOMPARE(r.controlText("Detail", "Text102", 3), QStringLiteral("58,0 л"));
    QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("Всичко"));
    QCOMPARE(r.pageCount(), 1);
    writePdf(r, "-fuel");
    QVERIFY(msgs.shown.isEmpty());
}

void TestBalans::keysMoveTheRow()
{
    open("All", "05.01.2010", "31.01.2010");
    Balans &b = *Balans::instance();
    QCOMPARE(b.GridEX1->currentRow(), 0);
    QTest::keyClick(&b, Qt::Key_End);
    QCOMPARE(b.GridEX1->currentRow(), 3);
    QTest::keyClick(&b, Qt::Key_Up);
    QCOMPARE(b.GridEX1->currentRow(), 2);
    QTest::keyClick(&b, Qt::Key_Home);
    QCOMPARE(b.GridEX1->currentRow(), 0);
    QTest::keyClick(&b, Qt::Key_PageDown);
    QCOMPARE(b.GridEX1->currentRow(), 1);
    QTest::keyClick(&b, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(b.GridEX1->currentRow(), 3);
    // Also while the grid has the focus.
    b.GridEX1->sendKey(36);
    QCOMPARE(b.GridEX1->currentRow(), 0);
    b.GridEX1->sendKey(40);
    QCOMPARE(b.GridEX1->currentRow(), 1);
    // Esc closes the screen.
    QTest::keyClick(&b, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Balans::instance());
}

void TestBalans::emptyConfig()
{
    MessageCapture msgs;
    db->exec(QStringLiteral("DELETE FROM Config"));
    open("All", "05.01.2010", "31.01.2010");
    Balans &b = *Balans::instance();
    QCOMPARE(b.GridEX1->rowCount(), 0);
    QCOMPARE(b.Label1->text(), QStringLiteral("Всичко: 0,00лв."));
    QVERIFY(!ProgDialog::exists() || !ProgDialog::instance().isVisible());
    QVERIFY(msgs.shown.isEmpty());
    ReportCapture shown;
    b.cmdPrint->click();
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(rptBalans().data().rowCount(), 0);
}

void TestBalans::failedRebuildKeepsTheScreen()
{
    MessageCapture msgs;
    open("All", "05.01.2010", "31.01.2010");
    Balans &b = *Balans::instance();
    const QString title = b.windowTitle();
    const QString header = b.Text1->text();
    const QStringList row3 = rowTexts(b, 3);
    QVERIFY(msgs.shown.isEmpty());

    // Справки > Разход нафта while the balance is open, and the waybills cannot be read.
    db->exec(QStringLiteral("ALTER TABLE RowdList RENAME TO RowdListGone"));
    gSeekMode = QStringLiteral("PreRazh");
    seekPeriod(DiaSeek::instance(), QStringLiteral("01.02.2010"), QStringLiteral("28.02.2010"));
    QVERIFY(runTarget(QStringLiteral("Balans")));
    QCOMPARE(Balans::instance(), &b);
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ГРЕШКА!"));
    QVERIFY2(msgs.lastText().startsWith(QStringLiteral("Справката „Разход нафта“ за периода 1.2.2010 - 28.2.2010 "
                                                       "не е изготвена.")),
             qPrintable(msgs.lastText()));
    QVERIFY2(msgs.lastText().contains(QStringLiteral("3001:")), qPrintable(msgs.lastText()));

    // The screen is the balance it was: title, header, mode, rows, total and columns.
    QCOMPARE(b.windowTitle(), title);
    QCOMPARE(b.Text1->text(), header);
    QCOMPARE(b.mode(), BalansMode::Money);
    QCOMPARE(b.GridEX1->rowCount(), 4);
    QCOMPARE(rowTexts(b, 3), row3);
    QCOMPARE(b.GridEX1->rowStyle(0), QStringLiteral("RazhPlus"));
    QCOMPARE(b.Label1->text(), QStringLiteral("Всичко: 209,82лв."));
    QVERIFY(b.Label1->isVisibleTo(&b));
    QCOMPARE(b.GridEX1->Columns(3).caption(), QStringLiteral("Приход"));

    // Its print is the balance too, never a fuel title over money.
    ReportCapture shown;
    b.cmdPrint->click();
    QCOMPARE(shown.shown.size(), 1);
    Report &r = rptBalans();
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка баланс на колите"));
    QCOMPARE(r.controlText("ReportHeader", "Label2"), QStringLiteral("за печалбата от колите"));
    QCOMPARE(r.controlText("ReportHeader", "Label3"), QStringLiteral("за периода от 5.1.2010 до 31.1.2010"));
    QCOMPARE(r.controlText("PageHeader", "Label102"), QStringLiteral("Приход"));
    QCOMPARE(r.controlText("Detail", "Text104", 3), row3.at(4));
    QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("Всичко: 209,82лв."));

    // Readable again, the command builds the fuel screen.
    db->exec(QStringLiteral("ALTER TABLE RowdListGone RENAME TO RowdList"));
    QVERIFY(runTarget(QStringLiteral("Balans")));
    QCOMPARE(b.mode(), BalansMode::Fuel);
    QCOMPARE(b.Text1->text(), QStringLiteral("Разход нафта за периода 1.2.2010 - 28.2.2010"));
    QCOMPARE(rowTexts(b, 3), (QStringList{"4", "СВ1234", "100,0 л", "100,0 л", "0,0 л"}));
}

void TestBalans::commandsReachTheScreen()
{
    // Справки > Разход нафта: the period dialog, then the screen in the fuel mode.
    SeekDialog::setTestAnswer([](SeekDialog &d) {
        d.show();
        typeText(d.Text1_0, QStringLiteral("05.01.2010"));
        typeText(d.Text1_1, QStringLiteral("31.01.2010"));
        QTest::mouseClick(d.OKButton, Qt::LeftButton);
    });
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprPreRazh")));
    QVERIFY(Balans::instance());
    QCOMPARE(Balans::instance()->mode(), BalansMode::Fuel);
    QCOMPARE(Balans::instance()->GridEX1->text(3, 3), QStringLiteral("58,0 л"));
    // Справки > Баланс на колите while it is open: the same screen, now the balance.
    Balans *first = Balans::instance();
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprBalanc")));
    SeekDialog::setTestAnswer(nullptr);
    QCOMPARE(Balans::instance(), first);
    QCOMPARE(first->mode(), BalansMode::Money);
    QCOMPARE(first->GridEX1->text(3, 3), QStringLiteral("300,75лв."));
    QCOMPARE(statusText(), QStringLiteral("Справка за печалбата от колите.."));
}

QTEST_MAIN(TestBalans)
#include "test_balans.moc"
