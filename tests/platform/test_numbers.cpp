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
    void datesAsPeopleTypeThem();
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
    // A number shown exactly as held reads back to the same value.
    QCOMPARE(formatExact(0.1255, 3), QStringLiteral("0,1255"));
    QCOMPARE(formatExact(0.12, 3), QStringLiteral("0,120"));
    QCOMPARE(formatExact(2, 3), QStringLiteral("2,000"));
    QCOMPARE(formatExact(-0.0, 3), QStringLiteral("0,000"));
    for (double x : {0.1255, 1.0 / 3, 0.1 + 0.2, 1234567.891, 1e-7})
        QCOMPARE(parseNumber(formatExact(x, 3)).value_or(-1), x);
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

void TestNumbers::datesAsPeopleTypeThem()
{

    const auto day = [](const char *t, DateInput in = DateInput::DayFirst) {
        return parseDate(QString::fromUtf8(t), in).value_or(QDate());
    };
    // Day first with dots, four- or two-digit years (20yy), with or without zeros.
    QCOMPARE(day("05.12.2026"), QDate(2026, 12, 5));
    QCOMPARE(day("5.12.2026"), QDate(2026, 12, 5));
    QCOMPARE(day("5.12.26"), QDate(2026, 12, 5));
    QCOMPARE(day(" 1.2.04 "), QDate(2004, 2, 1));
    QCOMPARE(day("29.2.00"), QDate(2000, 2, 29));
    // Month first with slashes only where the box's hint shows ММ/ДД/ГГ.
    QCOMPARE(day("12/5/26", DateInput::AlsoMonthSlashes), QDate(2026, 12, 5));
    QCOMPARE(day("03/31/2004", DateInput::AlsoMonthSlashes), QDate(2004, 3, 31));
    QCOMPARE(day("5.12.26", DateInput::AlsoMonthSlashes), QDate(2026, 12, 5));
    QVERIFY(!parseDate(QStringLiteral("12/5/26")));
    QVERIFY(!parseDate(QStringLiteral("31/03/2004"), DateInput::AlsoMonthSlashes));
    // A real calendar date between 1900 and 2100, nothing else.
    for (const char *bad : {"", "31.02.2026", "29.02.2100", "0.1.2026", "1.13.2026", "1.1.1899", "1.1.2101",
                            "1.1.0026", "1.1.226", "1.1.20266", "1.1.-26", "1-1-2026", "1.1.2026г", "1..2026",
                            "١.١.٢٠٢٦"})
        QVERIFY2(!parseDate(QString::fromUtf8(bad), DateInput::AlsoMonthSlashes), bad);
    QCOMPARE(day("1.1.1900"), QDate(1900, 1, 1));
    QCOMPARE(day("31.12.2100"), QDate(2100, 12, 31));
    // Shown as dd.mm.yyyy, and read back from a stored text.
    QCOMPARE(formatDate(QDate(2026, 12, 5)), QStringLiteral("05.12.2026"));
    QCOMPARE(formatDate(QVariant(QStringLiteral("2026-12-05"))), QStringLiteral("05.12.2026"));
}

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
