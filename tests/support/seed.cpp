#include "seed.h"

#include "shell/globals.h"
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
