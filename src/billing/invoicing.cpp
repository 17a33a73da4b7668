#include "billing/invoicing.h"

#include "platform/database.h"
#include "platform/numbers.h"

#include <cmath>

namespace kelm {

const QString kNoInvoice = QStringLiteral("0000000000");

qint64 toCents(double amount)
{
    if (!std::isfinite(amount))
        return 0;
    return std::llround(amount * 100.0);
}

QString centsText(qint64 cents)
{
    const bool negative = cents < 0;
    const quint64 a = negative ? quint64(-cents) : quint64(cents);
    QString s = QString::number(a / 100) + QLatin1Char(',')
                + QStringLiteral("%1").arg(a % 100, 2, 10, QLatin1Char('0'));
    return negative ? QLatin1Char('-') + s : s;
}

QString invoiceSumText(qint64 cents)
{
    return centsText(cents) + QStringLiteral("лв.");
}

InvoiceTotals invoiceTotals(qint64 netCents)
{
    InvoiceTotals t;
    t.net = netCents;
    // A fifth of a whole number of stotinki is never an exact half: plain
    // rounding to the nearest stotinka, away from zero on the negative side.
    const qint64 twice = netCents * 2;
    t.vat = twice >= 0 ? (twice + 5) / 10 : -((-twice + 5) / 10);
    t.total = t.net + t.vat;
    return t;
}

QStringList invoiceFooterLines(const InvoiceTotals &t)
{
    const QString unit = QStringLiteral(" лв.");
    return {QStringLiteral("Сума без ДДС: ") + centsText(t.net) + unit,
            QStringLiteral("         ДДС: ") + centsText(t.vat) + unit,
            QStringLiteral("      Всичко: ") + centsText(t.total) + unit};
}

// ---------------------------------------------------------------------------

namespace {

const QString kTripFields = QStringLiteral("SELECT ID,Data,Marsh,Tovar,kola,KM,Ton,Tarifa,bruto,Fakt,NomFakt FROM tabl ");

QVector<InvoiceTrip> readTrips(Connection &db, const QString &sql, const QVariantList &params)
{
    QVector<InvoiceTrip> out;
    db.forEachRow(sql, params, nullptr, [&out](const QVector<QVariant> &v) {
        InvoiceTrip t;
        t.id = v.at(0).toLongLong();
        t.data = v.at(1).toDate();
        t.marsh = v.at(2).toString();
        t.tovar = v.at(3).toString();
        t.kola = v.at(4).toString();
        t.km = v.at(5).toInt();
        t.ton = v.at(6).toDouble();
        t.tarifa = v.at(7).toDouble();
        t.bruto = v.at(8).toDouble();
        t.fakt = v.at(9).toBool();
        t.nomFakt = v.at(10).toString();
        out.push_back(t);
    });
    return out;
}

} // namespace

QVector<InvoiceTrip> readUninvoicedTrips(Connection &db, const InvoiceCriteria &c)
{
    // A trip left ticked without a number (by a program stopped while its
    // invoicing screen was open) is on no invoice either: it is listed, unticked,
    // so that it can still be invoiced or set free.
    return readTrips(db,
                     kTripFields
                         + QStringLiteral("WHERE (COALESCE(Fakt,0)=0 OR NomFakt=?) AND Klient=? "
                                          "AND Tovar LIKE ? ESCAPE '\\' AND Marsh LIKE ? ESCAPE '\\' "
                                          "AND kola LIKE ? ESCAPE '\\' AND Data BETWEEN ? AND ? ORDER BY Data, ID"),
                     {kNoInvoice, c.client, likePrefix(c.goodsPrefix), likePrefix(c.routePrefix),
                      likePrefix(c.carPrefix), c.start, c.end});
}

QVector<InvoiceTrip> readInvoiceTrips(Connection &db, const QString &nomFakt)
{
    // All zeros is no invoice: it would be every trip not yet invoiced.
    if (nomFakt == kNoInvoice)
        return {};
    return readTrips(db, kTripFields + QStringLiteral("WHERE NomFakt=? ORDER BY ID"), {nomFakt});
}

QString invoiceNumberOf(const QString &entry)
{
    if (!invoiceEntryRefusal(entry).isEmpty())
        return QString();
    return padNumber10(entry.trimmed());
}

QString invoiceEntryRefusal(const QString &entry)
{
    const QString t = entry.trimmed();
    if (t.isEmpty())
        return QStringLiteral("Въведете номер на фактурата!");
    if (t.size() > kInvoiceNumberLength)
        return QStringLiteral("Номерът на фактурата е до 10 знака!") + QLatin1Char('\r')
               + QStringLiteral("Моля, сменете номера и опитайте отново.");
    if (padNumber10(t) == kNoInvoice)
        return QStringLiteral("Номер 0 не е номер на фактура!") + QLatin1Char('\r')
               + QStringLiteral("Моля, сменете номера и опитайте отново.");
    return QString();
}

QString invoiceNumberUsedMessage()
{
    return QStringLiteral("Имате издадена фактура под този номер!") + QLatin1Char('\r')
           + QStringLiteral("Моля, сменете номера и опитайте отново.");
}

// ---------------------------------------------------------------------------

InvoiceSession::InvoiceSession(Mode mode) : m_mode(mode) {}

void InvoiceSession::setTrips(const QVector<InvoiceTrip> &trips)
{
    m_trips = trips;
    m_changed = false;
    m_printedIds.clear();
    m_printedNumber.clear();
    m_pendingRow = -1;
    // An issued invoice comes with every trip on it; a new one with none.
    for (auto &t : m_trips)
        t.fakt = m_mode == EditFakt;
    recount();
}

void InvoiceSession::recount()
{
    m_sum = 0;
    for (const auto &t : m_trips)
        if (t.fakt)
            m_sum += toCents(t.bruto);
}

bool InvoiceSession::toggle(int row)
{
    if (row < 0 || row >= m_trips.size())
        return false;
    InvoiceTrip &t = m_trips[row];
    t.fakt = !t.fakt;
    m_changed = true;
    m_sum += t.fakt ? toCents(t.bruto) : -toCents(t.bruto);
    return true;
}

void InvoiceSession::enterRow(int row)
{
    m_pendingRow = (row >= 0 && row < m_trips.size()) ? row : -1;
    if (m_pendingRow < 0)
        return;
    m_pendingFakt = m_trips.at(row).fakt;
    m_pendingChanged = m_changed;
}

bool InvoiceSession::cancelRow()
{
    if (m_pendingRow < 0 || m_trips.at(m_pendingRow).fakt == m_pendingFakt)
        return false;
    m_trips[m_pendingRow].fakt = m_pendingFakt;
    m_changed = m_pendingChanged;
    recount();
    return true;
}

int InvoiceSession::ticksOffPrint() const
{
    if (!printed())
        return 0;
    int off = 0;
    for (const auto &t : m_trips)
        if (t.fakt != m_printedIds.contains(t.id))
            ++off;
    return off;
}

QString InvoiceSession::closingQuestion() const
{
    if (!m_changed)
        return QString(); // the trips are as they were read
    QStringList lines;
    if (printed()) {
        const int off = ticksOffPrint();
        if (off == 0)
            return QString();
        lines << QStringLiteral("Курсове с отметка, различна от отпечатаната фактура: ") + QString::number(off)
              << QStringLiteral("При затваряне фактурата остава, както е отпечатана.")
              << QStringLiteral("Да затворя ли без нов печат?");
    } else if (m_mode == FaktNew) {
        const auto ticked = tickedRows().size();
        if (ticked == 0)
            return QString();
        lines << (m_hasNumber ? QStringLiteral("Фактура № ") + m_number + QStringLiteral(" не е отпечатана.")
                              : QStringLiteral("Фактурата не е отпечатана."))
              << QStringLiteral("Курсове с отметка: ") + QString::number(ticked)
              << QStringLiteral("При затваряне отметките се махат.")
              << QStringLiteral("Да затворя ли без печат?");
    } else {
        return QString(); // a correction never printed writes its ticks as they are
    }
    return lines.join(QLatin1Char('\r'));
}

QVector<int> InvoiceSession::tickedRows() const
{
    QVector<int> rows;
    for (int i = 0; i < m_trips.size(); ++i)
        if (m_trips.at(i).fakt)
            rows << i;
    return rows;
}

void InvoiceSession::setNumber(const QString &number)
{
    m_number = number;
    m_hasNumber = true;
}

void InvoiceSession::clearNumber()
{
    m_number = kNoInvoice;
    m_hasNumber = false;
}

void InvoiceSession::recordPrint(const QVector<int> &rows)
{
    if (rows.isEmpty())
        return; // nothing printed: the last print, if any, still stands
    m_printedIds.clear();
    qint64 sum = 0;
    for (int r : rows) {
        m_printedIds.insert(m_trips.at(r).id);
        sum += toCents(m_trips.at(r).bruto);
    }
    m_printedNumber = m_number;
    m_sum = sum;
    // What is printed is no longer pending: Esc keeps it.
    enterRow(m_pendingRow);
}

QVector<InvoiceSession::PrintRow> InvoiceSession::printRows(const QVector<int> &rows) const
{
    QVector<PrintRow> out;
    out.reserve(rows.size());
    int red = 0;
    for (int r : rows) {
        const InvoiceTrip &t = m_trips.at(r);
        PrintRow p;
        p.red = ++red;
        p.data = t.data;
        p.marsh = t.marsh;
        p.vidTovar = t.tovar;
        p.kolaId = t.kola;
        p.km = formatNumber(t.km, 0);
        p.ton = formatNumber(t.ton, 3);
        p.tarifa = printedTariff(t.tarifa);
        p.suma = centsText(toCents(t.bruto));
        out << p;
    }
    return out;
}

InvoiceSession::CloseResult InvoiceSession::close(Connection &db, const QDate &today, const QTime &now)
{
    CloseResult r;
    if (!m_changed)
        return r; // no Space was pressed: the trips are as they were read

    try {
        db.beginTrans();
        try {
            if (m_mode == FaktNew && printed()) {
                const QVariant used =
                    db.scalar(QStringLiteral("SELECT count(*) FROM tabl WHERE NomFakt=?"), {m_printedNumber});
                if (used.toLongLong() > 0) {
                    db.rollbackTrans();
                    r.outcome = NumberTaken;
                    r.number = m_printedNumber;
                    return r;
                }
                for (const InvoiceTrip &t : m_trips) {
                    if (!m_printedIds.contains(t.id))
                        continue;
                    const int n = db.execute(QStringLiteral("UPDATE tabl SET Fakt=1, NomFakt=?, DateMod=?, TimeMod=? "
                                                            "WHERE ID=? AND NomFakt=?"),
                                             {m_printedNumber, today, now, t.id, kNoInvoice});
                    if (n == 1)
                        ++r.rows;
                    else
                        r.taken << t.id;
                }
            } else if (m_mode == FaktNew) {
                // Nothing printed: the ticked trips stay free and show that they
                // were handled. A trip another copy has taken meanwhile is left to it.
                for (const InvoiceTrip &t : m_trips) {
                    if (!t.fakt)
                        continue;
                    r.rows += db.execute(QStringLiteral("UPDATE tabl SET Fakt=0, NomFakt=?, DateMod=?, TimeMod=? "
                                                        "WHERE ID=? AND NomFakt=?"),
                                         {kNoInvoice, today, now, t.id, kNoInvoice});
                }
            } else {
                for (const InvoiceTrip &t : m_trips) {
                    const bool keep = printed() ? m_printedIds.contains(t.id) : t.fakt;
                    const int n = db.execute(QStringLiteral("UPDATE tabl SET Fakt=?, NomFakt=?, DateMod=?, TimeMod=? "
                                                            "WHERE ID=? AND NomFakt=?"),
                                             {keep, keep ? m_number : kNoInvoice, today, now, t.id, t.nomFakt});
                    if (n == 1)
                        ++r.rows;
                    else
                        r.taken << t.id;
                }
            }
            if (!r.taken.isEmpty()) {
                db.rollbackTrans();
                r.outcome = TripsTaken;
                r.rows = 0;
                return r;
            }
            db.commitTrans();
        } catch (...) {
            if (db.inTransaction())
                db.rollbackTrans();
            throw;
        }
    } catch (const DbError &e) {
        r = CloseResult();
        r.outcome = WriteFailed;
        r.error = e.text();
        return r;
    }
    r.outcome = r.rows > 0 ? Written : NothingWritten;
    return r;
}

void InvoiceSession::forgetTaken(const CloseResult &r)
{
    if (r.outcome == NumberTaken) {
        clearNumber();
        m_printedIds.clear();
        m_printedNumber.clear();
        return;
    }
    if (r.outcome != TripsTaken)
        return;
    const QSet<qint64> taken(r.taken.begin(), r.taken.end());
    QVector<InvoiceTrip> kept;
    for (const auto &t : m_trips)
        if (!taken.contains(t.id))
            kept << t;
    m_trips = kept;
    m_printedIds.clear();
    m_printedNumber.clear();
    m_pendingRow = -1;
    recount();
}

void stageInvoiceRows(Connection &temp, const QVector<InvoiceSession::PrintRow> &rows)
{
    temp.beginTrans();
    try {
        temp.execute(QStringLiteral("DELETE FROM TempPlaten"));
        for (const auto &p : rows)
            temp.execute(QStringLiteral("INSERT INTO TempPlaten (Red, Data, Marsh, VidTovar, KolaID, KM, Ton, Tarifa, "
                                        "Suma) VALUES (?,?,?,?,?,?,?,?,?)"),
                         {p.red, p.data, p.marsh, p.vidTovar, p.kolaId, p.km, p.ton, p.tarifa, p.suma});
        temp.commitTrans();
    } catch (...) {
        if (temp.inTransaction())
            temp.rollbackTrans();
        throw;
    }
}

} // namespace kelm
