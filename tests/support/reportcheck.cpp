#include "reportcheck.h"

#include "reports/report.h"

#include <QDir>
#include <QFontMetricsF>

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

QString writeReportPdf(Report &r, const QString &dir, const QString &suffix)
{
    const QString name = r.name() + suffix + QStringLiteral(".pdf");
    const QString path = QDir(dir).filePath(name);
    r.exportPdf(path);
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        r.exportPdf(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath(name));
    return path;
}
