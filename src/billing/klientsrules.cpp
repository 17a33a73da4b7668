#include "billing/klientsrules.h"

#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/numbers.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVector>

#include <cmath>

namespace kelm {

namespace {

// How often, in rows, a long copy reports its progress: about a hundred times
// in all, so that the progress window costs nothing next to the copy.
int progressEvery(int total)
{
    return std::max(1, total / 100);
}

// One statement prepared once and run for many rows.
class Insert {
public:
    Insert(Connection &conn, const QString &sql) : m_q(conn.db())
    {
        if (!m_q.prepare(sql))
            throw DbError(ErrSql, m_q.lastError().text());
    }
    void run(const QVector<QVariant> &values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_q.bindValue(i, toStorage(values.at(i)));
        if (!m_q.exec())
            throw DbError(ErrSql, m_q.lastError().text());
    }

private:
    QSqlQuery m_q;
};

// Runs body inside a transaction of conn: all or nothing.
template <class F>
void inTransaction(Connection &conn, F &&body)
{
    conn.beginTrans();
    try {
        body();
        conn.commitTrans();
    } catch (...) {
        conn.rollbackTrans();
        throw;
    }
}

const QString kKmFirst = QStringLiteral("Грешни километри!");
const QString kKmSecond = QStringLiteral("Моля, въведете километрите на курса с цяло число, не по-малко от 0!");
const QString kTariffFirst = QStringLiteral("Грешна тарифа!");
const QString kTariffSecond = QStringLiteral("Моля, въведете тарифата на курса с число, не по-малко от 0!");

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

QString moneyText(double x)
{
    return formatNumber(x, 2) + QStringLiteral("лв.");
}

QString statementKmRefusal(const QString &typed)
{
    const auto x = parseBounded(typed, limits::kKm);
    if (!x || *x < 0 || *x != std::floor(*x))
        return joinLines({kKmFirst, kKmSecond});
    return QString();
}

QString statementTariffRefusal(const QString &typed)
{
    const auto x = parseBounded(typed, limits::kPrice);
    if (!x || *x < 0)
        return joinLines({kTariffFirst, kTariffSecond});
    return QString();
}

int fillStatement(Connection &main, Connection &scratch, const KlientCriteria &c, const RowProgress &progress)
{
    // A field without data never matches a prefix, not even an empty one.
    QVector<QVector<QVariant>> trips;
    main.forEachRow(
        QStringLiteral("SELECT Data, Marsh, Tovar, kola, km, ton, Tarifa, bruto FROM tabl "
                       "WHERE Klient=? AND Tovar LIKE ? ESCAPE '\\' AND Marsh LIKE ? ESCAPE '\\' "
                       "AND kola LIKE ? ESCAPE '\\' AND Data BETWEEN ? AND ? "
                       "ORDER BY Data, Marsh COLLATE BG, ID"),
        {c.client, likePrefix(c.goods), likePrefix(c.route), likePrefix(c.car), c.start, c.end}, {},
        [&trips](const QVector<QVariant> &row) { trips.append(row); });

    const int n = int(trips.size());
    const int every = progressEvery(n);
    inTransaction(scratch, [&] {
        scratch.execute(QStringLiteral("DELETE FROM TempKlients"));
        Insert ins(scratch, QStringLiteral("INSERT INTO TempKlients (Data, Marsh, VidTovar, Kola, KM, Ton, Tarifa, "
                                           "Suma) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; i < n; ++i) {
            ins.run(trips.at(i));
            if (progress && (i + 1) % every == 0)
                progress(i + 1, n);
        }
    });
    if (progress)
        progress(n, n);
    return n;
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

StatementTotals stagePrintRows(Connection &scratch, const RowProgress &progress)
{
    QVector<QVector<QVariant>> rows;
    scratch.forEachRow(QStringLiteral("SELECT Data, Marsh, VidTovar, Kola, KM, Ton, Tarifa FROM TempKlients "
                                      "ORDER BY Marsh COLLATE BG, Data, rowid"),
                       {}, {}, [&rows](const QVector<QVariant> &row) { rows.append(row); });
    StatementTotals t;
    t.rows = int(rows.size());
    const int every = progressEvery(t.rows);
    inTransaction(scratch, [&] {
        scratch.execute(QStringLiteral("DELETE FROM TempKlientsNew"));
        Insert ins(scratch, QStringLiteral("INSERT INTO TempKlientsNew (Data, Marsh, VidTovar, Kola, KM, Ton, "
                                           "Tarifa, Suma) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
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
            out[6] = formatNumber(tariff, 3);
            out[7] = formatNumber(amount, 2);
            ins.run(out);
            t.km += km;
            t.tons += ton;
            t.money += amount;
            if (progress && (i + 1) % every == 0)
                progress(i + 1, t.rows);
        }
    });
    t.money = Round(t.money, 2);
    if (progress)
        progress(t.rows, t.rows);
    return t;
}

} // namespace kelm
