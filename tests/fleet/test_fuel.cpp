#include "fleet/fuel.h"
#include "platform/database.h"
#include "testdb.h"

#include <QtTest>

using namespace kelm;

class TestFuel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void normOfALegWithAndWithoutSurcharge();
    void kilometresAreAWhole16BitNumberHalfEven();
    void singlePrecisionOperandsShowInTheResult();
    void typedLegValuesMustBeNumbers();
    void olderFormulaWithTheNorthernCoefficient();
    void carNormFromConfig();
    void sheetTotalsSumTheStoredLegsOfOneSheet();
};

void TestFuel::normOfALegWithAndWithoutSurcharge()
{
    QCOMPARE(RazhN(30.0, 10.0, 200.0, 0.0), 68.0);
    QCOMPARE(RazhN(30.0, 10.0, 200.0, 20.0), 81.6);
    // 50 % multiplies by 1.5, 0 leaves the norm as it is.
    QCOMPARE(RazhN(30.0, 10.0, 200.0, 50.0), 102.0);
    QCOMPARE(koefFactor(0.0), 1.0f);
    QCOMPARE(koefFactor(50.0), 1.5f);
    // An empty load still counts the bare norm.
    QCOMPARE(RazhN(25.0, 0.0, 100.0, 0.0), 25.0);
}

void TestFuel::kilometresAreAWhole16BitNumberHalfEven()
{
    QCOMPARE(kmAsInt16(150.5), int16_t(150));
    QCOMPARE(kmAsInt16(151.5), int16_t(152));
    QCOMPARE(kmAsInt16(150.6), int16_t(151));
    QCOMPARE(kmAsInt16(32767.0), int16_t(32767));
    QCOMPARE(kmAsInt16(-32768.0), int16_t(-32768));
    // 150.5 km counts as 150: (4 + 30) * 150 / 100 = 51.0
    QCOMPARE(RazhN(30.0, 10.0, 150.5, 0.0), 51.0);
    QCOMPARE(RazhN(30.0, 10.0, 151.5, 0.0), 51.7); // 34 * 152 / 100 = 51.68
    try {
        kmAsInt16(32768.0);
        QFAIL("32768 km fitted into 16 bits");
    } catch (const DbError &e) {
        QCOMPARE(e.number(), int(ErrFuelOverflow));
    }
    QVERIFY_THROWS_EXCEPTION(DbError, RazhN(30.0, 10.0, 40000.0, 0.0));
}

void TestFuel::singlePrecisionOperandsShowInTheResult()
{
    // Half a decilitre goes to the even neighbour: 0.25 * 100 / 100 = 0.25 -> 0.2
    QCOMPARE(RazhN(0.25, 0.0, 100.0, 0.0), 0.2);
    // The norm in single precision: 0.35f is 0.3499999940..., so 0.3; the
    // same norm kept in double would make an exact half and give 0.4.
    QCOMPARE(RazhN(0.35, 0.0, 100.0, 0.0), 0.3);
    // The surcharge factor 1.1 in single precision is 1.10000002384...: 100 l
    // surcharged comes out as 110.000002 and rounds to 110.0.
    QCOMPARE(RazhN(100.0, 0.0, 100.0, 10.0), 110.0);
    QCOMPARE(RazhN(30.0, 12.3, 120.0, 0.0), 41.9); // (4.92 + 30) * 120 / 100 = 41.904
}

void TestFuel::typedLegValuesMustBeNumbers()
{
    QCOMPARE(RazhN(QVariant(30.0), QVariant(QStringLiteral("10")), QVariant(QStringLiteral("200,0")),
                   QVariant(QStringLiteral("20"))),
             81.6);
    const auto errorOf = [](const QVariant &ton, const QVariant &km, const QVariant &koef) {
        try {
            RazhN(QVariant(30.0), ton, km, koef);
        } catch (const DbError &e) {
            return e.number();
        }
        return 0;
    };
    QCOMPARE(errorOf(QStringLiteral("10"), QStringLiteral(""), QStringLiteral("0")), int(ErrFuelMissing));
    QCOMPARE(errorOf(QVariant(), QStringLiteral("100"), QStringLiteral("0")), int(ErrFuelMissing));
    QCOMPARE(errorOf(QStringLiteral("10"), QStringLiteral("100"), QStringLiteral("  ")), int(ErrFuelMissing));
    QCOMPARE(errorOf(QStringLiteral("десет"), QStringLiteral("100"), QStringLiteral("0")),
             int(ErrFuelTypeMismatch));
    QCOMPARE(errorOf(QStringLiteral("10"), QStringLiteral("1e3"), QStringLiteral("0")), int(ErrFuelTypeMismatch));
}

void TestFuel::olderFormulaWithTheNorthernCoefficient()
{
    QCOMPARE(oldLegRazhN(30.0, 100.0f, 10.0f, false), 34.0);
    QCOMPARE(oldLegRazhN(30.0, 100.0f, 10.0f, true), 40.8);
    // The older formula keeps the kilometres as they are (no whole-number step):
    // 150.5 km at norm 20 without load is 30.1 l, the live formula gives 30.0.
    QCOMPARE(oldLegRazhN(20.0, 150.5f, 0.0f, false), 30.1);
    QCOMPARE(RazhN(20.0, 0.0, 150.5, 0.0), 30.0);
    // The norm stays in double there: 0.25 l/100 km over 100 km is exactly 0.25 -> 0.2
    QCOMPARE(oldLegRazhN(0.25, 100.0f, 0.0f, false), 0.2);
}

void TestFuel::carNormFromConfig()
{
    TestDb db;
    db.exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES (?, ?, ?, ?)"),
            {QStringLiteral("СА 1234 ВК"), 31.5, 20.0, 24.0});
    db.exec(QStringLiteral("INSERT INTO Config (kola, Razhod) VALUES (?, NULL)"), {QStringLiteral("Д'Арк")});
    QCOMPARE(carNorm(db.conn(), QStringLiteral("СА 1234 ВК")), std::optional<double>(31.5));
    QVERIFY(!carNorm(db.conn(), QStringLiteral("СА 9999 ВК")).has_value());
    QVERIFY_THROWS_EXCEPTION(DbError, carNorm(db.conn(), QStringLiteral("Д'Арк")));
}

void TestFuel::sheetTotalsSumTheStoredLegsOfOneSheet()
{
    TestDb db;
    const QString ins = QStringLiteral("INSERT INTO Marsh (MarshID, Marshrut, KM, Ton, Koef, RazhN) "
                                       "VALUES (?, ?, ?, ?, ?, ?)");
    db.exec(ins, {QStringLiteral("0000000001"), QStringLiteral("София - Перник"), 120.0, 10.0, 0.0, 12.3});
    db.exec(ins, {QStringLiteral("0000000001"), QStringLiteral("Перник - София"), 80.0, 0.0, 0.0, 7.4});
    db.exec(ins, {QStringLiteral("0000000002"), QStringLiteral("другият лист"), 500.0, 0.0, 0.0, 99.0});
    SheetTotals t = sheetTotals(db.conn(), QStringLiteral("0000000001"));
    QVERIFY(t.hasLegs);
    QCOMPARE(t.km, qint64(200));
    QCOMPARE(t.razhN, 19.7);

    // No legs: nothing to write into the sheet.
    t = sheetTotals(db.conn(), QStringLiteral("0000000003"));
    QVERIFY(!t.hasLegs);

    // Kilometres above 32767 still sum, and halves go to the even neighbour.
    db.exec(ins, {QStringLiteral("0000000004"), QStringLiteral("далече"), 30000.0, 0.0, 0.0, 1.25});
    db.exec(ins, {QStringLiteral("0000000004"), QStringLiteral("още"), 10000.5, 0.0, 0.0, 1.0});
    t = sheetTotals(db.conn(), QStringLiteral("0000000004"));
    QCOMPARE(t.km, qint64(40000));
    QCOMPARE(t.razhN, 2.2);
}

QTEST_MAIN(TestFuel)
#include "test_fuel.moc"
