#include "warehouse/stock.h"

#include "platform/database.h"
#include "platform/numbers.h"

#include <cmath>
#include <limits>
#include <map>

namespace kelm {

const QString kReceiptKind = QStringLiteral("P");
const QString kIssueKind = QStringLiteral("R");
const QString kRepairArticle = QStringLiteral("Ремонт");
const QString kTripExpenseArticle = QStringLiteral("Разходи за курс");
const QString kRefusalCaption = QStringLiteral("ВНИМАНИЕ!");

double keptQuantity(double x)
{
    if (std::fabs(x) < kQuantityEps)
        return 0;
    const double r = Round(x, kQuantityDecimals);
    return r == 0 ? 0.0 : r;
}

QString lineAmountRefusal(double kol, double edin)
{
    if (std::fabs(kol * edin) <= limits::kMoney)
        return QString();
    return QStringLiteral("Сумата на реда (количество x цена) не може да бъде по-голяма от %1.")
        .arg(boundText(limits::kMoney));
}

QString issueAmountRefusal(double kol, double fifoPrice)
{
    const double amount = kol * fifoPrice;
    const QString why = overBoundText(amount, limits::kMoney);
    if (why.isEmpty())
        return QString();
    // Older, dearer lots can make a line of a small typed price dear: say what the
    // lots come to, not the typed quantity times the typed price.
    return QStringLiteral("Сумата на реда по цените на изписваните партиди (най-старите първо) е %1")
               .arg(moneyText(amount))
        + QLatin1Char('\r') + why;
}

namespace {

bool sameQuantity(double a, double b)
{
    return std::fabs(a - b) < kQuantityEps;
}

// What one issue takes from the open lots, oldest first.
struct Draw {
    double cost = 0, taken = 0;
    int closed = 0; // the first lots given whole: emptied and closed
};

// Takes quantity from the open lots' remainders in their order, changing them:
// a lot that covers the rest gives it and stays open, even when just emptied;
// one that holds less gives all it has and is closed. The issue's save and the
// ledger gone through again both draw through here, so they never disagree.
Draw drawOldestFirst(QVector<double> &ostat, const QVector<double> &edin, double quantity)
{
    Draw d;
    double remaining = quantity;
    for (int i = 0; i < ostat.size(); ++i) {
        if (ostat[i] - remaining >= 0 || sameQuantity(ostat[i], remaining)) {
            d.cost += remaining * edin[i];
            d.taken += remaining;
            const double left = ostat[i] - remaining;
            ostat[i] = sameQuantity(left, 0) ? 0 : left;
            return d;
        }
        remaining -= ostat[i];
        d.cost += ostat[i] * edin[i];
        d.taken += ostat[i];
        ostat[i] = 0;
        ++d.closed;
    }
    return d;
}

LineCheck refuse(LineField field, const QString &text)
{
    LineCheck c;
    c.field = field;
    c.caption = QStringLiteral("ГРЕШКА!");
    c.text = text;
    return c;
}

// Date, quantity and price, common to new lines and corrections.
LineCheck checkNumbers(const LineEntry &e, LineCheck ok, bool priceTyped = true, double keptPrice = 0)
{
    const auto d = parseDate(e.data);
    if (!d || d->year() < 1900 || d->year() > 2100)
        return refuse(LineField::Data, QStringLiteral("Въведете вярна дата на документа."));
    const auto kol = parseBounded(e.kol, limits::kQuantity);
    if (!kol || *kol <= 0)
        return refuse(LineField::Kol, withBoundLine(QStringLiteral("Въведете количество с число, по-голямо от 0."),
                                                    e.kol, limits::kQuantity));
    const auto edin = priceTyped ? parseBounded(e.edin, limits::kPrice) : std::optional<double>(keptPrice);
    if (!edin || *edin < 0)
        return refuse(LineField::Edin,
                      withBoundLine(QStringLiteral("Въведете единична цена с число, не по-малко от 0."), e.edin,
                                    limits::kPrice));
    // Each factor within its bound does not keep their product within an amount.
    if (const QString why = lineAmountRefusal(*kol, *edin); !why.isEmpty())
        return refuse(LineField::Kol, why);
    ok.ok = true;
    ok.line.data = *d;
    ok.line.kol = *kol;
    ok.line.edin = priceTyped ? *edin : 0.0;
    ok.line.docNom = e.docNom;
    return ok;
}

} // namespace

QString cutDocVid(const QString &typed)
{
    // Blanks around a kind would make it longer than its 15 characters and hide it
    // from every search by its beginning.
    return typed.trimmed().left(kDocVidLength);
}

bool isRepairArticle(const QString &name)
{
    return name.trimmed() == kRepairArticle;
}

LineCheck checkNewLine(const LineEntry &e)
{
    if (e.docVid.isEmpty())
        return refuse(LineField::DocVid, QStringLiteral("Въведете данни за вида на документа."));
    if (e.name.trimmed().isEmpty())
        return refuse(LineField::Name, QStringLiteral("Въведете име на артикула."));
    LineCheck c;
    c.line.docVid = cutDocVid(e.docVid);
    c.line.name = e.name.trimmed();
    return checkNumbers(e, c);
}

LineCheck checkCorrection(const LineEntry &e, bool priceTyped, double keptPrice)
{
    LineCheck c;
    c.line.docVid = cutDocVid(e.docVid);
    c.line.name = e.name.trimmed();
    return checkNumbers(e, c, priceTyped, keptPrice);
}

QString refusalText(Refusal r)
{
    switch (r) {
    case Refusal::None: return QString();
    case Refusal::NoArticle: return QStringLiteral("В склада нямате артикул с това име!");
    case Refusal::OtherPrice: return QStringLiteral("В склада нямате артикул с такава цена!");
    case Refusal::NotEnough: return QStringLiteral("В склада нямате такова количество!");
    }
    return QString();
}

QString shownPrice(double price)
{
    return formatNumber(price, 2);
}

Refusal checkIssue(Connection &conn, const QString &name, double kol, double price)
{
    QVariant edin, broi;
    bool found = false;
    conn.forEachRow(QStringLiteral("SELECT Edin, Broi FROM Nalich WHERE Name=? ORDER BY ID LIMIT 1"), {name},
                    {}, [&](const QVector<QVariant> &row) {
                        found = true;
                        edin = row.at(0);
                        broi = row.at(1);
                    });
    if (!found)
        return Refusal::NoArticle;
    // The price is typed as the stock list shows it: both are compared as shown,
    // so a price shown is taken and one shown nowhere is not.
    if (shownPrice(edin.toDouble()) != shownPrice(price))
        return Refusal::OtherPrice;
    const double onHand = broi.toDouble();
    if (onHand < kol && !sameQuantity(onHand, kol))
        return Refusal::NotEnough;
    // Lots corrected or deleted after the fact can leave stock without a lot to
    // price it from; such an issue is refused before anything changes.
    const double inLots = conn.scalar(QStringLiteral("SELECT COALESCE(SUM(Ostat), 0) FROM Sklad "
                                                     "WHERE Name=? AND VidKol='P' AND Lipsa=0 AND Ostat>0"),
                                      {name})
                              .toDouble();
    if (!(inLots > kQuantityEps))
        return Refusal::NotEnough;
    return Refusal::None;
}

StockStep receiptRule(Connection &conn, const StockLine &line, const QDate &today, const QTime &now)
{
    const QVariant id =
        conn.scalar(QStringLiteral("SELECT ID FROM Nalich WHERE Name=? ORDER BY ID LIMIT 1"), {line.name});
    if (id.isNull()) {
        conn.execute(QStringLiteral("INSERT INTO Nalich (Name, Edin, Broi, DateMod, TimeMod) VALUES (?, ?, ?, ?, ?)"),
                     {line.name, line.edin, line.kol, today, now});
    } else {
        conn.execute(QStringLiteral("UPDATE Nalich SET Broi=COALESCE(Broi, 0)+?, Edin=?, DateMod=?, TimeMod=? "
                                    "WHERE ID=?"),
                     {line.kol, line.edin, today, now, id});
    }
    StockStep s;
    s.edin = line.edin;
    s.ostat = line.kol;
    s.lipsa = false;
    return s;
}

double FifoIssuePrice(Connection &conn, const QString &name, double quantity, QVector<qint64> *drawn)
{
    QVector<QVariant> ids;
    QVector<double> ostat, edin;
    conn.forEachRow(QStringLiteral("SELECT ID, Ostat, Edin FROM Sklad WHERE Lipsa=0 AND VidKol='P' AND Name=? "
                                   "ORDER BY Data, ID"),
                    {name}, {}, [&](const QVector<QVariant> &row) {
                        ids.append(row.at(0));
                        ostat.append(row.at(1).toDouble());
                        edin.append(row.at(2).toDouble());
                    });
    const Draw d = drawOldestFirst(ostat, edin, quantity);
    for (int i = 0; i < d.closed; ++i) {
        conn.execute(QStringLiteral("UPDATE Sklad SET Ostat=0, Lipsa=1 WHERE ID=?"), {ids.at(i)});
        if (drawn)
            drawn->append(ids.at(i).toLongLong());
    }
    if (d.closed < ids.size()) {
        conn.execute(QStringLiteral("UPDATE Sklad SET Ostat=? WHERE ID=?"), {ostat.at(d.closed), ids.at(d.closed)});
        if (drawn)
            drawn->append(ids.at(d.closed).toLongLong());
    }
    if (!(d.taken > 0))
        throw DbError(ErrNoCurrentRecord,
                      QStringLiteral("Няма отворен приход на артикула „%1“ за изписване.").arg(name));
    return d.cost / d.taken;
}

StockStep issueRule(Connection &conn, const StockLine &line)
{
    StockStep s;
    s.lipsa = true;
    s.ostat = 0;
    if (isRepairArticle(line.name)) {
        s.edin = line.edin;
        return s;
    }
    s.refusal = checkIssue(conn, line.name, line.kol, line.edin);
    if (s.refusal != Refusal::None)
        return s;
    conn.execute(QStringLiteral("UPDATE Nalich SET Broi=CASE WHEN abs(Broi-?)<? THEN 0 ELSE Broi-? END "
                                "WHERE ID=(SELECT ID FROM Nalich WHERE Name=? ORDER BY ID LIMIT 1)"),
                 {line.kol, kQuantityEps, line.kol, line.name});
    s.edin = FifoIssuePrice(conn, line.name, line.kol, &s.lots);
    // Older lots dearer than the typed price can lift the amount past its bound;
    // the caller's transaction then writes nothing.
    if (const QString why = issueAmountRefusal(line.kol, s.edin); !why.isEmpty())
        throw DbError(kErrStockRefused, why);
    return s;
}

StockStep stockStep(Connection &conn, const QString &kind, const StockLine &line, const QDate &today,
                    const QTime &now)
{
    if (kind == kReceiptKind)
        return receiptRule(conn, line, today, now);
    return issueRule(conn, line);
}

SkladLine documentLine(const QString &kind, const StockLine &line, const StockStep &step, const QDate &today,
                       const QTime &now)
{
    SkladLine l;
    l.data = line.data;
    l.docVid = cutDocVid(line.docVid);
    l.docNom = line.docNom;
    l.name = line.name;
    l.kol = line.kol;
    l.edin = step.edin;
    l.suma = line.kol * step.edin;
    l.vidKol = kind;
    l.lipsa = step.lipsa;
    l.ostat = step.ostat;
    l.dateMod = today;
    l.timeMod = now;
    return l;
}

qint64 insertLine(Connection &conn, const SkladLine &l)
{
    conn.execute(QStringLiteral("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, Lipsa, "
                                "Ostat, DateMod, TimeMod) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {l.data, l.docVid, l.docNom, l.name, l.kol, l.edin, l.suma, l.vidKol, l.lipsa, l.ostat,
                  l.dateMod.isValid() ? QVariant(l.dateMod) : QVariant(),
                  l.timeMod.isValid() ? QVariant(l.timeMod) : QVariant()});
    return conn.lastInsertId();
}

SkladLine noStockIssue(const QDate &data, const QString &docVid, const QString &docNom, const QString &name,
                       double kol, double price)
{
    SkladLine l;
    l.data = data;
    l.docVid = docVid;
    l.docNom = docNom;
    l.name = name;
    l.kol = kol;
    l.edin = price;
    l.suma = kol * price;
    l.vidKol = kIssueKind;
    l.lipsa = true;
    l.ostat = 0;
    return l;
}

SaveLineResult saveNewLine(Connection &conn, const QString &kind, const StockLine &line, const QDate &today,
                           const QTime &now)
{
    SaveLineResult r;
    try {
        conn.beginTrans();
        try {
            const StockStep step = stockStep(conn, kind, line, today, now);
            if (step.refusal != Refusal::None) {
                conn.rollbackTrans();
                r.refusal = step.refusal;
                r.caption = kRefusalCaption;
                r.text = refusalText(step.refusal);
                return r;
            }
            r.line = documentLine(kind, line, step, today, now);
            r.id = insertLine(conn, r.line);
            conn.commitTrans();
        } catch (...) {
            if (conn.inTransaction())
                conn.rollbackTrans();
            throw;
        }
    } catch (const DbError &e) {
        // A refusal found inside the stock step is told as the refusals are.
        const bool refused = e.number() == kErrStockRefused;
        r.caption = refused ? kRefusalCaption : QStringLiteral("ГРЕШКА при запис!");
        r.text = refused ? e.description() : e.text();
        return r;
    }
    r.ok = true;
    return r;
}

// ---------------------------------------------------------------------------
// Correcting and deleting a line

const QString kWaybillReceiptKind = QStringLiteral("Пътен лист");

bool touchesStock(const QString &vidKol, const QString &docVid, const QString &name, bool lipsa, bool hasDateMod)
{
    if (isRepairArticle(name) || name.trimmed() == kTripExpenseArticle)
        return false;
    if (!lipsa || hasDateMod)
        return true;
    // A closed lot is stock still: a later correction may reopen it.
    return vidKol == kReceiptKind && docVid != kWaybillReceiptKind;
}

namespace {

// One stock line of an article as the ledger is gone through again.
struct LedgerLine {
    qint64 id = 0;
    bool receipt = false;
    QDate data;
    double kol = 0, edin = 0;
    double ostat = 0; // stored
    bool lipsa = false; // stored
};

// What the documents of an article leave, gone through in the order entered.
struct Ledger {
    qint64 uncovered = 0; // the first issue that would draw more than the stock it found
    double broi = 0;
    QHash<qint64, std::pair<double, bool>> lots; // receipt ID -> Ostat, Lipsa
    QHash<qint64, double> price;                 // issue ID -> its average
    qint64 latestReceipt = 0;
    double latestPrice = 0;
};

// The issue rule and FifoIssuePrice over lines in memory, step for step, through the same draw.
Ledger goThrough(const QVector<LedgerLine> &lines)
{
    Ledger g;
    struct Lot {
        double edin, ostat;
    };
    QHash<qint64, Lot> lot;
    // The open lots, oldest document date first, then in entry order; a lot
    // without a date first, as the database sorts it.
    std::map<std::pair<qint64, qint64>, qint64> open; // (day, ID) -> ID
    double inLots = 0;
    for (const LedgerLine &l : lines) {
        if (l.receipt) {
            lot.insert(l.id, {l.edin, l.kol});
            const qint64 day = l.data.isValid() ? l.data.toJulianDay() : std::numeric_limits<qint64>::min();
            open.emplace(std::make_pair(day, l.id), l.id);
            inLots += l.kol;
            g.broi += l.kol;
            g.latestReceipt = l.id;
            g.latestPrice = l.edin;
            continue;
        }
        if ((g.broi < l.kol && !sameQuantity(g.broi, l.kol)) || !(inLots > kQuantityEps)) {
            g.uncovered = l.id;
            return g;
        }
        g.broi = sameQuantity(g.broi, l.kol) ? 0 : g.broi - l.kol;
        QVector<double> ostat, edin;
        for (const auto &o : open) {
            ostat.append(lot[o.second].ostat);
            edin.append(lot[o.second].edin);
        }
        const Draw d = drawOldestFirst(ostat, edin, l.kol);
        int i = 0;
        for (auto it = open.begin(); it != open.end() && i <= d.closed; ++i) {
            Lot &x = lot[it->second];
            inLots -= x.ostat - ostat.at(i);
            x.ostat = ostat.at(i);
            it = i < d.closed ? open.erase(it) : std::next(it);
        }
        g.price.insert(l.id, d.cost / d.taken);
    }
    for (auto it = lot.cbegin(); it != lot.cend(); ++it)
        g.lots.insert(it.key(), {it->ostat, true});
    for (const auto &o : open)
        g.lots[o.second].second = false;
    return g;
}

QString lineDescription(const LedgerLine &l)
{
    return QStringLiteral("от %1 (%2 бр.)").arg(formatDate(l.data), formatGeneral(l.kol));
}

// changeLine, or with write false only its decision: nothing is written then.
LineChange changeLineIf(Connection &conn, qint64 id, const LineRevision *revision, bool write)
{
    LineChange c;
    QString name, vidKol;
    double storedKol = 0;
    bool found = false;
    conn.forEachRow(QStringLiteral("SELECT Name, VidKol, Lipsa, DateMod, Edin, Ostat, Kol, DocVid FROM Sklad "
                                   "WHERE ID=?"),
                    {id}, {}, [&](const QVector<QVariant> &row) {
                        found = true;
                        name = row.at(0).toString();
                        vidKol = row.at(1).toString();
                        c.stock = touchesStock(vidKol, row.at(7).toString(), name, row.at(2).toBool(),
                                               !row.at(3).isNull());
                        c.lipsa = row.at(2).toBool();
                        c.edin = row.at(4).toDouble();
                        c.ostat = row.at(5).toDouble();
                        storedKol = row.at(6).toDouble();
                    });
    if (!found)
        throw rowDeletedError();
    const bool receipt = vidKol == kReceiptKind;
    if (revision && receipt)
        c.edin = revision->edin;
    if (!c.stock)
        return c;

    // Every stock line of the article, in the order entered, the change made.
    QVector<LedgerLine> before, after;
    conn.forEachRow(QStringLiteral("SELECT ID, VidKol, Data, Kol, Edin, Ostat, Lipsa, DateMod, DocVid FROM Sklad "
                                   "WHERE Name=? ORDER BY ID"),
                    {name}, {}, [&](const QVector<QVariant> &row) {
                        if (row.at(0).toLongLong() != id
                            && !touchesStock(row.at(1).toString(), row.at(8).toString(), name, row.at(6).toBool(),
                                             !row.at(7).isNull()))
                            return;
                        LedgerLine l;
                        l.id = row.at(0).toLongLong();
                        l.receipt = row.at(1).toString() == kReceiptKind;
                        l.data = row.at(2).toDate();
                        l.kol = row.at(3).toDouble();
                        l.edin = row.at(4).toDouble();
                        l.ostat = row.at(5).toDouble();
                        l.lipsa = row.at(6).toBool();
                        before.append(l);
                        if (l.id != id) {
                            after.append(l);
                        } else if (revision) {
                            l.data = revision->data;
                            l.kol = revision->kol;
                            if (l.receipt)
                                l.edin = revision->edin;
                            after.append(l);
                        }
                    });
    const Ledger g = goThrough(after);

    // Each other issue keeps its cover and its amount.
    const QString why = revision ? QStringLiteral("След тази корекция")
                                 : (receipt ? QStringLiteral("Без този приход") : QStringLiteral("Без този разход"));
    const QString instead =
        receipt ? (revision ? QStringLiteral("Оставете прихода както е и въведете разход или нов приход за разликата.")
                            : QStringLiteral("Ако стоката не е постъпила, въведете разход за нея."))
                : (revision ? QStringLiteral("Оставете разхода както е и въведете приход или нов разход за разликата.")
                            : QStringLiteral("Ако стоката е върната в склада, въведете приход за нея."));
    QString refusal;
    for (const LedgerLine &l : after) {
        if (l.receipt)
            continue;
        if (g.uncovered == l.id && l.id == id) {
            // The corrected issue itself asks for more than there was.
            c.refusal = refusalText(Refusal::NotEnough);
            return c;
        }
        if (g.uncovered == l.id) {
            refusal = QStringLiteral("%1 разходът %2 би изписал повече, отколкото има в склада!")
                          .arg(why, lineDescription(l));
            break;
        }
        if (l.id != id && std::fabs(l.kol * (g.price.value(l.id) - l.edin)) >= 0.005) {
            refusal = QStringLiteral("%1 сумата на разхода %2 би се променила!").arg(why, lineDescription(l));
            break;
        }
    }
    if (!refusal.isEmpty()) {
        c.refusal = refusal + QLatin1Char('\r') + instead;
        return c;
    }
    if (!write)
        return c;

    // The lots and the stock as the documents leave them.
    for (const LedgerLine &l : before) {
        if (!l.receipt || !g.lots.contains(l.id))
            continue;
        const auto [ostat, lipsa] = g.lots.value(l.id);
        if (l.id == id) {
            c.ostat = ostat;
            c.lipsa = lipsa;
        }
        // The corrected line is the caller's to write, with its check.
        if (l.id != id && (ostat != l.ostat || lipsa != l.lipsa)) {
            conn.execute(QStringLiteral("UPDATE Sklad SET Ostat=?, Lipsa=? WHERE ID=?"), {ostat, lipsa, l.id});
            c.relotted.append(l.id);
        }
    }
    if (revision && !receipt) {
        // An issue of another quantity is priced at what it now takes; one of the
        // same quantity keeps its price.
        if (!sameQuantity(revision->kol, storedKol))
            c.edin = g.price.value(id);
        c.lipsa = true;
        c.ostat = 0;
    }
    if (g.latestReceipt)
        conn.execute(QStringLiteral("UPDATE Nalich SET Broi=?, Edin=? WHERE ID=(SELECT ID FROM Nalich WHERE Name=? "
                                    "ORDER BY ID LIMIT 1)"),
                     {keptQuantity(g.broi), g.latestPrice, name});
    else
        conn.execute(QStringLiteral("UPDATE Nalich SET Broi=? WHERE ID=(SELECT ID FROM Nalich WHERE Name=? "
                                    "ORDER BY ID LIMIT 1)"),
                     {keptQuantity(g.broi), name});
    return c;
}

} // namespace

LineChange changeLine(Connection &conn, qint64 id, const LineRevision *revision)
{
    return changeLineIf(conn, id, revision, true);
}

QString changeRefusal(Connection &conn, qint64 id, const LineRevision *revision)
{
    return changeLineIf(conn, id, revision, false).refusal;
}

} // namespace kelm
