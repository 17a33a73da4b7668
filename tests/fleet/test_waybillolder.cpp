#include "layoutcheck.h"
#include "dialogs/messages.h"
#include "fleet/marsh.h"
#include "fleet/plist.h"
#include "fleet/rlist.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "platform/grid.h"
#include "testdb.h"
#include "typing.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace kelm;

class TestWaybillOlder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void viewerOnEmptyTableAndLegsOfTheSheetShown();
    void viewerAddsWithNumberOneAndDeletesWithLegs();
    void newSheetWithLegsAndWarehouseLines();
    void correctionReplacesTheSheetsWarehouseLines();
    void abandonedLegsCancelTheNewSheet();
    void saveRefusals();
    void legTotalsFollowCorrectionsAndDeletes();
    void deleteAsksTwiceAndKeepsWarehouseLines();
    void renumberedSheetsKeepTheirLegs();
    void badDateWarnsOnLeavingButNotForCancel();
    void negativeNumbersRefusedStoringNothing();
};

static void seed(TestDb &db)
{
    db.exec(QStringLiteral("INSERT INTO shof (kod, ime) VALUES ('001', 'Иван Д''Арков'), ('002', 'Петър Петров')"));
    db.exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, 30, 20, 24), (?, 25, 20, 20)"),
            {QStringLiteral("СА 1234 ВК"), QStringLiteral("РВ 5555 АА")});
}

static QAbstractButton *btn(QWidget &w, const QString &name)
{
    auto *b = w.findChild<QAbstractButton *>(name);
    if (!b)
        qFatal("no button %s", qPrintable(name));
    return b;
}

// Runs body on the route-leg screen as soon as the waybill screen shows it.
static void onMarsh(std::function<void(Marsh &)> body)
{
    QTimer::singleShot(0, [body] {
        auto *m = qobject_cast<Marsh *>(QApplication::activeModalWidget());
        if (!m) {
            qWarning("the route-leg screen is not shown");
            return;
        }
        body(*m);
        if (m->isVisible())
            m->close();
    });
}

static void shot(QWidget &w, const QString &name)
{
    QCoreApplication::processEvents();
    lookAt(w.grab(), qPrintable(QStringLiteral("wb_%1.png").arg(name)));
}

void TestWaybillOlder::viewerOnEmptyTableAndLegsOfTheSheetShown()
{
    TestDb db;
    MessageCapture cap;
    {
        RList w;
        QVERIFY(w.load());
        QVERIFY(cap.shown.isEmpty());
        QCOMPARE(w.grdMarsh->rowCount(), 0);
        QCOMPARE(w.windowTitle(), QStringLiteral("RowdList"));
    }
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, NameDriver, SumKM) VALUES "
                           "('0000000001', '2024-03-01', 'СА 1234 ВК', 'Иван', 200), "
                           "('0000000002', '2024-03-02', 'РВ 5555 АА', 'Петър', 50)"));
    db.exec(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, Koef) VALUES "
                           "('0000000001', 'София - Перник', 120, 10, 0), ('0000000001', 'Перник - София', 80, 0, 20), "
                           "('0000000002', 'Враца', 50, 5, 0)"));
    RList w;
    QVERIFY(w.load());
    w.show();
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000001"));
    QCOMPARE(w.grdMarsh->rowCount(), 2);
    QCOMPARE(w.grdMarsh->text(1, 1), QStringLiteral("Перник - София"));
    QCOMPARE(w.grdMarsh->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Тонаж"));
    QVERIFY(!w.fraMarsh->isEnabled());
    QVERIFY(!w.grdMarsh->allowEdit());
    shot(w, "rlist");
    btn(w, QStringLiteral("cmdNext"))->click();
    QCOMPARE(w.grdMarsh->rowCount(), 1);
    QCOMPARE(w.grdMarsh->value(0, 2).toDouble(), 50.0);
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("lblStatus"))->text(), QStringLiteral("Запис № 2"));
}

void TestWaybillOlder::viewerAddsWithNumberOneAndDeletesWithLegs()
{
    TestDb db;
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Kola) VALUES ('0000000005', 'СА 1234 ВК')"));
    db.exec(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM) VALUES ('0000000005', 'А', 10)"));
    MessageCapture cap;
    RList w;
    QVERIFY(w.load());
    btn(w, QStringLiteral("cmdAdd"))->click();
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("1"));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("lblStatus"))->text(), QStringLiteral("Нов запис"));
    w.txtFields[3]->setText(QStringLiteral("Д'Арк"));
    btn(w, QStringLiteral("cmdUpdate"))->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar(QStringLiteral("SELECT Kola FROM RowdList WHERE ListID='1'")).toString(), QStringLiteral("Д'Арк"));
    // A second "1" is refused by the table and reported; nothing is written.
    btn(w, QStringLiteral("cmdAdd"))->click();
    btn(w, QStringLiteral("cmdUpdate"))->click();
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.shown.last().kind, ShownMessage::Box);
    QCOMPARE(db.count(QStringLiteral("RowdList")), 2);
    btn(w, QStringLiteral("cmdCancel"))->click();
    cap.clear();
    btn(w, QStringLiteral("cmdFirst"))->click();
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0000000005"));
    btn(w, QStringLiteral("cmdDelete"))->click();
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
}

void TestWaybillOlder::newSheetWithLegsAndWarehouseLines()
{
    TestDb db;
    seed(db);
    MessageCapture cap;
    PList w;
    QVERIFY(w.load());
    w.show();
    // An empty table opens a new sheet whose boxes take typing.
    QVERIFY(w.form()->isAdding());
    QVERIFY(w.txtFields[0]->isEnabled());
    QVERIFY(w.Combo1->isVisibleTo(&w));
    QCOMPARE(w.Combo1->itemText(0), QStringLiteral("001,Иван Д'Арков"));
    QCOMPARE(w.txtFields[4]->text(), QStringLiteral("0"));
    w.txtFields[0]->setText(QStringLiteral("А-17"));
    w.txtFields[1]->setText(QStringLiteral("01.03.2024"));
    w.Combo2->setCurrentIndex(w.Combo2->findText(QStringLiteral("СА 1234 ВК")));
    w.Combo1->setCurrentIndex(0);
    w.txtFields[4]->setText(QStringLiteral("40"));
    QTest::mouseClick(w.txtFields[4], Qt::LeftButton);
    QVERIFY(w.Text1->isEnabled());
    w.Text1->setText(QStringLiteral("1,50"));
    w.txtFields[6]->setText(QStringLiteral("41,5"));
    shot(w, "plist_adding");

    bool legsShown = false;
    onMarsh([&](Marsh &m) {
        legsShown = true;
        // The route list is empty on the first legs ever: FillCombo says so.
        QCOMPARE(cap.shown.size(), 1);
        QVERIFY(cap.lastText().startsWith(QStringLiteral("Списъка е празен")));
        cap.clear();
        QCOMPARE(m.windowTitle(), QStringLiteral("Маршрут към пътен лист №А-17"));
        shot(m, "marsh_new_leg");
        // No legs yet: a new leg with its fields open.
        QVERIFY(m.form()->isAdding());
        QVERIFY(m.txtFields[0]->isEnabled());
        m.Combo1->setEditText(QStringLiteral("  София - Перник "));
        m.txtFields[0]->setText(QStringLiteral("100"));
        m.txtFields[5]->setText(QStringLiteral("10"));
        m.chkFields->setChecked(true);
        btn(m, QStringLiteral("cmdUpdate"))->click();
        QVERIFY(m.form()->isBrowsing());
        QCOMPARE(w.nKMAll, 100.0);
        QCOMPARE(w.nRazhListAll, 40.8);
        btn(m, QStringLiteral("cmdAdd"))->click();
        m.Combo1->setEditText(QStringLiteral("Перник - София"));
        m.txtFields[0]->setText(QStringLiteral("50,5"));
        m.txtFields[5]->setText(QStringLiteral("0"));
        btn(m, QStringLiteral("cmdUpdate"))->click();
        QCOMPARE(m.findChild<QLabel *>(QStringLiteral("lblStatus"))->text(), QStringLiteral("Маршрут № : 2"));
        shot(m, "marsh_browse");
    });
    btn(w, QStringLiteral("cmdUpdate"))->click();
    QVERIFY(legsShown);
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastCaption() + cap.lastText()));
    QVERIFY(w.form()->isBrowsing());
    QVERIFY(!w.txtFields[0]->isEnabled());

    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT * FROM RowdList"));
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.value(QStringLiteral("ListID")).toString(), QStringLiteral("А-17"));
    QCOMPARE(rs.value(QStringLiteral("kod")).toString(), QStringLiteral("001"));
    QCOMPARE(rs.value(QStringLiteral("Kola")).toString(), QStringLiteral("СА 1234 ВК"));
    QCOMPARE(rs.value(QStringLiteral("KM")).toDouble(), 150.5);
    // 40.8 + (0.3 * 50.5 = 15.15 -> 15.2, half to even) = 56.0
    QCOMPARE(rs.value(QStringLiteral("RazhN")).toDouble(), 56.0);
    QCOMPARE(rs.value(QStringLiteral("RazhD")).toDouble(), 41.5);
    QCOMPARE(w.txtRazhN->text(), QStringLiteral("56"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE ListID='А-17'")).toInt(), 2);
    QCOMPARE(db.scalar(QStringLiteral("SELECT Koef FROM Marsh WHERE Marsh='София - Перник'")).toDouble(), 1.0);

    rs.open(db.conn(), QStringLiteral("SELECT * FROM Sklad ORDER BY ID"));
    QCOMPARE(rs.recordCount(), 2); // no oil filled: diesel only
    QCOMPARE(rs.value(QStringLiteral("DocVid")).toString(), QStringLiteral("Пътен лист"));
    QCOMPARE(rs.value(QStringLiteral("Edin")).toDouble(), 1.5);
    QCOMPARE(rs.value(QStringLiteral("Suma")).toDouble(), 60.0);
    rs.moveNext();
    QCOMPARE(rs.value(QStringLiteral("DocVid")).toString(), QStringLiteral("СА 1234 ВК"));
    QCOMPARE(rs.value(QStringLiteral("VidKol")).toString(), QStringLiteral("R"));
    QCOMPARE(w.txtDriverName->text(), QStringLiteral("Иван Д'Арков"));
    shot(w, "plist_saved");
}

void TestWaybillOlder::correctionReplacesTheSheetsWarehouseLines()
{
    TestDb db;
    seed(db);
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, kod, ZarN, ZarM, RazhD, KM, RazhN) VALUES "
                           "('17', '2024-03-01', 'СА 1234 ВК', '002', 40, 2, 0, 100, 34)"));
    db.exec(QStringLiteral("INSERT INTO Marsh (ListID, Marsh, KM, Ton, Koef, RazhN) VALUES ('17', 'А', 100, 10, 0, 34)"));
    db.exec(QStringLiteral("INSERT INTO Sklad (DocVid, DocNom, Data, Name, Kol, Edin, Suma, VidKol, Lipsa, Ostat) VALUES "
                           "('Пътен лист', '17', '2024-03-01', 'Нафта', 40, 1.5, 60, 'P', 1, 0), "
                           "('СА 1234 ВК', '17', '2024-03-01', 'Нафта', 40, 1.5, 60, 'R', 1, 0), "
                           "('СА 1234 ВК', '0000000000', '2024-03-01', 'Разходи за курс', 1, 9, 9, 'R', 1, 0)"));
    MessageCapture cap;
    PList w;
    QVERIFY(w.load());
    QCOMPARE(w.txtDriverName->text(), QStringLiteral("Петър Петров"));
    btn(w, QStringLiteral("cmdEdit"))->click();
    // The correction starts from the sheet's own car and driver.
    QCOMPARE(w.Combo2->currentText(), QStringLiteral("СА 1234 ВК"));
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("002,Петър Петров"));
    w.Combo2->setEditText(QStringLiteral("РВ 5555 АА"));
    w.txtFields[4]->setText(QStringLiteral("50"));
    w.Text1->setText(QStringLiteral("1.55"));
    w.Text2->setText(QStringLiteral("10"));
    onMarsh([&](Marsh &m) {
        // The legs of a corrected sheet are shown locked until a command.
        QVERIFY(m.form()->isBrowsing());
        QVERIFY(!m.txtFields[0]->isEnabled());
        QCOMPARE(w.nKMAll, 100.0);
    });
    btn(w, QStringLiteral("cmdUpdate"))->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastCaption() + cap.lastText()));
    QCOMPARE(db.count(QStringLiteral("Sklad")), 5);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Sklad WHERE DocVid='СА 1234 ВК'")).toInt(), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT Suma FROM Sklad WHERE DocVid='РВ 5555 АА' AND Name='Нафта'")).toDouble(),
             77.5);
    QCOMPARE(db.scalar(QStringLiteral("SELECT Suma FROM Sklad WHERE DocVid='Пътен лист' AND Name='Масло'")).toDouble(),
             20.0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT KM FROM RowdList")).toDouble(), 100.0);

    // Saved again unchanged: still one set of lines.
    btn(w, QStringLiteral("cmdEdit"))->click();
    w.Text1->setText(QStringLiteral("1.55"));
    w.Text2->setText(QStringLiteral("10"));
    onMarsh([](Marsh &) {});
    btn(w, QStringLiteral("cmdUpdate"))->click();
    QCOMPARE(db.count(QStringLiteral("Sklad")), 5);
}

void TestWaybillOlder::abandonedLegsCancelTheNewSheet()
{
    TestDb db;
    seed(db);
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Kola, KM, RazhN) VALUES ('1', 'СА 1234 ВК', 0, 0)"));
    MessageCapture cap;
    PList w;
    QVERIFY(w.load());
    w.show();
    btn(w, QStringLiteral("cmdAdd"))->click();
    w.txtFields[0]->setText(QStringLiteral("2"));
    w.txtFields[1]->setText(QStringLiteral("02.03.2024"));
    w.txtFields[4]->setText(QStringLiteral("30"));
    // One leg is saved, then a correction of it is given up with nothing to
    // go back to: the new sheet is given up, and its leg with it.
    onMarsh([](Marsh &m) {
        m.Combo1->setEditText(QStringLiteral("А - Б"));
        m.txtFields[0]->setText(QStringLiteral("10"));
        btn(m, QStringLiteral("cmdUpdate"))->click();
        btn(m, QStringLiteral("cmdEdit"))->click();
        btn(m, QStringLiteral("cmdCancel"))->click();
    });
    btn(w, QStringLiteral("cmdUpdate"))->click();
    QVERIFY(w.lCancel);
    QVERIFY(!w.isVisible());
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
    QCOMPARE(db.count(QStringLiteral("Sklad")), 0);
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
}

void TestWaybillOlder::saveRefusals()
{
    TestDb db;
    seed(db);
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Kola, KM, RazhN) VALUES ('1', 'СА 1234 ВК', 0, 0)"));
    MessageCapture cap;
    PList w;
    QVERIFY(w.load());
    btn(w, QStringLiteral("cmdAdd"))->click();
    w.txtFields[0]->setText(QStringLiteral("2"));
    w.txtFields[1]->setText(QStringLiteral("02.03.2024"));
    const auto refused = [&](const QString &first) {
        cap.clear();
        btn(w, QStringLiteral("cmdUpdate"))->click();
        return w.form()->isAdding() && cap.shown.size() == 1 && cap.lastCaption() == QStringLiteral("ГРЕШКА при запис!")
            && cap.lastText().startsWith(first);
    };
    w.Combo2->setEditText(QStringLiteral("ЧУЖДА КОЛА"));
    QVERIFY(refused(QStringLiteral("Въведения номер не е на Ваша кола!")));
    // In the list, but its settings were removed meanwhile.
    w.Combo2->setEditText(QStringLiteral("РВ 5555 АА"));
    db.exec(QStringLiteral("DELETE FROM Config WHERE kola='РВ 5555 АА'"));
    QVERIFY(refused(QStringLiteral("За въведената кола няма данни за разхода на гориво!")));
    w.Combo2->setEditText(QStringLiteral("СА 1234 ВК"));
    w.Combo1->setEditText(QStringLiteral("Иван"));
    QVERIFY(refused(QStringLiteral("Валидни са само имената от списъка!")));
    w.Combo1->setCurrentIndex(1);
    w.txtFields[4]->setText(QStringLiteral("четиридесет"));
    QVERIFY(refused(QStringLiteral("Невалидно число в полето „Заредена нафта“!")));
    w.txtFields[4]->setText(QStringLiteral("40"));
    w.Text1->setText(QStringLiteral("1.5 лв."));
    QVERIFY(refused(QStringLiteral("Невалидно число в полето „Цена“!")));
    w.Text1->setText(QString());
    w.txtFields[1]->setText(QStringLiteral("30.02.2024"));
    QVERIFY(refused(QStringLiteral("Неверен формат на датата!")));
    // Leaving the date box checks it too.
    cap.clear();
    w.txtDate_LostFocus();
    QCOMPARE(cap.lastText(), QStringLiteral("Неверен формат на датата!\rПроверете въведената дата и опитайте отново."));
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
    QCOMPARE(db.count(QStringLiteral("Sklad")), 0);
}

void TestWaybillOlder::legTotalsFollowCorrectionsAndDeletes()
{
    TestDb db;
    seed(db);
    db.exec(QStringLiteral("INSERT INTO Marsh (ListID, Marsh, KM, Ton, Koef, RazhN) VALUES "
                           "('9', 'А', 100, 10, 0, 34), ('9', 'Б', 200, 0, 0, 60)"));
    MessageCapture cap;
    PList w;
    w.sListID = QStringLiteral("9");
    w.nRazhKola = 30.0;
    w.nKMAll = 300.0;
    w.nRazhListAll = 94.0;
    Marsh m(w, QStringLiteral("Edit_Marsh"));
    QVERIFY(m.load());
    QVERIFY(!m.txtFields[0]->isEnabled());
    btn(m, QStringLiteral("cmdEdit"))->click();
    QVERIFY(m.Combo1->isVisibleTo(&m));
    QCOMPARE(m.Combo1->currentText(), QStringLiteral("А"));
    m.txtFields[0]->setText(QString());
    btn(m, QStringLiteral("cmdUpdate"))->click();
    QCOMPARE(cap.lastText(), QStringLiteral("Моля, въведете километрите на курса!"));
    QCOMPARE(w.nKMAll, 300.0);
    m.txtFields[0]->setText(QStringLiteral("120"));
    btn(m, QStringLiteral("cmdUpdate"))->click();
    QCOMPARE(w.nKMAll, 320.0);
    QCOMPARE(w.nRazhListAll, 94.0 - 34.0 + 40.0);
    // The route list gets no second "А".
    QCOMPARE(m.Combo1->findText(QStringLiteral("А")), m.Combo1->count() - 2);
    btn(m, QStringLiteral("cmdLast"))->click();
    btn(m, QStringLiteral("cmdDelete"))->click();
    QCOMPARE(w.nKMAll, 120.0);
    QCOMPARE(w.nRazhListAll, 40.0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE ListID='9'")).toInt(), 1);

    // Kilometres and tons are stored as typed, not at single precision, and the
    // totals lose exactly what the leg once added.
    btn(m, QStringLiteral("cmdEdit"))->click();
    m.txtFields[0]->setText(QStringLiteral("100,1"));
    m.txtFields[5]->setText(QStringLiteral("12.3"));
    btn(m, QStringLiteral("cmdUpdate"))->click();
    QVERIFY2(m.form()->isBrowsing(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar(QStringLiteral("SELECT KM FROM Marsh WHERE ListID='9'")).toDouble(), 100.1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT Ton FROM Marsh WHERE ListID='9'")).toDouble(), 12.3);
    QCOMPARE(w.nKMAll, 100.1);
    btn(m, QStringLiteral("cmdEdit"))->click();
    m.txtFields[0]->setText(QStringLiteral("80"));
    btn(m, QStringLiteral("cmdUpdate"))->click();
    QCOMPARE(w.nKMAll, 80.0);
}

void TestWaybillOlder::deleteAsksTwiceAndKeepsWarehouseLines()
{
    TestDb db;
    seed(db);
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Kola) VALUES ('17', 'СА 1234 ВК'), ('18', 'СА 1234 ВК')"));
    db.exec(QStringLiteral("INSERT INTO Marsh (ListID, Marsh, KM) VALUES ('17', 'А', 1), ('18', 'Б', 2)"));
    db.exec(QStringLiteral("INSERT INTO Sklad (DocVid, DocNom, Name, Kol, VidKol) VALUES ('Пътен лист', '17', 'Нафта', 5, 'P')"));
    MessageCapture cap;
    PList w;
    QVERIFY(w.load());
    cap.answers = {true, false};
    btn(w, QStringLiteral("cmdDelete"))->click();
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(db.count(QStringLiteral("RowdList")), 2);
    cap.answers = {true, true};
    btn(w, QStringLiteral("cmdDelete"))->click();
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE ListID='17'")).toInt(), 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE ListID='18'")).toInt(), 1);
    QCOMPARE(db.count(QStringLiteral("Sklad")), 1);
    QCOMPARE(w.txtFields[0]->text(), QStringLiteral("18"));
}

void TestWaybillOlder::renumberedSheetsKeepTheirLegs()
{
    TestDb db;
    seed(db);
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, kod, ZarN, ZarM, RazhD, KM, RazhN) VALUES "
                           "('17', '2024-03-01', 'СА 1234 ВК', '001', 0, 0, 0, 100, 34), "
                           "('0000000020', '2024-03-01', 'СА 1234 ВК', '001', 0, 0, 0, 0, 0)"));
    db.exec(QStringLiteral("INSERT INTO Marsh (ListID, Marsh, KM, Ton, Koef, RazhN) VALUES ('17', 'А', 100, 10, 0, 34)"));
    db.exec(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM) VALUES ('0000000020', 'Б', 5)"));
    MessageCapture cap;
    {
        PList w;
        QVERIFY(w.load());
        btn(w, QStringLiteral("cmdLast"))->click();
        QCOMPARE(w.txtFields[0]->text(), QStringLiteral("17"));
        btn(w, QStringLiteral("cmdEdit"))->click();
        // Another sheet's number is refused before any leg is entered.
        w.txtFields[0]->setText(QStringLiteral("0000000020"));
        btn(w, QStringLiteral("cmdUpdate"))->click();
        QCOMPARE(cap.lastText(), QStringLiteral("Съществува пътен лист със същия номер!\rМоля, променете номера и "
                                                "опитайте отново."));
        cap.clear();
        w.txtFields[0]->setText(QStringLiteral("18"));
        int legsShown = -1;
        onMarsh([&](Marsh &m) { legsShown = m.legs().recordCount(); });
        btn(w, QStringLiteral("cmdUpdate"))->click();
        QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
        QCOMPARE(legsShown, 1);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE ListID='18'")).toInt(), 1);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE ListID='17'")).toInt(), 0);
    }
    RList v;
    QVERIFY(v.load());
    QCOMPARE(v.txtFields[4]->text(), QStringLiteral("0000000020"));
    btn(v, QStringLiteral("cmdEdit"))->click();
    v.txtFields[4]->setText(QStringLiteral("0000000021"));
    btn(v, QStringLiteral("cmdUpdate"))->click();
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE MarshID='0000000021'")).toInt(), 1);
    QCOMPARE(v.grdMarsh->rowCount(), 1);
}

void TestWaybillOlder::badDateWarnsOnLeavingButNotForCancel()
{
    TestDb db;
    seed(db);
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, kod, KM, RazhN) VALUES ('A-1', '2024-03-01', ?, "
                           "'001', 0, 0)"),
            {QStringLiteral("СА 1234 ВК")});
    MessageCapture cap;
    PList w;
    QVERIFY(w.load());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    btn(w, QStringLiteral("cmdAdd"))->click();
    w.txtFields[1]->setFocus();
    typeText(w.txtFields[1], QStringLiteral("31.02.2024"));
    // Leaving the date for another box tells of the impossible date.
    w.txtFields[4]->setFocus(Qt::TabFocusReason);
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(w.txtFields[1]->hasFocus());
    // "Отказ" drops the sheet at the first click, without the message again.
    cap.clear();
    QTest::mouseClick(btn(w, QStringLiteral("cmdCancel")), Qt::LeftButton);
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(w.form()->isBrowsing());
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
}

// A negative quantity, price or fuel used on the sheet, or negative kilometres or
// tons of a leg, are refused before anything is written: no sheet, no leg, no
// warehouse line, and the typed values stay for correcting.
void TestWaybillOlder::negativeNumbersRefusedStoringNothing()
{
    TestDb db;
    seed(db);
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Kola, KM, RazhN) VALUES ('1', 'СА 1234 ВК', 0, 0)"));
    MessageCapture cap;
    PList w;
    QVERIFY(w.load());
    w.show();
    btn(w, QStringLiteral("cmdAdd"))->click();
    w.txtFields[0]->setText(QStringLiteral("2"));
    w.txtFields[1]->setText(QStringLiteral("02.03.2024"));
    w.Combo2->setEditText(QStringLiteral("СА 1234 ВК"));
    w.Combo1->setCurrentIndex(0);
    const struct {
        QLineEdit *box;
        const char *label;
    } cases[] = {{w.Text1, "Цена"}, {w.txtFields[4], "Заредена нафта"}, {w.txtFields[5], "Заредено масло"},
                 {w.txtFields[6], "Разход гориво"}, {w.Text2, "Цена"}};
    for (const auto &c : cases) {
        // Diesel 100 at a price of 1,50 (or -5, the first case) and the one box under test negative.
        w.txtFields[4]->setText(QStringLiteral("100"));
        w.Text1->setText(QStringLiteral("1,50"));
        c.box->setText(c.box == w.Text1 ? QStringLiteral("-5") : QStringLiteral("-5,5"));
        bool legsShown = false;
        onMarsh([&](Marsh &m) {
            legsShown = true;
            btn(m, QStringLiteral("cmdCancel"))->click();
        });
        cap.clear();
        btn(w, QStringLiteral("cmdUpdate"))->click();
        QCoreApplication::processEvents();
        QVERIFY2(!legsShown, c.label);
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
        QCOMPARE(cap.lastText(), QStringLiteral("Невалидно число в полето „%1“!\rВъведете число, не по-малко от 0, "
                                                "и опитайте отново.").arg(QString::fromUtf8(c.label)));
        QVERIFY(w.form()->isAdding());
        QVERIFY(c.box->text().startsWith(QLatin1Char('-')));
        c.box->setText(QStringLiteral("0"));
    }
    shot(w, "plist_negative");
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
    QCOMPARE(db.count(QStringLiteral("Sklad")), 0);

    // The legs: negative kilometres or tons leave the leg unsaved and the totals as they were.
    w.sListID = QStringLiteral("2");
    w.nRazhKola = 30.0;
    w.nKMAll = 0.0;
    w.nRazhListAll = 0.0;
    Marsh m(w, QStringLiteral("Add_Marsh"));
    QVERIFY(m.load());
    QVERIFY(m.form()->isAdding());
    m.Combo1->setEditText(QStringLiteral("София - Перник"));
    const struct {
        const char *km, *ton, *message;
    } legs[] = {{"-100", "10", "Моля, въведете километрите на курса с число, не по-малко от 0!"},
                {"100", "-5", "Моля, въведете тонажа на курса с число, не по-малко от 0!"}};
    for (const auto &l : legs) {
        m.txtFields[0]->setText(QString::fromUtf8(l.km));
        m.txtFields[5]->setText(QString::fromUtf8(l.ton));
        cap.clear();
        btn(m, QStringLiteral("cmdUpdate"))->click();
        QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
        QCOMPARE(cap.lastText(), QString::fromUtf8(l.message));
        QVERIFY(m.form()->isAdding());
        QCOMPARE(w.nKMAll, 0.0);
        QCOMPARE(w.nRazhListAll, 0.0);
    }
    shot(m, "marsh_negative");
    QCOMPARE(db.count(QStringLiteral("Marsh")), 0);
    m.txtFields[5]->setText(QStringLiteral("5"));
    btn(m, QStringLiteral("cmdUpdate"))->click();
    QVERIFY2(m.form()->isBrowsing(), qPrintable(cap.lastText()));
    QCOMPARE(w.nKMAll, 100.0);
}

QTEST_MAIN(TestWaybillOlder)
#include "test_waybillolder.moc"
