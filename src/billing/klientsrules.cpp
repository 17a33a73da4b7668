#include "billing/klientsrules.h"

#include "dialogs/messages.h"
#include "platform/bulkrows.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "trips/tripsave.h"

#include <QVector>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelm {

namespace {

// How often, in rows, a long copy reports its progress: twenty times in all, so
// that drawing the progress window costs nothing next to the copy.
int progressEvery(int total)
{
    return std::max(1, total / 20);
}

// Statement rows (Data, Marsh, ...) in route order, Bulgarian alphabetical as
// the database's BG collation has it (letters in any case together, then the
// exact text), then by date; rows equal in both keep their order. Sorting here,
// with each route's key made once, is many times faster than letting the
// database call the collation for every comparison.
QVector<QVector<QVariant>> byRouteThenDate(const QVector<QVector<QVariant>> &rows)
{
    struct Key {
        QString folded;
        QString route;
        QDate date;
        int index;
    };
    std::vector<Key> keys;
    keys.reserve(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const QString route = rows.at(i).at(1).toString();
        keys.push_back({route.toLower(), route, rows.at(i).at(0).toDate(), i});
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key &a, const Key &b) {
        if (const int c = a.folded.compare(b.folded))
            return c < 0;
        if (const int c = a.route.compare(b.route))
            return c < 0;
        return a.date < b.date;
    });
    QVector<QVector<QVariant>> out;
    out.reserve(rows.size());
    for (const Key &k : keys)
        out.append(rows.at(k.index));
    return out;
}


} // namespace

double statementAmount(double km, double ton, double tariff)
{
    return Round(km * ton * tariff, 2);
}

VatFooter vatOnTop(double net)
{
    VatFooter f;
    f.net = Round(net, 2);
    f.vat = Round(f.net * kVatRate, 2);
    f.total = Round(f.net + f.vat, 2);
    return f;
}

QString statementCellRefusal(StatementCell cell, const QString &typed, double km, double ton, double tariff)
{
    const bool isKm = cell == StatementCell::Km;
    if (const QString alone = isKm ? kmRefusal(typed) : tariffRefusal(typed); !alone.isEmpty())
        return alone;
    const double x = *parseBounded(typed, isKm ? limits::kKm : limits::kPrice);
    return tripAmountRefusal(statementAmount(isKm ? x : km, ton, isKm ? tariff : x));
}

QString statementRowFault(double km, double ton, double tariff, double amount)
{
    const auto within = [](double x, double bound) { return std::isfinite(x) && x >= 0 && x <= bound; };
    if (!within(km, limits::kKm) || km != std::floor(km))
        return QStringLiteral("грешни километри");
    if (!within(ton, limits::kTons))
        return QStringLiteral("грешен тонаж");
    if (!within(tariff, limits::kPrice))
        return QStringLiteral("грешна тарифа");
    if (!within(amount, limits::kMoney))
        return QStringLiteral("грешна сума");
    // Amounts are kept to the stotinka.
    if (std::fabs(amount - statementAmount(km, ton, tariff)) >= 0.005)
        return QStringLiteral("сумата не е км x тонаж x тарифа");
    return QString();
}

int fillStatement(Connection &main, Connection &scratch, const KlientCriteria &c, const RowProgress &progress)
{
    // The trips go from file to file inside the database engine: one statement,
    // no row passing through the program. A field without data never matches a
    // prefix, not even an empty one.
    const QVariantList params{c.client, likePrefix(c.goods), likePrefix(c.route), likePrefix(c.car), c.start, c.end};
    const QString where = QStringLiteral("FROM %1tabl WHERE Klient=? AND Tovar LIKE ? ESCAPE '\\' "
                                         "AND Marsh LIKE ? ESCAPE '\\' AND kola LIKE ? ESCAPE '\\' "
                                         "AND Data BETWEEN ? AND ?");
    const int n = main.scalar(QStringLiteral("SELECT count(*) ") + where.arg(QString()), params).toInt();
    if (progress)
        progress(0, n);
    scratch.execute(QStringLiteral("ATTACH DATABASE ? AS kelm"), {main.dataSource()});
    int copied = 0;
    try {
        inTransaction(scratch, [&] {
            scratch.execute(QStringLiteral("DELETE FROM main.TempKlients"));
            copied = scratch.execute(QStringLiteral("INSERT INTO main.TempKlients (Data, Marsh, VidTovar, Kola, KM, Ton, "
                                           "Tarifa, Suma) SELECT Data, Marsh, Tovar, kola, km, ton, Tarifa, bruto ")
                                + where.arg(QStringLiteral("kelm."))
                                + QStringLiteral(" ORDER BY Data, Marsh COLLATE BG, ID"),
                            params);
        });
    } catch (...) {
        scratch.execute(QStringLiteral("DETACH DATABASE kelm"));
        throw;
    }
    scratch.execute(QStringLiteral("DETACH DATABASE kelm"));
    if (progress)
        progress(n, n);
    return copied;
}

QStringList printRowFields()
{
    return {QStringLiteral("Data"),  QStringLiteral("Marsh"), QStringLiteral("VidTovar"), QStringLiteral("Kola"),
            QStringLiteral("KM"),    QStringLiteral("Ton"),   QStringLiteral("Tarifa"),   QStringLiteral("Suma")};
}

StatementTotals statementTotals(const Recordset &rs)
{
    StatementTotals t;
    if (!rs.isOpen())
        return t;
    t.rows = rs.recordCount();
    for (int i = 0; i < t.rows; ++i) {
        t.km += rs.value(i, QStringLiteral("KM")).toDouble();
        t.tons += rs.value(i, QStringLiteral("Ton")).toDouble();
        t.money += rs.value(i, QStringLiteral("Suma")).toDouble();
    }
    return t;
}

StatementTotals stagePrintRows(Connection &scratch, QVector<QVector<QVariant>> *printed,
                               const RowProgress &progress)
{
    QVector<QVector<QVariant>> rows;
    scratch.forEachRow(QStringLiteral("SELECT Data, Marsh, VidTovar, Kola, KM, Ton, Tarifa FROM TempKlients "
                                      "ORDER BY rowid"),
                       {}, {}, [&rows](const QVector<QVariant> &row) { rows.append(row); });
    rows = byRouteThenDate(rows);
    StatementTotals t;
    t.rows = int(rows.size());
    QVector<QVector<QVariant>> staged;
    staged.reserve(t.rows);
    const int every = progressEvery(t.rows);
    inTransaction(scratch, [&] {
        scratch.execute(QStringLiteral("DELETE FROM TempKlientsNew"));
        QVector<QVariant> out(8);
        for (int i = 0; i < t.rows; ++i) {
            const QVector<QVariant> &r = rows.at(i);
            const double km = r.at(4).toDouble();
            const double ton = r.at(5).toDouble();
            const double tariff = r.at(6).toDouble();
            const double amount = statementAmount(km, ton, tariff);
            out[0] = r.at(0);
            out[1] = r.at(1);
            out[2] = r.at(2);
            out[3] = r.at(3);
            out[4] = formatNumber(km, 0);
            out[5] = formatNumber(ton, 3);
            out[6] = printedTariff(tariff);
            out[7] = formatNumber(amount, 2);
            staged.append(out);
            t.km += km;
            t.tons += ton;
            t.money += amount;
            if (progress && (i + 1) % every == 0)
                progress(i + 1, t.rows);
        }
        appendRows(scratch, QStringLiteral("TempKlientsNew"), printRowFields(), staged);
    });
    if (printed)
        *printed = staged;
    t.money = Round(t.money, 2);
    if (progress)
        progress(t.rows, t.rows);
    return t;
}

} // namespace kelm
