#include "dialogs/diaseekall.h"

#include "platform/numbers.h"

namespace kelm {

DiaSeekAll &DiaSeekAll::instance()
{
    static DiaSeekAll *dlg = nullptr;
    if (!dlg)
        dlg = new DiaSeekAll;
    return *dlg;
}

DiaSeekAll::DiaSeekAll(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DiaSeekAll"));
}

QDate DiaSeekAll::startDate() const
{
    return parseDate(StartData).value_or(QDate());
}

QDate DiaSeekAll::endDate() const
{
    return parseDate(EndData).value_or(QDate());
}

} // namespace kelm
