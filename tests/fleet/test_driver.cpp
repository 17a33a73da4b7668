// The drivers' checks, and the drivers' screen through its controls: the two
// delete questions, the save with its checks, the duplicate code.
#include "layoutcheck.h"
#include "dialogs/messages.h"
#include "fleet/driver.h"
#include "platform/dataform.h"
#include "testdb.h"
#include "typing.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace kelm;

class TestDriver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksEachLimit_data();
    void checksEachLimit();
    void lastFailingCheckWins();
    void screenOpensWithCaptionAndFirstDriver();
    void saveRefusesAndStaysInEditing();
    void saveStoresTrimmedValues();
    void duplicateCodeRefused();
    void codeWithCommaRefused();
    void boxesTakeWhatTheirFieldsHold();
    void deleteAsksTwice();
    void deleteLastDriver();
    void clickSelectsWholeText();
    void keysDoNotBeepAtFirstLast();
};

namespace {

DriverFields valid()
{
    DriverFields f;
    f.kod = "001";
    f.ime = "Иван Петров";
    f.EGN = "7501011234";
    f.LKarta = "123456789";
    f.adres = "Пловдив";
    f.tel = "032123456";
    f.mob = "0888123456";
    return f;
}

QString msg(const char *a, const char *b)
{
    return joinLines({QString::fromUtf8(a), QString::fromUtf8(b)});
}

struct Screen {
    Driver w;
    Screen()
    {
        if (!w.load())
            qFatal("load failed");
        w.show();
    }
    QAbstractButton *btn(const char *name) { return w.findChild<QAbstractButton *>(name); }
    // Boxes by field: adres, EGN, ime, kod, LKarta, mob, tel = 0..6.
    QLineEdit *box(int i) { return w.findChild<QLineEdit *>(QStringLiteral("txtFields_%1").arg(i)); }
    QString status() { return w.findChild<QLabel *>(QStringLiteral("lblStatus"))->text(); }
    void fill(const DriverFields &f)
    {
        const QString v[7] = {f.adres, f.EGN, f.ime, f.kod, f.LKarta, f.mob, f.tel};
        for (int i = 0; i < 7; ++i) {
            box(i)->clear();
            typeText(box(i), v[i]);
        }
    }
};

void seed(TestDb &db)
{
    db.exec("INSERT INTO shof (kod, ime, EGN, LKarta) VALUES ('B02', 'Борис', '1111111111', '111111111')");
    db.exec("INSERT INTO shof (kod, ime, EGN, LKarta) VALUES ('A01', 'Д''Арк', '2222222222', '222222222')");
    db.exec("INSERT INTO shof (kod, ime, EGN, LKarta) VALUES ('C03', 'Цветан', '3333333333', '333333333')");
}

} // namespace

void TestDriver::checksEachLimit_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString ok;
    const QString kod = msg("Няма въведени данни за кода!", "Моля, въведете 3 символа за код на шофьора!");
    const QString egn = msg("Грешно ЕГН на шофьора!", "Моля, въведете 10 числа за ЕГН на шофьора!");
    const QString lk = msg("Няма въведен № на лична карта на шофьора!",
                           "Моля, въведете 9 символа за № за лична карта на шофьора!");
    const QString ime0 = msg("Няма въведено име на шофьора!", "Моля, въведете до 50 символа за име на шофьора!");
    const QString ime = msg("Въведеното име е по дълго от разрешеното!", "Моля, въведете до 50 символа за име на шофьора!");
    const QString mob = msg("Въведения номер на GSM е по дълъг от разрешения!", "Моля, въведете до 12 символа за GSM на шофьора!");
    const QString tel = msg("Въведения тел.номер е по дълъг от разрешения!",
                            "Моля, въведете до 10 символа за тел.номер на шофьора!");
    const QString adr = msg("Въведения адрес е по дълъг от разрешения!", "Моля, въведете до 60 символа за адрес на шофьора!");
    QTest::newRow("kod 2") << "kod" << "AB" << kod;
    QTest::newRow("kod 4") << "kod" << "ABCD" << kod;
    QTest::newRow("kod 3 with blanks") << "kod" << " AB " << kod;
    QTest::newRow("kod 3 padded") << "kod" << "  ABC  " << ok;
    QTest::newRow("kod empty") << "kod" << "" << kod;
    QTest::newRow("EGN 9") << "EGN" << "123456789" << egn;
    QTest::newRow("EGN 11") << "EGN" << "12345678901" << egn;
    QTest::newRow("EGN letters") << "EGN" << "абвгдежзий" << ok;
    QTest::newRow("LKarta 8") << "LKarta" << "12345678" << lk;
    QTest::newRow("LKarta 10") << "LKarta" << "1234567890" << lk;
    QTest::newRow("ime blank") << "ime" << "   " << ime0;
    QTest::newRow("ime 50") << "ime" << QString(50, QChar(0x0416)) << ok;
    QTest::newRow("ime 51") << "ime" << QString(51, QChar(0x0416)) << ime;
    QTest::newRow("mob 12") << "mob" << QString(12, '1') << ok;
    QTest::newRow("mob 13") << "mob" << QString(13, '1') << mob;
    QTest::newRow("tel 10") << "tel" << QString(10, '1') << ok;
    QTest::newRow("tel 11") << "tel" << QString(11, '1') << tel;
    QTest::newRow("adres 60") << "adres" << QString(60, 'a') << ok;
    QTest::newRow("adres 61") << "adres" << QString(61, 'a') << adr;
    QTest::newRow("optional empty") << "adres" << "" << ok;
}

void TestDriver::checksEachLimit()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    DriverFields f = valid();
    if (field == "kod") f.kod = text;
    if (field == "EGN") f.EGN = text;
    if (field == "LKarta") f.LKarta = text;
    if (field == "ime") f.ime = text;
    if (field == "mob") f.mob = text;
    if (field == "tel") f.tel = text;
    if (field == "adres") f.adres = text;
    QCOMPARE(checkDriverFields(f), expected);
}

void TestDriver::lastFailingCheckWins()
{
    DriverFields f = valid();
    f.ime.clear();
    f.EGN = "123456789";
    QCOMPARE(checkDriverFields(f), msg("Грешно ЕГН на шофьора!", "Моля, въведете 10 числа за ЕГН на шофьора!"));
    f.LKarta.clear();
    QVERIFY(checkDriverFields(f).startsWith(QStringLiteral("Няма въведен № на лична карта")));
    DriverFields all; // everything empty: the identity card is checked last
    QVERIFY(checkDriverFields(all).startsWith(QStringLiteral("Няма въведен № на лична карта")));
}

void TestDriver::screenOpensWithCaptionAndFirstDriver()
{
    TestDb db;
    seed(db);
    Screen s;
    QVERIFY(s.w.windowTitle().startsWith(QStringLiteral("Тревалон ")));
    QVERIFY(s.w.windowTitle().endsWith(QStringLiteral(" - Шофьори")));
    QCOMPARE(s.box(3)->text(), QStringLiteral("A01"));
    QCOMPARE(s.box(2)->text(), QStringLiteral("Д'Арк"));
    QCOMPARE(s.status(), QStringLiteral("Запис №: 1"));
    const char *labels[7] = {"Адрес", "ЕГН", "Имена", "Код", "Л.карта", "GSM", "Тел."};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(s.w.findChild<QLabel *>(QStringLiteral("lblLabels_%1").arg(i))->text(), QString::fromUtf8(labels[i]));
    // While browsing the boxes take no typed change.
    typeText(s.box(2), QStringLiteral("xyz"));
    QCOMPARE(s.box(2)->text(), QStringLiteral("Д'Арк"));
    QVERIFY(s.w.form()->isBrowsing());
}

void TestDriver::saveRefusesAndStaysInEditing()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd")->click();
    QCOMPARE(s.status(), QStringLiteral("Нов запис"));
    DriverFields f = valid();
    f.kod = "AB";
    s.fill(f);
    s.btn("cmdUpdate")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(cap.lastText(), msg("Няма въведени данни за кода!", "Моля, въведете 3 символа за код на шофьора!"));
    QVERIFY(s.w.form()->isAdding());
    QVERIFY(s.btn("cmdUpdate")->isVisible());
    QCOMPARE(s.box(3)->text(), QStringLiteral("AB"));
    QCOMPARE(s.box(2)->text(), f.ime);
    QCOMPARE(db.count("shof"), 3);
    // Corrected, it saves and the new driver is current, last in the list.
    s.box(3)->clear();
    typeText(s.box(3), QStringLiteral("000"));
    s.btn("cmdUpdate")->click();
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(s.w.form()->isBrowsing());
    QCOMPARE(s.status(), QStringLiteral("Запис №: 4"));
    QCOMPARE(s.box(3)->text(), QStringLiteral("000"));
    QCOMPARE(db.count("shof"), 4);
}

void TestDriver::saveStoresTrimmedValues()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    s.btn("cmdEdit")->click();
    QCOMPARE(s.status(), QStringLiteral("Корекция"));
    DriverFields f = valid();
    f.kod = "X99";
    f.ime = "  Д'Арк Жана ";
    f.adres = "";
    s.fill(f);
    s.btn("cmdUpdate")->click();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(db.scalar("SELECT ime FROM shof WHERE kod='X99'").toString(), QStringLiteral("Д'Арк Жана"));
    QVERIFY(db.scalar("SELECT adres FROM shof WHERE kod='X99'").isNull());
    QCOMPARE(db.count("shof"), 3);
    QCOMPARE(s.status(), QStringLiteral("Запис №: 1"));
    QCOMPARE(s.box(3)->text(), QStringLiteral("X99"));
}

void TestDriver::duplicateCodeRefused()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd")->click();
    DriverFields f = valid();
    f.kod = "B02";
    s.fill(f);
    s.btn("cmdUpdate")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(cap.lastText(), duplicateDriverCodeMessage());
    QVERIFY(s.w.form()->isAdding());
    QCOMPARE(db.count("shof"), 3);
    // A driver keeping his own code is no duplicate.
    s.btn("cmdCancel")->click();
    s.btn("cmdNext")->click(); // B02
    s.btn("cmdEdit")->click();
    s.box(2)->clear();
    typeText(s.box(2), QStringLiteral("Борис Борисов"));
    s.btn("cmdUpdate")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(db.scalar("SELECT ime FROM shof WHERE kod='B02'").toString(), QStringLiteral("Борис Борисов"));
    // Taking another driver's code on a correction is refused too.
    s.btn("cmdEdit")->click();
    s.box(3)->clear();
    typeText(s.box(3), QStringLiteral("C03"));
    s.btn("cmdUpdate")->click();
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(cap.lastText(), duplicateDriverCodeMessage());
    QCOMPARE(db.scalar("SELECT count(*) FROM shof WHERE kod='C03'").toInt(), 1);
}

// The lists offer a driver as "code,name": a code with a comma is never saved.
void TestDriver::codeWithCommaRefused()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd")->click();
    DriverFields f = valid();
    f.kod = "A,B";
    s.fill(f);
    s.btn("cmdUpdate")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(cap.lastText(), msg("Грешен код на шофьора!", "Моля, въведете 3 символа без запетая за код на шофьора!"));
    QVERIFY(s.w.form()->isAdding());
    QCOMPARE(db.count("shof"), 3);
    // Nor on a correction.
    s.btn("cmdCancel")->click();
    s.btn("cmdEdit")->click();
    s.box(3)->clear();
    typeText(s.box(3), QStringLiteral(",01"));
    s.btn("cmdUpdate")->click();
    QCOMPARE(cap.shown.size(), 2);
    QVERIFY(s.w.form()->isEditing());
    QCOMPARE(db.scalar("SELECT count(*) FROM shof WHERE kod LIKE '%,%'").toInt(), 0);
}

void TestDriver::boxesTakeWhatTheirFieldsHold()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd")->click();
    // One character past each field's length: the box keeps what the field holds.
    DriverFields f;
    f.adres = QString(60, QChar(u'А')) + "Я";
    f.EGN = "75010112345";
    f.ime = QString(50, QChar(u'Ш')) + "Я";
    f.kod = "X991";
    f.LKarta = "1234567890";
    f.mob = "08881234567" "8";
    f.tel = "03212345678";
    s.fill(f);
    const int kept[7] = {60, 10, 50, 3, 9, 12, 10};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(s.box(i)->text().size(), kept[i]);
    // A pasted code longer than the box takes is refused whole, never cut.
    QApplication::clipboard()->setText(QStringLiteral("XYZW"));
    s.box(3)->selectAll();
    QTest::keyClick(s.box(3), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(s.box(3)->text(), QStringLiteral("X99"));
    QTRY_COMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), msg("Текстът не се побира в полето и не е поставен!",
                                 "Полето побира до 3 символа, а с него биха станали 4."));
    cap.clear();
    s.btn("cmdUpdate")->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar("SELECT ime FROM shof WHERE kod='X99'").toString(), QString(50, QChar(u'Ш')));
    QCOMPARE(db.scalar("SELECT adres || EGN || LKarta || mob || tel FROM shof WHERE kod='X99'").toString(),
             QString(60, QChar(u'А')) + "7501011234" "123456789" "088812345678" "0321234567");
    lookAt(s.w.grab(), "driver-longest.png");
}

void TestDriver::deleteAsksTwice()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    cap.answers = {false};
    s.btn("cmdDelete")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.shown.at(0).kind, ShownMessage::Confirm);
    QCOMPARE(cap.shown.at(0).caption, QStringLiteral("Изтриване на запис"));
    QCOMPARE(cap.shown.at(0).text, QStringLiteral("Наистна ли искате да изтриете записа?"));
    QCOMPARE(db.count("shof"), 3);
    cap.clear();
    cap.answers = {true, false};
    s.btn("cmdDelete")->click();
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(cap.shown.at(1).text, QStringLiteral("Ще загубите данните окончателно"));
    QCOMPARE(db.count("shof"), 3);
    cap.clear();
    cap.answers = {true, true};
    s.btn("cmdDelete")->click();
    QCOMPARE(db.count("shof"), 2);
    QCOMPARE(db.scalar("SELECT count(*) FROM shof WHERE kod='A01'").toInt(), 0);
    QCOMPARE(s.box(3)->text(), QStringLiteral("B02")); // the next one
    QCOMPARE(s.status(), QStringLiteral("Запис №: 1"));
}

void TestDriver::deleteLastDriver()
{
    TestDb db;
    seed(db);
    db.exec("INSERT INTO tabl (kod, km) VALUES ('C03', 10)");
    Screen s;
    MessageCapture cap;
    s.btn("cmdLast")->click();
    cap.answers = {true, true};
    s.btn("cmdDelete")->click();
    QCOMPARE(s.box(3)->text(), QStringLiteral("B02"));
    QCOMPARE(s.status(), QStringLiteral("Запис №: 2"));
    // The trips keep the code of a deleted driver.
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE kod='C03'").toInt(), 1);
}

void TestDriver::clickSelectsWholeText()
{
    TestDb db;
    seed(db);
    Screen s;
    QTest::mouseClick(s.box(2), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(s.box(2)->selectedText(), QStringLiteral("Д'Арк"));
    QVERIFY(s.w.form()->isBrowsing());
    s.btn("cmdEdit")->click();
    QTest::mouseClick(s.box(3), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(s.box(3)->selectedText(), QStringLiteral("A01"));
}

void TestDriver::keysDoNotBeepAtFirstLast()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    QTest::keyClick(s.box(2), Qt::Key_End);
    QCOMPARE(s.status(), QStringLiteral("Запис №: 3"));
    QTest::keyClick(s.box(2), Qt::Key_Home);
    QTest::keyClick(s.box(2), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(s.status(), QStringLiteral("Запис №: 3"));
    QCOMPARE(cap.beeps, 0);
    QTest::keyClick(s.box(2), Qt::Key_PageDown);
    QCOMPARE(cap.beeps, 1);
    QCOMPARE(s.status(), QStringLiteral("Запис №: 3"));
}

QTEST_MAIN(TestDriver)
#include "test_driver.moc"
