// The pay rule, the car table, the driver's papers, totals as printed, and the
// pay statement rptZaplata with its receipt.
#include "billing/driverpayreports.h"
#include "billing/pay.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "platform/version.h"
#include "printing/report.h"
#include "reportcheck.h"
#include "common/globals.h"
#include "scratch/temptable.h"
#include "shell/targets.h"
#include "testdb.h"
#include "seed.h"

#include <QFontMetricsF>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelm;

namespace {

const QString kCar = QStringLiteral("СВ 1111 АА");

void addTrip(TestDb &db, const QDate &d, const QString &kola, const QString &kod, const QVariant &ton,
             const QVariant &bruto, const QVariant &plat, const QString &marsh = QStringLiteral("София - Варна"))
{
    db.exec(QStringLiteral("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, neto, "
                           "plat) VALUES (?,?,?,'Д''Арк ООД',?,'Пясък',450,?,0.1,?,?,?)"),
            {d, kola, kod, marsh, ton, bruto, bruto.isNull() ? QVariant() : QVariant(bruto.toDouble() * 0.97), plat});
}

} // namespace

class TestPay : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDb> db;
    QTemporaryDir pdfDir;

    void seek(const QString &kod, const QString &name, const QString &from, const QString &to)
    {
        DiaSeek &d = DiaSeek::instance();
        d.lYes = true;
        d.ShofKod = kod;
        d.ShofName = name;
        seekPeriod(d, from, to);
    }
    QString text(const char *section, const char *control)
    {
        return rptZaplata().controlText(QLatin1String(section), QLatin1String(control));
    }

private Q_SLOTS:
    void init();
    void cleanup() { db.reset(); }
    void payRuleOfTheExample();
    void carTableLastMatchWins();
    void totalsAreSumsOfPrintedAmounts();
    void receiptTexts();
    void statementOfTheExample();
    void statementStopsWithoutPercentage();
    void statementNeedsTheDriversRowAndTrips();
    void receiptCarriesEachDriversOwnPapers();
    void longStatementKeepsTheReceiptWhole();
};

void TestPay::init()
{
    db = std::make_unique<TestDb>();
    CreateTempTable(QStringLiteral("TempZaplata"));
    seedCompanyWithContacts();
    // Two drivers of one name, each with his own papers.
    addDriver(*db, "001", "Иван Петров", "7501011234", "123456789");
    addDriver(*db, "002", "Иван Петров", "8002021111", "987654321");
    db->exec("INSERT INTO Config (kola, Procent, Ton) VALUES (?, 20, 20)", {kCar});
}

void TestPay::payRuleOfTheExample()
{
    // bruto 500, 20 %, nominal 20 t.
    QCOMPARE(Round(driverPay(500, 20, 20, 20), 2), 100.0);
    QCOMPARE(Round(driverPay(500, 20, 20, 20.9), 2), 100.0);
    QCOMPARE(Round(driverPay(500, 20, 20, 22.5), 2), 60.0);
    QCOMPARE(Round(driverPay(500, 20, 20, 25), 2), 0.0);
    QCOMPARE(Round(driverPay(500, 20, 20, 26), 2), -20.0);
    QCOMPARE(Round(driverPay(500, 20, 20, 12), 2), 100.0);
    QCOMPARE(overloadTons(21, 20), 1);
    QCOMPARE(overloadTons(20.999, 20), 0);
    // One ton over even where the two doubles differ by a hair less than one.
    QVERIFY(16.4 - 15.4 < 1.0);
    QCOMPARE(overloadTons(16.4, 15.4), 1);
    QCOMPARE(overloadTons(20.4, 15.4), 5);
    // A car of nominal load 0: every whole ton counts.
    QCOMPARE(overloadTons(3.5, 0), 3);
    QCOMPARE(Round(driverPay(500, 20, 0, 3.5), 2), 40.0);
}

void TestPay::carTableLastMatchWins()
{
    // Car numbers match trimmed and with case; of two rows for one car the later wins.
    db->exec("INSERT INTO Config (kola, Procent, Ton) VALUES (' СВ 2222 ВВ ', 10, 10)");
    db->exec("INSERT INTO Config (kola, Procent, Ton) VALUES ('СВ 2222 ВВ', 30, 15)");
    db->exec("INSERT INTO Config (kola, Procent, Ton) VALUES ('СВ 3333 ВВ', NULL, NULL)");
    const QVector<CarRate> rates = readCarRates(db->conn());
    QCOMPARE(rates.size(), 4);
    const CarRate *r = findCarRate(rates, QStringLiteral("СВ 2222 ВВ  "));
    QVERIFY(r);
    QCOMPARE(r->procent, 30.0);
    QCOMPARE(r->ton, 15.0);
    QVERIFY(!findCarRate(rates, QStringLiteral("св 2222 вв")));
    QVERIFY(!findCarRate(rates, QStringLiteral("СВ 9999 ВВ")));
    // An empty percentage reads as 0.
    QCOMPARE(findCarRate(rates, QStringLiteral("СВ 3333 ВВ"))->procent, 0.0);
    QCOMPARE(noPercentMessage(QStringLiteral("СВ 3333 ВВ")), QStringLiteral("Няма зададен процент за кола № СВ 3333 ВВ !"));
}

void TestPay::totalsAreSumsOfPrintedAmounts()
{
    PrintedSum s;
    // Three rows of 33,3335 print 33,33 each: the driver adds up 99,99.
    for (int i = 0; i < 3; ++i)
        s.add(33.3335);
    QCOMPARE(s.text(), QStringLiteral("99,99"));
    // The way the row prints: 2,675 shows 2,68.
    QCOMPARE(printedCents(2.675), qint64(268));
    QCOMPARE(printedCents(-20.004), qint64(-2000));
    s.add(0.1);
    s.subtract(0.1);
    QCOMPARE(s.cents(), qint64(9999));
    s.clear();
    s.add(0.1);
    s.add(0.2);
    s.subtract(0.3);
    QCOMPARE(s.text(), QStringLiteral("0,00"));
}

void TestPay::receiptTexts()
{
    const QDate today(2010, 2, 5);
    QCOMPARE(receiptNumberLine(today), QStringLiteral("Разписка №_____ / 05.02.2010"));
    QCOMPARE(receiptDriverLine(QStringLiteral("Иван Петров"), {QStringLiteral("7501011234"), QStringLiteral("123456789")}),
             QStringLiteral("от Иван Петров с ЕГН 7501011234 и л.к.№ 123456789"));
    QCOMPARE(receiptText(today, QStringLiteral("240,00"), QStringLiteral("Д'Арк Транс ООД")),
             QStringLiteral("         Днес 05.02.2010 получих сумата от 240,00 лева за извършените от мен курсове "
                            "за фирма Д'Арк Транс ООД съгласно горното извлечение."));
    const QString sig = receiptSignatureLine();
    QCOMPARE(sig.size(), 76 + 8 + 32);
    QVERIFY(sig.startsWith(QString(76, QLatin1Char(' ')) + QStringLiteral("Подпис: ...")));
    QVERIFY(sig.endsWith(QString(32, QLatin1Char('.'))));
    QCOMPARE(earnedTotalLine(QStringLiteral("-20,00")), QStringLiteral("Всичко заработка: -20,00 лв."));
}

void TestPay::statementOfTheExample()
{
    // The example's loads, both end days of the period, and trips that stay out.
    addTrip(*db, QDate(2010, 3, 1), kCar, "001", 20, 500, false);
    addTrip(*db, QDate(2010, 3, 10), kCar, "001", 20.9, 500, QVariant());
    addTrip(*db, QDate(2010, 3, 12), kCar, "001", 22.5, 500, false);
    addTrip(*db, QDate(2010, 3, 20), kCar, "001", 25, 500, false);
    addTrip(*db, QDate(2010, 3, 31), kCar, "001", 26, 500, false);
    addTrip(*db, QDate(2010, 3, 15), kCar, "001", QVariant(), 500, false); // no load: pays the base
    addTrip(*db, QDate(2010, 3, 15), kCar, "001", 20, 800, true);          // paid already
    addTrip(*db, QDate(2010, 2, 28), kCar, "001", 20, 800, false);         // before the period
    addTrip(*db, QDate(2010, 4, 1), kCar, "001", 20, 800, false);          // after it
    addTrip(*db, QDate(2010, 3, 15), kCar, "002", 20, 800, false);         // the other driver
    MessageCapture msgs;
    ReportCapture shown;
    seek("001", "Иван Петров", "1.3.2010", "31.03.2010");
    QVERIFY(runTarget(QStringLiteral("PrintDriverSalary")));
    QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.lastText()));
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(shown.shown[0].design, QStringLiteral("rptZaplata"));
    QVERIFY(shown.shown[0].modal);
    Report &r = rptZaplata();
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Заплата"));
    QCOMPARE(detailColumn(r, "Text100"), (QStringList{"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(detailColumn(r, "Text101"),
             (QStringList{"01.03.2010", "10.03.2010", "12.03.2010", "15.03.2010", "20.03.2010", "31.03.2010"}));
    QCOMPARE(detailColumn(r, "Text105"), (QStringList{"20,000", "20,900", "22,500", "0,000", "25,000", "26,000"}));
    QCOMPARE(detailColumn(r, "Text107"), (QStringList{"500,00", "500,00", "500,00", "500,00", "500,00", "500,00"}));
    QCOMPARE(detailColumn(r, "Text108"), (QStringList{"100,00", "100,00", "60,00", "100,00", "0,00", "-20,00"}));
    QCOMPARE(detailColumn(r, "Text102").first(), kCar);
    QCOMPARE(detailColumn(r, "Text106").first(), QStringLiteral("450"));
    // Nothing of the statement is written back to the trips.
    QCOMPARE(db->scalar("SELECT count(*) FROM tabl WHERE plat=1").toInt(), 1);
    // Margins, header, footer, receipt.
    QCOMPARE(r.margin(1), 990);
    QCOMPARE(r.margin(2), 567);
    QCOMPARE(r.margin(3), 567);
    QCOMPARE(r.margin(4), 1000);
    QCOMPARE(text("ReportHeader", "Label1"), gFirmName);
    QCOMPARE(text("ReportHeader", "Label2"), QStringLiteral("Пловдив, ул. Иван Вазов 12"));
    QCOMPARE(text("ReportHeader", "Label9"),
             QStringLiteral("тел:032 123456, факс:0888 123456, E-mail:office@darc.bg, URL:http//www.darc.bg"));
    QCOMPARE(text("ReportHeader", "Label3"), QStringLiteral("Извлечение"));
    QCOMPARE(text("ReportHeader", "Label4"), QStringLiteral("за курсовете на Иван Петров"));
    QCOMPARE(text("ReportHeader", "Label5"), QStringLiteral("за периода от 01.03.2010 до 31.03.2010"));
    QCOMPARE(text("PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionShort());
    const QString today = formatDate(QDate::currentDate());
    QCOMPARE(text("ReportFooter", "Label8"), QStringLiteral("Всичко заработка: 340,00 лв."));
    QCOMPARE(text("ReportFooter", "Label500"), QStringLiteral("Разписка №_____ / ") + today);
    QCOMPARE(text("ReportFooter", "Label501"), QStringLiteral("от Иван Петров с ЕГН 7501011234 и л.к.№ 123456789"));
    QCOMPARE(text("ReportFooter", "Label502"), QStringLiteral("         Днес ") + today
                 + QStringLiteral(" получих сумата от 340,00 лева за извършените от мен курсове за фирма "
                                  "Д'Арк Транс ООД съгласно горното извлечение."));
    QCOMPARE(text("ReportFooter", "Label503"), receiptSignatureLine());
    QCOMPARE(r.pageCount(), 1);
    QVERIFY(r.page(0).reportFooter);
    const QStringList cut = reportTextsCut(r);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    // The receipt text runs on over several lines of its box, none cut off.
    for (const ReportItem &it : r.pageItems(0)) {
        if (it.control != QLatin1String("Label502"))
            continue;
        QVERIFY(it.wordWrap);
        QVERIFY(QFontMetricsF(reportItemFont(it)).horizontalAdvance(it.text) > 1.5 * reportTextRoom(it));
    }
    // The signature line stands in the right part of the page.
    for (const ReportItem &it : r.pageItems(0)) {
        if (it.control != QLatin1String("Label503"))
            continue;
        const QFontMetricsF fm(reportItemFont(it));
        const double signatureAt = it.rect.left() + kReportBoxPad + fm.horizontalAdvance(QString(76, QLatin1Char(' ')));
        QVERIFY(signatureAt > r.margin(1) + r.reportWidth() * 0.4);
    }
    QVERIFY(QFileInfo(writeReportPdf(r, pdfDir.path())).size() > 1000);

    // The rows as staged: the pay rounded, the gross amount as it is.
    Connection temp;
    temp.open(gTempConnStr);
    QCOMPARE(temp.scalar("SELECT count(*) FROM TempZaplata").toInt(), 6);
    QCOMPARE(temp.scalar("SELECT Zaplata FROM TempZaplata WHERE Red=6").toDouble(), -20.0);
    QCOMPARE(temp.scalar("SELECT Suma FROM TempZaplata WHERE Red=1").toDouble(), 500.0);

    // A second run stages only its own rows; rounded amounts add up as printed.
    db->exec("DELETE FROM tabl");
    for (int i = 0; i < 3; ++i)
        addTrip(*db, QDate(2010, 3, 5 + i), kCar, "001", 10, 166.666, false);
    QVERIFY(runTarget(QStringLiteral("PrintDriverSalary")));
    QCOMPARE(detailColumn(r, "Text108"), (QStringList{"33,33", "33,33", "33,33"}));
    QCOMPARE(text("ReportFooter", "Label8"), QStringLiteral("Всичко заработка: 99,99 лв."));
    QVERIFY(text("ReportFooter", "Label502").contains(QStringLiteral(" получих сумата от 99,99 лева ")));
    QCOMPARE(temp.scalar("SELECT count(*) FROM TempZaplata").toInt(), 3);
}

void TestPay::statementStopsWithoutPercentage()
{
    db->exec("INSERT INTO Config (kola, Procent, Ton) VALUES ('СВ 0000 НП', 0, 20)");
    db->exec("INSERT INTO Config (kola, Procent, Ton) VALUES ('СВ 0000 ПР', NULL, 20)");
    seek("001", "Иван Петров", "01.03.2010", "31.03.2010");
    const struct {
        const char *car;
    } cases[] = {{"СВ 0000 НП"}, {"СВ 0000 ПР"}, {"ХХ 9999 ХХ"}};
    for (const auto &c : cases) {
        db->exec("DELETE FROM tabl");
        addTrip(*db, QDate(2010, 3, 1), kCar, "001", 20, 500, false);
        addTrip(*db, QDate(2010, 3, 2), QString::fromUtf8(c.car), "001", 20, 500, false);
        addTrip(*db, QDate(2010, 3, 3), kCar, "001", 20, 500, false);
        MessageCapture msgs;
        ReportCapture shown;
        PrintDriverSalary();
        QCOMPARE(msgs.shown.size(), 1);
        QCOMPARE(msgs.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(msgs.lastText(),
                 QStringLiteral("Няма зададен процент за кола № ") + QString::fromUtf8(c.car) + QStringLiteral(" !"));
        QVERIFY(shown.shown.isEmpty());
    }
    // An empty car table stops at the first trip.
    db->exec("DELETE FROM Config");
    MessageCapture msgs;
    ReportCapture shown;
    PrintDriverSalary();
    QCOMPARE(msgs.lastText(), noPercentMessage(kCar));
    QVERIFY(shown.shown.isEmpty());
}

void TestPay::statementNeedsTheDriversRowAndTrips()
{
    addTrip(*db, QDate(2010, 3, 1), kCar, "009", 20, 500, false);
    MessageCapture msgs;
    ReportCapture shown;
    // A code with no driver row.
    seek("009", "Иван Петров", "01.03.2010", "31.03.2010");
    PrintDriverSalary();
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма данни за шофьора!"));
    // A driver with nothing unpaid in the period.
    seek("002", "Иван Петров", "01.03.2010", "31.03.2010");
    PrintDriverSalary();
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма курсове за плащане!"));
    QCOMPARE(msgs.shown.size(), 2);
    QVERIFY(shown.shown.isEmpty());
}

void TestPay::receiptCarriesEachDriversOwnPapers()
{
    addTrip(*db, QDate(2010, 3, 1), kCar, "001", 20, 500, false);
    addTrip(*db, QDate(2010, 3, 2), kCar, "002", 20, 400, false);
    QCOMPARE(readDriverPapers(db->conn(), "002")->egn, QStringLiteral("8002021111"));
    QVERIFY(!readDriverPapers(db->conn(), "003"));
    MessageCapture msgs;
    ReportCapture shown;
    seek("002", "Иван Петров", "01.03.2010", "31.03.2010");
    PrintDriverSalary();
    QCOMPARE(text("ReportFooter", "Label501"), QStringLiteral("от Иван Петров с ЕГН 8002021111 и л.к.№ 987654321"));
    QCOMPARE(text("ReportFooter", "Label8"), QStringLiteral("Всичко заработка: 80,00 лв."));
    seek("001", "Иван Петров", "01.03.2010", "31.03.2010");
    PrintDriverSalary();
    QCOMPARE(text("ReportFooter", "Label501"), QStringLiteral("от Иван Петров с ЕГН 7501011234 и л.к.№ 123456789"));
    QCOMPARE(shown.shown.size(), 2);
}

void TestPay::longStatementKeepsTheReceiptWhole()
{
    // Trips until the receipt no longer fits under the last rows and takes a page of its own.
    const QString route = QStringLiteral("Велико Търново - Шумен ЖП");
    const QString car = QStringLiteral("ХМ 8888 ХМ Р");
    db->exec("INSERT INTO Config (kola, Procent, Ton) VALUES (?, 22.5, 40)", {car});
    gFirmName = QStringLiteral("Международни Превози и Строителни Материали ЕООД");
    MessageCapture msgs;
    ReportCapture shown;
    seek("001", "Христо Стоянов Богомилов", "01.12.2010", "31.12.2010");
    Report &r = rptZaplata();
    int trips = 0;
    for (; trips < 200; ++trips) {
        addTrip(*db, QDate(2010, 12, 1 + trips % 31), car, "001", 39.999, 9999.99, false, route);
        db->exec("UPDATE tabl SET Tovar='Строителни материали - ЖБ', km=3999");
        if (trips < 60)
            continue;
        CreateTempTable(QStringLiteral("TempZaplata"));
        PrintDriverSalary();
        if (r.page(r.pageCount() - 1).rowCount == 0)
            break;
    }
    QCOMPARE(r.data().rowCount(), trips + 1);
    QVERIFY(r.pageCount() >= 2);
    const int last = r.pageCount() - 1;
    QVERIFY(r.page(last).reportFooter);
    QSet<QString> receipt;
    const double bottom = r.paperHeight() - r.margin(4) - r.findSection("PageFooter")->height();
    for (const ReportItem &it : r.pageItems(last)) {
        if (it.section != QLatin1String("ReportFooter"))
            continue;
        receipt.insert(it.control);
        QVERIFY(it.rect.bottom() <= bottom + 0.5);
    }
    QVERIFY((QSet<QString>{"Label8", "Label500", "Label501", "Label502", "Label503"}).subtract(receipt).isEmpty());
    // The receipt's page has no rows, so no column captions either.
    QCOMPARE(r.page(last).rowCount, 0);
    for (const ReportItem &it : r.pageItems(last))
        QVERIFY2(it.section != QLatin1String("PageHeader"), qPrintable(it.control));
    const QStringList cut = reportTextsCut(r);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    writeReportPdf(r, pdfDir.path(), QStringLiteral("-long"));
}

QTEST_MAIN(TestPay)
#include "test_pay.moc"
