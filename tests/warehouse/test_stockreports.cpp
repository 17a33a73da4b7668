#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
#include "dialogs/messages.h"
#include "dialogs/progdialog.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "printing/report.h"
#include "scratch/temptable.h"
#include "shell/targets.h"
#include "warehouse/storereports.h"
#include "reportcheck.h"
#include "testdb.h"
#include "seed.h"
#include "warehouse/nalichsk.h"
#include "warehouse/skladsk.h"
#include "warehouse/stocktexts.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelm;

namespace {

const QString kTrip = QStringLiteral("Разходи за курс");
const QString kOdd = QStringLiteral("Д'Арк 100%_чист");

void line(TestDb &db, const QDate &d, const QString &vid, const QString &name, double kol, double edin,
          const QString &docVid = QStringLiteral("Фактура"), const QString &docNom = QStringLiteral("0000000012"))
{
    db.exec(QStringLiteral("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) "
                           "VALUES (?,?,?,?,?,?,?,?,1,0)"),
            {d, docVid, docNom, name, kol, edin, kol * edin, vid});
}

QStringList gridTexts(Grid *g, int row)
{
    QStringList out;
    for (int c = 1; c <= g->columnCount(); ++c)
        out << g->value(row, c).toString();
    return out;
}

QString text(Report &r, const char *section, const char *control, int row = -1)
{
    return r.controlText(QLatin1String(section), QLatin1String(control), row);
}

} // namespace

class TestStockReports : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDb> db;
    QTemporaryDir pdfDir;

    void setPeriod(const QString &from, const QString &to)
    {
        seekPeriod(DiaSeek::instance(), from, to);
        seekPeriod(DiaSeekAll::instance(), from, to);
    }
    void writePdf(Report &r, const QString &suffix = QString())
    {
        QVERIFY(QFileInfo(writeReportPdf(r, pdfDir.path(), suffix)).size() > 1000);
    }
    // The revision's articles in the period 01.03.2010 - 31.03.2010.
    void seedRevision()
    {
        line(*db, QDate(2010, 2, 27), "P", "Болт", 10, 0.2);            // only before the period
        line(*db, QDate(2010, 3, 1), "P", "Гума", 4, 2.5);              // first receipt, on the start day
        line(*db, QDate(2010, 3, 15), "P", "Гума", 1, 3);
        line(*db, QDate(2010, 3, 10), "P", "Масло", 2, 10);
        line(*db, QDate(2010, 3, 31), "R", "Масло", 5, 10);             // issue on the end day
        line(*db, QDate(2010, 4, 1), "P", "Масло", 100, 10);            // after the period
        line(*db, QDate(2010, 3, 3), "R", kTrip, 1, 10, "СВ 1234 АК", "0000000000");
        line(*db, QDate(2010, 3, 4), "R", kTrip, 1, 20, "СВ 1234 АК", "0000000000");
        line(*db, QDate(2010, 3, 5), "R", kTrip, 1, 30.5, "ПВ 5678 ВВ", "0000000000");
        line(*db, QDate(2010, 3, 5), "P", kOdd, 12000, 1000);           // wider than the old columns
    }

private Q_SLOTS:
    void init()
    {
        db = std::make_unique<TestDb>();
        seedCompany();
    }
    void cleanup()
    {
        delete openSkladSK();
        db.reset();
    }
    void revisionTextsAndTotal();
    void revisionScreenKeepsItsRowsAndRebuildsForANewPeriod();
    void revisionOfAnEmptyWarehouse();
    void revisionShowsNoStockMadeOfRounding();
    void stockListByPrefix();
    void storeReportReceiptsAndIssues();
};

void TestStockReports::revisionTextsAndTotal()
{
    seedRevision();
    const auto rows = revisionRows(db->conn(), QDate(2010, 3, 1), QDate(2010, 3, 31));
    QStringList names;
    for (const RevisionRow &r : rows)
        names << r.name;
    // Every article ever entered, in alphabetical order.
    QCOMPARE(names, QStringList({"Болт", "Гума", kOdd, "Масло", kTrip}));
    QCOMPARE(rows[0].texts(), QStringList({"", " 0", "0,00лв.", "- ", "- ", " 0", "0,00лв."}));
    QCOMPARE(rows[1].texts(), QStringList({"2,50лв.", " 5", "13,00лв.", "- ", "- ", " 5", "13,00лв."}));
    QCOMPARE(rows[2].texts(),
             QStringList({"1000,00лв.", " 12000", "12000000,00лв.", "- ", "- ", " 12000", "12000000,00лв."}));
    QCOMPARE(rows[3].texts(), QStringList({"10,00лв.", " 2", "20,00лв.", " 5", "50,00лв.", "-3", "-30,00лв."}));
    QCOMPARE(rows[4].texts(), QStringList({"", " 0", "0,00лв.", " 3", "60,50лв.", "-3", "-60,50лв."}));
    QCOMPARE(revisionTotal(rows), 13.0 + 12000000.0 - 30.0 - 60.5);
    QCOMPARE(revisionQuantityText(2.5), QStringLiteral(" 2.5"));
    QCOMPARE(revisionQuantityText(-0.0), QStringLiteral(" 0"));
    QCOMPARE(currencyText(1234.5), QStringLiteral("1234,5"));
}

void TestStockReports::revisionScreenKeepsItsRowsAndRebuildsForANewPeriod()
{
    seedRevision();
    MessageCapture msgs;
    ReportCapture shown;
    setPeriod("01.03.2010", "31.03.2010");
    QVERIFY(runTarget(QStringLiteral("SkladSK"), false));
    SkladSK *w = openSkladSK();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(!ProgDialog::instance().isVisible());
    QCOMPARE(w->windowTitle().endsWith(QStringLiteral(" - Склад - Ревизия")), true);
    Grid *g = w->GridEX1;
    QCOMPARE(g->rowCount(), 5);
    QCOMPARE(gridTexts(g, 3).mid(1),
             QStringList({"Масло", "10,00лв.", " 2", "20,00лв.", " 5", "50,00лв.", "-3", "-30,00лв."}));
    QVERIFY(!g->Columns(5).visible() && !g->Columns(7).visible());
    // Remaining below 1 (0, -3) is drawn "RazhPlus"; 5 and 12000 are not.
    QCOMPARE(g->rowStyle(0), QStringLiteral("RazhPlus"));
    QCOMPARE(g->rowStyle(1), QString());
    QCOMPARE(g->rowStyle(2), QString());
    QCOMPARE(g->rowStyle(3), QStringLiteral("RazhPlus"));
    QCOMPARE(w->Label1->text(), QStringLiteral("Всичко: 11999922,50лв."));
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        w->grab().save(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("SkladSK.png"));

    // Another command rebuilding the shared scratch database changes nothing here.
    CreateTempTable(QStringLiteral("TempSKlad"));
    g->setCurrentRow(4);
    w->cmdPrint->click();
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(shown.shown[0].design, QStringLiteral("rptSklad"));
    QVERIFY(shown.shown[0].modal);
    Report &r = rptSklad();
    QCOMPARE(r.data().rowCount(), 5);
    QCOMPARE(text(r, "Detail", "Text101", 0), QStringLiteral("Болт")); // from the first row
    QCOMPARE(text(r, "Detail", "Text103", 3), QStringLiteral("20,00лв."));
    QCOMPARE(text(r, "Detail", "Text105", 4), QStringLiteral("60,50лв."));
    QCOMPARE(text(r, "ReportFooter", "Label8"), QStringLiteral("Обща сума 11999922,5 лв."));
    QVERIFY(text(r, "ReportHeader", "Label2").startsWith(QStringLiteral("за приходите и разходите в склада към ")));
    writePdf(r);
    QCOMPARE(cutOrOverlappingTexts(r, 0), 0);

    // The command again, for another period: the same screen, built anew.
    setPeriod("01.04.2010", "30.04.2010");
    QVERIFY(runTarget(QStringLiteral("SkladSK"), false));
    QCOMPARE(openSkladSK(), w);
    QCOMPARE(w->periodStart(), QDate(2010, 4, 1));
    QCOMPARE(gridTexts(g, 3).mid(1, 3), QStringList({"Масло", "10,00лв.", " 100"}));
    QCOMPARE(w->Label1->text(), QStringLiteral("Всичко: 1000,00лв."));
    QVERIFY(msgs.shown.isEmpty());
}

void TestStockReports::revisionOfAnEmptyWarehouse()
{
    MessageCapture msgs;
    setPeriod("01.03.2010", "31.03.2010");
    QVERIFY(runTarget(QStringLiteral("SkladSK"), false));
    SkladSK *w = openSkladSK();
    QVERIFY(w);
    QCOMPARE(w->GridEX1->rowCount(), 0);
    QCOMPARE(w->Label1->text(), QStringLiteral("Всичко: 0,00лв."));
    QVERIFY(!ProgDialog::instance().isVisible());
    QVERIFY(msgs.shown.isEmpty());
}

void TestStockReports::revisionShowsNoStockMadeOfRounding()
{
    // Binary fractions leave 3.55e-15 and -5.55e-17 behind: the stock list says 0,
    // so must the revision, on screen and on paper, drawn as a row with nothing left.
    line(*db, QDate(2010, 3, 1), "P", "Антифриз", 0.3, 10);
    line(*db, QDate(2010, 3, 2), "R", "Антифриз", 0.1, 10);
    line(*db, QDate(2010, 3, 3), "R", "Антифриз", 0.2, 10);
    line(*db, QDate(2010, 3, 1), "P", "Нафта", 30.3, 2);
    line(*db, QDate(2010, 3, 2), "R", "Нафта", 10.1, 2);
    line(*db, QDate(2010, 3, 3), "R", "Нафта", 20.2, 2);
    line(*db, QDate(2010, 3, 4), "P", "Чистач", 0.00001, 1); // a real remainder below 1, not "1e-05"
    line(*db, QDate(2010, 3, 5), "P", "Шайба", 2.5, 1);
    MessageCapture msgs;
    ReportCapture shown;
    setPeriod("01.03.2010", "31.03.2010");
    QVERIFY(runTarget(QStringLiteral("SkladSK"), false));
    SkladSK *w = openSkladSK();
    QVERIFY(w);
    Grid *g = w->GridEX1;
    QCOMPARE(g->rowCount(), 4);
    const QStringList left{" 0", " 0", " 0.00001", " 2.5"};
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(g->value(row, 8).toString(), left.at(row));
        QCOMPARE(g->rowStyle(row), row < 3 ? QStringLiteral("RazhPlus") : QString());
    }
    QCOMPARE(g->value(1, 4).toString(), QStringLiteral(" 30.3"));
    QCOMPARE(g->value(1, 6).toString(), QStringLiteral(" 30.3"));
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        w->grab().save(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("SkladSK-rounding.png"));
    w->cmdPrint->click();
    QCOMPARE(shown.shown.size(), 1);
    Report &r = rptSklad();
    for (int row = 0; row < 4; ++row)
        QCOMPARE(text(r, "Detail", "Text106", row), left.at(row));
    writePdf(r, "-rounding");
    QVERIFY(msgs.shown.isEmpty());
}

void TestStockReports::stockListByPrefix()
{
    const QString nalich = QStringLiteral("INSERT INTO Nalich (Name, Edin, Broi) VALUES (?,?,?)");
    db->exec(nalich, {QStringLiteral("Гума 12R"), 150.0, 4.0});
    db->exec(nalich, {QStringLiteral("гайка"), 0.5, 100.0});     // price below 1, found whatever the case
    db->exec(nalich, {QStringLiteral("Гайка M8"), 2.0, 0.0});     // nothing left, still listed
    db->exec(nalich, {QStringLiteral("Болт с Гайка"), 1.0, 5.0}); // holds the prefix further in
    db->exec(nalich, {kOdd, 1.0, 3.0});
    db->exec(nalich, {QStringLiteral("Д'Арк 100 чист"), 1.0, 3.0});
    MessageCapture msgs;
    ReportCapture shown;

    DiaSeek::instance().sNalich = QStringLiteral("га");
    NalichSK w;
    QVERIFY(w.load());
    QCOMPARE(w.GridEX1->rowCount(), 2);
    QCOMPARE(gridTexts(w.GridEX1, 0), QStringList({"1", "гайка", "100", "0.5", "50"}));
    QCOMPARE(gridTexts(w.GridEX1, 1), QStringList({"2", "Гайка M8", "0", "2", "0"}));
    QCOMPARE(w.GridEX1->text(0, 4), QStringLiteral("0,50"));
    QCOMPARE(w.GridEX1->rowStyle(0), QStringLiteral("RazhPlus"));
    QCOMPARE(w.GridEX1->rowStyle(1), QString());
    QCOMPARE(w.Label1->text(), QStringLiteral("Всичко: 50,00лв."));
    w.GridEX1->setCurrentRow(1);
    w.cmdPrint->click();
    QCOMPARE(shown.shown.size(), 1);
    Report &r = rptNalich();
    QCOMPARE(text(r, "Detail", "Text101", 0), QStringLiteral("гайка")); // from the first row
    QCOMPARE(text(r, "Detail", "Text104", 0), QStringLiteral("50,00"));
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        w.grab().save(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("NalichSK.png"));
    QCOMPARE(text(r, "ReportFooter", "Label8"), QStringLiteral("Обща сума 50 лв."));
    writePdf(r);

    // A long name and a large value print whole.
    db->exec(nalich, {QStringLiteral("Гайка шестостенна поцинкована M12x1,5"), 9999.99, 1000.0});
    QVERIFY(w.load());
    QCOMPARE(w.GridEX1->rowCount(), 3);
    w.cmdPrint->click();
    QCOMPARE(text(r, "Detail", "Text104", 2), QStringLiteral("9999990,00"));
    QCOMPARE(cutOrOverlappingTexts(r, 0), 0);

    // A typed "%" or "_" matches only itself.
    DiaSeek::instance().sNalich = QStringLiteral("Д'Арк 100%_");
    NalichSK odd;
    QVERIFY(odd.load());
    QCOMPARE(odd.GridEX1->rowCount(), 1);
    QCOMPARE(odd.GridEX1->value(0, 2).toString(), kOdd);

    DiaSeek::instance().sNalich = QStringLiteral("Няма");
    NalichSK none;
    QVERIFY(none.load());
    QCOMPARE(msgs.lastText(), QStringLiteral("В склада няма артикул с това име!\rМоля, изберете друго."));
    QCOMPARE(none.GridEX1->rowCount(), 0);
    QCOMPARE(none.Label1->text(), QStringLiteral("Всичко:"));
}

void TestStockReports::storeReportReceiptsAndIssues()
{
    line(*db, QDate(2010, 3, 5), "P", "Масло", 2, 10.5, "Фактура", "ДОК");
    line(*db, QDate(2010, 3, 31), "P", "Гума", 1, 150);
    line(*db, QDate(2010, 3, 1), "P", "Антифриз за двигатели 20лт", 3, 7.125);
    line(*db, QDate(2010, 4, 1), "P", "Гума", 1, 150);               // after the period
    line(*db, QDate(2010, 3, 3), "R", kTrip, 1, 10, "СВ 1234 АК", "0000000000");
    line(*db, QDate(2010, 3, 4), "R", kTrip, 1, 20, "СВ 1234 АК", "0000000000");
    line(*db, QDate(2010, 3, 4), "R", kTrip, 1, 40, "ПВ 5678 ВВ", "0000000000");
    line(*db, QDate(2010, 3, 6), "R", "Масло", 1, 10.5, "СВ 1234 АК-рмнт", "7");
    MessageCapture msgs;
    ReportCapture shown;
    setPeriod("01.03.2010", "31.03.2010");
    CreateTempTable(QStringLiteral("TempSKladPR"));

    DiaSeek::instance().sNalich = QString();
    QVERIFY(runTarget(QStringLiteral("PrintStoreReport"), true));
    QCOMPARE(shown.shown.size(), 1);
    QVERIFY(shown.shown[0].caption.endsWith(QStringLiteral(" - Справка - Приходи в склада")));
    Report &r = rptSkladPR();
    QCOMPARE(r.data().rowCount(), 3);
    QStringList names;
    for (int i = 0; i < 3; ++i)
        names << text(r, "Detail", "Text103", i);
    QCOMPARE(names, QStringList({"Антифриз за двигатели 20лт", "Гума", "Масло"}));
    QCOMPARE(text(r, "Detail", "Text102", 2), QStringLiteral("ДОК / 5.3.2010"));
    QCOMPARE(text(r, "Detail", "Text105", 0), QStringLiteral("3,000"));
    QCOMPARE(text(r, "Detail", "Text104", 0), QStringLiteral("7,13"));
    QCOMPARE(text(r, "PageHeader", "Label107"), QStringLiteral("Приход"));
    QCOMPARE(text(r, "ReportHeader", "Label2"), QStringLiteral("за приходите в склада от 01.03.2010 до 31.03.2010"));
    // The total is of the unformatted amounts: 21.375 + 150 + 21.
    QCOMPARE(text(r, "ReportFooter", "Label8"), QStringLiteral("Обща сума на приходите: 192,38 лв."));
    writePdf(r, "-receipts");
    QCOMPARE(cutOrOverlappingTexts(r, 0), 0);

    // Issues of one car: its trip expenses and any kind that begins with its number.
    CreateTempTable(QStringLiteral("TempSKladPR"));
    DiaSeekAll::instance().Kola = QStringLiteral("СВ 1234");
    DiaSeekAll::instance().Marsh = QString();
    QVERIFY(runTarget(QStringLiteral("PrintStoreReport"), false));
    QCOMPARE(shown.shown.size(), 2);
    QCOMPARE(r.data().rowCount(), 3);
    QCOMPARE(text(r, "Detail", "Text101", 0), QStringLiteral("СВ 1234 АК-рмнт"));
    QCOMPARE(text(r, "Detail", "Text103", 1), kTrip);
    QCOMPARE(text(r, "Detail", "Text105", 1), QStringLiteral("1,000"));
    QCOMPARE(text(r, "PageHeader", "Label107"), QStringLiteral("Разход"));
    QCOMPARE(text(r, "ReportFooter", "Label8"), QStringLiteral("Обща сума на разходите: 40,50 лв."));
    writePdf(r, "-issues");
    QCOMPARE(cutOrOverlappingTexts(r, 0), 0);
    // Each row is ruled as the design gives it: a line along both edges of every
    // column and one under the row.
    const QVector<ReportItem> items = r.pageItems(0);
    int boxes = 0;
    for (const ReportItem &box : items) {
        if (box.section != QLatin1String("Detail") || box.kind != ReportControl::TextBox)
            continue;
        ++boxes;
        bool leftEdge = false, rightEdge = false, foot = false;
        for (const ReportItem &l : items) {
            if (l.kind != ReportControl::Line || l.section != QLatin1String("Detail") || l.row != box.row)
                continue;
            const QRectF n = l.rect.normalized();
            if (n.width() < 1 && n.top() <= box.rect.top() + 0.5 && n.bottom() >= box.rect.bottom() - 0.5) {
                leftEdge = leftEdge || qAbs(n.left() - box.rect.left()) < 1;
                rightEdge = rightEdge || qAbs(n.left() - box.rect.right()) < 1;
            }
            foot = foot || (n.height() < 1 && qAbs(n.top() - box.rect.bottom()) < 1
                            && n.left() <= box.rect.left() + 0.5 && n.right() >= box.rect.right() - 0.5);
        }
        QVERIFY2(leftEdge && rightEdge && foot, qPrintable(box.control));
    }
    QVERIFY(boxes >= 7);

    // Nothing in the period: the message, no report.
    setPeriod("01.01.2011", "31.01.2011");
    QVERIFY(runTarget(QStringLiteral("PrintStoreReport"), true));
    QCOMPARE(msgs.shown.last().caption, QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма приходи в склада за периода!"));
    QVERIFY(runTarget(QStringLiteral("PrintStoreReport"), false));
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма разходи в склада за периода!"));
    QCOMPARE(shown.shown.size(), 2);
    QVERIFY(!ProgDialog::instance().isVisible());
}

QTEST_MAIN(TestStockReports)
#include "test_stockreports.moc"
