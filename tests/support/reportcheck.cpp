#include "reportcheck.h"

#include "printing/report.h"

#include <QDir>
#include <QFontMetricsF>
#include <QList>
#include <QPair>

#include <algorithm>

using namespace kelm;

namespace {

// Where each printed line of an item puts its ink, twips from the paper's corner.
QList<QRectF> inkOf(const ReportItem &it)
{
    QList<QRectF> out;
    const QFontMetricsF fm(reportItemFont(it));
    for (int i = 0; i < it.lines.size(); ++i) {
        const double w = fm.horizontalAdvance(it.lines.at(i));
        if (w <= 0)
            continue;
        const double l = it.align == ReportAlign::Left    ? it.rect.left() + kReportBoxPad
                         : it.align == ReportAlign::Right ? it.rect.right() - kReportBoxPad - w
                                                          : it.rect.center().x() - w / 2;
        const double slot = it.rect.top() + it.firstLineTop + i * it.lineHeight;
        const double t = it.fromTop ? slot : slot + (it.lineHeight - fm.height()) / 2;
        out << QRectF(l, t, w, fm.height());
    }
    return out;
}

// What a reader finds wrong with one printed text.
QStringList faultsOf(Report &r, int page, const ReportItem &it)
{
    QStringList out;
    const QString where = QStringLiteral("%1 p.%2 %3 „%4“").arg(r.name()).arg(page + 1).arg(it.control, it.text);
    if (it.rect.right() > r.margin(1) + r.reportWidth() + 0.5)
        out << where + QStringLiteral(" reaches past the report's width");
    if (it.text.isEmpty())
        return out;
    if (it.lines.isEmpty())
        out << where + QStringLiteral(" is not printed");
    const QFontMetricsF fm(reportItemFont(it));
    for (const QString &line : it.lines) {
        if (line.endsWith(QChar(0x2026)) && !it.text.endsWith(QChar(0x2026)))
            out << where + QStringLiteral(" ends in „…“");
        if (fm.horizontalAdvance(line) > reportTextRoom(it) + 0.5)
            out << where + QStringLiteral(" is wider than its box: „%1“ %2 > %3")
                               .arg(line)
                               .arg(fm.horizontalAdvance(line), 0, 'f', 0)
                               .arg(reportTextRoom(it), 0, 'f', 0);
    }
    const double need = it.firstLineTop + it.lines.size() * it.lineHeight + std::max(it.firstLineTop, 0.0);
    if (need > it.rect.height() + 0.5)
        out << where + QStringLiteral(" needs %1 twips of height, has %2").arg(need).arg(it.rect.height());
    return out;
}

} // namespace

QStringList reportTextsCut(Report &r)
{
    QStringList problems;
    for (int page = 0; page < r.pageCount(); ++page)
        for (const ReportItem &it : r.pageItems(page))
            problems += faultsOf(r, page, it);
    return problems;
}

int cutOrOverlappingTexts(Report &r, int page)
{
    int cut = 0;
    QList<QPair<const ReportItem *, QRectF>> inks;
    const QVector<ReportItem> items = r.pageItems(page);
    for (const ReportItem &it : items) {
        for (const QString &fault : faultsOf(r, page, it)) {
            qWarning("%s", qPrintable(fault));
            ++cut;
        }
        for (const QRectF &ink : inkOf(it)) {
            for (const auto &o : inks)
                if (o.first != &it && o.second.adjusted(0.5, 0.5, -0.5, -0.5).intersects(ink)) {
                    qWarning("%s p.%d: „%s“ runs into „%s“", qPrintable(r.name()), page + 1, qPrintable(it.text),
                             qPrintable(o.first->text));
                    ++cut;
                }
            inks.append({&it, ink});
        }
    }
    return cut;
}

QStringList detailColumn(Report &r, const char *control)
{
    QStringList out;
    for (int i = 0; i < r.data().rowCount(); ++i)
        out << r.controlText(QStringLiteral("Detail"), QLatin1String(control), i);
    return out;
}

QString writeReportPdf(Report &r, const QString &dir, const QString &suffix)
{
    const QString name = r.name() + suffix + QStringLiteral(".pdf");
    const QString path = QDir(dir).filePath(name);
    r.exportPdf(path);
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        r.exportPdf(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath(name));
    return path;
}
