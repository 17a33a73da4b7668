#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "shell/userlogin.h"
#include "layoutcheck.h"
#include "testdb.h"
#include "typing.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace kelm;

namespace {
const QString kWrong = QStringLiteral("Парола е невалидна! ") + QLatin1Char('\r') + QStringLiteral("Опитайте отново! ");

void addUser(TestDb &db, const QString &name, const QString &pw, const QVariant &vid)
{
    db.exec(QStringLiteral("INSERT INTO Users (Ime, Password, Vid) VALUES (?, ?, ?)"), {name, pw, vid});
}
} // namespace

class TestUserLogin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void checkUserIsExact();
    void checkUserLastMatchWins();
    void checkUserEmptyTable();
    void blankNameNeverSignsIn();
    void blankStoredPasswordNeverSignsIn();
    void controlNamesTextsAndTips();
    void pickListListsOnlyRestrictedUsers();
    void choosingFromListFillsNameBox();
    void fullUserTypesNameAndSignsIn();
    void enterIsOkEscIsExit();
    void wrongPasswordStaysAndSelectsName();
    void missingDatabaseIsReportedNotFatal();
    void runUserLoginModal();
};

void TestUserLogin::init()
{
    gLoginOK = false;
    gUserVid.clear();
}

void TestUserLogin::checkUserIsExact()
{
    TestDb db;
    addUser(db, QStringLiteral("Иван"), QStringLiteral("Тайна1"), QStringLiteral("C"));
    MessageCapture cap;
    QCOMPARE(CheckUser(QStringLiteral("Тайна1"), QStringLiteral("Иван")), QStringLiteral("C"));
    QVERIFY(gLoginOK);
    QCOMPARE(CheckUser(QStringLiteral("тайна1"), QStringLiteral("Иван")), QString());
    QVERIFY(!gLoginOK);
    QCOMPARE(CheckUser(QStringLiteral("Тайна1"), QStringLiteral("иван")), QString());
    QVERIFY(!gLoginOK);
    QCOMPARE(CheckUser(QStringLiteral("Тайна1"), QStringLiteral("Иван ")), QString());
    QCOMPARE(CheckUser(QStringLiteral("Тайна1 "), QStringLiteral("Иван")), QString());
    QCOMPARE(CheckUser(QStringLiteral("Тайна1"), QStringLiteral(" Иван")), QString());
    QCOMPARE(CheckUser(QStringLiteral("admin"), QStringLiteral("admin")), QStringLiteral("A"));
    // A password of one user with another user's name is no match.
    QCOMPARE(CheckUser(QStringLiteral("admin"), QStringLiteral("Иван")), QString());
    QVERIFY(!gLoginOK);
    QVERIFY(cap.shown.isEmpty());
}

void TestUserLogin::checkUserLastMatchWins()
{
    TestDb db;
    addUser(db, QStringLiteral("Мария"), QStringLiteral("x"), QStringLiteral("C"));
    addUser(db, QStringLiteral("Ана"), QStringLiteral("x"), QStringLiteral("D"));
    addUser(db, QStringLiteral("Мария"), QStringLiteral("x"), QStringLiteral("B"));
    addUser(db, QStringLiteral("Яна"), QStringLiteral("x"), QStringLiteral("E"));
    QCOMPARE(CheckUser(QStringLiteral("x"), QStringLiteral("Мария")), QStringLiteral("B"));
    QVERIFY(gLoginOK);
    // A later non-matching row does not undo a match.
    QCOMPARE(CheckUser(QStringLiteral("x"), QStringLiteral("Ана")), QStringLiteral("D"));
    QVERIFY(gLoginOK);
}

void TestUserLogin::checkUserEmptyTable()
{
    TestDb db;
    db.exec(QStringLiteral("DELETE FROM Users"));
    MessageCapture cap;
    gLoginOK = true;
    QCOMPARE(CheckUser(QStringLiteral("admin"), QStringLiteral("admin")), QString());
    QVERIFY(!gLoginOK);
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), QStringLiteral("Постави въвеждане на администратор"));
    QCOMPARE(cap.lastCaption(), QStringLiteral("Тревалон"));
    QCOMPARE(cap.shown.at(0).kind, ShownMessage::Box);

    // Through the dialog: the empty-table notice, then the wrong-password message.
    UserLogin dlg;
    dlg.show();
    cap.clear();
    dlg.cmdOK->click();
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(cap.shown.at(1).text, kWrong);
    QVERIFY(dlg.isVisible());
    QVERIFY(!dlg.OK);
}

void TestUserLogin::blankNameNeverSignsIn()
{
    TestDb db;
    // Rows an earlier version let in: no name, or a name of spaces.
    addUser(db, QString(), QString(), QStringLiteral("B"));
    addUser(db, QStringLiteral("  "), QStringLiteral("x"), QStringLiteral("C"));
    UserLogin dlg;
    dlg.show();
    MessageCapture cap;
    dlg.cmdOK->click(); // both boxes empty
    QCOMPARE(cap.lastText(), kWrong);
    QVERIFY(!dlg.OK);
    QVERIFY(!gLoginOK);
    typeText(dlg.txtUserName, QStringLiteral("  "));
    typeText(dlg.txtPassword, QStringLiteral("x"));
    cap.clear();
    dlg.cmdOK->click();
    QCOMPARE(cap.lastText(), kWrong);
    QVERIFY(!dlg.OK);
    QVERIFY(gUserVid.isEmpty());
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.Combo->count(), 0); // nothing blank to pick
}

// Users stored with a blank password by an earlier version: not even the empty
// box lets them in, and they hear whom to ask.
void TestUserLogin::blankStoredPasswordNeverSignsIn()
{
    TestDb db;
    const QString blanks[] = {QString(), QStringLiteral("  "), QStringLiteral("\t"), QStringLiteral("\u00a0")};
    for (const QString &pw : blanks)
        addUser(db, QStringLiteral("Иван"), pw, QStringLiteral("B"));
    db.exec(QStringLiteral("UPDATE Users SET Password='' WHERE Ime='admin'"));
    addUser(db, QStringLiteral("admin"), QStringLiteral("\u00a0"), QStringLiteral("A"));
    const QString askAdmin = QStringLiteral("Потребителят няма парола! ") + QLatin1Char('\r')
        + QStringLiteral("Помолете администратора да ви даде парола! ");
    MessageCapture cap;
    for (const QString &name : {QStringLiteral("Иван"), QStringLiteral("admin")}) {
        for (const QString &pw : blanks) {
            QCOMPARE(CheckUser(pw, name), QString());
            QVERIFY(!gLoginOK);
        }
        UserLogin dlg;
        dlg.show();
        dlg.Combo->setFocus();
        typeText(dlg.Combo->lineEdit(), name);
        cap.clear();
        dlg.cmdOK->click(); // the password box empty
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.lastText(), askAdmin);
        QCOMPARE(cap.lastCaption(), QStringLiteral("Парола"));
        QVERIFY(!dlg.OK);
        QVERIFY(dlg.isVisible());
        QVERIFY(gUserVid.isEmpty());
    }
}

void TestUserLogin::controlNamesTextsAndTips()
{
    TestDb db;
    {
        // In a larger font the captions and buttons still show whole, beside their boxes.
        const QFont normal = QApplication::font();
        QFont big = normal;
        big.setPointSizeF(normal.pointSizeF() * 1.5);
        QApplication::setFont(big);
        UserLogin large;
        large.show();
        checkNoOverlap(&large);
        QApplication::setFont(normal);
    }
    UserLogin dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Парола"));
    const auto labels = dlg.findChildren<QLabel *>(QStringLiteral("lblLabels"));
    QCOMPARE(labels.size(), 2);
    QCOMPARE(dlg.lblLabels[0]->text(), QStringLiteral("Потребител"));
    QCOMPARE(dlg.lblLabels[1]->text(), QStringLiteral("Парола"));
    auto *name = dlg.findChild<QLineEdit *>(QStringLiteral("txtUserName"));
    auto *combo = dlg.findChild<QComboBox *>(QStringLiteral("Combo"));
    auto *pw = dlg.findChild<QLineEdit *>(QStringLiteral("txtPassword"));
    auto *ok = dlg.findChild<QPushButton *>(QStringLiteral("cmdOK"));
    auto *cancel = dlg.findChild<QPushButton *>(QStringLiteral("cmdCancel"));
    QVERIFY(name && combo && pw && ok && cancel);
    QCOMPARE(combo->geometry(), name->geometry());
    QCOMPARE(pw->echoMode(), QLineEdit::Password);
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("Изход"));
    QCOMPARE(name->toolTip(), QStringLiteral("Въведи име на потребител"));
    QCOMPARE(pw->toolTip(), QStringLiteral("Въведи код за достъп"));
    QCOMPARE(ok->toolTip(), QStringLiteral("Потвърждение на въведените данни"));
    QCOMPARE(cancel->toolTip(), QStringLiteral("Отказ от въведените данни"));
    QCOMPARE(dlg.size(), QSize(3750 / 15, 1425 / 15));
}

void TestUserLogin::pickListListsOnlyRestrictedUsers()
{
    TestDb db;
    addUser(db, QStringLiteral("Шеф"), QStringLiteral("1"), QStringLiteral("B"));
    addUser(db, QStringLiteral("Петър"), QStringLiteral("1"), QStringLiteral("C"));
    addUser(db, QStringLiteral("Без вид"), QStringLiteral("1"), QVariant());
    addUser(db, QStringLiteral("Малко а"), QStringLiteral("1"), QStringLiteral("a"));
    UserLogin dlg;
    QStringList items;
    for (int i = 0; i < dlg.Combo->count(); ++i)
        items << dlg.Combo->itemText(i);
    items.sort();
    QCOMPARE(items, (QStringList{QStringLiteral("Малко а"), QStringLiteral("Петър")}));
    QVERIFY(dlg.Combo->currentText().isEmpty());
}

void TestUserLogin::choosingFromListFillsNameBox()
{
    TestDb db;
    addUser(db, QStringLiteral("Петър"), QStringLiteral("п1"), QStringLiteral("C"));
    addUser(db, QStringLiteral("Георги"), QStringLiteral("г1"), QStringLiteral("D"));
    UserLogin dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.Combo->isVisible());
    const int idx = dlg.Combo->findText(QStringLiteral("Георги"));
    QVERIFY(idx >= 0);
    dlg.Combo->showPopup();
    QAbstractItemView *view = dlg.Combo->view();
    QTRY_VERIFY(view->isVisible());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(idx, 0)).center());
    QTRY_VERIFY(!dlg.Combo->isVisible());
    QVERIFY(dlg.txtUserName->isVisible());
    QCOMPARE(dlg.txtUserName->text(), QStringLiteral("Георги"));

    MessageCapture cap;
    dlg.txtPassword->setFocus();
    typeText(dlg.txtPassword, QStringLiteral("г1"));
    dlg.cmdOK->click();
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(dlg.OK);
    QCOMPARE(gUserVid, QStringLiteral("D"));
    QVERIFY(!dlg.isVisible());
}

void TestUserLogin::fullUserTypesNameAndSignsIn()
{
    TestDb db;
    addUser(db, QStringLiteral("Шеф"), QStringLiteral("ш"), QStringLiteral("B"));
    addUser(db, QStringLiteral("Петър"), QStringLiteral("п"), QStringLiteral("C"));
    UserLogin dlg;
    dlg.show();
    QVERIFY(dlg.Combo->findText(QStringLiteral("Шеф")) < 0);
    dlg.Combo->setFocus();
    typeText(dlg.Combo->lineEdit(), QStringLiteral("Шеф"));
    QCOMPARE(dlg.Combo->currentText(), QStringLiteral("Шеф"));
    typeText(dlg.txtPassword, QStringLiteral("ш"));
    MessageCapture cap;
    dlg.cmdOK->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QVERIFY(dlg.OK);
    QCOMPARE(gUserVid, QStringLiteral("B"));
}

void TestUserLogin::enterIsOkEscIsExit()
{
    TestDb db;
    {
        UserLogin dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.Combo->setFocus();
        typeText(dlg.Combo->lineEdit(), QStringLiteral("admin"));
        dlg.txtPassword->setFocus();
        typeText(dlg.txtPassword, QStringLiteral("admin"));
        QCOMPARE(dlg.txtPassword->text(), QStringLiteral("admin"));
        QTest::keyClick(dlg.txtPassword, Qt::Key_Return);
        QVERIFY(dlg.OK);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(gUserVid, QStringLiteral("A"));
    }
    {
        UserLogin dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.txtPassword->setFocus();
        typeText(dlg.txtPassword, QStringLiteral("admin"));
        QTest::keyClick(dlg.txtPassword, Qt::Key_Escape);
        QVERIFY(!dlg.OK);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }
}

void TestUserLogin::wrongPasswordStaysAndSelectsName()
{
    TestDb db;
    UserLogin dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    dlg.Combo->setFocus();
    typeText(dlg.Combo->lineEdit(), QStringLiteral("admin"));
    typeText(dlg.txtPassword, QStringLiteral("Admin"));
    MessageCapture cap;
    dlg.cmdOK->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), kWrong);
    QCOMPARE(cap.lastCaption(), QStringLiteral("Парола"));
    QVERIFY(dlg.isVisible());
    QVERIFY(!dlg.OK);
    QVERIFY(gUserVid.isEmpty());
    QVERIFY(dlg.txtUserName->isVisible());
    QCOMPARE(dlg.focusWidget(), static_cast<QWidget *>(dlg.txtUserName));
    QCOMPARE(dlg.txtUserName->selectedText(), QStringLiteral("admin"));

    // The user types over the selected name and tries again.
    typeText(dlg.txtUserName, QStringLiteral("admin"));
    dlg.txtPassword->clear();
    typeText(dlg.txtPassword, QStringLiteral("admin"));
    cap.clear();
    dlg.cmdOK->click();
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(dlg.OK);
}

void TestUserLogin::missingDatabaseIsReportedNotFatal()
{
    TestDb db;
    QVERIFY(QFile::remove(gDbPath));
    MessageCapture cap;
    UserLogin dlg;
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(cap.lastText().contains(gDbPath));
    QCOMPARE(dlg.Combo->count(), 0);
    dlg.show();
    cap.clear();
    dlg.cmdOK->click();
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(cap.lastText().startsWith(QString::number(ErrFileNotFound) + ":"));
    QVERIFY(!dlg.OK);
    QVERIFY(dlg.isVisible());
    dlg.cmdCancel->click();
    QVERIFY(!dlg.isVisible());
    QVERIFY(!dlg.OK);
    QVERIFY(!QFile::exists(gDbPath));
}

void TestUserLogin::runUserLoginModal()
{
    TestDb db;
    addUser(db, QStringLiteral("Петър"), QStringLiteral("п"), QStringLiteral("C"));
    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<UserLogin *>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        typeText(dlg->Combo->lineEdit(), QStringLiteral("Петър"));
        typeText(dlg->txtPassword, QStringLiteral("п"));
        dlg->cmdOK->click();
    });
    QVERIFY(runUserLogin());
    QCOMPARE(gUserVid, QStringLiteral("C"));

    QTimer::singleShot(0, [] {
        auto *dlg = qobject_cast<UserLogin *>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        dlg->cmdCancel->click();
    });
    gUserVid.clear();
    QVERIFY(!runUserLogin());
    QVERIFY(gUserVid.isEmpty());
}

QTEST_MAIN(TestUserLogin)
#include "test_userlogin.moc"
