#include "seed.h"

#include "common/globals.h"
#include "trips/amounts.h"
#include "trips/tripsave.h"

#include <QDate>
#include "testdb.h"

using namespace kelm;

void seedCompany()
{
    gFirmName = QStringLiteral("Д'Арк Транс ООД");
    gFirmCity = QStringLiteral("Пловдив");
    gFirmAddress = QStringLiteral("ул. Иван Вазов 12");
}

void seedCompanyWithContacts(const QString &email, const QString &url)
{
    seedCompany();
    gFirmTel = QStringLiteral("032 123456");
    gFirmGSM = QStringLiteral("0888 123456");
    gFirmEmail = email;
    gFirmURL = url;
}

void addDriver(TestDb &db, const QString &kod, const QString &ime, const QString &egn, const QString &lkarta)
{
    db.exec(QStringLiteral("INSERT INTO shof (kod, ime, EGN, LKarta) VALUES (?, ?, ?, ?)"), {kod, ime, egn, lkarta});
}

namespace widest {
const QString kCompany = QStringLiteral("Транспортна компания ДАрк Транс Интернешънъл ООД");
const QString kAddress = QStringLiteral("бул. Цар Борис III 215, вх. Б, ет. 7, ап. 21, кв. Младост 4000 Пловдив");
const QString kEmail = QStringLiteral("offices.transport.international@darc-trans-bg.com");
const QString kDriver = QStringLiteral("Иван Христофор Константинов-Шишманов Стоянов");
const QString kRoute = QStringLiteral("София - Пловдив - Стара Загора - Бургас - Варна - Шумен - Русе - Лом");
const QString kCar = QStringLiteral("РВ 1234 АВ12");
const QString kArticle = QStringLiteral("Масло двигателно синтетично 10W-40, 4 л.");
} // namespace widest

void seedWidestValues(TestDb &db)
{
    using namespace widest;
    seedCompanyWithContacts(kEmail, QStringLiteral("www.darc-trans-international-bg.com"));
    gFirmName = kCompany;
    gFirmAddress = kAddress;
    addDriver(db, QStringLiteral("001"), kDriver, QStringLiteral("7501011234"), QStringLiteral("123456789"));
    const QString trip = QStringLiteral(
        "INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, procent, neto, plat, Fakt) "
        "VALUES (?,?,'001',?,?,?,?,?,?,?,?,?,0,0)");
    // The largest figures each column can hold, and a trip of one kilometre
    // (the ones the kilometre correction lists).
    db.exec(trip, {QDate(2026, 3, 2), kCar, kCompany, kRoute, kArticle, 100000, 1000, 10000000.0, 10000000.0,
                   300000.0, 9700000.0});
    db.exec(trip, {QDate(2026, 3, 3), kCar, kCompany, kRoute, kArticle, 1, 999.999, 9999999.999, 9999999.99,
                   299999.99, 9999999.99});
    db.exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 99999.99, 100, 1000)"), {kCar});
    const QString line = QStringLiteral(
        "INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) VALUES (?,?,?,?,?,?,?,?,?,?)");
    db.exec(line, {QDate(2026, 3, 1), QStringLiteral("Фактура"), QStringLiteral("0000000012"), kArticle, 1000000.0,
                   10000000.0, 1e13, QStringLiteral("P"), 1, 0});
    db.exec(line, {QDate(2026, 3, 4), kCar, QStringLiteral("0000000013"), kArticle, 999999.999, 10000000.0,
                   9999999990000.0, QStringLiteral("R"), 1, 0});
    db.exec(QStringLiteral("INSERT INTO Nalich (Name, Edin, Broi) VALUES (?, 10000000, 1000000)"), {kArticle});
    db.exec(QStringLiteral("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES (?,?,?,?)"),
            {kCompany, kAddress, QStringLiteral("Велико Търново"), QStringLiteral("Великобритания")});
}

void seedPrintedNumbers(TestDb &db, PrintedNumbers which, const PrintedNames &n)
{
    const bool bounds = which == PrintedNumbers::Bounds, everyday = which == PrintedNumbers::Everyday;
    db.exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 30, ?, ?)"),
            {n.car, bounds ? 100 : 20, everyday ? 25 : 1000});
    const QString trip = QStringLiteral(
        "INSERT INTO tabl (Data, kola, kod, Klient, Marsh, Tovar, km, ton, Tarifa, bruto, procent, neto, plat, Fakt, "
        "NomFakt) VALUES (?,?,'001',?,?,?,?,?,?,?,?,?,0,1,?)");
    auto addTrip = [&](int day, int km, double ton, double tariff, double bruto, double neto) {
        db.exec(trip, {n.day.addDays(day), n.car, n.client, n.route, n.goods, km, ton, tariff, bruto, 0, neto,
                       n.invoice});
    };
    // A trip with its amounts as the trip editor computes them.
    auto addReckoned = [&](int day, int km, double ton, double tariff) {
        if (!tripAmountRefusal(ton, km, tariff).isEmpty())
            qFatal("a trip the program refuses: %d km, %g t, tariff %g", km, ton, tariff);
        const TripAmounts a = tripAmounts(ton, km, tariff);
        db.exec(trip, {n.day.addDays(day), n.car, n.client, n.route, n.goods, km, ton, tariff, a.bruto, a.procent,
                       a.neto, n.invoice});
    };
    const QString sheet = QStringLiteral(
        "INSERT INTO RowdList (ListID, Data, Kola, ZarN, EndKM, SumKM, SumRazhN) VALUES ('0000000001',?,?,?,?,?,?)");
    const QString leg =
        QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, RazhN, Koef) VALUES ('0000000001',?,?,?,?,?)");
    const QString line = QStringLiteral("INSERT INTO Sklad (Data, DocVid, DocNom, Name, Kol, Edin, Suma, VidKol, "
                                        "Lipsa, Ostat) VALUES (?,?,'0000000012',?,?,?,?,?,1,0)");
    auto receiptAndIssue = [&](double kol, double edin) {
        db.exec(line, {n.day, QStringLiteral("Приемо-предав."), n.article, kol, edin, kol * edin, "P"});
        db.exec(line, {n.day, QStringLiteral("Искане-разход"), n.article, kol, edin, kol * edin, "R"});
    };
    auto expense = [&](double x) {
        db.exec(line, {n.day, n.car, QStringLiteral("Разходи за курс"), 1.0, x, x, "R"});
    };
    const QString stock = QStringLiteral("INSERT INTO Nalich (Name, Edin, Broi) VALUES (?,?,?)");
    switch (which) {
    case PrintedNumbers::Longest:
        addTrip(0, 99999, 999.999, 0.1, 9999999.99, 9699999.99);
        addTrip(1, 120, 21.5, 0.125, 322.5, 312.83);
        db.exec(sheet, {n.day, n.car, 99999.9, 9999999, 99999, 99999.99});
        db.exec(leg, {n.route, 99999, 999.999, 99999.99, 99});
        receiptAndIssue(9999.999, 1000.0);
        expense(9999999.99);
        db.exec(stock, {n.article, 1000.0, 9999.99});
        break;
    case PrintedNumbers::Bounds:
        addReckoned(0, 100000, 1000, 0.1);     // km, tons and money at once
        addReckoned(1, 1, 1, 10000000);        // the tariff and money
        addReckoned(2, 100000, 1, 1);          // each alone
        addReckoned(3, 1, 1000, 1);
        addReckoned(4, 1, 0.001, 10000000);
        addReckoned(5, 200, 500, 100);
        // The most fuel filled, the odometer's last reading, a leg of the most
        // kilometres and tons with the highest surcharge.
        db.exec(sheet, {n.day, n.car, 100000, 10000000, 100000, 860000});
        db.exec(leg, {n.route, 100000, 1000, 860000, 100});
        receiptAndIssue(1000000, 10);
        receiptAndIssue(1, 10000000);
        expense(10000000);
        db.exec(stock, {n.article, 10.0, 1000000.0});
        db.exec(stock, {QStringLiteral("Дизелово гориво"), 10000000.0, 1.0});
        break;
    case PrintedNumbers::Everyday:
        addReckoned(0, 350, 24.5, 10);
        addReckoned(1, 120, 12, 12.5);
        addReckoned(2, 480, 21.5, 0.125);
        db.exec(sheet, {n.day, n.car, 450.5, 123456, 1250, 412.5});
        db.exec(leg, {n.route, 350, 24.5, 138.3, 10});
        receiptAndIssue(40, 12.5);
        expense(250);
        db.exec(stock, {n.article, 12.5, 36.0});
        break;
    }
}
