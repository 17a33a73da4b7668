#include "reports/tripreports.h"

#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekalt.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"

#include <QList>

namespace kelm {

namespace {

using A = ReportAlign;

struct Column {
    int number;       // Label<n> in the page header, Text<n> in the detail band
    const char *caption;
    int width;        // twips
    A align;
    const char *format; // number format of the printed value
};

const QString kNarrowFace = QStringLiteral("DejaVu Sans Condensed");

// Heights of the bands, twips.
constexpr int kHeaderHeight = 2280;
constexpr int kPageHeaderHeight = 400;
constexpr int kDetailHeight = 270;
constexpr int kPageFooterHeight = 420;
constexpr int kReportFooterHeight = 720;

// One trip list design: the company header with the title and subject lines,
// the column captions, one detail line per trip, the version footer and the
// three sums of tons, kilometres and gross amounts under their columns.
void declareTripDesign(Report &r, const QString &title, const QList<Column> &cols, int tonCol, int kmCol,
                       int sumCol)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    declareDesignPage(r, info);
    const int width = info.width;
    const bool landscape = info.landscape;

    ReportSection &rh = r.addSection(QStringLiteral("ReportHeader"), kHeaderHeight);
    rh.addLabel(QStringLiteral("Label1"), 0, 60, width, 400, QStringLiteral("Фирма"), 14, true, A::Center);
    rh.addLabel(QStringLiteral("Label2"), 0, 480, width, 280, QStringLiteral("Адрес"), 10, false, A::Center);
    rh.addLabel(QStringLiteral("Label9"), 0, 760, width, 280, QStringLiteral("Връзка"), 9, false, A::Center);
    rh.addLine(QStringLiteral("Line1"), 0, 1110, width, 0).setLineWidth(20);
    rh.addLabel(QStringLiteral("Label3"), 0, 1180, width, 400, title, 14, true, A::Center);
    rh.addLabel(QStringLiteral("Label4"), 0, 1590, width, 320, QString(), 11, true, A::Center);
    rh.addLabel(QStringLiteral("Label5"), 0, 1920, width, 300, QString(), 10, false, A::Center);

    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), kPageHeaderHeight);
    ReportSection &det = r.addSection(QStringLiteral("Detail"), kDetailHeight);
    ph.addLine(QStringLiteral("Line2"), 0, 20, width, 0);
    int x = 0;
    QHash<int, int> colLeft, colWidth;
    for (const Column &c : cols) {
        ph.addLabel(QStringLiteral("Label%1").arg(c.number), x, 50, c.width, 300, QString::fromUtf8(c.caption), 8,
                    true, c.align);
        // The narrow face lets a full 25-letter route, client or goods fit its column.
        det.addTextBox(QStringLiteral("Text%1").arg(c.number), x, 0, c.width, kDetailHeight, c.align,
                       QString::fromUtf8(c.format))
            .setFont(8)
            .setFontFamily(kNarrowFace);
        colLeft[c.number] = x;
        colWidth[c.number] = c.width;
        x += c.width;
    }
    ph.addLine(QStringLiteral("Line3"), 0, 380, width, 0);

    ReportSection &pf = r.addSection(QStringLiteral("PageFooter"), kPageFooterHeight);
    pf.addLine(QStringLiteral("Line4"), 0, 40, width, 0);
    pf.addLabel(QStringLiteral("Label6"), 0, 100, width / 2, 260, QStringLiteral("Тревалон"), 8);
    pf.addLabel(QStringLiteral("Label7"), width / 2, 100, width / 2, 260,
                QStringLiteral("Програма за управление на превози"), 8, false, A::Right);

    ReportSection &rf = r.addSection(QStringLiteral("ReportFooter"), kReportFooterHeight);
    rf.addLine(QStringLiteral("Line5"), 0, 40, width, 0).setLineWidth(20);
    // A sum is right-aligned under its column; its box reaches a little into the
    // column before, as a year's total is longer than one trip's value.
    auto sumBox = [&](const char *fn, const char *lbl, const char *caption, int col, const char *format) {
        rf.addLabel(QLatin1String(lbl), colLeft[col], 100, colWidth[col], 260, QString::fromUtf8(caption), 8, true,
                    A::Right);
        rf.addFunction(QLatin1String(fn), colLeft[col] - 350, 380, colWidth[col] + 350, 280, A::Right,
                       QLatin1String(format))
            .setFont(8, true)
            .setFontFamily(kNarrowFace);
    };
    rf.addLabel(QStringLiteral("Label8"), 0, 380, std::min(colLeft[tonCol], 1400), 280, QStringLiteral("Всичко"), 9,
                true);
    sumBox("Function102", "Label10", "Товар", tonCol, "###0.000");
    sumBox("Function103", "Label11", "Км", kmCol, "###0");
    sumBox("Function105", "Label12", "Сума", sumCol, "###0.00");
    // The design's own orientation is what it was declared with.
    r.setLandscape(landscape);
}

void declareRptKola(Report &r)
{
    declareTripDesign(r, QStringLiteral("Справка"),
                      {{100, "Дата", 1000, A::Left, ""},
                       {101, "Пл.", 500, A::Right, ""},
                       {102, "Тонаж", 1000, A::Right, "###0.000"},
                       {103, "Км", 800, A::Right, "###0"},
                       {104, "Тар.", 750, A::Right, kTariffFormat},
                       {105, "Сума", 1100, A::Right, "###0.00"},
                       {108, "Маршрут", 3350, A::Left, ""},
                       {109, "Клиент", 3250, A::Left, ""},
                       {110, "Товар", 3050, A::Left, ""}},
                      102, 103, 105);
}

void declareRptAll(Report &r)
{
    declareTripDesign(r, QStringLiteral("Обща справка"),
                      {{100, "Дата", 1000, A::Left, ""},
                       {101, "Кола№", 1250, A::Center, ""},
                       {102, "Тонаж", 1000, A::Right, "###0.000"},
                       {103, "Км", 800, A::Right, "###0"},
                       {104, "Тар.", 750, A::Right, kTariffFormat},
                       {105, "Сума", 1100, A::Right, "###0.00"},
                       {108, "Маршрут", 3000, A::Left, ""},
                       {109, "Клиент", 3000, A::Left, ""},
                       {110, "Товар", 2900, A::Left, ""}},
                      102, 103, 105);
}

void declareRptKlient(Report &r)
{
    declareTripDesign(r, QString(),
                      {{100, "Дата", 1000, A::Left, ""},
                       {101, "Кола", 1200, A::Center, ""},
                       {102, "Тон.", 900, A::Right, "###0.000"},
                       {103, "Км", 700, A::Right, "###0"},
                       {104, "Сума", 1250, A::Right, "###0.00"},
                       {107, "Маршрут", 2200, A::Left, ""},
                       {108, "Товар", 2350, A::Left, ""}},
                      102, 103, 104);
}

void declareRptDriver(Report &r)
{
    declareTripDesign(r, QStringLiteral("Справка"),
                      {{100, "Дата", 1000, A::Left, ""},
                       {101, "Кола№", 1200, A::Center, ""},
                       {102, "Тонаж", 950, A::Right, "###0.000"},
                       {103, "Км", 750, A::Right, "###0"},
                       {104, "Тар.", 750, A::Right, kTariffFormat},
                       {105, "Сума", 1100, A::Right, "###0.00"},
                       {108, "Маршрут", 2800, A::Left, ""},
                       {109, "Клиент", 2800, A::Left, ""},
                       {110, "Товар", 2650, A::Left, ""},
                       {111, "Плат.", 800, A::Center, ""}},
                      102, 103, 105);
}

// The trips for the period, oldest first; trips of one day in the
// order they were entered. Only the columns the report prints are read.
ReportData readTrips(const QString &cols, const QString &where, QVariantList params, const QDate &start,
                     const QDate &end)
{
    params << start << end;
    Connection conn;
    conn.open(gConnStr);
    return ReportData::fromQuery(conn,
                                 QStringLiteral("SELECT ") + cols + QStringLiteral(" FROM tabl WHERE ") + where
                                     + QStringLiteral("Data BETWEEN ? AND ? ORDER BY Data, ID"),
                                 params);
}

// Window title (where the design does not keep its own) and page setup, from
// the table of designs.
void setFramePage(Report &r)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    if (!info.title.isEmpty())
        r.setCaption(info.windowCaption());
    applyDesignPage(r, info);
}

void bindColumns(Report &r, const QList<QPair<int, const char *>> &cols)
{
    ReportSection &det = r.section(QStringLiteral("Detail"));
    for (const auto &c : cols)
        det.control(QStringLiteral("Text%1").arg(c.first)).setDataField(QLatin1String(c.second));
}

void bindSums(Report &r)
{
    ReportSection &rf = r.section(QStringLiteral("ReportFooter"));
    rf.control(QStringLiteral("Function102")).setDataField(QStringLiteral("ton")).setFunctionType(0);
    rf.control(QStringLiteral("Function103")).setDataField(QStringLiteral("km")).setFunctionType(0);
    rf.control(QStringLiteral("Function105")).setDataField(QStringLiteral("bruto")).setFunctionType(0);
}

void fillHeader(Report &r, const QString &subject3, const QString &subject4, const QDate &start, const QDate &end)
{
    fillCompanyHeader(r, reportDesign(r.name()));
    ReportSection &rh = r.section(QStringLiteral("ReportHeader"));
    if (!subject3.isNull())
        rh.control(QStringLiteral("Label3")).setCaption(subject3);
    rh.control(QStringLiteral("Label4")).setCaption(subject4);
    rh.control(QStringLiteral("Label5")).setCaption(reportPeriodLine(start, end));
}

} // namespace

Report &rptKola() { return Report::instance(QStringLiteral("rptKola"), &declareRptKola); }
Report &rptAll() { return Report::instance(QStringLiteral("rptAll"), &declareRptAll); }
Report &rptKlient() { return Report::instance(QStringLiteral("rptKlient"), &declareRptKlient); }
Report &rptDriver() { return Report::instance(QStringLiteral("rptDriver"), &declareRptDriver); }

void PrintTripsByCar()
{
    const DiaSeek &d = DiaSeek::instance();
    if (!d.lYes)
        return;
    runReportFill([&] {
        const ReportData rows = readTrips(QStringLiteral("Data, plat, ton, km, Tarifa, bruto, Marsh, Klient, Tovar"),
                                          QStringLiteral("kola=? AND "), {d.Kola}, d.startDate(), d.endDate());
        Report &r = rptKola();
        // The car report keeps its design caption.
        setFramePage(r);
        r.setDataSource(rows);
        fillHeader(r, QString(), QStringLiteral("за курсовете на кола №") + d.Kola, d.startDate(), d.endDate());
        bindColumns(r, {{100, "Data"}, {101, "plat"}, {102, "ton"}, {103, "km"}, {104, "tarifa"}, {105, "bruto"},
                        {108, "Marsh"}, {109, "Klient"}, {110, "Tovar"}});
        fillVersionFooter(r, reportDesign(r.name()));
        bindSums(r);
        r.show(reportDesign(r.name()).modal);
    });
}

void PrintTripsByPeriod()
{
    const DiaSeekAlt &d = DiaSeekAlt::instance();
    runReportFill([&] {
        QString where, subject;
        if (d.sOption == QLatin1String("Yes")) {
            where = QStringLiteral("Fakt=1 AND ");
            subject = QStringLiteral("за фактурираните курсове на фирма ");
        } else if (d.sOption == QLatin1String("No")) {
            where = QStringLiteral("COALESCE(Fakt,0)=0 AND ");
            subject = QStringLiteral("за нефактурираните курсове на фирма ");
        } else {
            subject = QStringLiteral("за курсовете на фирма ");
        }
        const ReportData rows = readTrips(
            QStringLiteral("Data, kola, ton, km, Tarifa, bruto, Marsh, Klient, Tovar"), where, {}, d.startDate(),
            d.endDate());
        Report &r = rptAll();
        setFramePage(r);
        r.setDataSource(rows);
        fillHeader(r, QString(), subject + gFirmName, d.startDate(), d.endDate());
        bindColumns(r, {{100, "Data"}, {101, "kola"}, {102, "ton"}, {103, "km"}, {104, "tarifa"}, {105, "bruto"},
                        {108, "Marsh"}, {109, "Klient"}, {110, "Tovar"}});
        fillVersionFooter(r, reportDesign(r.name()));
        bindSums(r);
        r.show(reportDesign(r.name()).modal);
    });
}

void PrintTripsByClient()
{
    const DiaSeek &d = DiaSeek::instance();
    if (!d.lYes)
        return;
    runReportFill([&] {
        const ReportData rows = readTrips(QStringLiteral("Data, kola, ton, km, bruto, Marsh, Tovar"),
                                          QStringLiteral("Klient=? AND "), {d.Klient}, d.startDate(), d.endDate());
        Report &r = rptKlient();
        setFramePage(r);
        r.setDataSource(rows);
        fillHeader(r, QStringLiteral("Извършени от ") + gFirmName + QStringLiteral(" курсове"),
                   QStringLiteral("по заявка на ") + d.Klient, d.startDate(), d.endDate());
        bindColumns(r, {{100, "Data"}, {101, "kola"}, {102, "ton"}, {103, "km"}, {104, "bruto"}, {107, "Marsh"},
                        {108, "Tovar"}});
        fillVersionFooter(r, reportDesign(r.name()));
        bindSums(r);
        r.show(reportDesign(r.name()).modal);
    });
}

void PrintTripsByDriver()
{
    const DiaSeekAlt &d = DiaSeekAlt::instance();
    runReportFill([&] {
        const ReportData rows = readTrips(QStringLiteral("Data, kola, ton, km, Tarifa, bruto, Marsh, Klient, Tovar, plat"),
                                          QStringLiteral("kod=? AND "), {d.ShofKod}, d.startDate(), d.endDate());
        Report &r = rptDriver();
        setFramePage(r);
        r.setDataSource(rows);
        fillHeader(r, QString(), QStringLiteral("за курсовете извършени от ") + d.ShofName, d.startDate(),
                   d.endDate());
        // Each trip's date shows whether that trip is paid: white when paid, grey
        // when not (an empty flag counts as not paid).
        r.section(QStringLiteral("Detail"))
            .control(QStringLiteral("Text100"))
            .setBackColor(QColor(192, 192, 192))
            .setRowBackColor([](const ReportData &data, int row) {
                const QVariant v = data.value(row, QStringLiteral("plat"));
                const bool paid = !v.isNull() && v.isValid() && v.toBool();
                return paid ? QColor(255, 255, 255) : QColor(192, 192, 192);
            });
        bindColumns(r, {{100, "Data"}, {101, "kola"}, {102, "ton"}, {103, "km"}, {104, "tarifa"}, {105, "bruto"},
                        {108, "Marsh"}, {109, "Klient"}, {110, "Tovar"}, {111, "plat"}});
        fillVersionFooter(r, reportDesign(r.name()));
        bindSums(r);
        r.show(reportDesign(r.name()).modal);
    });
}

} // namespace kelm
