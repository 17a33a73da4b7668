#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "platform/bulkrows.h"
#include "platform/database.h"
#include "platform/version.h"
#include "printing/report.h"
#include "reports/waybillreport.h"
#include "fleet/rowdlist.h"
#include "platform/grid.h"
#include "reports/balans.h"
#include "scratch/temptable.h"
#include "shell/targets.h"
#include "reportcheck.h"
#include "testdb.h"
#include "seed.h"

#include <QDir>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QtTest>

using namespace kelm;

namespace {

const QString carA = QStringLiteral("СВ 1234 АК");
const QString carB = QStringLiteral("ПВ 5678 ВВ");
// Longer than the old scratch field's 30 characters.
const QString longRoute = QStringLiteral("Пловдив - Стара Загора - Бургас - Русе");

void sheet(TestDb &db, const char *id, const QDate &d, const QString &kola, const QVariant &zarN,
           const QVariant &endKm, const QVariant &sumKm, const QVariant &sumRazhN)
{
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, ZarN, EndKM, SumKM, SumRazhN) "
                           "VALUES (?,?,?,?,?,?,?)"),
            {QLatin1String(id), d, kola, zarN, endKm, sumKm, sumRazhN});
}

void leg(TestDb &db, const char *id, const QString &route, double km, double ton, double razhN, const QVariant &koef)
{
    db.exec(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, RazhN, Koef) VALUES (?,?,?,?,?,?)"),
            {QLatin1String(id), route, km, ton, razhN, koef});
}

QStringList row(Report &r, int i)
{
    QStringList out;
    for (int c = 100; c <= 107; ++c)
        out << r.controlText("Detail", QStringLiteral("Text%1").arg(c), i);
    return out;
}

} // namespace

class TestWaybillReport : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDb> db;
    QTemporaryDir pdfDir;

    void run(const QString &car, const QString &from, const QString &to)
    {
        DiaSeek &d = DiaSeek::instance();
        d.lYes = true;
        d.Kola = car;
        seekPeriod(d, from, to);
        CreateTempTable(QStringLiteral("TempRowdList"));
        QVERIFY(runTarget(QStringLiteral("PrintWaybillReport")));
    }
    int staged()
    {
        Connection t;
        t.open(gTempConnStr);
        return t.scalar(QStringLiteral("SELECT count(*) FROM TempRowdList")).toInt();
    }

private slots:
    void init();
    void cleanup() { db.reset(); }
    void rules();
    void oneCar();
    void allCars();
    void emptyResult();
    void bulkAppend();
    void printedTotalsAreThoseOfTheLegs();
};

void TestWaybillReport::init()
{
    db = std::make_unique<TestDb>();
    seedCompany();
    // Period 05.01.2010 - 31.01.2010.
    sheet(*db, "0000000001", QDate(2010, 1, 5), carA, 45.25, 123456, 300.0, 75.5);
    leg(*db, "0000000001", QStringLiteral("София - Пловдив"), 150, 20, 37.75, 0.0);
    leg(*db, "0000000001", longRoute, 100, 22.5, 27.5, 12.5);
    leg(*db, "0000000001", QStringLiteral("Бургас - София"), 50, 0, 10.25, QVariant());
    sheet(*db, "0000000003", QDate(2010, 1, 20), carA, QVariant(), QVariant(), 100.0, QVariant());
    leg(*db, "0000000003", QStringLiteral("Пловдив - Хасково"), 100, 10, 25, 0.0);
    sheet(*db, "0000000002", QDate(2010, 1, 31), carB, 0.0, 88000, QVariant(), 20.0); // no legs
    sheet(*db, "0000000004", QDate(2010, 2, 1), carA, 60.0, 124000, 500.0, 90.0);    // after the period
    leg(*db, "0000000004", QStringLiteral("София - Русе"), 500, 0, 90, 0.0);
}

void TestWaybillReport::rules()
{
    QCOMPARE(waybillNumberText(1), QStringLiteral(" 1."));
    QCOMPARE(waybillNumberText(1000), QStringLiteral(" 1000."));
    // Half to even at one decimal, then a blank before the odometer.
    QCOMPARE(waybillRouteText(45.25, 123456), QStringLiteral("45,2л. -  123456км"));
    QCOMPARE(waybillRouteText(45.75, 1), QStringLiteral("45,8л. -  1км"));
    QCOMPARE(waybillRouteText(60.0, 124000), QStringLiteral("60л. -  124000км"));
    QCOMPARE(waybillRouteText(0.0, 5), QStringLiteral(" - "));
    QCOMPARE(waybillRouteText(QVariant(), 5), QStringLiteral(" - "));
    QCOMPARE(surchargeText(0.0), QStringLiteral("0"));
    QCOMPARE(surchargeText(QVariant()), QStringLiteral("0"));
    QCOMPARE(surchargeText(125.0), QStringLiteral("125"));
    QVERIFY(meansAllCars("0"));
    QVERIFY(meansAllCars("  0 "));
    QVERIFY(!meansAllCars("00"));
    QVERIFY(!meansAllCars(carA));
}

void TestWaybillReport::oneCar()
{
    MessageCapture msgs;
    ReportCapture shown;
    run(carA, "05.01.2010", "31.01.2010");
    QVERIFY(msgs.shown.isEmpty());
    QCOMPARE(shown.shown.size(), 1);
    QVERIFY(shown.shown[0].modal);
    Report &r = rptRowdList();
    QCOMPARE(r.data().rowCount(), 6);
    QCOMPARE(staged(), 6);
    QCOMPARE(row(r, 0), (QStringList{" 1.", "0000000001 / 05.01.2010", carA, "45,2л. -  123456км", "300,00", " ",
                                      "75,50", " "}));
    QCOMPARE(row(r, 1), (QStringList{" ", " ", " ", "София - Пловдив", "150,00", "20,000", "37,75", "0"}));
    // A route longer than the old 30 characters and a three-character surcharge are kept whole.
    QCOMPARE(row(r, 2), (QStringList{" ", " ", " ", longRoute, "100,00", "22,500", "27,50", "12,5"}));
    QCOMPARE(row(r, 3).last(), QStringLiteral("0"));
    QCOMPARE(row(r, 4), (QStringList{" 2.", "0000000003 / 20.01.2010", carA, " - ", "100,00", " ", "", " "}));
    QCOMPARE(row(r, 5)[3], QStringLiteral("Пловдив - Хасково"));
    // Totals over the waybills only; the empty fuel by norm counts 0.
    QCOMPARE(r.controlText("ReportFooter", "Label11"), QStringLiteral("400"));
    QCOMPARE(r.controlText("ReportFooter", "Label10"), QStringLiteral("45"));
    QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("75,5"));
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка пътни листи"));
    QCOMPARE(r.controlText("ReportHeader", "Label3"), QStringLiteral("Справка"));
    QCOMPARE(r.controlText("ReportHeader", "Label4"), QStringLiteral("за издадените пътни листи"));
    QCOMPARE(r.controlText("ReportHeader", "Label5"), QStringLiteral("за периода от 05.01.2010 до 31.01.2010"));
    QCOMPARE(r.controlText("PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionFull());
    QCOMPARE(r.controlText("PageHeader", "Label12"), QStringLiteral("%"));
    QCOMPARE(r.margin(1), 1000);
    QCOMPARE(r.margin(2), 567);
    QCOMPARE(r.margin(3), 567);
    QCOMPARE(r.margin(4), 770);
    // Nothing printed runs past the report's width, and no one-line text is cut.
    for (const ReportItem &it : r.pageItems(0)) {
        QVERIFY2(it.rect.right() <= r.margin(1) + 10020 + 0.5, qPrintable(it.control));
        // A year of sheets numbers past 999: " 20000." still fits its column.
        if (it.control == QLatin1String("Text100"))
            QVERIFY(QFontMetricsF(reportItemFont(it)).horizontalAdvance(QStringLiteral(" 20000.")) <= reportTextRoom(it));
        if (!it.text.isEmpty() && !it.text.contains(QLatin1Char('\r')))
            QVERIFY2(QFontMetricsF(reportItemFont(it)).horizontalAdvance(it.text) <= reportTextRoom(it),
                     qPrintable(it.control + " " + it.text + " "
                                + QString::number(QFontMetricsF(reportItemFont(it)).horizontalAdvance(it.text)) + " > "
                                + QString::number(reportTextRoom(it))));
    }
    QVERIFY(QFileInfo(writeReportPdf(r, pdfDir.path())).size() > 1000);
}

void TestWaybillReport::allCars()
{
    MessageCapture msgs;
    ReportCapture shown;
    for (const QString &car : {QStringLiteral("0"), QStringLiteral(" 0  ")}) {
        run(car, "05.01.2010", "31.01.2010");
        Report &r = rptRowdList();
        // By date: the two sheets of the one car, then the other car's sheet without legs.
        QCOMPARE(r.data().rowCount(), 7);
        QCOMPARE(row(r, 6), (QStringList{" 3.", "0000000002 / 31.01.2010", carB, " - ", "", " ", "20,00", " "}));
        QCOMPARE(r.controlText("ReportFooter", "Label11"), QStringLiteral("400"));
        QCOMPARE(r.controlText("ReportFooter", "Label10"), QStringLiteral("45"));
        QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("95,5"));
    }
    QCOMPARE(shown.shown.size(), 2);
    QVERIFY(msgs.shown.isEmpty());
    // The car exactly as chosen: with blanks it names no car.
    run(QStringLiteral(" ") + carB, "05.01.2010", "31.01.2010");
    QCOMPARE(msgs.shown.size(), 1);
    // Not confirmed: nothing at all.
    DiaSeek::instance().lYes = false;
    PrintWaybillReport();
    QCOMPARE(shown.shown.size(), 2);
    QCOMPARE(msgs.shown.size(), 1);
}

void TestWaybillReport::emptyResult()
{
    MessageCapture msgs;
    ReportCapture shown;
    run(carB, "01.02.2010", "28.02.2010");
    QVERIFY(shown.shown.isEmpty());
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.lastCaption(), QStringLiteral("Информация"));
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма въведени пътни листи при тези условия!\rМоля, изберете други."));
    QCOMPARE(staged(), 0);
}

void TestWaybillReport::bulkAppend()
{
    // Every kind of value goes in bound, as it is; a failure leaves nothing half done.
    Connection t;
    t.open(gTempConnStr);
    t.execute(QStringLiteral("CREATE TABLE B (a TEXT, b DOUBLE, c INTEGER, d DATE, e TEXT)"));
    t.beginTrans();
    appendRows(t, QStringLiteral("B"), {"a", "b", "c", "d", "e"},
               {{QStringLiteral("Д'Арк \"100%_чист\""), 1.5, 7, QDate(2010, 1, 5), QString()},
                {QString(), QVariant(), qint64(1) << 40, QVariant(), QStringLiteral("")}});
    t.commitTrans();
    QCOMPARE(t.scalar(QStringLiteral("SELECT a FROM B WHERE c=7")).toString(), QStringLiteral("Д'Арк \"100%_чист\""));
    QCOMPARE(t.scalar(QStringLiteral("SELECT b FROM B WHERE c=7")).toDouble(), 1.5);
    QCOMPARE(t.scalar(QStringLiteral("SELECT d FROM B WHERE c=7")).toString(), QStringLiteral("2010-01-05"));
    QCOMPARE(t.scalar(QStringLiteral("SELECT count(*) FROM B WHERE a IS NULL AND b IS NULL AND e=''")).toInt(), 1);
    QCOMPARE(t.scalar(QStringLiteral("SELECT c FROM B WHERE a IS NULL")).toLongLong(), qint64(1) << 40);
    QVERIFY_THROWS_EXCEPTION(DbError, appendRows(t, QStringLiteral("NoSuchTable"), {"a"}, {{1}}));
}

void TestWaybillReport::printedTotalsAreThoseOfTheLegs()
{
    const QString car = QStringLiteral("СА 1234 ВК"), n = QStringLiteral("0000000011");
    db->exec(QStringLiteral("INSERT INTO shof (kod, ime) VALUES ('001', 'Иван Д''Арков')"));
    db->exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 30, 20, 24)"), {car});
    db->exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, NameDriver, SumKM, SumRazhN, EndKM, ZarM, ZarN, "
                            "CenaN, CenaM) VALUES (?, '2024-03-05', ?, 'Иван Д''Арков', 200, 68, 0, 0, 100, 0, 0)"),
             {n, car});
    leg(*db, "0000000011", QStringLiteral("А - Б"), 200, 10, 68, 0.0);
    const auto totals = [&] {
        return QStringList{db->scalar(QStringLiteral("SELECT SumKM FROM RowdList WHERE ListID=?"), {n}).toString(),
                           db->scalar(QStringLiteral("SELECT SumRazhN FROM RowdList WHERE ListID=?"), {n}).toString()};
    };
    const auto typeLeg = [](RowdList &w, const char *km) {
        QAbstractItemModel *m = w.grdMarsh->model();
        const int row = w.legs().currentIndex();
        m->setData(m->index(row, 0), QStringLiteral("В - Г"));
        m->setData(m->index(row, 1), QLatin1String(km));
        m->setData(m->index(row, 2), QStringLiteral("0"));
        m->setData(m->index(row, 3), QStringLiteral("0"));
        w.cmdUpdateMarsh->click();
    };
    MessageCapture msgs;
    {
        // A leg added while the sheet is only viewed.
        RowdList w;
        QVERIFY(w.load());
        QCOMPARE(w.txtFields[4]->text(), n);
        w.tbsOptions->setCurrentIndex(1);
        w.cmdAddMarsh->click();
        typeLeg(w, "100");
        w.cmdCloseMarsh->click();
        w.cmdCloseForm->click();
    }
    QCOMPARE(totals(), (QStringList{"300", "98"}));
    {
        // A correction with a leg added and saved without "Изчисли".
        RowdList w;
        QVERIFY(w.load());
        w.cmdEditRowd->click();
        w.tbsOptions->setCurrentIndex(1);
        w.cmdAddMarsh->click();
        typeLeg(w, "200");
        w.tbsOptions->setCurrentIndex(0);
        w.cmdUpdateRowd->click();
        QCOMPARE(totals(), (QStringList{"500", "158"}));
        QCOMPARE(w.txtFields[1]->text(), QStringLiteral("500"));
        // A leg deleted while viewing.
        w.tbsOptions->setCurrentIndex(1);
        w.legs().moveFirst();
        msgs.answers = {true};
        w.cmdDeleteMarsh->click();
        QCOMPARE(w.txtFields[6]->text(), QStringLiteral("90"));
    }
    QCOMPARE(totals(), (QStringList{"300", "90"}));
    QVERIFY2(msgs.shown.size() == 1, qPrintable(msgs.lastText()));

    ReportCapture shown;
    run(car, "01.03.2024", "31.03.2024");
    Report &r = rptRowdList();
    QCOMPARE(row(r, 0).mid(4, 3), (QStringList{"300,00", " ", "90,00"}));
    QCOMPARE(r.controlText("ReportFooter", "Label11"), QStringLiteral("300"));
    QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("90,0"));

    gSeekMode = QStringLiteral("PreRazh");
    seekPeriod(DiaSeek::instance(), "01.03.2024", "31.03.2024");
    QVERIFY(runTarget(QStringLiteral("Balans")));
    Balans &b = *Balans::instance();
    int at = -1;
    for (int i = 0; i < b.GridEX1->rowCount(); ++i)
        if (b.GridEX1->text(i, 2) == car)
            at = i;
    QVERIFY(at >= 0);
    QCOMPARE(b.GridEX1->text(at, 3), QStringLiteral("90,0 л"));
    QCOMPARE(b.GridEX1->text(at, 5), QStringLiteral("-10,0 л"));
    b.cmdPrint->click();
    QCOMPARE(rptBalans().controlText("Detail", "Text102", at), QStringLiteral("90,0 л"));
    b.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QTEST_MAIN(TestWaybillReport)
#include "test_waybillreport.moc"
