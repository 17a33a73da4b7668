#include "platform/numbers.h"

#include <QLocale>
#include <cmath>
#include <QtTest>

using namespace kelm;

class TestNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundHalvesToEven();
    void formatsWithDecimalComma();
    void formatIgnoresMachineLocale();
    void parseNumberAcceptsCommaAndPoint();
    void boundedNumbersRefuseTheAbsurd();
};

void TestNumbers::roundHalvesToEven()
{
    QCOMPARE(Round(62.5, 2), 62.5);
    QCOMPARE(Round(1.875, 2), 1.88);
    QCOMPARE(Round(0.125, 2), 0.12);
    QCOMPARE(Round(0.375, 2), 0.38);
    QCOMPARE(Round(2.5, 0), 2.0);
    QCOMPARE(Round(3.5, 0), 4.0);
    QCOMPARE(Round(-2.5, 0), -2.0);
    QCOMPARE(Round(1234.5678, 3), 1234.568);
}

void TestNumbers::formatsWithDecimalComma()
{
    QCOMPARE(formatNumber(1234.56, QStringLiteral("###0")), QStringLiteral("1235"));
    QCOMPARE(formatNumber(1234.56, QStringLiteral("###0.0")), QStringLiteral("1234,6"));
    QCOMPARE(formatNumber(1234.5, QStringLiteral("###0.00")), QStringLiteral("1234,50"));
    QCOMPARE(formatNumber(0.0, QStringLiteral("###0.00")), QStringLiteral("0,00"));
    QCOMPARE(formatNumber(12.3456, QStringLiteral("###0.000")), QStringLiteral("12,346"));
    QCOMPARE(formatNumber(7.0, 3), QStringLiteral("7,000"));
    // No thousands separator, whatever the size.
    QCOMPARE(formatNumber(1234567.0, 2), QStringLiteral("1234567,00"));
    QCOMPARE(formatNumber(-5.25, 2), QStringLiteral("-5,25"));
    QCOMPARE(formatNumber(-0.001, 2), QStringLiteral("0,00"));
    QCOMPARE(formatNumberPoint(1234.5, 2), QStringLiteral("1234.50"));

    // Amounts typed with one decimal place more are rounded as they read, halves up,
    // although their nearest double lies just below the half.
    QCOMPARE(formatNumber(2.675, 2), QStringLiteral("2,68"));
    QCOMPARE(formatNumber(1.005, 2), QStringLiteral("1,01"));
    QCOMPARE(formatNumber(0.285, 2), QStringLiteral("0,29"));
    QCOMPARE(formatNumber(8.825, 2), QStringLiteral("8,83"));
    QCOMPARE(formatNumber(-2.675, 2), QStringLiteral("-2,68"));
    QCOMPARE(formatNumber(12.345, "###0.00"), QStringLiteral("12,35"));
    QCOMPARE(formatNumber(0.2 + 0.1, 2), QStringLiteral("0,30"));
    QCOMPARE(formatNumber(2.674999, 2), QStringLiteral("2,67"));
    QCOMPARE(formatNumber(9.995, 2), QStringLiteral("10,00"));
    QCOMPARE(formatNumber(0.5, 0), QStringLiteral("1"));
    QCOMPARE(formatNumber(0.4, 0), QStringLiteral("0"));
    QCOMPARE(formatNumber(0.0004, 3), QStringLiteral("0,000"));
    QCOMPARE(formatNumber(0.0005, 3), QStringLiteral("0,001"));
    QCOMPARE(formatNumber(123456789012.5, 0), QStringLiteral("123456789013"));
    QCOMPARE(formatNumber(1e20, 2), QStringLiteral("100000000000000000000,00"));
}

void TestNumbers::formatIgnoresMachineLocale()
{
    const QLocale old;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(formatNumber(1234.5, 2), QStringLiteral("1234,50"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(formatNumber(1234.5, 2), QStringLiteral("1234,50"));
    QCOMPARE(parseNumber(QStringLiteral("1,5")).value_or(-1), 1.5);
    QLocale::setDefault(old);
}

void TestNumbers::parseNumberAcceptsCommaAndPoint()
{
    QCOMPARE(parseNumber(QStringLiteral("12,50")).value_or(-1), 12.5);
    QCOMPARE(parseNumber(QStringLiteral("12.50")).value_or(-1), 12.5);
    QCOMPARE(parseNumber(QStringLiteral(" 12 ")).value_or(-1), 12.0);
    QCOMPARE(parseNumber(QStringLiteral("-3,25")).value_or(0), -3.25);
    QCOMPARE(parseNumber(QStringLiteral(",5")).value_or(-1), 0.5);
    QVERIFY(!parseNumber(QString()).has_value());
    QVERIFY(!parseNumber(QStringLiteral("   ")).has_value());
    QVERIFY(!parseNumber(QStringLiteral("12a")).has_value());
    QVERIFY(!parseNumber(QStringLiteral("1,2,3")).has_value());
    QVERIFY(!parseNumber(QStringLiteral("1 000")).has_value());
    QVERIFY(!parseNumber(QStringLiteral("abc")).has_value());
}

void TestNumbers::boundedNumbersRefuseTheAbsurd()
{
    QCOMPARE(parseBounded(QStringLiteral("1000"), limits::kTons).value_or(-1), 1000.0);
    QCOMPARE(parseBounded(QStringLiteral("-1000"), limits::kTons).value_or(0), -1000.0);
    QVERIFY(!parseBounded(QStringLiteral("1000,01"), limits::kTons));
    QVERIFY(!parseBounded(QStringLiteral("99999999999999999999"), limits::kMoney));
    QVERIFY(!parseBounded(QStringLiteral("1") + QString(308, QLatin1Char('0')), limits::kMoney));
    QVERIFY(!parseBounded(QStringLiteral("1") + QString(400, QLatin1Char('0')), limits::kMoney));
    QVERIFY(!parseBounded(QStringLiteral("abc"), limits::kMoney));
    const auto z = parseBounded(QStringLiteral("-0"), limits::kMoney);
    QVERIFY(z && *z == 0 && !std::signbit(*z));
}

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
