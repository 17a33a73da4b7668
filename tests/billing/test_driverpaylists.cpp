// A driver's paid and unpaid trips of a period (rptNePlaten).
#include "billing/driverpayreports.h"
#include "dialogs/diaseekalt.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/version.h"
#include "printing/report.h"
#include "reportcheck.h"
#include "common/globals.h"
#include "scratch/temptable.h"
#include "shell/targets.h"
#include "testdb.h"
#include "seed.h"

#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelm;

namespace {

void addTrip(TestDb &db, const QDate &d, const QString &kod, const QString &marsh, double tarifa, double neto,
             const QVariant &plat)
{
    db.exec(QStringLiteral("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, neto, "
                           "plat) VALUES (?,'СВ 1111 АА',?,'Клиент',?,'Чакъл',87,18.25,?,?,?,?)"),
            {d, kod, marsh, tarifa, neto / 0.97, neto, plat});
}

} // namespace

class TestDriverPayLists : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDb> db;
    QTemporaryDir pdfDir;

    QString text(const char *section, const char *control)
    {
        return rptNePlaten().controlText(QLatin1String(section), QLatin1String(control));
    }

private Q_SLOTS:
    void init();
    void cleanup() { db.reset(); }
    void paidAndUnpaidAreDisjoint();
    void unpaidListInFull();
    void emptyListsAreTold();
    void widestValuesFit();
};

void TestDriverPayLists::init()
{
    db = std::make_unique<TestDb>();
    CreateTempTable(QStringLiteral("TempPlaten"));
    seedCompanyWithContacts(QStringLiteral(" "), QStringLiteral(" "));
    // Driver "0'1" (a quote in the code); one day with three routes in
    // alphabetical disorder; both end days; an empty flag counts as unpaid.
    const QString k = QStringLiteral("0'1");
    addTrip(*db, QDate(2010, 5, 31), k, "Ямбол - Сливен", 0.125, 100.005, false);
    addTrip(*db, QDate(2010, 5, 12), k, "Ямбол - Бургас", 0.1, 10, false);
    addTrip(*db, QDate(2010, 5, 12), k, "бургас - Варна", 0.1, 20, QVariant());
    addTrip(*db, QDate(2010, 5, 12), k, "Антоново - Шумен", 0.1, 30, false);
    addTrip(*db, QDate(2010, 5, 1), k, "Първи ден", 0.2, 40.5, true);
    addTrip(*db, QDate(2010, 5, 20), k, "Платен", 0.2, 50, true);
    addTrip(*db, QDate(2010, 4, 30), k, "Преди", 0.2, 60, false);
    addTrip(*db, QDate(2010, 6, 1), k, "След", 0.2, 60, true);
    addTrip(*db, QDate(2010, 5, 20), "002", "Друг", 0.2, 70, false);
    DiaSeekAlt &d = DiaSeekAlt::instance();
    d.lYes = true;
    d.ShofKod = k;
    d.ShofName = QStringLiteral("Петър Д'Арков");
    seekPeriod(d, QStringLiteral("1.5.2010"), QStringLiteral("31.05.2010"));
}

void TestDriverPayLists::paidAndUnpaidAreDisjoint()
{
    MessageCapture msgs;
    ReportCapture shown;
    QVERIFY(runTarget(QStringLiteral("PrintDriverTrips"), true));
    Report &r = rptNePlaten();
    const QStringList paid = detailColumn(r, "Text103");
    QCOMPARE(paid, (QStringList{"Първи ден", "Платен"}));
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка платени курсове"));
    QCOMPARE(text("ReportFooter", "Label8"), QStringLiteral("Всичко: 90,50 лв."));
    QVERIFY(runTarget(QStringLiteral("PrintDriverTrips"), false));
    const QStringList unpaid = detailColumn(r, "Text103");
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка неплатени курсове"));
    QCOMPARE(unpaid.size(), 4);
    QVERIFY(QSet<QString>(paid.begin(), paid.end()).intersect(QSet<QString>(unpaid.begin(), unpaid.end())).isEmpty());
    // Together: every trip of the driver in the period.
    QCOMPARE(paid.size() + unpaid.size(), 6);
    QCOMPARE(shown.shown.size(), 2);
    QVERIFY(shown.shown[0].modal && shown.shown[1].modal);
    QCOMPARE(shown.shown[1].design, QStringLiteral("rptNePlaten"));
    QVERIFY(msgs.shown.isEmpty());
    QCOMPARE(statusText(), QStringLiteral("Справка за курсове..."));
}

void TestDriverPayLists::unpaidListInFull()
{
    MessageCapture msgs;
    ReportCapture shown;
    PrintDriverTrips(false);
    Report &r = rptNePlaten();
    QCOMPARE(detailColumn(r, "Text100"), (QStringList{"1", "2", "3", "4"}));
    // One day's trips by route, in alphabetical order whatever the case.
    QCOMPARE(detailColumn(r, "Text101"), (QStringList{"12.05.2010", "12.05.2010", "12.05.2010", "31.05.2010"}));
    QCOMPARE(detailColumn(r, "Text103"),
             (QStringList{"Антоново - Шумен", "бургас - Варна", "Ямбол - Бургас", "Ямбол - Сливен"}));
    QCOMPARE(detailColumn(r, "Text102").first(), QStringLiteral("СВ 1111 АА"));
    QCOMPARE(detailColumn(r, "Text104").first(), QStringLiteral("Чакъл"));
    // Tons to three decimals, kilometres whole, the tariff to two or as held.
    QCOMPARE(detailColumn(r, "Text105").first(), QStringLiteral("18,250"));
    QCOMPARE(detailColumn(r, "Text106").first(), QStringLiteral("87"));
    QCOMPARE(detailColumn(r, "Text107"), (QStringList{"0,10", "0,10", "0,10", "0,125"}));
    // 100,005 prints 100,01, and the total adds the amounts as printed.
    QCOMPARE(detailColumn(r, "Text108"), (QStringList{"30,00", "20,00", "10,00", "100,01"}));
    QCOMPARE(text("ReportFooter", "Label8"), QStringLiteral("Всичко: 160,01 лв."));
    QCOMPARE(text("ReportHeader", "Label1"), gFirmName);
    QCOMPARE(text("ReportHeader", "Label2"), QStringLiteral("Пловдив, ул. Иван Вазов 12"));
    QCOMPARE(text("ReportHeader", "Label9"), QStringLiteral("тел:032 123456, факс:0888 123456, E-mail: , URL:http// "));
    QCOMPARE(text("ReportHeader", "Label3"), QStringLiteral("Извлечение"));
    QCOMPARE(text("ReportHeader", "Label4"), QStringLiteral("за курсовете на Петър Д'Арков"));
    QCOMPARE(text("ReportHeader", "Label5"), QStringLiteral("за периода от 01.05.2010 до 31.05.2010"));
    QCOMPARE(text("PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionShort());
    QCOMPARE(r.margin(1), 1000);
    QCOMPARE(r.margin(2), 567);
    QCOMPARE(r.margin(3), 567);
    QCOMPARE(r.margin(4), 1000);
    const QStringList cut = reportTextsCut(r);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    QVERIFY(QFileInfo(writeReportPdf(r, pdfDir.path())).size() > 1000);
    // The staged rows hold the amounts as ready-made texts.
    Connection temp;
    temp.open(gTempConnStr);
    QCOMPARE(temp.scalar("SELECT Tarifa FROM TempPlaten WHERE Red=4").toString(), QStringLiteral("0,125"));
    QCOMPARE(temp.scalar("SELECT count(*) FROM TempPlaten").toInt(), 4);
}

void TestDriverPayLists::emptyListsAreTold()
{
    MessageCapture msgs;
    ReportCapture shown;
    DiaSeekAlt::instance().ShofKod = QStringLiteral("002");
    PrintDriverTrips(true);
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма платени курсове!"));
    DiaSeekAlt::instance().ShofKod = QStringLiteral("003");
    PrintDriverTrips(false);
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма неплатени курсове!"));
    QCOMPARE(msgs.shown.size(), 2);
    QVERIFY(shown.shown.isEmpty());
}

void TestDriverPayLists::widestValuesFit()
{
    // Full-length texts and large but possible amounts, over several pages.
    db->exec("DELETE FROM tabl");
    for (int i = 0; i < 70; ++i)
        db->exec("INSERT INTO tabl (Data, kola, kod, Marsh, Tovar, km, ton, Tarifa, neto, plat) "
                 "VALUES (?, 'ХМ 8888 ХМ Р', '0''1', 'Велико Търново - Шумен ЖП', 'Строителни материали - ЖБ', "
                 "3999, 39.999, 0.999, 99999.99, 0)",
                 {QDate(2010, 5, 1 + i % 31)});
    MessageCapture msgs;
    ReportCapture shown;
    PrintDriverTrips(false);
    Report &r = rptNePlaten();
    QCOMPARE(r.data().rowCount(), 70);
    QVERIFY(r.pageCount() >= 2);
    QCOMPARE(text("ReportFooter", "Label8"), QStringLiteral("Всичко: 6999999,30 лв."));
    const QStringList cut = reportTextsCut(r);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    writeReportPdf(r, pdfDir.path(), QStringLiteral("-long"));
}

QTEST_MAIN(TestDriverPayLists)
#include "test_driverpaylists.moc"
