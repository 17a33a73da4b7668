#include "reports/reportframe.h"

#include "dialogs/diainf.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "platform/version.h"
#include "reports/report.h"
#include "reports/reportdesigns.h"
#include "shell/globals.h"

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
