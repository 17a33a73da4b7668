#include "warehouse/storereports.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
#include "dialogs/progdialog.h"
#include "platform/bulkrows.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"
#include "warehouse/stocktexts.h"

#include <QList>

namespace kelm {

namespace {

using A = ReportAlign;

const QString kNarrowFace = QStringLiteral("DejaVu Sans Condensed");

struct Col {
    int text;          // Text<n> of the detail band
    const char *label; // its caption's label in the page header
    const char *caption;
    int width;
    A align;
    const char *format;
};
// A caption over several neighbouring columns.
struct Group {
    const char *label;
    const char *caption;
    int first, last; // indexes into the columns
};

constexpr int kHeaderHeight = 2000;
constexpr int kDetailHeight = 270;

// The frame of the three warehouse lists: company lines with the title and the
// subject, the column captions (some under a common caption), one line per row,
// the version footer and the total line. A ruled design draws the edges of its
// columns through the captions and the rows, and a line under each row.
void declareStoreDesign(Report &r, const QList<Col> &cols, const QList<Group> &groups, bool ruled = false)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    declareDesignPage(r, info);
    const int width = info.width;

    ReportSection &rh = addHeaderBand(r, info, kHeaderHeight);
    rh.addLabel(QStringLiteral("Label1"), 0, 1180, width, 400, QStringLiteral("Справка"), 14, true, A::Center);
    rh.addLabel(QStringLiteral("Label2"), 0, 1600, width, 320, QString(), 10, true, A::Center);

    const int groupRow = groups.isEmpty() ? 0 : 280;
    ReportSection &ph = r.addSection(QStringLiteral("PageHeader"), 420 + groupRow);
    ReportSection &det = r.addSection(QStringLiteral("Detail"), kDetailHeight);
    ph.addLine(QStringLiteral("Line2"), 0, 20, width, 0);
    QVector<int> left;
    int x = 0;
    for (const Col &c : cols) {
        left << x;
        const bool grouped = std::any_of(groups.begin(), groups.end(), [&](const Group &g) {
            const int i = int(left.size()) - 1;
            return i >= g.first && i <= g.last;
        });
        // Captions without a common caption above them stand over both rows.
        ph.addLabel(QLatin1String(c.label), x, grouped ? 50 + groupRow : 50 + groupRow / 2, c.width, 300,
                    QString::fromUtf8(c.caption), 8, true, A::Center);
        det.addTextBox(QStringLiteral("Text%1").arg(c.text), x, 0, c.width, kDetailHeight, c.align,
                       QString::fromUtf8(c.format))
            .setFont(8)
            .setFontFamily(kNarrowFace);
        x += c.width;
    }
    left << x;
    for (const Group &g : groups) {
        ph.addLabel(QLatin1String(g.label), left[g.first], 50, left[g.last + 1] - left[g.first], 260,
                    QString::fromUtf8(g.caption), 8, true, A::Center);
        ph.addLine(QStringLiteral("%1Line").arg(QLatin1String(g.label)), left[g.first], 40 + groupRow,
                   left[g.last + 1] - left[g.first], 0);
    }
    ph.addLine(QStringLiteral("Line3"), 0, 400 + groupRow, width, 0);
    if (ruled) {
        for (int i = 0; i < left.size(); ++i) {
            // Inside a common caption the edge starts under it.
            const bool inGroup = std::any_of(groups.begin(), groups.end(),
                                             [&](const Group &g) { return i > g.first && i <= g.last; });
            const int from = inGroup ? 40 + groupRow : 20;
            ph.addLine(QStringLiteral("LineH%1").arg(i), left[i], from, 0, 400 + groupRow - from);
            det.addLine(QStringLiteral("LineD%1").arg(i), left[i], 0, 0, kDetailHeight);
        }
        det.addLine(QStringLiteral("LineDBottom"), 0, kDetailHeight, width, 0);
    }

    addVersionFooterBand(r, info);

    ReportSection &rf = r.addSection(QStringLiteral("ReportFooter"), 520);
    rf.addLine(QStringLiteral("Line5"), 0, 40, width, 0).setLineWidth(20);
    rf.addLabel(QStringLiteral("Label8"), 0, 120, width, 300, QStringLiteral("Обща сума на разходите:"), 10, true,
                A::Right);
}

void declareRptSkladPR(Report &r)
{
    declareStoreDesign(r,
                       {{100, "Label100", "№", 450, A::Right, ""},
                        {101, "Label101", "Документ", 1650, A::Left, ""},
                        {102, "Label102", "№ / дата", 2000, A::Left, ""},
                        {103, "Label103", "Име", 2390, A::Left, ""},
                        {104, "Label104", "Цена", 1010, A::Right, ""},
                        {105, "Label105", "Бр.", 1000, A::Right, ""},
                        {106, "Label106", "Сума", 1100, A::Right, ""}},
                       {{"Label107", "Разход", 4, 6}}, true);
}

void declareRptNalich(Report &r)
{
    declareStoreDesign(r,
                       {{100, "Label100", "№", 600, A::Right, ""},
                        {101, "Label101", "Име", 4460, A::Left, ""},
                        {102, "Label103", "Количество", 1400, A::Right, ""},
                        {103, "Label10", "Ед.цена", 1400, A::Right, "###0.00"},
                        {104, "Label11", "Сума", 1800, A::Right, "###0.00"}},
                       {{"Label9", "Наличност", 2, 4}});
}

void declareRptSklad(Report &r)
{
    declareStoreDesign(r,
                       {{100, "Label100", "№", 400, A::Right, ""},
                        {101, "Label101", "Име", 2120, A::Left, ""},
                        {102, "Label13", "Бр.", 880, A::Right, ""},
                        {103, "Label14", "Сума", 1500, A::Right, ""},
                        {104, "Label15", "Бр.", 880, A::Right, ""},
                        {105, "Label16", "Сума", 1500, A::Right, ""},
                        {106, "Label17", "Бр.", 880, A::Right, ""},
                        {107, "Label18", "Сума", 1500, A::Right, ""}},
                       {{"Label9", "Приход", 2, 3}, {"Label3", "Разход", 4, 5}, {"Label12", "Остатък", 6, 7}});
}

void bindColumns(Report &r, const QStringList &fields)
{
    ReportSection &det = r.section(QStringLiteral("Detail"));
    for (int i = 0; i < fields.size(); ++i)
        det.control(QStringLiteral("Text%1").arg(100 + i)).setDataField(fields[i]);
}

// Caption, page, company header and version footer from the table of designs.
void frame(Report &r, bool alt = false)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    r.setCaption(info.windowCaption(alt));
    applyDesignPage(r, info);
    fillCompanyHeader(r, info);
    fillVersionFooter(r, info);
}

void setLabel(Report &r, const char *section, const char *label, const QString &text)
{
    r.section(QLatin1String(section)).control(QLatin1String(label)).setCaption(text);
}

QString today()
{
    return formatDate(QDate::currentDate());
}

} // namespace

Report &rptSkladPR() { return Report::instance(QStringLiteral("rptSkladPR"), &declareRptSkladPR); }
Report &rptNalich() { return Report::instance(QStringLiteral("rptNalich"), &declareRptNalich); }
Report &rptSklad() { return Report::instance(QStringLiteral("rptSklad"), &declareRptSklad); }

QVector<StoreLine> storeLines(Connection &conn, bool receipts, const QDate &start, const QDate &end,
                              const QString &namePrefix, const QString &kindPrefix, double *total)
{
    QString sql = QStringLiteral("SELECT DocVid, DocNom, Data, Name, Kol, Edin, Suma FROM Sklad "
                                 "WHERE VidKol=? AND Name LIKE ? ESCAPE '\\' ");
    QVariantList params{receipts ? QStringLiteral("P") : QStringLiteral("R"), likePrefix(namePrefix)};
    if (!receipts) {
        sql += QStringLiteral("AND DocVid LIKE ? ESCAPE '\\' ");
        params << likePrefix(kindPrefix);
    }
    sql += QStringLiteral("AND Data BETWEEN ? AND ? ORDER BY Name COLLATE BG, Name, ID");
    params << start << end;
    QVector<StoreLine> lines;
    conn.forEachRow(sql, params, nullptr, [&](const QVector<QVariant> &v) {
        const QDate d = toDate(v[2]);
        // The document's date day first, without leading zeros: "ДОК / 5.3.2010".
        const QString date = d.isValid() ? QStringLiteral("%1.%2.%3").arg(d.day()).arg(d.month()).arg(d.year())
                                         : QString();
        lines.append({v[0].toString(), v[1].toString() + QStringLiteral(" / ") + date, v[3].toString(),
                      formatNumber(v[4].toDouble(), 3), formatNumber(v[5].toDouble(), 2),
                      formatNumber(v[6].toDouble(), 2)});
        if (total)
            *total += v[6].toDouble();
    });
    return lines;
}

void PrintStoreReport(bool receipts)
{
    QString namePrefix, kindPrefix;
    QDate start, end;
    if (receipts) {
        const DiaSeek &d = DiaSeek::instance();
        namePrefix = d.sNalich;
        start = d.startDate();
        end = d.endDate();
    } else {
        const DiaSeekAll &d = DiaSeekAll::instance();
        namePrefix = d.Marsh;
        kindPrefix = d.Kola;
        start = d.startDate();
        end = d.endDate();
    }
    const QString what = receipts ? QStringLiteral("приходите") : QStringLiteral("разходите");
    setStatusText(QStringLiteral("Справка за %1 в склада...").arg(what));
    runReportFill([&] {
        double total = 0;
        QVector<StoreLine> lines;
        {
            ProgressScope progress(QStringLiteral("Обработка на %1 в склада...").arg(what), 1);
            Connection db;
            db.open(gConnStr);
            lines = storeLines(db, receipts, start, end, namePrefix, kindPrefix, &total);
        }
        if (lines.isEmpty()) {
            DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), receipts ? QStringLiteral("Няма приходи в склада за периода!")
                                                               : QStringLiteral("Няма разходи в склада за периода!"));
            return;
        }
        const QStringList fields{"Red", "DocVid", "NomData", "Name", "Broi", "Edin", "Suma"};
        QVector<QVector<QVariant>> staged;
        staged.reserve(lines.size());
        for (const StoreLine &l : lines)
            staged.append({int(staged.size()) + 1, l.docVid, l.nomData, l.name, l.broi, l.edin, l.suma});
        Connection temp;
        temp.open(gTempConnStr);
        inTransaction(temp, [&] {
            temp.execute(QStringLiteral("DELETE FROM TempSKladPR"));
            appendRows(temp, QStringLiteral("TempSKladPR"), fields, staged);
        });
        temp.close();
        // The report prints the staged rows as they were written.
        const ReportData rows(fields, staged);

        Report &r = rptSkladPR();
        frame(r, !receipts);
        r.setDataSource(rows);
        setLabel(r, "ReportHeader", "Label2",
                 QStringLiteral("за %1 в склада от %2 до %3").arg(what, formatDate(start), formatDate(end)));
        setLabel(r, "PageHeader", "Label107", receipts ? QStringLiteral("Приход") : QStringLiteral("Разход"));
        bindColumns(r, {"Red", "DocVid", "NomData", "Name", "Edin", "Broi", "Suma"});
        setLabel(r, "ReportFooter", "Label8",
                 QStringLiteral("Обща сума на %1: %2 лв.").arg(what, formatNumber(total, 2)));
        r.show(reportDesign(r.name()).modal);
    });
}

void printStockList(const ReportData &rows, double total)
{
    runReportFill([&] {
        Report &r = rptNalich();
        frame(r);
        r.setDataSource(rows);
        setLabel(r, "ReportHeader", "Label2", QStringLiteral("за наличноста в склада към ") + today());
        bindColumns(r, {"Red", "Name", "Kol", "Cena", "Suma"});
        setLabel(r, "ReportFooter", "Label8", QStringLiteral("Обща сума ") + currencyText(total) + QStringLiteral(" лв."));
        r.show(reportDesign(r.name()).modal);
    });
}

void printRevision(const ReportData &rows, double total)
{
    runReportFill([&] {
        Report &r = rptSklad();
        frame(r);
        r.setDataSource(rows);
        setLabel(r, "ReportHeader", "Label2", QStringLiteral("за приходите и разходите в склада към ") + today());
        bindColumns(r, {"Red", "Name", "Prihod", "SumaP", "Razhod", "SumaR", "Ostatak", "SumaO"});
        setLabel(r, "ReportFooter", "Label8", QStringLiteral("Обща сума ") + currencyText(total) + QStringLiteral(" лв."));
        r.show(reportDesign(r.name()).modal);
    });
}

} // namespace kelm
