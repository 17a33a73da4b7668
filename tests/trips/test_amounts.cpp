#include "platform/database.h"
#include "testdb.h"
#include "trips/amounts.h"

#include <QtTest>

using namespace kelm;

class TestAmounts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void amounts_data();
    void amounts();
    void bandEdges_data();
    void bandEdges();
    void tariffsReadFromTheOneRow();
    void noTariffRowGivesZeros();
};

void TestAmounts::amounts_data()
{
    QTest::addColumn<double>("ton");
    QTest::addColumn<double>("km");
    QTest::addColumn<double>("tariff");
    QTest::addColumn<double>("bruto");
    QTest::addColumn<double>("procent");
    QTest::addColumn<double>("neto");
    QTest::newRow("12.5 t x 40 km x 0.125") << 12.5 << 40.0 << 0.125 << 62.5 << 1.88 << 60.62;
    QTest::newRow("half goes to the even neighbour") << 1.0 << 1.0 << 0.125 << 0.12 << 0.0 << 0.12;
    QTest::newRow("nothing carried") << 0.0 << 120.0 << 0.2 << 0.0 << 0.0 << 0.0;
    QTest::newRow("larger trip") << 24.0 << 350.0 << 0.085 << 714.0 << 21.42 << 692.58;
}

void TestAmounts::amounts()
{
    QFETCH(double, ton);
    QFETCH(double, km);
    QFETCH(double, tariff);
    QFETCH(double, bruto);
    QFETCH(double, procent);
    QFETCH(double, neto);
    const TripAmounts a = tripAmounts(ton, km, tariff);
    QCOMPARE(a.bruto, bruto);
    QCOMPARE(a.procent, procent);
    // neto is the plain difference, not rounded again: compare to the stotinka.
    QVERIFY2(qAbs(a.neto - neto) < 1e-9, qPrintable(QString::number(a.neto, 'g', 17)));
    QCOMPARE(a.neto, a.bruto - a.procent);
}

void TestAmounts::bandEdges_data()
{
    QTest::addColumn<double>("km");
    QTest::addColumn<int>("band");
    QTest::addColumn<QString>("column");
    QTest::newRow("negative") << -5.0 << int(Band20) << "Trf_20";
    QTest::newRow("0") << 0.0 << int(Band20) << "Trf_20";
    QTest::newRow("20") << 20.0 << int(Band20) << "Trf_20";
    QTest::newRow("20.5") << 20.5 << int(Band20to30) << "Trf_20-30";
    QTest::newRow("21") << 21.0 << int(Band20to30) << "Trf_20-30";
    QTest::newRow("30") << 30.0 << int(Band20to30) << "Trf_20-30";
    QTest::newRow("31") << 31.0 << int(Band30to50) << "Trf_30-50";
    QTest::newRow("50") << 50.0 << int(Band30to50) << "Trf_30-50";
    QTest::newRow("51") << 51.0 << int(Band50to100) << "Trf_50-100";
    QTest::newRow("100") << 100.0 << int(Band50to100) << "Trf_50-100";
    QTest::newRow("101") << 101.0 << int(Band100to200) << "Trf_100-200";
    QTest::newRow("200") << 200.0 << int(Band100to200) << "Trf_100-200";
    QTest::newRow("201") << 201.0 << int(Band200) << "Trf_200";
}

void TestAmounts::bandEdges()
{
    QFETCH(double, km);
    QFETCH(int, band);
    QFETCH(QString, column);
    QCOMPARE(int(tariffBand(km)), band);
    QCOMPARE(tariffColumn(tariffBand(km)), column);
}

void TestAmounts::tariffsReadFromTheOneRow()
{
    TestDb db;
    db.exec(QStringLiteral("DELETE FROM Tarifi"));
    db.exec(QStringLiteral("INSERT INTO Tarifi (Trf_20, \"Trf_20-30\", \"Trf_30-50\", \"Trf_50-100\", "
                           "\"Trf_100-200\", Trf_200) VALUES (?, ?, ?, ?, ?, ?)"),
            {0.6, 0.5, 0.4, 0.3, 0.2, 0.1});
    const BandTariffs t = BandTariffs::load(db.conn());
    QCOMPARE(t.forKm(0), 0.6);
    QCOMPARE(t.forKm(20), 0.6);
    QCOMPARE(t.forKm(21), 0.5);
    QCOMPARE(t.forKm(50), 0.4);
    QCOMPARE(t.forKm(100), 0.3);
    QCOMPARE(t.forKm(200), 0.2);
    QCOMPARE(t.forKm(201), 0.1);
}

void TestAmounts::noTariffRowGivesZeros()
{
    TestDb db;
    db.exec(QStringLiteral("DELETE FROM Tarifi"));
    const BandTariffs t = BandTariffs::load(db.conn());
    for (double v : t.values)
        QCOMPARE(v, 0.0);
}

QTEST_MAIN(TestAmounts)
#include "test_amounts.moc"
