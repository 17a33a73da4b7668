#pragma once
// Driver pay without a window: the pay of a trip by the car's percentage and
// nominal load, the car table it is looked up in, the driver's papers printed on
// a receipt, a total that is the sum of the amounts as printed, and the receipt
// texts the driver signs.

#include <QDate>
#include <QString>
#include <QVector>
#include <optional>

namespace kelm {

class Connection;

// Whole tons a load is over the car's nominal load (0 when not over). Tons are
// kept to the thousandth, so 16.4 t on a 15.4 t car is one whole ton over, even
// though the two doubles differ by a hair less than one.
int overloadTons(double tripTon, double nominalTon);

// A trip's pay: the base bruto × percentage / 100, less 20 % of the base for
// every whole ton over the nominal load, with no floor at zero (26 t on a 20 t
// car pays −20 of a base of 100). Not rounded.
double driverPay(double bruto, double procent, double nominalTon, double tripTon);

// One own car's pay settings (Config); an empty value reads as 0.
struct CarRate {
    QString kola; // trimmed
    double procent = 0;
    double ton = 0;
};

// Every Config row, in table order.
QVector<CarRate> readCarRates(Connection &conn);
// The rate of a car: the last row whose trimmed number equals the trimmed
// number given (exact, with case); nullptr when none.
const CarRate *findCarRate(const QVector<CarRate> &rates, const QString &kola);
// "Няма зададен процент за кола № <car> !"
QString noPercentMessage(const QString &kola);

// The driver's personal number and identity card, as printed on a receipt.
struct DriverPapers {
    QString egn;
    QString lkarta;
};
// The papers of the driver with this code (the code is unique; a name is not).
// Nothing when the code has no shof row.
std::optional<DriverPapers> readDriverPapers(Connection &conn, const QString &kod);

// An amount as it prints with "###0.00", in whole stotinki.
qint64 printedCents(double amount);

// A running total of amounts as printed: each amount is taken rounded to two
// decimals, as its row shows it, so the total is what the column adds up to.
// Kept in whole stotinki, so adding and taking away the same amount leaves the
// total exactly where it was.
class PrintedSum {
public:
    void add(double amount) { m_cents += printedCents(amount); }
    void subtract(double amount) { m_cents -= printedCents(amount); }
    void clear() { m_cents = 0; }
    qint64 cents() const { return m_cents; }
    double value() const { return double(m_cents) / 100.0; }
    // "###0.00": 1234,50
    QString text() const;

private:
    qint64 m_cents = 0;
};

// The receipt under a pay statement.
QString receiptNumberLine(const QDate &today);                     // "Разписка №_____ / dd.mm.yyyy"
QString receiptDriverLine(const QString &name, const DriverPapers &p); // "от … с ЕГН … и л.к.№ …"
QString receiptText(const QDate &today, const QString &sumText, const QString &firmName);
// The signature line, pushed to the right by its leading blanks.
QString receiptSignatureLine();
// "Всичко заработка: <sum> лв."
QString earnedTotalLine(const QString &sumText);

} // namespace kelm
