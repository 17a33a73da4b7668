#pragma once
// Seeding shared by the tests: the company the printouts head with, the drivers
// and the period the search dialogs hand over.

#include <QDate>
#include <QString>

class TestDb;

// The company of the printouts: "Д'Арк Транс ООД", Пловдив, "ул. Иван Вазов 12".
void seedCompany();
// The same with its telephone "032 123456", GSM "0888 123456", e-mail and web
// address.
void seedCompanyWithContacts(const QString &email = QStringLiteral("office@darc.bg"),
                             const QString &url = QStringLiteral("www.darc.bg"));
// A driver with his papers.
void addDriver(TestDb &db, const QString &kod, const QString &ime, const QString &egn, const QString &lkarta);

// The period a search dialog hands over (any of DiaSeek, DiaSeekAll, DiaSeekAlt).
template <class Seek>
void seekPeriod(Seek &d, const QString &from, const QString &to)
{
    d.StartData = from;
    d.EndData = to;
}

// The widest values a real office types: a 48-character company name, a
// 70-character address, a 49-character e-mail, a 44-character driver name, a
// 68-character route, a 12-character car number, a 40-character article and
// amounts up to the money bound.
namespace widest {
extern const QString kCompany;
extern const QString kAddress;
extern const QString kEmail;
extern const QString kDriver;
extern const QString kRoute;
extern const QString kCar;
extern const QString kArticle;
} // namespace widest
// The company with the widest name, address and e-mail; trips of March 2026 of
// driver "001" (kDriver) with car kCar for client kCompany, amounts up to the
// money bound; the car in the settings; the article kArticle received and
// issued at the largest quantity and price, with its stock; a firm with the
// widest name and address.
void seedWidestValues(TestDb &db);

// The numbers the printouts are filled with, for the car, client, route, goods and
// article named: trips of driver "001" invoiced under one number, the car's
// settings, a waybill with its leg, warehouse receipts and issues, a trip's
// expense line and the stock.
//  - Longest: the largest figures of one trip an office met (99999 km,
//    9999999,99 лв.), with small ones beside them.
//  - Bounds: every number at the bound the program takes (limits in
//    platform/numbers.h: 100000 km, 1000 t, a tariff or price of 10000000, money
//    10000000,00), together where the program takes them together (a trip's
//    gross amount is tons x km x tariff within the money bound) and each alone.
//  - Everyday: an office's ordinary figures (a tariff of 10,000, 350 km, 24,5 t).
enum class PrintedNumbers { Longest, Bounds, Everyday };
struct PrintedNames {
    QString car, client, route, goods, article, invoice;
    QDate day;
};
void seedPrintedNumbers(TestDb &db, PrintedNumbers which, const PrintedNames &n);
