// Timings of the warehouse document screens and stock rules on a large ledger,
// with the same work done through raw SQLite beside them.
// Run by hand: build-rel/bench/bench_warehouse [lines] [articles]  (50000, 2000)
// Targets: each screen ready < 300 ms; a receipt save < 50 ms; an issue over 500
// lots < 100 ms; a correction or a delete in an article of 2,000 lines < 50 ms.
#include "benchsupport.h"
#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "warehouse/sklad.h"
#include "warehouse/stock.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

using namespace kelm;

namespace {

QString article(int a)
{
    return QStringLiteral("Артикул %1").arg(a, 4, 10, QChar('0'));
}

// A ledger of `lines` lines over `articles` articles and 60 cars: 60 % receipts
// (open lots, some partly taken), 30 % stock issues, 10 % trip expense lines,
// over four years; Nalich holds each article's stock.
void fillLedger(Connection &conn, int lines, int articles)
{
    conn.beginTrans();
    QVector<double> broi(articles, 0.0);
    const QDate start(2021, 1, 1);
    for (int i = 0; i < lines; ++i) {
        const int a = (i * 7919 + i / 10) % articles;
        const QDate d = start.addDays((i * 37) % 1460);
        const int kind = i % 10;
        if (kind < 6) {
            const double kol = 5 + i % 20;
            const double ostat = (i % 3 == 0) ? kol / 2 : kol;
            conn.execute("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) "
                         "VALUES (?, 'Фактура', ?, ?, ?, 2.5, ?, 'P', 0, ?)",
                         {d, QString::number(i), article(a), kol, kol * 2.5, ostat});
            broi[a] += ostat;
        } else if (kind < 9) {
            conn.execute("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) "
                         "VALUES (?, 'Бон', ?, ?, 2, 2.5, 5, 'R', 1, 0)",
                         {d, QString::number(i), article(a)});
        } else {
            insertLine(conn, noStockIssue(d, QStringLiteral("СА%1ВС").arg(1000 + i % 60),
                                          QStringLiteral("0000000000"), kTripExpenseArticle, 1, 40));
        }
    }
    for (int a = 0; a < articles; ++a)
        conn.execute("INSERT INTO Nalich (Name, Edin, Broi, DateMod, TimeMod) VALUES (?, 2.5, ?, '2024-12-31', "
                     "'12:00:00')",
                     {article(a), broi[a]});
    conn.commitTrans();
}

// 500 small lots of one article (1 each, older first), outside any timing.
void addSmallLots(Connection &conn, const QString &name, int lots)
{
    conn.beginTrans();
    for (int i = 0; i < lots; ++i)
        conn.execute("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) "
                     "VALUES (?, 'Фактура', ?, ?, 1, ?, ?, 'P', 0, 1)",
                     {QDate(2020, 1, 1).addDays(i), QString::number(i), name, 0.1 + (i % 10) * 0.01,
                      0.1 + (i % 10) * 0.01});
    conn.execute("INSERT INTO Nalich (Name, Edin, Broi) VALUES (?, 0.1, ?)", {name, double(lots)});
    conn.commitTrans();
}

// One article with a long history entered through the stock rules, outside any
// timing: `pairs` receipts of 3 and issues of 2, one after the other, in 2026 (after
// every other line, so the screens' last lines are its own).
const QString kLong = QStringLiteral("Нафта склад");

void addLongHistory(Connection &conn, int pairs)
{
    conn.beginTrans();
    const QDate today(2026, 1, 1);
    const QTime now(12, 0);
    for (int i = 0; i < pairs; ++i) {
        const QDate d = QDate(2026, 1, 1).addDays(i / 8);
        StockLine receipt{d, QStringLiteral("Фактура"), QString::number(i), kLong, 3, 1.5 + (i % 7) * 0.1};
        insertLine(conn, documentLine(kReceiptKind, receipt, stockStep(conn, kReceiptKind, receipt, today, now),
                                      today, now));
        StockLine issue{d, QStringLiteral("Бон"), QString::number(i), kLong, 2, receipt.edin};
        const StockStep step = stockStep(conn, kIssueKind, issue, today, now);
        if (step.refusal != Refusal::None)
            qFatal("long history refused");
        insertLine(conn, documentLine(kIssueKind, issue, step, today, now));
    }
    conn.commitTrans();
}

using bench::median;
using bench::worst;

void click(QWidget *w, const char *name)
{
    static_cast<Sklad *>(w)->form()->button(QString::fromLatin1(name))->click();
}

void typeLine(Sklad &s, const QString &kind, const QString &name, const QString &kol, const QString &edin)
{
    s.Combo1->setEditText(kind);
    s.Combo2->setEditText(name);
    s.txtFields(0)->setText(QStringLiteral("15.03.2025"));
    s.txtFields(2)->setText(QStringLiteral("77"));
    s.txtFields(4)->setText(kol);
    s.txtFields(5)->setText(edin);
}

// ---------------------------------------------------------------------------
// Raw SQLite: the same reads and writes with prepared statements, no Qt.

struct Raw {
    sqlite3 *db = nullptr;
    explicit Raw(const QString &path) { sqlite3_open(path.toUtf8().constData(), &db); }
    ~Raw() { sqlite3_close(db); }
    void exec(const char *sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    sqlite3_stmt *prep(const char *sql)
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        return st;
    }
};

// Reads every line of a kind, all columns, as the screen's recordset does.
int rawReadKind(Raw &r, const char *kind)
{
    sqlite3_stmt *st = r.prep("SELECT * FROM Sklad WHERE VidKol=? ORDER BY Data, ID");
    sqlite3_bind_text(st, 1, kind, -1, SQLITE_STATIC);
    int n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            sqlite3_column_value(st, c);
        ++n;
    }
    sqlite3_finalize(st);
    return n;
}

void rawReceipt(Raw &r, const QByteArray &name)
{
    r.exec("BEGIN");
    sqlite3_stmt *sel = r.prep("SELECT ID FROM Nalich WHERE Name=? LIMIT 1");
    sqlite3_bind_text(sel, 1, name.constData(), -1, SQLITE_STATIC);
    const bool has = sqlite3_step(sel) == SQLITE_ROW;
    const sqlite3_int64 id = has ? sqlite3_column_int64(sel, 0) : 0;
    sqlite3_finalize(sel);
    sqlite3_stmt *up = r.prep("UPDATE Nalich SET Broi=Broi+3, Edin=2.5, DateMod='2025-03-15', TimeMod='10:00:00' "
                              "WHERE ID=?");
    sqlite3_bind_int64(up, 1, id);
    sqlite3_step(up);
    sqlite3_finalize(up);
    sqlite3_stmt *ins = r.prep("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, Lipsa, "
                               "Ostat, DateMod, TimeMod) VALUES ('2025-03-15', 'Фактура', '77', ?, 3, 2.5, 7.5, "
                               "'P', 0, 3, '2025-03-15', '10:00:00')");
    sqlite3_bind_text(ins, 1, name.constData(), -1, SQLITE_STATIC);
    sqlite3_step(ins);
    sqlite3_finalize(ins);
    r.exec("COMMIT");
}

void rawIssue(Raw &r, const QByteArray &name, double qty)
{
    r.exec("BEGIN");
    sqlite3_stmt *lots = r.prep("SELECT ID, Ostat, Edin FROM Sklad WHERE Lipsa=0 AND VidKol='P' AND Name=? "
                                "ORDER BY Data, ID");
    sqlite3_bind_text(lots, 1, name.constData(), -1, SQLITE_STATIC);
    sqlite3_stmt *up = r.prep("UPDATE Sklad SET Ostat=?, Lipsa=? WHERE ID=?");
    double remaining = qty, cost = 0, taken = 0;
    while (remaining > 0 && sqlite3_step(lots) == SQLITE_ROW) {
        const sqlite3_int64 id = sqlite3_column_int64(lots, 0);
        const double ostat = sqlite3_column_double(lots, 1);
        const double edin = sqlite3_column_double(lots, 2);
        const double take = std::min(ostat, remaining);
        cost += take * edin;
        taken += take;
        remaining -= take;
        sqlite3_bind_double(up, 1, ostat - take);
        sqlite3_bind_int(up, 2, ostat - take > 0 || remaining == 0 ? 0 : 1);
        sqlite3_bind_int64(up, 3, id);
        sqlite3_step(up);
        sqlite3_reset(up);
    }
    sqlite3_finalize(lots);
    sqlite3_finalize(up);
    sqlite3_stmt *n = r.prep("UPDATE Nalich SET Broi=Broi-? WHERE Name=?");
    sqlite3_bind_double(n, 1, qty);
    sqlite3_bind_text(n, 2, name.constData(), -1, SQLITE_STATIC);
    sqlite3_step(n);
    sqlite3_finalize(n);
    sqlite3_stmt *ins = r.prep("INSERT INTO Sklad (Data, DocVid, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) "
                               "VALUES ('2025-03-15', 'Бон', ?, ?, ?, ?, 'R', 1, 0)");
    sqlite3_bind_text(ins, 1, name.constData(), -1, SQLITE_STATIC);
    sqlite3_bind_double(ins, 2, qty);
    sqlite3_bind_double(ins, 3, cost / taken);
    sqlite3_bind_double(ins, 4, cost / taken * qty);
    sqlite3_step(ins);
    sqlite3_finalize(ins);
    r.exec("COMMIT");
}

// A delete's least work: every line of the article read in entry order, its
// stock written, the last issue deleted, one transaction.
void rawDeleteIssue(Raw &r, const QByteArray &name)
{
    r.exec("BEGIN");
    sqlite3_stmt *sel = r.prep("SELECT ID, VidKol, Data, Kol, Edin, Ostat, Lipsa, DateMod, DocVid FROM Sklad "
                               "WHERE Name=? ORDER BY ID");
    sqlite3_bind_text(sel, 1, name.constData(), -1, SQLITE_STATIC);
    double broi = 0;
    sqlite3_int64 last = 0;
    while (sqlite3_step(sel) == SQLITE_ROW) {
        const bool receipt = sqlite3_column_text(sel, 1)[0] == 'P';
        broi += receipt ? sqlite3_column_double(sel, 3) : -sqlite3_column_double(sel, 3);
        if (!receipt)
            last = sqlite3_column_int64(sel, 0);
    }
    sqlite3_finalize(sel);
    sqlite3_stmt *up = r.prep("UPDATE Nalich SET Broi=? WHERE Name=?");
    sqlite3_bind_double(up, 1, broi);
    sqlite3_bind_text(up, 2, name.constData(), -1, SQLITE_STATIC);
    sqlite3_step(up);
    sqlite3_finalize(up);
    sqlite3_stmt *del = r.prep("DELETE FROM Sklad WHERE ID=?");
    sqlite3_bind_int64(del, 1, last);
    sqlite3_step(del);
    sqlite3_finalize(del);
    r.exec("COMMIT");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installPromptBoxes(); // the delete questions answered by the capture below
    const int lines = argc > 1 ? QString(argv[1]).toInt() : 50000;
    const int articles = argc > 2 ? QString(argv[2]).toInt() : 2000;
    QTemporaryDir dir;
    // KELM_BENCH_KEEP=1 keeps the ledger for a look with sqlite3.
    if (qEnvironmentVariableIsSet("KELM_BENCH_KEEP")) {
        dir.setAutoRemove(false);
        std::printf("database kept in %s\n", qPrintable(dir.path()));
    }
    setProgramFolder(dir.path());
    createDatabaseFromSchema(gDbPath);
    constexpr int kRuns = 5;
    constexpr int kLots = 500;
    constexpr int kLongPairs = 1000;
    const int longLines = 2 * kLongPairs;
    {
        Connection conn;
        conn.open(gConnStr);
        QElapsedTimer t;
        t.start();
        // The small lots and the long article count among the lines.
        fillLedger(conn, lines - 2 * kRuns * kLots - longLines, articles);
        for (int run = 0; run < 2 * kRuns; ++run)
            addSmallLots(conn, QStringLiteral("Болт М8 партида %1").arg(run), kLots);
        addLongHistory(conn, kLongPairs);
        std::printf("ledger of %d lines (%d of them in %d articles of %d small lots, %d in one article's "
                    "history), %d articles, made in %lld ms\n",
                    conn.scalar("SELECT count(*) FROM Sklad").toInt(), 2 * kRuns * kLots, 2 * kRuns, kLots, longLines,
                    conn.scalar("SELECT count(*) FROM Nalich").toInt(), t.elapsed());
    }
    MessageCapture quiet; // no box may wait for a click here
    QElapsedTimer t;

    // Each screen from the command to ready for the first key, with every line
    // of its kind; then a move to the next line.
    for (const bool issue : {false, true}) {
        QVector<double> opens, moves;
        int count = 0, listed = 0;
        for (int run = 0; run < kRuns; ++run) {
            t.restart();
            std::unique_ptr<Sklad> s(issue ? new Sklad_R : new Sklad);
            if (!s->load())
                return 1;
            s->show();
            QApplication::processEvents();
            opens << t.nsecsElapsed() / 1e6;
            listed = s->Combo2->count();
            t.restart();
            click(s.get(), "cmdNext");
            QApplication::processEvents();
            moves << t.nsecsElapsed() / 1e6;
            count = s->lines().recordCount();
        }
        std::printf("%-8s opens ready (%d articles listed, %d lines): median %.1f ms, worst %.1f ms; a move: "
                    "median %.1f ms, worst %.1f ms\n",
                    issue ? "Разход" : "Приход", listed, count, median(opens), worst(opens), median(moves),
                    worst(moves));
    }

    // Receipt saves: "Добави", a typed line, "Запиши".
    {
        Sklad s;
        s.load();
        s.show();
        QVector<double> saves;
        for (int i = 0; i < 30; ++i) {
            click(&s, "cmdAdd");
            typeLine(s, QStringLiteral("Фактура"), article(i * 13 % articles), QStringLiteral("3"),
                     QStringLiteral("2,50"));
            t.restart();
            click(&s, "cmdUpdate");
            QApplication::processEvents();
            saves << t.nsecsElapsed() / 1e6;
            if (!s.form()->isBrowsing() || !quiet.shown.isEmpty()) {
                std::printf("receipt refused: %s\n", qPrintable(quiet.lastText()));
                return 1;
            }
        }
        std::printf("receipt save (Nalich raised, line written): median %.1f ms, worst %.1f ms (30 saves)\n",
                    median(saves), worst(saves));
    }

    // Issues that consume 500 small lots each.
    {
        Sklad_R s;
        s.load();
        s.show();
        QVector<double> saves;
        for (int run = 0; run < kRuns; ++run) {
            click(&s, "cmdAdd");
            typeLine(s, QStringLiteral("Бон"), QStringLiteral("Болт М8 партида %1").arg(run),
                     QString::number(kLots), QStringLiteral("0,10"));
            t.restart();
            click(&s, "cmdUpdate");
            QApplication::processEvents();
            saves << t.nsecsElapsed() / 1e6;
            if (!s.form()->isBrowsing() || !quiet.shown.isEmpty()) {
                std::printf("issue refused: %s\n", qPrintable(quiet.lastText()));
                return 1;
            }
        }
        std::printf("issue of %d consuming %d lots: median %.1f ms, worst %.1f ms (%d saves)\n", kLots, kLots,
                    median(saves), worst(saves), kRuns);
    }

    // Corrections and deletes of the long article's last lines: the last receipt
    // raised by one, then the last issue deleted, each with its stock left as the
    // documents leave it.
    {
        Sklad p;
        p.load();
        p.show();
        QVector<double> corrections, deletes;
        for (int run = 0; run < kRuns; ++run) {
            click(&p, "cmdLast");
            click(&p, "cmdEdit");
            p.txtFields(4)->setText(QString::number(p.txtFields(4)->text().toInt() + 1));
            t.restart();
            click(&p, "cmdUpdate");
            QApplication::processEvents();
            corrections << t.nsecsElapsed() / 1e6;
            if (!p.form()->isBrowsing() || !quiet.shown.isEmpty()) {
                std::printf("correction refused: %s\n", qPrintable(quiet.lastText()));
                return 1;
            }
        }
        Sklad_R r;
        r.load();
        r.show();
        for (int run = 0; run < kRuns; ++run) {
            click(&r, "cmdLast");
            quiet.answers = {true, true};
            t.restart();
            click(&r, "cmdDelete");
            QApplication::processEvents();
            deletes << t.nsecsElapsed() / 1e6;
            if (quiet.lastCaption() != QStringLiteral("Изтриване на запис")) {
                std::printf("delete refused: %s\n", qPrintable(quiet.lastText()));
                return 1;
            }
            quiet.shown.clear();
        }
        std::printf("in an article of %d lines: receipt correction median %.1f ms, worst %.1f ms; issue delete "
                    "median %.1f ms, worst %.1f ms (%d each)\n",
                    longLines, median(corrections), worst(corrections), median(deletes), worst(deletes), kRuns);
    }

    // Raw SQLite beside.
    {
        Raw r(gDbPath);
        QVector<double> reads, receipts, issues;
        int n = 0;
        for (int run = 0; run < kRuns; ++run) {
            t.restart();
            n = rawReadKind(r, run % 2 ? "R" : "P");
            reads << t.nsecsElapsed() / 1e6;
        }
        for (int i = 0; i < 30; ++i) {
            t.restart();
            rawReceipt(r, article(i * 17 % articles).toUtf8());
            receipts << t.nsecsElapsed() / 1e6;
        }
        for (int run = 0; run < kRuns; ++run) {
            t.restart();
            rawIssue(r, QStringLiteral("Болт М8 партида %1").arg(kRuns + run).toUtf8(), kLots);
            issues << t.nsecsElapsed() / 1e6;
        }
        QVector<double> changes;
        for (int run = 0; run < kRuns; ++run) {
            t.restart();
            rawDeleteIssue(r, kLong.toUtf8());
            changes << t.nsecsElapsed() / 1e6;
        }
        std::printf("raw SQLite: read all lines of a kind (%d) median %.1f ms; receipt median %.1f ms, worst "
                    "%.1f ms; issue over %d lots median %.1f ms, worst %.1f ms; an article's lines read, its "
                    "stock written, a line deleted median %.1f ms\n",
                    n, median(reads), median(receipts), worst(receipts), kLots, median(issues), worst(issues),
                    median(changes));
    }
    return 0;
}
