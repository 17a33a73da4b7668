#include "printing/reportframe.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "platform/version.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"

#include <QApplication>

namespace kelm {

QString reportWindowCaption(const QString &title)
{
    return screenCaption(title);
}

QString companyAddressLine()
{
    return gFirmCity + QStringLiteral(", ") + gFirmAddress;
}

QString companyContactsLine()
{
    return QStringLiteral("тел:") + gFirmTel + QStringLiteral(", факс:") + gFirmGSM + QStringLiteral(", E-mail:")
        + gFirmEmail + QStringLiteral(", URL:http//") + gFirmURL;
}

QString reportPeriodLine(const QDate &start, const QDate &end)
{
    return QStringLiteral("за периода от ") + formatDate(start) + QStringLiteral(" до ") + formatDate(end);
}

void fillCompanyHeader(Report &r, const QString &nameLabel, const QString &addressLabel,
                       const QString &contactsLabel, const QString &section)
{
    ReportSection &s = r.section(section);
    if (!nameLabel.isEmpty())
        s.control(nameLabel).setCaption(gFirmName);
    if (!addressLabel.isEmpty())
        s.control(addressLabel).setCaption(companyAddressLine());
    if (!contactsLabel.isEmpty())
        s.control(contactsLabel).setCaption(companyContactsLine());
}

void fillVersionFooter(Report &r, bool full, const QString &label, const QString &section)
{
    r.section(section).control(label).setCaption(QStringLiteral("Тревалон ") + (full ? versionFull() : versionShort()));
}

void fillCompanyHeader(Report &r, const ReportDesignInfo &info)
{
    fillCompanyHeader(r, info.nameLabel, info.addressOnly ? QString() : info.addressLabel, info.contactsLabel,
                      info.headerSection);
    if (info.addressOnly && !info.addressLabel.isEmpty())
        r.section(info.headerSection).control(info.addressLabel).setCaption(gFirmAddress);
}

void fillVersionFooter(Report &r, const ReportDesignInfo &info)
{
    fillVersionFooter(r, info.fullVersion, info.versionLabel);
}

ReportSection &addHeaderBand(Report &r, const ReportDesignInfo &info, int height, int ruleWidth)
{
    using A = ReportAlign;
    const int w = info.width;
    ReportSection &rh = r.addSection(info.headerSection, height);
    rh.addLabel(info.nameLabel, 0, 60, w, 400, QStringLiteral("Фирма"), 14, true, A::Center);
    rh.addLabel(info.addressLabel, 0, 480, w, 280, QStringLiteral("Адрес"), 10, false, A::Center);
    if (!info.contactsLabel.isEmpty())
        rh.addLabel(info.contactsLabel, 0, 760, w, 280, QStringLiteral("Връзка"), 9, false, A::Center);
    rh.addLine(QStringLiteral("Line1"), 0, 1110, ruleWidth > 0 ? ruleWidth : w, 0).setLineWidth(20);
    return rh;
}

ReportSection &addVersionFooterBand(Report &r, const ReportDesignInfo &info, int height, const QString &rule,
                                    int ruleWidth)
{
    const int w = info.width;
    ReportSection &pf = r.addSection(QStringLiteral("PageFooter"), height);
    pf.addLine(rule, 0, 40, ruleWidth > 0 ? ruleWidth : w, 0);
    pf.addLabel(info.versionLabel, 0, 100, w / 2, 260, QStringLiteral("Тревалон"), 8);
    pf.addLabel(QStringLiteral("Label7"), w / 2, 100, w / 2, 260, QStringLiteral("Програма за управление на превози"),
                8, false, ReportAlign::Right);
    return pf;
}

const ReportDesignInfo &startReportRun(Report &r, const ReportData &rows, bool alt)
{
    const ReportDesignInfo &info = reportDesign(r.name());
    r.setCaption(info.windowCaption(alt));
    applyDesignPage(r, info);
    r.setDataSource(rows);
    fillCompanyHeader(r, info);
    return info;
}

bool runReportFill(const std::function<void()> &fill)
{
    try {
        fill();
        return true;
    } catch (const DbError &e) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        DiaInf::show(QStringLiteral("ГРЕШКА!"), e.text());
    } catch (const ReportError &e) {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
        showReportError(e.text());
    }
    return false;
}

} // namespace kelm
