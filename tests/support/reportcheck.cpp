#include "reportcheck.h"

#include "reports/report.h"

#include <QFontMetricsF>
#include <QList>
#include <QPair>
#include <QtGlobal>

using namespace kelm;

int cutOrOverlappingTexts(Report &r, int page)
{
    int cut = 0;
    QList<QPair<ReportItem, QPair<double, double>>> inks;
    for (const ReportItem &it : r.pageItems(page)) {
        if (it.text.isEmpty() || it.text.contains(QLatin1Char('\r')))
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
