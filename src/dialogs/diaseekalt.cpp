#include "dialogs/diaseekalt.h"

#include "platform/numbers.h"

namespace kelm {

DiaSeekAlt &DiaSeekAlt::instance()
{
    static DiaSeekAlt *dlg = nullptr;
    if (!dlg)
        dlg = new DiaSeekAlt;
    return *dlg;
}

DiaSeekAlt::DiaSeekAlt(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DiaSeekAlt"));
}

QDate DiaSeekAlt::startDate() const
{
    return parseDate(StartData).value_or(QDate());
}

QDate DiaSeekAlt::endDate() const
{
    return parseDate(EndData).value_or(QDate());
}

} // namespace kelm
