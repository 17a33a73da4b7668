#include "billing/klientsreport.h"

#include "common/globals.h"
#include "dialogs/messages.h"
#include "dialogs/progdialog.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"

namespace kelm {

namespace {

using A = ReportAlign;

const QString kNarrowFace = QStringLiteral("DejaVu Sans Condensed");

constexpr int kHeaderHeight = 2280;
constexpr int kPageHeaderHeight = 400;
constexpr int kDetailHeight = 270;
constexpr int kPageFooterHeight = 420;
constexpr int kReportFooterHeight = 1000;

void declareRptKlientS(Report &r)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    declareDesignPage(r, info);
    const int width = info.width;

    ReportSection &rh = addHeaderBand(r, info, kHeaderHeight, 9600);
    rh.addLabel(QStringLiteral("Label3"), 0, 1180, 9600, 400, QStringLiteral("Справка"), 14, true, A::Center);
    rh.addLabel(QStringLiteral("Label4"), 0, 1590, 9600, 320, QString(), 11, true, A::Center);
    rh.addLabel(QStringLiteral("Label5"), 0, 1920, 9600, 300, QString(), 10, false, A::Center);

    // Captions and the detail boxes under them, left to right.
    struct Col {
        int label;
        const char *caption;
        int width;
        A align;
    };
    const Col cols[] = {{100, "Дата", 1000, A::Left},   {107, "Маршрут", 2380, A::Left},
                        {108, "Товар", 2090, A::Left},  {101, "Кола", 1245, A::Center},
                        {102, "Тон.", 740, A::Right},   {103, "Тар.", 580, A::Right},
                        {105, "КМ", 600, A::Right},     {104, "Сума", 1010, A::Right}};
    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), kPageHeaderHeight);
    ReportSection &det = r.addSection(QStringLiteral("Detail"), kDetailHeight);
    ph.addLine(QStringLiteral("Line2"), 0, 20, width, 0);
    int x = 0;
    int text = 100;
    for (const Col &c : cols) {
        ph.addLabel(QStringLiteral("Label%1").arg(c.label), x, 50, c.width, 300, QString::fromUtf8(c.caption), 8,
                    true, c.align);
        ReportControl &box = det.addTextBox(QStringLiteral("Text%1").arg(text++), x, 0, c.width, kDetailHeight,
                                            c.align);
        // The narrow face lets a full 25-letter route or goods, a date or a
        // year's amount fit its column.
        box.setFont(8).setFontFamily(kNarrowFace);
        if (x > 0) {
            ph.addLine(QStringLiteral("LineH%1").arg(c.label), x, 20, 0, 360);
            det.addLine(QStringLiteral("LineD%1").arg(c.label), x, 0, 0, kDetailHeight);
        }
        x += c.width;
    }
    ph.addLine(QStringLiteral("Line3"), 0, 380, width, 0);
    det.addLine(QStringLiteral("Line8"), 0, kDetailHeight - 5, width, 0).setLineWidth(5);

    addVersionFooterBand(r, info, kPageFooterHeight, QStringLiteral("Line4"), 9600);

    // The totals in a frame: a row heading, then five captions over their values.
    ReportSection &rf = r.addSection(QStringLiteral("ReportFooter"), kReportFooterHeight);
    rf.addShape(QStringLiteral("Shape1"), 0, 120, width, 760);
    rf.addLabel(QStringLiteral("Label500"), 60, 330, 1000, 300, QStringLiteral("Всичко"), 10, true);
    const int first = 1100;
    const int cell = (width - first) / 5;
    const char *captions[] = {"Товар", "Км", "Сума", "ДДС", "Общо"};
    const char *captionNames[] = {"Label502", "Label505", "Label5051", "Label5061", "Label507"};
    const char *valueNames[] = {"Label1003", "Label1004", "Label1000", "Label1001", "Label1002"};
    for (int i = 0; i < 5; ++i) {
        const int left = first + i * cell;
        rf.addLine(QStringLiteral("Line%1").arg(10 + i), left, 120, 0, 760);
        rf.addLabel(QLatin1String(captionNames[i]), left, 180, cell, 280, QString::fromUtf8(captions[i]), 9, true,
                    A::Center);
        rf.addLabel(QLatin1String(valueNames[i]), left, 540, cell, 280, QStringLiteral("лв."), 9, true, A::Right)
            .setFontFamily(kNarrowFace);
    }
    rf.addLine(QStringLiteral("Line9"), first, 500, width - first, 0);
}

} // namespace

Report &rptKlientS()
{
    return Report::instance(QStringLiteral("rptKlientS"), &declareRptKlientS);
}

bool PrintKlientStatement(Connection &scratch, const StatementSubject &subject)
{
    bool shown = false;
    runReportFill([&] {
        const int count = scratch.scalar(QStringLiteral("SELECT count(*) FROM TempKlients")).toInt();
        StatementTotals t;
        ReportData rows;
        {
            ProgressScope progress(QStringLiteral("Обработвам данните за справката..."), count + 1);
            QVector<QVector<QVariant>> printed;
            t = stagePrintRows(scratch, &printed, [&progress](int done, int) { progress.step(done + 1); });
            rows = ReportData(printRowFields(), printed);
        }
        if (t.rows == 0) {
            msgBox(QStringLiteral("Няма!!!!!!!!"));
            return;
        }

        Report &r = rptKlientS();
        const ReportDesignInfo &info = startReportRun(r, rows);
        ReportSection &rh = r.section(QStringLiteral("ReportHeader"));
        rh.control(QStringLiteral("Label3")).setCaption(QStringLiteral("Извършени от ") + gFirmName
                                                        + QStringLiteral(" курсове"));
        rh.control(QStringLiteral("Label4")).setCaption(QStringLiteral("по заявка на ") + subject.client);
        rh.control(QStringLiteral("Label5")).setCaption(reportPeriodLine(subject.start, subject.end));
        ReportSection &det = r.section(QStringLiteral("Detail"));
        const char *fields[] = {"Data", "Marsh", "VidTovar", "kola", "ton", "Tarifa", "KM", "Suma"};
        for (int i = 0; i < 8; ++i)
            det.control(QStringLiteral("Text%1").arg(100 + i)).setDataField(QLatin1String(fields[i]));
        fillVersionFooter(r, info);

        const VatFooter f = vatOnTop(t.money);
        ReportSection &rf = r.section(QStringLiteral("ReportFooter"));
        rf.control(QStringLiteral("Label1000")).setCaption(moneyText(f.net));
        rf.control(QStringLiteral("Label1001")).setCaption(moneyText(f.vat));
        rf.control(QStringLiteral("Label1002")).setCaption(moneyText(f.total));
        rf.control(QStringLiteral("Label1003")).setCaption(formatNumber(t.tons, 0) + QStringLiteral(" t"));
        rf.control(QStringLiteral("Label1004")).setCaption(formatNumber(t.km, 0) + QStringLiteral(" км"));
        r.show(info.modal);
        shown = true;
    });
    return shown;
}

} // namespace kelm
