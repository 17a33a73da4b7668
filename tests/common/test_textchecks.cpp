#include "common/textchecks.h"

#include <QtTest>

using namespace kelm;

class TestTextChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void isBlankTrimsSpacesOnly();
    void compareLenAgainstLimit();
    void isBadDateAcceptsOnlyRealDates_data();
    void isBadDateAcceptsOnlyRealDates();
    void notInListIsExactAndCaseSensitive();
};

void TestTextChecks::isBlankTrimsSpacesOnly()
{
    QVERIFY(IsBlank(QString()));
    QVERIFY(IsBlank(QStringLiteral("   ")));
    QVERIFY(!IsBlank(QStringLiteral("\t")));
    QVERIFY(!IsBlank(QStringLiteral(" а ")));
    QCOMPARE(trimSpaces(QStringLiteral("  \tа б\t  ")), QStringLiteral("\tа б\t"));
}

void TestTextChecks::compareLenAgainstLimit()
{
    QCOMPARE(CompareLen(QStringLiteral(" abc "), 3), 0);
    QCOMPARE(CompareLen(QStringLiteral(" abc "), 2), 1);
    QCOMPARE(CompareLen(QStringLiteral(" abc "), 4), -1);
    // Cyrillic counts in characters, not bytes.
    QCOMPARE(CompareLen(QStringLiteral("Иван"), 4), 0);
    QCOMPARE(CompareLen(QString(), 0), 0);
}

void TestTextChecks::isBadDateAcceptsOnlyRealDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bad");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("spaces") << QStringLiteral("   ") << true;
    QTest::newRow("month 13") << QStringLiteral("15.13.2004") << true;
    QTest::newRow("december") << QStringLiteral("15.12.2004") << false;
    QTest::newRow("month 00") << QStringLiteral("15.00.2004") << true;
    QTest::newRow("31 February") << QStringLiteral("31.02.2004") << true;
    QTest::newRow("29 February leap") << QStringLiteral("29.02.2004") << false;
    QTest::newRow("29 February common") << QStringLiteral("29.02.2005") << true;
    QTest::newRow("letters") << QStringLiteral("15.ab.2004") << true;
    QTest::newRow("short form") << QStringLiteral("1.1.2004") << false;
    QTest::newRow("surrounding spaces") << QStringLiteral(" 01.01.2004 ") << false;
    QTest::newRow("two-digit year") << QStringLiteral("01.01.04") << false;
    QTest::newRow("two-digit year, no zeros") << QStringLiteral("5.12.26") << false;
    QTest::newRow("year 1899") << QStringLiteral("31.12.1899") << true;
    QTest::newRow("year 2101") << QStringLiteral("1.1.2101") << true;
    QTest::newRow("slashes") << QStringLiteral("01/01/2004") << true;
}

void TestTextChecks::isBadDateAcceptsOnlyRealDates()
{
    QFETCH(QString, text);
    QFETCH(bool, bad);
    QCOMPARE(IsBadDate(text), bad);
}

void TestTextChecks::notInListIsExactAndCaseSensitive()
{
    const QStringList list = {QStringLiteral("CA1234"), QStringLiteral("Иван"), QStringLiteral("abc")};
    QVERIFY(!NotInList(QStringLiteral("CA1234"), list));
    QVERIFY(!NotInList(QStringLiteral("Иван"), list));
    QVERIFY(!NotInList(QStringLiteral("abc"), list));
    QVERIFY(NotInList(QStringLiteral("ABC"), list));
    QVERIFY(NotInList(QStringLiteral("иван"), list));
    QVERIFY(NotInList(QStringLiteral("abc "), list));
    QVERIFY(NotInList(QStringLiteral("abc"), QStringList()));
    QVERIFY(NotInList(QString(), QStringList()));

    const QVariantList vars = {QVariant(12), QVariant(QStringLiteral("x"))};
    QVERIFY(!NotInList(QStringLiteral("12"), vars));
    QVERIFY(!NotInList(QStringLiteral("x"), vars));
    QVERIFY(NotInList(QStringLiteral("X"), vars));
    QVERIFY(NotInList(QStringLiteral("x"), QVariantList()));
}

QTEST_APPLESS_MAIN(TestTextChecks)
#include "test_textchecks.moc"
