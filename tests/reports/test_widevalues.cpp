// Every printout filled with the longest real values an office enters, with every
// number at the bound the program takes, and with everyday figures: each of the
// fifteen designs, run through its own command or its screen's print button, is
// read as a reader would read it, down to what the painter draws.
#include "billing/driverpayreports.h"
#include "billing/faktura.h"
#include "billing/fakturareport.h"
#include "billing/klients.h"
#include "billing/klientsreport.h"
#include "billing/plashtane.h"
#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
#include "dialogs/diaseekalt.h"
#include "dialogs/messages.h"
#include "platform/grid.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "reports/balans.h"
#include "reports/dai.h"
#include "reports/tripreports.h"
#include "reports/waybillreport.h"
#include "scratch/temptable.h"
#include "shell/targets.h"
#include "warehouse/nalichsk.h"
#include "warehouse/skladsk.h"
#include "warehouse/storereports.h"
#include "reportcheck.h"
#include "seed.h"
#include "testdb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelm;

Q_DECLARE_METATYPE(PrintedNumbers)

namespace {

// The longest values an office meets (seed.h), and a client name with a quote.
const QString &kFirm = widest::kCompany;
using widest::kAddress;
using widest::kEmail;
using widest::kDriver;
using widest::kRoute;
using widest::kCar;
using widest::kArticle;
const QString kClient = QStringLiteral("Д'Арк Международни ЖШЩ ООД");
const QString kGoods = QStringLiteral("Строителни материали - ЖБ");
const QString kInvoice = QStringLiteral("0000000123");
const QDate kDay(2010, 3, 15);

} // namespace

class TestWideValues : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDb> db;
    QTemporaryDir pdfDir;
    QStringList problems;
    QSet<QString> seen;

    void seed(PrintedNumbers numbers);
    // Reads a report as a reader would and writes its PDF.
    void look(Report &r, QString suffix = QString())
    {
        seen.insert(r.name());
        suffix += QLatin1Char('-') + QLatin1String(QTest::currentDataTag());
        problems += reportTextsCut(r);
        for (int p = 0; p < r.pageCount(); ++p)
            if (cutOrOverlappingTexts(r, p) > 0)
                problems << QStringLiteral("%1%2 p.%3: texts cut or running into each other")
                                .arg(r.name(), suffix)
                                .arg(p + 1);
        writeReportPdf(r, pdfDir.path(), suffix);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(kFirm.size() == 48 && kAddress.size() == 70 && kEmail.size() == 49); }
    void everyDesignPrintsEveryValueWhole_data();
    void everyDesignPrintsEveryValueWhole();
};

void TestWideValues::seed(PrintedNumbers numbers)
{
    QVERIFY(kDriver.size() == 44 && kRoute.size() == 68 && kCar.size() == 12 && kArticle.size() == 40);
    gFirmName = kFirm;
    gFirmCity = QStringLiteral("Пловдив");
    gFirmAddress = kAddress;
    gFirmCountry = QStringLiteral("България");
    gFirmTel = QStringLiteral("032 123456");
    gFirmGSM = QStringLiteral("0888 123456");
    gFirmEmail = kEmail;
    gFirmURL = QStringLiteral("www.darc-international-transport.bg");
    gFirmMOL = QStringLiteral("Иван Д'Арков");
    addDriver(*db, "001", kDriver, "7503121234", "987654321");
    seedPrintedNumbers(*db, numbers, {kCar, kClient, kRoute, kGoods, kArticle, kInvoice, kDay});
}

void TestWideValues::everyDesignPrintsEveryValueWhole_data()
{
    QTest::addColumn<PrintedNumbers>("numbers");
    QTest::newRow("longest") << PrintedNumbers::Longest;
    QTest::newRow("bounds") << PrintedNumbers::Bounds;
    QTest::newRow("everyday") << PrintedNumbers::Everyday;
}

void TestWideValues::everyDesignPrintsEveryValueWhole()
{
    QFETCH(PrintedNumbers, numbers);
    problems.clear();
    seen.clear();
    db.reset();
    db = std::make_unique<TestDb>();
    seed(numbers);
    MessageCapture msgs;
    ReportCapture shown;
    const QString from = QStringLiteral("01.03.2010"), to = QStringLiteral("31.03.2010");
    DiaSeek &ds = DiaSeek::instance();
    DiaSeekAll &da = DiaSeekAll::instance();
    DiaSeekAlt &dt = DiaSeekAlt::instance();
    seekPeriod(ds, from, to);
    seekPeriod(da, from, to);
    seekPeriod(dt, from, to);
    ds.lYes = da.lYes = dt.lYes = true;
    ds.Kola = kCar;
    ds.Klient = kClient;
    ds.ShofKod = QStringLiteral("001");
    ds.ShofName = kDriver;
    ds.sNalich.clear();
    da.Klient = kClient;
    da.Kola.clear();
    da.Tovar.clear();
    da.Marsh.clear();
    dt.sOption = QStringLiteral("All");
    dt.ShofKod = QStringLiteral("001");
    dt.ShofName = kDriver;

    // The report procedures of the menu.
    PrintTripsByCar();
    look(rptKola());
    PrintTripsByPeriod();
    look(rptAll());
    PrintTripsByClient();
    look(rptKlient());
    PrintTripsByDriver();
    look(rptDriver());
    CreateTempTable(QStringLiteral("TempRowdList"));
    PrintWaybillReport();
    look(rptRowdList());
    CreateTempTable(QStringLiteral("TempZaplata"));
    PrintDriverSalary();
    look(rptZaplata());
    CreateTempTable(QStringLiteral("TempPlaten"));
    PrintDriverTrips(false);
    look(rptNePlaten());
    CreateTempTable(QStringLiteral("TempSKladPR"));
    PrintStoreReport(true);
    look(rptSkladPR(), QStringLiteral("-receipts"));
    CreateTempTable(QStringLiteral("TempSKladPR"));
    PrintStoreReport(false);
    look(rptSkladPR(), QStringLiteral("-issues"));

    // The screens' print buttons.
    gSeekMode = QStringLiteral("All");
    QVERIFY(runTarget(QStringLiteral("Balans")));
    QVERIFY(Balans::instance());
    Balans::instance()->cmdPrint->click();
    look(rptBalans());
    delete Balans::instance();

    QVERIFY(runTarget(QStringLiteral("DAI")));
    DAI *dai = DAI::instance();
    QVERIFY(dai);
    dai->Combo1->setCurrentIndex(dai->Combo1->findText(kDriver));
    dai->Combo1_Click();
    dai->Check3->setChecked(true);
    dai->Text1_0->setText(QStringLiteral("01.03.2010"));
    dai->Text1_1->setText(QStringLiteral("31.03.2010"));
    dai->cmdPrint->click();
    look(rptDAI());
    delete dai;

    gSeekMode = QStringLiteral("EditFakt");
    ds.FakturaNom = kInvoice;
    {
        CreateTempTable(QStringLiteral("TempPlaten"));
        Faktura w;
        QVERIFY(w.load());
        w.cmdPrint->click();
        look(rptFaktura());
        w.close();
    }
    {
        Klients w;
        QVERIFY(w.load());
        w.cmdPrint->click();
        look(rptKlientS());
        w.close();
    }
    {
        Plashtane w;
        QVERIFY(w.load());
        for (int v = 0; v < w.GridEX1->rowCount(); ++v) {
            w.GridEX1->setCurrentRow(w.GridEX1->rowAtVisual(v));
            w.GridEX1->sendKey(32);
        }
        w.cmdPrint->click();
        look(rptPlaten());
        w.close();
    }
    {
        NalichSK w;
        QVERIFY(w.load());
        w.cmdPrint->click();
        look(rptNalich());
    }
    QVERIFY(runTarget(QStringLiteral("SkladSK"), false));
    SkladSK *rev = openSkladSK();
    QVERIFY(rev);
    rev->cmdPrint->click();
    look(rptSklad());
    delete rev;

    QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.lastText()));
    QCOMPARE(seen.size(), reportDesigns().size());
    QCOMPARE(shown.shown.size(), 16);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestWideValues)
#include "test_widevalues.moc"
