#include "reports/balansrules.h"

#include "platform/database.h"
#include "platform/gridmodel.h"
#include "platform/numbers.h"

#include <QHash>

#include <cmath>

namespace kelm {

BalansMode balansModeOf(const QString &seekMode)
{
    return seekMode == QLatin1String("PreRazh") ? BalansMode::Fuel : BalansMode::Money;
}

QString shortDateText(const QDate &d)
{
    return QStringLiteral("%1.%2.%3").arg(d.day()).arg(d.month()).arg(d.year());
}

double balansDifference(double first, double second)
{
    return QString::number(first - second, 'g', 15).toDouble();
}

qint64 toTenThousandths(double x)
{
    return qint64(std::llround(Round(x, 4) * 10000.0));
}

namespace {

struct Pair {
    double first = 0;
    double second = 0;
};

// One grouped query: the key column's value to its one or two sums.
QHash<QString, Pair> groupedSums(Connection &conn, const QString &sql, const QVariantList &params, bool two)
{
    QHash<QString, Pair> out;
    conn.forEachRow(
        sql, params, [](const QStringList &) {},
        [&](const QVector<QVariant> &row) {
            if (row.at(0).isNull())
                return;
            Pair &p = out[row.at(0).toString()];
            p.first += row.at(1).toDouble();
            if (two)
                p.second += row.at(2).toDouble();
        });
    return out;
}

} // namespace

BalansFigures readBalans(Connection &conn, BalansMode mode, const QDate &start, const QDate &end)
{
    BalansFigures f;
    QStringList cars;
    conn.forEachRow(
        QStringLiteral("SELECT DISTINCT kola FROM Config WHERE kola IS NOT NULL ORDER BY kola"), {},
        [](const QStringList &) {}, [&](const QVector<QVariant> &row) { cars << row.at(0).toString(); });
    if (cars.isEmpty())
        return f;

    // TOTAL() is 0.0 over no rows or only empty values, where SUM() would be empty.
    QHash<QString, Pair> first, issues;
    if (mode == BalansMode::Money) {
        first = groupedSums(conn,
                            QStringLiteral("SELECT kola, TOTAL(bruto) FROM tabl WHERE Data BETWEEN ? AND ? "
                                           "GROUP BY kola"),
                            {start, end}, false);
        issues = groupedSums(conn,
                             QStringLiteral("SELECT DocVid, TOTAL(Suma) FROM Sklad WHERE VidKol=? AND "
                                            "Data BETWEEN ? AND ? GROUP BY DocVid"),
                             {QStringLiteral("R"), start, end}, false);
    } else {
        first = groupedSums(conn,
                            QStringLiteral("SELECT Kola, TOTAL(SumRazhN), TOTAL(ZarN) FROM RowdList "
                                           "WHERE Data BETWEEN ? AND ? GROUP BY Kola"),
                            {start, end}, true);
    }

    f.cars.reserve(cars.size());
    for (const QString &c : cars) {
        BalansCar car;
        car.kola = c;
        const Pair p = first.value(c);
        car.prihod = p.first;
        car.razhod = mode == BalansMode::Money ? issues.value(c).first : p.second;
        car.ostatak = balansDifference(car.prihod, car.razhod);
        f.totalTenThousandths += toTenThousandths(car.prihod) - toTenThousandths(car.razhod);
        f.cars.append(car);
    }
    return f;
}

QString formatBalansFigure(double x, BalansMode mode)
{
    if (mode == BalansMode::Money)
        return moneyText(x);
    return formatNumber(x, 1) + QStringLiteral(" л");
}

QString balansTotalText(double total)
{
    return QStringLiteral("Всичко: ") + moneyText(total);
}

bool isRazhPlus(const QString &razhodText)
{
    return leadingNumber(razhodText) < 1;
}

} // namespace kelm
