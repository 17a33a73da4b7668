#include "trips/insidekursrules.h"

#include "common/textchecks.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/numbers.h"

namespace kelm {

namespace {

const char *const kFields[NoteBoxCount] = {
    "KursID",   "Data",      "DriverName", "TruckV",      "TruckR",       "TovarName",
    "TovarTon", "TotalFuel", "TotalKM",    "SendName",    "SendAdres",    "SendCity",
    "SendCountry", "ResivName", "ResivAdres", "ResivCity", "ResivCountry", "SendCityP",
    "SendCountryP", "ResivCityP", "ResivCountryP", "TotalP", "TotalR"};

QString twoLines(const QString &first, const QString &second)
{
    return joinLines({first, QString(), second});
}

} // namespace

QString noteField(int box)
{
    return box >= 0 && box < NoteBoxCount ? QString::fromLatin1(kFields[box]) : QString();
}

bool kursNumberTooLong(const QString &typed)
{
    return trimSpaces(typed).size() > KursNumberLength;
}

QString padKursNumber(const QString &typed)
{
    return padNumber10(trimSpaces(typed));
}

bool kursNumberTaken(Connection &conn, const QString &padded, const QVariant &ownId)
{
    const QVariant own = ownId.isValid() && !ownId.isNull() ? ownId : QVariant(-1);
    return conn.scalar(QStringLiteral("SELECT count(*) FROM ExternalKurs WHERE KursID=? AND ID<>?"),
                       {padded, own})
               .toInt()
        > 0;
}

QString warningTitle()
{
    return QStringLiteral("   ВНИМАНИЕ!");
}

QString errorTitle()
{
    return QStringLiteral("   ГРЕШКА!");
}

QString duplicateNumberMessage()
{
    return twoLines(QStringLiteral("Съществува ЧМР със същия номер!"),
                    QStringLiteral("Моля, променете номера и опитайте отново."));
}

QString numberTooLongMessage()
{
    return twoLines(QStringLiteral("Номерът на ЧМР е по-дълъг от 10 символа!"),
                    QStringLiteral("Моля, въведете до 10 символа за номер на ЧМР."));
}

NoteCheck checkNote(const QStringList &boxes)
{
    auto text = [&boxes](int i) { return i < boxes.size() ? boxes.at(i) : QString(); };
    struct Required {
        int box;
        const char *first, *second;
    };
    static const Required required[] = {
        {bxKursID, "Няма въведен номер на ЧМР!", "Моля, въведете номер на ЧМР."},
        {bxData, "Няма въведена дата на ЧМР!", "Моля, въведете датата на ЧМР."},
        {bxDriverName, "Няма въведено име на шофьор!", "Моля, въведете името на шофьора."},
        {bxTruckV, "Няма въведен номер на влекач!", "Моля, въведете номера на влекача."},
        {bxTruckR, "Няма въведен номер на ремарке!", "Моля, въведете номера на ремаркето."},
    };
    for (const auto &r : required)
        if (IsBlank(text(r.box)))
            return {r.box, twoLines(QString::fromUtf8(r.first), QString::fromUtf8(r.second))};

    if (kursNumberTooLong(text(bxKursID)))
        return {bxKursID, numberTooLongMessage()};
    if (IsBadDate(text(bxData)))
        return {bxData, twoLines(QStringLiteral("Грешна дата на ЧМР!"),
                                 QStringLiteral("Моля, въведете датата на ЧМР като дд.мм.гггг."))};

    struct Number {
        int box;
        const char *label;
        double bound;
    };
    static const Number numbers[] = {{bxTovarTon, "Тонаж", limits::kTons},
                                     {bxTotalFuel, "Total Fuel", limits::kLitres},
                                     {bxTotalKM, "Total KM", limits::kKm},
                                     {bxTotalP, "Приход", limits::kMoney},
                                     {bxTotalR, "Общ разход", limits::kMoney}};
    for (const auto &n : numbers) {
        const QString t = text(n.box);
        if (!IsBlank(t) && !parseAmount(t, n.bound))
            return {n.box, twoLines(QStringLiteral("Невалидно число в полето „%1“!").arg(QString::fromUtf8(n.label)),
                                    amountRefusal(QStringLiteral("Моля, въведете число, не по-малко от 0."), t, n.bound))};
    }
    return {};
}

} // namespace kelm
