#include "reportcheck.h"

#include "reports/report.h"

#include <QDir>
#include <QFontMetricsF>
#include <QList>
#include <QPair>

#include <algorithm>

using namespace kelm;

QStringList reportTextsCut(Report &r)
{
    QStringList problems;
    const double right = r.margin(1) + r.reportWidth() + 0.5;
    for (int page = 0; page < r.pageCount(); ++page) {
        for (const ReportItem &it : r.pageItems(page)) {
            const QString where = QStringLiteral("%1 p.%2 %3 „%4“").arg(r.name()).arg(page + 1).arg(it.control, it.text);
            if (it.rect.right() > right)
                problems << where + QStringLiteral(" reaches past the report's width");
            if (it.text.isEmpty())
                continue;
            const QFontMetricsF fm(reportItemFont(it));
            if (it.wordWrap) {
                const QRectF room(0, 0, reportTextRoom(it), 1e6);
                const QRectF need = fm.boundingRect(room, Qt::TextWordWrap | Qt::AlignTop, it.text);
                if (need.height() > it.rect.height())
                    problems << where + QStringLiteral(" needs %1 twips of height").arg(need.height());
            } else if (!it.text.contains(QLatin1Char('\r')) && fm.horizontalAdvance(it.text) > reportTextRoom(it)) {
                problems << where + QStringLiteral(" is cut");
            }
        }
    }
    return problems;
}

int cutOrOverlappingTexts(Report &r, int page)
{
    int cut = 0;
    QList<QPair<ReportItem, QPair<double, double>>> inks;
    for (const ReportItem &it : r.pageItems(page)) {
        if (it.text.isEmpty() || it.text.contains(QLatin1Char('\r')) || it.wordWrap)
            continue;
        const QFontMetricsF fm(reportItemFont(it));
        const double adv = fm.horizontalAdvance(it.text);
        if (adv > reportTextRoom(it)) {
            qWarning("%s %s „%s“ is cut: %.0f > %.0f", qPrintable(r.name()), qPrintable(it.control),
                     qPrintable(it.text), adv, reportTextRoom(it));
            ++cut;
        }
        // Where the text's ink runs, left to right.
        const double w = std::min(adv, reportTextRoom(it));
        const double l = it.align == ReportAlign::Left    ? it.rect.left() + kReportBoxPad
                         : it.align == ReportAlign::Right ? it.rect.right() - kReportBoxPad - w
                                                          : it.rect.center().x() - w / 2;
        for (const auto &o : inks)
            if (o.first.section == it.section && o.first.row == it.row && o.first.rect.top() < it.rect.bottom()
                && it.rect.top() < o.first.rect.bottom() && o.second.first < l + w && l < o.second.second) {
                qWarning("%s: „%s“ runs into „%s“", qPrintable(r.name()), qPrintable(it.text),
                         qPrintable(o.first.text));
                ++cut;
            }
        inks.append({it, {l, l + w}});
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
