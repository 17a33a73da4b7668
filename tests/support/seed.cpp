#include "seed.h"

#include "common/globals.h"

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
