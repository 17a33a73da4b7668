#include "trips/tripsave.h"

#include "common/textchecks.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "warehouse/stock.h"

#include <cmath>
#include <limits>

namespace kelm {

namespace {

const QString kSaveCaption = QStringLiteral("ГРЕШКА при запис!");

TripSaveResult fail(TripCheck check, const QString &first, const QString &second,
                    TripBox focus = TripBox::None, const QString &caption = kSaveCaption)
{
    TripSaveResult r;
    r.check = check;
    r.caption = caption;
    r.text = joinLines({first, second});
    r.focus = focus;
    return r;
}

const QString kTonFirst = QStringLiteral("Грешен тонаж!");
const QString kTonSecond = QStringLiteral("Моля, въведете тонажа на курса с число, не по-малко от 0!");
const QString kKmFirst = QStringLiteral("Грешни километри!");
const QString kKmSecond =
    QStringLiteral("Моля, въведете километрите на курса с цяло число, не по-малко от 0!");
const QString kTariffFirst = QStringLiteral("Грешна тарифа!");
const QString kTariffSecond = QStringLiteral("Моля, въведете тарифата на курса с число, не по-малко от 0!");

// The columns a save writes, in the order of its values.
const QStringList kTripColumns{QStringLiteral("Data"),    QStringLiteral("kola"),    QStringLiteral("kod"),
                               QStringLiteral("Marsh"),   QStringLiteral("Klient"),  QStringLiteral("Tovar"),
                               QStringLiteral("km"),      QStringLiteral("ton"),     QStringLiteral("Tarifa"),
                               QStringLiteral("bruto"),   QStringLiteral("procent"), QStringLiteral("neto"),
                               QStringLiteral("plat"),    QStringLiteral("Fakt"),    QStringLiteral("NomFakt"),
                               QStringLiteral("Doc")};

} // namespace

std::optional<double> amountOf(const QString &text, double bound)
{
    return parseAmount(trimSpaces(text), bound);
}

std::optional<int> kmOf(const QString &text)
{
    const auto x = amountOf(text, limits::kKm);
    // km is a whole number in the table: a fraction would be cut off there while
    // the amounts were computed from it.
    if (!x || *x != std::floor(*x))
        return std::nullopt;
    return int(*x);
}

QString kmRefusal(const QString &text)
{
    return kmOf(text) ? QString() : withBoundLine(joinLines({kKmFirst, kKmSecond}), trimSpaces(text), limits::kKm);
}

QString tariffRefusal(const QString &text)
{
    return amountOf(text, limits::kPrice)
        ? QString()
        : withBoundLine(joinLines({kTariffFirst, kTariffSecond}), trimSpaces(text), limits::kPrice);
}

QString tripAmountRefusal(double ton, double km, double tariff)
{
    return tripAmountRefusal(tripAmounts(ton, km, tariff).bruto);
}

QString tripAmountRefusal(double bruto)
{
    if (bruto <= limits::kMoney)
        return QString();
    return joinLines({QStringLiteral("Прекалено голяма сума на курса!"),
                      QStringLiteral("Сумата на курса (тонаж x км x тарифа) не може да бъде по-голяма от %1 лв.")
                          .arg(boundText(limits::kMoney))});
}

void writeExpenseLine(Connection &conn, const TripRow &row)
{
    insertLine(conn, noStockIssue(row.data, row.kola, QStringLiteral("0000000000"), kTripExpenseArticle, 1.0,
                                  row.expense));
}

QString driverCodeOf(const QString &entry)
{
    const QString t = trimSpaces(entry);
    const int comma = t.indexOf(QLatin1Char(','));
    if (comma < 0)
        return QString();
    return trimSpaces(t.left(comma));
}

TripSaveResult checkTrip(const TripEntry &e, const TripSaveContext &ctx)
{
    // The list texts are what the trip takes; the boxes they cover hold them trimmed.
    const QString car = trimSpaces(e.car);
    const QString route = trimSpaces(e.route);
    const QString client = trimSpaces(e.client);
    const QString goods = trimSpaces(e.goods);

    if (IsBlank(e.driver))
        return fail(CheckDriverBlank, QStringLiteral("Няма име на шофьора!"),
                    QStringLiteral("Моля, изберете името на шофьора!"));
    if (IsBlank(car))
        return fail(CheckCarBlank, QStringLiteral("Няма номер на кола!"),
                    QStringLiteral("Моля, въведете номера на колата!"));
    if (IsBlank(e.date))
        return fail(CheckDateBlank, QStringLiteral("Няма въведена дата!"),
                    QStringLiteral("Моля, въведете датата на курса!"));
    if (IsBlank(e.ton))
        return fail(CheckTonBlank, QStringLiteral("Няма въведен тонаж!"),
                    QStringLiteral("Моля, въведете тонажа на курса"));
    if (IsBlank(e.km))
        return fail(CheckKmBlank, QStringLiteral("Няма въведени километри!"),
                    QStringLiteral("Моля, въведете километрите на курса"));
    if (IsBlank(e.tariff))
        return fail(CheckTariffBlank, QStringLiteral("Няма въведена тарифа!"),
                    QStringLiteral("Моля, въведете тарифата на курса"));
    if (IsBlank(route))
        return fail(CheckRouteBlank, QStringLiteral("Няма въведен маршрут!"),
                    QStringLiteral("Моля, изберете маршрута на курса"));
    if (IsBlank(client))
        return fail(CheckClientBlank, QStringLiteral("Няма въведен клиент!"),
                    QStringLiteral("Моля, изберете клиента на курса!"));
    if (IsBlank(goods))
        return fail(CheckGoodsBlank, QStringLiteral("Няма въведен товар!"),
                    QStringLiteral("Моля, изберете товара на курса!"));
    if (IsBlank(e.invoice))
        return fail(CheckInvoiceBlank, QStringLiteral("Няма въведена фактура!"),
                    QStringLiteral("Моля, въведете номер на фактурата!"));
    if (CompareLen(e.invoice, kInvoiceNumberLength) != 0)
        return fail(CheckInvoiceLength, QStringLiteral("Грешен номер на фактура!"),
                    QStringLiteral("Моля, въведете 10 цифри за номер на фактурата!"));

    // A new trip takes the driver picked in the list; a correction keeps its own.
    const QString kod = ctx.adding ? driverCodeOf(e.driver) : ctx.tripKod;
    if (IsBlank(kod))
        return fail(CheckDriverCode, QStringLiteral("Грешно име на шофьор!"),
                    QStringLiteral("Моля, изберете име от списъка!"));
    if (CompareLen(car, kCarLength) == 1)
        return fail(CheckCarLength, QStringLiteral("Номера на колата е по-дълъг от разрешения!"),
                    QStringLiteral("Моля, въведете до 12 символа за номер на колата!"));
    if (CompareLen(goods, kGoodsLength) == 1)
        return fail(CheckGoodsLength, QStringLiteral("Вида на товара е по-дълъг от разрешения!"),
                    QStringLiteral("Моля, въведете до 25 символа за вида на товара!"));
    if (CompareLen(client, kClientLength) == 1)
        return fail(CheckClientLength, QStringLiteral("Името на клиента е по-дълъго от разрешеното!"),
                    QStringLiteral("Моля, въведете до 25 символа за име на клиента!"));
    if (CompareLen(route, kRouteLength) == 1)
        return fail(CheckRouteLength, QStringLiteral("Маршрута е по-дълъг от разрешения!"),
                    QStringLiteral("Моля, въведете до 25 символа за маршрут!"));
    // A trip of a driver nobody has belongs to no statement or pay list.
    if (ctx.adding && !ctx.drivers.contains(trimSpaces(e.driver)))
        return fail(CheckDriverUnknown, QStringLiteral("Няма такъв шофьор!"),
                    QStringLiteral("Моля, изберете шофьора от списъка „Шофьор“!"), TripBox::Driver);

    if (IsBadDate(e.date))
        return fail(CheckDate, QStringLiteral("Неверен формат на датата!"),
                    QStringLiteral("Проверете въведената дата и опитайте отново."), TripBox::Date,
                    QString());

    // The amounts are computed from these, so text that is no number must not
    // reach the table (it would be stored as text, or as a wrong amount).
    const auto ton = amountOf(e.ton, limits::kTons);
    if (!ton)
        return fail(CheckTonNumber, kTonFirst, withBoundLine(kTonSecond, trimSpaces(e.ton), limits::kTons),
                    TripBox::Ton);
    const auto km = kmOf(e.km);
    if (!km)
        return fail(CheckKmNumber, kKmFirst, withBoundLine(kKmSecond, trimSpaces(e.km), limits::kKm), TripBox::Km);
    const auto tariff = amountOf(e.tariff, limits::kPrice);
    if (!tariff)
        return fail(CheckTariffNumber, kTariffFirst,
                    withBoundLine(kTariffSecond, trimSpaces(e.tariff), limits::kPrice), TripBox::Tariff);
    double expense = 0;
    if (!IsBlank(e.expense)) {
        const auto x = amountOf(e.expense, limits::kMoney);
        if (!x)
            return fail(CheckExpenseNumber, QStringLiteral("Грешен разход за курса!"),
                        withBoundLine(QStringLiteral("Моля, въведете разхода за курса с число, не по-малко от 0!"),
                                      trimSpaces(e.expense), limits::kMoney),
                        TripBox::Expense);
        expense = *x;
    }
    // Each number within its bound can still multiply past an amount of money.
    if (const QString why = tripAmountRefusal(*ton, *km, *tariff); !why.isEmpty()) {
        TripSaveResult r;
        r.check = CheckAmountBound;
        r.caption = kSaveCaption;
        r.text = why;
        r.focus = TripBox::Tariff;
        return r;
    }

    TripSaveResult r;
    r.ok = true;
    TripRow &row = r.row;
    row.id = ctx.adding ? 0 : ctx.trip.key;
    row.data = *parseDate(trimSpaces(e.date));
    row.kola = car;
    row.kod = kod;
    row.marsh = route;
    row.klient = client;
    row.tovar = goods;
    row.km = *km;
    row.ton = *ton;
    row.tarifa = *tariff;
    row.amounts = tripAmounts(row.ton, row.km, row.tarifa);
    row.plat = e.paid;
    // A new trip is never invoiced; a correction keeps the invoice shown on it, so
    // correcting a route does not take an invoiced trip off its invoice.
    row.fakt = ctx.adding ? false : e.invoiced;
    row.nomFakt = ctx.adding ? QStringLiteral("0000000000") : trimSpaces(e.invoice);
    row.expense = expense;
    return r;
}

TripSaveResult saveTrip(Connection &conn, const TripEntry &e, const TripSaveContext &ctx)
{
    TripSaveResult r = checkTrip(e, ctx);
    if (!r.ok)
        return r;
    TripRow &row = r.row;
    const QVariantList values{row.data, row.kola, row.kod, row.marsh, row.klient, row.tovar,
                              row.km, row.ton, row.tarifa, row.amounts.bruto, row.amounts.procent,
                              row.amounts.neto, row.plat, row.fakt, row.nomFakt, false};
    try {
        conn.beginTrans();
        try {
            if (ctx.adding) {
                conn.execute(QStringLiteral("INSERT INTO tabl (%1) VALUES (?%2)")
                                 .arg(kTripColumns.join(QStringLiteral(", ")),
                                      QStringLiteral(", ?").repeated(int(kTripColumns.size()) - 1)),
                             values);
                row.id = conn.lastInsertId();
            } else {
                // Only while the trip is as the editor read it: another user's
                // change is never mixed into this one.
                updateRowAsRead(conn, ctx.trip, kTripColumns, values);
            }
            writeExpenseLine(conn, row);
            conn.commitTrans();
        } catch (...) {
            if (conn.inTransaction())
                conn.rollbackTrans();
            throw;
        }
    } catch (const DbError &err) {
        r.ok = false;
        r.check = CheckNone;
        r.caption = kSaveCaption;
        r.text = err.text();
        r.focus = TripBox::None;
    }
    return r;
}

bool appendIfMissing(QStringList &entries, const QString &text)
{
    const QString t = trimSpaces(text);
    for (const QString &entry : entries)
        if (trimSpaces(entry) == t)
            return false;
    entries << t;
    return true;
}

} // namespace kelm
