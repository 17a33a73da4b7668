#pragma once
#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

namespace kelm {

// Round(x, n): x·10ⁿ in double precision, to the nearest whole number with exact
// halves going to the even neighbour (62.5 -> 62.5, 1.875 -> 1.88, 0.125 -> 0.12).
double Round(double x, int n = 0);

// Bulgarian number texts with a decimal comma, whatever the machine's locale.
// decimals 0..3 stand for the formats "###0", "###0.0", "###0.00", "###0.000".
QString formatNumber(double x, int decimals);
// The design's format strings ("###0", "###0.0", "###0.00", "###0.000"), and
// kTariffFormat.
QString formatNumber(double x, const QString &pattern);
// Money as screens and lists show it: "###0.00" with "лв." right after it ("1234,50лв.").
QString moneyText(double x);
// A number with as many decimals as it has (up to six), decimal comma: 12,5; 40; 0,125.
QString formatGeneral(double x);
// Same, but with a decimal point where the design writes one with a point.
QString formatNumberPoint(double x, int decimals);

// A number exactly as it is held (the shortest text that reads back to the same
// value), with at least minDecimals decimals and a decimal comma: a tariff of
// 0.1255 shows as 0,1255 and 0.12 as 0,120, so that saving what is shown keeps it.
QString formatExact(double x, int minDecimals);

// A tariff as it is printed: as held, with no fewer decimals than its column's
// design gives it (three; two on a driver's list of trips): 0,1 prints 0,100,
// 0,088 prints 0,088, 0,0875 prints 0,0875. So a printed row multiplies out to
// its printed amount. Every printout writes its tariffs through this.
QString printedTariff(double x, int decimals = 3);
// The format of a report column of tariffs: formatNumber(x, kTariffFormat) is
// printedTariff(x). (A pattern whose decimals end in "#" shows the number as held,
// with at least its "0"s' decimals.)
constexpr char kTariffFormat[] = "###0.000#";

// A typed number: "12,50", "12.50", " 12 " are read; empty or anything else is nothing.
std::optional<double> parseNumber(const QString &text);

// The largest value a typed number of each kind may take. A haulage company never
// meets more than these; anything beyond is a slip of the keyboard (twenty nines, a
// one with three hundred zeros) that would otherwise be stored as infinity or turn
// the amounts computed from it into nonsense. Each bound is stated here once and
// every screen that reads a number of that kind uses it.
namespace limits {
constexpr double kTons = 1000;              // tons of one load
constexpr double kKm = 100000;              // kilometres of one trip, leg or odometer step
constexpr double kOdometer = 10000000;      // an odometer reading
constexpr double kLitres = 100000;          // litres of fuel or oil, norms per 100 km
constexpr double kQuantity = 1000000;       // a warehouse quantity
constexpr double kPrice = 10000000;         // a tariff, unit price or percentage base
constexpr double kMoney = 10000000;         // an amount of money
constexpr double kPercent = 100;            // a percentage
} // namespace limits

// A typed number of a kind with an upper bound: parseNumber, then refused (nothing)
// when it is beyond ±bound. "-0" reads as 0 so that no negative zero is stored.
std::optional<double> parseBounded(const QString &text, double bound);

// A typed number of a kind that is never below zero (a quantity, a price, tons,
// kilometres, fuel, an amount of money, a car's norm): parseBounded, and nothing
// for a negative number, so that a box refuses "-5" as it refuses a text that is
// no number. Every screen that takes such a number reads it through this.
std::optional<double> parseAmount(const QString &text, double bound);

// What is said of a number refused for its bound, the one sentence every screen
// uses: "Числото не може да бъде по-голямо от 1000000." (or "по-малко от -…" for
// one below -bound). Empty for a number within ±bound.
QString overBoundText(double x, double bound);
// The same for a typed text: empty unless it is a number beyond ±bound.
QString overBoundText(const QString &typed, double bound);
// A field's own refusal of a typed bounded number ("first line\rsecond line"), with
// the bound's sentence as a further line when that is why the number was refused:
// a user who typed 1000001 learns the limit, not only that the field wants a number.
QString withBoundLine(const QString &message, const QString &typed, double bound);
// withBoundLine for a number read by parseAmount: the bound is named only for a
// number above it, as a negative one is refused for its sign whatever its size.
QString amountRefusal(const QString &message, const QString &typed, double bound);
// The bound as the messages write it: 10000000, 0,5.
QString boundText(double bound);

// Dates are shown as dd.mm.yyyy. Every date box takes d.m.yyyy and d.m.yy (a
// two-digit year is 20yy); a box whose hint shows "ММ/ДД/ГГ" also takes
// month/day/year with slashes, as the hint says. Only a real calendar date with a
// year from 1900 to 2100 is read; anything else is nothing.
enum class DateInput { DayFirst, AlsoMonthSlashes };
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2100;
std::optional<QDate> parseDate(const QString &text, DateInput input = DateInput::DayFirst);
QString formatDate(const QDate &d);
// A date value as read from the database (QDate or stored text) to dd.mm.yyyy.
QString formatDate(const QVariant &v);
QDate toDate(const QVariant &v);

// Numbers used as identifiers: right-aligned into ten characters padded with "0".
QString padNumber10(const QString &text);

// A user's text as a LIKE prefix pattern, with "%", "_" and the escape itself
// escaped so they match only themselves. Use with "LIKE ? ESCAPE '\'".
QString likePrefix(const QString &text);

} // namespace kelm
