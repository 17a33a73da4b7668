#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "shell/companydata.h"
#include "testdb.h"
#include "typing.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace kelm;

namespace {
void setRow(TestDb &db, const QStringList &v)
{
    db.exec(QStringLiteral("UPDATE KelmCfg SET UserName=?, UserAdres=?, UserMOL=?, UserBULSTAT=?, UserDanN=?, "
                           "UserEmail=?, UserCity=?, UserCountry=?, UserTel=?, UserGSM=?, UserURL=?"),
            {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]});
}

const QStringList kStored = {QStringLiteral("  Д'Арк ООД "), QStringLiteral(" ул. Шипка 5"), QStringLiteral(""),
                             QStringLiteral("   "),         QStringLiteral(" 123 "),      QStringLiteral("a@b.bg"),
                             QStringLiteral("София "),      QString(),                   QStringLiteral(" 02 111"),
                             QStringLiteral("0888 "),       QStringLiteral("")};

QString field(TestDb &db, const char *name)
{
    return db.scalar(QStringLiteral("SELECT %1 FROM KelmCfg").arg(QLatin1String(name))).toString();
}

void closePersonal()
{
    // "Отказ": whatever a test left typed goes unasked.
    if (Personal::instance())
        Personal::instance()->cmdCancel->click();
    QTRY_VERIFY(!Personal::instance());
}
} // namespace

class TestCompanyData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void loadTrimsAndFillsOptionalWithSpace();
    void loadWithoutRowSaysSoAndFails();
    void personalWithoutRowClosesItselfOnly();
    void personalShowsTrimmedValuesOnce();
    void okValidatesEverythingBeforeChangingAnything();
    void okWritesTrimmedRowAndTellsTheTitle();
    void failedSaveChangesNothingAndStays();
    void cancelWritesNothing();
    void closingWithTypedValuesAsks();
};

void TestCompanyData::cleanup()
{
    closePersonal();
    setCompanyChangedHandler(nullptr);
}

void TestCompanyData::loadTrimsAndFillsOptionalWithSpace()
{
    TestDb db;
    setRow(db, kStored);
    db.exec(QStringLiteral("UPDATE KelmCfg SET UserCountry=NULL"));
    QVERIFY(LoadCompanyData());
    QCOMPARE(gFirmName, QStringLiteral("Д'Арк ООД"));
    QCOMPARE(gFirmAddress, QStringLiteral("ул. Шипка 5"));
    QCOMPARE(gFirmMOL, QStringLiteral(" "));
    QCOMPARE(gFirmBulstat, QStringLiteral(" "));
    QCOMPARE(gFirmTaxNo, QStringLiteral("123"));
    QCOMPARE(gFirmEmail, QStringLiteral("a@b.bg"));
    QCOMPARE(gFirmCity, QStringLiteral("София"));
    QCOMPARE(gFirmCountry, QStringLiteral(" "));
    QCOMPARE(gFirmTel, QStringLiteral("02 111"));
    QCOMPARE(gFirmGSM, QStringLiteral("0888"));
    QCOMPARE(gFirmURL, QStringLiteral(" "));
}

void TestCompanyData::loadWithoutRowSaysSoAndFails()
{
    TestDb db;
    db.exec(QStringLiteral("DELETE FROM KelmCfg"));
    MessageCapture cap;
    QVERIFY(!LoadCompanyData());
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), QStringLiteral("Липсват данни!\rИзлизам от програмата!"));
    QCOMPARE(cap.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(cap.shown.last().kind, ShownMessage::Box);
    QCOMPARE(cap.shown.last().icon, BoxIcon::Exclamation);
}

void TestCompanyData::personalWithoutRowClosesItselfOnly()
{
    TestDb db;
    db.exec(QStringLiteral("DELETE FROM KelmCfg"));
    MessageCapture cap;
    showPersonal();
    QCOMPARE(cap.lastText(), QStringLiteral("Липсват данни!\rИзлизам от програмата!"));
    QCOMPARE(cap.shown.last().icon, BoxIcon::Exclamation);
    QVERIFY(!Personal::instance());
}

void TestCompanyData::personalShowsTrimmedValuesOnce()
{
    TestDb db;
    setRow(db, kStored);
    gFirmName.clear();
    showPersonal();
    Personal *p = Personal::instance();
    QVERIFY(p);
    QVERIFY(p->isVisible());
    QVERIFY(!p->isModal());
    QCOMPARE(p->windowTitle(), QStringLiteral(" Инициализация"));
    QCOMPARE(p->findChild<QGroupBox *>()->title(), QStringLiteral("Данни за фирмата "));
    QCOMPARE(p->findChild<QLineEdit *>(QStringLiteral("txtFirmaName"))->text(), QStringLiteral("Д'Арк ООД"));
    QCOMPARE(p->findChild<QLineEdit *>(QStringLiteral("txtFirmaMOL"))->text(), QStringLiteral(" "));
    QCOMPARE(p->findChild<QLineEdit *>(QStringLiteral("txtFirmaFax"))->text(), QStringLiteral("0888"));
    QCOMPARE(gFirmName, QStringLiteral("Д'Арк ООД"));
    QCOMPARE(gFirmCity, QStringLiteral("София"));
    // Required boxes stand out; optional ones keep the usual colours.
    QCOMPARE(p->txtFirmaTel->palette().color(QPalette::Base), QColor(255, 255, 128));
    QCOMPARE(p->txtFirmaTel->palette().color(QPalette::Text), QColor(0, 0, 128));
    QVERIFY(p->txtFirmaURL->palette().color(QPalette::Base) != QColor(255, 255, 128));
    QCOMPARE(p->focusWidget(), static_cast<QWidget *>(p->OKButton));
    QCOMPARE(p->OKButton->nextInFocusChain(), static_cast<QWidget *>(p->txtFirmaName));

    showPersonal();
    QCOMPARE(Personal::instance(), p);
    int windows = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows += qobject_cast<Personal *>(w) != nullptr;
    QCOMPARE(windows, 1);
}

void TestCompanyData::okValidatesEverythingBeforeChangingAnything()
{
    TestDb db;
    setRow(db, kStored);
    showPersonal();
    Personal *p = Personal::instance();
    int changed = 0;
    setCompanyChangedHandler([&] { ++changed; });
    MessageCapture cap;

    p->txtFirmaName->clear();
    p->txtFirmaAdres->setText(QStringLiteral("   "));
    p->OKButton->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("   ВНИМАНИЕ!"));
    QCOMPARE(cap.shown.last().icon, BoxIcon::Critical);
    QCOMPARE(cap.lastText(),
             QStringLiteral("Името на фирмата не е въведено!\r\n\r\nМоля, въведете името на фирмата!"));

    // Name and address pass, the city does not: nothing changes, not even the name.
    cap.clear();
    p->txtFirmaName->setText(QStringLiteral("Нова фирма"));
    p->txtFirmaAdres->setText(QStringLiteral("Нов адрес"));
    p->txtFirmaCity->clear();
    p->OKButton->click();
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(cap.lastText().startsWith(QStringLiteral("Населеното място на фирмата не е въведено!")));
    QCOMPARE(gFirmName, QStringLiteral("Д'Арк ООД"));
    QCOMPARE(gFirmAddress, QStringLiteral("ул. Шипка 5"));
    QCOMPARE(field(db, "UserName"), kStored[0]);

    cap.clear();
    p->txtFirmaCity->setText(QStringLiteral("Варна"));
    p->txtFirmaTel->setText(QStringLiteral(" "));
    p->OKButton->click();
    QVERIFY(cap.lastText().startsWith(QStringLiteral("Телефона на фирмата не е въведен!")));
    cap.clear();
    p->txtFirmaTel->setText(QStringLiteral("052"));
    p->txtFirmaFax->clear();
    p->OKButton->click();
    QCOMPARE(cap.lastText(), QStringLiteral("Номера на факса на фирмата не е въведен!\r\n\r\n"
                                            "Моля, въведете номера на факса на фирмата!"));
    QCOMPARE(gFirmCity, QStringLiteral("София"));
    QCOMPARE(field(db, "UserCity"), kStored[6]);
    QCOMPARE(changed, 0);
    QVERIFY(p->isVisible());
    QCOMPARE(p->txtFirmaName->text(), QStringLiteral("Нова фирма"));
}

void TestCompanyData::okWritesTrimmedRowAndTellsTheTitle()
{
    TestDb db;
    setRow(db, kStored);
    showPersonal();
    Personal *p = Personal::instance();
    QString titleName;
    int changed = 0;
    setCompanyChangedHandler([&] {
        ++changed;
        titleName = gFirmName;
    });
    MessageCapture cap;
    p->txtFirmaName->clear();
    typeText(p->txtFirmaName, QStringLiteral("  Нова \"Фирма\" ООД  "));
    p->txtFirmaMOL->setText(QStringLiteral("  "));
    p->txtFirmaCountry->setText(QStringLiteral(" България "));
    p->OKButton->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(field(db, "UserName"), QStringLiteral("Нова \"Фирма\" ООД"));
    QCOMPARE(field(db, "UserAdres"), QStringLiteral("ул. Шипка 5"));
    QCOMPARE(field(db, "UserMOL"), QStringLiteral(" "));
    QCOMPARE(field(db, "UserCountry"), QStringLiteral("България"));
    QCOMPARE(field(db, "UserURL"), QStringLiteral(" "));
    QCOMPARE(field(db, "UserGSM"), QStringLiteral("0888"));
    QCOMPARE(db.count(QStringLiteral("KelmCfg")), 1);
    QCOMPARE(gFirmName, QStringLiteral("Нова \"Фирма\" ООД"));
    QCOMPARE(gFirmCountry, QStringLiteral("България"));
    QCOMPARE(changed, 1);
    QCOMPARE(titleName, QStringLiteral("Нова \"Фирма\" ООД"));
    QTRY_VERIFY(!Personal::instance());
}

void TestCompanyData::failedSaveChangesNothingAndStays()
{
    TestDb db;
    setRow(db, kStored);
    QVERIFY(LoadCompanyData());
    // The database refuses the write half-way (a field that fails after others passed).
    db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE OF UserURL ON KelmCfg "
                           "WHEN NEW.UserURL = 'bad' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    showPersonal();
    Personal *p = Personal::instance();
    int changed = 0;
    setCompanyChangedHandler([&] { ++changed; });
    MessageCapture cap;
    p->txtFirmaName->setText(QStringLiteral("Друго име"));
    p->txtFirmaURL->setText(QStringLiteral("bad"));
    p->OKButton->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(cap.lastText().contains(QStringLiteral("Записът не отговаря на ограниченията")));
    QCOMPARE(field(db, "UserName"), kStored[0]);
    QCOMPARE(gFirmName, QStringLiteral("Д'Арк ООД"));
    QCOMPARE(changed, 0);
    QVERIFY(Personal::instance());
    QCOMPARE(p->txtFirmaName->text(), QStringLiteral("Друго име"));

    // Mended, the same window saves.
    cap.clear();
    p->txtFirmaURL->setText(QStringLiteral("www.firma.bg"));
    p->OKButton->click();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(field(db, "UserName"), QStringLiteral("Друго име"));
    QCOMPARE(field(db, "UserURL"), QStringLiteral("www.firma.bg"));
    QCOMPARE(changed, 1);
}

void TestCompanyData::cancelWritesNothing()
{
    TestDb db;
    setRow(db, kStored);
    showPersonal();
    Personal *p = Personal::instance();
    p->txtFirmaName->setText(QStringLiteral("Друго"));
    p->cmdCancel->click();
    QTRY_VERIFY(!Personal::instance());
    QCOMPARE(field(db, "UserName"), kStored[0]);
    QCOMPARE(gFirmName, QStringLiteral("Д'Арк ООД"));

    // Esc closes it as well.
    showPersonal();
    QVERIFY(Personal::instance());
    QTest::keyClick(Personal::instance(), Qt::Key_Escape);
    QTRY_VERIFY(!Personal::instance());
}

// Esc, the close box or a close from outside ask before a typed change is lost;
// Enter keeps the window.
void TestCompanyData::closingWithTypedValuesAsks()
{
    TestDb db;
    setRow(db, kStored);
    showPersonal();
    Personal *p = Personal::instance();
    MessageCapture cap;
    p->txtFirmaCity->clear();
    typeText(p->txtFirmaCity, QStringLiteral("Варна"));
    QTest::keyClick(p->txtFirmaCity, Qt::Key_Escape);
    p->close();
    QCOMPARE(cap.shown.size(), 2);
    for (const ShownMessage &m : cap.shown) {
        QCOMPARE(m.kind, ShownMessage::Confirm);
        QCOMPARE(m.caption, QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(m.text, joinLines({QStringLiteral("Данните за фирмата не са записани!"),
                                    QStringLiteral("При затваряне те ще бъдат загубени."),
                                    QStringLiteral("Да затворя ли без запис?")}));
    }
    QVERIFY(p->isVisible());
    QCOMPARE(p->txtFirmaCity->text(), QStringLiteral("Варна"));
    cap.answers = {true};
    p->close();
    QTRY_VERIFY(!Personal::instance());
    QCOMPARE(field(db, "UserCity"), kStored[6]);
    QCOMPARE(cap.shown.size(), 3);
}

QTEST_MAIN(TestCompanyData)
#include "test_companydata.moc"
