#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "testdb.h"
#include "trips/tripsave.h"

#include <QtTest>

using namespace kelm;

class TestTripSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checksRunInTheirOrder();
    void lengthLimitsAreInclusive();
    void driverCode_data();
    void driverCode();
    void correctionKeepsItsDriverAndInvoice();
    void numbersAreRefusedBeforeWriting_data();
    void numbersAreRefusedBeforeWriting();
    void newTripWritesRowAndExpenseLine();
    void expenseReadsCommaAndPoint_data();
    void expenseReadsCommaAndPoint();
    void correctionUpdatesTheRowAndBooksItsLine();
    void failedExpenseLineWritesNeither();
    void failedTripRowWritesNeither();
    void quotesAreStoredAsTyped();
    void pickListsAppendOnlyNewTrimmedValues();
};

// The trip as the editor read it.
static RowAsRead tripAsRead(TestDb &db, qint64 id)
{
    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT * FROM tabl WHERE ID=?"), {id});
    return rs.rowAsRead();
}

static TripEntry goodEntry()
{
    TripEntry e;
    e.driver = QStringLiteral("A01,Иван Петров");
    e.car = QStringLiteral(" СА1234ВС ");
    e.route = QStringLiteral("София - Перник");
    e.client = QStringLiteral("Д'Арк ООД");
    e.goods = QStringLiteral("Пясък");
    e.date = QStringLiteral("15.03.2004");
    e.ton = QStringLiteral("12,5");
    e.km = QStringLiteral("40");
    e.tariff = QStringLiteral("0,125");
    e.invoice = QStringLiteral("0000000000");
    return e;
}

static TripSaveContext adding()
{
    TripSaveContext c;
    c.newKursMode = true;
    c.adding = true;
    c.drivers = {QStringLiteral("A01,Иван Петров"), QStringLiteral("Z99,Друг шофьор")};
    return c;
}

void TestTripSave::checksRunInTheirOrder()
{
    // Start from nothing and mend one box after each message: every step must be
    // stopped by exactly the next check of the list, with its two lines.
    struct Step {
        TripCheck check;
        QString first, second;
        std::function<void(TripEntry &)> mend;
    };
    const QList<Step> steps{
        {CheckDriverBlank, "Няма име на шофьора!", "Моля, изберете името на шофьора!",
         [](TripEntry &e) { e.driver = ",Без код"; }},
        {CheckCarBlank, "Няма номер на кола!", "Моля, въведете номера на колата!",
         [](TripEntry &e) { e.car = "СА1234567890X"; }},
        {CheckDateBlank, "Няма въведена дата!", "Моля, въведете датата на курса!",
         [](TripEntry &e) { e.date = "31.02.2004"; }},
        {CheckTonBlank, "Няма въведен тонаж!", "Моля, въведете тонажа на курса",
         [](TripEntry &e) { e.ton = "много"; }},
        {CheckKmBlank, "Няма въведени километри!", "Моля, въведете километрите на курса",
         [](TripEntry &e) { e.km = "12,5"; }},
        {CheckTariffBlank, "Няма въведена тарифа!", "Моля, въведете тарифата на курса",
         [](TripEntry &e) { e.tariff = "x"; }},
        {CheckRouteBlank, "Няма въведен маршрут!", "Моля, изберете маршрута на курса",
         [](TripEntry &e) { e.route = QString(26, QChar(u'М')); }},
        {CheckClientBlank, "Няма въведен клиент!", "Моля, изберете клиента на курса!",
         [](TripEntry &e) { e.client = QString(26, QChar(u'К')); }},
        {CheckGoodsBlank, "Няма въведен товар!", "Моля, изберете товара на курса!",
         [](TripEntry &e) { e.goods = QString(26, QChar(u'Т')); }},
        {CheckInvoiceBlank, "Няма въведена фактура!", "Моля, въведете номер на фактурата!",
         [](TripEntry &e) { e.invoice = "123456789"; }},
        {CheckInvoiceLength, "Грешен номер на фактура!", "Моля, въведете 10 цифри за номер на фактурата!",
         [](TripEntry &e) { e.invoice = "12345678AB"; }},
        {CheckDriverCode, "Грешно име на шофьор!", "Моля, изберете име от списъка!",
         [](TripEntry &e) { e.driver = "XYZW,Няма го"; }},
        {CheckCarLength, "Номера на колата е по-дълъг от разрешения!",
         "Моля, въведете до 12 символа за номер на колата!", [](TripEntry &e) { e.car = "СА1234ВС"; }},
        {CheckGoodsLength, "Вида на товара е по-дълъг от разрешения!",
         "Моля, въведете до 25 символа за вида на товара!", [](TripEntry &e) { e.goods = "Пясък"; }},
        {CheckClientLength, "Името на клиента е по-дълъго от разрешеното!",
         "Моля, въведете до 25 символа за име на клиента!", [](TripEntry &e) { e.client = "Клиент"; }},
        {CheckRouteLength, "Маршрута е по-дълъг от разрешения!", "Моля, въведете до 25 символа за маршрут!",
         [](TripEntry &e) { e.route = "Маршрут"; }},
        {CheckDriverUnknown, "Няма такъв шофьор!", "Моля, изберете шофьора от списъка „Шофьор“!",
         [](TripEntry &e) { e.driver = "A01,Иван Петров"; }},
        {CheckDate, "Неверен формат на датата!", "Проверете въведената дата и опитайте отново.",
         [](TripEntry &e) { e.date = "29.02.2004"; }},
        {CheckTonNumber, "Грешен тонаж!", "Моля, въведете тонажа на курса с число, не по-малко от 0!",
         [](TripEntry &e) { e.ton = "12.5"; }},
        {CheckKmNumber, "Грешни километри!",
         "Моля, въведете километрите на курса с цяло число, не по-малко от 0!",
         [](TripEntry &e) { e.km = "40"; }},
        {CheckTariffNumber, "Грешна тарифа!", "Моля, въведете тарифата на курса с число, не по-малко от 0!",
         [](TripEntry &e) { e.tariff = "0.125"; e.expense = "12лв"; }},
        {CheckExpenseNumber, "Грешен разход за курса!",
         "Моля, въведете разхода за курса с число, не по-малко от 0!",
         [](TripEntry &e) { e.expense = ""; }},
    };
    TripEntry e;
    for (const Step &s : steps) {
        const TripSaveResult r = checkTrip(e, adding());
        QVERIFY2(!r.ok, qPrintable(s.first));
        QCOMPARE(int(r.check), int(s.check));
        QCOMPARE(r.text, s.first + QChar(13) + s.second);
        if (s.check == CheckDate) {
            QCOMPARE(r.caption, QString()); // the information box's own caption
            QCOMPARE(r.focus, TripBox::Date);
        } else {
            QCOMPARE(r.caption, QStringLiteral("ГРЕШКА при запис!"));
        }
        if (s.check <= CheckRouteLength)
            QCOMPARE(r.focus, TripBox::None);
        s.mend(e);
    }
    const TripSaveResult r = checkTrip(e, adding());
    QVERIFY(r.ok);
    QCOMPARE(r.row.kod, QStringLiteral("A01"));
    QCOMPARE(r.row.data, QDate(2004, 2, 29));
    // A date typed the short way is this century's; a year outside 1900-2100 is no date.
    e.date = QStringLiteral("5.12.26");
    QCOMPARE(checkTrip(e, adding()).row.data, QDate(2026, 12, 5));
    e.date = QStringLiteral("5.12.1899");
    QCOMPARE(int(checkTrip(e, adding()).check), int(CheckDate));
}

void TestTripSave::lengthLimitsAreInclusive()
{
    TripEntry e = goodEntry();
    e.car = QStringLiteral(" 123456789012 ");
    e.route = e.client = e.goods = QString(25, QChar(u'Ж'));
    QVERIFY(checkTrip(e, adding()).ok);
    e.car = QStringLiteral("1234567890123");
    QCOMPARE(int(checkTrip(e, adding()).check), int(CheckCarLength));
    e = goodEntry();
    e.invoice = QStringLiteral("12345678901");
    QCOMPARE(int(checkTrip(e, adding()).check), int(CheckInvoiceLength));
}

void TestTripSave::driverCode_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("code");
    QTest::newRow("picked") << "A01,Иван Петров" << "A01";
    QTest::newRow("blanks around") << "  B2 , Мария " << "B2";
    QTest::newRow("name with comma") << "C03,Петров, Иван" << "C03";
    QTest::newRow("no code") << ",Иван" << "";
    QTest::newRow("no comma") << "A01" << "";
}

void TestTripSave::driverCode()
{
    QFETCH(QString, entry);
    QFETCH(QString, code);
    QCOMPARE(driverCodeOf(entry), code);
}

void TestTripSave::correctionKeepsItsDriverAndInvoice()
{
    TripEntry e = goodEntry();
    e.driver = QStringLiteral("Z99,Друг шофьор");
    e.invoice = QStringLiteral("0000000042");
    e.invoiced = true;
    TripSaveContext c;
    c.newKursMode = true;
    c.adding = false;
    c.trip.key = 7;
    c.tripKod = QStringLiteral("A01");
    TripSaveResult r = checkTrip(e, c);
    QVERIFY(r.ok);
    QCOMPARE(r.row.kod, QStringLiteral("A01"));
    QCOMPARE(r.row.nomFakt, QStringLiteral("0000000042"));
    QVERIFY(r.row.fakt);
    // A new trip is never invoiced, whatever the boxes say.
    r = checkTrip(e, adding());
    QCOMPARE(r.row.kod, QStringLiteral("Z99"));
    QCOMPARE(r.row.nomFakt, QStringLiteral("0000000000"));
    QVERIFY(!r.row.fakt);
    // A correction of a trip stored without a driver stops at the driver code.
    c.tripKod.clear();
    QCOMPARE(int(checkTrip(e, c).check), int(CheckDriverCode));
}

void TestTripSave::numbersAreRefusedBeforeWriting_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("check");
    QTest::newRow("ton text") << "ton" << "дванайсет" << int(CheckTonNumber);
    QTest::newRow("ton negative") << "ton" << "-1" << int(CheckTonNumber);
    QTest::newRow("km fraction") << "km" << "40,5" << int(CheckKmNumber);
    QTest::newRow("km negative") << "km" << "-40" << int(CheckKmNumber);
    QTest::newRow("km text") << "km" << "40км" << int(CheckKmNumber);
    QTest::newRow("tariff text") << "tariff" << "0,1,2" << int(CheckTariffNumber);
    QTest::newRow("expense text") << "expense" << "12 лв." << int(CheckExpenseNumber);
    QTest::newRow("expense negative") << "expense" << "-3" << int(CheckExpenseNumber);
}

void TestTripSave::numbersAreRefusedBeforeWriting()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(int, check);
    TestDb db;
    TripEntry e = goodEntry();
    if (box == "ton") e.ton = text;
    if (box == "km") e.km = text;
    if (box == "tariff") e.tariff = text;
    if (box == "expense") e.expense = text;
    const TripSaveResult r = saveTrip(db.conn(), e, adding());
    QVERIFY(!r.ok);
    QCOMPARE(int(r.check), check);
    QCOMPARE(r.caption, QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(r.focus != TripBox::None);
    QCOMPARE(db.count("tabl"), 0);
    QCOMPARE(db.count("Sklad"), 0);
}

void TestTripSave::newTripWritesRowAndExpenseLine()
{
    TestDb db;
    TripEntry e = goodEntry();
    e.invoice = QStringLiteral("1234567890"); // any ten characters pass; zeros are stored
    e.invoiced = true;
    e.paid = true;
    e.expense = QStringLiteral("12,50");
    const TripSaveResult r = saveTrip(db.conn(), e, adding());
    QVERIFY2(r.ok, qPrintable(r.text));
    QCOMPARE(db.count("tabl"), 1);
    Recordset rs;
    rs.open(db.conn(), QStringLiteral("SELECT * FROM tabl"));
    QCOMPARE(rs.value("ID").toLongLong(), r.row.id);
    QCOMPARE(rs.value("Data").toDate(), QDate(2004, 3, 15));
    QCOMPARE(rs.value("kola").toString(), QStringLiteral("СА1234ВС"));
    QCOMPARE(rs.value("kod").toString(), QStringLiteral("A01"));
    QCOMPARE(rs.value("Klient").toString(), QStringLiteral("Д'Арк ООД"));
    QCOMPARE(rs.value("km").toInt(), 40);
    QCOMPARE(rs.value("ton").toDouble(), 12.5);
    QCOMPARE(rs.value("Tarifa").toDouble(), 0.125);
    QCOMPARE(rs.value("bruto").toDouble(), 62.5);
    QCOMPARE(rs.value("procent").toDouble(), 1.88);
    QVERIFY(qAbs(rs.value("neto").toDouble() - 60.62) < 1e-9);
    QCOMPARE(rs.value("NomFakt").toString(), QStringLiteral("0000000000"));
    QCOMPARE(rs.value("Fakt").toBool(), false);
    QCOMPARE(rs.value("plat").toBool(), true);
    QCOMPARE(rs.value("Doc").toBool(), false);
    QVERIFY(rs.value("DateMod").isNull());

    Recordset sk;
    sk.open(db.conn(), QStringLiteral("SELECT * FROM Sklad"));
    QCOMPARE(sk.recordCount(), 1);
    QCOMPARE(sk.value("DocVid").toString(), QStringLiteral("СА1234ВС"));
    QCOMPARE(sk.value("DocNom").toString(), QStringLiteral("0000000000"));
    QCOMPARE(sk.value("Data").toDate(), QDate(2004, 3, 15));
    QCOMPARE(sk.value("Name").toString(), QStringLiteral("Разходи за курс"));
    QCOMPARE(sk.value("Kol").toDouble(), 1.0);
    QCOMPARE(sk.value("Edin").toDouble(), 12.5);
    QCOMPARE(sk.value("Suma").toDouble(), 12.5);
    QCOMPARE(sk.value("VidKol").toString(), QStringLiteral("R"));
    QCOMPARE(sk.value("Lipsa").toBool(), true);
    QCOMPARE(sk.value("Ostat").toDouble(), 0.0);
    QVERIFY(sk.value("DateMod").isNull());
    QCOMPARE(db.count("Nalich"), 0);
}

void TestTripSave::expenseReadsCommaAndPoint_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("comma") << "12,50" << 12.5;
    QTest::newRow("point") << "12.50" << 12.5;
    QTest::newRow("blanks") << "  7 " << 7.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("spaces") << "   " << 0.0;
}

void TestTripSave::expenseReadsCommaAndPoint()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    TestDb db;
    TripEntry e = goodEntry();
    e.expense = text;
    QVERIFY(saveTrip(db.conn(), e, adding()).ok);
    QCOMPARE(db.scalar("SELECT Edin FROM Sklad").toDouble(), value);
    QCOMPARE(db.scalar("SELECT Suma FROM Sklad").toDouble(), value);
}

void TestTripSave::correctionUpdatesTheRowAndBooksItsLine()
{
    TestDb db;
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, "
            "neto, NomFakt, Fakt) VALUES ('2004-03-01', 'В1111АА', 'A01', 'Стар', 'Стар', 'Стар', 1, 10, "
            "0.1, 1, 0.03, 0.97, '0000000077', 1)");
    db.exec("INSERT INTO tabl (Data, kola, kod) VALUES ('2004-03-02', 'В1111АА', 'B02')");
    const qint64 id = db.scalar("SELECT ID FROM tabl WHERE kod='A01'").toLongLong();
    TripEntry e = goodEntry();
    e.driver = QStringLiteral("B02");
    e.invoice = QStringLiteral("0000000077");
    e.invoiced = true;
    TripSaveContext c;
    c.newKursMode = false;
    c.adding = false;
    c.trip = tripAsRead(db, id);
    c.tripKod = QStringLiteral("A01");
    const TripSaveResult r = saveTrip(db.conn(), e, c);
    QVERIFY2(r.ok, qPrintable(r.text));
    QCOMPARE(db.count("tabl"), 2);
    QCOMPARE(db.scalar("SELECT kod FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("A01"));
    QCOMPARE(db.scalar("SELECT Marsh FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("София - Перник"));
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE ID=?", {id}).toDouble(), 62.5);
    QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("0000000077"));
    QCOMPARE(db.scalar("SELECT Fakt FROM tabl WHERE ID=?", {id}).toInt(), 1);
    QCOMPARE(db.scalar("SELECT Marsh FROM tabl WHERE kod='B02'").toString(), QString());
    QCOMPARE(db.count("Sklad"), 1);
    QCOMPARE(db.scalar("SELECT Suma FROM Sklad").toDouble(), 0.0);
}

void TestTripSave::failedExpenseLineWritesNeither()
{
    TestDb db;
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, km) VALUES ('2004-03-01', 'В1111АА', 'A01', 'Стар', 1)");
    const qint64 id = db.scalar("SELECT ID FROM tabl").toLongLong();
    db.exec("CREATE TRIGGER no_lines BEFORE INSERT ON Sklad BEGIN SELECT RAISE(ABORT, 'складът е заключен'); END");

    // A new trip: no row stays behind.
    TripSaveResult r = saveTrip(db.conn(), goodEntry(), adding());
    QVERIFY(!r.ok);
    QCOMPARE(int(r.check), int(CheckNone));
    QCOMPARE(r.caption, QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY2(r.text.contains(QStringLiteral("Записът не отговаря на ограниченията")), qPrintable(r.text));
    QVERIFY(r.text.contains(QLatin1Char(':')));
    QCOMPARE(db.count("tabl"), 1);
    QCOMPARE(db.count("Sklad"), 0);

    // A correction: the row keeps what it had.
    TripSaveContext c;
    c.adding = false;
    c.trip = tripAsRead(db, id);
    c.tripKod = QStringLiteral("A01");
    r = saveTrip(db.conn(), goodEntry(), c);
    QVERIFY(!r.ok);
    QCOMPARE(db.scalar("SELECT Marsh FROM tabl").toString(), QStringLiteral("Стар"));
    QCOMPARE(db.scalar("SELECT km FROM tabl").toInt(), 1);
    QVERIFY(!db.conn().inTransaction());

    // Once the warehouse takes lines again the same save goes through.
    db.exec("DROP TRIGGER no_lines");
    QVERIFY(saveTrip(db.conn(), goodEntry(), adding()).ok);
    QCOMPARE(db.count("tabl"), 2);
    QCOMPARE(db.count("Sklad"), 1);
}

void TestTripSave::failedTripRowWritesNeither()
{
    TestDb db;
    // A correction of a trip someone else deleted meanwhile.
    TripSaveContext c;
    c.adding = false;
    c.trip = {QStringLiteral("tabl"), QStringLiteral("ID"), 4711, {QStringLiteral("km")}, 0};
    c.tripKod = QStringLiteral("A01");
    const TripSaveResult r = saveTrip(db.conn(), goodEntry(), c);
    QVERIFY(!r.ok);
    QCOMPARE(r.text, QStringLiteral("3167:Записът е изтрит от друг потребител."));
    QCOMPARE(db.count("tabl"), 0);
    QCOMPARE(db.count("Sklad"), 0);
}

void TestTripSave::quotesAreStoredAsTyped()
{
    TestDb db;
    TripEntry e = goodEntry();
    e.route = QStringLiteral("O'Брайън 100%_");
    e.goods = QStringLiteral("\"Сено\"; DROP");
    QVERIFY(saveTrip(db.conn(), e, adding()).ok);
    QCOMPARE(db.scalar("SELECT Marsh FROM tabl").toString(), e.route);
    QCOMPARE(db.scalar("SELECT Tovar FROM tabl").toString(), e.goods);
}

void TestTripSave::pickListsAppendOnlyNewTrimmedValues()
{
    QStringList cars{QStringLiteral("СА1234ВС"), QStringLiteral(" В1111АА ")};
    QVERIFY(!appendIfMissing(cars, QStringLiteral("СА1234ВС")));   // the first entry
    QVERIFY(!appendIfMissing(cars, QStringLiteral("В1111АА  ")));  // trimmed alike
    QVERIFY(appendIfMissing(cars, QStringLiteral(" ва1111аа ")));  // case counts
    QCOMPARE(cars.last(), QStringLiteral("ва1111аа"));
    QVERIFY(!appendIfMissing(cars, QStringLiteral("ва1111аа")));
    QCOMPARE(cars.size(), 3);
}

QTEST_MAIN(TestTripSave)
#include "test_tripsave.moc"
