// The users screen, and through it the data-form template: commands, keys,
// beeps, the remembered position, the status line and failures.
#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "shell/password.h"
#include "shell/userlogin.h"
#include "boxwatch.h"
#include "testdb.h"
#include "typing.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace kelm;

class TestPassWord : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { gUserVid.clear(); }
    void opensOnFirstUserWithoutAdministrators();
    void keysWithAndWithoutCtrl();
    void endsBeepOnlyWithRecords();
    void addSaveLeavesNewRecordCurrent();
    void addCancelReturnsToRememberedRecord();
    void editCancelStaysOnCorrectedRecord();
    void clickOrTypingStartsEditing();
    void editingIgnoresKeysAndEsc();
    void escClosesWhileBrowsing();
    void deleteAsksTwiceAndLastRecord();
    void emptyRecordsetDisablesEditAndDelete();
    void failedSaveStaysInEditing();
    void failedLoadIsReported();
    void savesNamesAndPasswordsAsTyped();
    void blankNameOrPasswordIsRefused();
    void kindIsOneLetterAndOnlyAdministratorGivesA();
    void whiteSpaceAndKindsNotALetterAreRefused();
    void answeredBoxNeverOwnsTheScreen();
};

namespace {

struct Screen {
    PassWord w;
    Screen()
    {
        if (!w.load())
            qFatal("load failed");
        w.show();
    }
    QAbstractButton *btn(const char *name) { return w.findChild<QAbstractButton *>(name); }
    QLineEdit *box(int i) { return w.findChild<QLineEdit *>(QStringLiteral("txtFields_%1").arg(i)); }
    QString status() { return w.findChild<QLabel *>(QStringLiteral("lblStatus"))->text(); }
    QString name() { return box(0)->text(); }
    bool browsing()
    {
        return btn("cmdAdd")->isVisible() && btn("cmdClose")->isVisible() && !btn("cmdUpdate")->isVisible()
            && !btn("cmdCancel")->isVisible() && btn("cmdNext")->isEnabled();
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(box(1), Qt::Key(k), m);
    }
};

void seedUsers(TestDb &db)
{
    // Ordered by Vid: Б(B), then C, D, E.
    db.exec("INSERT INTO Users (Ime, Password, Vid) VALUES ('Петров', 'p1', 'C')");
    db.exec("INSERT INTO Users (Ime, Password, Vid) VALUES ('Иванов', 'p2', 'B')");
    db.exec("INSERT INTO Users (Ime, Password, Vid) VALUES ('Д''Арк', 'p3', 'D')");
    db.exec("INSERT INTO Users (Ime, Password, Vid) VALUES ('Стоев', 'p4', 'E')");
}

// A hang spins on the test's own thread, where no timer fires: a second thread
// ends the program with a failure instead of letting it block.
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : m_thread([this, seconds] {
              for (int i = 0; i < seconds * 10 && !m_done; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              if (!m_done) {
                  std::fprintf(stderr, "FAIL! hung for %d s\n", seconds);
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        m_done = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace

void TestPassWord::opensOnFirstUserWithoutAdministrators()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    QCOMPARE(s.w.windowTitle(), QStringLiteral("Пароли"));
    QCOMPARE(s.name(), QStringLiteral("Иванов"));
    QCOMPARE(s.box(1)->text(), QStringLiteral("p2"));
    QCOMPARE(s.box(1)->echoMode(), QLineEdit::Normal);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:1"));
    QVERIFY(s.browsing());
    QVERIFY(s.box(0)->isReadOnly());
    QCOMPARE(s.w.form()->recordset().recordCount(), 4); // admin not listed
    QCOMPARE(s.btn("cmdAdd")->text(), QStringLiteral("Добави"));
    QCOMPARE(s.btn("cmdEdit")->text(), QStringLiteral("Поправи"));
    QCOMPARE(s.btn("cmdUpdate")->text(), QStringLiteral("Запиши"));
    QCOMPARE(s.btn("cmdCancel")->text(), QStringLiteral("Отказ"));
    QCOMPARE(s.btn("cmdDelete")->text(), QStringLiteral("Изтрий"));
    QCOMPARE(s.btn("cmdClose")->text(), QStringLiteral("Затвори"));
    QVERIFY(!s.btn("cmdRefresh"));
}

void TestPassWord::keysWithAndWithoutCtrl()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    MessageCapture cap;
    s.key(Qt::Key_Down);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:2"));
    s.key(Qt::Key_PageDown);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:3"));
    s.key(Qt::Key_Up);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:2"));
    s.key(Qt::Key_PageUp);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:1"));
    s.key(Qt::Key_End);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:4"));
    QCOMPARE(s.name(), QStringLiteral("Стоев"));
    s.key(Qt::Key_Home);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:1"));
    s.key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:4"));
    s.key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:1"));
    s.key(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:4"));
    s.key(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:1"));
    // Ctrl with Shift (or Alt) counts as no Ctrl.
    s.key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:2"));
    s.key(Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:3"));
    s.key(Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:2"));
    // Keys sent to the screen itself work as well, each handled once.
    QTest::keyClick(&s.w, Qt::Key_Down);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:3"));
    // Other keys do nothing.
    s.key(Qt::Key_Left);
    s.key(Qt::Key_F2);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:3"));
    QVERIFY(s.w.isVisible());
}

void TestPassWord::endsBeepOnlyWithRecords()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    MessageCapture cap;
    s.key(Qt::Key_Up); // before the first: beep, stays on the first
    QCOMPARE(cap.beeps, 1);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:1"));
    s.key(Qt::Key_End); // the move to the last record beeps on this screen
    QCOMPARE(cap.beeps, 2);
    s.key(Qt::Key_Down); // past the last: one beep, stays
    QCOMPARE(cap.beeps, 3);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:4"));
    s.btn("cmdFirst")->click();
    QCOMPARE(cap.beeps, 4);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:1"));
    s.btn("cmdNext")->click();
    QCOMPARE(cap.beeps, 4);
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:2"));

    TestDb empty;
    Screen e;
    cap.clear();
    e.key(Qt::Key_Down);
    e.key(Qt::Key_Up);
    e.btn("cmdNext")->click();
    e.btn("cmdPrevious")->click();
    QCOMPARE(cap.beeps, 0);
    QVERIFY(cap.shown.isEmpty());
}

void TestPassWord::addSaveLeavesNewRecordCurrent()
{
    TestDb db;
    seedUsers(db);
    gUserVid = QStringLiteral("A"); // an administrator adds one
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd")->click();
    QCOMPARE(s.status(), QStringLiteral(" Нов потребител"));
    QVERIFY(!s.browsing());
    QVERIFY(s.btn("cmdUpdate")->isVisible());
    QVERIFY(s.btn("cmdCancel")->isVisible());
    QVERIFY(!s.btn("cmdClose")->isVisible());
    QVERIFY(!s.btn("cmdFirst")->isEnabled());
    QVERIFY(s.name().isEmpty());
    QVERIFY(!s.box(0)->isReadOnly());
    typeText(s.box(0), QStringLiteral("Алекс"));
    typeText(s.box(1), QStringLiteral("тайна"));
    typeText(s.box(2), QStringLiteral("A"));
    s.btn("cmdUpdate")->click();
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(s.browsing());
    QCOMPARE(s.name(), QStringLiteral("Алекс"));
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:5"));
    QCOMPARE(db.scalar("SELECT Password FROM Users WHERE Ime='Алекс'").toString(), QStringLiteral("тайна"));
    QCOMPARE(db.count("Users"), 6);
    // A correction writes that one row only.
    s.key(Qt::Key_Home);
    s.btn("cmdEdit")->click();
    QCOMPARE(s.status(), QStringLiteral(" Корекция на потребител"));
    s.box(1)->clear();
    typeText(s.box(1), QStringLiteral("нова"));
    s.btn("cmdUpdate")->click();
    QVERIFY(s.browsing());
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:1"));
    QCOMPARE(db.scalar("SELECT Password FROM Users WHERE Ime='Иванов'").toString(), QStringLiteral("нова"));
    QCOMPARE(db.scalar("SELECT Password FROM Users WHERE Ime='Алекс'").toString(), QStringLiteral("тайна"));
}

void TestPassWord::addCancelReturnsToRememberedRecord()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    MessageCapture cap;
    s.key(Qt::Key_Down);
    s.key(Qt::Key_Down);
    QCOMPARE(s.name(), QStringLiteral("Д'Арк"));
    s.btn("cmdAdd")->click();
    typeText(s.box(0), QStringLiteral("Временен"));
    s.btn("cmdCancel")->click();
    QVERIFY(s.browsing());
    QCOMPARE(s.name(), QStringLiteral("Д'Арк"));
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:3"));
    QCOMPARE(db.count("Users"), 5);
    QCOMPARE(s.w.form()->recordset().recordCount(), 4);

    // With no record before "Добави", cancel shows the first record (there is none).
    TestDb empty;
    Screen e;
    e.btn("cmdAdd")->click();
    typeText(e.box(0), QStringLiteral("X"));
    e.btn("cmdCancel")->click();
    QVERIFY(e.browsing());
    QVERIFY(e.name().isEmpty());
    QCOMPARE(empty.count("Users"), 1);
}

void TestPassWord::editCancelStaysOnCorrectedRecord()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    MessageCapture cap;
    s.key(Qt::Key_Down);
    s.btn("cmdAdd")->click(); // remembers record 2
    s.btn("cmdCancel")->click();
    s.key(Qt::Key_End);
    s.btn("cmdEdit")->click();
    s.box(0)->clear();
    typeText(s.box(0), QStringLiteral("Друг"));
    s.btn("cmdCancel")->click();
    QCOMPARE(s.name(), QStringLiteral("Стоев"));
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:4"));
    QCOMPARE(db.scalar("SELECT count(*) FROM Users WHERE Ime='Стоев'").toInt(), 1);
}

void TestPassWord::clickOrTypingStartsEditing()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    MessageCapture cap;
    QTest::mouseClick(s.box(2), Qt::LeftButton);
    QCOMPARE(s.status(), QStringLiteral(" Корекция на потребител"));
    QVERIFY(s.w.form()->isEditing());
    s.btn("cmdCancel")->click();
    QVERIFY(s.browsing());
    // A typed character starts editing too and is not lost.
    s.box(0)->setCursorPosition(s.box(0)->text().size());
    typeText(s.box(0), QStringLiteral("а"));
    QVERIFY(s.w.form()->isEditing());
    QCOMPARE(s.name(), QStringLiteral("Иванова"));
    s.btn("cmdUpdate")->click();
    QCOMPARE(db.scalar("SELECT count(*) FROM Users WHERE Ime='Иванова'").toInt(), 1);
}

void TestPassWord::editingIgnoresKeysAndEsc()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    MessageCapture cap;
    s.btn("cmdEdit")->click();
    s.key(Qt::Key_Down);
    s.key(Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(s.status(), QStringLiteral(" Корекция на потребител"));
    QCOMPARE(s.w.form()->recordset().absolutePosition(), 1);
    s.key(Qt::Key_Escape);
    QTest::keyClick(&s.w, Qt::Key_Escape);
    QVERIFY(s.w.isVisible());
    QVERIFY(s.w.form()->isEditing());
    QCOMPARE(cap.beeps, 0);
}

void TestPassWord::escClosesWhileBrowsing()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    s.key(Qt::Key_Escape);
    QVERIFY(!s.w.isVisible());
}

void TestPassWord::deleteAsksTwiceAndLastRecord()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    MessageCapture cap;
    s.key(Qt::Key_Down);
    // With the focus on "Изтрий", one key asks; no keeps the user.
    s.btn("cmdDelete")->setFocus();
    QTest::keyClick(s.btn("cmdDelete"), Qt::Key_Space);
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.shown.at(0).kind, ShownMessage::Confirm);
    QCOMPARE(cap.shown.at(0).caption, QStringLiteral("Изтриване на запис"));
    QCOMPARE(cap.shown.at(0).text, QStringLiteral("Наистна ли искате да изтриете записа?"));
    QCOMPARE(db.scalar("SELECT count(*) FROM Users WHERE Ime='Петров'").toInt(), 1);
    cap.clear();
    cap.answers = {true, true};
    s.btn("cmdDelete")->click(); // Петров, after both questions
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(cap.shown.at(1).text, QStringLiteral("Ще загубите данните окончателно"));
    QCOMPARE(db.scalar("SELECT count(*) FROM Users WHERE Ime='Петров'").toInt(), 0);
    QCOMPARE(s.name(), QStringLiteral("Д'Арк"));
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:2"));
    s.key(Qt::Key_End);
    cap.answers = {true, true};
    s.btn("cmdDelete")->click(); // the last one: the new last becomes current
    QCOMPARE(s.name(), QStringLiteral("Д'Арк"));
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:2"));
    cap.answers = {true, true, true, true};
    s.btn("cmdDelete")->click();
    s.btn("cmdDelete")->click();
    QVERIFY(s.name().isEmpty());
    QCOMPARE(db.count("Users"), 1); // the administrator stays
    QVERIFY(!s.btn("cmdDelete")->isEnabled());
    QVERIFY(!s.btn("cmdEdit")->isEnabled());
    QCOMPARE(cap.beeps, 9); // one a question, one for End
}

void TestPassWord::emptyRecordsetDisablesEditAndDelete()
{
    TestDb db;
    Screen s;
    MessageCapture cap;
    QVERIFY(!s.btn("cmdEdit")->isEnabled());
    QVERIFY(!s.btn("cmdDelete")->isEnabled());
    QVERIFY(s.btn("cmdAdd")->isEnabled());
    QTest::mouseClick(s.box(0), Qt::LeftButton);
    QVERIFY(s.w.form()->isBrowsing());
    s.btn("cmdAdd")->click();
    typeText(s.box(0), QStringLiteral("Нов"));
    typeText(s.box(1), QStringLiteral("н"));
    typeText(s.box(2), QStringLiteral("C"));
    s.btn("cmdUpdate")->click();
    QVERIFY(s.btn("cmdEdit")->isEnabled());
    QCOMPARE(s.status(), QStringLiteral(" Потребител №:1"));
    QVERIFY(cap.shown.isEmpty());
}

void TestPassWord::failedSaveStaysInEditing()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd")->click();
    typeText(s.box(0), QStringLiteral("Пробен"));
    typeText(s.box(1), QStringLiteral("x"));
    typeText(s.box(2), QStringLiteral("C"));
    // The table is gone under the screen, so the save cannot write.
    db.exec("DROP TABLE Users");
    s.btn("cmdUpdate")->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.shown.first().kind, ShownMessage::Box);
    QVERIFY(!cap.lastText().isEmpty());
    QVERIFY(!cap.lastText().startsWith(QStringLiteral("3001:")));
    QVERIFY(s.w.form()->isAdding());
    QVERIFY(s.btn("cmdUpdate")->isVisible());
    QCOMPARE(s.name(), QStringLiteral("Пробен"));
    QCOMPARE(s.box(1)->text(), QStringLiteral("x"));
    QCOMPARE(s.status(), QStringLiteral(" Нов потребител"));
    QVERIFY(s.w.isVisible());
}

void TestPassWord::failedLoadIsReported()
{
    TestDb db;
    db.conn().execute("DROP TABLE Users");
    MessageCapture cap;
    PassWord w;
    QVERIFY(!w.load());
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.shown.first().kind, ShownMessage::Box);
}

void TestPassWord::savesNamesAndPasswordsAsTyped()
{
    TestDb db;
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd")->click();
    typeText(s.box(0), QStringLiteral(" Иван "));
    typeText(s.box(1), QStringLiteral(" п "));
    typeText(s.box(2), QStringLiteral("C"));
    s.btn("cmdUpdate")->click();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(db.scalar("SELECT Ime FROM Users WHERE Vid='C'").toString(), QStringLiteral(" Иван "));
    QCOMPARE(db.scalar("SELECT Password FROM Users WHERE Vid='C'").toString(), QStringLiteral(" п "));
    QCOMPARE(CheckUser(QStringLiteral(" п "), QStringLiteral(" Иван ")), QStringLiteral("C"));
    QCOMPARE(CheckUser(QStringLiteral("п"), QStringLiteral(" Иван ")), QString());
    s.btn("cmdAdd")->click();
    typeText(s.box(0), QStringLiteral(" Иван "));
    typeText(s.box(1), QStringLiteral("x"));
    typeText(s.box(2), QStringLiteral("D"));
    s.btn("cmdUpdate")->click(); // a repeated name is stored as well
    QCOMPARE(db.scalar("SELECT count(*) FROM Users WHERE Ime=' Иван '").toInt(), 2);
    QCOMPARE(s.w.form()->recordset().recordCount(), 2);
}

void TestPassWord::blankNameOrPasswordIsRefused()
{
    TestDb db;
    seedUsers(db);
    Screen s;
    MessageCapture cap;
    const auto refusal = [&](const char *first, const char *second) {
        return cap.shown.size() == 1 && cap.shown.at(0).kind == ShownMessage::Info
            && cap.lastCaption() == QStringLiteral("ГРЕШКА при запис!")
            && cap.lastText() == QString::fromUtf8(first) + QLatin1Char('\r') + QString::fromUtf8(second);
    };
    s.btn("cmdAdd")->click();
    s.btn("cmdUpdate")->click(); // both boxes empty
    QVERIFY2(refusal("Няма въведено име на потребителя!", "Моля, въведете име на потребителя!"),
             qPrintable(cap.lastText()));
    QVERIFY(s.w.form()->isAdding());
    QCOMPARE(s.w.focusWidget(), static_cast<QWidget *>(s.box(0)));
    cap.clear();
    typeText(s.box(0), QStringLiteral("   "));
    typeText(s.box(1), QStringLiteral("x"));
    s.btn("cmdUpdate")->click(); // a name of spaces
    QVERIFY(refusal("Няма въведено име на потребителя!", "Моля, въведете име на потребителя!"));
    cap.clear();
    s.box(0)->clear();
    typeText(s.box(0), QStringLiteral("Нов"));
    s.box(1)->clear();
    typeText(s.box(1), QStringLiteral("  "));
    s.btn("cmdUpdate")->click(); // a password of spaces
    QVERIFY(refusal("Няма въведена парола на потребителя!", "Моля, въведете парола на потребителя!"));
    QCOMPARE(s.w.focusWidget(), static_cast<QWidget *>(s.box(1)));
    QCOMPARE(s.box(1)->selectedText(), QStringLiteral("  "));
    QCOMPARE(db.count("Users"), 5);
    QCOMPARE(s.name(), QStringLiteral("Нов")); // typed values kept
    // A correction that empties the password is refused the same way.
    s.btn("cmdCancel")->click();
    s.btn("cmdEdit")->click();
    s.box(1)->clear();
    cap.clear();
    s.btn("cmdUpdate")->click();
    QVERIFY(refusal("Няма въведена парола на потребителя!", "Моля, въведете парола на потребителя!"));
    QCOMPARE(db.scalar("SELECT Password FROM Users WHERE Ime='Иванов'").toString(), QStringLiteral("p2"));
}

void TestPassWord::kindIsOneLetterAndOnlyAdministratorGivesA()
{
    TestDb db;
    seedUsers(db);
    gUserVid = QStringLiteral("B");
    Screen s;
    MessageCapture cap;
    s.btn("cmdAdd")->click();
    typeText(s.box(0), QStringLiteral("Нов"));
    typeText(s.box(1), QStringLiteral("н"));
    typeText(s.box(2), QStringLiteral("BC"));
    QCOMPARE(s.box(2)->text(), QStringLiteral("B"));
    s.btn("cmdUpdate")->click();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(db.scalar("SELECT Vid FROM Users WHERE Ime='Нов'").toString(), QStringLiteral("B"));
    // The Cyrillic letter of a Bulgarian keyboard means the Latin one it shows.
    s.btn("cmdEdit")->click();
    s.box(2)->clear();
    typeText(s.box(2), QStringLiteral("в"));
    s.btn("cmdUpdate")->click();
    QCOMPARE(db.scalar("SELECT Vid FROM Users WHERE Ime='Нов'").toString(), QStringLiteral("B"));

    // A full user gives no one "A", themself included.
    const QString noA = QStringLiteral("Само администратор дава вид достъп A!") + QLatin1Char('\r')
        + QStringLiteral("Моля, въведете друг вид достъп на потребителя!");
    for (const QString &a : {QStringLiteral("A"), QStringLiteral("а")}) {
        s.key(Qt::Key_Home); // Иванов, kind B
        s.btn("cmdEdit")->click();
        s.box(2)->clear();
        typeText(s.box(2), a);
        cap.clear();
        s.btn("cmdUpdate")->click();
        QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
        QCOMPARE(cap.lastText(), noA);
        QVERIFY(s.w.form()->isEditing());
        s.btn("cmdCancel")->click();
    }
    QCOMPARE(db.scalar("SELECT count(*) FROM Users WHERE Vid='A'").toInt(), 1);
    // A kind of two letters stored elsewhere is shown whole and refused.
    db.exec("UPDATE Users SET Vid='EF' WHERE Ime='Стоев'");
    Screen t;
    t.key(Qt::Key_End);
    QCOMPARE(t.box(2)->text(), QStringLiteral("EF"));
    t.btn("cmdEdit")->click();
    cap.clear();
    t.btn("cmdUpdate")->click();
    QCOMPARE(cap.lastText(), QStringLiteral("Вид достъп е повече от една буква!") + QLatin1Char('\r')
                                 + QStringLiteral("Моля, въведете една буква за вид достъп!"));
    // An administrator does give "A".
    gUserVid = QStringLiteral("A");
    t.box(2)->clear();
    typeText(t.box(2), QStringLiteral("A"));
    cap.clear();
    t.btn("cmdUpdate")->click();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(db.scalar("SELECT Vid FROM Users WHERE Ime='Стоев'").toString(), QStringLiteral("A"));
}

// Blank is white space of any kind, as at sign-in: a name or password of a tab
// (pasted) or a non-breaking space never signs in; a kind is one letter.
void TestPassWord::whiteSpaceAndKindsNotALetterAreRefused()
{
    TestDb db;
    Screen s;
    MessageCapture cap;
    const QString noName = QStringLiteral("Няма въведено име на потребителя!\rМоля, въведете име на потребителя!");
    const QString noPassword
        = QStringLiteral("Няма въведена парола на потребителя!\rМоля, въведете парола на потребителя!");
    const QString oneLetter = QStringLiteral("\rМоля, въведете една буква за вид достъп!");
    struct Case {
        QString name, password, kind, refusal;
    };
    const QString tab = QStringLiteral("\t"), nbsp = QStringLiteral("\u00a0");
    const Case cases[] = {
        {tab, QStringLiteral("п"), QStringLiteral("C"), noName},
        {nbsp, QStringLiteral("п"), QStringLiteral("C"), noName},
        {QStringLiteral("Нов"), tab, QStringLiteral("C"), noPassword},
        {QStringLiteral("Нов"), nbsp + QStringLiteral(" "), QStringLiteral("C"), noPassword},
        {QStringLiteral("Нов"), QStringLiteral("п"), QStringLiteral("1"), QStringLiteral("Вид достъп не е буква!") + oneLetter},
        {QStringLiteral("Нов"), QStringLiteral("п"), QStringLiteral("*"), QStringLiteral("Вид достъп не е буква!") + oneLetter},
        {QStringLiteral("Нов"), QStringLiteral("п"), QString(), QStringLiteral("Няма въведен вид достъп!") + oneLetter},
    };
    s.btn("cmdAdd")->click();
    for (const Case &c : cases) {
        for (int i = 0; i < 3; ++i)
            s.box(i)->clear();
        s.box(0)->insert(c.name); // as pasted: the Tab key leaves the box
        s.box(1)->insert(c.password);
        typeText(s.box(2), c.kind);
        cap.clear();
        s.btn("cmdUpdate")->click();
        QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
        QCOMPARE(cap.lastText(), c.refusal);
        QVERIFY(s.w.form()->isAdding());
    }
    QCOMPARE(db.count("Users"), 1);
    // A Cyrillic letter is a kind too.
    s.box(2)->clear();
    typeText(s.box(2), QStringLiteral("д"));
    cap.clear();
    s.btn("cmdUpdate")->click();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(db.scalar("SELECT Vid FROM Users WHERE Ime='Нов'").toString(), QStringLiteral("Д"));
}

void TestPassWord::answeredBoxNeverOwnsTheScreen()
{
    TestDb db;
    seedUsers(db);
    Watchdog dog(20);
    QWidget main;
    main.resize(500, 400);
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    BoxWatch watch; // refuses every question
    Dialog &box = Dialog::instance();
    QVERIFY(!Dialog::ask(QString(), QStringLiteral("Въпрос")));
    QVERIFY(!box.isVisible());
    // The answered box's activation arrives after it hid.
    QApplication::setActiveWindow(&box);
    QCOMPARE(QApplication::activeWindow(), static_cast<QWidget *>(&box));

    QWidget *opener = nullptr;
    QTimer::singleShot(0, [&] {
        auto *w = qobject_cast<PassWord *>(QApplication::activeModalWidget());
        QVERIFY(w);
        opener = w->parentWidget();
        w->form()->button(QStringLiteral("cmdDelete"))->click(); // a question over the screen
        DiaInf::show(QStringLiteral("Съобщение")); // then a message
        w->close();
    });
    showPassWord();
    QCOMPARE(opener, &main);
    QCOMPARE(watch.seen.size(), 3);
    QCOMPARE(watch.seen.at(1).second, QStringLiteral("Наистна ли искате да изтриете записа?"));

    // A window made over the box (as screens were) gets no question that would
    // make the box its owner's owner.
    QDialog over(&box);
    over.setModal(true);
    over.show();
    QVERIFY(!Dialog::ask(QString(), QStringLiteral("Въпрос над прозореца")));
    DiaInf::show(QStringLiteral("Съобщение"));
    QCOMPARE(watch.seen.size(), 5);
    QCOMPARE(db.count("Users"), 5);
}

QTEST_MAIN(TestPassWord)
#include "test_password.moc"
