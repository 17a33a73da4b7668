#include "boxwatch.h"
#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "platform/lockwait.h"
#include "shell/targets.h"
#include "testdb.h"
#include "trips/amounts.h"
#include "trips/kurs.h"
#include "layoutcheck.h"
#include "typing.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <functional>

#include <sqlite3.h>

using namespace kelm;

class TestKurs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void newKursOpensAddingAndNeverStoresAnEmptyTrip();
    void newTripThroughTheControls();
    void failedSaveKeepsTheScreenAndWritesNothing();
    void saveBehindAnotherCopysWriteShowsTheWait();
    void checksStopTheSaveWithTheirMessage();
    void boxesTakeWhatTheirFieldsHold();
    void editKursCorrectsOneCarsTrips();
    void editKursWithoutTripsCannotSave();
    void correctionInNewKursTakesTheTripsOwnValues();
    void browsingShowsOnlyTheTripStoodOn();
    void kmProposesTheBandTariff();
    void keysReadAllTripsAndDeleteAsksTwice();
    void spaceEnterEnterAfterASaveDeletesNothing();
    void tripDeletedElsewhereIsReportedNotShown();
    void targetOpensTheScreenModally();
    void screenshots();
    void largestAmountsNeverOverlap();
    void correctionKeepsTheTariffAsHeld();

private:
    void seed(TestDb &db);
};

template <typename T>
static T *child(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return c;
}

static QLineEdit *box(QWidget *w, int i)
{
    return child<QLineEdit>(w, QStringLiteral("txtFields(%1)").arg(i));
}

static void click(QWidget *w, const QString &name)
{
    auto *b = child<QAbstractButton>(w, name);
    QVERIFY2(b->isVisible() && b->isEnabled(), qPrintable(name));
    b->click();
}

static void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

static void setText(QWidget *w, const QString &text)
{
    if (auto *c = qobject_cast<QComboBox *>(w)) {
        c->setEditText(text);
        return;
    }
    auto *le = qobject_cast<QLineEdit *>(w);
    le->setFocus();
    le->selectAll();
    le->del();
    typeText(le, text);
}

void TestKurs::init()
{
    gSeekMode = QStringLiteral("NewKurs");
}

void TestKurs::seed(TestDb &db)
{
    db.exec("DELETE FROM Tarifi");
    db.exec("INSERT INTO Tarifi (Trf_20, \"Trf_20-30\", \"Trf_30-50\", \"Trf_50-100\", \"Trf_100-200\", Trf_200) "
            "VALUES (0.3, 0.25, 0.125, 0.1, 0.09, 0.08)");
    db.exec("INSERT INTO shof (kod, ime) VALUES ('A01', 'Иван Петров'), ('B02', 'Мария Колева')");
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto, "
            "NomFakt, Fakt) VALUES ('2004-03-01', 'СА1111АА', 'A01', 'София', 'Д''Арк ООД', 'Пясък', 30, 10, "
            "0.25, 75, 2.25, 72.75, '0000000005', 1)");
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto) "
            "VALUES ('2004-03-05', 'СА1111АА', 'B02', 'Перник', 'Клиент 2', 'Чакъл', 100, 20, 0.1, 200, 6, 194)");
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto) "
            "VALUES ('2004-04-05', 'В2222ВВ', 'ZZZ', 'Видин', 'Клиент 3', 'Дърва', 1, 5, 0.3, 1.5, 0.05, 1.45)");
}

static void fillNewTrip(Kurs &k, const QString &car = QStringLiteral("СА1234ВС"))
{
    k.Combo5->setCurrentIndex(0); // "A01,Иван Петров"
    setText(k.Combo1, car);
    setText(box(&k, 1), QStringLiteral("15.03.2004"));
    setText(box(&k, 12), QStringLiteral("12,5"));
    setText(box(&k, 4), QStringLiteral("40"));
    k.txtTarifa->setFocus(); // leaving km proposes the tariff of 31..50 km
    setText(k.Combo2, QStringLiteral(" Нова - Стара "));
    setText(k.Combo3, QStringLiteral("Д'Арк ООД"));
    setText(k.Combo4, QStringLiteral("Пясък"));
}

void TestKurs::newKursOpensAddingAndNeverStoresAnEmptyTrip()
{
    TestDb db;
    MessageCapture mc;
    {
        Kurs k;
        setWaitPointer(); // as the command leaves it
        QVERIFY(k.load());
        QVERIFY(!QApplication::overrideCursor()); // ready for typing
        QCOMPARE(k.windowTitle(), QStringLiteral("Тревалон 2.3 - Нов курс"));
        QVERIFY(k.form()->isAdding());
        QCOMPARE(child<QLabel>(&k, "lblStatus")->text(), QStringLiteral("Нов курс"));
        QCOMPARE(box(&k, 4)->text(), QStringLiteral("0"));
        QCOMPARE(box(&k, 2)->text(), QStringLiteral("0000000000"));
        QCOMPARE(k.lblLabels(15)->text(), QStringLiteral("0 "));
        QVERIFY(!k.txtRazhod->isEnabled());
        // Four empty pick lists, each with its message.
        QCOMPARE(mc.shown.size(), 4);
        QCOMPARE(mc.shown.first().caption, QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(mc.shown.first().text, joinLines({"Списъка е празен", "Ще се създаде нов!"}));
        QVERIFY(!child<QAbstractButton>(&k, "cmdClose")->isVisible());
        k.show();
        click(&k, "cmdCancel"); // "Отказ" closes the new-trip screen
        QVERIFY(!k.isVisible());
    }
    QCOMPARE(db.count("tabl"), 0);
    QCOMPARE(db.count("Sklad"), 0);
}

void TestKurs::newTripThroughTheControls()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    QCOMPARE(k.Combo5->count(), 2);
    QCOMPARE(k.Combo5->itemText(0), QStringLiteral("A01,Иван Петров"));
    QCOMPARE(k.Combo1->currentText(), QString()); // a list starts empty
    // The pick lists: each stored value once, alphabetically, no Null.
    QCOMPARE(k.Combo2->count(), 3);
    QCOMPARE(k.Combo2->itemText(0), QStringLiteral("Видин"));
    QCOMPARE(k.Combo2->itemText(2), QStringLiteral("София"));
    QCOMPARE(k.Combo1->count(), 2);
    fillNewTrip(k);
    QCOMPARE(k.txtTarifa->text(), QStringLiteral("0,125"));
    // The expense box opens once a car is given.
    k.Combo1->setFocus();
    k.Combo2->setFocus();
    QVERIFY(k.txtRazhod->isEnabled());
    setText(k.txtRazhod, QStringLiteral("12.50"));
    const int carsBefore = k.Combo1->count();
    click(&k, "cmdUpdate");
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QVERIFY(k.form()->isBrowsing());

    QCOMPARE(db.count("tabl"), 4);
    const qint64 id = db.scalar("SELECT max(ID) FROM tabl").toLongLong();
    QCOMPARE(db.scalar("SELECT kola FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("СА1234ВС"));
    QCOMPARE(db.scalar("SELECT kod FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("A01"));
    QCOMPARE(db.scalar("SELECT Marsh FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("Нова - Стара"));
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE ID=?", {id}).toDouble(), 62.5);
    QCOMPARE(db.scalar("SELECT procent FROM tabl WHERE ID=?", {id}).toDouble(), 1.88);
    QCOMPARE(db.scalar("SELECT Data FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("2004-03-15"));
    QCOMPARE(db.count("Sklad"), 1);
    QCOMPARE(db.scalar("SELECT Suma FROM Sklad").toDouble(), 12.5);
    QCOMPARE(db.scalar("SELECT DocVid FROM Sklad").toString(), QStringLiteral("СА1234ВС"));

    // Every trip is read again, ordered by driver code, and the screen stands on
    // the trip just saved, numbered by its place in that order.
    QCOMPARE(k.trips().recordCount(), 4);
    QCOMPARE(k.trips().value("ID").toLongLong(), id);
    QCOMPARE(k.trips().value("kod").toString(), QStringLiteral("A01"));
    QCOMPARE(box(&k, 1)->text(), QStringLiteral("15.03.2004"));
    QCOMPARE(k.lblLabels(15)->text(), QStringLiteral("62,50"));
    QCOMPARE(k.lblLabels(16)->text(), QStringLiteral("1,88"));
    QCOMPARE(k.lblLabels(17)->text(), QStringLiteral("60,62"));
    QVERIFY(k.lblLabels(2)->x() > k.lblLabels(15)->x() + k.lblLabels(15)->width());
    QCOMPARE(box(&k, 100)->text(), QStringLiteral("Иван Петров"));
    QVERIFY(box(&k, 100)->isVisible());
    QCOMPARE(child<QLabel>(&k, "lblStatus")->text(),
             QStringLiteral("Курс № %1").arg(k.trips().absolutePosition()));
    QVERIFY(k.trips().absolutePosition() <= 2); // two trips of A01 come first
    // New values joined their lists once; known ones did not.
    QCOMPARE(k.Combo1->count(), carsBefore + 1);
    QCOMPARE(k.Combo1->itemText(k.Combo1->count() - 1), QStringLiteral("СА1234ВС"));
    QCOMPARE(k.Combo3->findText(QStringLiteral("Д'Арк ООД")), k.Combo3->findText(QStringLiteral("Д'Арк ООД"), Qt::MatchExactly));
    QCOMPARE(k.Combo3->count(), 3);

    // "Добави" offers the previous trip's lists, tariff and expense.
    click(&k, "cmdAdd");
    QCOMPARE(k.Combo1->currentText(), QStringLiteral("СА1234ВС"));
    QCOMPARE(k.txtTarifa->text(), QStringLiteral("0,125"));
    QCOMPARE(k.txtRazhod->text(), QStringLiteral("12.50"));
    QCOMPARE(box(&k, 4)->text(), QStringLiteral("0"));
    QCOMPARE(box(&k, 1)->text(), QString());
    setText(box(&k, 1), QStringLiteral("16.03.2004"));
    setText(box(&k, 12), QStringLiteral("1"));
    setText(box(&k, 4), QStringLiteral("1"));
    setText(k.txtTarifa, QStringLiteral("0.125"));
    click(&k, "cmdUpdate");
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(k.lblLabels(15)->text(), QStringLiteral("0,12"));
    QCOMPARE(k.lblLabels(16)->text(), QStringLiteral("0,00"));
    QCOMPARE(db.count("tabl"), 5);
    QCOMPARE(db.count("Sklad"), 2);
    QCOMPARE(k.trips().recordCount(), 5);
    QCOMPARE(k.trips().value("ID").toLongLong(), db.scalar("SELECT max(ID) FROM tabl").toLongLong());
    QCOMPARE(child<QLabel>(&k, "lblStatus")->text(),
             QStringLiteral("Курс № %1").arg(k.trips().absolutePosition()));

    // Five trips ordered by driver code; the status counts every one of them.
    click(&k, "cmdFirst");
    QCOMPARE(k.trips().recordCount(), 5);
    QCOMPARE(k.trips().value("kod").toString(), QStringLiteral("A01"));
    QCOMPARE(child<QLabel>(&k, "lblStatus")->text(), QStringLiteral("Курс № 1"));
    click(&k, "cmdLast");
    QCOMPARE(k.trips().value("kod").toString(), QStringLiteral("ZZZ"));
    QCOMPARE(child<QLabel>(&k, "lblStatus")->text(), QStringLiteral("Курс № 5"));
    // A code without a driver shows no name.
    QCOMPARE(box(&k, 100)->text(), QString());
    QCOMPARE(mc.beeps, 0);
    click(&k, "cmdNext");
    QCOMPARE(mc.beeps, 1);
    QCOMPARE(k.trips().absolutePosition(), 5);
}

void TestKurs::failedSaveKeepsTheScreenAndWritesNothing()
{
    TestDb db;
    seed(db);
    db.exec("CREATE TRIGGER no_trips BEFORE INSERT ON tabl BEGIN SELECT RAISE(ABORT, 'дискът е пълен'); END");
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    fillNewTrip(k, QStringLiteral("НОВА1"));
    const int cars = k.Combo1->count();
    click(&k, "cmdUpdate");
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY2(mc.lastText().contains(QStringLiteral("Записът не отговаря на ограниченията")), qPrintable(mc.lastText()));
    QVERIFY(k.form()->isAdding());
    QVERIFY(child<QAbstractButton>(&k, "cmdUpdate")->isVisible());
    QCOMPARE(k.Combo1->currentText(), QStringLiteral("НОВА1"));
    QCOMPARE(box(&k, 12)->text(), QStringLiteral("12,5"));
    QCOMPARE(k.Combo1->count(), cars); // nothing learnt from a trip not written
    QCOMPARE(db.count("tabl"), 3);
    QCOMPARE(db.count("Sklad"), 0);

    // The expense line failing instead: still nothing.
    db.exec("DROP TRIGGER no_trips");
    db.exec("CREATE TRIGGER no_lines BEFORE INSERT ON Sklad BEGIN SELECT RAISE(ABORT, 'складът е заключен'); END");
    click(&k, "cmdUpdate");
    QVERIFY(mc.lastText().contains(QStringLiteral("Записът не отговаря на ограниченията")));
    QVERIFY(k.form()->isAdding());
    QCOMPARE(db.count("tabl"), 3);
    QCOMPARE(db.count("Sklad"), 0);

    // Once the database takes it, the same typed trip is saved exactly once.
    db.exec("DROP TRIGGER no_lines");
    mc.clear();
    click(&k, "cmdUpdate");
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(db.count("tabl"), 4);
    QCOMPARE(db.count("Sklad"), 1);
    QCOMPARE(k.Combo1->count(), cars + 1);
}

// Another copy holds its write past the wait: the save shows that it waits (the
// wait pointer, the screen painted again) and then says in Bulgarian why
// nothing was written; nothing else runs inside the wait.
void TestKurs::saveBehindAnotherCopysWriteShowsTheWait()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    fillNewTrip(k);

    const int limit = lockWaitLimit();
    setLockWaitLimit(1500);
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(db.dbPath()).constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    // Each paint of the screen notes whether the wait pointer is on.
    struct PaintWatch : QObject {
        int paints = 0, underWaitPointer = 0;
        std::function<void()> onPaint;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) {
                ++paints;
                const QCursor *c = QApplication::overrideCursor();
                underWaitPointer += c && c->shape() == Qt::WaitCursor;
                if (onPaint)
                    onPaint();
            }
            return false;
        }
    } watch;
    for (QWidget *w : k.findChildren<QWidget *>())
        w->installEventFilter(&watch);
    // Work queued before the save (here reading the data) waits until it is over.
    bool queuedInsideTheWait = true;
    QTimer::singleShot(0, &k, [&] {
        queuedInsideTheWait = QApplication::overrideCursor() || mc.shown.isEmpty();
        db.count("tabl");
    });

    QElapsedTimer t;
    t.start();
    click(&k, "cmdUpdate");
    const qint64 waited = t.elapsed();
    QVERIFY2(waited >= 1500 && waited < 6000, qPrintable(QString::number(waited)));
    QVERIFY2(watch.paints > 5, qPrintable(QString::number(watch.paints)));
    QVERIFY(watch.underWaitPointer == watch.paints);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY2(mc.lastText().contains(QStringLiteral("3218:Друг потребител записва в базата данни в момента. "
                                                   "Опитайте отново след малко.")),
             qPrintable(mc.lastText()));
    QCoreApplication::processEvents();
    QVERIFY(!queuedInsideTheWait);
    QVERIFY(k.form()->isAdding());
    QCOMPARE(k.Combo1->currentText(), QStringLiteral("СА1234ВС"));
    QCOMPARE(db.count("tabl"), 3);
    QCOMPARE(db.count("Sklad"), 0);

    // The other copy is done while the next try waits: the trip is saved, and
    // the wait pointer goes with the save.
    mc.clear();
    watch.paints = 0;
    watch.onPaint = [&] {
        if (watch.paints == 3)
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    };
    click(&k, "cmdUpdate");
    QVERIFY(watch.paints >= 3);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(db.count("tabl"), 4);
    QCOMPARE(db.count("Sklad"), 1);
    sqlite3_close(other);
    setLockWaitLimit(limit);
}

void TestKurs::checksStopTheSaveWithTheirMessage()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(mc.lastText(), joinLines({"Няма име на шофьора!", "Моля, изберете името на шофьора!"}));
    fillNewTrip(k);
    setText(box(&k, 1), QStringLiteral("15.13.2004"));
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastCaption(), QStringLiteral("Информация"));
    QCOMPARE(mc.lastText(), joinLines({"Неверен формат на датата!", "Проверете въведената дата и опитайте отново."}));
    QCOMPARE(QApplication::focusWidget(), box(&k, 1));
    QCOMPARE(box(&k, 1)->selectedText(), QStringLiteral("15.13.2004"));
    setText(box(&k, 1), QStringLiteral("15.03.2004"));
    // Tonnage that is no number: named, focused and selected, nothing written.
    setText(box(&k, 12), QStringLiteral("12т"));
    k.Combo2->setFocus();
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(mc.lastText(), joinLines({"Грешен тонаж!", "Моля, въведете тонажа на курса с число, не по-малко от 0!"}));
    QCOMPARE(QApplication::focusWidget(), box(&k, 12));
    QCOMPARE(box(&k, 12)->selectedText(), QStringLiteral("12т"));
    // Past its bound: the bound named.
    setText(box(&k, 12), QStringLiteral("1000,5"));
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastText(), joinLines({"Грешен тонаж!", "Моля, въведете тонажа на курса с число, не по-малко от 0!",
                                       "Числото не може да бъде по-голямо от 1000."}));
    // Each number within its bound, their product past an amount of money.
    setText(box(&k, 12), QStringLiteral("1000"));
    setText(box(&k, 4), QStringLiteral("100000"));
    setText(k.txtTarifa, QStringLiteral("10000000"));
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(mc.lastText(), joinLines({"Прекалено голяма сума на курса!",
                                       "Сумата на курса (тонаж x км x тарифа) не може да бъде по-голяма от 10000000 лв."}));
    QCOMPARE(QApplication::focusWidget(), k.txtTarifa);
    QCOMPARE(db.count("tabl"), 3);
    setText(box(&k, 4), QStringLiteral("40"));
    k.txtTarifa->setFocus();
    setText(box(&k, 12), QStringLiteral("12,5"));
    // An entry typed without a code: the driver-code check.
    k.Combo5->setEditText(QStringLiteral("Иван Петров"));
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastText(), joinLines({"Грешно име на шофьор!", "Моля, изберете име от списъка!"}));
    // A driver of no entry of the list (a code longer than a code, and nobody's).
    k.Combo5->clearEditText();
    typeText(k.Combo5->lineEdit(), QStringLiteral("XYZW,Няма го"));
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(mc.lastText(), joinLines({"Няма такъв шофьор!", "Моля, изберете шофьора от списъка „Шофьор“!"}));
    QVERIFY(QApplication::focusWidget() == k.Combo5 || QApplication::focusWidget() == k.Combo5->lineEdit());
    QCOMPARE(db.count("tabl"), 3);
    k.Combo5->setCurrentIndex(1);
    k.Combo1->setFocus();
    k.Combo2->setFocus(); // leaving the car list opens the expense box
    setText(k.txtRazhod, QStringLiteral("дванайсет"));
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastText(), joinLines({"Грешен разход за курса!", "Моля, въведете разхода за курса с число, не по-малко от 0!"}));
    QCOMPARE(db.count("tabl"), 3);
    QCOMPARE(db.count("Sklad"), 0);
    setText(k.txtRazhod, QStringLiteral(""));
    click(&k, "cmdUpdate");
    QCOMPARE(db.count("tabl"), 4);
    QCOMPARE(db.scalar("SELECT kod FROM tabl ORDER BY ID DESC").toString(), QStringLiteral("B02"));
    // On the saved trip, the name box names its driver.
    QCOMPARE(k.trips().value("ID").toLongLong(), db.scalar("SELECT max(ID) FROM tabl").toLongLong());
    QCOMPARE(box(&k, 100)->text(), QStringLiteral("Мария Колева"));
}

void TestKurs::boxesTakeWhatTheirFieldsHold()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    {
        Kurs k;
        QVERIFY(k.load());
        showActive(&k);
        fillNewTrip(k);
        // One character past each field's length: the box keeps what the field holds.
        const QString car = QStringLiteral("СА 1234 ВНАК");
        const QString route = QString(25, QChar(u'М')), client = QString(25, QChar(u'К')),
                      goods = QString(25, QChar(u'Т'));
        const QPair<QComboBox *, QString> lists[] = {
            {k.Combo1, car}, {k.Combo2, route}, {k.Combo3, client}, {k.Combo4, goods}};
        for (const auto &[list, kept] : lists) {
            list->clearEditText();
            typeText(list->lineEdit(), kept + QStringLiteral("Я"));
            QCOMPARE(list->currentText(), kept);
        }
        setText(box(&k, 2), QStringLiteral("12345678901"));
        QCOMPARE(box(&k, 2)->text(), QStringLiteral("1234567890"));
        click(&k, "cmdUpdate");
        QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE kola=? AND Marsh=? AND Klient=? AND Tovar=?",
                           {car, route, client, goods})
                     .toInt(),
                 1);
        lookAt(k.grab(), "kurs-longest.png");
    }
    // A route stored elsewhere longer than the field is shown whole for a
    // correction, and the save names it rather than cutting it unseen.
    const QString stored = QString(30, QChar(u'Р'));
    db.exec("UPDATE tabl SET Marsh=? WHERE Data='2004-03-01'", {stored});
    gSeekMode = QStringLiteral("EditKurs");
    DiaSeek::instance().Kola = QStringLiteral("СА1111АА");
    DiaSeek::instance().StartData = QStringLiteral("01.03.2004");
    DiaSeek::instance().EndData = QStringLiteral("01.03.2004");
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    QCOMPARE(box(&k, 7)->text(), stored);
    click(&k, "cmdEdit");
    QCOMPARE(k.Combo2->currentText(), stored);
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastText(), joinLines({"Маршрута е по-дълъг от разрешения!", "Моля, въведете до 25 символа за маршрут!"}));
    QCOMPARE(db.scalar("SELECT Marsh FROM tabl WHERE Data='2004-03-01'").toString(), stored);
}

void TestKurs::editKursCorrectsOneCarsTrips()
{
    TestDb db;
    seed(db);
    gSeekMode = QStringLiteral("EditKurs");
    DiaSeek::instance().Kola = QStringLiteral("СА1111АА");
    DiaSeek::instance().StartData = QStringLiteral("01.03.2004");
    DiaSeek::instance().EndData = QStringLiteral("05.03.2004"); // the last day counts
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    QCOMPARE(k.windowTitle(), QStringLiteral("Тревалон 2.3 - Корекция курс"));
    QCOMPARE(k.trips().recordCount(), 2);
    QVERIFY(k.form()->isBrowsing());
    QVERIFY(!child<QAbstractButton>(&k, "cmdAdd")->isEnabled());
    QVERIFY(!k.Combo1->isVisible());
    QVERIFY(!box(&k, 1)->isEnabled());
    QVERIFY(box(&k, 6)->isVisible());
    QCOMPARE(box(&k, 6)->text(), QStringLiteral("СА1111АА"));
    QCOMPARE(k.txtTarifa->text(), QStringLiteral("0,250")); // bound in this mode
    QCOMPARE(box(&k, 2)->text(), QStringLiteral("0000000005"));
    QVERIFY(k.Check1->isChecked());

    click(&k, "cmdNext");
    QCOMPARE(box(&k, 100)->text(), QStringLiteral("Мария Колева"));
    QCOMPARE(k.lblLabels(15)->text(), QStringLiteral("200,00"));
    click(&k, "cmdPrevious");
    click(&k, "cmdEdit");
    QCOMPARE(child<QLabel>(&k, "lblStatus")->text(), QStringLiteral("Корекция"));
    QVERIFY(k.Combo1->isVisible());
    QCOMPARE(k.Combo1->currentText(), QStringLiteral("СА1111АА"));
    QCOMPARE(k.Combo2->currentText(), QStringLiteral("София"));
    QCOMPARE(k.Combo5->currentText(), QStringLiteral("A01"));
    QVERIFY(box(&k, 12)->isEnabled());
    QVERIFY(!k.txtRazhod->isEnabled());
    QCOMPARE(k.lblLabels(15)->text(), QStringLiteral("0 "));
    setText(k.Combo2, QStringLiteral("София - Бургас"));
    setText(box(&k, 4), QStringLiteral("250"));
    k.Combo2->setFocus(); // leaving km proposes the tariff above 200 km
    QCOMPARE(k.txtTarifa->text(), QStringLiteral("0,080"));
    k.Combo5->setCurrentIndex(1); // another driver is not taken by a correction
    click(&k, "cmdUpdate");
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));

    const QVariant id = db.scalar("SELECT ID FROM tabl WHERE Data='2004-03-01'");
    QCOMPARE(db.scalar("SELECT Marsh FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("София - Бургас"));
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE ID=?", {id}).toInt(), 250);
    QCOMPARE(db.scalar("SELECT kod FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("A01"));
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE ID=?", {id}).toDouble(), 200.0); // 10 x 250 x 0.08
    QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("0000000005"));
    QCOMPARE(db.scalar("SELECT Fakt FROM tabl WHERE ID=?", {id}).toInt(), 1);
    QCOMPARE(db.count("tabl"), 3);
    QCOMPARE(db.count("Sklad"), 1);
    QCOMPARE(db.scalar("SELECT Suma FROM Sklad").toDouble(), 0.0);
    QCOMPARE(db.scalar("SELECT DocVid FROM Sklad").toString(), QStringLiteral("СА1111АА"));

    // Back to browsing on the corrected trip, locked, lists hidden.
    QVERIFY(k.form()->isBrowsing());
    QCOMPARE(k.trips().value("ID"), id);
    QVERIFY(!k.Combo1->isVisible());
    QVERIFY(!box(&k, 12)->isEnabled());
    QCOMPARE(k.lblLabels(15)->text(), QStringLiteral("200,00"));
    QCOMPARE(k.Combo2->findText(QStringLiteral("София - Бургас")), k.Combo2->count() - 1);

    // "Отказ" of a correction returns to browsing, fields locked.
    click(&k, "cmdNext");
    click(&k, "cmdEdit");
    setText(k.Combo2, QStringLiteral("Другаде"));
    click(&k, "cmdCancel");
    QVERIFY(k.isVisible());
    QVERIFY(k.form()->isBrowsing());
    QVERIFY(!k.Combo2->isVisible());
    QCOMPARE(db.scalar("SELECT Marsh FROM tabl WHERE kod='B02'").toString(), QStringLiteral("Перник"));
    QCOMPARE(db.count("Sklad"), 1);
}

void TestKurs::editKursWithoutTripsCannotSave()
{
    TestDb db;
    seed(db);
    gSeekMode = QStringLiteral("EditKurs");
    DiaSeek::instance().Kola = QStringLiteral("СА1111АА");
    DiaSeek::instance().StartData = QStringLiteral("01.01.2005");
    DiaSeek::instance().EndData = QStringLiteral("31.12.2005");
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    QVERIFY(k.form()->isAdding());
    QVERIFY(!box(&k, 1)->isEnabled());
    QVERIFY(!k.Combo5->isVisible());
    click(&k, "cmdUpdate");
    QCOMPARE(mc.lastText(), joinLines({"Няма име на шофьора!", "Моля, изберете името на шофьора!"}));
    click(&k, "cmdCancel");
    QVERIFY(k.form()->isBrowsing());
    QCOMPARE(db.count("tabl"), 3);
}

void TestKurs::correctionInNewKursTakesTheTripsOwnValues()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    fillNewTrip(k);
    k.Combo1->setFocus();
    k.Combo2->setFocus();
    setText(k.txtRazhod, QStringLiteral("30"));
    click(&k, "cmdUpdate");
    QCOMPARE(db.count("Sklad"), 1);
    // To the trip of another car, and correct only its tonnage.
    click(&k, "cmdFirst");
    QCOMPARE(k.trips().value("kola").toString(), QStringLiteral("СА1111АА"));
    const QVariant id = k.trips().value("ID");
    click(&k, "cmdEdit");
    QCOMPARE(k.Combo1->currentText(), QStringLiteral("СА1111АА"));
    QCOMPARE(k.txtTarifa->text(), QStringLiteral("0,250")); // its own tariff, not the last trip's
    QCOMPARE(k.txtRazhod->text(), QString()); // no expense booked twice
    setText(box(&k, 12), QStringLiteral("20"));
    click(&k, "cmdUpdate");
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(db.scalar("SELECT kola FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("СА1111АА"));
    QCOMPARE(db.scalar("SELECT Marsh FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("София"));
    QCOMPARE(db.scalar("SELECT ton FROM tabl WHERE ID=?", {id}).toDouble(), 20.0);
    QCOMPARE(db.scalar("SELECT NomFakt FROM tabl WHERE ID=?", {id}).toString(), QStringLiteral("0000000005"));
    QCOMPARE(db.count("Sklad"), 2);
    QCOMPARE(db.scalar("SELECT Suma FROM Sklad ORDER BY ID DESC").toDouble(), 0.0);
    QCOMPARE(k.trips().value("ID"), id);
    QCOMPARE(k.lblLabels(15)->text(), QStringLiteral("150,00")); // 20 x 30 x 0.25

    // The next new trip can go on with the corrected trip's driver.
    QCOMPARE(k.Combo5->currentText(), QStringLiteral("A01,Иван Петров"));
    click(&k, "cmdAdd");
    setText(box(&k, 1), QStringLiteral("20.03.2004"));
    setText(box(&k, 12), QStringLiteral("3"));
    click(&k, "cmdUpdate");
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(db.scalar("SELECT kod FROM tabl ORDER BY ID DESC").toString(), QStringLiteral("A01"));
}

static double number(const QString &text)
{
    return QString(text).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

// The first box or label of the screen that shows something other than the trip
// it stands on (read back from the database), or an empty text.
static QString mismatch(Kurs &k, TestDb &db, const QString &expense)
{
    if (k.trips().bof() || k.trips().eof())
        return QStringLiteral("no current trip");
    const QVariant id = k.trips().value("ID");
    auto field = [&](const char *f) { return db.scalar(QStringLiteral("SELECT %1 FROM tabl WHERE ID=?").arg(f), {id}); };
    QStringList wrong;
    auto text = [&](const char *what, QWidget *w, const QString &shown, const QString &held) {
        if (!w->isVisible())
            wrong << QStringLiteral("%1 hidden").arg(what);
        else if (shown != held)
            wrong << QStringLiteral("%1 shows '%2', the trip holds '%3'").arg(what, shown, held);
    };
    auto num = [&](const char *what, QWidget *w, const QString &shown, double held) {
        if (!w->isVisible() || std::abs(number(shown) - held) > 1e-9)
            wrong << QStringLiteral("%1 shows '%2', the trip holds %3").arg(what, shown).arg(held);
    };
    const QDate date = QDate::fromString(field("Data").toString(), Qt::ISODate);
    text("Дата", box(&k, 1), box(&k, 1)->text(), date.toString(QStringLiteral("dd.MM.yyyy")));
    num("Тон", box(&k, 12), box(&k, 12)->text(), field("ton").toDouble());
    num("Км", box(&k, 4), box(&k, 4)->text(), field("km").toDouble());
    num("Тарифа", k.txtTarifa, k.txtTarifa->text(), field("Tarifa").toDouble());
    text("№ кола", k.Combo1, k.Combo1->currentText(), field("kola").toString());
    text("Маршрут", k.Combo2, k.Combo2->currentText(), field("Marsh").toString());
    text("Клиент", k.Combo3, k.Combo3->currentText(), field("Klient").toString());
    text("Товар", k.Combo4, k.Combo4->currentText(), field("Tovar").toString());
    const QString name = db.scalar("SELECT ime FROM shof WHERE kod=?", {field("kod")}).toString();
    text("Шофьор", box(&k, 100), box(&k, 100)->text(), name);
    text("Факт.№", box(&k, 2), box(&k, 2)->text(), field("NomFakt").toString());
    if (k.Check1->isChecked() != field("Fakt").toBool() || k.chkFields->isChecked() != field("plat").toBool())
        wrong << QStringLiteral("Фактур./Платен");
    num("Бруто", k.lblLabels(15), k.lblLabels(15)->text(), field("bruto").toDouble());
    num("Процент", k.lblLabels(16), k.lblLabels(16)->text(), field("procent").toDouble());
    num("Нето", k.lblLabels(17), k.lblLabels(17)->text(), field("neto").toDouble());
    text("Разход", k.txtRazhod, k.txtRazhod->text(), expense);
    // The number is the trip's place among all trips ordered by driver code (the
    // codes in this test are all different).
    const int place = db.scalar("SELECT count(*) FROM tabl WHERE kod < ?", {field("kod")}).toInt() + 1;
    const QString status = child<QLabel>(&k, "lblStatus")->text();
    if (status != QStringLiteral("Курс № %1").arg(place))
        wrong << QStringLiteral("status '%1', the trip is № %2").arg(status).arg(place);
    return wrong.join(QStringLiteral("; "));
}

void TestKurs::browsingShowsOnlyTheTripStoodOn()
{
    TestDb db;
    seed(db);
    db.exec("INSERT INTO shof (kod, ime) VALUES ('M05', 'Петър Стоянов')");
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    fillNewTrip(k);
    k.Combo5->setCurrentIndex(k.Combo5->findText(QStringLiteral("M05,Петър Стоянов")));
    k.Combo1->setFocus();
    k.Combo2->setFocus();
    setText(k.txtRazhod, QStringLiteral("12.50"));
    click(&k, "cmdUpdate");
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    const QVariant saved = db.scalar("SELECT max(ID) FROM tabl");

    // After the save the screen stands on the trip just saved, and shows only it.
    QCOMPARE(k.trips().value("ID").toLongLong(), saved.toLongLong());
    QString wrong = mismatch(k, db, QStringLiteral("12.50"));
    QVERIFY2(wrong.isEmpty(), qPrintable("after the save: " + wrong));
    lookAt(k.grab(), "kurs-after-save.png");

    // Every move, by button and by key, shows the trip reached and nothing of the
    // one left; the expense typed for the saved trip comes back with it.
    const struct {
        const char *how;
        std::function<void()> move;
    } moves[] = {
        {"first", [&] { click(&k, "cmdFirst"); }},
        {"next", [&] { click(&k, "cmdNext"); }},
        {"last", [&] { click(&k, "cmdLast"); }},
        {"previous", [&] { click(&k, "cmdPrevious"); }},
        {"Up", [&] { QTest::keyClick(box(&k, 12), Qt::Key_Up); }},
        {"Down", [&] { QTest::keyClick(box(&k, 12), Qt::Key_Down); }},
        {"Home", [&] { QTest::keyClick(box(&k, 12), Qt::Key_Home); }},
        {"End", [&] { QTest::keyClick(box(&k, 12), Qt::Key_End); }},
        {"PgUp", [&] { QTest::keyClick(box(&k, 12), Qt::Key_PageUp); }},
    };
    QSet<qlonglong> reached;
    for (const auto &m : moves) {
        m.move();
        const QVariant id = k.trips().value("ID");
        reached.insert(id.toLongLong());
        wrong = mismatch(k, db, id == saved ? QStringLiteral("12.50") : QString());
        QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("after %1: %2").arg(m.how, wrong)));
        if (reached.size() == 2 && id != saved)
            lookAt(k.grab(), "kurs-after-move.png");
    }
    QCOMPARE(reached.size(), 4); // every trip was reached
    QCOMPARE(mc.shown.size(), 0);

    // "Добави" offers the values of the trip stood on: here the one before the saved.
    click(&k, "cmdFirst");
    click(&k, "cmdNext");
    const QVariant id = k.trips().value("ID");
    click(&k, "cmdAdd");
    QCOMPARE(k.Combo1->currentText(), db.scalar("SELECT kola FROM tabl WHERE ID=?", {id}).toString());
    QCOMPARE(k.Combo2->currentText(), db.scalar("SELECT Marsh FROM tabl WHERE ID=?", {id}).toString());
    QCOMPARE(k.Combo5->currentText(), QStringLiteral("B02,Мария Колева"));
    QCOMPARE(number(k.txtTarifa->text()), db.scalar("SELECT Tarifa FROM tabl WHERE ID=?", {id}).toDouble());
    QCOMPARE(k.txtRazhod->text(), QString());
    QCOMPARE(box(&k, 1)->text(), QString());
}

void TestKurs::kmProposesTheBandTariff()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    const QList<QPair<QString, QString>> cases{{"0", "0,300"},   {"20", "0,300"},  {"20,5", "0,250"},
                                               {"50", "0,125"},  {"200", "0,090"}, {"201", "0,080"},
                                               {"-3", "0,300"}};
    for (const auto &c : cases) {
        setText(k.txtTarifa, QStringLiteral("9"));
        setText(box(&k, 4), c.first);
        k.txtTarifa->setFocus();
        QCOMPARE(k.txtTarifa->text(), c.second);
    }
    setText(k.txtTarifa, QStringLiteral("9"));
    setText(box(&k, 4), QStringLiteral("abc")); // no number: the tariff stays
    k.txtTarifa->setFocus();
    QCOMPARE(k.txtTarifa->text(), QStringLiteral("9"));
    k.close();

    // A band tariff of four decimals is proposed as it is, not rounded.
    db.exec("UPDATE Tarifi SET Trf_200=0.1255");
    Kurs k2;
    QVERIFY(k2.load());
    showActive(&k2);
    setText(box(&k2, 4), QStringLiteral("300"));
    k2.txtTarifa->setFocus();
    QCOMPARE(k2.txtTarifa->text(), QStringLiteral("0,1255"));
}

void TestKurs::keysReadAllTripsAndDeleteAsksTwice()
{
    TestDb db;
    seed(db);
    db.exec("INSERT INTO Sklad (DocVid, Name, Kol) VALUES ('СА1111АА', 'Разходи за курс', 1)");
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    // Adding: the keys move nothing and Esc does not close.
    QTest::keyClick(box(&k, 12), Qt::Key_Escape);
    QVERIFY(k.isVisible());
    QCOMPARE(k.trips().recordCount(), 4); // every trip, and the one being added
    fillNewTrip(k);
    click(&k, "cmdUpdate");
    QCOMPARE(k.trips().recordCount(), 4);
    QTest::keyClick(box(&k, 12), Qt::Key_End);
    QCOMPARE(k.trips().absolutePosition(), 4);
    QTest::keyClick(box(&k, 12), Qt::Key_Home);
    QCOMPARE(k.trips().recordCount(), 4);
    QCOMPARE(k.trips().absolutePosition(), 1);
    QCOMPARE(box(&k, 100)->text(), QStringLiteral("Иван Петров"));
    QTest::keyClick(box(&k, 12), Qt::Key_Down);
    QCOMPARE(k.trips().absolutePosition(), 2);

    // Delete: declined at the second question, nothing goes.
    mc.answers = {true, false};
    click(&k, "cmdDelete");
    QCOMPARE(mc.shown.size(), 2);
    QCOMPARE(mc.shown.at(0).text, QStringLiteral("Наистна ли искате да изтриете записа?"));
    QCOMPARE(mc.shown.at(1).text, QStringLiteral("Ще загубите данните окончателно"));
    QCOMPARE(db.count("tabl"), 4);
    const QVariant gone = k.trips().value("ID");
    mc.answers = {true, true};
    click(&k, "cmdDelete");
    QCOMPARE(db.count("tabl"), 3);
    QVERIFY(db.scalar("SELECT count(*) FROM tabl WHERE ID=?", {gone}).toInt() == 0);
    QCOMPARE(db.count("Sklad"), 2); // the expense lines stay
    QCOMPARE(child<QLabel>(&k, "lblStatus")->text(), QStringLiteral("Курс № 2"));
    // Esc closes while browsing.
    QTest::keyClick(box(&k, 12), Qt::Key_Escape);
    QVERIFY(!k.isVisible());
}

// The keys a user may type on after "Запиши" never delete the trip just saved.
void TestKurs::spaceEnterEnterAfterASaveDeletesNothing()
{
    TestDb db;
    seed(db);
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    {
        MessageCapture mc;
        fillNewTrip(k);
        QTest::mouseClick(child<QAbstractButton>(&k, "cmdUpdate"), Qt::LeftButton);
        QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    }
    QVERIFY(k.form()->isBrowsing());
    QCOMPARE(db.count("tabl"), 4);
    const QVariant saved = db.scalar("SELECT max(ID) FROM tabl");
    QCOMPARE(k.focusWidget(), child<QAbstractButton>(&k, "cmdAdd"));
    // Space, Enter, Enter: a question that comes takes the Enters.
    BoxWatch boxes({BoxWatch::Press::Enter, BoxWatch::Press::Enter});
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Return})
        QTest::keyClick(k.focusWidget(), key);
    QCOMPARE(db.count("tabl"), 4);
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE ID=?", {saved}).toInt(), 1);
}

void TestKurs::tripDeletedElsewhereIsReportedNotShown()
{
    TestDb db;
    seed(db);
    db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<400) "
            "INSERT INTO tabl (Data, kola, kod, km) SELECT '2004-05-01', 'С'||i, 'M01', i FROM n");
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    fillNewTrip(k);
    click(&k, "cmdUpdate");
    QCOMPARE(k.trips().recordCount(), 404);
    click(&k, "cmdFirst");
    QCOMPARE(child<QLabel>(&k, "lblStatus")->text(), QStringLiteral("Курс № 1"));
    // Another copy of the program deletes the last trip by driver code.
    Connection other;
    other.open(gConnStr);
    other.execute("DELETE FROM tabl WHERE kod='ZZZ'");
    click(&k, "cmdLast");
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при преместване!"));
    QVERIFY2(mc.lastText().startsWith(QStringLiteral("3167:")), qPrintable(mc.lastText()));
    QCOMPARE(child<QLabel>(&k, "lblStatus")->text(), QStringLiteral("Курс № 1"));
    QCOMPARE(box(&k, 1)->text(), QStringLiteral("01.03.2004"));
    // The next try reaches the trip now last.
    click(&k, "cmdLast");
    QCOMPARE(child<QLabel>(&k, "lblStatus")->text(), QStringLiteral("Курс № 403"));
    QCOMPARE(k.trips().value("kod").toString(), QStringLiteral("M01"));
    QCOMPARE(box(&k, 4)->text(), QStringLiteral("400"));
}

void TestKurs::targetOpensTheScreenModally()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    QString seen;
    QTimer closer;
    closer.setInterval(10);
    connect(&closer, &QTimer::timeout, [&seen, &closer] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            seen = w->objectName() + "|" + w->windowTitle();
            closer.stop();
            // Adding: "Отказ" is the way out of the new-trip screen.
            w->findChild<QAbstractButton *>(QStringLiteral("cmdCancel"))->click();
        }
    });
    closer.start();
    QVERIFY(runTarget(QStringLiteral("Kurs")));
    QCOMPARE(seen, QStringLiteral("Kurs|Тревалон 2.3 - Нов курс"));
    QCOMPARE(db.count("tabl"), 3);
}

void TestKurs::screenshots()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    {
        Kurs k;
        QVERIFY(k.load());
        showActive(&k);
        fillNewTrip(k);
        lookAt(k.grab(), "kurs-adding.png");
        click(&k, "cmdUpdate");
        lookAt(k.grab(), "kurs-browsing.png");
    }
    gSeekMode = QStringLiteral("EditKurs");
    DiaSeek::instance().Kola = QStringLiteral("СА1111АА");
    DiaSeek::instance().StartData = QStringLiteral("01.03.2004");
    DiaSeek::instance().EndData = QStringLiteral("31.03.2004");
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    lookAt(k.grab(), "kurs-edit.png");
    click(&k, "cmdEdit");
    lookAt(k.grab(), "kurs-edit-correcting.png");
}

void TestKurs::largestAmountsNeverOverlap()
{
    TestDb db;
    seed(db);
    // The largest trip an amount label shows, and the longest texts the boxes hold.
    db.exec("INSERT INTO shof (kod, ime) VALUES ('C03', ?)", {QString(50, QChar(u'Ш'))});
    db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto) "
            "VALUES ('2004-03-02', 'СА1111АА', 'C03', ?, ?, ?, 99999, 999, 9999.999, 9999999.99, 299999.99, "
            "9699999.99)",
            {QString(50, QChar(u'М')), QString(50, QChar(u'К')), QString(50, QChar(u'Т'))});
    MessageCapture mc;
    {
        // "Нов курс" with a trip of 12 500,00 лв.
        Kurs k;
        QVERIFY(k.load());
        showActive(&k);
        fillNewTrip(k);
        setText(box(&k, 12), QStringLiteral("25"));
        setText(box(&k, 4), QStringLiteral("500"));
        setText(k.txtTarifa, QStringLiteral("1"));
        click(&k, "cmdUpdate");
        QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
        QCOMPARE(k.lblLabels(15)->text(), QStringLiteral("12500,00"));
        QCOMPARE(k.lblLabels(16)->text(), QStringLiteral("375,00"));
        checkNoOverlap(&k);
        lookAt(k.grab(), "kurs-12500.png");
    }
    gSeekMode = QStringLiteral("EditKurs");
    DiaSeek::instance().Kola = QStringLiteral("СА1111АА");
    DiaSeek::instance().StartData = QStringLiteral("01.03.2004");
    DiaSeek::instance().EndData = QStringLiteral("31.03.2004");
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    checkNoOverlap(&k); // before the first move: empty amounts
    click(&k, "cmdNext");
    QCOMPARE(k.lblLabels(15)->text(), QStringLiteral("9999999,99"));
    QCOMPARE(k.lblLabels(17)->text(), QStringLiteral("9699999,99"));
    checkNoOverlap(&k);
    lookAt(k.grab(), "kurs-largest.png");
    click(&k, "cmdEdit");
    checkNoOverlap(&k);
    click(&k, "cmdCancel");
    k.close();

    // The same in a larger font: the rows and the amounts' columns grow with it.
    const QFont normal = QApplication::font();
    QFont big = normal;
    big.setPointSizeF(normal.pointSizeF() * 1.4);
    QApplication::setFont(big);
    {
        Kurs large;
        QVERIFY(large.load());
        showActive(&large);
        click(&large, "cmdNext");
        QCOMPARE(large.lblLabels(15)->text(), QStringLiteral("9999999,99"));
        checkNoOverlap(&large);
        lookAt(large.grab(), "kurs-bigfont.png");
    }
    QApplication::setFont(normal);
}

void TestKurs::correctionKeepsTheTariffAsHeld()
{
    TestDb db;
    seed(db);
    db.exec("UPDATE tabl SET Tarifa=0.1255, km=100, ton=10, bruto=125.5, procent=3.77, neto=121.73 "
            "WHERE Data='2004-03-05'");
    const QString tariff = QStringLiteral("SELECT Tarifa FROM tabl WHERE Data='2004-03-05'");
    gSeekMode = QStringLiteral("EditKurs");
    DiaSeek::instance().Kola = QStringLiteral("СА1111АА");
    DiaSeek::instance().StartData = QStringLiteral("01.03.2004");
    DiaSeek::instance().EndData = QStringLiteral("05.03.2004");
    MessageCapture mc;
    Kurs k;
    QVERIFY(k.load());
    showActive(&k);
    click(&k, "cmdNext");
    // Shown as held, not rounded to three decimals.
    QCOMPARE(k.txtTarifa->text(), QStringLiteral("0,1255"));
    // A correction that leaves the tariff alone stores it unchanged.
    click(&k, "cmdEdit");
    setText(k.Combo3, QStringLiteral("Клиент 3"));
    click(&k, "cmdUpdate");
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.lastText()));
    QCOMPARE(db.scalar(tariff).toDouble(), 0.1255);
    QCOMPARE(db.scalar("SELECT bruto FROM tabl WHERE Data='2004-03-05'").toDouble(),
             tripAmounts(10, 100, 0.1255).bruto);
    // Locking the boxes after the save proposes no band tariff in their place, so
    // a second correction stores the trip's own tariff again.
    QCOMPARE(k.txtTarifa->text(), QStringLiteral("0,1255"));
    click(&k, "cmdEdit");
    click(&k, "cmdUpdate");
    QCOMPARE(db.scalar(tariff).toDouble(), 0.1255);
    // A typed tariff is stored as typed.
    click(&k, "cmdEdit");
    setText(k.txtTarifa, QStringLiteral("0,12345"));
    click(&k, "cmdUpdate");
    QCOMPARE(db.scalar(tariff).toDouble(), 0.12345);
    // The first trip's tariff of 0,25 shows with the usual three decimals.
    click(&k, "cmdPrevious");
    QCOMPARE(k.txtTarifa->text(), QStringLiteral("0,250"));

    // "Поправи" in "Нов курс" fills the unbound box with the trip's own tariff, as held.
    gSeekMode = QStringLiteral("NewKurs");
    Kurs n;
    QVERIFY(n.load());
    showActive(&n);
    fillNewTrip(n);
    click(&n, "cmdUpdate");
    // The trip current after a requery takes the tariff read again.
    db.exec("UPDATE tabl SET Tarifa=0.1255");
    n.RequeryData();
    click(&n, "cmdEdit");
    QCOMPARE(n.txtTarifa->text(), QStringLiteral("0,1255"));
}

QTEST_MAIN(TestKurs)
#include "test_kurs.moc"
