#include "layoutcheck.h"
#include "dialogs/messages.h"
#include "fleet/rowdlist.h"
#include "platform/database.h"
#include "platform/boxlength.h"
#include "platform/dataform.h"
#include "testdb.h"
#include "typing.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QApplication>
#include <QtTest>
#include <functional>

using namespace kelm;

class TestWaybillScreen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void emptyTableOpensReadyToAdd();
    void newSheetWithLegsTotalsAndSave();
    void numberBoxPadsAndRefusesDuplicatesButNotItself();
    void cancelledNewSheetLeavesNoLegsAndSaveIsOpenAgain();
    void legsFollowTheSheetShown();
    void legSaveRefusals();
    void deleteAsksAndTakesTheLegs();
    void renumberedSheetKeepsItsLegs();
    void legsAreWrittenOnlyWithTheirSheet();
    void sheetSaveChecks();
    void newSheetLegsFollowItsNumberAndCloseDropsThem();
    void savedFirstSheetLeavesTheSecondCurrentAndLegCommands();
    void leavingNumberForCommandsWarnsNot();
    void legsSavedWhileViewingAreWritten();
    void refusedLegsPageKeepsTheLegs();
    void noEmptyLegIsWrittenOrCounted();
    void legsTakeTheNormOfTheSavedCar();
    void negativeNumbersAreRefused();
    void closingAsksAboutUnwrittenWork();
    void focusAfterALegsSaveIsOnAdd();
    void deletingALegMakesTheNextOneCurrent();
    void aLegBeingTypedKeepsItsSheet();
    void sheetSaveWaitsForALegBeingTyped();
};

static void seed(TestDb &db)
{
    db.exec(QStringLiteral("INSERT INTO shof (kod, ime) VALUES ('001', 'Иван Д''Арков'), ('002', 'Петър Петров')"));
    db.exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 30, 20, 24), (?, 25, 20, 20)"),
            {QStringLiteral("СА 1234 ВК"), QStringLiteral("РВ 5555 АА")});
}

static void addSheet(TestDb &db, const QString &number, const QString &kola, double sumKm = 0)
{
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, NameDriver, SumKM, SumRazhN, EndKM, ZarM, "
                           "ZarN, CenaN, CenaM) VALUES (?, ?, ?, ?, ?, 1, 0, 0, 0, 0, 0)"),
            {number, QDate(2024, 3, 1), kola, QStringLiteral("Иван Д'Арков"), sumKm});
}

static void addLeg(TestDb &db, const QString &number, double km, double razhN)
{
    db.exec(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, Koef, RazhN) VALUES (?, 'А - Б', ?, 0, 0, ?)"),
            {number, km, razhN});
}

static int legsOf(TestDb &db, const QString &number)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE MarshID=?"), {number}).toInt();
}

// Types one leg into the current (editing) row of the grid.
static void typeLeg(RowdList &w, const QString &route, const QString &km, const QString &ton, const QString &koef)
{
    QAbstractItemModel *m = w.grdMarsh->model();
    const int row = w.legs().currentIndex();
    QVERIFY(m->setData(m->index(row, 0), route));
    QVERIFY(m->setData(m->index(row, 1), km));
    QVERIFY(m->setData(m->index(row, 2), ton));
    QVERIFY(m->setData(m->index(row, 3), koef));
}

// A new sheet with its number, date, driver and car, diesel filled 60.
static void startSheet(RowdList &w, const QString &number, const QString &car)
{
    if (w.sheetForm()->isBrowsing()) // an empty table opens with a new sheet
        w.cmdAddRowd->click();
    w.txtFields[4]->setText(number);
    w.txtFields[0]->setText(QStringLiteral("05.03.2024"));
    w.ComboNameShof->setCurrentIndex(0);
    w.ComboKola->setEditText(car);
    w.txtFields[8]->setText(QStringLiteral("60"));
}

// Types one leg into the current (editing) row and saves it with the legs' "Запиши".
static void saveLeg(RowdList &w, const QString &route, const QString &km, const QString &ton)
{
    typeLeg(w, route, km, ton, QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
}

static QVariant stored(TestDb &db, const char *field, const QString &number)
{
    return db.scalar(QStringLiteral("SELECT %1 FROM RowdList WHERE ListID=?").arg(QLatin1String(field)), {number});
}

static void shot(QWidget &w, const QString &name)
{
    QCoreApplication::processEvents();
    lookAt(w.grab(), qPrintable(QStringLiteral("wb_%1.png").arg(name)));
}

void TestWaybillScreen::emptyTableOpensReadyToAdd()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(w.sheetForm()->isAdding());
    QCOMPARE(w.lblStatusRowd->text(), QStringLiteral("Нов запис"));
    QVERIFY(!w.cmdUpdateRowd->isEnabled());
    QVERIFY(w.cmdCancelRowd->isVisibleTo(&w));
    QVERIFY(!w.cmdAddRowd->isVisibleTo(&w));
    QVERIFY(w.ComboKola->isVisibleTo(&w));
    QVERIFY(!w.txtFields[3]->isVisibleTo(&w));
    QCOMPARE(w.ComboKola->count(), 2);
    QCOMPARE(w.ComboNameShof->count(), 2);
    QCOMPARE(w.windowTitle(), QStringLiteral("Тревалон 2.3.4 - Пътни листи"));
    w.show();
    shot(w, "rowdlist_empty_add");
    // Nothing typed into the new sheet: nothing to ask about.
    w.cmdCloseForm->click();
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(!w.isVisible());
}

void TestWaybillScreen::newSheetWithLegsTotalsAndSave()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000100"), QStringLiteral("РВ 5555 АА"));
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.show();
    QCOMPARE(w.lblStatusRowd->text(), QStringLiteral("Запис № 1"));
    shot(w, "rowdlist_browse");
    w.cmdAddRowd->click();
    QVERIFY(!w.cmdUpdateRowd->isEnabled());
    // Typing stops at the ten characters a number holds: the eleventh is not taken.
    typeText(w.txtFields[4], QStringLiteral("00000001234"));
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000123"));
    w.txtNumber_LostFocus();
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000123"));
    w.txtFields[0]->setText(QStringLiteral("05.03.2024"));
    w.ComboNameShof->setCurrentIndex(w.ComboNameShof->findText(QStringLiteral("Иван Д'Арков")));
    w.ComboKola->setCurrentIndex(w.ComboKola->findText(QStringLiteral("СА 1234 ВК")));
    w.txtFields[8]->setText(QStringLiteral("70,5"));
    w.txtFields[9]->setText(QStringLiteral("2.10"));
    shot(w, "rowdlist_adding");

    w.tbsOptions->setCurrentIndex(1);
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QVERIFY(w.cmdUpdateRowd->isEnabledTo(w.picRowsList0));
    QCOMPARE(w.sheetNumber(), QStringLiteral("0000000123"));
    // No legs yet: the first one is started at once.
    QVERIFY(w.cmdUpdateMarsh->isVisibleTo(&w));
    QCOMPARE(w.lblStatusMarsh->text(), QStringLiteral("Корекция..."));
    typeLeg(w, QStringLiteral("София - Перник"), QStringLiteral("200"), QStringLiteral("10"), QStringLiteral("20"));
    shot(w, "rowdlist_leg_typing");
    w.cmdUpdateMarsh->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    // The legs of a sheet being added are held by the screen until the sheet's save.
    QCOMPARE(w.legs().value(0, QStringLiteral("RazhN")).toDouble(), 81.6);
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
    w.cmdAddMarsh->click();
    typeLeg(w, QStringLiteral("Перник - София"), QStringLiteral("150,5"), QStringLiteral("0"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    // 150.5 km counts as 150 for the norm: 30 * 150 / 100 = 45.0
    QCOMPARE(w.legs().value(1, QStringLiteral("RazhN")).toDouble(), 45.0);
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
    QCOMPARE(w.grdMarsh->model()->rowCount(), 2);
    QCOMPARE(w.lblStatusMarsh->text(), QStringLiteral("Запис № 2"));
    shot(w, "rowdlist_legs");

    w.cmdCloseMarsh->click(); // Изчисли
    QVERIFY(!w.headerPageFlag());
    QCOMPARE(w.txtFields[1]->text(), QStringLiteral("350"));
    QCOMPARE(w.txtFields[6]->text(), QStringLiteral("126,6"));
    QVERIFY(!w.picButtonsMarsh->isVisibleTo(&w));

    w.tbsOptions->setCurrentIndex(0);
    QVERIFY(w.headerPageFlag());
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QVERIFY(w.sheetForm()->isBrowsing());
    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT * FROM RowdList WHERE ListID='0000000123'"));
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.value(QStringLiteral("Data")).toDate(), QDate(2024, 3, 5));
    QCOMPARE(rs.value(QStringLiteral("Kola")).toString(), QStringLiteral("СА 1234 ВК"));
    QCOMPARE(rs.value(QStringLiteral("NameDriver")).toString(), QStringLiteral("Иван Д'Арков"));
    QCOMPARE(rs.value(QStringLiteral("SumKM")).toDouble(), 350.0);
    QCOMPARE(rs.value(QStringLiteral("SumRazhN")).toDouble(), 126.6);
    QCOMPARE(rs.value(QStringLiteral("ZarN")).toDouble(), 70.5);
    QCOMPARE(rs.value(QStringLiteral("CenaN")).toDouble(), 2.1);
    // Blank boxes are stored as 0.
    QCOMPARE(rs.value(QStringLiteral("EndKM")).toInt(), 0);
    QVERIFY(!rs.value(QStringLiteral("ZarM")).isNull());
    QCOMPARE(rs.value(QStringLiteral("CenaM")).toDouble(), 0.0);
    // Written with the sheet, under its number.
    QCOMPARE(db.scalar(QStringLiteral("SELECT RazhN FROM Marsh WHERE MarshID='0000000123' AND Marshrut='София - Перник'")).toDouble(), 81.6);
    QCOMPARE(db.scalar(QStringLiteral("SELECT RazhN FROM Marsh WHERE Marshrut='Перник - София'")).toDouble(), 45.0);
    QCOMPARE(legsOf(db, QStringLiteral("0000000123")), 2);
    // Previous then next after the save: the new sheet is the last of two, so
    // previous lands on the first and next on the new one again.
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000123"));
    QCOMPARE(w.lblStatusRowd->text(), QStringLiteral("Запис № 2"));
    QVERIFY(w.txtFields[3]->isVisibleTo(&w));
    QVERIFY(!w.ComboKola->isVisibleTo(&w));
    shot(w, "rowdlist_saved");
}

void TestWaybillScreen::numberBoxPadsAndRefusesDuplicatesButNotItself()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000123"), QStringLiteral("СА 1234 ВК"));
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    // Correcting the sheet under its own number is no duplicate.
    w.cmdEditRowd->click();
    QCOMPARE(w.lblStatusRowd->text(), QStringLiteral("Корекция на запис"));
    QCOMPARE(w.ComboKola->currentText(), QStringLiteral("СА 1234 ВК"));
    w.txtNumber_LostFocus();
    QVERIFY(cap.shown.isEmpty());
    w.cmdCancelRowd->click();

    w.cmdAddRowd->click();
    w.txtFields[4]->setText(QStringLiteral("123"));
    w.txtNumber_LostFocus();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("   ГРЕШКА!"));
    QCOMPARE(cap.lastText(), QStringLiteral("Съществува пътен лист със същия номер!\r\rМоля, променете номера и "
                                            "опитайте отново."));
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000123"));
    cap.clear();
    // A blank box is neither padded nor checked.
    w.txtFields[4]->setText(QStringLiteral("   "));
    w.txtNumber_LostFocus();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("   "));
    // Longer than ten characters (a number from elsewhere, put in whole) cannot be stored.
    setWholeText(w.txtFields[4], QStringLiteral("12345678901"));
    w.txtNumber_LostFocus();
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(cap.lastText().startsWith(QStringLiteral("Номерът на пътния лист е по-дълъг от 10 знака!")));
    // Nor can the legs of the existing sheet be opened as the new sheet's.
    cap.clear();
    w.txtFields[4]->setText(QStringLiteral("123"));
    w.ComboKola->setEditText(QStringLiteral("СА 1234 ВК"));
    w.tbsOptions->setCurrentIndex(1);
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(cap.lastText().startsWith(QStringLiteral("Съществува пътен лист със същия номер!")));
    QVERIFY(!w.legs().isOpen());
}

void TestWaybillScreen::cancelledNewSheetLeavesNoLegsAndSaveIsOpenAgain()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"));
    addLeg(db, QStringLiteral("0000000001"), 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.cmdAddRowd->click();
    w.txtFields[4]->setText(QStringLiteral("7"));
    w.ComboKola->setEditText(QStringLiteral("СА 1234 ВК"));
    w.tbsOptions->setCurrentIndex(1);
    typeLeg(w, QStringLiteral("А - Б"), QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    QCOMPARE(w.grdMarsh->model()->rowCount(), 1);
    QCOMPARE(legsOf(db, QStringLiteral("0000000007")), 0);
    w.tbsOptions->setCurrentIndex(0);
    w.cmdCancelRowd->click();
    QVERIFY(w.sheetForm()->isBrowsing());
    QCOMPARE(legsOf(db, QStringLiteral("0000000007")), 0);
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 1);
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000001"));
    // A correction can be saved at once, without opening the legs first.
    QVERIFY(w.cmdUpdateRowd->isEnabled());
    w.cmdEditRowd->click();
    w.txtFields[8]->setText(QStringLiteral("12"));
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar(QStringLiteral("SELECT ZarN FROM RowdList")).toDouble(), 12.0);
}

void TestWaybillScreen::legsFollowTheSheetShown()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"));
    addSheet(db, QStringLiteral("0000000002"), QStringLiteral("РВ 5555 АА"));
    addLeg(db, QStringLiteral("0000000001"), 120, 12.3);
    addLeg(db, QStringLiteral("0000000001"), 80, 7.4);
    addLeg(db, QStringLiteral("0000000002"), 500, 99);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.cmdFirstRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    QCOMPARE(w.grdMarsh->model()->rowCount(), 2);
    w.tbsOptions->setCurrentIndex(0);
    w.cmdNextRowd->click();
    // The legs of the first sheet are gone from the page at once.
    QCOMPARE(w.grdMarsh->model()->rowCount(), 0);
    QVERIFY(!w.picButtonsMarsh->isEnabled());
    w.tbsOptions->setCurrentIndex(1);
    QCOMPARE(w.grdMarsh->model()->rowCount(), 1);
    QCOMPARE(w.sheetNumber(), QStringLiteral("0000000002"));
    w.cmdCloseMarsh->click();
    QCOMPARE(w.txtFields[1]->text(), QStringLiteral("500"));
    // Back on the first sheet: its own totals, 200 and 19.7.
    w.tbsOptions->setCurrentIndex(0);
    w.cmdFirstRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    w.cmdCloseMarsh->click();
    QCOMPARE(w.txtFields[1]->text(), QStringLiteral("200"));
    QCOMPARE(w.txtFields[6]->text(), QStringLiteral("19,7"));
    QVERIFY(cap.shown.isEmpty());
    // Totals shown while browsing are not written by themselves.
    QCOMPARE(db.scalar(QStringLiteral("SELECT SumKM FROM RowdList WHERE ListID='0000000001'")).toDouble(), 0.0);
}

void TestWaybillScreen::legSaveRefusals()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("КОЛА БЕЗ НОРМА"));
    addSheet(db, QStringLiteral("0000000002"), QStringLiteral("СА 1234 ВК"));
    addSheet(db, QStringLiteral("0000000003"), QString());
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    // A sheet without a car: the legs are not loaded.
    w.tbsOptions->setCurrentIndex(1);
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), QStringLiteral("Няма въведен номер на кола в пътния лист!\r\rМоля, въведете номера на колата."));
    QVERIFY(!w.legs().isOpen());
    cap.clear();
    w.tbsOptions->setCurrentIndex(0);
    w.cmdFirstRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    typeLeg(w, QStringLiteral("А - Б"), QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    QCOMPARE(cap.lastText(), QStringLiteral("Колата няма въведена разходната норма!\r\rМоля, въведете разходната "
                                            "норма на колата."));
    QVERIFY(w.cmdUpdateMarsh->isVisibleTo(&w));
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
    cap.clear();

    // The refused leg keeps its sheet until it is cancelled.
    w.cmdCancelMarsh->click();
    w.tbsOptions->setCurrentIndex(0);
    w.cmdNextRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    typeLeg(w, QStringLiteral("А - Б"), QString(), QStringLiteral("0"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    QCOMPARE(cap.lastCaption(), QStringLiteral("   ГРЕШКА!"));
    QVERIFY(cap.lastText().startsWith(QStringLiteral("ГРЕШКА при запис на маршрута!\r\r94:")));
    typeLeg(w, QStringLiteral("А - Б"), QStringLiteral("сто"), QStringLiteral("0"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    QVERIFY(cap.lastText().startsWith(QStringLiteral("ГРЕШКА при запис на маршрута!\r\r13:")));
    typeLeg(w, QStringLiteral("А - Б"), QStringLiteral("40000"), QStringLiteral("0"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    QCOMPARE(cap.lastText(), QStringLiteral("Грешни километри на маршрута: 40000!\r\rМоля, въведете километрите с "
                                            "число от 0 до 32767."));
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
    QVERIFY(w.cmdUpdateMarsh->isVisibleTo(&w));
    // Отказ drops the leg and leaves an empty list.
    w.cmdCancelMarsh->click();
    QCOMPARE(w.grdMarsh->model()->rowCount(), 0);
    QVERIFY(w.cmdAddMarsh->isVisibleTo(&w));
}

void TestWaybillScreen::deleteAsksAndTakesTheLegs()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"));
    addSheet(db, QStringLiteral("0000000002"), QStringLiteral("СА 1234 ВК"));
    addLeg(db, QStringLiteral("0000000002"), 100, 30);
    addLeg(db, QStringLiteral("0000000001"), 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000002"));
    cap.answers = {false};
    w.cmdDeleteRowd->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.shown.last().kind, ShownMessage::Confirm);
    QCOMPARE(cap.lastText(), QStringLiteral("Изтривате информацията за пътния лист!\r\rПотвърдете изтриването на "
                                            "пътния лист!"));
    QCOMPARE(db.count(QStringLiteral("RowdList")), 2);
    cap.answers = {true};
    w.cmdDeleteRowd->click();
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
    QCOMPARE(legsOf(db, QStringLiteral("0000000002")), 0);
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 1);
    // The deleted sheet was the last: the new last one is current.
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000001"));
    QCOMPARE(w.lblStatusRowd->text(), QStringLiteral("Запис № 1"));
    cap.answers = {true};
    w.cmdDeleteRowd->click();
    QCOMPARE(db.count(QStringLiteral("RowdList")), 0);
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
    QCOMPARE(w.txtFields[4]->text(), QString());
    QVERIFY(!w.cmdEditRowd->isEnabled());
}

void TestWaybillScreen::renumberedSheetKeepsItsLegs()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"), 100);
    addLeg(db, QStringLiteral("0000000001"), 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.cmdEditRowd->click();
    w.txtFields[4]->setText(QStringLiteral("55"));
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar(QStringLiteral("SELECT ListID FROM RowdList")).toString(), QStringLiteral("0000000055"));
    QCOMPARE(legsOf(db, QStringLiteral("0000000055")), 1);
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 0);
}

void TestWaybillScreen::legsAreWrittenOnlyWithTheirSheet()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"), 100);
    addLeg(db, QStringLiteral("0000000001"), 100, 30);
    // Legs under a number no sheet carries (what a crash of an older version left).
    addLeg(db, QStringLiteral("0000000050"), 999, 99);
    addLeg(db, QStringLiteral("0000000050"), 888, 88);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.cmdAddRowd->click();
    w.txtFields[4]->setText(QStringLiteral("50"));
    w.txtFields[0]->setText(QStringLiteral("05.03.2024"));
    w.ComboNameShof->setCurrentIndex(0);
    w.ComboKola->setEditText(QStringLiteral("СА 1234 ВК"));
    w.tbsOptions->setCurrentIndex(1);
    // They are not shown as the new sheet's: it starts with a first leg of its own.
    QCOMPARE(w.grdMarsh->model()->rowCount(), 1);
    QVERIFY(w.cmdUpdateMarsh->isVisibleTo(&w));
    typeLeg(w, QStringLiteral("А - Б"), QStringLiteral("200"), QStringLiteral("10"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    w.cmdCloseMarsh->click();
    QCOMPARE(w.txtFields[1]->text(), QStringLiteral("200"));
    QCOMPARE(w.txtFields[6]->text(), QStringLiteral("68"));
    // Another copy of the program takes the number meanwhile: the save is refused
    // and writes nothing; the legs stay held for the next try.
    addSheet(db, QStringLiteral("0000000050"), QStringLiteral("РВ 5555 АА"));
    w.tbsOptions->setCurrentIndex(0);
    w.cmdUpdateRowd->click();
    QCOMPARE(cap.shown.size(), 1);
    QVERIFY(w.sheetForm()->isAdding());
    QCOMPARE(legsOf(db, QStringLiteral("0000000050")), 2);
    db.exec(QStringLiteral("DELETE FROM RowdList WHERE ListID='0000000050'"));
    cap.clear();
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(legsOf(db, QStringLiteral("0000000050")), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT RazhN FROM Marsh WHERE MarshID='0000000050'")).toDouble(), 68.0);

    // A correction's legs: held until its save, gone with its cancel.
    w.cmdFirstRowd->click();
    w.cmdEditRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    QCOMPARE(w.grdMarsh->model()->rowCount(), 1);
    w.cmdAddMarsh->click();
    typeLeg(w, QStringLiteral("Б - В"), QStringLiteral("50"), QStringLiteral("0"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 1);
    w.tbsOptions->setCurrentIndex(0);
    w.cmdCancelRowd->click();
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 1);
    w.cmdEditRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    QCOMPARE(w.grdMarsh->model()->rowCount(), 1);
    w.cmdAddMarsh->click();
    typeLeg(w, QStringLiteral("Б - В"), QStringLiteral("50"), QStringLiteral("0"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    w.cmdCloseMarsh->click();
    QCOMPARE(w.txtFields[1]->text(), QStringLiteral("150"));
    // A leg started and left unsaved is not written with the sheet.
    w.tbsOptions->setCurrentIndex(1);
    w.cmdAddMarsh->click();
    w.tbsOptions->setCurrentIndex(0);
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 2);
    QCOMPARE(db.scalar(QStringLiteral("SELECT SumKM FROM RowdList WHERE ListID='0000000001'")).toDouble(), 150.0);
}

void TestWaybillScreen::sheetSaveChecks()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"), 100);
    addLeg(db, QStringLiteral("0000000001"), 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.cmdEditRowd->click();
    const auto refusedWith = [&](const QString &first) {
        cap.clear();
        w.cmdUpdateRowd->click();
        return !w.sheetForm()->isBrowsing() && cap.shown.size() == 1 && cap.lastText().startsWith(first);
    };
    w.txtFields[0]->setText(QString());
    QVERIFY(refusedWith(QStringLiteral("Няма въведена дата на пътния лист!")));
    w.txtFields[0]->setText(QStringLiteral("31.02.2024"));
    QVERIFY(refusedWith(QStringLiteral("Неверен формат на датата!")));
    w.txtFields[0]->setText(QStringLiteral("29.02.2024"));
    w.ComboKola->setEditText(QString());
    QVERIFY(refusedWith(QStringLiteral("Няма въведен номер на кола в пътния лист!")));
    w.ComboKola->setEditText(QStringLiteral("СА 1234 ВК"));
    w.ComboNameShof->setEditText(QStringLiteral("  "));
    QVERIFY(refusedWith(QStringLiteral("Няма въведено име на шофьор!")));
    w.ComboNameShof->setEditText(QStringLiteral("Петър Петров"));
    w.txtFields[8]->setText(QStringLiteral("12 л"));
    QVERIFY(refusedWith(QStringLiteral("Невалидно число в полето „Заредена нафта“!")));
    w.txtFields[8]->setText(QStringLiteral("12,25"));
    cap.clear();
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar(QStringLiteral("SELECT NameDriver FROM RowdList")).toString(), QStringLiteral("Петър Петров"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT Data FROM RowdList")).toString(), QStringLiteral("2024-02-29"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT ZarN FROM RowdList")).toDouble(), 12.25);

    // No legs (whatever the total boxes say).
    db.exec(QStringLiteral("DELETE FROM Marsh"));
    w.cmdEditRowd->click();
    QVERIFY(refusedWith(QStringLiteral("Няма въведени маршрути към пътния лист!")));
}

void TestWaybillScreen::newSheetLegsFollowItsNumberAndCloseDropsThem()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"));
    MessageCapture cap;
    {
        RowdList w;
        QVERIFY(w.load());
        w.cmdAddRowd->click();
        w.txtFields[4]->setText(QStringLiteral("8"));
        w.ComboKola->setEditText(QStringLiteral("СА 1234 ВК"));
        w.tbsOptions->setCurrentIndex(1);
        typeLeg(w, QStringLiteral("А - Б"), QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("0"));
        w.cmdUpdateMarsh->click();
        // The number is changed before the sheet is saved: the leg comes along
        // and is counted under the new number.
        w.tbsOptions->setCurrentIndex(0);
        w.txtFields[4]->setText(QStringLiteral("9"));
        w.tbsOptions->setCurrentIndex(1);
        QCOMPARE(w.grdMarsh->model()->rowCount(), 1);
        QCOMPARE(w.sheetNumber(), QStringLiteral("0000000009"));
        QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
        w.cmdCloseMarsh->click();
        QCOMPARE(w.txtFields[1]->text(), QStringLiteral("100"));
        // Closed without saving, after the question: nothing of the new sheet stays.
        cap.answers = {true};
        w.cmdCloseForm->click();
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.shown.last().kind, ShownMessage::Confirm);
    }
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
}

void TestWaybillScreen::savedFirstSheetLeavesTheSecondCurrentAndLegCommands()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"), 10);
    addSheet(db, QStringLiteral("0000000002"), QStringLiteral("СА 1234 ВК"), 10);
    addLeg(db, QStringLiteral("0000000001"), 120, 12.3);
    addLeg(db, QStringLiteral("0000000001"), 80, 7.4);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.cmdFirstRowd->click();
    w.cmdEditRowd->click();
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(cap.beeps, 1);
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000002"));

    w.cmdFirstRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    w.legs().moveLast();
    w.cmdEditMarsh->click();
    QCOMPARE(w.lblStatusMarsh->text(), QStringLiteral("Корекция..."));
    typeLeg(w, QStringLiteral("друг"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"));
    w.cmdCancelMarsh->click();
    // Отказ drops the typing and goes back to the first leg.
    QCOMPARE(w.lblStatusMarsh->text(), QStringLiteral("Запис № 1"));
    QCOMPARE(w.grdMarsh->model()->index(1, 0).data().toString(), QStringLiteral("А - Б"));
    // Deleting both legs (after the question) leaves an empty list, no message.
    cap.answers = {true, true};
    w.cmdDeleteMarsh->click();
    w.cmdDeleteMarsh->click();
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(w.grdMarsh->model()->rowCount(), 0);
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 0);
    w.cmdCloseMarsh->click();
    QCOMPARE(w.txtFields[1]->text(), QString());
}

void TestWaybillScreen::leavingNumberForCommandsWarnsNot()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000123"), QStringLiteral("СА 1234 ВК"));
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    // A taken number in the box: "Отказ" drops it without a word, at the first click.
    w.cmdAddRowd->click();
    w.txtFields[4]->setFocus();
    typeText(w.txtFields[4], QStringLiteral("123"));
    QTest::mouseClick(w.cmdCancelRowd, Qt::LeftButton);
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(w.sheetForm()->isBrowsing());
    QCOMPARE(db.count("RowdList"), 1);

    // "Запиши" says it once, and the box gets the focus back.
    w.cmdAddRowd->click();
    w.txtFields[4]->setFocus();
    typeText(w.txtFields[4], QStringLiteral("123"));
    w.txtFields[0]->setText(QStringLiteral("05.03.2024"));
    w.cmdUpdateRowd->setEnabled(true);
    w.txtFields[4]->setFocus();
    QTest::mouseClick(w.cmdUpdateRowd, Qt::LeftButton);
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), QStringLiteral("Съществува пътен лист със същия номер!\r\rМоля, променете номера и "
                                            "опитайте отново."));
    QVERIFY(w.sheetForm()->isAdding());
    QVERIFY(w.txtFields[4]->hasFocus());

    // "Затвори" leaves after the question, at the first click.
    cap.clear();
    cap.answers = {true};
    QTest::mouseClick(w.cmdCloseForm, Qt::LeftButton);
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastText(), QStringLiteral("Пътният лист не е записан!\r\rДа затворя ли без запис?"));
    QVERIFY(!w.isVisible());
    QCOMPARE(db.count("RowdList"), 1);
}

void TestWaybillScreen::legsSavedWhileViewingAreWritten()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"));
    addSheet(db, QStringLiteral("0000000002"), QStringLiteral("СА 1234 ВК"));
    addLeg(db, QStringLiteral("0000000001"), 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.show();
    // A leg added to a sheet only viewed: written under its number and shown.
    w.cmdFirstRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    w.cmdAddMarsh->click();
    typeLeg(w, QStringLiteral("В - Г"), QStringLiteral("200"), QStringLiteral("10"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QVERIFY(w.cmdAddMarsh->isVisibleTo(&w));
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 2);
    QCOMPARE(db.scalar(QStringLiteral("SELECT RazhN FROM Marsh WHERE MarshID='0000000001' AND Marshrut='В - Г'")).toDouble(), 68.0);
    QCOMPARE(w.grdMarsh->model()->rowCount(), 2);
    QCOMPARE(w.grdMarsh->model()->index(1, 0).data().toString(), QStringLiteral("В - Г"));
    QCOMPARE(w.lblStatusMarsh->text(), QStringLiteral("Запис № 2"));
    w.cmdCloseMarsh->click(); // Изчисли counts it
    QCOMPARE(w.txtFields[1]->text(), QStringLiteral("300"));
    QCOMPARE(w.txtFields[6]->text(), QStringLiteral("98"));

    // The first leg a sheet without legs starts by itself: likewise.
    w.tbsOptions->setCurrentIndex(0);
    w.cmdNextRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    QVERIFY(w.cmdUpdateMarsh->isVisibleTo(&w));
    typeLeg(w, QStringLiteral("Д - Е"), QStringLiteral("50"), QStringLiteral("0"), QStringLiteral("0"));
    w.cmdUpdateMarsh->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(legsOf(db, QStringLiteral("0000000002")), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT RazhN FROM Marsh WHERE MarshID='0000000002'")).toDouble(), 15.0);
    QCOMPARE(w.grdMarsh->model()->rowCount(), 1);
    QCOMPARE(w.grdMarsh->model()->index(0, 0).data().toString(), QStringLiteral("Д - Е"));
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 2);
    shot(w, "rowdlist_leg_written_viewing");
}

void TestWaybillScreen::refusedLegsPageKeepsTheLegs()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"));
    const QString car = QStringLiteral("СА 1234 ВК"), n7 = QStringLiteral("0000000007");
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    startSheet(w, QStringLiteral("7"), car);
    w.tbsOptions->setCurrentIndex(1);
    saveLeg(w, QStringLiteral("А - Б"), QStringLiteral("200"), QStringLiteral("10"));
    w.cmdAddMarsh->click();
    saveLeg(w, QStringLiteral("Б - А"), QStringLiteral("200"), QStringLiteral("0"));
    w.cmdCloseMarsh->click();
    QCOMPARE(w.txtFields[1]->text(), QStringLiteral("400"));
    QCOMPARE(w.txtFields[6]->text(), QStringLiteral("128"));
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    // Each refusal to open the legs page leaves the legs typed for the sheet.
    const auto refused = [&](const std::function<void()> &spoil, const QString &message) {
        w.tbsOptions->setCurrentIndex(0);
        spoil();
        cap.clear();
        w.tbsOptions->setCurrentIndex(1);
        QVERIFY2(cap.shown.size() == 1 && cap.lastText().startsWith(message), qPrintable(cap.lastText()));
        w.tbsOptions->setCurrentIndex(0);
    };
    refused([&] { w.ComboKola->setEditText(QString()); }, QStringLiteral("Няма въведен номер на кола"));
    w.ComboKola->setEditText(car);
    refused([&] { w.txtFields[4]->setText(QString()); }, QStringLiteral("Няма въведен номер на пътния лист!"));
    refused([&] { w.txtFields[4]->setText(QStringLiteral("1")); }, QStringLiteral("Съществува пътен лист"));
    w.txtFields[4]->setText(QStringLiteral("7"));
    cap.clear();
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(legsOf(db, n7), 2);
    QCOMPARE(stored(db, "SumKM", n7).toDouble(), 400.0);
    QCOMPARE(stored(db, "SumRazhN", n7).toDouble(), 128.0);

    // A correction: the leg added stays through the refusal and is written with the sheet.
    w.cmdEditRowd->click();
    w.tbsOptions->setCurrentIndex(1);
    w.cmdAddMarsh->click();
    saveLeg(w, QStringLiteral("В - Г"), QStringLiteral("100"), QStringLiteral("0"));
    refused([&] { w.ComboKola->setEditText(QString()); }, QStringLiteral("Няма въведен номер на кола"));
    w.ComboKola->setEditText(car);
    cap.clear();
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(legsOf(db, n7), 3);
    QCOMPARE(stored(db, "SumKM", n7).toDouble(), 500.0);
    QCOMPARE(stored(db, "SumRazhN", n7).toDouble(), 158.0);
    QCOMPARE(w.txtFields[1]->text(), QStringLiteral("500"));
}

void TestWaybillScreen::noEmptyLegIsWrittenOrCounted()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.show();
    startSheet(w, QStringLiteral("7"), QStringLiteral("СА 1234 ВК"));
    // The first leg starts by itself; leaving the page and coming back keeps it a
    // leg being added, not a leg.
    w.tbsOptions->setCurrentIndex(1);
    w.tbsOptions->setCurrentIndex(0);
    w.tbsOptions->setCurrentIndex(1);
    QCOMPARE(w.grdMarsh->model()->rowCount(), 1);
    QVERIFY(w.cmdUpdateMarsh->isVisibleTo(&w));
    shot(w, "rowdlist_leg_started_again");
    w.cmdCloseMarsh->click();
    w.tbsOptions->setCurrentIndex(0);
    w.cmdUpdateRowd->click();
    QCOMPARE(cap.lastText(), QStringLiteral("Няма въведени маршрути към пътния лист!\r\rМоля, въведете маршрутите "
                                            "за движение на колата."));
    QVERIFY(w.sheetForm()->isAdding());
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
    QCOMPARE(db.count(QStringLiteral("RowdList")), 0);
    // A leg typed into it after all is one.
    w.tbsOptions->setCurrentIndex(1);
    saveLeg(w, QStringLiteral("А - Б"), QStringLiteral("100"), QStringLiteral("0"));
    cap.clear();
    w.tbsOptions->setCurrentIndex(0);
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.count(QStringLiteral("Marsh")), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE KM IS NULL")).toInt(), 0);
}

void TestWaybillScreen::legsTakeTheNormOfTheSavedCar()
{
    TestDb db;
    seed(db);
    db.exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES ('ВН 5050 ВН', 50, 20, 24)"));
    const QString n7 = QStringLiteral("0000000007");
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    startSheet(w, QStringLiteral("7"), QStringLiteral("СА 1234 ВК"));
    w.tbsOptions->setCurrentIndex(1);
    saveLeg(w, QStringLiteral("А - Б"), QStringLiteral("100"), QStringLiteral("0"));
    w.cmdCloseMarsh->click();
    QCOMPARE(w.txtFields[6]->text(), QStringLiteral("30"));
    w.tbsOptions->setCurrentIndex(0);
    // A car without a norm cannot take the legs.
    w.ComboKola->setEditText(QStringLiteral("БЕЗ НОРМА"));
    w.cmdUpdateRowd->click();
    QCOMPARE(cap.lastText(), QStringLiteral("Колата няма въведена разходната норма!\r\rМоля, въведете разходната "
                                            "норма на колата."));
    QVERIFY(w.sheetForm()->isAdding());
    QCOMPARE(db.count(QStringLiteral("RowdList")), 0);
    cap.clear();
    w.ComboKola->setEditText(QStringLiteral("ВН 5050 ВН"));
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar(QStringLiteral("SELECT RazhN FROM Marsh WHERE MarshID=?"), {n7}).toDouble(), 50.0);
    QCOMPARE(stored(db, "SumRazhN", n7).toDouble(), 50.0);
    QCOMPARE(w.txtFields[6]->text(), QStringLiteral("50"));
    // A correction that changes only the car, its legs never opened.
    w.cmdEditRowd->click();
    w.ComboKola->setEditText(QStringLiteral("РВ 5555 АА"));
    w.cmdUpdateRowd->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar(QStringLiteral("SELECT RazhN FROM Marsh WHERE MarshID=?"), {n7}).toDouble(), 25.0);
    QCOMPARE(stored(db, "SumRazhN", n7).toDouble(), 25.0);
}

void TestWaybillScreen::negativeNumbersAreRefused()
{
    TestDb db;
    seed(db);
    const QString n1 = QStringLiteral("0000000001");
    addSheet(db, n1, QStringLiteral("СА 1234 ВК"), 100);
    addLeg(db, n1, 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    const struct {
        int box;
        const char *text;
        const char *label;
    } boxes[] = {{8, "-500", "Заредена нафта"},      {7, "-3", "Заредено масло"},
                 {9, "-2,5", "Единич.цена нафта"},   {10, "-10", "Единич.цена масло"},
                 {5, "-123456", "КМ при зарежд."}};
    for (const auto &b : boxes) {
        w.cmdEditRowd->click();
        w.txtFields[b.box]->setText(QLatin1String(b.text));
        cap.clear();
        w.cmdUpdateRowd->click();
        QCOMPARE(cap.lastText(), QStringLiteral("Невалидно число в полето „%1“!\r\rМоля, въведете число, не "
                                                "по-малко от 0.")
                                     .arg(QString::fromUtf8(b.label)));
        QCOMPARE(cap.lastCaption(), QStringLiteral("   ВНИМАНИЕ!"));
        QVERIFY(w.sheetForm()->isEditing());
        w.cmdCancelRowd->click();
    }
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM RowdList WHERE ZarN<0 OR ZarM<0 OR CenaN<0 OR CenaM<0 "
                                      "OR EndKM<0")).toInt(), 0);

    // A leg: no negative kilometres, tons or surcharge, and no more kilometres
    // than the norm counts.
    w.tbsOptions->setCurrentIndex(1);
    w.cmdAddMarsh->click();
    const struct {
        const char *km, *ton, *koef, *message;
        int column; // where the focus goes back to
    } legs[] = {{"-200", "0", "0", "Грешни километри на маршрута: -200!\r\rМоля, въведете километрите с число от 0 до 32767.", 1},
                {"100", "-100", "0", "Грешен тонаж на маршрута!\r\rМоля, въведете тонажа с число, не по-малко от 0.", 2},
                {"100", "0", "-50", "Грешен коефициент на маршрута!\r\rМоля, въведете коефициента с число, не "
                                    "по-малко от 0.", 3},
                {"40000", "0", "0", "Грешни километри на маршрута: 40000!\r\rМоля, въведете километрите с число от 0 "
                                    "до 32767.", 1}};
    for (const auto &l : legs) {
        typeLeg(w, QStringLiteral("А - Б"), QLatin1String(l.km), QLatin1String(l.ton), QLatin1String(l.koef));
        cap.clear();
        w.cmdUpdateMarsh->click();
        QCOMPARE(cap.lastText(), QString::fromUtf8(l.message));
        QCOMPARE(cap.lastCaption(), QStringLiteral("   ВНИМАНИЕ!"));
        QVERIFY(w.cmdUpdateMarsh->isVisibleTo(&w));
        QCOMPARE(w.grdMarsh->currentIndex().column(), l.column);
    }
    QCOMPARE(legsOf(db, n1), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE KM<0 OR Ton<0 OR Koef<0 OR RazhN<0")).toInt(), 0);
    w.show();
    shot(w, "rowdlist_leg_refused");
}

void TestWaybillScreen::closingAsksAboutUnwrittenWork()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"), 100);
    addLeg(db, QStringLiteral("0000000001"), 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.show();
    startSheet(w, QStringLiteral("7"), QStringLiteral("СА 1234 ВК"));
    w.tbsOptions->setCurrentIndex(1);
    saveLeg(w, QStringLiteral("А - Б"), QStringLiteral("100"), QStringLiteral("0"));
    w.cmdCloseMarsh->click();
    // "Затвори" and the close box ask; the refusal (the default) stays with the sheet.
    cap.clear();
    w.cmdCloseForm->click();
    QVERIFY(w.close() == false);
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(cap.shown.first().kind, ShownMessage::Confirm);
    QCOMPARE(cap.lastText(), QStringLiteral("Пътният лист не е записан!\r\rДа затворя ли без запис?"));
    QVERIFY(w.isVisible());
    QVERIFY(w.sheetForm()->isAdding());
    QCOMPARE(w.txtFields[1]->text(), QStringLiteral("100"));
    shot(w, "rowdlist_close_refused");
    w.tbsOptions->setCurrentIndex(0);
    w.cmdUpdateRowd->click();
    QCOMPARE(legsOf(db, QStringLiteral("0000000007")), 1);
    // A leg being added to a sheet only viewed is asked about too; yes drops it.
    w.tbsOptions->setCurrentIndex(1);
    w.cmdAddMarsh->click();
    typeLeg(w, QStringLiteral("В - Г"), QStringLiteral("50"), QStringLiteral("0"), QStringLiteral("0"));
    cap.clear();
    cap.answers = {true};
    w.cmdCloseForm->click();
    QCOMPARE(cap.lastText(), QStringLiteral("Маршрутът не е записан!\r\rДа затворя ли без запис?"));
    QVERIFY(!w.isVisible());
    QCOMPARE(legsOf(db, QStringLiteral("0000000007")), 1);
}

void TestWaybillScreen::focusAfterALegsSaveIsOnAdd()
{
    TestDb db;
    seed(db);
    addSheet(db, QStringLiteral("0000000001"), QStringLiteral("СА 1234 ВК"), 100);
    addLeg(db, QStringLiteral("0000000001"), 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.tbsOptions->setCurrentIndex(1);
    w.cmdAddMarsh->click();
    typeLeg(w, QStringLiteral("В - Г"), QStringLiteral("50"), QStringLiteral("0"), QStringLiteral("0"));
    QTest::mouseClick(w.cmdUpdateMarsh, Qt::LeftButton);
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(QApplication::focusWidget(), w.cmdAddMarsh);
    // Space now adds a leg, it does not ask to delete one.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(w.cmdCancelMarsh->isVisibleTo(&w));
    shot(w, "rowdlist_focus_after_leg");
}

void TestWaybillScreen::deletingALegMakesTheNextOneCurrent()
{
    TestDb db;
    seed(db);
    const QString n1 = QStringLiteral("0000000001");
    addSheet(db, n1, QStringLiteral("СА 1234 ВК"), 300);
    for (const char *route : {"L1", "L2", "L3"})
        db.exec(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, Koef, RazhN) VALUES (?, ?, 100, 0, 0, 30)"),
                {n1, QLatin1String(route)});
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.tbsOptions->setCurrentIndex(1);
    w.legs().moveFirst();
    cap.answers = {true};
    w.cmdDeleteMarsh->click();
    QCOMPARE(w.legs().value(QStringLiteral("Marshrut")).toString(), QStringLiteral("L2"));
    QCOMPARE(w.lblStatusMarsh->text(), QStringLiteral("Запис № 1"));
    cap.answers = {true};
    w.cmdDeleteMarsh->click();
    QCOMPARE(db.scalar(QStringLiteral("SELECT Marshrut FROM Marsh WHERE MarshID=?"), {n1}).toString(),
             QStringLiteral("L3"));
    // What is left is the sheet's: its totals are those of its one leg.
    QCOMPARE(stored(db, "SumKM", n1).toDouble(), 100.0);
    QCOMPARE(stored(db, "SumRazhN", n1).toDouble(), 30.0);
}

void TestWaybillScreen::aLegBeingTypedKeepsItsSheet()
{
    TestDb db;
    seed(db);
    const QString n1 = QStringLiteral("0000000001"), n2 = QStringLiteral("0000000002");
    addSheet(db, n1, QStringLiteral("СА 1234 ВК"), 100);
    addSheet(db, n2, QStringLiteral("СА 1234 ВК"));
    addLeg(db, n1, 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.show();
    w.cmdFirstRowd->click();
    // A leg added, then the same leg corrected, on a sheet only viewed: until the
    // leg is saved or cancelled, nothing on the common page leaves or changes the
    // sheet, and the leg waits on its page as typed.
    const struct {
        QPushButton *start;
        const char *route, *km;
    } steps[] = {{w.cmdAddMarsh, "В - Г", "50"}, {w.cmdEditMarsh, "Г - Д", "70"}};
    for (const auto &s : steps) {
        w.tbsOptions->setCurrentIndex(1);
        s.start->click();
        typeLeg(w, QString::fromUtf8(s.route), QLatin1String(s.km), QStringLiteral("0"), QStringLiteral("0"));
        w.tbsOptions->setCurrentIndex(0);
        cap.answers = {true};
        for (QPushButton *b : {w.cmdNextRowd, w.cmdLastRowd, w.cmdPreviousRowd, w.cmdFirstRowd, w.cmdAddRowd,
                               w.cmdEditRowd, w.cmdDeleteRowd}) {
            b->click();
            QVERIFY2(w.sheetForm()->isBrowsing() && w.txtFields[4]->text() == n1, qPrintable(b->objectName()));
        }
        QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
        shot(w, "rowdlist_leg_keeps_sheet");
        w.tbsOptions->setCurrentIndex(1);
        QVERIFY(w.cmdUpdateMarsh->isVisibleTo(&w));
        QCOMPARE(w.grdMarsh->model()->index(w.legs().currentIndex(), 0).data().toString(), QString::fromUtf8(s.route));
        w.cmdUpdateMarsh->click();
        QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    }
    QCOMPARE(legsOf(db, n1), 2);
    QCOMPARE(stored(db, "SumKM", n1).toDouble(), 170.0);
    // The leg written, the sheet moves again.
    w.tbsOptions->setCurrentIndex(0);
    w.cmdNextRowd->click();
    QCOMPARE(w.txtFields[4]->text(), n2);
    QCOMPARE(legsOf(db, n2), 0);
    shot(w, "rowdlist_leg_written_moves");
}

void TestWaybillScreen::sheetSaveWaitsForALegBeingTyped()
{
    TestDb db;
    seed(db);
    const QString n1 = QStringLiteral("0000000001"), n8 = QStringLiteral("0000000008");
    addSheet(db, n1, QStringLiteral("СА 1234 ВК"), 100);
    addLeg(db, n1, 100, 30);
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    w.show();
    // A new sheet with a second leg typed, and a stored sheet with its leg being
    // corrected: the sheet's "Запиши" keeps both as they are until the leg is saved.
    startSheet(w, QStringLiteral("8"), QStringLiteral("СА 1234 ВК"));
    w.tbsOptions->setCurrentIndex(1);
    saveLeg(w, QStringLiteral("А - Б"), QStringLiteral("100"), QStringLiteral("0"));
    const struct {
        QString number;
        QPushButton *start;
        const char *route;
        double total;
    } cases[] = {{n8, w.cmdAddMarsh, "Б - В", 170}, {n1, w.cmdEditMarsh, "В - Г", 70}};
    const QString stateQuery = QStringLiteral("SELECT (SELECT group_concat(ListID || ':' || SumKM) FROM RowdList) || '|' "
                                              "|| (SELECT group_concat(MarshID || Marshrut || KM) FROM Marsh)");
    for (const auto &c : cases) {
        if (c.number == n1) {
            w.cmdFirstRowd->click();
            w.cmdEditRowd->click();
            w.tbsOptions->setCurrentIndex(1);
        }
        c.start->click();
        typeLeg(w, QString::fromUtf8(c.route), QStringLiteral("70"), QStringLiteral("0"), QStringLiteral("0"));
        w.tbsOptions->setCurrentIndex(0);
        const QVariant before = db.scalar(stateQuery);
        cap.clear();
        w.cmdUpdateRowd->click();
        QCOMPARE(cap.shown.size(), 1);
        QVERIFY2(cap.lastText().startsWith(QStringLiteral("Маршрутът не е записан!")), qPrintable(cap.lastText()));
        QVERIFY(!w.sheetForm()->isBrowsing());
        QCOMPARE(db.scalar(stateQuery), before);
        shot(w, "rowdlist_sheet_waits_for_leg");
        w.tbsOptions->setCurrentIndex(1);
        QCOMPARE(w.grdMarsh->model()->index(w.legs().currentIndex(), 0).data().toString(), QString::fromUtf8(c.route));
        w.cmdUpdateMarsh->click();
        w.tbsOptions->setCurrentIndex(0);
        w.cmdUpdateRowd->click();
        QVERIFY2(cap.shown.size() == 1, qPrintable(cap.lastText()));
        QVERIFY(w.sheetForm()->isBrowsing());
        QCOMPARE(stored(db, "SumKM", c.number).toDouble(), c.total);
    }
    QCOMPARE(legsOf(db, n8), 2);
    QCOMPARE(legsOf(db, n1), 1);
}

QTEST_MAIN(TestWaybillScreen)
#include "test_waybillscreen.moc"
