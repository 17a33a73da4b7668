#include "billing/faktura.h"
#include "billing/fakturareport.h"
#include "billing/klients.h"
#include "billing/klientsreport.h"
#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
#include "dialogs/diaseekalt.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/version.h"
#include "platform/grid.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"
#include "printing/reportpreview.h"
#include "reports/tripreports.h"
#include "scratch/temptable.h"
#include "shell/targets.h"
#include "reportcheck.h"
#include "testdb.h"
#include "seed.h"

#include <QDir>
#include <QComboBox>
#include <QProcess>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelm;

namespace {

void addTrip(TestDb &db, const QDate &d, const QString &kola, const QString &kod, const QString &klient,
             const QString &marsh, const QString &tovar, int km, double ton, double tarifa, const QVariant &plat,
             const QVariant &fakt)
{
    db.exec(QStringLiteral("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, "
                           "procent, neto, plat, Fakt) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
            {d, kola, kod, klient, marsh, tovar, km, ton, tarifa, ton * km * tarifa, 0.0, 0.0, plat, fakt});
}

QString text(Report &r, const char *section, const char *control, int row = -1)
{
    return r.controlText(QLatin1String(section), QLatin1String(control), row);
}

// The page-header captions in the order the columns run, left to right.
QStringList captions(Report &r)
{
    QList<QPair<double, QString>> caps;
    for (const ReportItem &it : r.pageItems(0))
        if (it.section == QLatin1String("PageHeader") && it.kind == ReportControl::Label)
            caps.append({it.rect.left(), it.text});
    std::sort(caps.begin(), caps.end());
    QStringList out;
    for (auto &c : caps)
        out << c.second;
    return out;
}

// The laid-out lines of a detail box in every row of the first page.
QStringList laidOutColumn(Report &r, const char *control)
{
    QStringList out;
    for (const ReportItem &it : r.pageItems(0))
        if (it.section == QLatin1String("Detail") && it.control == QLatin1String(control))
            out << it.lines.join(QLatin1Char(' '));
    return out;
}

} // namespace

class TestTripReports : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDb> db;
    QTemporaryDir pdfDir;

    void setPeriod(const QString &from, const QString &to)
    {
        seekPeriod(DiaSeek::instance(), from, to);
        seekPeriod(DiaSeekAlt::instance(), from, to);
    }
    // Writes the report as PDF beside the test (and into KELM_REPORT_LOOK when set,
    // for looking at it).
    void writePdf(Report &r, const QString &suffix = QString())
    {
        QVERIFY(QFileInfo(writeReportPdf(r, pdfDir.path(), suffix)).size() > 1000);
    }

private slots:
    void init();
    void cleanup() { db.reset(); }
    void byCar();
    void byCarNeedsConfirmedDialog();
    void byPeriodOptions_data();
    void byPeriodOptions();
    void byClient();
    void byDriverColoursEachDate();
    void emptyPeriodShowsEmptyReport();
    void companyHeaderWithBlankAddresses();
    void failingQueryIsReported();
    void refillKeepsOnePreview();
    void designTable();
    void nothingCutOff();
    void longReportRepeatsPageHeader();
    void tariffsPrintAsHeld();
};

void TestTripReports::init()
{
    db = std::make_unique<TestDb>();
    seedCompanyWithContacts();
    const QString ark = QStringLiteral("Д'Арк ООД");
    // Car СВ 1234 АК, driver 001; the period in the tests is 05.01.2010 - 31.01.2010.
    addTrip(*db, QDate(2010, 1, 4), "СВ 1234 АК", "001", ark, "София - Пловдив", "Цимент", 150, 20, 0.1, true, true);
    addTrip(*db, QDate(2010, 1, 5), "СВ 1234 АК", "001", ark, "София - Варна", "Пясък", 450, 22.5, 0.086, false, true);
    addTrip(*db, QDate(2010, 1, 31), "СВ 1234 АК", "002", "Балкан ЕООД", "Русе - Видин", "Дърва за огрев", 220, 18.25,
            0.12, true, QVariant());
    addTrip(*db, QDate(2010, 1, 20), "СВ 1234 АК", "001", ark, "Пловдив - Бургас", "Трупи", 260, 24, 0.09, QVariant(),
            false);
    addTrip(*db, QDate(2010, 1, 20), "ПВ 5678 ВВ", "001", "Балкан ЕООД", "Стара Загора - Хасково", "Слънчоглед",
            95, 21.75, 0.11, true, true);
    addTrip(*db, QDate(2010, 2, 1), "ПВ 5678 ВВ", "001", ark, "Плевен - Ловеч", "Чакъл", 40, 10, 0.2, false, false);
}

void TestTripReports::byCar()
{
    MessageCapture msgs;
    ReportCapture shown;
    DiaSeek &d = DiaSeek::instance();
    d.lYes = true;
    d.Kola = QStringLiteral("СВ 1234 АК");
    setPeriod("05.01.2010", "31.01.2010");
    QVERIFY(runTarget(QStringLiteral("PrintTripsByCar")));
    QVERIFY(msgs.shown.isEmpty());
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(shown.shown[0].design, QStringLiteral("rptKola"));
    QVERIFY(!shown.shown[0].modal);

    Report &r = rptKola();
    // Both end days are in; the car's trips only, by date, one day in entry order.
    QCOMPARE(detailColumn(r, "Text100"), (QStringList{"05.01.2010", "20.01.2010", "31.01.2010"}));
    QCOMPARE(detailColumn(r, "Text101"), (QStringList{"", "", reportTrueMark()}));
    QCOMPARE(detailColumn(r, "Text102"), (QStringList{"22,500", "24,000", "18,250"}));
    QCOMPARE(detailColumn(r, "Text103"), (QStringList{"450", "260", "220"}));
    QCOMPARE(detailColumn(r, "Text104"), (QStringList{"0,086", "0,090", "0,120"}));
    QCOMPARE(detailColumn(r, "Text105"), (QStringList{"870,75", "561,60", "481,80"}));
    QCOMPARE(detailColumn(r, "Text109"), (QStringList{"Д'Арк ООД", "Д'Арк ООД", "Балкан ЕООД"}));
    QCOMPARE(captions(r), (QStringList{"Дата", "Пл.", "Тонаж", "Км", "Тар.", "Сума", "Маршрут", "Клиент", "Товар"}));

    // Title, header, subject, period and footer.
    QCOMPARE(r.caption(), QStringLiteral("Справка за кола"));
    QVERIFY(r.landscape());
    QCOMPARE(r.margin(1), 1000);
    QCOMPARE(r.margin(2), 1000);
    QCOMPARE(r.margin(3), 567);
    QCOMPARE(r.margin(4), 600);
    QCOMPARE(r.windowWidth(), 14800);
    QCOMPARE(r.windowHeight(), 10050);
    QCOMPARE(text(r, "ReportHeader", "Label1"), gFirmName);
    QCOMPARE(text(r, "ReportHeader", "Label2"), QStringLiteral("Пловдив, ул. Иван Вазов 12"));
    QCOMPARE(text(r, "ReportHeader", "Label9"),
             QStringLiteral("тел:032 123456, факс:0888 123456, E-mail:office@darc.bg, URL:http//www.darc.bg"));
    QCOMPARE(text(r, "ReportHeader", "Label3"), QStringLiteral("Справка"));
    QCOMPARE(text(r, "ReportHeader", "Label4"), QStringLiteral("за курсовете на кола №СВ 1234 АК"));
    QCOMPARE(text(r, "ReportHeader", "Label5"), QStringLiteral("за периода от 05.01.2010 до 31.01.2010"));
    QCOMPARE(text(r, "PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionFull());
    // Sums over all rows: 22.5 + 24 + 18.25; 450 + 260 + 220; 870.75 + 561.6 + 481.8.
    QCOMPARE(text(r, "ReportFooter", "Function102"), QStringLiteral("64,750"));
    QCOMPARE(text(r, "ReportFooter", "Function103"), QStringLiteral("930"));
    QCOMPARE(text(r, "ReportFooter", "Function105"), QStringLiteral("1914,15"));
    QCOMPARE(text(r, "ReportFooter", "Label8"), QStringLiteral("Всичко"));
    writePdf(r);
}

void TestTripReports::byCarNeedsConfirmedDialog()
{
    ReportCapture shown;
    DiaSeek::instance().lYes = false;
    DiaSeek::instance().Kola = QStringLiteral("СВ 1234 АК");
    DiaSeek::instance().Klient = QStringLiteral("Д'Арк ООД");
    setPeriod("01.01.2010", "31.12.2010");
    PrintTripsByCar();
    PrintTripsByClient();
    QVERIFY(shown.shown.isEmpty());
}

void TestTripReports::byPeriodOptions_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QStringList>("cars");
    // On 20.01 the two trips keep their entry order: СВ first, then ПВ.
    QTest::newRow("All") << "All" << "за курсовете на фирма "
                         << QStringList{"СВ 1234 АК", "СВ 1234 АК", "ПВ 5678 ВВ", "СВ 1234 АК"};
    QTest::newRow("Yes") << "Yes" << "за фактурираните курсове на фирма "
                         << QStringList{"СВ 1234 АК", "ПВ 5678 ВВ"};
    // An empty invoiced flag counts as not invoiced.
    QTest::newRow("No") << "No" << "за нефактурираните курсове на фирма "
                        << QStringList{"СВ 1234 АК", "СВ 1234 АК"};
}

void TestTripReports::byPeriodOptions()
{
    QFETCH(QString, option);
    QFETCH(QString, subject);
    QFETCH(QStringList, cars);
    MessageCapture msgs;
    ReportCapture shown;
    DiaSeekAlt &d = DiaSeekAlt::instance();
    d.lYes = true;
    d.sOption = option;
    setPeriod("05.01.2010", "31.01.2010");
    QVERIFY(runTarget(QStringLiteral("PrintTripsByPeriod")));
    QCOMPARE(shown.shown.size(), 1);
    Report &r = rptAll();
    QCOMPARE(detailColumn(r, "Text101"), cars);
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка за курсове"));
    QCOMPARE(text(r, "ReportHeader", "Label3"), QStringLiteral("Обща справка"));
    QCOMPARE(text(r, "ReportHeader", "Label4"), subject + gFirmName);
    QCOMPARE(text(r, "ReportHeader", "Label5"), QStringLiteral("за периода от 05.01.2010 до 31.01.2010"));
    QCOMPARE(text(r, "PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionFull());
    QVERIFY(r.landscape());
    QCOMPARE(r.windowWidth(), 14800);
    QCOMPARE(r.windowHeight(), 10050);
    QCOMPARE(captions(r), (QStringList{"Дата", "Кола№", "Тонаж", "Км", "Тар.", "Сума", "Маршрут", "Клиент", "Товар"}));
    double km = 0;
    for (int i = 0; i < r.data().rowCount(); ++i)
        km += r.data().value(i, QStringLiteral("KM")).toDouble();
    QCOMPARE(text(r, "ReportFooter", "Function103"), QString::number(km));
    if (option == QLatin1String("All")) {
        QCOMPARE(text(r, "ReportFooter", "Function103"), QStringLiteral("1025"));
        writePdf(r);
    }
}

void TestTripReports::byClient()
{
    MessageCapture msgs;
    ReportCapture shown;
    DiaSeek &d = DiaSeek::instance();
    d.lYes = true;
    d.Klient = QStringLiteral("Д'Арк ООД");
    setPeriod("04.01.2010", "20.01.2010");
    QVERIFY(runTarget(QStringLiteral("PrintTripsByClient")));
    QCOMPARE(shown.shown.size(), 1);
    Report &r = rptKlient();
    QCOMPARE(detailColumn(r, "Text100"), (QStringList{"04.01.2010", "05.01.2010", "20.01.2010"}));
    QCOMPARE(detailColumn(r, "Text104"), (QStringList{"300,00", "870,75", "561,60"}));
    QCOMPARE(detailColumn(r, "Text107"), (QStringList{"София - Пловдив", "София - Варна", "Пловдив - Бургас"}));
    QCOMPARE(captions(r), (QStringList{"Дата", "Кола", "Тон.", "Км", "Сума", "Маршрут", "Товар"}));
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка за курсовете"));
    QVERIFY(!r.landscape());
    QCOMPARE(r.margin(1), 1440);
    QCOMPARE(r.margin(2), 567);
    QCOMPARE(r.margin(4), 1000);
    QCOMPARE(text(r, "ReportHeader", "Label3"), QStringLiteral("Извършени от Д'Арк Транс ООД курсове"));
    QCOMPARE(text(r, "ReportHeader", "Label4"), QStringLiteral("по заявка на Д'Арк ООД"));
    QCOMPARE(text(r, "ReportHeader", "Label5"), QStringLiteral("за периода от 04.01.2010 до 20.01.2010"));
    QCOMPARE(text(r, "PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionFull());
    QCOMPARE(r.margin(3), 567);
    QCOMPARE(r.windowWidth(), 0);
    QCOMPARE(text(r, "ReportFooter", "Function102"), QStringLiteral("66,500"));
    QCOMPARE(text(r, "ReportFooter", "Function103"), QStringLiteral("860"));
    QCOMPARE(text(r, "ReportFooter", "Function105"), QStringLiteral("1732,35"));
    // The report has no tariff column and no client column.
    for (const ReportItem &it : r.pageItems(0))
        QVERIFY(it.text != QLatin1String("Тар.") && it.text != QLatin1String("Клиент"));
    writePdf(r);
}

void TestTripReports::byDriverColoursEachDate()
{
    MessageCapture msgs;
    ReportCapture shown;
    DiaSeekAlt &d = DiaSeekAlt::instance();
    d.lYes = true;
    d.sOption = QStringLiteral("All");
    d.ShofKod = QStringLiteral("001");
    d.ShofName = QStringLiteral("Петър Петров");
    // The 31.01 trip is driver 002's: in the period, not in the report.
    setPeriod("04.01.2010", "31.01.2010");
    QVERIFY(runTarget(QStringLiteral("PrintTripsByDriver")));
    QCOMPARE(shown.shown.size(), 1);
    Report &r = rptDriver();
    // The first trip is paid; the others keep their own colour.
    QCOMPARE(detailColumn(r, "Text101"), (QStringList{"СВ 1234 АК", "СВ 1234 АК", "СВ 1234 АК", "ПВ 5678 ВВ"}));
    QCOMPARE(detailColumn(r, "Text111"), (QStringList{reportTrueMark(), "", "", reportTrueMark()}));
    QList<QColor> colours;
    for (const ReportItem &it : r.pageItems(0))
        if (it.control == QLatin1String("Text100"))
            colours << it.backColor;
    const QColor white(255, 255, 255), grey(192, 192, 192);
    QCOMPARE(colours, (QList<QColor>{white, grey, grey, white}));
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка за курсовете"));
    QCOMPARE(text(r, "ReportHeader", "Label3"), QStringLiteral("Справка"));
    QCOMPARE(text(r, "ReportHeader", "Label4"), QStringLiteral("за курсовете извършени от Петър Петров"));
    QCOMPARE(captions(r),
             (QStringList{"Дата", "Кола№", "Тонаж", "Км", "Тар.", "Сума", "Маршрут", "Клиент", "Товар", "Плат."}));
    QCOMPARE(text(r, "ReportHeader", "Label5"), QStringLiteral("за периода от 04.01.2010 до 31.01.2010"));
    QCOMPARE(text(r, "PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionFull());
    QCOMPARE(text(r, "ReportFooter", "Function102"), QStringLiteral("88,250"));
    QCOMPARE(text(r, "ReportFooter", "Function103"), QStringLiteral("955"));
    QCOMPARE(text(r, "ReportFooter", "Function105"), QStringLiteral("1959,64"));
    QVERIFY(r.landscape());
    QCOMPARE(r.margin(1), 1000);
    QCOMPARE(r.margin(2), 1000);
    QCOMPARE(r.margin(3), 567);
    QCOMPARE(r.margin(4), 600);
    QCOMPARE(r.windowWidth(), 14800);
    QCOMPARE(r.windowHeight(), 10050);
    writePdf(r);
}

void TestTripReports::emptyPeriodShowsEmptyReport()
{
    MessageCapture msgs;
    ReportCapture shown;
    DiaSeek::instance().lYes = true;
    DiaSeek::instance().Kola = QStringLiteral("СВ 1234 АК");
    DiaSeek::instance().Klient = QStringLiteral("Д'Арк ООД");
    // Typed without leading zeros: the period line prints the dates in full.
    setPeriod("1.3.2011", "31.3.2011");
    PrintTripsByCar();
    PrintTripsByClient();
    DiaSeekAlt::instance().sOption = QStringLiteral("All");
    PrintTripsByPeriod();
    DiaSeekAlt::instance().ShofKod = QStringLiteral("001");
    PrintTripsByDriver();
    QVERIFY(msgs.shown.isEmpty());
    QCOMPARE(shown.shown.size(), 4);
    for (Report *r : {&rptKola(), &rptKlient(), &rptAll(), &rptDriver()}) {
        QCOMPARE(r->data().rowCount(), 0);
        QCOMPARE(r->pageCount(), 1);
        QVERIFY(r->page(0).reportHeader && r->page(0).pageHeader && r->page(0).reportFooter);
        QCOMPARE(r->controlText("ReportFooter", "Function105"), QStringLiteral("0,00"));
        QCOMPARE(r->controlText("ReportFooter", "Function103"), QStringLiteral("0"));
        QCOMPARE(r->controlText("ReportHeader", "Label5"), QStringLiteral("за периода от 01.03.2011 до 31.03.2011"));
    }
    writePdf(rptKola(), "-empty");
}

void TestTripReports::companyHeaderWithBlankAddresses()
{
    ReportCapture shown;
    // The company data hold an empty e-mail and web address as a single blank.
    gFirmEmail = QStringLiteral(" ");
    gFirmURL = QStringLiteral(" ");
    DiaSeekAlt::instance().sOption = QStringLiteral("All");
    setPeriod("01.01.2010", "31.01.2010");
    PrintTripsByPeriod();
    QCOMPARE(text(rptAll(), "ReportHeader", "Label9"),
             QStringLiteral("тел:032 123456, факс:0888 123456, E-mail: , URL:http// "));
}

void TestTripReports::failingQueryIsReported()
{
    MessageCapture msgs;
    ReportCapture shown;
    const QString good = gConnStr;
    // The trips table is gone: the query fails, the user is told, nothing is shown.
    db->exec(QStringLiteral("DROP TABLE tabl"));
    DiaSeek::instance().lYes = true;
    setPeriod("01.01.2010", "31.01.2010");
    PrintTripsByCar();
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ГРЕШКА!"));
    QVERIFY(msgs.lastText().contains(QLatin1Char(':')));
    QVERIFY(shown.shown.isEmpty());
    QCOMPARE(gConnStr, good);
}

void TestTripReports::refillKeepsOnePreview()
{
    // Shown for real (offscreen): the open preview takes the new period's rows.
    DiaSeekAlt &d = DiaSeekAlt::instance();
    d.sOption = QStringLiteral("All");
    setPeriod("05.01.2010", "05.01.2010");
    PrintTripsByPeriod();
    Report &r = rptAll();
    auto *pv = r.preview();
    QVERIFY(pv);
    QCOMPARE(r.data().rowCount(), 1);
    setPeriod("01.01.2010", "28.02.2010");
    PrintTripsByPeriod();
    QCOMPARE(r.preview(), pv);
    QCOMPARE(r.data().rowCount(), 6);
    QCOMPARE(text(r, "ReportHeader", "Label5"), QStringLiteral("за периода от 01.01.2010 до 28.02.2010"));
    QVERIFY(QTest::qWaitForWindowExposed(pv));
    QCoreApplication::processEvents();
    // The landscape page opens at the window's width: every column in view.
    auto *scroll = pv->findChild<QScrollArea *>(QStringLiteral("scrPage"));
    QVERIFY(scroll);
    QVERIFY(pv->fitsWidth());
    QVERIFY(pv->pageWidget()->width() <= scroll->viewport()->width());
    QVERIFY(pv->pageWidget()->width() > scroll->viewport()->width() * 0.9);
    pv->cboZoom->setCurrentIndex(pv->cboZoom->findText(QStringLiteral("100%")));
    QCOMPARE(pv->pageWidget()->width(), 16838 / 15 + 1);
    pv->cboZoom->setCurrentIndex(0);
    QVERIFY(pv->pageWidget()->width() <= scroll->viewport()->width());
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        pv->grab().save(qEnvironmentVariable("KELM_REPORT_LOOK") + "/rptAll-preview.png");
    pv->close();
}

void TestTripReports::designTable()
{
    const QVector<ReportDesignInfo> &t = reportDesigns();
    QCOMPARE(t.size(), 15);
    QSet<QString> names;
    for (const ReportDesignInfo &i : t) {
        names.insert(i.design);
        // Report width and side margins within A4, turned for the landscape designs.
        const int paper = i.landscape ? 16838 : 11906;
        QVERIFY2(i.margins[0] + i.width + i.margins[1] <= paper, qPrintable(i.design));
        QVERIFY2(!i.nameLabel.isEmpty() && !i.versionLabel.isEmpty(), qPrintable(i.design));
        // Only the car report keeps its design caption; every other title has the prefix.
        if (i.design == QLatin1String("rptKola"))
            QCOMPARE(i.windowCaption(), QStringLiteral("Справка за кола"));
        else
            QVERIFY2(i.windowCaption().startsWith(QStringLiteral("Тревалон ") + versionShort() + " - "),
                     qPrintable(i.design));
        // Modeless: the four trip lists and the client statement; the rest modal.
        const bool modeless = QStringList{"rptKola", "rptAll", "rptKlient", "rptDriver", "rptKlientS"}.contains(i.design);
        QCOMPARE(i.modal, !modeless);
    }
    QCOMPARE(names.size(), 15);
    QVERIFY_THROWS_EXCEPTION(ReportError, reportDesign(QStringLiteral("rptKolaR")));
    QCOMPARE(reportDesign("rptNePlaten").windowCaption(true),
             QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка неплатени курсове"));
    QCOMPARE(reportDesign("rptSkladPR").windowCaption(false),
             QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Справка - Приходи в склада"));

    // The trip designs are declared with their row's page values.
    for (Report *r : {&rptKola(), &rptAll(), &rptKlient(), &rptDriver()}) {
        const ReportDesignInfo &i = reportDesign(r->name());
        QCOMPARE(r->reportWidth(), i.width);
        QCOMPARE(r->landscape(), i.landscape);
        QCOMPARE(r->windowWidth(), i.windowWidth);
        for (int m = 1; m <= 4; ++m)
            QCOMPARE(r->margin(m), i.margins[m - 1]);
        // Every column stays within the report width.
        for (const ReportItem &it : r->pageItems(0))
            QVERIFY2(it.rect.right() <= r->margin(1) + i.width + 0.5, qPrintable(r->name() + " " + it.control));
    }

    // A design with an address label alone, and the version of a short footer.
    Report pl(QStringLiteral("rptPlaten"));
    pl.addSection(QStringLiteral("ReportHeader"), 1000).addLabel(QStringLiteral("Label1"), 0, 0, 5000, 300);
    pl.section(QStringLiteral("ReportHeader")).addLabel(QStringLiteral("Label2"), 0, 300, 5000, 300);
    pl.addSection(QStringLiteral("PageFooter"), 300).addLabel(QStringLiteral("Label6"), 0, 0, 3000, 300);
    fillCompanyHeader(pl, reportDesign(pl.name()));
    fillVersionFooter(pl, reportDesign(pl.name()));
    QCOMPARE(pl.controlText("ReportHeader", "Label2"), gFirmAddress);
    QCOMPARE(pl.controlText("PageFooter", "Label6"), QStringLiteral("Тревалон ") + versionShort());
}

void TestTripReports::nothingCutOff()
{
    // Full-length texts: a 12-character car (its widest letters), 25-character route, client and goods.
    // Plates use only the letters that look alike in both alphabets.
    const QString car = QStringLiteral("ХМ 8888 ХМ Р");
    const QString route = QStringLiteral("Велико Търново - Шумен ЖП");
    const QString client = QStringLiteral("Д'Арк Международни ЖШЩ ООД").left(25);
    const QString goods = QStringLiteral("Строителни материали - ЖБ");
    db->exec("DELETE FROM tabl");
    // Large but possible values; a year's sums of such trips.
    for (int day = 1; day <= 29; ++day)
        addTrip(*db, QDate(2010, 12, day), car, "003", client, route, goods, 3999, 39.999, 0.999, day == 29,
                day == 29);
    ReportCapture shown;
    MessageCapture msgs;
    DiaSeek::instance().lYes = true;
    DiaSeek::instance().Kola = car;
    DiaSeek::instance().Klient = client;
    DiaSeekAlt::instance().sOption = QStringLiteral("All");
    DiaSeekAlt::instance().ShofKod = QStringLiteral("003");
    DiaSeekAlt::instance().ShofName = QStringLiteral("Христо Стоянов Богомилов");
    setPeriod("01.12.2010", "31.12.2010");
    PrintTripsByCar();
    PrintTripsByPeriod();
    PrintTripsByClient();
    PrintTripsByDriver();
    QCOMPARE(shown.shown.size(), 4);
    int cut = 0;
    for (Report *r : {&rptKola(), &rptAll(), &rptKlient(), &rptDriver()}) {
        QCOMPARE(r->data().rowCount(), 29);
        for (int page : QSet<int>{0, r->pageCount() - 1})
            cut += cutOrOverlappingTexts(*r, page);
        writePdf(*r, "-long");
    }
    QCOMPARE(cut, 0);
}

void TestTripReports::longReportRepeatsPageHeader()
{
    // A car with 70 trips in one month: more than one landscape page.
    db->exec("DELETE FROM tabl");
    for (int i = 0; i < 70; ++i)
        addTrip(*db, QDate(2010, 3, 1 + i % 31), "СВ 1234 АК", "001", QStringLiteral("Д'Арк ООД"),
                QStringLiteral("Благоевград - Кюстендил %1").arg(i % 10), QStringLiteral("Минерална вода"), 100 + i,
                20, 0.1, i % 2 == 0, false);
    ReportCapture shown;
    DiaSeek::instance().lYes = true;
    DiaSeek::instance().Kola = QStringLiteral("СВ 1234 АК");
    setPeriod("01.03.2010", "31.03.2010");
    PrintTripsByCar();
    Report &r = rptKola();
    QCOMPARE(r.data().rowCount(), 70);
    QVERIFY(r.pageCount() >= 3);
    int rowsSeen = 0;
    for (int p = 0; p < r.pageCount(); ++p) {
        QStringList caps;
        bool footer = false;
        for (const ReportItem &it : r.pageItems(p)) {
            if (it.section == QLatin1String("PageHeader") && it.kind == ReportControl::Label)
                caps << it.text;
            if (it.section == QLatin1String("PageFooter") && it.control == QLatin1String("Label6"))
                footer = it.text == QStringLiteral("Тревалон ") + versionFull();
            if (it.section == QLatin1String("ReportHeader"))
                QCOMPARE(p, 0);
            if (it.control == QLatin1String("Text100"))
                ++rowsSeen;
            if (it.section == QLatin1String("Detail"))
                QVERIFY(it.rect.bottom() <= r.paperHeight() - r.margin(4) - 420 + 0.5);
        }
        QCOMPARE(caps.size(), 9);
        QVERIFY(footer);
    }
    QCOMPARE(rowsSeen, 70);
    QVERIFY(r.page(r.pageCount() - 1).reportFooter);
    // 100 + ... + 169 km.
    QCOMPARE(text(r, "ReportFooter", "Function103"), QString::number(70 * 100 + 69 * 70 / 2));
    writePdf(r, "-pages");
}


// A tariff of four decimals prints with all four on the trip reports, the
// invoice and the client statement, so that its row multiplies out.
void TestTripReports::tariffsPrintAsHeld()
{
    db->exec("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, procent, neto, plat, "
             "Fakt, NomFakt) VALUES ('2010-01-10', 'СВ 1234 АК', '001', 'Д''Арк ООД', 'Русе - Шумен', 'Пясък', 174, "
             "11, 0.0875, 167.48, 5.02, 162.46, 0, 1, '0000000777')");
    MessageCapture msgs;
    ReportCapture shown;
    DiaSeek &d = DiaSeek::instance();
    d.lYes = true;
    d.Kola = QStringLiteral("СВ 1234 АК");
    setPeriod("05.01.2010", "31.01.2010");
    QVERIFY(runTarget(QStringLiteral("PrintTripsByCar")));
    QCOMPARE(laidOutColumn(rptKola(), "Text104"), (QStringList{"0,086", "0,0875", "0,090", "0,120"}));

    gSeekMode = QStringLiteral("EditFakt");
    d.FakturaNom = QStringLiteral("0000000777");
    CreateTempTable(QStringLiteral("TempPlaten"));
    {
        Faktura w;
        QVERIFY(w.load());
        QCOMPARE(w.GridEX1->text(0, 7), QStringLiteral("0,0875")); // on screen as on paper
        w.cmdPrint->click();
        QCOMPARE(laidOutColumn(rptFaktura(), "Text107"), QStringList{"0,0875"});
        w.close();
    }
    DiaSeekAll &a = DiaSeekAll::instance();
    a.lYes = true;
    a.Klient = QStringLiteral("Д'Арк ООД");
    a.Tovar = a.Marsh = a.Kola = QString();
    seekPeriod(a, "10.01.2010", "10.01.2010");
    Klients w;
    QVERIFY(w.load());
    QCOMPARE(w.GridEX1->text(0, 7), QStringLiteral("0,0875"));
    w.cmdPrint->click();
    QCOMPARE(laidOutColumn(rptKlientS(), "Text105"), QStringList{"0,0875"});
    QCOMPARE(shown.shown.size(), 3);
    QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.lastText()));
}

QTEST_MAIN(TestTripReports)
#include "test_tripreports.moc"
