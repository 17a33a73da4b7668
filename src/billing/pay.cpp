#include "billing/pay.h"

#include "platform/database.h"
#include "platform/numbers.h"

#include <cmath>

namespace kelm {

int overloadTons(double tripTon, double nominalTon)
{
    if (!(tripTon > nominalTon))
        return 0;
    const qint64 over = std::llround(tripTon * 1000.0) - std::llround(nominalTon * 1000.0);
    return over > 0 ? int(over / 1000) : 0;
}

double driverPay(double bruto, double procent, double nominalTon, double tripTon)
{
    const int o = overloadTons(tripTon, nominalTon);
    const double b = bruto * procent / 100;
    return b - b * o * 20.0 / 100.0;
}

QVector<CarRate> readCarRates(Connection &conn)
{
    QVector<CarRate> rates;
    conn.forEachRow(QStringLiteral("SELECT Kola, Procent, Ton FROM Config ORDER BY ID"), {}, nullptr,
                    [&](const QVector<QVariant> &v) {
                        CarRate r;
                        r.kola = v.at(0).toString().trimmed();
                        r.procent = v.at(1).toDouble();
                        r.ton = v.at(2).toDouble();
                        rates.append(r);
                    });
    return rates;
}

const CarRate *findCarRate(const QVector<CarRate> &rates, const QString &kola)
{
    const QString k = kola.trimmed();
    const CarRate *found = nullptr;
    for (const CarRate &r : rates)
        if (r.kola == k)
            found = &r;
    return found;
}

QString noPercentMessage(const QString &kola)
{
    return QStringLiteral("Няма зададен процент за кола № ") + kola + QStringLiteral(" !");
}

std::optional<DriverPapers> readDriverPapers(Connection &conn, const QString &kod)
{
    std::optional<DriverPapers> out;
    conn.forEachRow(QStringLiteral("SELECT EGN, LKarta FROM shof WHERE kod=? ORDER BY ID"), {kod}, nullptr,
                    [&](const QVector<QVariant> &v) {
                        if (!out)
                            out = DriverPapers{v.at(0).toString(), v.at(1).toString()};
                    });
    return out;
}

qint64 printedCents(double amount)
{
    if (!std::isfinite(amount))
        return 0;
    // The text the amount prints as, read back: the same rounding as the row shows.
    return std::llround(parseNumber(formatNumber(amount, 2)).value_or(0.0) * 100.0);
}

QString PrintedSum::text() const
{
    return formatNumber(value(), 2);
}

QString receiptNumberLine(const QDate &today)
{
    return QStringLiteral("Разписка №_____ / ") + formatDate(today);
}

QString receiptDriverLine(const QString &name, const DriverPapers &p)
{
    return QStringLiteral("от ") + name + QStringLiteral(" с ЕГН ") + p.egn + QStringLiteral(" и л.к.№ ") + p.lkarta;
}

QString receiptText(const QDate &today, const QString &sumText, const QString &firmName)
{
    return QString(9, QLatin1Char(' ')) + QStringLiteral("Днес ") + formatDate(today)
        + QStringLiteral(" получих сумата от ") + sumText
        + QStringLiteral(" лева за извършените от мен курсове за фирма ") + firmName
        + QStringLiteral(" съгласно горното извлечение.");
}

QString receiptSignatureLine()
{
    return QString(76, QLatin1Char(' ')) + QStringLiteral("Подпис: ") + QString(32, QLatin1Char('.'));
}

QString earnedTotalLine(const QString &sumText)
{
    return QStringLiteral("Всичко заработка: ") + sumText + QStringLiteral(" лв.");
}

} // namespace kelm
