#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
#include "dialogs/diaseekalt.h"
#include "dialogs/diainf.h"
#include "dialogs/fillcombo.h"
#include "dialogs/messages.h"
#include "dialogs/mousepointer.h"
#include "dialogs/progdialog.h"
#include "shell/commands.h"
#include "seed.h"
#include "testdb.h"
#include "layoutcheck.h"
#include "typing.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QtTest>

using namespace kelm;

namespace {

const QString kMissingPeriod = QStringLiteral("Няма избран период за търсене!\rПроверете си датите!");
const QString kReversed = QStringLiteral("Грешно зададен период!\r(начална дата е след крайната дата)\rПроверете си датите!");
const QString kCancel = QStringLiteral("Няма избрани ограничения за търсене!");

void fillTrips(TestDb &db)
{
    const char *sql = "INSERT INTO tabl(Data,kola,kod,Klient,Marsh,Tovar,NomFakt) VALUES(?,?,?,?,?,?,?)";
    db.exec(sql, {QDate(2004, 3, 1), "СА 1234 ВН", "A01", "Д'Арк ООД", "София-Варна", "Пясък", "0000000000"});
    db.exec(sql, {QDate(2004, 3, 2), "19", "A02", "Ален ЕООД", "Русе-Бургас", "Чакъл", "0000000012"});
    db.exec(sql, {QDate(2004, 3, 3), "19", "A02", "Ален ЕООД", "Русе-Бургас", "Чакъл", "0000000012"});
    db.exec(sql, {QDate(2004, 3, 4), "31", "A01", "Борис ООД", "Плевен", "Пясък", "0000000105"});
    db.exec(QStringLiteral("INSERT INTO shof(kod,ime) VALUES(?,?)"), {"B07", "Петър Георгиев"});
    db.exec(QStringLiteral("INSERT INTO shof(kod,ime) VALUES(?,?)"), {"A01", "Иван Иванов, старши"});
}

// Load in a mode, show without blocking.
template <class D> D &open(const char *mode)
{
    gSeekMode = QString::fromLatin1(mode);
    D &d = D::instance();
    d.prepare();
    d.show();
    return d;
}

void setDates(SeekDialog &d, const QString &from, const QString &to)
{
    d.Text1_0->clear();
    d.Text1_1->clear();
    typeText(d.Text1_0, from);
    typeText(d.Text1_1, to);
}

QStringList entries(QComboBox *c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

QColor baseOf(QWidget *w)
{
    return w->palette().color(QPalette::Base);
}

// Every box the mode disables looks disabled as drawn: the window's background
// inside it, and grey text.
void checkDisabledLookDisabled(QDialog &d, const char *mode)
{
    const QColor window = d.palette().color(QPalette::Window);
    const QColor grey = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    const QPixmap picture = d.grab();
    lookAt(picture, QByteArray(QByteArray("seek-") + mode + ".png").replace(' ', '-').constData());
    const QImage shot = picture.toImage();
    int seen = 0;
    for (QWidget *w : d.findChildren<QWidget *>()) {
        if (!(qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)) || !w->isVisibleTo(&d) || w->isEnabled()
            || qobject_cast<QComboBox *>(w->parentWidget()))
            continue;
        ++seen;
        const QString what = QString::fromLatin1(mode) + QLatin1Char(' ') + w->objectName();
        QWidget *text = qobject_cast<QComboBox *>(w) ? static_cast<QComboBox *>(w)->lineEdit() : w;
        QCOMPARE(text->palette().color(QPalette::Disabled, QPalette::Text), grey);
        // A point inside the box, left of a list's arrow, where no text is drawn.
        const QPoint inside = w->mapTo(&d, QPoint(4, w->height() / 2));
        QVERIFY2(shot.pixelColor(inside) == window,
                 qPrintable(what + QStringLiteral(" is drawn ") + shot.pixelColor(inside).name()));
    }
    QVERIFY2(seen > 0, mode);
}

} // namespace

class TestSeekDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void periodRule();
    void driverSplit();
    void periodCheckInEveryDialog();
    void diaSeekLayoutPerMode();
    void diaSeekCriteria();
    void diaSeekEmptyListsAndOtherModesFields();
    void typedTextIsSearchedAsTyped();
    void cancelAfterFailedSearch();
    void fieldsTurnWhiteAndSearchBecomesDefault();
    void diaSeekAltModes();
    void diaSeekAllTripLayout();
    void diaSeekAllArticleLayoutAndFreshFields();
    void diaSeekAllWithoutTrips();
    void fillComboEmptyAndBound();
    void captionsFitInEveryFont();
    void widthEveryTimeItOpens();
};

void TestSeekDialogs::periodRule()
{
    QCOMPARE(checkPeriod("", ""), PeriodFault::Missing);
    QCOMPARE(checkPeriod("01.03.2004", ""), PeriodFault::Missing);
    QCOMPARE(checkPeriod("", "01.03.2004"), PeriodFault::Missing);
    QCOMPARE(checkPeriod("31.02.2004", "01.03.2004"), PeriodFault::Missing);
    QCOMPARE(checkPeriod("01.03.2004", "abc"), PeriodFault::Missing);
    // The frame's hint shows ММ/ДД/ГГ: slashes are month first, as hinted.
    QCOMPARE(checkPeriod("03/01/2004", "03/31/2004"), PeriodFault::None);
    QCOMPARE(checkPeriod("3/31/04", "1.4.04"), PeriodFault::None);
    QCOMPARE(checkPeriod("03/02/2004", "1.3.2004"), PeriodFault::Reversed);
    QCOMPARE(checkPeriod("31/03/2004", "1.4.2004"), PeriodFault::Missing);
    QCOMPARE(checkPeriod("1.1.1899", "1.4.2004"), PeriodFault::Missing);
    QCOMPARE(periodDate("12/5/26").value_or(QDate()), QDate(2026, 12, 5));
    QCOMPARE(checkPeriod("02.03.2004", "01.03.2004"), PeriodFault::Reversed);
    QCOMPARE(checkPeriod("01.01.2005", "31.12.2004"), PeriodFault::Reversed);
    QCOMPARE(checkPeriod("01.03.2004", "01.03.2004"), PeriodFault::None);
    QCOMPARE(checkPeriod(" 1.3.2004 ", "29.02.2004"), PeriodFault::Reversed);
    QCOMPARE(checkPeriod("28.02.2004", "29.02.2004"), PeriodFault::None);
    QCOMPARE(periodMessage(PeriodFault::Missing), kMissingPeriod);
    QCOMPARE(periodMessage(PeriodFault::Reversed), kReversed);
    QVERIFY(periodMessage(PeriodFault::None).isEmpty());
}

void TestSeekDialogs::driverSplit()
{
    QString kod, name;
    QVERIFY(splitDriver("A01,Иван Иванов, старши", &kod, &name));
    QCOMPARE(kod, QStringLiteral("A01"));
    QCOMPARE(name, QStringLiteral("Иван Иванов, старши"));
    QVERIFY(splitDriver(" B07 , Петър ", &kod, &name));
    QCOMPARE(kod, QStringLiteral("B07"));
    QCOMPARE(name, QStringLiteral("Петър"));
    QVERIFY(!splitDriver("Петър Георгиев", &kod, &name));
}

void TestSeekDialogs::periodCheckInEveryDialog()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    struct Case {
        QString from, to, message;
    };
    const QList<Case> bad = {
        {"", "", kMissingPeriod},
        {"01.03.2004", "", kMissingPeriod},
        {"", "31.03.2004", kMissingPeriod},
        {"31.02.2004", "31.03.2004", kMissingPeriod},
        {"01.03.2004", "31.3", kMissingPeriod},
        {"31.03.2004", "01.03.2004", kReversed},
    };
    DiaSeek &d = open<DiaSeek>("All");
    for (const Case &c : bad) {
        cap.clear();
        setDates(d, c.from, c.to);
        QTest::mouseClick(d.OKButton, Qt::LeftButton);
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.lastText(), c.message);
        QCOMPARE(cap.lastCaption(), QStringLiteral("Информация"));
        QVERIFY(d.isVisible());
        QVERIFY(!d.lYes);
    }
    // The rejected texts are kept (trimmed) for the reader, lYes stays False.
    QCOMPARE(d.StartData, QStringLiteral("31.03.2004"));
    QCOMPARE(d.EndData, QStringLiteral("01.03.2004"));
    d.hide();

    // The same check in DiaSeekAlt (both modes) and DiaSeekAll (both layouts).
    for (const char *mode : {"All", "Driver"}) {
        DiaSeekAlt &alt = open<DiaSeekAlt>(mode);
        for (const Case &c : bad) {
            cap.clear();
            setDates(alt, c.from, c.to);
            QTest::mouseClick(alt.OKButton, Qt::LeftButton);
            QCOMPARE(cap.lastText(), c.message);
            QVERIFY(!alt.lYes && alt.isVisible());
        }
        alt.hide();
    }
    for (const char *mode : {"FaktNew", "SkladPRN"}) {
        DiaSeekAll &all = open<DiaSeekAll>(mode);
        for (const Case &c : bad) {
            cap.clear();
            setDates(all, c.from, c.to);
            QTest::mouseClick(all.OKButton, Qt::LeftButton);
            QCOMPARE(cap.lastText(), c.message);
            QVERIFY(!all.lYes && all.isVisible());
        }
        all.hide();
    }

    // Equal dates are one day, accepted everywhere; DiaSeek trims, DiaSeekAll keeps the text as typed.
    DiaSeek &seek = open<DiaSeek>("All");
    cap.clear();
    setDates(seek, " 05.03.2004", "05.03.2004 ");
    QTest::mouseClick(seek.OKButton, Qt::LeftButton);
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(seek.lYes);
    QVERIFY(!seek.isVisible());
    QCOMPARE(seek.StartData, QStringLiteral("05.03.2004"));
    QCOMPARE(seek.EndData, QStringLiteral("05.03.2004"));
    QCOMPARE(seek.startDate(), QDate(2004, 3, 5));
    QCOMPARE(seek.endDate(), seek.startDate());

    DiaSeekAlt &alt = open<DiaSeekAlt>("All");
    setDates(alt, "05.03.2004", "05.03.2004");
    QTest::mouseClick(alt.OKButton, Qt::LeftButton);
    QVERIFY(alt.lYes);

    DiaSeekAll &all = open<DiaSeekAll>("FaktNew");
    setDates(all, " 05.03.2004", "05.03.2004");
    QTest::mouseClick(all.OKButton, Qt::LeftButton);
    QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
    QVERIFY(all.lYes);
    QCOMPARE(all.StartData, QStringLiteral(" 05.03.2004"));
    QCOMPARE(all.startDate(), QDate(2004, 3, 5));

    // Typed as the frame's hint shows (month first, slashes) or with a two-digit
    // year: the reader gets the dates meant.
    for (SeekDialog *dlg : std::initializer_list<SeekDialog *>{&open<DiaSeek>("All"), &open<DiaSeekAlt>("All"),
                                                               &open<DiaSeekAll>("FaktNew")}) {
        cap.clear();
        setDates(*dlg, "3/1/04", "31.3.04");
        QTest::mouseClick(dlg->OKButton, Qt::LeftButton);
        QVERIFY2(cap.shown.isEmpty(), qPrintable(cap.lastText()));
        QVERIFY(dlg->lYes);
    }
    QCOMPARE(DiaSeek::instance().startDate(), QDate(2004, 3, 1));
    QCOMPARE(DiaSeekAlt::instance().startDate(), QDate(2004, 3, 1));
    QCOMPARE(DiaSeekAll::instance().endDate(), QDate(2004, 3, 31));
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TestSeekDialogs::diaSeekLayoutPerMode()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    struct Case {
        const char *mode;
        QString frame;
        bool listEnabled, listVisible, textVisible, dates;
        QStringList list;
    };
    const QList<Case> cases = {
        {"Kola", "Кола №", true, true, false, true, {"19", "31", "СА 1234 ВН"}},
        {"Klients", "Клиент", true, true, false, true, {"Ален ЕООД", "Борис ООД", "Д'Арк ООД"}},
        {"Driver", "Шофьор", true, true, false, true, {"A01,Иван Иванов, старши", "B07,Петър Георгиев"}},
        {"EditFakt", "Фактура № ", true, true, false, false, {"0000000105", "0000000012"}},
        {"All", "", false, true, false, true, {}},
        {"SkladPR", "Артикул", false, false, true, true, {}},
        {"NalichSK", "Артикул", false, false, true, false, {}},
    };
    for (const Case &c : cases) {
        DiaSeek &d = open<DiaSeek>(c.mode);
        QVERIFY2(cap.shown.isEmpty(), c.mode);
        QCOMPARE(d.Frame2->title(), c.frame);
        QCOMPARE(d.Combo1->isEnabled(), c.listEnabled);
        QCOMPARE(d.Combo1->isVisible(), c.listVisible);
        QCOMPARE(d.Text2->isVisible(), c.textVisible);
        QCOMPARE(d.Text2->isEnabled(), c.textVisible);
        QCOMPARE(d.Text1_0->isEnabled(), c.dates);
        QCOMPARE(d.Text1_1->isEnabled(), c.dates);
        QCOMPARE(entries(d.Combo1), c.list);
        // The first entry shown is the one chosen.
        QCOMPARE(d.Combo1->currentText(), c.list.value(0));
        QCOMPARE(d.windowTitle(), QStringLiteral("Условия за търсене"));
        QCOMPARE(d.Text1_0->text(), QString());
        if (!c.dates || (!c.listEnabled && c.listVisible))
            checkDisabledLookDisabled(d, c.mode);
        QVERIFY(!d.lYes);
        QVERIFY(!isWaitPointer());
        d.reject();
    }
    // Shown by a caller that only sets the caption: it loads for the mode all the same.
    DiaSeek &d = DiaSeek::instance();
    d.lYes = true;
    gSeekMode = QStringLiteral("Klients");
    d.setWindowTitle(QStringLiteral("Търсене - Всички курсове на клиент"));
    d.show();
    QVERIFY(!d.lYes);
    QCOMPARE(d.windowTitle(), QStringLiteral("Търсене - Всички курсове на клиент"));
    QCOMPARE(d.Frame2->title(), QStringLiteral("Клиент"));
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("Ален ЕООД"));
    d.hide();
}

void TestSeekDialogs::diaSeekCriteria()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    const QString from = "01.03.2004", to = "31.03.2004";

    // Missing criterion per mode (the list text emptied): the mode's message.
    const QList<QPair<const char *, QString>> missing = {
        {"Kola", "Няма избрана кола!\rМоля, изберете кола от списъка."},
        {"Klients", "Няма избран клиент!\rМоля, изберете клиент от списъка."},
        {"Driver", "Няма избран шофьор!\rМоля, изберете шофьор от списъка."},
        {"EditFakt", "Няма избран номер на фактура!\rМоля, изберете номер на фактура от списъка."},
    };
    for (const auto &m : missing) {
        DiaSeek &d = open<DiaSeek>(m.first);
        cap.clear();
        if (d.Text1_0->isEnabled())
            setDates(d, from, to);
        d.Combo1->setEditText("   ");
        QTest::mouseClick(d.OKButton, Qt::LeftButton);
        QCOMPARE(cap.lastText(), m.second);
        QVERIFY(!d.lYes && d.isVisible());
        d.hide();
    }

    // Missing period comes before the missing criterion.
    DiaSeek &d = open<DiaSeek>("Driver");
    cap.clear();
    d.Combo1->setEditText("");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), kMissingPeriod);
    // A typed driver without the comma of a list entry is no driver.
    setDates(d, from, to);
    d.Combo1->setEditText("Петър Георгиев");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), missing[2].second);
    QVERIFY(!d.lYes);
    // A picked entry whose name holds a comma: the code is before the first comma.
    d.Combo1->setCurrentIndex(0);
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.ShofKod, QStringLiteral("A01"));
    QCOMPARE(d.ShofName, QStringLiteral("Иван Иванов, старши"));

    // A car typed that is not in the list is accepted as typed, blanks removed.
    open<DiaSeek>("Kola");
    setDates(d, from, to);
    d.Combo1->setEditText("  0 ");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.Kola, QStringLiteral("0"));
    QCOMPARE(d.StartData, from);

    // A client picked in the list; quotes are just text.
    open<DiaSeek>("Klients");
    setDates(d, from, to);
    d.Combo1->setCurrentIndex(2);
    Q_EMIT d.Combo1->activated(2);
    QVERIFY(d.OKButton->isDefault());
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.Klient, QStringLiteral("Д'Арк ООД"));

    // Invoice numbers: no period asked, dates empty; a typed number is padded to ten.
    open<DiaSeek>("EditFakt");
    cap.clear();
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("0000000105"));
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(d.lYes);
    QCOMPARE(d.FakturaNom, QStringLiteral("0000000105"));
    QCOMPARE(d.StartData, QString());
    QCOMPARE(d.EndData, QString());
    open<DiaSeek>("EditFakt");
    d.Combo1->setEditText(" 12");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QCOMPARE(d.FakturaNom, QStringLiteral("0000000012"));

    // Article: may be empty; NalichSK asks no period, SkladPR does.
    open<DiaSeek>("NalichSK");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.sNalich, QString());
    open<DiaSeek>("SkladPR");
    cap.clear();
    typeText(d.Text2, " Нафта ");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), kMissingPeriod);
    setDates(d, from, from);
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.sNalich, QStringLiteral("Нафта"));
}

void TestSeekDialogs::diaSeekEmptyListsAndOtherModesFields()
{
    TestDb db; // no trips, no drivers
    MessageCapture cap;
    for (const char *mode : {"Kola", "Klients", "Driver", "EditFakt"}) {
        cap.clear();
        DiaSeek &d = open<DiaSeek>(mode);
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.lastText(), QStringLiteral("Липсват данните за списъка!"));
        QCOMPARE(d.Combo1->count(), 0);
        QVERIFY(!d.lYes);
        d.hide();
    }
    DiaSeek &d = open<DiaSeek>("Kola");
    setDates(d, "01.03.2004", "31.03.2004");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), QStringLiteral("Няма избрана кола!\rМоля, изберете кола от списъка."));
    d.Combo1->setEditText("СА 1234 ВН");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);

    // A later use in another mode: lYes False again until it succeeds, and the
    // earlier mode's field is left alone (its reader is not this command).
    open<DiaSeek>("Klients");
    QVERIFY(!d.lYes);
    setDates(d, "02.03.2004", "03.03.2004");
    d.Combo1->setEditText("Ален ЕООД");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.Klient, QStringLiteral("Ален ЕООД"));
    QCOMPARE(d.Kola, QStringLiteral("СА 1234 ВН"));
    QCOMPARE(d.StartData, QStringLiteral("02.03.2004"));
    // A failed search in a third mode: lYes stays False, the earlier values stay.
    const QString kodBefore = d.ShofKod;
    open<DiaSeek>("Driver");
    setDates(d, "02.03.2004", "03.03.2004");
    d.Combo1->setEditText("Петров");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(!d.lYes);
    QCOMPARE(d.ShofKod, kodBefore);
    QCOMPARE(d.Klient, QStringLiteral("Ален ЕООД"));
    d.hide();
}

void TestSeekDialogs::typedTextIsSearchedAsTyped()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    const auto typeInto = [](SeekCombo *list, const QString &text) {
        list->clearEditText();
        typeText(list->lineEdit(), text);
    };
    // Корекция фактури: "0" is no issued invoice and stays "0"; "Търси" refuses it.
    DiaSeek &d = open<DiaSeek>("EditFakt");
    cap.clear();
    typeInto(d.Combo1, "0");
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("0"));
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), QStringLiteral("Няма издадена фактура с този номер!\rМоля, изберете номер на фактура от списъка."));
    QVERIFY(!d.lYes && d.isVisible());
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("0"));
    lookAt(d.grab(), "seek-EditFakt-typed.png");
    // A typed number of an issued invoice opens it.
    typeInto(d.Combo1, "12");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.FakturaNom, QStringLiteral("0000000012"));

    // The other lists take what is typed too, never an entry it begins.
    open<DiaSeek>("Kola");
    setDates(d, "01.03.2004", "31.03.2004");
    typeInto(d.Combo1, "3");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.Kola, QStringLiteral("3"));
    open<DiaSeek>("Driver");
    setDates(d, "01.03.2004", "31.03.2004");
    typeInto(d.Combo1, "B0");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(!d.lYes);
    d.hide();
    DiaSeekAll &a = open<DiaSeekAll>("FaktNew");
    setDates(a, "01.03.2004", "31.03.2004");
    typeInto(a.Combo1, "Бор");
    cap.clear();
    QTest::mouseClick(a.OKButton, Qt::LeftButton);
    QVERIFY(!a.lYes);
    QCOMPARE(cap.lastText(), QStringLiteral("Въведеното име не е Ваш клиент!\rМоля, изберете клиент от списъка и опитайте отново."));
    a.hide();
}

void TestSeekDialogs::cancelAfterFailedSearch()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    for (SeekDialog *d : {static_cast<SeekDialog *>(&open<DiaSeek>("Kola")),
                          static_cast<SeekDialog *>(&open<DiaSeekAlt>("Driver")),
                          static_cast<SeekDialog *>(&open<DiaSeekAll>("FaktNew"))}) {
        cap.clear();
        QTest::mouseClick(d->OKButton, Qt::LeftButton);
        QCOMPARE(cap.lastText(), kMissingPeriod);
        QTest::mouseClick(d->CancelButton, Qt::LeftButton);
        QCOMPARE(cap.shown.size(), 2);
        QCOMPARE(cap.lastText(), kCancel);
        QVERIFY(!d->isVisible());
        QVERIFY(!d->lYes);
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }
    // Closing the window otherwise: no message, lYes False.
    DiaSeek &d = open<DiaSeek>("All");
    cap.clear();
    d.close();
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(!d.lYes);
}

void TestSeekDialogs::fieldsTurnWhiteAndSearchBecomesDefault()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    // At rest (loaded, not yet shown) the list is grey; opening gives it the focus.
    gSeekMode = QStringLiteral("Kola");
    DiaSeek &d = DiaSeek::instance();
    d.prepare();
    QCOMPARE(baseOf(d.Combo1), QColor(192, 192, 192));
    QCOMPARE(baseOf(d.Text1_0), d.palette().color(QPalette::Button));
    d.show();
    QVERIFY(!d.OKButton->isDefault());
    typeText(d.Text1_1, "3");
    QCOMPARE(baseOf(d.Text1_0), QColor(255, 255, 255));
    QCOMPARE(baseOf(d.Text1_1), QColor(255, 255, 255));
    QVERIFY(d.OKButton->isDefault());
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(d.Combo1, &in);
    QCOMPARE(baseOf(d.Combo1), QColor(255, 255, 255));
    // Enter in the list's text starts the search and adds nothing to the list.
    cap.clear();
    d.Combo1->setEditText(QStringLiteral("77"));
    QTest::keyClick(d.Combo1, Qt::Key_Return);
    QCOMPARE(cap.lastText(), kMissingPeriod);
    QCOMPARE(d.Combo1->count(), 3);
    d.hide();

    // The next load starts grey again with no default button.
    DiaSeekAll &all = open<DiaSeekAll>("FaktNew");
    for (QWidget *w : {static_cast<QWidget *>(all.Text2), static_cast<QWidget *>(all.Text3),
                       static_cast<QWidget *>(all.Combo2), static_cast<QWidget *>(all.Text1_0)})
        QCOMPARE(baseOf(w), QColor(224, 224, 224));
    QVERIFY(!all.OKButton->isDefault());
    QTest::mouseClick(all.Text2, Qt::LeftButton);
    QCOMPARE(baseOf(all.Text2), QColor(255, 255, 255));
    QCOMPARE(baseOf(all.Text3), QColor(224, 224, 224));
    QVERIFY(all.OKButton->isDefault());
    all.Combo2->showPopup();
    QCOMPARE(baseOf(all.Combo2), QColor(255, 255, 255));
    all.Combo2->hidePopup();
    // Enter in a box now starts the search (here: the period message).
    cap.clear();
    QTest::keyClick(all.Text3, Qt::Key_Return);
    QCOMPARE(cap.lastText(), kMissingPeriod);
    all.hide();

    // Disabled fields of the article layout look disabled.
    DiaSeekAll &art = open<DiaSeekAll>("SkladPRN");
    checkDisabledLookDisabled(art, "SkladPRN");
    art.hide();
    DiaSeekAlt &alt = open<DiaSeekAlt>("All");
    QVERIFY(!alt.Combo1->isEnabled());
    checkDisabledLookDisabled(alt, "DiaSeekAlt All");
    alt.hide();
}

void TestSeekDialogs::diaSeekAltModes()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    DiaSeekAlt &a = open<DiaSeekAlt>("Driver");
    QCOMPARE(a.Frame2->title(), QStringLiteral("Шофьор"));
    QCOMPARE(a.Option1->text(), QStringLiteral("Всички"));
    QCOMPARE(a.Option2->text(), QStringLiteral("Платени"));
    QCOMPARE(a.Option3->text(), QStringLiteral("Неплатени"));
    QVERIFY(a.Option1->isChecked());
    QCOMPARE(entries(a.Combo1), (QStringList{"A01,Иван Иванов, старши", "B07,Петър Георгиев"}));
    // Whichever captions they carry, the options show them whole, side by side,
    // clear of the frame's border.
    const auto optionsFit = [&a] {
        const QRect inside = a.Frame3->contentsRect().adjusted(4, 0, -4, 0);
        int left = inside.left();
        for (QRadioButton *o : {a.Option1, a.Option2, a.Option3}) {
            if (o->width() < o->sizeHint().width() || o->x() < left || o->geometry().right() > inside.right())
                return false;
            left = o->geometry().right() + 1;
        }
        return true;
    };
    QVERIFY(optionsFit());
    QCOMPARE(a.Combo1->currentText(), QStringLiteral("A01,Иван Иванов, старши"));
    setDates(a, "01.03.2004", "31.03.2004");
    a.Combo1->setEditText("B07");
    QTest::mouseClick(a.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), QStringLiteral("Няма избран шофьор!\rМоля, изберете шофьор от списъка."));
    QVERIFY(!a.lYes);
    a.Combo1->setCurrentIndex(1);
    a.Option2->click();
    QTest::mouseClick(a.OKButton, Qt::LeftButton);
    QVERIFY(a.lYes);
    QCOMPARE(a.sOption, QStringLiteral("Yes"));
    QCOMPARE(a.ShofKod, QStringLiteral("B07"));
    QCOMPARE(a.ShofName, QStringLiteral("Петър Георгиев"));

    // Mode "All": design captions back, no list, option reset to "Всички"; the
    // driver of the earlier use is left alone.
    a.Option3->setChecked(true);
    open<DiaSeekAlt>("All");
    QCOMPARE(a.Frame2->title(), QString());
    QCOMPARE(a.Option2->text(), QStringLiteral("Фактурирани"));
    QCOMPARE(a.Option3->text(), QStringLiteral("Нефактурирани"));
    QVERIFY(a.Option1->isChecked());
    QVERIFY(optionsFit());
    QVERIFY(!a.Combo1->isEnabled());
    QCOMPARE(a.Combo1->count(), 0);
    setDates(a, "01.03.2004", "31.03.2004");
    a.Option3->click();
    QTest::mouseClick(a.OKButton, Qt::LeftButton);
    QVERIFY(a.lYes);
    QCOMPARE(a.sOption, QStringLiteral("No"));
    QCOMPARE(a.ShofKod, QStringLiteral("B07"));
    open<DiaSeekAlt>("All");
    setDates(a, "01.03.2004", "31.03.2004");
    QTest::mouseClick(a.OKButton, Qt::LeftButton);
    QCOMPARE(a.sOption, QStringLiteral("All"));

    // No drivers: the message at load, then "Търси" reports no driver.
    db.exec("DELETE FROM shof");
    cap.clear();
    open<DiaSeekAlt>("Driver");
    QCOMPARE(cap.lastText(), QStringLiteral("Липсват данните за списъка!"));
    setDates(a, "01.03.2004", "31.03.2004");
    QTest::mouseClick(a.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), QStringLiteral("Няма избран шофьор!\rМоля, изберете шофьор от списъка."));
    a.hide();
}

void TestSeekDialogs::diaSeekAllTripLayout()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    DiaSeekAll &d = open<DiaSeekAll>("FaktNew");
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(d.Frame2->title(), QStringLiteral("Допълнителни условия"));
    QCOMPARE(d.Label1_5->text(), QStringLiteral("Клиент"));
    QCOMPARE(d.Label1_3->text(), QStringLiteral("Маршрут"));
    QVERIFY(d.Combo1->isEnabled() && d.Text2->isEnabled());
    QCOMPARE(entries(d.Combo1), (QStringList{"Ален ЕООД", "Борис ООД", "Д'Арк ООД"}));
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("Ален ЕООД"));
    QCOMPARE(entries(d.Combo2), (QStringList{"19", "31", "СА 1234 ВН"}));
    QCOMPARE(d.Combo2->currentText(), QString());
    // The lists were built under the progress window, which is closed again.
    QCOMPARE(ProgDialog::instance().Label1->text(), QStringLiteral("Създавам списъка на колите..."));
    QCOMPARE(ProgDialog::instance().ProgBar->maximum(), 4);
    QVERIFY(!ProgDialog::instance().isVisible());
    QVERIFY(!isWaitPointer());

    setDates(d, "01.03.2004", "31.03.2004");
    d.Combo1->setEditText("Ален");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), QStringLiteral("Въведеното име не е Ваш клиент!\rМоля, изберете клиент от списъка и опитайте отново."));
    d.Combo1->setEditText("  ");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), QStringLiteral("Няма зададен клиент!\rВъведете клиент и опитайте отново."));
    d.Combo1->setEditText(" Д'Арк ООД ");
    d.Combo2->setEditText("20");
    typeText(d.Text2, "Пясък");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), QStringLiteral("Въведения номер няма курсове!\rМоля, изберете номер от списъка и опитайте отново."));
    QVERIFY(!d.lYes && d.isVisible());
    // The user gives up the car and the goods: neither the rejected car nor the
    // cleared goods reach the reader.
    d.Combo2->setEditText("");
    d.Text2->clear();
    typeText(d.Text3, " София ");
    cap.clear();
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(d.lYes);
    QCOMPARE(d.Klient, QStringLiteral("Д'Арк ООД"));
    QCOMPARE(d.Kola, QString());
    QCOMPARE(d.Tovar, QString());
    QCOMPARE(d.Marsh, QStringLiteral("София"));

    open<DiaSeekAll>("KlientFakt");
    QVERIFY(d.Combo1->isEnabled());
    setDates(d, "01.03.2004", "31.03.2004");
    d.Combo2->setCurrentIndex(2);
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.Klient, QStringLiteral("Ален ЕООД"));
    QCOMPARE(d.Kola, QStringLiteral("СА 1234 ВН"));
    QCOMPARE(d.Marsh, QString());
}

void TestSeekDialogs::diaSeekAllArticleLayoutAndFreshFields()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    DiaSeekAll &d = open<DiaSeekAll>("SkladPRN");
    QVERIFY(!d.Combo1->isEnabled());
    QVERIFY(!d.Text2->isEnabled());
    QCOMPARE(d.Combo1->count(), 0);
    QCOMPARE(d.Label1_3->text(), QStringLiteral("Артикул"));
    QCOMPARE(d.Text3->toolTip(), QStringLiteral("Избор на артикул"));
    QCOMPARE(d.Combo2->toolTip(), QStringLiteral("Избор на номер на кола"));
    QVERIFY(d.Label1_5->palette().color(QPalette::WindowText) != d.Label1_4->palette().color(QPalette::WindowText));
    QCOMPARE(d.Combo2->count(), 3);
    // Empty article and car: accepted after the period.
    setDates(d, "01.03.2004", "31.03.2004");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QVERIFY(d.Klient.isEmpty() && d.Kola.isEmpty() && d.Tovar.isEmpty() && d.Marsh.isEmpty());
    // Car unchecked: any text.
    open<DiaSeekAll>("SkladPRN");
    setDates(d, "01.03.2004", "31.03.2004");
    d.Combo2->setEditText("Пътен");
    typeText(d.Text3, "Наф");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
    QCOMPARE(d.Kola, QStringLiteral("Пътен"));
    QCOMPARE(d.Marsh, QStringLiteral("Наф"));

    // Back in the trip layout: design labels and tips, fields cleared at load.
    open<DiaSeekAll>("FaktNew");
    QCOMPARE(d.Label1_3->text(), QStringLiteral("Маршрут"));
    QCOMPARE(d.Text3->toolTip(), QStringLiteral("Избор на маршрута на курса"));
    QVERIFY(d.Combo1->isEnabled() && d.Text2->isEnabled());
    QCOMPARE(d.Kola, QString());
    QCOMPARE(d.Marsh, QString());
    QCOMPARE(d.Text3->text(), QString());
    d.hide();

    // Without trips the car list is empty: the FillCombo box, and the dialog still works.
    db.exec("DELETE FROM tabl");
    cap.clear();
    open<DiaSeekAll>("SkladPRN");
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    setDates(d, "01.03.2004", "31.03.2004");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(d.lYes);
}

void TestSeekDialogs::diaSeekAllWithoutTrips()
{
    TestDb db;
    MessageCapture cap;
    DiaSeekAll &d = DiaSeekAll::instance();
    d.Kola = QStringLiteral("earlier");
    DiaSeekAll &opened = open<DiaSeekAll>("FaktNew");
    QCOMPARE(&opened, &d);
    QCOMPARE(cap.shown.size(), 2);
    QCOMPARE(cap.shown[0].caption, QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(cap.shown[0].text, QStringLiteral("Списъка е празен\rЩе се създаде нов!"));
    QCOMPARE(cap.shown[1].text, QStringLiteral("Няма въведени курсове в компютъра!"));
    QCOMPARE(d.Combo2->count(), 0);
    QVERIFY(!isWaitPointer());
    // "Търси" closes at once, no check, no message.
    cap.clear();
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(!d.isVisible());
    QVERIFY(!d.lYes);
    // "Отказ" closes after its message.
    open<DiaSeekAll>("FaktNew");
    cap.clear();
    QTest::mouseClick(d.CancelButton, Qt::LeftButton);
    QCOMPARE(cap.lastText(), kCancel);
    QVERIFY(!d.isVisible() && !d.lYes);
}

void TestSeekDialogs::fillComboEmptyAndBound()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    QComboBox list;
    list.addItem(QStringLiteral("вече"));
    FillCombo(&list, QStringLiteral("SELECT Klient FROM tabl WHERE Klient=? ORDER BY Data"),
              QStringLiteral("Klient"), {QStringLiteral("Д'Арк ООД")});
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(entries(&list), (QStringList{"вече", "Д'Арк ООД"}));
    FillCombo(&list, QStringLiteral("SELECT Marsh FROM tabl WHERE kola=? ORDER BY Data"),
              QStringLiteral("Marsh"), {QStringLiteral("19")});
    QCOMPARE(entries(&list).mid(2), (QStringList{"Русе-Бургас", "Русе-Бургас"}));

    QComboBox empty;
    FillCombo(&empty, QStringLiteral("SELECT Klient FROM tabl WHERE Klient=?"), QStringLiteral("Klient"),
              {QStringLiteral("никой")});
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(cap.lastText(), QStringLiteral("Списъка е празен\rЩе се създаде нов!"));
    QCOMPARE(empty.count(), 0);
}

void TestSeekDialogs::captionsFitInEveryFont()
{
    TestDb db;
    fillTrips(db);
    MessageCapture cap;
    const QFont normal = QApplication::font();
    for (double scale : {1.0, 1.4}) {
        QFont f = normal;
        f.setPointSizeF(normal.pointSizeF() * scale);
        QApplication::setFont(f);
        for (const char *mode : {"Kola", "Klients", "Driver", "EditFakt", "All", "SkladPR", "NalichSK"}) {
            DiaSeek &d = open<DiaSeek>(mode);
            checkNoOverlap(&d);
            d.hide();
        }
        for (const char *mode : {"All", "Driver"}) {
            DiaSeekAlt &d = open<DiaSeekAlt>(mode);
            checkNoOverlap(&d);
            d.hide();
        }
        for (const char *mode : {"FaktNew", "SkladPRN"}) {
            DiaSeekAll &d = open<DiaSeekAll>(mode);
            checkNoOverlap(&d);
            lookAt(d.grab(), scale > 1 ? "diaseekall-big.png" : "diaseekall.png");
            d.hide();
        }
    }
    QApplication::setFont(normal);
}

// The commands open their dialog as wide as its controls need each time, also
// after an earlier showing in which the list of a long driver name was dropped
// down and that name chosen from it.
void TestSeekDialogs::widthEveryTimeItOpens()
{
    TestDb db;
    fillTrips(db);
    addDriver(db, QStringLiteral("001"), widest::kDriver, QStringLiteral("7501011234"), QStringLiteral("123456789"));
    MessageCapture cap;
    setTempTableBuilder([](const QString &) {});
    // Корекция плащане whose print finds nothing ends with its message.
    setTargetRunner([](const QString &t, bool) {
        if (t == QLatin1String("Plashtane"))
            DiaInf::show(QStringLiteral("Няма неплатени курсове!"));
        return true;
    });
    bool dropDown = false;
    QList<int> widths;
    SeekDialog::setTestAnswer([&](SeekDialog &d) {
        d.show();
        auto *list = d.findChild<QComboBox *>(QStringLiteral("Combo1"));
        auto *frame = list->parentWidget();
        widths << d.width();
        lookAt(d.grab(), qPrintable(QStringLiteral("seek-width-%1.png").arg(widths.size())));
        // The list whole, its arrow inside its frame, the frame inside the window.
        QVERIFY2(list->width() >= list->sizeHint().width(), qPrintable(d.windowTitle()));
        QVERIFY2(frame->rect().contains(list->geometry()), qPrintable(d.windowTitle()));
        QVERIFY2(d.rect().contains(frame->geometry()), qPrintable(d.windowTitle()));
        if (dropDown) {
            list->showPopup();
            QTest::keyClick(list->view(), Qt::Key_Home);
            QTest::keyClick(list->view(), Qt::Key_Return);
            QCOMPARE(list->currentText(), QStringLiteral("001,") + widest::kDriver);
        }
        setDates(d, QStringLiteral("01.03.2004"), QStringLiteral("31.03.2004"));
        QTest::mouseClick(d.OKButton, Qt::LeftButton);
    });
    const auto run = [&](const char *control, bool drop) {
        dropDown = drop;
        QVERIFY(runSearchCommand(QString::fromLatin1(control)));
    };
    run("mnuSlgZapl", true);
    run("mnuDataKorPl", false);
    run("mnuSlgZapl", false);
    run("mnuSprRowdList", false);
    run("mnuSprShof", true);
    run("mnuSprShof", false);
    SeekDialog::setTestAnswer(nullptr);
    setTargetRunner(nullptr);
    setTempTableBuilder(nullptr);
    QCOMPARE(widths.size(), 6);
    QCOMPARE(widths.at(2), widths.at(0));
    QCOMPARE(widths.at(5), widths.at(4));
    QCOMPARE(cap.shown.size(), 1);
}

QTEST_MAIN(TestSeekDialogs)
#include "test_seekdialogs.moc"
