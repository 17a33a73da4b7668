#include "warehouse/stocktexts.h"

#include "platform/database.h"
#include "platform/numbers.h"
#include "warehouse/stock.h"

#include <cmath>

namespace kelm {

QString revisionQuantityText(double x)
{
    // 30.3 - 10.1 - 20.2 leaves 3.55e-15 in binary: no stock, and no text a reader
    // could take for three and a half litres.
    x = keptQuantity(x);
    if (x == 0)
        return QStringLiteral(" 0");
    QString digits = formatNumberPoint(std::fabs(x), kQuantityDecimals);
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    if (digits.endsWith(QLatin1Char('.')))
        digits.chop(1);
    return (x < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

double currencyRound(double x)
{
    return Round(x, 4);
}

QString currencyText(double x)
{
    return formatGeneral(currencyRound(x));
}

double RevisionRow::shownQtyLeft() const
{
    return keptQuantity(qtyLeft());
}

QStringList RevisionRow::texts() const
{
    // Nothing issued shows a dash in both issue columns, whatever the value says.
    const bool issued = keptQuantity(qtyOut) != 0;
    return {hasReceipt ? moneyText(price) : QString(),
            revisionQuantityText(qtyIn),
            moneyText(valueIn),
            issued ? revisionQuantityText(qtyOut) : QStringLiteral("- "),
            issued ? moneyText(valueOut) : QStringLiteral("- "),
            revisionQuantityText(shownQtyLeft()),
            moneyText(valueLeft())};
}

QVector<RevisionRow> revisionRows(Connection &conn, const QDate &start, const QDate &end)
{
    // The period's sums of every article come from one pass over the period's
    // lines; articles with lines only outside it still get their row of zeros.
    // The price is that of the period's earliest receipt (the first entered
    // among receipts of one day).
    const QString sql = QStringLiteral(
        "SELECT n.Name, m.qp, m.vp, m.qr, m.vr, "
        " (SELECT p.Edin FROM Sklad p WHERE p.Name=n.Name AND p.VidKol='P' AND p.Data BETWEEN ? AND ? "
        "  ORDER BY p.Data, p.ID LIMIT 1) AS Cena, "
        " (SELECT COUNT(*) FROM Sklad p WHERE p.Name=n.Name AND p.VidKol='P' AND p.Data BETWEEN ? AND ?) AS np "
        "FROM (SELECT DISTINCT Name FROM Sklad WHERE Name IS NOT NULL) n "
        "LEFT JOIN (SELECT Name, "
        "  TOTAL(CASE WHEN VidKol='P' THEN Kol END) AS qp, TOTAL(CASE WHEN VidKol='P' THEN Suma END) AS vp, "
        "  TOTAL(CASE WHEN VidKol='R' THEN Kol END) AS qr, TOTAL(CASE WHEN VidKol='R' THEN Suma END) AS vr "
        "  FROM Sklad WHERE Data BETWEEN ? AND ? GROUP BY Name) m ON m.Name=n.Name "
        "ORDER BY n.Name COLLATE BG, n.Name");
    QVector<RevisionRow> rows;
    conn.forEachRow(sql, {start, end, start, end, start, end}, nullptr, [&](const QVector<QVariant> &v) {
        RevisionRow r;
        r.name = v[0].toString();
        r.qtyIn = v[1].toDouble();
        r.valueIn = v[2].toDouble();
        r.qtyOut = v[3].toDouble();
        r.valueOut = v[4].toDouble();
        r.hasReceipt = v[6].toLongLong() > 0;
        r.price = v[5].toDouble();
        rows.append(r);
    });
    return rows;
}

double revisionTotal(const QVector<RevisionRow> &rows)
{
    double total = 0;
    for (const RevisionRow &r : rows)
        total = currencyRound(total + currencyRound(r.valueLeft()));
    return total;
}

QVector<StockRow> stockRows(Connection &conn, const QString &prefix)
{
    QVector<StockRow> rows;
    conn.forEachRow(QStringLiteral("SELECT Name, Edin, Broi FROM Nalich WHERE Name LIKE ? ESCAPE '\\' "
                                   "ORDER BY Name COLLATE BG, Name"),
                    {likePrefix(prefix)}, nullptr, [&](const QVector<QVariant> &v) {
                        rows.append({v[0].toString(), v[1].toDouble(), v[2].toDouble()});
                    });
    return rows;
}

double stockTotal(const QVector<StockRow> &rows)
{
    double total = 0;
    for (const StockRow &r : rows)
        total = currencyRound(total + currencyRound(r.value()));
    return total;
}

} // namespace kelm
