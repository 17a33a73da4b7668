#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "printing/report.h"
#include "printing/reportframe.h"
#include "printing/reportpreview.h"
#include "filedialogcheck.h"
#include "reportcheck.h"
#include "testdb.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QFileInfo>
#include <QImage>
#include <QTimer>
#include <QLabel>
#include <QPushButton>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelm;

namespace {

// A4 portrait, 1440 twips on every side: the page body runs from 1440 to 15398.
// Page footer 458 → rows end at 14940. First page: 1440 + 1000 + 500 = 2940, so
// 12 rows of 1000; later pages start rows at 1940, so 13 rows.
void declareTest(Report &r)
{
    r.setDesignCaption(QStringLiteral("Проба"));
    r.setReportWidth(9000);
    r.setDefaultMargins(1440, 1440, 1440, 1440);
    ReportSection &rh = r.addSection(QStringLiteral("ReportHeader"), 1000);
    rh.addLabel(QStringLiteral("Label1"), 0, 0, 9000, 900, QStringLiteral("Заглавие"));
    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), 500);
    ph.addLabel(QStringLiteral("Label100"), 0, 0, 3000, 400, QStringLiteral("Име"));
    ReportSection &d = r.addSection(QStringLiteral("Detail"), 1000);
    d.addTextBox(QStringLiteral("Text100"), 0, 0, 3000, 1000);
    d.addTextBox(QStringLiteral("Text101"), 3000, 0, 2000, 1000, ReportAlign::Right, QStringLiteral("###0.00"));
    ReportSection &pf = r.addSection(QStringLiteral("PageFooter"), 458);
    pf.addLabel(QStringLiteral("Label6"), 0, 0, 3000, 400, QStringLiteral("Тревалон"));
    ReportSection &rf = r.addSection(QStringLiteral("ReportFooter"), 2000);
    rf.addFunction(QStringLiteral("Function101"), 3000, 0, 2000, 400, ReportAlign::Right, QStringLiteral("###0.00"));
}

ReportData rows(int n)
{
    QVector<QVector<QVariant>> r;
    for (int i = 0; i < n; ++i)
        r.append({QStringLiteral("Ред %1").arg(i + 1), 1.5 * (i + 1)});
    return ReportData({QStringLiteral("Name"), QStringLiteral("Suma")}, r);
}

std::unique_ptr<Report> makeReport(int n)
{
    auto r = std::make_unique<Report>(QStringLiteral("rptTest"));
    declareTest(*r);
    r->setDataSource(rows(n));
    r->section(QStringLiteral("Detail")).control(QStringLiteral("Text100")).setDataField(QStringLiteral("name"));
    r->section(QStringLiteral("Detail")).control(QStringLiteral("Text101")).setDataField(QStringLiteral("SUMA"));
    r->section(QStringLiteral("ReportFooter")).control(QStringLiteral("Function101")).setDataField(QStringLiteral("Suma"));
    return r;
}

QStringList sectionsOn(Report &r, int page)
{
    QStringList out;
    for (const ReportItem &it : r.pageItems(page))
        if (out.isEmpty() || out.last() != it.section)
            out << it.section;
    return out;
}

} // namespace

class TestReportRuntime : public QObject {
    Q_OBJECT
private slots:
    void pagination_data();
    void pagination();
    void rowsThatRunOnKeepAbovePageFooter();
    void headersAndFooters();
    void reportFooterNeverSplit();
    void noDataSourceStillPrints();
    void functionSumsAndValueTexts();
    void carriageReturnBreaksLabel();
    void unknownNamesAreReported();
    void snapshotSurvivesTableChanges();
    void refillingInstanceAndOpenPreview();
    void perRowBackColor();
    void marginsAndLandscape();
    void linesMoveAndHide();
    void numbersTakeRoomOrGetSmaller();
    void pdfExport();
};

void TestReportRuntime::pagination_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("perPage");
    QTest::newRow("none") << 0 << QList<int>{0};
    QTest::newRow("one") << 1 << QList<int>{1};
    QTest::newRow("one page with footer") << 10 << QList<int>{10};
    QTest::newRow("page full") << 12 << QList<int>{12, 0};
    QTest::newRow("one more than fits") << 13 << QList<int>{12, 1};
    QTest::newRow("three pages") << 12 + 13 + 5 << QList<int>{12, 13, 5};
}

void TestReportRuntime::pagination()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, perPage);
    auto r = makeReport(rows);
    QCOMPARE(r->pageCount(), perPage.size());
    int next = 0;
    for (int p = 0; p < perPage.size(); ++p) {
        QCOMPARE(r->page(p).rowCount, perPage.at(p));
        QCOMPARE(r->page(p).firstRow, next);
        next += perPage.at(p);
        // The detail items of the page are exactly its rows, in order.
        QList<int> detailRows;
        for (const ReportItem &it : r->pageItems(p))
            if (it.section == QLatin1String("Detail") && it.control == QLatin1String("Text100"))
                detailRows << it.row;
        QCOMPARE(detailRows.size(), perPage.at(p));
        for (int i = 0; i < detailRows.size(); ++i)
            QCOMPARE(detailRows.at(i), r->page(p).firstRow + i);
    }
    QCOMPARE(next, rows);
    QVERIFY(r->page(r->pageCount() - 1).reportFooter);
}

// A long report's rows are seen to fit value by value before any band is laid
// out: a name that runs on still grows its row (each time it comes), an amount
// wider than its box stays on one line, and no row reaches into the page footer.
void TestReportRuntime::rowsThatRunOnKeepAbovePageFooter()
{
    const QString longName = QStringLiteral("Международни превози и спедиция Д'Арк Транс ЕООД, гр. Пловдив");
    const int n = 40;
    QVector<QVector<QVariant>> data;
    for (int i = 0; i < n; ++i)
        data.append({i == 0 || i == 20 ? longName : QStringLiteral("Ред %1").arg(i % 3),
                     i == 5 ? 1e14 : 1.5 * (i + 1)});
    auto r = makeReport(0);
    r->setDataSource(ReportData({QStringLiteral("Name"), QStringLiteral("Suma")}, data));
    const double footerTop = r->paperHeight() - r->margin(4) - 458;
    int next = 0;
    for (int p = 0; p < r->pageCount(); ++p) {
        QCOMPARE(r->page(p).firstRow, next);
        next += r->page(p).rowCount;
        for (const ReportItem &it : r->pageItems(p)) {
            if (it.section != QLatin1String("Detail"))
                continue;
            QVERIFY2(it.rect.bottom() <= footerTop + 0.5, qPrintable(QStringLiteral("row %1").arg(it.row)));
            if (it.control == QLatin1String("Text100"))
                QCOMPARE(it.lines.size() > 1, it.row == 0 || it.row == 20);
            if (it.control == QLatin1String("Text101"))
                QCOMPARE(it.lines.size(), 1);
        }
    }
    QCOMPARE(next, n);
}

void TestReportRuntime::headersAndFooters()
{
    auto r = makeReport(36);
    QCOMPARE(r->pageCount(), 3);
    QCOMPARE(sectionsOn(*r, 0), (QStringList{"ReportHeader", "PageHeader", "Detail", "PageFooter"}));
    QCOMPARE(sectionsOn(*r, 1), (QStringList{"PageHeader", "Detail", "PageFooter"}));
    QCOMPARE(sectionsOn(*r, 2), (QStringList{"PageHeader", "Detail", "ReportFooter", "PageFooter"}));
    // The page footer sits at the foot of every page, whatever the page holds.
    for (int p = 0; p < 3; ++p)
        for (const ReportItem &it : r->pageItems(p))
            if (it.section == QLatin1String("PageFooter"))
                QCOMPARE(it.rect.top(), 16838.0 - 1440 - 458);
    // Rows follow the headers without gaps; the first row of page 2 under the page header.
    for (const ReportItem &it : r->pageItems(1))
        if (it.row == 12 && it.control == QLatin1String("Text100"))
            QCOMPARE(it.rect.top(), 1440.0 + 500);
}

void TestReportRuntime::reportFooterNeverSplit()
{
    for (int n = 0; n < 60; ++n) {
        auto r = makeReport(n);
        int footers = 0;
        for (int p = 0; p < r->pageCount(); ++p)
            for (const ReportItem &it : r->pageItems(p))
                if (it.section == QLatin1String("ReportFooter")) {
                    ++footers;
                    QVERIFY2(it.rect.top() + 2000 <= 16838 - 1440 - 458 + 0.5, qPrintable(QString::number(n)));
                }
        QCOMPARE(footers, 1);
        // No page is left without anything after the first one.
        for (int p = 1; p < r->pageCount(); ++p)
            QVERIFY(r->page(p).rowCount > 0 || r->page(p).reportFooter);
    }
}

void TestReportRuntime::noDataSourceStillPrints()
{
    Report r(QStringLiteral("rptBare"));
    declareTest(r);
    r.section(QStringLiteral("Detail")).control(QStringLiteral("Text100")).setDataField(QStringLiteral("whatever"));
    QCOMPARE(r.pageCount(), 1);
    QCOMPARE(sectionsOn(r, 0), (QStringList{"ReportHeader", "PageHeader", "ReportFooter", "PageFooter"}));
    QCOMPARE(r.controlText(QStringLiteral("ReportHeader"), QStringLiteral("Label1")), QStringLiteral("Заглавие"));
}

void TestReportRuntime::functionSumsAndValueTexts()
{
    auto r = makeReport(4); // 1.5 + 3 + 4.5 + 6
    QCOMPARE(r->sum(QStringLiteral("suma")), 15.0);
    QCOMPARE(r->controlText(QStringLiteral("ReportFooter"), QStringLiteral("Function101")), QStringLiteral("15,00"));
    QCOMPARE(r->controlText(QStringLiteral("Detail"), QStringLiteral("Text101"), 0), QStringLiteral("1,50"));
    // Staged number texts are summed by their value and printed as staged.
    Report s(QStringLiteral("rptStaged"));
    declareTest(s);
    s.setDataSource(ReportData({"Name", "Suma"}, {{"a", "12,50"}, {"b", "0.25"}, {"c", QVariant()}}));
    s.section(QStringLiteral("ReportFooter")).control(QStringLiteral("Function101")).setDataField(QStringLiteral("Suma"));
    s.section(QStringLiteral("Detail")).control(QStringLiteral("Text101")).setDataField(QStringLiteral("Suma"));
    QCOMPARE(s.controlText(QStringLiteral("ReportFooter"), QStringLiteral("Function101")), QStringLiteral("12,75"));
    QCOMPARE(s.controlText(QStringLiteral("Detail"), QStringLiteral("Text101"), 0), QStringLiteral("12,50"));

    QCOMPARE(reportValueText(QDate(2010, 1, 5)), QStringLiteral("05.01.2010"));
    QCOMPARE(reportValueText(1234.5), QStringLiteral("1234,5"));
    QCOMPARE(reportValueText(1234.5, QStringLiteral("###0.00")), QStringLiteral("1234,50"));
    QCOMPARE(reportValueText(120), QStringLiteral("120"));
    QCOMPARE(reportValueText(true), reportTrueMark());
    QCOMPARE(reportValueText(false), QString());
    QCOMPARE(reportValueText(QVariant()), QString());
    QCOMPARE(reportValueText(QStringLiteral("Д'Арк")), QStringLiteral("Д'Арк"));
}

void TestReportRuntime::carriageReturnBreaksLabel()
{
    Report r(QStringLiteral("rptLines"));
    r.setDefaultMargins(0, 0, 0, 0);
    ReportSection &rh = r.addSection(QStringLiteral("ReportHeader"), 2000);
    rh.addLabel(QStringLiteral("Label1"), 0, 0, 4000, 2000, QString(), 20);
    QImage img(r.paperWidth() / 15, r.paperHeight() / 15, QImage::Format_RGB32);
    auto inkRows = [&](const QString &caption) {
        rh.control(QStringLiteral("Label1")).setCaption(caption);
        img.fill(Qt::white);
        QPainter p(&img);
        p.scale(1.0 / 15, 1.0 / 15);
        r.paintPage(p, 0);
        p.end();
        // Count the separate bands of rows that carry ink.
        int bands = 0;
        bool inInk = false;
        for (int y = 0; y < 2000 / 15; ++y) {
            bool ink = false;
            for (int x = 0; x < 4000 / 15 && !ink; ++x)
                ink = qGray(img.pixel(x, y)) < 128;
            if (ink && !inInk)
                ++bands;
            inInk = ink;
        }
        return bands;
    };
    QCOMPARE(inkRows(QStringLiteral("Първи ред")), 1);
    QCOMPARE(inkRows(QStringLiteral("Първи ред\rВтори ред")), 2);
    QCOMPARE(r.controlText(QStringLiteral("ReportHeader"), QStringLiteral("Label1")),
             QStringLiteral("Първи ред\rВтори ред"));
}

void TestReportRuntime::unknownNamesAreReported()
{
    auto r = makeReport(3);
    QVERIFY_THROWS_EXCEPTION(ReportError, r->section(QStringLiteral("Detail")).control(QStringLiteral("Text999")));
    QVERIFY_THROWS_EXCEPTION(ReportError, r->section(QStringLiteral("GroupHeader")));

    MessageCapture msgs;
    ReportCapture shown;
    const bool ok = runReportFill([&] {
        r->section(QStringLiteral("ReportHeader")).control(QStringLiteral("Label77")).setCaption(QStringLiteral("x"));
        r->show(false);
    });
    QVERIFY(!ok);
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ГРЕШКА!"));
    QVERIFY(msgs.lastText().contains(QStringLiteral("Label77")));
    QVERIFY(shown.shown.isEmpty());

    // A DataField the rows do not have is found before anything is shown.
    msgs.clear();
    QVERIFY(!runReportFill([&] {
        r->section(QStringLiteral("Detail")).control(QStringLiteral("Text100")).setDataField(QStringLiteral("Nothing"));
        r->show(false);
    }));
    QVERIFY(msgs.lastText().contains(QStringLiteral("Nothing")));
    QVERIFY(shown.shown.isEmpty());
    r->section(QStringLiteral("Detail")).control(QStringLiteral("Text100")).setDataField(QStringLiteral("Name"));

    // So is a function box of a kind other than a sum.
    msgs.clear();
    QVERIFY(!runReportFill([&] {
        r->section(QStringLiteral("ReportFooter")).control(QStringLiteral("Function101")).setFunctionType(3);
        r->show(false);
    }));
    QVERIFY(msgs.lastText().contains(QStringLiteral("Function101")));
    QVERIFY(shown.shown.isEmpty());
    r->section(QStringLiteral("ReportFooter")).control(QStringLiteral("Function101")).setFunctionType(0);
    QVERIFY(runReportFill([&] { r->show(false); }));
    QCOMPARE(shown.shown.size(), 1);
}

void TestReportRuntime::snapshotSurvivesTableChanges()
{
    TestDb db;
    Connection temp;
    temp.open(gTempConnStr);
    temp.execute(QStringLiteral("CREATE TABLE TempX (Red INTEGER, Name TEXT, Suma DOUBLE, Data DATE)"));
    temp.execute(QStringLiteral("INSERT INTO TempX VALUES (1, 'Първи', 2.5, '2010-01-05')"));
    temp.execute(QStringLiteral("INSERT INTO TempX VALUES (2, 'Втори', 3, '2010-01-31')"));
    Recordset rs;
    rs.open(temp, QStringLiteral("SELECT * FROM TempX ORDER BY Red"));
    Report r(QStringLiteral("rptSnap"));
    declareTest(r);
    r.setDataSource(rs);
    r.section(QStringLiteral("Detail")).control(QStringLiteral("Text100")).setDataField(QStringLiteral("DATA"));
    r.section(QStringLiteral("Detail")).control(QStringLiteral("Text101")).setDataField(QStringLiteral("suma"));
    // The scratch table is rebuilt for another report, the recordset requeried.
    temp.execute(QStringLiteral("DELETE FROM TempX"));
    rs.requery();
    rs.close();
    QCOMPARE(r.data().rowCount(), 2);
    QCOMPARE(r.controlText(QStringLiteral("Detail"), QStringLiteral("Text100"), 1), QStringLiteral("31.01.2010"));
    QCOMPARE(r.controlText(QStringLiteral("Detail"), QStringLiteral("Text101"), 0), QStringLiteral("2,50"));

    // A query's snapshot types every value as a recordset does, odd stored values
    // and expressions included, whichever way each cell is converted.
    temp.execute(QStringLiteral("INSERT INTO TempX VALUES (3, 'Първи', '7', '31.01.2010'), (1e10, 42, 'x', "
                                "'2010-02-30'), (NULL, 'Първи', NULL, NULL), (5000000000, 'Д''Арк', 1, '2010-01-05'), "
                                "(4, X'00ff', 2.25, 20100105)"));
    const QString sql = QStringLiteral("SELECT Red, Name, Suma, Data, Red*2 AS Twice FROM TempX ORDER BY rowid");
    const ReportData d = ReportData::fromQuery(temp, sql);
    Recordset check;
    check.open(temp, sql);
    QCOMPARE(d.rowCount(), 5);
    for (int row = 0; row < 5; ++row)
        for (const QString &f : check.fieldNames())
            QCOMPARE(d.value(row, f), check.value(row, f));
    QCOMPARE(d.value(3, QStringLiteral("data")).toDate(), QDate(2010, 1, 5));
    QVERIFY(d.value(1, QStringLiteral("Data")).isNull());
}

void TestReportRuntime::refillingInstanceAndOpenPreview()
{
    Report &a = Report::instance(QStringLiteral("rptInst"), &declareTest);
    Report &b = Report::instance(QStringLiteral("rptInst"), &declareTest);
    QCOMPARE(&a, &b);
    QCOMPARE(Report::existing(QStringLiteral("rptInst")), &a);
    QCOMPARE(a.caption(), QStringLiteral("Проба"));
    a.section(QStringLiteral("Detail")).control(QStringLiteral("Text100")).setDataField(QStringLiteral("Name"));

    a.setDataSource(rows(3));
    a.setCaption(QStringLiteral("Първо"));
    a.show(false); // modeless, offscreen
    ReportPreview *pv = a.preview();
    QVERIFY(pv);
    QVERIFY(pv->isVisible());
    QCOMPARE(pv->windowTitle(), QStringLiteral("Първо"));
    QCOMPARE(pv->lblPage->text(), QStringLiteral("Страница 1 от 1"));

    a.setDataSource(rows(36));
    a.setCaption(QStringLiteral("Второ"));
    a.show(false);
    QCOMPARE(a.preview(), pv); // the same open preview shows the new content
    QCOMPARE(pv->windowTitle(), QStringLiteral("Второ"));
    QCOMPARE(pv->lblPage->text(), QStringLiteral("Страница 1 от 3"));
    QCOMPARE(a.controlText(QStringLiteral("Detail"), QStringLiteral("Text100"), 35), QStringLiteral("Ред 36"));
    pv->cmdLast->click();
    QCOMPARE(pv->currentPage(), 2);
    QVERIFY(!pv->cmdNext->isEnabled());
    pv->cmdFirst->click();
    QCOMPARE(pv->currentPage(), 0);
    // A later fill that fails on a missing field is reported by the filler; the
    // open preview repaints without letting the error out.
    a.section(QStringLiteral("Detail")).control(QStringLiteral("Text100")).setDataField(QStringLiteral("Nothing"));
    QVERIFY(!pv->grab().isNull());
    a.section(QStringLiteral("Detail")).control(QStringLiteral("Text100")).setDataField(QStringLiteral("Name"));
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        pv->grab().save(qEnvironmentVariable("KELM_REPORT_LOOK") + "/preview.png");
    pv->close();
}

void TestReportRuntime::perRowBackColor()
{
    auto r = makeReport(3);
    r->section(QStringLiteral("Detail"))
        .control(QStringLiteral("Text100"))
        .setBackColor(Qt::gray)
        .setRowBackColor([](const ReportData &d, int row) {
            return d.value(row, QStringLiteral("Suma")).toDouble() > 2 ? QColor(Qt::white) : QColor();
        });
    QHash<int, QColor> colours;
    for (const ReportItem &it : r->pageItems(0))
        if (it.control == QLatin1String("Text100"))
            colours[it.row] = it.backColor;
    QCOMPARE(colours.value(0), QColor(Qt::gray));
    QCOMPARE(colours.value(1), QColor(Qt::white));
    QCOMPARE(colours.value(2), QColor(Qt::white));
}

void TestReportRuntime::marginsAndLandscape()
{
    auto r = makeReport(1);
    r->setLandscape(true);
    r->setMargins(1000, 1000, 567, 600);
    QCOMPARE(r->paperWidth(), 16838);
    QCOMPARE(r->margin(1), 1000);
    QCOMPARE(r->margin(4), 600);
    for (const ReportItem &it : r->pageItems(0)) {
        if (it.control == QLatin1String("Label1"))
            QCOMPARE(it.rect.topLeft(), QPointF(1000, 567));
        if (it.control == QLatin1String("Label6"))
            QCOMPARE(it.rect.top(), 11906.0 - 600 - 458);
    }
    r->resetPageValues();
    QVERIFY(!r->landscape());
    QCOMPARE(r->margin(1), 1440);
}

void TestReportRuntime::linesMoveAndHide()
{
    auto r = makeReport(1);
    ReportControl &line = r->section(QStringLiteral("ReportHeader")).addLine(QStringLiteral("Line1"), 0, 950, 9000, 0);
    auto lineRect = [&]() -> QRectF {
        for (const ReportItem &it : r->pageItems(0))
            if (it.control == QLatin1String("Line1"))
                return it.rect;
        return {};
    };
    QCOMPARE(lineRect(), QRectF(1440, 1440 + 950, 9000, 0));
    line.setLeft(500).setTop(100);
    QCOMPARE(lineRect(), QRectF(1440 + 500, 1440 + 100, 9000, 0));
    line.setVisible(false);
    QVERIFY(lineRect().isNull());
    // A hidden line leaves no ink.
    QImage img(r->paperWidth() / 15, r->paperHeight() / 15, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.scale(1.0 / 15, 1.0 / 15);
        r->paintPage(p, 0);
    }
    QCOMPARE(qGray(img.pixel((1440 + 8000) / 15, (1440 + 100) / 15)), 255);
    line.setVisible(true);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.scale(1.0 / 15, 1.0 / 15);
        r->paintPage(p, 0);
    }
    QVERIFY(qGray(img.pixel((1440 + 8000) / 15, (1440 + 100) / 15)) < 200);
}

// A number wider than its column takes the room its neighbour leaves unused (the
// caption and the rule on the edge move with it); without such room it is set
// smaller, down to 6 pt; what 6 pt cannot hold is taken from a column of words,
// which runs on over more lines.
void TestReportRuntime::numbersTakeRoomOrGetSmaller()
{
    Report r(QStringLiteral("rptNumbers"));
    r.setReportWidth(4000);
    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), 400);
    ph.addLabel(QStringLiteral("Label100"), 0, 0, 3000, 300, QStringLiteral("Име"));
    ph.addLabel(QStringLiteral("Label101"), 3000, 0, 1000, 300, QStringLiteral("Сума"), 9, false, ReportAlign::Right);
    ph.addLine(QStringLiteral("Line1"), 3000, 0, 0, 400);
    ReportSection &d = r.addSection(QStringLiteral("Detail"), 300);
    d.addTextBox(QStringLiteral("Text100"), 0, 0, 3000, 300).setDataField(QStringLiteral("Name"));
    d.addTextBox(QStringLiteral("Text101"), 3000, 0, 1000, 300, ReportAlign::Right)
        .setDataField(QStringLiteral("Suma"));
    // Prints one row; gives what a reader finds wrong with the page.
    QHash<QString, ReportItem> items;
    auto print = [&](const QString &name, const QString &amount) {
        r.setDataSource(ReportData({QStringLiteral("Name"), QStringLiteral("Suma")}, {{name, amount}}));
        items.clear();
        for (const ReportItem &it : r.pageItems(0))
            items.insert(it.control, it);
        return reportTextsCut(r).join(QLatin1Char('\n'));
    };
    auto item = [&](const char *name) { return items.value(QLatin1String(name)); };
    QCOMPARE(print(QStringLiteral("Ред"), QStringLiteral("123456789012,00")), QString());
    QCOMPARE(item("Text101").fontSize, 9.0);
    QVERIFY(item("Text101").rect.left() < 1440 + 3000 - 500);
    QCOMPARE(item("Label101").rect.left(), item("Text101").rect.left());
    QCOMPARE(item("Line1").rect.left(), item("Text101").rect.left());
    const QString letters(200, QChar(0x0430)); // one word, broken to fill every line
    QCOMPARE(print(letters, QStringLiteral("1")), QString());
    const qsizetype designLines = item("Text100").lines.size();
    QCOMPARE(print(letters, QStringLiteral("1234567,89")), QString());
    QVERIFY(item("Text101").fontSize < 9 && item("Text101").fontSize >= 6);
    QCOMPARE(item("Text100").lines.size(), designLines);
    QCOMPARE(print(letters, QStringLiteral("1234567890123456,00")), QString());
    QCOMPARE(item("Text101").fontSize, 6.0);
    QVERIFY(item("Text100").lines.size() > designLines);
}

void TestReportRuntime::pdfExport()
{
    QTemporaryDir dir;
    auto r = makeReport(30);
    const QString path = dir.filePath(QStringLiteral("proba.pdf"));
    r->exportPdf(path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), r->pageCount());
    QVERIFY_THROWS_EXCEPTION(ReportError, r->exportPdf(dir.filePath(QStringLiteral("no/such/folder/x.pdf"))));

    // The PDF is offered under the report's window title, as the print dialog offers it.
    QCOMPARE(pdfFileName(QStringLiteral("Справка за кола"), QStringLiteral("rptKola")),
             QStringLiteral("Справка за кола.pdf"));
    QCOMPARE(pdfFileName(QStringLiteral("Справка 1/2: \"А\"*?"), QStringLiteral("rptKola")),
             QStringLiteral("Справка 1 2 А.pdf"));
    QCOMPARE(pdfFileName(QStringLiteral(" .. "), QStringLiteral("rptKola")), QStringLiteral("rptKola.pdf"));
    r->setCaption(QStringLiteral("Справка за кола"));
    ReportPreview pv(r.get());
    pv.reload();
    QString offered, changes = QStringLiteral("not shown");
    QTimer::singleShot(0, [&offered, &changes] {
        auto *dlg = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        changes = fileDialogChanges(dlg);
        offered = QFileInfo(dlg->selectedFiles().value(0)).fileName();
        dlg->reject();
    });
    pv.cmdPdf->click();
    QCOMPARE(offered, QStringLiteral("Справка за кола.pdf"));
    QCOMPARE(changes, QString());

    // Neither a PDF nor a print to a file is written into Kelm.mdb, by any name.
    TestDb db;
    QFile kelm(gDbPath);
    QVERIFY(kelm.open(QIODevice::ReadOnly));
    const QByteArray before = kelm.readAll();
    kelm.close();
    const QString link = db.folder() + QStringLiteral("/справка.pdf");
    QVERIFY(QFile::link(gDbPath, link));
    MessageCapture cap;
    QTimer::singleShot(0, [&link] {
        auto *dlg = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        dlg->selectFile(link);
        QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
        // The question whether to replace the file already there.
        QTimer::singleShot(100, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                box->button(QMessageBox::Yes)->click();
        });
    });
    pv.cmdPdf->click();
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        auto *printers = dlg->findChild<QComboBox *>(QStringLiteral("printers"));
        auto *file = dlg->findChild<QLineEdit *>(QStringLiteral("filename"));
        QVERIFY(printers && file);
        printers->setCurrentIndex(printers->count() - 1); // print to a PDF file
        file->setText(gDbPath);
        dlg->accept();
    });
    pv.cmdPrint->click();
    QCOMPARE(cap.shown.size(), 2);
    for (const ShownMessage &m : cap.shown)
        QVERIFY2(m.text.contains(QStringLiteral("файлът с данните на програмата")), qPrintable(m.text));
    QVERIFY(kelm.open(QIODevice::ReadOnly));
    QCOMPARE(kelm.readAll(), before);
}

QTEST_MAIN(TestReportRuntime)
#include "test_reportruntime.moc"
