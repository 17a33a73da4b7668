#pragma once
// Seeding shared by the tests: the company the printouts head with, the drivers
// and the period the search dialogs hand over.

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
