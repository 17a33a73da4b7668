#include "dialogs/diaseek.h"

#include "platform/numbers.h"

namespace kelm {

DiaSeek &DiaSeek::instance()
{
    static DiaSeek *dlg = nullptr;
    if (!dlg)
        dlg = new DiaSeek;
    return *dlg;
}

DiaSeek::DiaSeek(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DiaSeek"));
}

QDate DiaSeek::startDate() const
{
    return parseDate(StartData).value_or(QDate());
}

QDate DiaSeek::endDate() const
{
    return parseDate(EndData).value_or(QDate());
}

} // namespace kelm
