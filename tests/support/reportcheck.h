#pragma once
// Looking at a laid-out report in tests: texts that do not fit their boxes, and
// the report written as PDF (also into KELM_REPORT_LOOK when that is set, for
// looking at the pages).
#include <QString>
#include <QStringList>

namespace kelm {
class Report;
}

// Every problem found on every page, in the laid-out lines and in what the
// report's painter really draws (recorded by a paint device of ours): a line
// wider than its box's inner room or ending in "…" where the value does not, a
// number broken over lines, lines taller than their box, a box reaching past the
// report's width; a line drawn otherwise than laid out (a digit lost), drawn into
// the box's inner margin or cut by its box, or drawn below 6 pt.
QStringList reportTextsCut(kelm::Report &r);
// The number of texts on one page that have such a problem, or whose drawn ink
// runs into another text's anywhere on the page (each named in a warning).
int cutOrOverlappingTexts(kelm::Report &r, int page);
// The texts of one detail control, row by row.
QStringList detailColumn(kelm::Report &r, const char *control);
// Writes the report to <dir>/<design><suffix>.pdf and returns the path.
QString writeReportPdf(kelm::Report &r, const QString &dir, const QString &suffix = QString());
