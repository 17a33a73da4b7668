// The settings screen: the car checks, the tariff checks and save, the tabs and
// their keys, Esc with a car pending, a database without its tariff row.
#include "layoutcheck.h"
#include "common/textchecks.h"
#include "dialogs/messages.h"
#include "fleet/options.h"
#include "platform/dataform.h"
#include "testdb.h"
#include "typing.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

using namespace kelm;

class TestOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void carChecks();
    void tariffChecks();
    void opensOnCarsWithFormattedTariffs();
    void carSaveRefusesBadValues();
    void carAddSaveAndDuplicate();
    void carDeleteAsksTwice();
    void tariffTypingMessage();
    void tariffSaveWritesAllOrNothing();
    void ctrlTabSwitchesTabs();
    void closingWithTypedValuesAsks();
    void missingTariffRowShowsMessage();
    void negativeNumbersAreRefused();
    void carNumberNoLongerThanATrips();
};

namespace {

struct Screen {
    Options w;
    Screen()
    {
        if (!w.load())
            qFatal("load failed");
        w.show();
    }
    QAbstractButton *btn(const char *name) { return w.findChild<QAbstractButton *>(name); }
    // kola, Razhod, Procent, Ton = 0..3
    QLineEdit *car(int i) { return w.findChild<QLineEdit *>(QStringLiteral("txtFields1_%1").arg(i)); }
    QLineEdit *trf(int i) { return w.findChild<QLineEdit *>(QStringLiteral("Text%1").arg(i)); }
    QTabWidget *tabs() { return w.findChild<QTabWidget *>(QStringLiteral("tbsOptions")); }
    QString status() { return w.findChild<QLabel *>(QStringLiteral("lblStatus1"))->text(); }
    void setCar(const QString &kola, const QString &r, const QString &p, const QString &t)
    {
        const QString v[4] = {kola, r, p, t};
        for (int i = 0; i < 4; ++i) {
            car(i)->clear();
            typeText(car(i), v[i]);
        }
    }
};

void seed(TestDb &db)
{
    db.exec("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES ('PB2222', 30, 10, 20)");
    db.exec("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES ('PB1111', 32.5, 12, 24)");
}

} // namespace

void TestOptions::carChecks()
{
    CarFields f{"PB1", "32,5", "12", "20.5"};
    QCOMPARE(checkCarFields(f, false), QString());
    QVERIFY(checkCarFields(f, true).startsWith(QStringLiteral("Вече има кола с този номер!")));
    f.kola = "  ";
    QVERIFY(checkCarFields(f, false).startsWith(QStringLiteral("Няма въведен номер на колата!")));
    f.kola = "PB1";
    f.Razhod = "";
    QVERIFY(checkCarFields(f, false).startsWith(QStringLiteral("Невалиден разход на 100км!")));
    f.Razhod = "1";
    f.Procent = "12%";
    QVERIFY(checkCarFields(f, false).startsWith(QStringLiteral("Невалиден процент заплата!")));
    f.Procent = "12";
    f.Ton = "двадесет";
    QVERIFY(checkCarFields(f, false).startsWith(QStringLiteral("Невалиден тонаж!")));
}

void TestOptions::tariffChecks()
{
    const QString bad = joinLines({QStringLiteral("Въведения символ е невалиден!"), QStringLiteral("Моля, въведете друг.")});
    QCOMPARE(checkTariffTyping(QString()), QString());
    QCOMPARE(checkTariffTyping("0,05"), QString());
    QCOMPARE(checkTariffTyping("0."), QString());
    QCOMPARE(checkTariffTyping("0,0a"), bad);
    QCOMPARE(checkTariffTyping(" "), bad);
    QVERIFY(!firstBadTariff({"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(*firstBadTariff({"1", "2", "", "x", "5", "6"}), 2);
    QCOMPARE(*firstBadTariff({"1", "2", "3", "4", "5", "6x"}), 5);
    QCOMPARE(tariffFields().at(1), QStringLiteral("Trf_20-30"));
}

void TestOptions::opensOnCarsWithFormattedTariffs()
{
    TestDb db;
    seed(db);
    db.exec("UPDATE Tarifi SET Trf_20=0.05, Trf_200=1.25");
    Screen s;
    QVERIFY(s.w.windowTitle().endsWith(QStringLiteral(" - Настройки")));
    QCOMPARE(s.tabs()->currentIndex(), 0);
    QCOMPARE(s.tabs()->tabText(0), QStringLiteral("Коли"));
    QCOMPARE(s.tabs()->tabText(1), QStringLiteral("Тарифи"));
    QCOMPARE(s.tabs()->tabToolTip(0), QStringLiteral("Задаване параметри на колите"));
    QCOMPARE(s.tabs()->tabToolTip(1), QStringLiteral("Задаване на цени за км"));
    QCOMPARE(s.car(0)->text(), QStringLiteral("PB1111"));
    QCOMPARE(s.car(1)->text(), QStringLiteral("32,5"));
    QCOMPARE(s.status(), QStringLiteral("Кола № 1"));
    QCOMPARE(s.trf(1)->text(), QStringLiteral("0,050"));
    QCOMPARE(s.trf(2)->text(), QStringLiteral("0,000"));
    QCOMPARE(s.trf(6)->text(), QStringLiteral("1,250"));
    QVERIFY(!s.btn("cmdClose1"));
    QCOMPARE(s.btn("cmdCancel")->text(), QStringLiteral("Затвори"));
    // The page has no keys for moving between cars.
    QTest::keyClick(s.car(0), Qt::Key_Down);
    QCOMPARE(s.status(), QStringLiteral("Кола № 1"));
    s.btn("cmdNext1")->click();
    QCOMPARE(s.status(), QStringLiteral("Кола № 2"));
    QCOMPARE(s.car(0)->text(), QStringLiteral("PB2222"));
}

void TestOptions::carSaveRefusesBadValues()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    s.btn("cmdEdit1")->click();
    QCOMPARE(s.status(), QStringLiteral("Корекция"));
    s.car(1)->clear();
    typeText(s.car(1), QStringLiteral("много"));
    s.btn("cmdUpdate1")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(cap.lastText().startsWith(QStringLiteral("Невалиден разход на 100км!")));
    QVERIFY(s.w.form()->isEditing());
    QCOMPARE(s.car(1)->text(), QStringLiteral("много"));
    QCOMPARE(db.scalar("SELECT Razhod FROM Config WHERE kola='PB1111'").toDouble(), 32.5);
    s.car(1)->clear();
    typeText(s.car(1), QStringLiteral("31,25"));
    s.btn("cmdUpdate1")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(db.scalar("SELECT Razhod FROM Config WHERE kola='PB1111'").toDouble(), 31.25);
    QCOMPARE(s.status(), QStringLiteral("Кола № 1"));
}

void TestOptions::carAddSaveAndDuplicate()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd1")->click();
    QCOMPARE(s.status(), QStringLiteral("Добавяне"));
    QVERIFY(s.btn("cmdCancel")->isEnabled());
    s.setCar("PB2222 ", "30", "10", "20");
    s.btn("cmdUpdate1")->click();
    QVERIFY(cap.lastText().startsWith(QStringLiteral("Вече има кола с този номер!")));
    QVERIFY(s.w.form()->isAdding());
    s.setCar("", "30", "10", "20");
    s.btn("cmdUpdate1")->click();
    QVERIFY(cap.lastText().startsWith(QStringLiteral("Няма въведен номер на колата!")));
    QCOMPARE(db.count("Config"), 2);
    s.setCar(" CA0001 ", "28", "11,5", "18");
    s.btn("cmdUpdate1")->click();
    QCOMPARE(cap.shown.size(), 2);
    QVERIFY(s.w.form()->isBrowsing());
    QCOMPARE(s.status(), QStringLiteral("Кола № 3"));
    QCOMPARE(db.scalar("SELECT Procent FROM Config WHERE kola='CA0001'").toDouble(), 11.5);
    // The car keeps its own number when corrected.
    s.btn("cmdEdit1")->click();
    s.car(3)->clear();
    typeText(s.car(3), QStringLiteral("19"));
    s.btn("cmdUpdate1")->click();
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(db.scalar("SELECT Ton FROM Config WHERE kola='CA0001'").toDouble(), 19.0);
}

void TestOptions::carDeleteAsksTwice()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    cap.answers = {false};
    s.btn("cmdDelete1")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(db.count("Config"), 2);
    cap.answers = {true, true};
    s.btn("cmdLast1")->click();
    s.btn("cmdDelete1")->click();
    QCOMPARE(cap.shown.at(2).text, QStringLiteral("Ще загубите данните окончателно"));
    QCOMPARE(db.count("Config"), 1);
    QCOMPARE(s.car(0)->text(), QStringLiteral("PB1111"));
}

void TestOptions::tariffTypingMessage()
{
    TestDb db;
    Screen s;
    MessageCapture cap;
    s.tabs()->setCurrentIndex(1);
    s.trf(1)->selectAll();
    QTest::keyClick(s.trf(1), Qt::Key_Backspace);
    QVERIFY(cap.shown.isEmpty()); // an empty box while typing is fine
    typeText(s.trf(1), QStringLiteral("0,0"));
    QVERIFY(cap.shown.isEmpty());
    typeText(s.trf(1), QStringLiteral("x"));
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при въвеждане!"));
    QCOMPARE(cap.lastText(), joinLines({QStringLiteral("Въведения символ е невалиден!"), QStringLiteral("Моля, въведете друг.")}));
    QCOMPARE(s.trf(1)->text(), QStringLiteral("0,0x"));
    // A click selects the whole box.
    QTest::mouseClick(s.trf(2), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(s.trf(2)->selectedText(), QStringLiteral("0,000"));
}

void TestOptions::tariffSaveWritesAllOrNothing()
{
    TestDb db;
    Screen s;
    MessageCapture cap;
    s.tabs()->setCurrentIndex(1);
    for (int i = 1; i <= 6; ++i) {
        s.trf(i)->clear();
        typeText(s.trf(i), QString::number(i) + ",5");
    }
    s.trf(4)->clear();
    s.btn("cmdUpdate2")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(cap.lastText().contains(QStringLiteral("50 - 100 км")));
    QCOMPARE(db.scalar("SELECT Trf_20 FROM Tarifi").toDouble(), 0.0);
    QVERIFY(db.scalar("SELECT DateMod FROM Tarifi").isNull());
    typeText(s.trf(4), QStringLiteral("0.05"));
    QVERIFY(s.w.saveTariffs());
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(db.scalar("SELECT Trf_20 FROM Tarifi").toDouble(), 1.5);
    QCOMPARE(db.scalar("SELECT \"Trf_50-100\" FROM Tarifi").toDouble(), 0.05);
    QCOMPARE(db.scalar("SELECT Trf_200 FROM Tarifi").toDouble(), 6.5);
    QCOMPARE(db.scalar("SELECT DateMod FROM Tarifi").toString(), QDate::currentDate().toString("yyyy-MM-dd"));
    QVERIFY(!db.scalar("SELECT TimeMod FROM Tarifi").isNull());
    QCOMPARE(db.count("Tarifi"), 1);
    // Reopened, the value shows with three decimals.
    Screen again;
    QCOMPARE(again.trf(4)->text(), QStringLiteral("0,050"));
    // A band of four decimals shows as held, so saving the others leaves it so.
    again.tabs()->setCurrentIndex(1);
    again.trf(1)->clear();
    typeText(again.trf(1), QStringLiteral("0,1255"));
    QVERIFY2(again.w.saveTariffs(), qPrintable(cap.lastText()));
    Screen third;
    QCOMPARE(third.trf(1)->text(), QStringLiteral("0,1255"));
    QVERIFY(third.w.saveTariffs());
    QCOMPARE(db.scalar("SELECT Trf_20 FROM Tarifi").toDouble(), 0.1255);
}

void TestOptions::ctrlTabSwitchesTabs()
{
    TestDb db;
    seed(db);
    Screen s;
    QTest::keyClick(s.car(0), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(s.tabs()->currentIndex(), 1);
    QVERIFY(s.w.findChild<QWidget *>("picOptions_1")->isEnabled());
    QVERIFY(!s.w.findChild<QWidget *>("picOptions_0")->isEnabled());
    QTest::keyClick(s.btn("cmdCancel"), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(s.tabs()->currentIndex(), 0); // wraps
    QTest::keyClick(s.car(0), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(s.tabs()->currentIndex(), 1);
    QTest::keyClick(s.trf(1), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(s.tabs()->currentIndex(), 0);
    // Alt does not matter; in editing the keys work as well.
    s.btn("cmdEdit1")->click();
    QTest::keyClick(s.car(0), Qt::Key_Tab, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(s.tabs()->currentIndex(), 1);
    QVERIFY(s.w.form()->isEditing());
    // A plain Tab does not switch.
    QTest::keyClick(s.trf(1), Qt::Key_Tab);
    QCOMPARE(s.tabs()->currentIndex(), 1);
}

// Every way of closing (Esc, the close box or a close from outside, "Затвори")
// asks before typed values are lost; Enter keeps the screen.
void TestOptions::closingWithTypedValuesAsks()
{
    TestDb db;
    seed(db);
    Screen s;
    MessageCapture cap;
    const QString carQuestion = joinLines({QStringLiteral("Новата кола не е записана!"),
                                           QStringLiteral("При затваряне те ще бъдат загубени."),
                                           QStringLiteral("Да затворя ли без запис?")});
    s.btn("cmdAdd1")->click();
    s.setCar("NEW1", "1", "2", "3");
    QTest::keyClick(s.car(0), Qt::Key_Escape);
    s.w.close();
    s.btn("cmdCancel")->click();
    QCOMPARE(cap.shown.size(), 3);
    for (const ShownMessage &m : cap.shown) {
        QCOMPARE(m.kind, ShownMessage::Confirm);
        QCOMPARE(m.caption, QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(m.text, carQuestion);
    }
    QVERIFY(s.w.isVisible());
    QVERIFY(s.w.form()->isAdding());
    QCOMPARE(s.car(0)->text(), QStringLiteral("NEW1"));
    // Closing all the same drops the new car.
    cap.answers = {true};
    QTest::keyClick(s.car(0), Qt::Key_Escape);
    QVERIFY(!s.w.isVisible());
    QVERIFY(s.w.form()->isBrowsing());
    QCOMPARE(db.count("Config"), 2);

    // A corrected norm and a typed tariff: asked until written, then closed unasked.
    Screen t;
    cap.clear();
    t.btn("cmdEdit1")->click();
    t.w.close();
    QVERIFY(!t.w.isVisible()); // "Поправи" alone loses nothing
    QVERIFY(cap.shown.isEmpty());
    t.w.show();
    t.btn("cmdEdit1")->click();
    t.car(1)->clear();
    typeText(t.car(1), QStringLiteral("29"));
    t.tabs()->setCurrentIndex(1);
    t.trf(1)->clear();
    typeText(t.trf(1), QStringLiteral("0,75"));
    t.w.close();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), joinLines({QStringLiteral("Колата не е записана!"),
                                        QStringLiteral("Тарифите не са записани!"),
                                        QStringLiteral("При затваряне те ще бъдат загубени."),
                                        QStringLiteral("Да затворя ли без запис?")}));
    QVERIFY(t.w.isVisible());
    t.btn("cmdUpdate2")->click();
    t.tabs()->setCurrentIndex(0);
    t.btn("cmdUpdate1")->click();
    QTest::keyClick(t.car(1), Qt::Key_Escape);
    QVERIFY(!t.w.isVisible());
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(db.scalar("SELECT Razhod FROM Config WHERE kola='PB1111'").toDouble(), 29.0);
    QCOMPARE(db.scalar("SELECT Trf_20 FROM Tarifi").toDouble(), 0.75);
}

void TestOptions::missingTariffRowShowsMessage()
{
    TestDb db;
    seed(db);
    db.exec("DELETE FROM Tarifi");
    MessageCapture cap;
    Options w;
    QVERIFY(w.load());
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(cap.lastText().contains(QStringLiteral("няма ред с тарифите")));
    QVERIFY(!w.findChild<QAbstractButton *>("cmdUpdate2")->isEnabled());
    QVERIFY(!w.saveTariffs());
    QCOMPARE(db.count("Tarifi"), 0);
    QCOMPARE(w.findChild<QLineEdit *>("txtFields1_0")->text(), QStringLiteral("PB1111"));
}

void TestOptions::negativeNumbersAreRefused()
{
    TestDb db;
    seed(db);
    db.exec("UPDATE Tarifi SET Trf_20=0.5");
    Screen s;
    MessageCapture cap;
    const QString before = db.scalar("SELECT group_concat(kola||Razhod||Procent||Ton) FROM Config").toString();
    // Each box refuses "-5" as it refuses a text that is no number there.
    for (int box : {1, 2, 3}) {
        CarFields f{"PB1111", "32,5", "12", "24"};
        (box == 1 ? f.Razhod : box == 2 ? f.Procent : f.Ton) = QStringLiteral("много");
        s.btn("cmdEdit1")->click();
        s.car(box)->clear();
        typeText(s.car(box), QStringLiteral("-5"));
        cap.clear();
        s.btn("cmdUpdate1")->click();
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
        // "-5" is a number: the message says what is wrong with it.
        QCOMPARE(cap.lastText(), checkCarFields(f, false) + QStringLiteral("\rЧислото не може да бъде по-малко от 0."));
        QVERIFY(s.w.form()->isEditing());
        QCOMPARE(s.car(box)->text(), QStringLiteral("-5"));
        QCOMPARE(db.scalar("SELECT group_concat(kola||Razhod||Procent||Ton) FROM Config").toString(), before);
        if (box < 3)
            s.btn("cmdCancel1")->click();
    }
    lookAt(s.w.grab(), "options_negative_car.png");
    s.btn("cmdCancel1")->click();
    // A negative tariff is refused by its typing check and by the save.
    s.tabs()->setCurrentIndex(1);
    s.trf(1)->clear();
    cap.clear();
    typeText(s.trf(1), QStringLiteral("-5"));
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при въвеждане!"));
    s.btn("cmdUpdate2")->click();
    QCOMPARE(cap.shown.size(), 3);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(cap.lastText().contains(QStringLiteral("До 20 км")));
    QCOMPARE(db.scalar("SELECT Trf_20 FROM Tarifi").toDouble(), 0.5);
    QCOMPARE(s.trf(1)->text(), QStringLiteral("-5"));
    lookAt(s.w.grab(), "options_negative_tariff.png");
}

// A car number longer than a trip's car could never be given a trip.
void TestOptions::carNumberNoLongerThanATrips()
{
    TestDb db;
    seed(db);
    const QString longer = QStringLiteral("СА 1234 ВН ЕКСПРЕС 21"); // 21 characters
    db.exec("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 30, 10, 20)", {longer});
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd1")->click();
    s.setCar(longer, "30", "10", "20");
    QCOMPARE(s.car(0)->text(), longer.left(kCarLength));
    s.btn("cmdUpdate1")->click();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(db.scalar("SELECT count(*) FROM Config WHERE kola=?", {longer.left(kCarLength)}).toInt(), 1);
    // One stored longer elsewhere shows whole and is refused when saved.
    s.btn("cmdPrevious1")->click(); // the new car stands last until reopened
    QCOMPARE(s.car(0)->text(), longer);
    s.btn("cmdEdit1")->click();
    s.car(1)->clear();
    typeText(s.car(1), QStringLiteral("31"));
    s.btn("cmdUpdate1")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(cap.lastText(), joinLines({QStringLiteral("Номера на колата е по-дълъг от разрешения!"),
                                        QStringLiteral("Моля, въведете до 12 символа за номер на колата!")}));
    QVERIFY(s.w.form()->isEditing());
    QCOMPARE(db.scalar("SELECT Razhod FROM Config WHERE kola=?", {longer}).toDouble(), 30.0);
}

QTEST_MAIN(TestOptions)
#include "test_options.moc"
