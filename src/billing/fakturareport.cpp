#include "billing/fakturareport.h"

#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"

namespace kelm {

namespace {

using A = ReportAlign;

const QString kNarrowFace = QStringLiteral("DejaVu Sans Condensed");
// The three footer lines share one fixed-width face, so that their fourteen-
// character prefixes end in one column and the amounts start together.
const QString kFooterFace = QStringLiteral("DejaVu Sans Mono");

constexpr int kDetailHeight = 270;

void declareRptFaktura(Report &r)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    declareDesignPage(r, info);
    const int width = info.width;

    ReportSection &rh = addHeaderBand(r, info, 2280);
    rh.addLabel(QStringLiteral("Label3"), 0, 1180, width, 400, QStringLiteral("Справка"), 14, true, A::Center);
    rh.addLabel(QStringLiteral("Label4"), 0, 1590, width, 320, QString(), 11, true, A::Center);
    rh.addLabel(QStringLiteral("Label5"), 0, 1920, width, 300, QString(), 10, false, A::Center);

    struct Col {
        const char *caption;
        int width;
        A align;
    };
    // №, date, car, route, goods, tons, km, tariff, amount: 10005 twips in all.
    const Col cols[] = {{"№", 350, A::Right},       {"Дата", 1000, A::Center},  {"Кола", 1000, A::Center},
                        {"Маршрут", 2450, A::Left}, {"Товар", 2245, A::Left},   {"Тон.", 750, A::Right},
                        {"КМ", 600, A::Right},      {"Тар.", 600, A::Right},    {"Сума", 1010, A::Right}};
    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), 400);
    ReportSection &det = r.addSection(QStringLiteral("Detail"), kDetailHeight);
    ph.addLine(QStringLiteral("Line2"), 0, 20, width, 0);
    int x = 0;
    for (int i = 0; i < 9; ++i) {
        ph.addLabel(QStringLiteral("Label%1").arg(100 + i), x, 50, cols[i].width, 300,
                    QString::fromUtf8(cols[i].caption), 8, true, cols[i].align);
        det.addTextBox(QStringLiteral("Text%1").arg(100 + i), x, 0, cols[i].width, kDetailHeight, cols[i].align)
            .setFont(8)
            .setFontFamily(kNarrowFace);
        x += cols[i].width;
    }
    ph.addLine(QStringLiteral("Line3"), 0, 380, width, 0);

    addVersionFooterBand(r, info);

    ReportSection &rf = r.addSection(QStringLiteral("ReportFooter"), 1200);
    rf.addLine(QStringLiteral("Line5"), 0, 40, width, 0).setLineWidth(20);
    // The amounts stand on the right, under the amount column.
    const int footerWidth = 4600;
    const int left = width - footerWidth;
    rf.addLabel(QStringLiteral("Label8"), left, 150, footerWidth, 300, QString(), 10, true).setFontFamily(kFooterFace);
    rf.addLabel(QStringLiteral("Label9"), left, 470, footerWidth, 300, QString(), 10, true).setFontFamily(kFooterFace);
    rf.addLabel(QStringLiteral("Label10"), left, 790, footerWidth, 300, QString(), 10, true)
        .setFontFamily(kFooterFace);
}

} // namespace

Report &rptFaktura() { return Report::instance(QStringLiteral("rptFaktura"), &declareRptFaktura); }

void fillRptFaktura(const ReportData &rows, const QString &subject, const QString &period,
                    const InvoiceTotals &totals)
{
    Report &r = rptFaktura();
    const ReportDesignInfo &info = startReportRun(r, rows);
    ReportSection &rh = r.section(QStringLiteral("ReportHeader"));
    rh.control(QStringLiteral("Label4")).setCaption(subject);
    rh.control(QStringLiteral("Label5")).setCaption(period);
    ReportSection &det = r.section(QStringLiteral("Detail"));
    const char *fields[] = {"Red", "Data", "KolaID", "Marsh", "VidTovar", "ton", "KM", "Tarifa", "Suma"};
    for (int i = 0; i < 9; ++i)
        det.control(QStringLiteral("Text%1").arg(100 + i)).setDataField(QLatin1String(fields[i]));
    fillVersionFooter(r, info);
    const QStringList lines = invoiceFooterLines(totals);
    ReportSection &rf = r.section(QStringLiteral("ReportFooter"));
    rf.control(QStringLiteral("Label8")).setCaption(lines.at(0));
    rf.control(QStringLiteral("Label9")).setCaption(lines.at(1));
    rf.control(QStringLiteral("Label10")).setCaption(lines.at(2));
}

} // namespace kelm
