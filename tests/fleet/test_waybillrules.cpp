#include "fleet/plistrules.h"
#include "fleet/rowdlistrules.h"
#include "platform/database.h"
#include "testdb.h"

#include <QtTest>

using namespace kelm;

class TestWaybillRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numbersArePaddedToTenAndLongerAreRefused();
    void duplicateCheckSkipsTheSheetBeingCorrected();
    void deleteTakesTheSheetAndOnlyItsLegs();
    void failedDeleteKeepsSheetAndLegs();
    void renumberedSheetCarriesItsLegs();
    void duplicateNumberRefusedInsideTheSave();
    void abandonedNewSheetLeavesNoLegs();
    void fuelLinesBookedOnceAndReplacedOnCorrection();
    void olderDeleteRemovesOldKeyedLegsAndKeepsWarehouseLines();
    void legsWrittenWithTheirTotalsAndBoundedValues();
};

static void addSheet(TestDb &db, const QString &number, const QString &kola = QStringLiteral("СА 1234 ВК"))
{
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, NameDriver, SumKM, SumRazhN) "
                           "VALUES (?, ?, ?, ?, 0, 0)"),
            {number, QDate(2024, 3, 1), kola, QStringLiteral("Иван Д'Арков")});
}

static void addLeg(TestDb &db, const QString &number, double km)
{
    db.exec(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, Koef, RazhN) VALUES (?, ?, ?, 0, 0, 1)"),
            {number, QStringLiteral("маршрут"), km});
}

static int legsOf(TestDb &db, const QString &number)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE MarshID=?"), {number}).toInt();
}

void TestWaybillRules::numbersArePaddedToTenAndLongerAreRefused()
{
    QCOMPARE(padSheetNumber(QStringLiteral("123")), std::optional<QString>(QStringLiteral("0000000123")));
    QCOMPARE(padSheetNumber(QStringLiteral("  45 ")), std::optional<QString>(QStringLiteral("0000000045")));
    QCOMPARE(padSheetNumber(QStringLiteral("0000000123")), std::optional<QString>(QStringLiteral("0000000123")));
    QCOMPARE(padSheetNumber(QStringLiteral("А-17")), std::optional<QString>(QStringLiteral("000000А-17")));
    QCOMPARE(padSheetNumber(QString()), std::optional<QString>(QString()));
    QVERIFY(!padSheetNumber(QStringLiteral("12345678901")).has_value());
}

void TestWaybillRules::duplicateCheckSkipsTheSheetBeingCorrected()
{
    TestDb db;
    addSheet(db, QStringLiteral("0000000123"));
    addSheet(db, QStringLiteral("0000000200"));
    const QVariant id123 = db.scalar(QStringLiteral("SELECT ID FROM RowdList WHERE ListID='0000000123'"));
    const QVariant id200 = db.scalar(QStringLiteral("SELECT ID FROM RowdList WHERE ListID='0000000200'"));
    QVERIFY(sheetNumberTaken(db.conn(), QStringLiteral("0000000123")));
    QVERIFY(!sheetNumberTaken(db.conn(), QStringLiteral("0000000124")));
    QVERIFY(!sheetNumberTaken(db.conn(), QStringLiteral("0000000123"), id123));
    QVERIFY(sheetNumberTaken(db.conn(), QStringLiteral("0000000123"), id200));
    // A quote in a number is only a character.
    QVERIFY(!sheetNumberTaken(db.conn(), QStringLiteral("' OR 1=1 --")));
}

void TestWaybillRules::deleteTakesTheSheetAndOnlyItsLegs()
{
    TestDb db;
    addSheet(db, QStringLiteral("0000000001"));
    addSheet(db, QStringLiteral("0000000002"));
    addLeg(db, QStringLiteral("0000000001"), 10);
    addLeg(db, QStringLiteral("0000000001"), 20);
    addLeg(db, QStringLiteral("0000000002"), 30);
    Connection &c = db.conn();
    Recordset rs;
    rs.open(c, QStringLiteral("SELECT * FROM RowdList ORDER BY ListID"));
    deleteSheetWithLegs(c, rs);
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 0);
    QCOMPARE(legsOf(db, QStringLiteral("0000000002")), 1);
    rs.moveNext();
    QCOMPARE(rs.value(QStringLiteral("ListID")).toString(), QStringLiteral("0000000002"));
    QVERIFY(!c.inTransaction());
}

void TestWaybillRules::failedDeleteKeepsSheetAndLegs()
{
    TestDb db;
    addSheet(db, QStringLiteral("0000000001"));
    addLeg(db, QStringLiteral("0000000001"), 10);
    Connection &c = db.conn();
    Recordset rs;
    rs.open(c, QStringLiteral("SELECT * FROM RowdList ORDER BY ListID"));
    // The sheet's own delete is refused after its legs were already deleted:
    // both must come back.
    c.execute(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE DELETE ON RowdList "
                             "BEGIN SELECT RAISE(ABORT, 'отказано'); END"));
    QVERIFY_THROWS_EXCEPTION(DbError, deleteSheetWithLegs(c, rs));
    QCOMPARE(db.count(QStringLiteral("RowdList")), 1);
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 1);
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.value(QStringLiteral("ListID")).toString(), QStringLiteral("0000000001"));
    QVERIFY(!c.inTransaction());
}

void TestWaybillRules::renumberedSheetCarriesItsLegs()
{
    TestDb db;
    addSheet(db, QStringLiteral("0000000001"));
    addLeg(db, QStringLiteral("0000000001"), 10);
    addLeg(db, QStringLiteral("0000000001"), 20);
    Connection &c = db.conn();
    Recordset rs;
    rs.open(c, QStringLiteral("SELECT * FROM RowdList ORDER BY ListID"));
    rs.setValue(QStringLiteral("ListID"), QStringLiteral("0000000077"));
    saveSheetWithLegs(c, rs, QStringLiteral("0000000001"));
    QCOMPARE(legsOf(db, QStringLiteral("0000000077")), 2);
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT ListID FROM RowdList")).toString(), QStringLiteral("0000000077"));

    // A new sheet whose legs were saved under the number first typed takes them
    // along when it is saved under another one.
    addLeg(db, QStringLiteral("0000000005"), 40);
    rs.addNew();
    rs.setValue(QStringLiteral("ListID"), QStringLiteral("0000000006"));
    rs.setValue(QStringLiteral("Data"), QDate(2024, 3, 2));
    saveSheetWithLegs(c, rs, QStringLiteral("0000000005"));
    QCOMPARE(legsOf(db, QStringLiteral("0000000006")), 1);
    QCOMPARE(legsOf(db, QStringLiteral("0000000005")), 0);
}

void TestWaybillRules::duplicateNumberRefusedInsideTheSave()
{
    TestDb db;
    addSheet(db, QStringLiteral("0000000001"));
    addSheet(db, QStringLiteral("0000000002"));
    addLeg(db, QStringLiteral("0000000002"), 10);
    Connection &c = db.conn();
    Recordset rs;
    rs.open(c, QStringLiteral("SELECT * FROM RowdList ORDER BY ListID"));
    rs.moveLast();
    rs.setValue(QStringLiteral("ListID"), QStringLiteral("0000000001"));
    try {
        saveSheetWithLegs(c, rs, QStringLiteral("0000000002"));
        QFAIL("a second sheet 0000000001 was saved");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), int(ErrDuplicateSheet));
    }
    // Nothing moved: the legs stay with their sheet.
    QCOMPARE(legsOf(db, QStringLiteral("0000000002")), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM RowdList WHERE ListID='0000000001'")).toInt(), 1);
    QVERIFY(!c.inTransaction());
    // Saving the sheet under its own number is no duplicate.
    rs.setValue(QStringLiteral("ListID"), QStringLiteral("0000000002"));
    rs.setValue(QStringLiteral("SumKM"), 10.0);
    saveSheetWithLegs(c, rs, QStringLiteral("0000000002"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT SumKM FROM RowdList WHERE ListID='0000000002'")).toDouble(), 10.0);
}

void TestWaybillRules::abandonedNewSheetLeavesNoLegs()
{
    TestDb db;
    addSheet(db, QStringLiteral("0000000001"));
    addLeg(db, QStringLiteral("0000000001"), 10);
    addLeg(db, QStringLiteral("0000000009"), 10);
    addLeg(db, QStringLiteral("0000000009"), 15);
    QCOMPARE(deleteOrphanLegs(db.conn(), QStringLiteral("0000000009")), 2);
    QCOMPARE(deleteOrphanLegs(db.conn(), QStringLiteral("0000000001")), 0);
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 1);
}

void TestWaybillRules::fuelLinesBookedOnceAndReplacedOnCorrection()
{
    TestDb db;
    Connection &c = db.conn();
    // A receipt from the warehouse screen under the same number is not the sheet's.
    c.execute(QStringLiteral("INSERT INTO Sklad (DocVid, DocNom, Name, Kol, VidKol) VALUES (?, ?, ?, 5, 'P')"),
              {QStringLiteral("Фактура"), QStringLiteral("17"), QStringLiteral("Нафта")});
    const WaybillKey sheet{QStringLiteral("17"), QStringLiteral("СА 1234 ВК")};
    const WaybillFuel diesel{QStringLiteral("Нафта"), 40.0, 1.5};
    const WaybillFuel oil{QStringLiteral("Масло"), 0.0, 3.0};
    writeWaybillFuel(c, nullptr, sheet, QDate(2024, 3, 1), diesel, oil);

    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Sklad WHERE DocNom='17' AND Name='Масло'")).toInt(), 0);
    Recordset rs;
    rs.open(c, QStringLiteral("SELECT * FROM Sklad WHERE DocVid<>'Фактура' ORDER BY ID"));
    QCOMPARE(rs.recordCount(), 2);
    QCOMPARE(rs.value(QStringLiteral("DocVid")).toString(), QStringLiteral("Пътен лист"));
    QCOMPARE(rs.value(QStringLiteral("VidKol")).toString(), QStringLiteral("P"));
    QCOMPARE(rs.value(QStringLiteral("DocNom")).toString(), QStringLiteral("17"));
    QCOMPARE(rs.value(QStringLiteral("Data")).toDate(), QDate(2024, 3, 1));
    QCOMPARE(rs.value(QStringLiteral("Kol")).toDouble(), 40.0);
    QCOMPARE(rs.value(QStringLiteral("Edin")).toDouble(), 1.5);
    QCOMPARE(rs.value(QStringLiteral("Suma")).toDouble(), 60.0);
    QCOMPARE(rs.value(QStringLiteral("Lipsa")).toBool(), true);
    QCOMPARE(rs.value(QStringLiteral("Ostat")).toDouble(), 0.0);
    QVERIFY(rs.value(QStringLiteral("DateMod")).isNull());
    rs.moveNext();
    QCOMPARE(rs.value(QStringLiteral("DocVid")).toString(), QStringLiteral("СА 1234 ВК"));
    QCOMPARE(rs.value(QStringLiteral("VidKol")).toString(), QStringLiteral("R"));
    QCOMPARE(rs.value(QStringLiteral("Suma")).toDouble(), 60.0);

    // Corrected: other car, 50 l at 1,55 and 2.5 l of oil at 1.25 -> 3.125, to 3.12 (half to even).
    const WaybillKey corrected{QStringLiteral("17"), QStringLiteral("РВ 5555 АА")};
    writeWaybillFuel(c, &sheet, corrected, QDate(2024, 3, 2),
                     {QStringLiteral("Нафта"), 50.0, 1.55},
                     {QStringLiteral("Масло"), 2.5, 1.25});
    rs.requery();
    QCOMPARE(rs.recordCount(), 4);
    QCOMPARE(db.scalar(QStringLiteral("SELECT SUM(Kol) FROM Sklad WHERE Name='Нафта' AND VidKol='R'")).toDouble(),
             50.0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Sklad WHERE DocVid='СА 1234 ВК'")).toInt(), 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT Suma FROM Sklad WHERE Name='Масло' AND VidKol='P'")).toDouble(),
             3.12);
    QCOMPARE(db.scalar(QStringLiteral("SELECT Suma FROM Sklad WHERE Name='Нафта' AND VidKol='P' "
                                      "AND DocVid='Пътен лист'"))
                 .toDouble(),
             77.5);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Sklad WHERE DocVid='Фактура'")).toInt(), 1);
}

void TestWaybillRules::olderDeleteRemovesOldKeyedLegsAndKeepsWarehouseLines()
{
    TestDb db;
    Connection &c = db.conn();
    addSheet(db, QStringLiteral("55"));
    c.execute(QStringLiteral("INSERT INTO Marsh (ListID, Marsh, KM) VALUES ('55', 'A', 10), ('55', 'B', 5), "
                             "('56', 'C', 1)"));
    c.execute(QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM) VALUES ('55', 'live', 3)"));
    bookWaybillFuel(c, {QStringLiteral("55"), QStringLiteral("СА 1234 ВК")}, QDate(2024, 3, 1),
                    {QStringLiteral("Нафта"), 10.0, 2.0});
    Recordset rs;
    rs.open(c, QStringLiteral("SELECT * FROM RowdList ORDER BY ListID"));
    deleteOldSheetWithLegs(c, rs);
    QCOMPARE(db.count(QStringLiteral("RowdList")), 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE ListID='55'")).toInt(), 0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE ListID='56'")).toInt(), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Marsh WHERE MarshID='55'")).toInt(), 1);
    QCOMPARE(db.count(QStringLiteral("Sklad")), 2);
}

void TestWaybillRules::legsWrittenWithTheirTotalsAndBoundedValues()
{
    TestDb db;
    addSheet(db, QStringLiteral("0000000001"));
    QVector<WaybillLeg> legs{{QStringLiteral("А - Б"), 120.0, 10.0, 0.0, 40.8},
                             {QVariant(), QVariant(), QVariant(), QVariant(), QVariant()}, // started, never filled
                             {QString(), 80.0, 0.0, 0.0, 24.0}};
    replaceSheetLegs(db.conn(), QStringLiteral("0000000001"), {QStringLiteral("0000000001")}, legs);
    QCOMPARE(legsOf(db, QStringLiteral("0000000001")), 2);
    QCOMPARE(db.scalar(QStringLiteral("SELECT SumKM FROM RowdList")).toDouble(), 200.0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT SumRazhN FROM RowdList")).toDouble(), 64.8);
    applyNorm(legs, 50);
    QCOMPARE(legs[0].razhN.toDouble(), 64.8); // (10 x 0.4 + 50) x 120 / 100
    QCOMPARE(legs[2].razhN.toDouble(), 40.0);
    replaceSheetLegs(db.conn(), QStringLiteral("0000000001"), {QStringLiteral("0000000001")}, {});
    QVERIFY(db.scalar(QStringLiteral("SELECT SumKM FROM RowdList")).isNull());

    // The most the norm counts, and no less than nothing.
    QVERIFY(legValuesRefusal(QStringLiteral("32767"), 0.0, 0.0).lines.isEmpty());
    QVERIFY(legValuesRefusal(QStringLiteral("-0"), QStringLiteral("-0"), QStringLiteral("-0")).lines.isEmpty());
    QCOMPARE(legValuesRefusal(QStringLiteral("32767,5"), 0.0, 0.0).lines.value(0),
             QStringLiteral("Грешни километри на маршрута: 32767,5!"));
    QCOMPARE(legValuesRefusal(1.0, 0.0, -1.0).column, 3);
    QVERIFY(legValuesRefusal(QStringLiteral("сто"), QVariant(), 0.0).lines.isEmpty()); // left to the computation
}

QTEST_MAIN(TestWaybillRules)
#include "test_waybillrules.moc"
