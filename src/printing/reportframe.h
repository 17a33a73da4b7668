#pragma once
// What every printout shares: the window title, the company header, the period
// line, the version footer, and reporting a failed fill.

#include <QDate>
#include <QString>
#include <functional>

namespace kelm {

class Report;
class ReportData;
class ReportSection;
struct ReportDesignInfo;

// "Тревалон <major>.<minor> - <title>".
QString reportWindowCaption(const QString &title);
// "<city>, <address>".
QString companyAddressLine();
// "тел:<tel>, факс:<gsm>, E-mail:<email>, URL:http//<url>".
QString companyContactsLine();
// "за периода от dd.mm.yyyy до dd.mm.yyyy".
QString reportPeriodLine(const QDate &start, const QDate &end);

// Writes the company's name, address and contacts into the named labels of the
// report header (an empty label name leaves that line out).
void fillCompanyHeader(Report &r, const QString &nameLabel, const QString &addressLabel,
                       const QString &contactsLabel, const QString &section = QStringLiteral("ReportHeader"));
// Writes "Тревалон " and the version (major.minor, or major.minor.revision when
// full) into the page footer's label.
void fillVersionFooter(Report &r, bool full, const QString &label = QStringLiteral("Label6"),
                       const QString &section = QStringLiteral("PageFooter"));

// The same with the header labels, header band and version footer of the
// design's row in the table of designs (a street address alone where the design
// prints no town).
void fillCompanyHeader(Report &r, const ReportDesignInfo &info);
void fillVersionFooter(Report &r, const ReportDesignInfo &info);

// Declares the design's company header band (its header section, `height`
// twips): the name, address and contacts labels of its row, centred across the
// report (no contacts line where the row names none), and the heavy rule under
// them, `ruleWidth` long (0: the report's width). The design adds its title lines.
ReportSection &addHeaderBand(Report &r, const ReportDesignInfo &info, int height, int ruleWidth = 0);
// Declares the page footer: a rule, "Тревалон" in the row's version label on the
// left and "Програма за управление на превози" (Label7) on the right.
ReportSection &addVersionFooterBand(Report &r, const ReportDesignInfo &info, int height = 420,
                                    const QString &rule = QStringLiteral("Line4"), int ruleWidth = 0);

// The start of a run: the design's window title (`alt`: its second title), its
// page, the rows, the company header. Returns the design's row.
const ReportDesignInfo &startReportRun(Report &r, const ReportData &rows, bool alt = false);

// Runs one fill; a database or report failure is shown in DiaInf and ends only
// this command. Returns false when the fill failed.
bool runReportFill(const std::function<void()> &fill);

} // namespace kelm
