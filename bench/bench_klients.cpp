// Times the client statement for a client with many trips in the period: the
// screen from the command to its first paint, the print to the preview's first
// page painted, saving the statement to a file (the screen then closes) and
// loading it into a new opening. Beside each, the same database work done with
// plain SQLite calls, as a floor.
//
//   QT_QPA_PLATFORM=offscreen ./bench/bench_klients [trips of the client] [runs]
//
// Defaults: 20000 trips of the client (and as many of others), 5 runs.

#include "billing/klients.h"
#include "billing/klientsreport.h"
#include "common/globals.h"
#include "dialogs/diaseekall.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "platform/numbers.h"
#include "printing/report.h"
#include "printing/reportpreview.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kelm;

namespace {

const QString kClient = QStringLiteral("Д'Арк ООД");

void fill(int n)
{
    createDatabaseFromSchema(gDbPath);
    Connection conn;
    conn.open(gConnStr);
    conn.beginTrans();
    const QStringList others = {QStringLiteral("Балкан ЕООД"), QStringLiteral("Агрострой-Пловдив АД")};
    const QStringList routes = {QStringLiteral("София - Пловдив"), QStringLiteral("Велико Търново - Шумен ЖП"),
                                QStringLiteral("Стара Загора - Хасково"), QStringLiteral("Бургас - Варна")};
    for (int i = 0; i < 2 * n; ++i) {
        const double ton = 10 + (i % 150) / 10.0, tar = 0.08 + (i % 7) / 100.0;
        const int km = 40 + i % 700;
        conn.execute(QStringLiteral("INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, "
                                    "bruto) VALUES (?,?,?,?,?,?,?,?,?,?)"),
                     {QDate(2010, 1, 1).addDays(i % 365), QStringLiteral("СВ %1 АК").arg(1000 + i % 40),
                      QStringLiteral("%1").arg(i % 12, 3, 10, QLatin1Char('0')),
                      i % 2 == 0 ? kClient : others.at(i % 4 / 2), routes.at(i % routes.size()),
                      QStringLiteral("Пясък"), km, ton, tar, Round(ton * km * tar, 2)});
    }
    conn.commitTrans();
}

struct Times {
    std::vector<double> ms;
    void add(qint64 v) { ms.push_back(double(v)); }
    QString text() const
    {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return QStringLiteral("median %1 ms, worst %2 ms").arg(s[s.size() / 2]).arg(s.back());
    }
};

// ---- plain SQLite, the same database work -----------------------------------

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::printf("sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void exec(sqlite3 *db, const char *sql)
{
    check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db);
}

// The trips copied into a new scratch file, then read back whole (what the
// screen's grid holds).
qint64 rawCopy(const QString &folder)
{
    QElapsedTimer t;
    t.start();
    const QByteArray scratchPath = QFile::encodeName(folder + "/raw-scratch.mdb");
    QFile::remove(QString::fromLocal8Bit(scratchPath));
    sqlite3 *db = nullptr;
    check(sqlite3_open(scratchPath.constData(), &db), db);
    exec(db, "CREATE TABLE TempKlients (Data DATE, Marsh TEXT, VidTovar TEXT, Kola TEXT, KM INTEGER, Ton DOUBLE, "
             "Tarifa DOUBLE, Suma DOUBLE); CREATE TABLE TempKlientsNew (Data DATE, Marsh TEXT, VidTovar TEXT, "
             "Kola TEXT, KM TEXT, Ton TEXT, Tarifa TEXT, Suma TEXT)");
    sqlite3 *main = nullptr;
    check(sqlite3_open_v2(QFile::encodeName(gDbPath).constData(), &main, SQLITE_OPEN_READONLY, nullptr), main);
    sqlite3_stmt *sel = nullptr, *ins = nullptr;
    check(sqlite3_prepare_v2(main,
                             "SELECT Data, Marsh, Tovar, kola, km, ton, Tarifa, bruto FROM tabl WHERE Klient=? "
                             "AND Tovar LIKE '%' AND Marsh LIKE '%' AND kola LIKE '%' AND Data BETWEEN ? AND ? "
                             "ORDER BY Data, Marsh, ID",
                             -1, &sel, nullptr),
          main);
    const QByteArray client = kClient.toUtf8();
    sqlite3_bind_text(sel, 1, client.constData(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(sel, 2, "2010-01-01", -1, SQLITE_STATIC);
    sqlite3_bind_text(sel, 3, "2010-12-31", -1, SQLITE_STATIC);
    exec(db, "BEGIN");
    check(sqlite3_prepare_v2(db, "INSERT INTO TempKlients VALUES (?,?,?,?,?,?,?,?)", -1, &ins, nullptr), db);
    while (sqlite3_step(sel) == SQLITE_ROW) {
        for (int i = 0; i < 8; ++i)
            sqlite3_bind_value(ins, i + 1, sqlite3_column_value(sel, i));
        check(sqlite3_step(ins), db);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_finalize(sel);
    exec(db, "COMMIT");
    sqlite3_close(main);
    sqlite3_stmt *all = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT rowid, * FROM TempKlients", -1, &all, nullptr), db);
    int rows = 0;
    while (sqlite3_step(all) == SQLITE_ROW)
        ++rows;
    sqlite3_finalize(all);
    sqlite3_close(db);
    return t.elapsed();
}

// The print rows staged in route-then-date order with formatted numbers, then read back.
qint64 rawStage(const QString &folder)
{
    QElapsedTimer t;
    t.start();
    sqlite3 *db = nullptr;
    check(sqlite3_open(QFile::encodeName(folder + "/raw-scratch.mdb").constData(), &db), db);
    exec(db, "BEGIN; DELETE FROM TempKlientsNew");
    sqlite3_stmt *sel = nullptr, *ins = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT Data, Marsh, VidTovar, Kola, KM, Ton, Tarifa FROM TempKlients "
                                 "ORDER BY Marsh, Data, rowid",
                             -1, &sel, nullptr),
          db);
    check(sqlite3_prepare_v2(db, "INSERT INTO TempKlientsNew VALUES (?,?,?,?,?,?,?,?)", -1, &ins, nullptr), db);
    char buf[4][32];
    while (sqlite3_step(sel) == SQLITE_ROW) {
        for (int i = 0; i < 4; ++i)
            sqlite3_bind_value(ins, i + 1, sqlite3_column_value(sel, i));
        const double km = sqlite3_column_double(sel, 4), ton = sqlite3_column_double(sel, 5),
                     tar = sqlite3_column_double(sel, 6);
        std::snprintf(buf[0], 32, "%.0f", km);
        std::snprintf(buf[1], 32, "%.3f", ton);
        std::snprintf(buf[2], 32, "%.3f", tar);
        std::snprintf(buf[3], 32, "%.2f", km * ton * tar);
        for (int i = 0; i < 4; ++i)
            sqlite3_bind_text(ins, 5 + i, buf[i], -1, SQLITE_TRANSIENT);
        check(sqlite3_step(ins), db);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_finalize(sel);
    exec(db, "COMMIT");
    sqlite3_stmt *all = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT * FROM TempKlientsNew ORDER BY rowid", -1, &all, nullptr), db);
    while (sqlite3_step(all) == SQLITE_ROW) {
    }
    sqlite3_finalize(all);
    sqlite3_close(db);
    return t.elapsed();
}

qint64 rawSave(const QString &folder)
{
    QFile::remove(folder + "/raw.kl");
    QElapsedTimer t;
    t.start();
    sqlite3 *db = nullptr;
    check(sqlite3_open(QFile::encodeName(folder + "/raw-scratch.mdb").constData(), &db), db);
    exec(db, QStringLiteral("VACUUM INTO '%1/raw.kl'").arg(folder).toUtf8().constData());
    sqlite3_close(db);
    return t.elapsed();
}

qint64 rawLoad(const QString &folder)
{
    QElapsedTimer t;
    t.start();
    sqlite3 *db = nullptr;
    check(sqlite3_open(QFile::encodeName(folder + "/raw-scratch.mdb").constData(), &db), db);
    exec(db, QStringLiteral("ATTACH '%1/raw.kl' AS kl").arg(folder).toUtf8().constData());
    exec(db, "BEGIN; DELETE FROM TempKlients; DELETE FROM TempKlientsNew; "
             "INSERT INTO TempKlients SELECT * FROM kl.TempKlients; "
             "INSERT INTO TempKlientsNew SELECT * FROM kl.TempKlientsNew; COMMIT; DETACH kl");
    sqlite3_stmt *all = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT rowid, * FROM TempKlients", -1, &all, nullptr), db);
    while (sqlite3_step(all) == SQLITE_ROW) {
    }
    sqlite3_finalize(all);
    sqlite3_close(db);
    return t.elapsed();
}

Klients *openScreen()
{
    auto *w = new Klients;
    if (!w->load())
        std::exit(1);
    w->show();
    w->grab();
    QApplication::processEvents();
    return w;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 5;
    QTemporaryDir dir;
    setProgramFolder(dir.path());
    gFirmName = QStringLiteral("Транспортна фирма ЕООД");
    {
        QElapsedTimer t;
        t.start();
        fill(n);
        std::printf("trips: %d of the client, %d in all (written in %lld ms)\n", n, 2 * n,
                    static_cast<long long>(t.elapsed()));
    }
    DiaSeekAll &d = DiaSeekAll::instance();
    d.lYes = true;
    d.Klient = kClient;
    d.StartData = QStringLiteral("01.01.2010");
    d.EndData = QStringLiteral("31.12.2010");
    MessageCapture quiet; // nothing waits for a click
    const QString file = dir.filePath("bench.kl");

    Times ready, print, save, load, rCopy, rStage, rSave, rLoad;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        Klients *w = openScreen();
        ready.add(t.elapsed());
        if (w->GridEX1->rowCount() != n) {
            std::printf("the statement holds %d trips\n", w->GridEX1->rowCount());
            return 1;
        }

        t.restart();
        w->cmdPrint->click();
        Report &r = rptKlientS();
        ReportPreview *pv = r.preview();
        if (!pv || r.data().rowCount() != n) {
            std::printf("the printout was not shown\n");
            return 1;
        }
        pv->pageWidget()->grab();
        app.processEvents();
        print.add(t.elapsed());

        QFile::remove(file);
        Klients::setFileAnswer([&file](QFileDialog &) { return file; });
        w->GridEX1->sendKey(115); // "Запис файл"
        t.restart();
        w->cmdSaveFile->click();
        app.processEvents();
        save.add(t.elapsed());
        if (!QFileInfo::exists(file) || w->isVisible()) {
            std::printf("the file was not saved\n");
            return 1;
        }
        delete w;

        w = openScreen();
        t.restart();
        w->cmdOpenFile->click();
        w->grab();
        app.processEvents();
        load.add(t.elapsed());
        if (!w->flgLoad || w->GridEX1->rowCount() != n) {
            std::printf("the file was not loaded\n");
            return 1;
        }
        delete w;

        rCopy.add(rawCopy(dir.path()));
        rStage.add(rawStage(dir.path()));
        rSave.add(rawSave(dir.path()));
        rLoad.add(rawLoad(dir.path()));
    }
    std::printf("runs: %d; file size %lld kB\n", runs, static_cast<long long>(QFileInfo(file).size() / 1024));
    std::printf("screen ready (trips copied, grid filled and painted): %s\n", qPrintable(ready.text()));
    std::printf("  plain SQLite (copy into a new scratch file, read back): %s\n", qPrintable(rCopy.text()));
    std::printf("print to the first page painted: %s\n", qPrintable(print.text()));
    std::printf("  plain SQLite (print rows staged and read back): %s\n", qPrintable(rStage.text()));
    std::printf("save to a file: %s\n", qPrintable(save.text()));
    std::printf("  plain SQLite (VACUUM INTO): %s\n", qPrintable(rSave.text()));
    std::printf("load of the file (grid refilled and painted): %s\n", qPrintable(load.text()));
    std::printf("  plain SQLite (ATTACH, copy the rows, read back): %s\n", qPrintable(rLoad.text()));
    return 0;
}
