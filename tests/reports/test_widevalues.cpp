// Every printout filled with the longest real values an office enters: each of
// the fifteen designs, run through its own command or its screen's print button,
// is read as a reader would read it.
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

    void seed();
    // Reads a report as a reader would and writes its PDF.
    void look(Report &r, const QString &suffix = QString())
    {
        seen.insert(r.name());
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
    void everyDesignPrintsEveryValueWhole();
};

void TestWideValues::seed()
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
    db->exec("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 30, 20, 1000)", {kCar});
    // Trips: the largest a trip may be, and a small one; both invoiced under one number.
    const QString trip = QStringLiteral(
        "INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, procent, neto, plat, Fakt, "
        "NomFakt) VALUES (?,?,'001',?,?,?,?,?,?,?,0,?,0,1,?)");
    db->exec(trip, {kDay, kCar, kClient, kRoute, kGoods, 99999, 999.999, 0.1, 9999999.99, 9699999.99, kInvoice});
    db->exec(trip, {kDay.addDays(1), kCar, kClient, kRoute, kGoods, 120, 21.5, 0.125, 322.5, 312.83, kInvoice});
    // A waybill with the most fuel and kilometres, and its leg.
    db->exec("INSERT INTO RowdList (ListID, Data, Kola, ZarN, EndKM, SumKM, SumRazhN) VALUES (?,?,?,?,?,?,?)",
             {"0000000001", kDay, kCar, 99999.9, 9999999, 99999, 99999.99});
    db->exec("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, RazhN, Koef) VALUES (?,?,?,?,?,?)",
             {"0000000001", kRoute, 99999, 999.999, 99999.99, 99});
    // The warehouse: a receipt and an issue of the longest article at the largest value,
    // a trip's expense line, and the stock list's article.
    const QString line = QStringLiteral("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, "
                                        "Lipsa, Ostat) VALUES (?,?,'0000000012',?,?,?,?,?,1,0)");
    db->exec(line, {kDay, QStringLiteral("Приемо-предав."), kArticle, 9999.999, 1000.0, 9999999.0, "P"});
    db->exec(line, {kDay, QStringLiteral("Искане-разход"), kArticle, 9999.999, 1000.0, 9999999.0, "R"});
    db->exec(line, {kDay, kCar, QStringLiteral("Разходи за курс"), 1.0, 9999999.99, 9999999.99, "R"});
    db->exec("INSERT INTO Nalich (Name, Edin, Broi) VALUES (?,?,?)", {kArticle, 1000.0, 9999.99});
}

void TestWideValues::everyDesignPrintsEveryValueWhole()
{
    db = std::make_unique<TestDb>();
    seed();
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
    Balans::instance()->close();

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
    dai->close();

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
