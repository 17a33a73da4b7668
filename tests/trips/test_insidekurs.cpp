// The international trips' screen through its controls: the number's padding
// and duplicate check on leaving the box and on saving, the save's messages,
// the note and its firms written together or not at all, the delete question,
// and the firm picker (choosing, closing, which clicks open it).
#include "layoutcheck.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "platform/grid.h"
#include "shell/targets.h"
#include "trips/insidekurs.h"
#include "trips/insidekursrules.h"
#include "trips/sendresive.h"
#include "testdb.h"
#include "typing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace kelm;

class TestInsideKurs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensBrowsingAtFirstNote();
    void addSwitchesToListsAndBack();
    void leavingNumberPadsIt();
    void leavingNumberWarnsOfDuplicate();
    void leavingNumberForCommandsWarnsNot();
    void escapeKeepsTheScreen();
    void saveMessagesInOrder();
    void saveRefusesBadInputWritingNothing();
    void negativeNumbersRefusedWritingNothing();
    void saveWritesNoteAndNewFirms();
    void correctedNoteKeepsItsNumber();
    void saveTakingAnotherNumberRefused();
    void failedSaveWritesNothing();
    void deleteAsksOnce();
    void pickerHandsBackChosenFirm();
    void pickerClosedOrEmptyHandsBackNothing();
    void rightClickOnFrameFillsBlock();
    void otherClicksOpenNoPicker();
    void oneInstanceFromTheMenu();
};

namespace {

const char *kNote =
    "INSERT INTO ExternalKurs (KursID, Data, DriverName, TruckV, TruckR, SendName, SendAdres, SendCity, "
    "SendCountry) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";

void seed(TestDb &db)
{
    db.exec("INSERT INTO shof (kod, ime) VALUES ('A01', 'Иван Петров')");
    db.exec("INSERT INTO Config (Kola) VALUES ('PB1234AB')");
    db.exec(kNote, {"0000000012", QDate(2026, 3, 15), "Иван Петров", "PB1234AB", "PB5678EE", "Д'Арк ООД",
                    "ул. Лом 5", "Русе", "България"});
    db.exec(kNote, {"0000000020", QDate(2026, 4, 1), "Иван Петров", "PB1234AB", "PB9999EE", "", "", "", ""});
}

QString two(const char *a, const char *b)
{
    return joinLines({QString::fromUtf8(a), QString(), QString::fromUtf8(b)});
}

struct Screen {
    InsideKurs w;
    Screen()
    {
        if (!w.load())
            qFatal("load failed");
        w.show();
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            qWarning("window not active");
    }
    QAbstractButton *btn(const QString &name) { return w.findChild<QAbstractButton *>(name); }
    QLineEdit *box(int i) { return w.findChild<QLineEdit *>(QStringLiteral("txtFields_%1").arg(i)); }
    QComboBox *combo(const char *name) { return w.findChild<QComboBox *>(QLatin1String(name)); }
    QString status() { return w.findChild<QLabel *>(QStringLiteral("lblStatusRazh"))->text(); }
    void click(const char *name) { QTest::mouseClick(btn(QLatin1String(name)), Qt::LeftButton); }
    void type(int i, const QString &text)
    {
        box(i)->setFocus();
        box(i)->selectAll();
        if (!text.isEmpty())
            typeText(box(i), text);
        else
            box(i)->clear();
    }
    void leaveNumber()
    {
        box(bxKursID)->setFocus();
        box(bxTovarName)->setFocus();
    }
    // Number, date, driver, tractor, trailer.
    void fillRequired(const QString &number)
    {
        type(bxKursID, number);
        type(bxData, "20.05.2026");
        combo("ComboNameShof")->setEditText("Иван Петров");
        combo("ComboTruckV")->setEditText("PB1234AB");
        combo("ComboTruckR")->setEditText("PB0001EE");
    }
};

// Runs fn on the modal dialog the next statement opens; false when none opened.
struct OnModal {
    bool seen = false;
    explicit OnModal(std::function<void(QWidget *)> fn)
    {
        QTimer::singleShot(0, [this, fn] {
            if (QWidget *m = QApplication::activeModalWidget()) {
                seen = true;
                fn(m);
            }
        });
    }
};

} // namespace

void TestInsideKurs::opensBrowsingAtFirstNote()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    QCOMPARE(s.w.windowTitle(), QString("Международни курсове"));
    QCOMPARE(s.status(), QString("Запис: 1"));
    QCOMPARE(s.box(bxKursID)->text(), QString("0000000012"));
    QCOMPARE(s.box(bxData)->text(), QString("15.03.2026"));
    QCOMPARE(s.box(bxSendName)->text(), QString("Д'Арк ООД"));
    QVERIFY(s.btn("cmdAddRazh")->isVisible());
    QCOMPARE(s.btn("cmdAddRazh")->text(), QString("&Добави"));
    QVERIFY(!s.btn("cmdUpdateRazh")->isVisible());
    QVERIFY(s.box(bxDriverName)->isVisible());
    QVERIFY(!s.combo("ComboNameShof")->isVisible());
    s.click("cmdNextRazh");
    QCOMPARE(s.status(), QString("Запис: 2"));
    s.click("cmdNextRazh");
    QCOMPARE(s.status(), QString("Запис: 2"));
    QCOMPARE(cap.beeps, 1);
    QVERIFY(cap.shown.isEmpty());
}

void TestInsideKurs::addSwitchesToListsAndBack()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    QCOMPARE(s.status(), QString("Нов запис"));
    QVERIFY(s.combo("ComboNameShof")->isVisible());
    QVERIFY(!s.box(bxDriverName)->isVisible());
    QCOMPARE(s.combo("ComboTruckR")->count(), 2); // the two trailers recorded
    QCOMPARE(s.combo("ComboNameShof")->currentText(), QString());
    // Required boxes stand out while adding.
    QCOMPARE(s.box(bxKursID)->palette().color(QPalette::Base), QColor(255, 255, 128));
    QVERIFY(!s.btn("cmdCloseRazh")->isVisible());
    s.click("cmdCancelRazh");
    QVERIFY(!s.combo("ComboNameShof")->isVisible());
    QVERIFY(s.box(bxKursID)->palette().color(QPalette::Base) != QColor(255, 255, 128));
    QCOMPARE(s.status(), QString("Запис: 1"));

    // Correcting puts the note's values into the lists.
    s.click("cmdEditRazh");
    QCOMPARE(s.status(), QString("Корекция запис"));
    QCOMPARE(s.combo("ComboTruckR")->currentText(), QString("PB5678EE"));
    QCOMPARE(s.combo("ComboNameShof")->currentText(), QString("Иван Петров"));
}

void TestInsideKurs::leavingNumberPadsIt()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    // Browsing pads nothing (the box takes no typing then anyway).
    s.box(bxKursID)->setText("5");
    s.leaveNumber();
    QCOMPARE(s.box(bxKursID)->text(), QString("5"));

    s.click("cmdAddRazh");
    s.type(bxKursID, "7");
    s.leaveNumber();
    QCOMPARE(s.box(bxKursID)->text(), QString("0000000007"));
    s.type(bxKursID, "1234567890");
    s.leaveNumber();
    QCOMPARE(s.box(bxKursID)->text(), QString("1234567890"));
    QVERIFY(cap.shown.isEmpty());

    // Typing stops at the ten characters a number holds; the ten kept are saved.
    s.fillRequired("12345678901");
    QCOMPARE(s.box(bxKursID)->text(), QString("1234567890"));
    s.click("cmdUpdateRazh");
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar("SELECT count(*) FROM ExternalKurs WHERE KursID='1234567890'").toInt(), 1);
    lookAt(s.w.grab(), "insidekurs-longest.png");
}

void TestInsideKurs::leavingNumberWarnsOfDuplicate()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    s.type(bxKursID, "12");
    s.leaveNumber();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), two("Съществува ЧМР със същия номер!", "Моля, променете номера и опитайте отново."));
    QCOMPARE(cap.lastCaption(), QString("   ГРЕШКА!"));
    QCOMPARE(s.box(bxKursID)->text(), QString("0000000012"));
    QVERIFY(s.box(bxKursID)->hasFocus());
    s.click("cmdCancelRazh");

    // The note being corrected does not collide with itself.
    cap.clear();
    s.click("cmdEditRazh");
    s.leaveNumber();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(s.box(bxKursID)->text(), QString("0000000012"));
}

void TestInsideKurs::leavingNumberForCommandsWarnsNot()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    s.type(bxKursID, "12");
    // "Отказ" drops the number without a word about it.
    s.click("cmdCancelRazh");
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(s.w.form()->isBrowsing());
    // "Запиши" says it once.
    s.click("cmdAddRazh");
    s.fillRequired("99");
    s.type(bxKursID, "12");
    s.click("cmdUpdateRazh");
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), duplicateNumberMessage());
    QVERIFY(s.box(bxKursID)->hasFocus());
    QCOMPARE(db.count("ExternalKurs"), 2);
}

void TestInsideKurs::escapeKeepsTheScreen()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    s.type(bxKursID, "77");
    QTest::keyClick(s.box(bxTovarName), Qt::Key_Escape);
    QVERIFY(s.w.isVisible());
    QVERIFY(s.w.form()->isAdding());
    s.click("cmdCancelRazh");
    QTest::keyClick(s.btn("cmdAddRazh"), Qt::Key_Escape);
    QVERIFY(s.w.isVisible());
    // The window's close button does not drop a note being added.
    s.click("cmdAddRazh");
    s.w.close();
    QVERIFY(s.w.isVisible());
    s.click("cmdCancelRazh");
    s.click("cmdCloseRazh");
    QVERIFY(!s.w.isVisible());
}

void TestInsideKurs::saveMessagesInOrder()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    struct Step {
        std::function<void()> fill;
        QString message;
    };
    const QList<Step> steps = {
        {[] {}, two("Няма въведен номер на ЧМР!", "Моля, въведете номер на ЧМР.")},
        {[&] { s.type(bxKursID, "30"); }, two("Няма въведена дата на ЧМР!", "Моля, въведете датата на ЧМР.")},
        {[&] { s.type(bxData, "20.05.2026"); },
         two("Няма въведено име на шофьор!", "Моля, въведете името на шофьора.")},
        {[&] { s.combo("ComboNameShof")->setEditText("Иван Петров"); },
         two("Няма въведен номер на влекач!", "Моля, въведете номера на влекача.")},
        {[&] { s.combo("ComboTruckV")->setEditText("PB1234AB"); },
         two("Няма въведен номер на ремарке!", "Моля, въведете номера на ремаркето.")},
    };
    for (const Step &st : steps) {
        cap.clear();
        st.fill();
        s.click("cmdUpdateRazh");
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.lastText(), st.message);
        QCOMPARE(cap.lastCaption(), QString("   ВНИМАНИЕ!"));
        QVERIFY(s.w.form()->isAdding());
    }
    QCOMPARE(db.count("ExternalKurs"), 2);

    // The list's text counts, not the hidden box behind it.
    cap.clear();
    s.combo("ComboTruckR")->setEditText("PB0001EE");
    s.combo("ComboNameShof")->setEditText("");
    s.box(bxDriverName)->setText("Някой");
    s.click("cmdUpdateRazh");
    QCOMPARE(cap.lastText(), two("Няма въведено име на шофьор!", "Моля, въведете името на шофьора."));
    QCOMPARE(db.count("ExternalKurs"), 2);
}

void TestInsideKurs::saveRefusesBadInputWritingNothing()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    s.fillRequired("31");
    s.type(bxSendName, "Нова фирма");
    s.type(bxTovarTon, "2О"); // a Cyrillic О, not a zero
    s.click("cmdUpdateRazh");
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(cap.lastText().startsWith("Невалидно число в полето „Тонаж“!"));
    s.type(bxTovarTon, "20");
    s.type(bxData, "30.02.2026");
    cap.clear();
    s.click("cmdUpdateRazh");
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(cap.lastText().startsWith("Грешна дата на ЧМР!"));
    QCOMPARE(db.count("ExternalKurs"), 2);
    QCOMPARE(db.count("Firms"), 0);
    QVERIFY(s.w.form()->isAdding());
    QCOMPARE(s.box(bxSendName)->text(), QString("Нова фирма"));
}

// Tons, fuel, kilometres, income and expenses of a trip are never below zero:
// each negative one is refused and nothing is written, not even the firms.
void TestInsideKurs::negativeNumbersRefusedWritingNothing()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    s.fillRequired("31");
    s.type(bxSendName, "Нова фирма");
    const struct {
        int box;
        const char *typed, *label;
    } cases[] = {{bxTotalR, "-100", "Общ разход"}, {bxTovarTon, "-5", "Тонаж"}, {bxTotalFuel, "-850", "Total Fuel"},
                 {bxTotalKM, "-2500", "Total KM"}, {bxTotalP, "-1", "Приход"}};
    for (const auto &c : cases) {
        s.type(c.box, c.typed);
        cap.clear();
        s.click("cmdUpdateRazh");
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.lastCaption(), QString("   ВНИМАНИЕ!"));
        QCOMPARE(cap.lastText(), joinLines({QStringLiteral("Невалидно число в полето „%1“!").arg(QString::fromUtf8(c.label)),
                                            QString(), QStringLiteral("Моля, въведете число, не по-малко от 0.")}));
        QVERIFY(s.w.form()->isAdding());
        QCOMPARE(s.box(c.box)->text(), QString(c.typed));
        QCOMPARE(db.count("ExternalKurs"), 2);
        QCOMPARE(db.count("Firms"), 0);
        s.type(c.box, "");
    }
    lookAt(s.w.grab(), "insidekurs_negative.png");
    s.type(bxTotalP, "0");
    s.click("cmdUpdateRazh");
    QCOMPARE(db.count("ExternalKurs"), 3);
}

void TestInsideKurs::saveWritesNoteAndNewFirms()
{
    TestDb db;
    seed(db);
    db.exec("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES ('Müller GmbH', 'Hauptstr. 12', "
            "'Мюнхен', 'Германия')");
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    s.fillRequired("31");
    s.type(bxTovarTon, "22,5");
    s.type(bxTotalP, "5400.50");
    // The sender is new (typed with blanks); the receiver is known.
    s.type(bxSendName, "  Д'Арк ООД ");
    s.type(bxSendAdres, "ул. Лом 5");
    s.type(bxSendCity, "Русе");
    s.type(bxSendCountry, "България ");
    s.type(bxResivName, "Müller GmbH");
    s.type(bxResivAdres, "Hauptstr. 12 ");
    s.type(bxResivCity, "Мюнхен");
    s.type(bxResivCountry, "Германия");
    s.click("cmdUpdateRazh");
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QVERIFY(s.w.form()->isBrowsing());
    QCOMPARE(db.count("ExternalKurs"), 3);
    QCOMPARE(db.count("Firms"), 2);
    QCOMPARE(db.scalar("SELECT count(*) FROM Firms WHERE SrName=? AND SrAdres=? AND SrCity=? AND SrCountry=?",
                       {"Д'Арк ООД", "ул. Лом 5", "Русе", "България"})
                 .toInt(),
             1);
    QCOMPARE(db.scalar("SELECT Data FROM ExternalKurs WHERE KursID='0000000031'").toString(), QString("2026-05-20"));
    QCOMPARE(db.scalar("SELECT TovarTon FROM ExternalKurs WHERE KursID='0000000031'").toDouble(), 22.5);
    QCOMPARE(db.scalar("SELECT TotalP FROM ExternalKurs WHERE KursID='0000000031'").toDouble(), 5400.5);
    QCOMPARE(db.scalar("SELECT TruckR FROM ExternalKurs WHERE KursID='0000000031'").toString(), QString("PB0001EE"));
    // The new note is current; a note with blank firms appends none.
    QCOMPARE(s.status(), QString("Запис: 3"));
    QCOMPARE(s.box(bxKursID)->text(), QString("0000000031"));

    s.click("cmdAddRazh");
    s.fillRequired("32");
    s.type(bxSendName, "Д'Арк ООД");
    s.type(bxSendAdres, "ул. Лом 5");
    s.type(bxSendCity, "Русе");
    s.type(bxSendCountry, "България");
    s.type(bxResivCity, "   ");
    s.click("cmdUpdateRazh");
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(db.count("ExternalKurs"), 4);
    QCOMPARE(db.count("Firms"), 2);
}

void TestInsideKurs::correctedNoteKeepsItsNumber()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    s.click("cmdEditRazh");
    s.type(bxTovarName, "Олио");
    s.click("cmdUpdateRazh");
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QVERIFY(s.w.form()->isBrowsing());
    QCOMPARE(db.scalar("SELECT TovarName FROM ExternalKurs WHERE KursID='0000000012'").toString(), QString("Олио"));
    QCOMPARE(db.count("ExternalKurs"), 2);
}

void TestInsideKurs::saveTakingAnotherNumberRefused()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    s.click("cmdEditRazh");
    // Typed and saved straight away: the save checks again.
    s.box(bxKursID)->setText("20");
    s.click("cmdUpdateRazh");
    QVERIFY(!cap.shown.isEmpty());
    QCOMPARE(cap.lastText(), duplicateNumberMessage());
    QVERIFY(s.w.form()->isEditing());
    QCOMPARE(db.scalar("SELECT count(*) FROM ExternalKurs WHERE KursID='0000000012'").toInt(), 1);
    QCOMPARE(db.scalar("SELECT count(*) FROM ExternalKurs WHERE KursID='0000000020'").toInt(), 1);
}

void TestInsideKurs::failedSaveWritesNothing()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    // The database refuses the note after the firms went in.
    db.exec("CREATE TRIGGER refuse BEFORE INSERT ON ExternalKurs BEGIN SELECT RAISE(ABORT, 'отказан'); END");
    s.click("cmdAddRazh");
    s.fillRequired("40");
    s.type(bxSendName, "Алфа");
    s.type(bxResivName, "Бета");
    s.click("cmdUpdateRazh");
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(cap.lastText().startsWith(joinLines({"ГРЕШКА при записа на ЧМР!", "", ""})));
    QCOMPARE(cap.lastCaption(), QString("   ГРЕШКА!"));
    QCOMPARE(db.count("Firms"), 0);
    QCOMPARE(db.count("ExternalKurs"), 2);
    QVERIFY(s.w.form()->isAdding());
    QCOMPARE(s.box(bxSendName)->text(), QString("Алфа"));

    // Once the database takes it, the same save writes both.
    db.exec("DROP TRIGGER refuse");
    cap.clear();
    s.click("cmdUpdateRazh");
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.count("Firms"), 2);
    QCOMPARE(db.count("ExternalKurs"), 3);
}

void TestInsideKurs::deleteAsksOnce()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    Screen s;
    cap.answers = {false};
    s.click("cmdDeleteRazh");
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), two("Изтривате информацията за ЧМР!", "Потвърдете изтриването на ЧМР!"));
    QCOMPARE(cap.lastCaption(), QString("   ВНИМАНИЕ!"));
    QCOMPARE(db.count("ExternalKurs"), 2);
    cap.clear();
    cap.answers = {true};
    s.click("cmdDeleteRazh");
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(db.count("ExternalKurs"), 1);
    QCOMPARE(s.box(bxKursID)->text(), QString("0000000020"));
}

void TestInsideKurs::pickerHandsBackChosenFirm()
{
    TestDb db;
    db.exec("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES ('Бета', 'Адрес 2', 'Варна', NULL)");
    db.exec("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES ('Алфа', 'Адрес 1', 'Бургас', 'БГ')");
    db.exec("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES ('Бета', 'Адрес 2', 'Русе', 'БГ')");
    MessageCapture cap;
    {
        SendResive p;
        QVERIFY(p.load());
        QCOMPARE(p.windowTitle(), QString("Избор на фирма"));
        QCOMPARE(p.grid()->caption(), QString("Избор на фирма"));
        QCOMPARE(p.grid()->rowCount(), 3);
        QVERIFY(!p.grid()->allowEdit());
        QCOMPARE(p.grid()->Columns(1).caption(), QString("Име"));
        QCOMPARE(p.grid()->Columns(4).caption(), QString("Държава"));
        p.show();
        // The first row without moving is the first firm by name.
        p.grid()->setFocus();
        p.grid()->sendKey(13);
        QVERIFY(p.chosen().has_value());
        QCOMPARE(p.chosen()->name, QString("Алфа"));
        QCOMPARE(p.result(), int(QDialog::Accepted));
    }
    {
        SendResive p;
        QVERIFY(p.load());
        p.show();
        p.grid()->setFocus();
        p.grid()->sendKey(40);
        p.grid()->sendKey(13);
        QVERIFY(p.chosen().has_value());
        // A missing value comes back as an empty text.
        QCOMPARE(*p.chosen(), (FirmTexts{"Бета", "Адрес 2", "Варна", ""}));
    }
}

void TestInsideKurs::pickerClosedOrEmptyHandsBackNothing()
{
    TestDb db;
    MessageCapture cap;
    {
        SendResive p;
        QVERIFY(p.load());
        QCOMPARE(p.grid()->rowCount(), 0);
        p.show();
        p.grid()->setFocus();
        p.grid()->sendKey(13);
        QVERIFY(!p.chosen().has_value());
    }
    db.exec("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES ('Алфа', 'А', 'Б', 'В')");
    OnModal closer([](QWidget *m) { m->close(); });
    QVERIFY(!SendResive::pick(nullptr).has_value());
    QVERIFY(closer.seen);
}

void TestInsideKurs::rightClickOnFrameFillsBlock()
{
    TestDb db;
    seed(db);
    db.exec("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES ('Алфа', 'Адрес 1', 'Бургас', 'БГ')");
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    auto *frame2 = s.w.findChild<QGroupBox *>("Frame2");
    auto *frame3 = s.w.findChild<QGroupBox *>("Frame3");
    QVERIFY(frame2 && frame3);

    auto pickFirst = [](QWidget *m) {
        auto *p = qobject_cast<SendResive *>(m);
        QVERIFY(p);
        p->grid()->setFocus();
        p->grid()->sendKey(13);
    };
    {
        OnModal picker(pickFirst);
        QTest::mousePress(frame3, Qt::RightButton, {}, QPoint(4, 4));
        QVERIFY(picker.seen);
    }
    QCOMPARE(s.box(bxResivName)->text(), QString("Алфа"));
    QCOMPARE(s.box(bxResivCountry)->text(), QString("БГ"));
    QCOMPARE(s.box(bxSendName)->text(), QString());
    QCOMPARE(s.w.PickSide, QString());

    // Closing the picker leaves the sender block as typed.
    s.type(bxSendName, "Моя");
    {
        OnModal picker([](QWidget *m) { m->close(); });
        QTest::mousePress(frame2, Qt::RightButton, {}, QPoint(4, 4));
        QVERIFY(picker.seen);
    }
    QCOMPARE(s.box(bxSendName)->text(), QString("Моя"));
    QCOMPARE(s.box(bxSendCity)->text(), QString());

    // Saved with the note, the picked firm is not appended again.
    s.fillRequired("50");
    s.click("cmdUpdateRazh");
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.count("Firms"), 2); // Алфа, and the typed Моя
    QCOMPARE(db.scalar("SELECT ResivCity FROM ExternalKurs WHERE KursID='0000000050'").toString(),
             QString("Бургас"));

    // While browsing a pick starts the note's correction; the firm saved
    // above is listed now.
    {
        int rows = -1;
        OnModal picker([&rows, pickFirst](QWidget *m) {
            rows = qobject_cast<SendResive *>(m)->grid()->rowCount();
            pickFirst(m);
        });
        QTest::mousePress(frame2, Qt::RightButton, {}, QPoint(4, 4));
        QVERIFY(picker.seen);
        QCOMPARE(rows, 2);
    }
    QVERIFY(s.w.form()->isEditing());
    QCOMPARE(s.box(bxSendName)->text(), QString("Алфа"));
    s.click("cmdCancelRazh");
}

void TestInsideKurs::otherClicksOpenNoPicker()
{
    TestDb db;
    seed(db);
    db.exec("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES ('Алфа', 'Адрес 1', 'Бургас', 'БГ')");
    MessageCapture cap;
    Screen s;
    s.click("cmdAddRazh");
    auto *frame2 = s.w.findChild<QGroupBox *>("Frame2");
    auto *panel = s.w.findChild<QWidget *>("Picture1");
    QVERIFY(panel);
    bool opened = false;
    auto watch = [&opened] {
        QTimer::singleShot(0, [&opened] {
            if (QWidget *m = QApplication::activeModalWidget()) {
                opened = true;
                m->close();
            }
        });
    };
    watch();
    QTest::mousePress(frame2, Qt::LeftButton, {}, QPoint(4, 4));
    QTest::qWait(10);
    watch();
    QTest::mousePress(panel, Qt::RightButton, {}, QPoint(1, 1));
    QTest::qWait(10);
    watch();
    QTest::mousePress(s.box(bxSendCity), Qt::RightButton, {}, QPoint(3, 3));
    QTest::qWait(10);
    QVERIFY(!opened);
    QCOMPARE(s.box(bxSendName)->text(), QString());
}

void TestInsideKurs::oneInstanceFromTheMenu()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    QVERIFY(runTarget("InsideKurs"));
    InsideKurs *first = InsideKurs::instance();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QVERIFY(!first->isModal());
    QVERIFY(runTarget("InsideKurs"));
    QCOMPARE(InsideKurs::instance(), first);
    QPointer<InsideKurs> guard(first);
    first->close();
    QTest::qWait(10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard);
    QVERIFY(!InsideKurs::instance());
}

QTEST_MAIN(TestInsideKurs)
#include "test_insidekurs.moc"
