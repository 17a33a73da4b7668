// A number typed by mistake (twenty nines, a one with 308 zeros) is refused on
// every screen that reads numbers, with that field's own message and the bound
// named; the largest sane value passes, a trip whose amount would pass the money
// bound is refused, and "-0" is stored as 0.

#include "dialogs/messages.h"
#include "fleet/fuel.h"
#include "fleet/options.h"
#include "fleet/rowdlist.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "platform/numbers.h"
#include "testdb.h"
#include "trips/insidekursrules.h"
#include "trips/tripsave.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

#include <cmath>

using namespace kelm;

namespace {
const QString kNines = QStringLiteral("99999999999999999999");
const QString kHuge = QStringLiteral("1") + QString(308, QLatin1Char('0'));

// The message names the bound the number passed.
bool namesBound(const QString &message, const char *bound)
{
    return message.endsWith(QStringLiteral("Числото не може да бъде по-голямо от %1.").arg(QLatin1String(bound)));
}

TripEntry goodTrip()
{
    TripEntry e;
    e.driver = QStringLiteral("A01,Иван");
    e.car = QStringLiteral("СА1234ВС");
    e.route = QStringLiteral("София - Перник");
    e.client = QStringLiteral("Д'Арк ООД");
    e.goods = QStringLiteral("пясък");
    e.date = QStringLiteral("15.03.2004");
    e.ton = QStringLiteral("12,5");
    e.km = QStringLiteral("40");
    e.tariff = QStringLiteral("0,125");
    e.invoice = QStringLiteral("0000000000");
    return e;
}
} // namespace

class TestNumberBounds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tripRefusesAbsurdNumbersAndStoresTheLargestSaneOnes();
    void carTariffNoteAndLegChecks();
    void waybillSheetRefusesAbsurdNumbers();
};

void TestNumberBounds::tripRefusesAbsurdNumbersAndStoresTheLargestSaneOnes()
{
    TestDb db;
    TripSaveContext adding;
    adding.drivers = {QStringLiteral("A01,Иван")};
    struct Bad {
        TripCheck check;
        QString TripEntry::*box;
        QString text;
        QString first;
        const char *bound;
    };
    const QList<Bad> bad{
        {CheckTonNumber, &TripEntry::ton, kNines, QStringLiteral("Грешен тонаж!"), "1000"},
        {CheckTonNumber, &TripEntry::ton, kHuge, QStringLiteral("Грешен тонаж!"), "1000"},
        {CheckTonNumber, &TripEntry::ton, QStringLiteral("1000,01"), QStringLiteral("Грешен тонаж!"), "1000"},
        {CheckKmNumber, &TripEntry::km, kNines, QStringLiteral("Грешни километри!"), "100000"},
        {CheckKmNumber, &TripEntry::km, QStringLiteral("100001"), QStringLiteral("Грешни километри!"), "100000"},
        {CheckTariffNumber, &TripEntry::tariff, kHuge, QStringLiteral("Грешна тарифа!"), "10000000"},
        {CheckTariffNumber, &TripEntry::tariff, QStringLiteral("10000000,5"), QStringLiteral("Грешна тарифа!"), "10000000"},
        {CheckExpenseNumber, &TripEntry::expense, kNines, QStringLiteral("Грешен разход за курса!"), "10000000"},
    };
    for (const Bad &b : bad) {
        TripEntry e = goodTrip();
        e.*b.box = b.text;
        const TripSaveResult r = saveTrip(db.conn(), e, adding);
        QVERIFY2(!r.ok, qPrintable(b.text));
        QCOMPARE(int(r.check), int(b.check));
        QVERIFY(r.text.startsWith(b.first));
        QVERIFY2(namesBound(r.text, b.bound), qPrintable(r.text));
    }
    // The kilometre correction's cells refuse them with the same messages.
    QVERIFY(kmRefusal(kNines).startsWith(QStringLiteral("Грешни километри!")));
    QVERIFY(namesBound(kmRefusal(kNines), "100000"));
    QVERIFY(tariffRefusal(kHuge).startsWith(QStringLiteral("Грешна тарифа!")));
    QVERIFY(namesBound(tariffRefusal(kHuge), "10000000"));

    // Each number at its bound, the amount past the money bound: refused, nothing written.
    TripEntry e = goodTrip();
    e.ton = QStringLiteral("1000");
    e.km = QStringLiteral("100000");
    e.tariff = QStringLiteral("10000000");
    TripSaveResult r = saveTrip(db.conn(), e, adding);
    QVERIFY(!r.ok);
    QVERIFY2(r.text.contains(QStringLiteral("не може да бъде по-голяма от 10000000 лв.")), qPrintable(r.text));
    e.tariff = QStringLiteral("0,10000001");
    QVERIFY(!saveTrip(db.conn(), e, adding).ok); // 10000001,00
    QCOMPARE(db.count(QStringLiteral("tabl")), 0);
    QCOMPARE(db.count(QStringLiteral("Sklad")), 0);

    // The largest sane amount is stored; "-0" is a plain 0.
    e.tariff = QStringLiteral("0,1");
    e.expense = QStringLiteral("-0");
    r = saveTrip(db.conn(), e, adding);
    QVERIFY2(r.ok, qPrintable(r.text));
    QVERIFY(std::isfinite(db.scalar(QStringLiteral("SELECT neto FROM tabl")).toDouble()));
    QCOMPARE(db.scalar(QStringLiteral("SELECT bruto FROM tabl")).toDouble(), 1e7);
    e = goodTrip();
    e.ton = QStringLiteral("-0");
    r = saveTrip(db.conn(), e, adding);
    QVERIFY2(r.ok, qPrintable(r.text));
    const double ton = db.scalar(QStringLiteral("SELECT ton FROM tabl WHERE ID=?"), {r.row.id}).toDouble();
    QCOMPARE(ton, 0.0);
    QVERIFY(!std::signbit(ton));
    QVERIFY(!std::signbit(db.scalar(QStringLiteral("SELECT Suma FROM Sklad WHERE ID=1")).toDouble()));
}

void TestNumberBounds::carTariffNoteAndLegChecks()
{
    // Car settings: norm, percentage and tonnage each within their kind.
    CarFields f{QStringLiteral("СА1234ВС"), QStringLiteral("30"), QStringLiteral("20"), QStringLiteral("24")};
    QCOMPARE(checkCarFields(f, false), QString());
    f.Razhod = kHuge;
    QVERIFY(checkCarFields(f, false).startsWith(QStringLiteral("Невалиден разход на 100км!")));
    QVERIFY(namesBound(checkCarFields(f, false), "100000"));
    f.Razhod = QStringLiteral("30");
    f.Procent = QStringLiteral("101");
    QVERIFY(checkCarFields(f, false).startsWith(QStringLiteral("Невалиден процент заплата!")));
    QVERIFY(namesBound(checkCarFields(f, false), "100"));
    f.Procent = QStringLiteral("20");
    f.Ton = kNines;
    QVERIFY(checkCarFields(f, false).startsWith(QStringLiteral("Невалиден тонаж!")));
    QVERIFY(namesBound(checkCarFields(f, false), "1000"));
    // Distance-band tariffs.
    QCOMPARE(firstBadTariff({QStringLiteral("1"), QStringLiteral("2"), kNines}).value_or(-1), 2);
    QVERIFY(!firstBadTariff({QStringLiteral("10000000"), QStringLiteral("0")}));
    QVERIFY(namesBound(checkTariffTyping(kHuge), "10000000"));

    // Consignment note: tonnage, fuel, km and the sums.
    QStringList note(NoteBoxCount);
    note[bxKursID] = QStringLiteral("1");
    note[bxData] = QStringLiteral("01.02.2024");
    note[bxDriverName] = QStringLiteral("Иван");
    note[bxTruckV] = QStringLiteral("СА1234ВС");
    note[bxTruckR] = QStringLiteral("СА5678ВС");
    QVERIFY(checkNote(note).ok());
    for (int box : {int(bxTovarTon), int(bxTotalFuel), int(bxTotalKM), int(bxTotalP), int(bxTotalR)}) {
        QStringList n = note;
        n[box] = kNines;
        const NoteCheck c = checkNote(n);
        QCOMPARE(c.box, box);
        QVERIFY(c.message.startsWith(QStringLiteral("Невалидно число в полето")));
        QVERIFY2(c.message.contains(QStringLiteral("Числото не може да бъде по-голямо от")), qPrintable(c.message));
    }

    // Route legs: beyond the bound is the overflow failure of the leg's save.
    QCOMPARE(legNumber(QStringLiteral("24,5"), QStringLiteral("тонаж"), limits::kTons), 24.5);
    for (const QVariant &v : {QVariant(kNines), QVariant(kHuge), QVariant(1e300)}) {
        try {
            legNumber(v, QStringLiteral("тонаж"), limits::kTons);
            QFAIL("an absurd tonnage passed");
        } catch (const DbError &e) {
            QCOMPARE(e.number(), int(ErrFuelOverflow));
            QVERIFY2(e.description().contains(QStringLiteral("по-голямо от 1000")), qPrintable(e.description()));
        }
    }
    QVERIFY(!std::signbit(legNumber(QStringLiteral("-0"), QStringLiteral("коеф."), limits::kPercent)));
}

void TestNumberBounds::waybillSheetRefusesAbsurdNumbers()
{
    TestDb db;
    db.exec(QStringLiteral("INSERT INTO shof (kod, ime) VALUES ('001', 'Иван')"));
    db.exec(QStringLiteral("INSERT INTO Config (kola, Razhod, Procent, Ton) VALUES ('СА1234ВС', 30, 20, 24)"));
    db.exec(QStringLiteral("INSERT INTO RowdList (ListID, Data, Kola, NameDriver, SumKM, SumRazhN, EndKM, ZarM, "
                           "ZarN, CenaN, CenaM) VALUES ('0000000001', '2024-03-01', 'СА1234ВС', 'Иван', 100, 30, "
                           "0, 0, 0, 0, 0)"));
    MessageCapture cap;
    RowdList w;
    QVERIFY(w.load());
    const struct {
        int box;
        QString text;
        QString label;
        const char *bound;
    } cases[] = {{8, kNines, QStringLiteral("Заредена нафта"), "100000"},
                 {9, kHuge, QStringLiteral("Единич.цена нафта"), "10000000"},
                 {5, QStringLiteral("10000001"), QStringLiteral("КМ при зарежд."), "10000000"}};
    for (const auto &c : cases) {
        w.cmdEditRowd->click();
        w.txtFields[c.box]->setText(c.text);
        cap.clear();
        w.cmdUpdateRowd->click();
        QCOMPARE(cap.shown.size(), 1);
        QVERIFY2(cap.lastText().startsWith(QStringLiteral("Невалидно число в полето „%1“!").arg(c.label)),
                 qPrintable(cap.lastText()));
        QVERIFY2(namesBound(cap.lastText(), c.bound), qPrintable(cap.lastText()));
        QVERIFY(w.sheetForm()->isEditing());
        w.cmdCancelRowd->click();
    }
    QCOMPARE(db.scalar(QStringLiteral("SELECT ZarN FROM RowdList")).toDouble(), 0.0);
    QCOMPARE(db.scalar(QStringLiteral("SELECT CenaN FROM RowdList")).toDouble(), 0.0);
}

QTEST_MAIN(TestNumberBounds)
#include "test_numberbounds.moc"
