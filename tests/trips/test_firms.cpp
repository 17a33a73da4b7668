// The window-free rules of consignment notes: the number's padding and
// uniqueness, the save's checks and their order, and the firm list's appends.
#include "dialogs/messages.h"
#include "platform/database.h"
#include "trips/firms.h"
#include "trips/insidekursrules.h"
#include "testdb.h"

#include <QtTest>

using namespace kelm;

class TestFirms : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void padsNumbers_data();
    void padsNumbers();
    void duplicateNumber();
    void requiredFieldsInOrder_data();
    void requiredFieldsInOrder();
    void refusesLongNumberBadDateAndNonNumbers();
    void appendsFirmOnceWhateverItsBlanks();
    void blankFirmAppendsNothing();
    void firmDifferingInOneFieldIsNew();
    void firmWithQuoteAndOldNulls();
};

namespace {

QStringList validNote()
{
    QStringList b;
    for (int i = 0; i < NoteBoxCount; ++i)
        b << QString();
    b[bxKursID] = "123";
    b[bxData] = "15.03.2026";
    b[bxDriverName] = "Иван Петров";
    b[bxTruckV] = "PB1234AB";
    b[bxTruckR] = "PB5678EE";
    return b;
}

QString msg(const char *a, const char *b)
{
    return joinLines({QString::fromUtf8(a), QString(), QString::fromUtf8(b)});
}

} // namespace

void TestFirms::padsNumbers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("padded");
    QTest::addColumn<bool>("tooLong");
    QTest::newRow("one digit") << "7" << "0000000007" << false;
    QTest::newRow("three") << "123" << "0000000123" << false;
    QTest::newRow("blanks around") << "  45 " << "0000000045" << false;
    QTest::newRow("ten kept") << "1234567890" << "1234567890" << false;
    QTest::newRow("letters") << "AB12" << "000000AB12" << false;
    QTest::newRow("eleven") << "12345678901" << "12345678901" << true;
}

void TestFirms::padsNumbers()
{
    QFETCH(QString, typed);
    QFETCH(QString, padded);
    QFETCH(bool, tooLong);
    QCOMPARE(padKursNumber(typed), padded);
    QCOMPARE(kursNumberTooLong(typed), tooLong);
}

void TestFirms::duplicateNumber()
{
    TestDb db;
    db.exec("INSERT INTO ExternalKurs (KursID) VALUES ('0000000007')");
    db.exec("INSERT INTO ExternalKurs (KursID) VALUES ('0000000008')");
    const QVariant id7 = db.scalar("SELECT ID FROM ExternalKurs WHERE KursID='0000000007'");
    const QVariant id8 = db.scalar("SELECT ID FROM ExternalKurs WHERE KursID='0000000008'");

    // A new note.
    QVERIFY(kursNumberTaken(db.conn(), "0000000007"));
    QVERIFY(!kursNumberTaken(db.conn(), "0000000009"));
    // A corrected note keeping its own number.
    QVERIFY(!kursNumberTaken(db.conn(), "0000000007", id7));
    // A corrected note taking another note's number.
    QVERIFY(kursNumberTaken(db.conn(), "0000000007", id8));
    // A quote in the number is only a character.
    QVERIFY(!kursNumberTaken(db.conn(), "00000'7'--"));
}

void TestFirms::requiredFieldsInOrder_data()
{
    QTest::addColumn<QList<int>>("blank");
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("message");
    QTest::newRow("number") << QList<int>{bxKursID, bxData} << int(bxKursID)
                            << msg("Няма въведен номер на ЧМР!", "Моля, въведете номер на ЧМР.");
    QTest::newRow("date") << QList<int>{bxData, bxDriverName} << int(bxData)
                          << msg("Няма въведена дата на ЧМР!", "Моля, въведете датата на ЧМР.");
    QTest::newRow("driver") << QList<int>{bxDriverName, bxTruckR} << int(bxDriverName)
                            << msg("Няма въведено име на шофьор!", "Моля, въведете името на шофьора.");
    QTest::newRow("tractor") << QList<int>{bxTruckV} << int(bxTruckV)
                             << msg("Няма въведен номер на влекач!", "Моля, въведете номера на влекача.");
    QTest::newRow("trailer") << QList<int>{bxTruckR} << int(bxTruckR)
                             << msg("Няма въведен номер на ремарке!", "Моля, въведете номера на ремаркето.");
}

void TestFirms::requiredFieldsInOrder()
{
    QFETCH(QList<int>, blank);
    QFETCH(int, box);
    QFETCH(QString, message);
    QStringList b = validNote();
    QVERIFY(checkNote(b).ok());
    for (int i : blank)
        b[i] = "   ";
    const NoteCheck c = checkNote(b);
    QCOMPARE(c.box, box);
    QCOMPARE(c.message, message);
}

void TestFirms::refusesLongNumberBadDateAndNonNumbers()
{
    QStringList b = validNote();
    b[bxKursID] = "12345678901";
    QCOMPARE(checkNote(b).box, int(bxKursID));
    QCOMPARE(checkNote(b).message, numberTooLongMessage());

    b = validNote();
    b[bxData] = "31.02.2026";
    QCOMPARE(checkNote(b).box, int(bxData));
    b[bxData] = "15/03/2026x";
    QCOMPARE(checkNote(b).box, int(bxData));

    for (int i : {bxTovarTon, bxTotalFuel, bxTotalKM, bxTotalP, bxTotalR}) {
        b = validNote();
        b[i] = "12,5";
        QVERIFY(checkNote(b).ok());
        b[i] = "12.5";
        QVERIFY(checkNote(b).ok());
        b[i] = "12a";
        QCOMPARE(checkNote(b).box, i);
        QVERIFY(checkNote(b).message.endsWith("Моля, въведете число, не по-малко от 0."));
    }
}

void TestFirms::appendsFirmOnceWhateverItsBlanks()
{
    TestDb db;
    const FirmTexts f{"Д'Арк ООД", "ул. Лом 5", "Русе", "България"};
    QVERIFY(appendFirmIfNew(db.conn(), f));
    QCOMPARE(db.count("Firms"), 1);
    QCOMPARE(db.scalar("SELECT SrName FROM Firms").toString(), QString("Д'Арк ООД"));
    // The same firm typed with blanks around its texts is the same firm.
    QVERIFY(!appendFirmIfNew(db.conn(), {"  Д'Арк ООД ", "ул. Лом 5  ", " Русе", "България "}));
    QVERIFY(!appendFirmIfNew(db.conn(), f));
    QCOMPARE(db.count("Firms"), 1);

    // Stored trimmed: typed first with blanks, found again without them.
    QVERIFY(appendFirmIfNew(db.conn(), {" Алфа ", "", "  София", ""}));
    QCOMPARE(db.scalar("SELECT SrCity FROM Firms WHERE SrName='Алфа'").toString(), QString("София"));
    QVERIFY(!appendFirmIfNew(db.conn(), {"Алфа", "  ", "София", ""}));
    QCOMPARE(db.count("Firms"), 2);
}

void TestFirms::blankFirmAppendsNothing()
{
    TestDb db;
    QVERIFY((FirmTexts{" ", "", "   ", ""}.isBlank()));
    QVERIFY(!appendFirmIfNew(db.conn(), {" ", "", "   ", ""}));
    QVERIFY(!appendFirmIfNew(db.conn(), {}));
    QCOMPARE(db.count("Firms"), 0);
}

void TestFirms::firmDifferingInOneFieldIsNew()
{
    TestDb db;
    QVERIFY(appendFirmIfNew(db.conn(), {"Бета", "Адрес 1", "Варна", "България"}));
    QVERIFY(appendFirmIfNew(db.conn(), {"Бета", "Адрес 1", "Варнa", "България"})); // Latin "a"
    QVERIFY(appendFirmIfNew(db.conn(), {"Бета", "Адрес 1", "Варна", ""}));
    QCOMPARE(db.count("Firms"), 3);
}

void TestFirms::firmWithQuoteAndOldNulls()
{
    TestDb db;
    // A row with missing values counts as a firm with empty texts.
    db.exec("INSERT INTO Firms (SrName, SrAdres, SrCity, SrCountry) VALUES ('Гама', NULL, 'Бургас', NULL)");
    QVERIFY(firmExists(db.conn(), {"Гама", "", "Бургас", ""}));
    QVERIFY(!appendFirmIfNew(db.conn(), {"Гама", "", "Бургас", ""}));
    QCOMPARE(db.count("Firms"), 1);
}

QTEST_MAIN(TestFirms)
#include "test_firms.moc"
