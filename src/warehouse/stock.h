#pragma once
// The warehouse ledger without any window.
//
// Tables (main database):
//   Sklad   one row per document line. VidKol "P" is a receipt, "R" an issue.
//           A receipt line is also a stock lot: Ostat is the part of its
//           quantity no issue has taken yet, and Lipsa True closes it for
//           issuing. On an issue line Lipsa True means written off.
//   Nalich  stock on hand, one row per article Name: Broi the quantity, Edin
//           the unit price of the latest receipt, DateMod/TimeMod that receipt.
//
// Four kinds of line:
//   receipt line       "P"  Ostat = Kol, Lipsa False, typed price; raises Nalich
//   stock issue line   "R"  Ostat 0, Lipsa True, FIFO average price; lowers
//                           Nalich and consumes the oldest open lots
//   repair line        "R"  article "Ремонт", Ostat 0, Lipsa True, typed price,
//                           Kol 1; touches no stock
//   trip expense line  "R"  article "Разходи за курс", DocVid the car, written
//                           by the trip editor; touches no stock
//
// A new line saved on a document screen moves stock by the rules below. A
// correction or a delete of a stock line (changeLine) leaves the article's lots
// and Nalich as its documents then leave them, or is refused when some other
// issue would lose its cover or its amount. A lot that an issue emptied exactly
// stays open with Ostat 0 until the next issue of the article passes over it
// and closes it.
//
// Every function that writes runs on the caller's connection and inside the
// caller's transaction where one is open; saveNewLine opens its own. Article
// names are matched exactly (trimmed by the caller) and always bound.

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

namespace kelm {

class Connection;

// The kind letters of Sklad.VidKol.
extern const QString kReceiptKind; // "P"
extern const QString kIssueKind;   // "R"
// The article of repair lines and of the trip editor's expense lines.
extern const QString kRepairArticle;      // "Ремонт"
extern const QString kTripExpenseArticle; // "Разходи за курс"
// The longest document kind a document screen stores.
constexpr int kDocVidLength = 15;

// The document kind as the screens store it: the typed text without blanks
// around it, cut to its first 15 characters.
QString cutDocVid(const QString &typed);

// Quantities are typed with at most a few decimals; what a subtraction leaves
// within this of zero is the residue of binary fractions, not stock. The stock
// rules count it as nothing and the revision shows it as 0.
constexpr double kQuantityEps = 1e-9;
constexpr int kQuantityDecimals = 9;
// A quantity as the warehouse keeps it: rounded to kQuantityDecimals, 0 within
// kQuantityEps of zero (never -0).
double keptQuantity(double x);

// The refusal of a line whose amount Kol x price would pass the money bound
// (limits::kMoney), naming the bound; empty when it is within.
QString lineAmountRefusal(double kol, double edin);
// The refusal of a stock issue whose amount, the quantity drawn from the lots at
// their own first-in-first-out prices, would pass the money bound: it says that
// amount and names the bound; empty when it is within. The typed price is then no
// part of it.
QString issueAmountRefusal(double kol, double fifoPrice);
// True when the article, trimmed, is "Ремонт".
bool isRepairArticle(const QString &name);

// ---------------------------------------------------------------------------
// Checking a typed line

// A line as typed on a document screen.
struct LineEntry {
    QString docVid; // document kind
    QString docNom; // document number (free, may be empty)
    QString name;   // article
    QString data;   // dd.mm.yyyy
    QString kol;    // quantity
    QString edin;   // unit price
};

// The box a refused check points back at.
enum class LineField { None, DocVid, Name, Data, Kol, Edin };

// A line that passed the checks, in stored form.
struct StockLine {
    QDate data;
    QString docVid; // already cut to 15
    QString docNom;
    QString name;   // trimmed
    double kol = 0;
    double edin = 0; // the typed price
};

struct LineCheck {
    bool ok = false;
    LineField field = LineField::None;
    QString caption; // "ГРЕШКА!"
    QString text;
    StockLine line;
};

// Checks a new line whole, in this order: document kind not empty, article not
// blank, a real date (1900 to 2100), quantity a number above 0, price a number
// not below 0 (both within their limits, a number past its limit refused with
// the limit named), the amount Kol x price within the money bound. The first
// failure answers.
LineCheck checkNewLine(const LineEntry &e);
// The same for a correction: kind and article are the stored ones and are not
// checked; date and quantity are, and the price when it is typed (a stock
// issue keeps its average price keptPrice: priceTyped false, line.edin left 0),
// and the amount with the price the line will have.
LineCheck checkCorrection(const LineEntry &e, bool priceTyped = true, double keptPrice = 0);

// ---------------------------------------------------------------------------
// The stock rules

// Why an issue is refused. Each is shown with the caption "ВНИМАНИЕ!".
enum class Refusal {
    None,
    NoArticle,  // "В склада нямате артикул с това име!"
    OtherPrice, // "В склада нямате артикул с такава цена!"
    NotEnough   // "В склада нямате такова количество!" (also: no open lot to draw from)
};
extern const QString kRefusalCaption; // "ВНИМАНИЕ!"
QString refusalText(Refusal r);

// What a stock rule decided for the line being saved.
struct StockStep {
    Refusal refusal = Refusal::None;
    double edin = 0;    // the unit price the line is saved with
    double ostat = 0;   // Sklad.Ostat of the line
    bool lipsa = false; // Sklad.Lipsa of the line
    QVector<qint64> lots; // the receipt lines whose lots an issue drew from
};

// A unit price as the screens show it and as an issue is checked against it:
// two decimals, halves away from zero by the decimal digits (1.005 is 1,01).
QString shownPrice(double price);

// The issue checks without changing anything: the article's Nalich row must
// exist, its price as shown must equal the typed one as shown ("2,3" is 2,30),
// Broi must cover the quantity (the whole stock may go), and an open lot must
// hold something to draw from.
Refusal checkIssue(Connection &conn, const QString &name, double kol, double price);

// Receipt rule: creates the article's Nalich row (Broi = Kol, Edin = price) or
// raises it (Broi + Kol, Edin := the new price), with DateMod/TimeMod = now.
// The line becomes an open lot: Ostat = Kol, Lipsa False. Never refuses.
StockStep receiptRule(Connection &conn, const StockLine &line, const QDate &today, const QTime &now);

// Issue rule. "Ремонт": no stock looked at; typed price, Ostat 0, Lipsa True.
// Any other article: checkIssue; a refusal changes nothing. Otherwise Broi is
// lowered (Nalich.Edin and its DateMod/TimeMod stay) and the line is priced at
// FifoIssuePrice, Lipsa True, Ostat 0.
StockStep issueRule(Connection &conn, const StockLine &line);

// Takes the quantity from the article's open lots, oldest document date first
// (entry order within one date), and answers the average unit cost of what it
// took. A lot that covers the rest gives it and stays open (also at Ostat 0);
// one that holds less gives all it has and is closed (Ostat 0, Lipsa True).
// When the lots hold less than the quantity, the average is that of what was
// taken. Taking nothing is a DbError (the average would be undefined): callers
// run checkIssue first. drawn, when given, receives the lots' lines it changed.
double FifoIssuePrice(Connection &conn, const QString &name, double quantity, QVector<qint64> *drawn = nullptr);

// The stock rule of a kind ("P" or "R") for a new line.
StockStep stockStep(Connection &conn, const QString &kind, const StockLine &line, const QDate &today,
                    const QTime &now);

// ---------------------------------------------------------------------------
// Writing lines

// Every stored field of one Sklad line.
struct SkladLine {
    QDate data;
    QString docVid, docNom, name;
    double kol = 0, edin = 0, suma = 0;
    QString vidKol;
    bool lipsa = false;
    double ostat = 0;
    QDate dateMod; // null: not set (the trip editor's lines)
    QTime timeMod;
};

// The line a document screen saves: the rule's price, Suma = Kol x that price,
// VidKol the kind, DateMod/TimeMod = now.
SkladLine documentLine(const QString &kind, const StockLine &line, const StockStep &step,
                       const QDate &today, const QTime &now);

// Appends one line to Sklad; answers its ID.
qint64 insertLine(Connection &conn, const SkladLine &line);

// An issue line that touches no stock (trip expense lines): Kol as given,
// Suma = Kol x price, Lipsa True, Ostat 0, no DateMod/TimeMod.
SkladLine noStockIssue(const QDate &data, const QString &docVid, const QString &docNom, const QString &name,
                       double kol, double price);

struct SaveLineResult {
    bool ok = false;
    Refusal refusal = Refusal::None;
    QString caption; // "ВНИМАНИЕ!" on a refusal, "ГРЕШКА при запис!" on a failure
    QString text;
    qint64 id = 0;
    SkladLine line;  // what was written
};

// Saves a checked new line of a kind whole: the stock step and the line in one
// transaction. A refusal or a failure leaves Sklad and Nalich as they were.
SaveLineResult saveNewLine(Connection &conn, const QString &kind, const StockLine &line,
                           const QDate &today, const QTime &now);

// ---------------------------------------------------------------------------
// Correcting and deleting a line

// Whether a stored line moves stock. Repair and trip expense lines never do; nor
// do the written-off lines a waybill appends (an issue of the car, a receipt of
// "Пътен лист"; Lipsa True and no DateMod, which a document screen stamps on
// every line it saves). A correction keeps that mark on them.
extern const QString kWaybillReceiptKind; // "Пътен лист"
bool touchesStock(const QString &vidKol, const QString &docVid, const QString &name, bool lipsa, bool hasDateMod);

// What a correction makes of a saved line's stock fields.
struct LineRevision {
    QDate data;
    double kol = 0;
    double edin = 0; // a receipt's typed price; an issue's is derived
};

struct LineChange {
    QString refusal;      // shown with kRefusalCaption; empty when the change holds
    bool stock = false;   // the line moves stock (else nothing but the line changes)
    double edin = 0;      // the corrected line's unit price (an issue: the average of what it now takes)
    double ostat = 0;     // the corrected receipt's remainder
    bool lipsa = false;   // the corrected line's Lipsa
    QVector<qint64> relotted; // the other lines whose lots were written again
};

// Deletes (revision null) or corrects the stored line `id` as far as stock goes.
// The article's documents are gone through in the order they were entered, each
// issue drawing from the lots oldest first as when it was saved. The change is
// refused, with nothing written, when an issue would then draw more than the
// stock it found or any issue but the corrected one would change its amount; the
// refusal says so and which document to enter instead. Otherwise the article's
// lots (Ostat, Lipsa) and Nalich (Broi; Edin the price of its latest receipt) are
// written as the documents leave them, in the caller's transaction; the line
// itself (a corrected receipt's Ostat and Lipsa too) is the caller's to write or
// delete, with the fields answered here, through its own check that the line is
// still as the caller read it.
LineChange changeLine(Connection &conn, qint64 id, const LineRevision *revision);
// The refusal changeLine would give now, "" when the change would hold; nothing
// is written. A screen asks it before its delete questions, so that a delete
// bound to be refused is refused at once.
QString changeRefusal(Connection &conn, qint64 id, const LineRevision *revision);

// The error number a refusal travels under when it is thrown as a DbError
// inside a screen's save (its description is the refusal's text).
constexpr int kErrStockRefused = 3998;

} // namespace kelm
