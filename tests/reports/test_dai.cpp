#include "boxwatch.h"
#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/numbers.h"
#include "platform/version.h"
#include "printing/report.h"
#include "reports/dai.h"
#include "shell/targets.h"
#include "reportcheck.h"
#include "testdb.h"
#include "seed.h"
#include "typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kelm;

class TestDAI : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestDb> db;
    QTemporaryDir pdfDir;

    DAI &open()
    {
        runTarget(QStringLiteral("DAI"));
        DAI *d = DAI::instance();
        Q_ASSERT(d);
        return *d;
    }
    void pick(DAI &d, const QString &name)
    {
        d.Combo1->setCurrentIndex(d.Combo1->findText(name));
        if (d.Combo1->currentIndex() < 0)
            d.Combo1->setEditText(name);
        d.Combo1_Click();
    }
    QRectF itemRect(Report &r, const char *control)
    {
        for (const ReportItem &it : r.pageItems(0))
            if (it.control == QLatin1String(control))
                return it.rect.normalized();
        return QRectF();
    }
    QRectF crossAt(Report &r)
    {
        const QRectF a = itemRect(r, "Line2"), b = itemRect(r, "Line3");
        if (a != b)
            return QRectF(-1, -1, -1, -1);
        return a;
    }

private slots:
    void init();
    void cleanup();
    void birthDates();
    void screenAndPrint();
    void unknownNameAndBadDates();
    void oneMessageAtATime();
    void printsTheDriverTheBoxShows();
    void backwardsPeriodRefusedBeforePrinting();
};

void TestDAI::init()
{
    db = std::make_unique<TestDb>();
    seedCompany();
    gFirmCountry = QStringLiteral("България");
    gFirmTel = QStringLiteral("032 123456");
    gFirmGSM = QStringLiteral("032 654321");
    gFirmEmail = QStringLiteral("office@darc.bg");
    gFirmMOL = QStringLiteral("Иван Д'Арков");
    db->exec(QStringLiteral("INSERT INTO shof (kod, ime, EGN, LKarta) VALUES "
                            "('002', 'Петър Петров', '0541151234', '123456789'), "
                            "('001', 'Георги Д''Арков', '7503121234', '987654321'), "
                            "('003', 'Стоян Стоянов', '75', '111')"));
}

void TestDAI::cleanup()
{
    if (DAI *d = DAI::instance()) {
        d->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    db.reset();
}

void TestDAI::birthDates()
{
    QCOMPARE(birthDateFromEgn("0541151234"), QStringLiteral("15.1.2005"));
    QCOMPARE(birthDateFromEgn("0552011234"), QStringLiteral("01.12.2005"));
    QCOMPARE(birthDateFromEgn("7503121234"), QStringLiteral("12.03.1975"));
    QCOMPARE(birthDateFromEgn("751231"), QStringLiteral("31.12.1975"));
    // Too short, a month outside 1-12 (after taking 40 off), a day the month has not.
    QCOMPARE(birthDateFromEgn(""), QString());
    QCOMPARE(birthDateFromEgn("75031"), QString());
    QCOMPARE(birthDateFromEgn("7513011234"), QString());
    QCOMPARE(birthDateFromEgn("7540011234"), QString());
    QCOMPARE(birthDateFromEgn("0553011234"), QString());
    QCOMPARE(birthDateFromEgn("7500011234"), QString());
    QCOMPARE(birthDateFromEgn("7502301234"), QString());
    QCOMPARE(birthDateFromEgn("75a3121234"), QString());
}

void TestDAI::screenAndPrint()
{
    MessageCapture msgs;
    DAI &d = open();
    // One instance.
    runTarget(QStringLiteral("DAI"));
    QCOMPARE(DAI::instance(), &d);
    QCOMPARE(d.windowTitle(), QStringLiteral("Удостоверение ДАИ"));
    // The list by code; its first name shown, no driver picked yet.
    QCOMPARE(d.Combo1->count(), 3);
    QCOMPARE(d.Combo1->itemText(0), QStringLiteral("Георги Д'Арков"));
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("Георги Д'Арков"));
    QVERIFY(d.driverName().isEmpty());
    QVERIFY(!d.lblDriverName->isVisibleTo(&d));
    QCOMPARE(d.lblFirmaAdres->text(), QStringLiteral("ул. Иван Вазов 12, Пловдив, България"));
    QCOMPARE(d.lblFirmaFax->text(), gFirmGSM);
    QCOMPARE(d.lblFirmaMOL->text(), gFirmMOL);
    QVERIFY(d.lblT17->text().contains(QStringLiteral("\n       попадащо в Регламент")));

    // A name with an apostrophe is found.
    pick(d, QStringLiteral("Георги Д'Арков"));
    QCOMPARE(d.lblDriverName->text(), QStringLiteral("Георги Д'Арков"));
    QCOMPARE(d.lblDriverBorn->text(), QStringLiteral("12.03.1975"));
    QCOMPARE(d.lblDriverLK->text(), QStringLiteral("987654321"));
    QVERIFY(!d.Combo1->isVisibleTo(&d));
    QVERIFY(d.lblDriverName->isVisibleTo(&d));

    // The reasons exclude each other: 13 then 15 leaves 15 alone.
    d.Check1->setChecked(true);
    d.Check3->setChecked(true);
    QVERIFY(!d.Check1->isChecked());
    QVERIFY(d.Check3->isChecked());

    d.Text1_0->setText(QStringLiteral("5.1.2010"));
    d.Text1_1->setText(QStringLiteral("31.01.2010"));
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        d.grab().save(qEnvironmentVariable("KELM_REPORT_LOOK") + "/DAI.png");
    ReportCapture shown;
    d.cmdPrint->click();
    QVERIFY(msgs.shown.isEmpty());
    QCOMPARE(shown.shown.size(), 1);
    QVERIFY(shown.shown[0].modal);
    Report &r = rptDAI();
    QCOMPARE(r.caption(), QStringLiteral("Тревалон ") + versionShort() + QStringLiteral(" - Удостоверение за ДАИ"));
    QCOMPARE(r.pageCount(), 1);
    QCOMPARE(r.data().rowCount(), 1);
    auto t = [&](const char *label) { return r.controlText("PageHeader", QLatin1String(label)); };
    QCOMPARE(t("Label1"), gFirmName);
    QCOMPARE(t("Label2"), QStringLiteral("Пловдив, ул. Иван Вазов 12"));
    QCOMPARE(t("Label6"), QStringLiteral("тел:032 123456, факс:032 654321, E-mail:office@darc.bg, URL:http//") + gFirmURL);
    QCOMPARE(t("Label15"), QStringLiteral("ул. Иван Вазов 12, Пловдив, България"));
    QCOMPARE(t("Label16"), QStringLiteral("Управител"));
    QCOMPARE(t("Label26"), QStringLiteral("Георги Д'Арков"));
    QCOMPARE(t("Label28"), QStringLiteral("12.03.1975 г."));
    QCOMPARE(t("Label30"), QStringLiteral("987654321"));
    QCOMPARE(t("Label36"), QStringLiteral("00:00 на 05.01.2010 г."));
    QCOMPARE(t("Label42"), QStringLiteral("00:00 на 31.01.2010 г."));
    QCOMPARE(t("Label44"), gFirmCity);
    QCOMPARE(t("Label46"), formatDate(QDate::currentDate()));
    QVERIFY(t("Label49").startsWith(QStringLiteral("17. Аз, водач на превозно средство, подвърждавам, че")));
    QVERIFY(t("Label49").contains(QStringLiteral("\r.      превозно средство, попадащо в обхвата")));
    QVERIFY(t("Label4").startsWith(QStringLiteral("Попълва се на машина и се подписва преди пътуване\r")));
    QCOMPARE(r.controlText("PageFooter", "Label5"), QStringLiteral("Тревалон ") + versionShort());
    // The cross on item 15, over its box.
    const double top = r.margin(3);
    QCOMPARE(crossAt(r).top(), top + daiCrossTop(15));
    QCOMPARE(crossAt(r).left(), r.margin(1) + 405.0);
    QCOMPARE(crossAt(r), itemRect(r, "Shape3"));
    // The whole page within A4, nothing cut.
    for (const ReportItem &it : r.pageItems(0)) {
        QVERIFY2(it.rect.normalized().bottom() <= r.paperHeight() - r.margin(4), qPrintable(it.control));
        QVERIFY2(it.rect.normalized().right() <= r.margin(1) + 10005 + 0.5, qPrintable(it.control));
        if (it.text.isEmpty())
            continue;
        const QFontMetricsF fm(reportItemFont(it));
        for (const QString &line : it.text.split(QLatin1Char('\r')))
            QVERIFY2(fm.horizontalAdvance(line) <= reportTextRoom(it), qPrintable(it.control + " " + line));
    }
    QVERIFY(QFileInfo(writeReportPdf(r, pdfDir.path())).size() > 1000);

    // Reprinted with another tick the cross moves; with none it is gone.
    d.Check2->setChecked(true);
    QVERIFY(!d.Check3->isChecked());
    d.cmdPrint->click();
    QCOMPARE(crossAt(r).top(), top + daiCrossTop(14));
    d.Check2->setChecked(false);
    d.cmdPrint->click();
    QVERIFY(itemRect(r, "Line2").isNull() && itemRect(r, "Line3").isNull());
    d.Check1->setChecked(true);
    d.cmdPrint->click();
    QCOMPARE(crossAt(r).top(), top + daiCrossTop(13));
    QCOMPARE(shown.shown.size(), 4);
}

void TestDAI::unknownNameAndBadDates()
{
    MessageCapture msgs;
    DAI &d = open();
    // A driver born from 2000 on.
    pick(d, QStringLiteral("Петър Петров"));
    QCOMPARE(d.birthDate(), QStringLiteral("15.1.2005"));
    d.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    DAI &e = open();
    // A personal number too short gives no birth date rather than a wrong one.
    pick(e, QStringLiteral("Стоян Стоянов"));
    QCOMPARE(e.lblDriverBorn->text(), QString());
    // and the printout leaves the line empty, with no year mark standing alone.
    {
        ReportCapture shown;
        e.Text1_0->setText(QStringLiteral("01.01.2010"));
        e.Text1_1->setText(QStringLiteral("31.01.2010"));
        e.cmdPrint->click();
        QCOMPARE(shown.shown.size(), 1);
        QCOMPARE(rptDAI().controlText("PageHeader", "Label28"), QString());
        QCOMPARE(rptDAI().controlText("PageHeader", "Label26"), QStringLiteral("Стоян Стоянов"));
    }
    e.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    DAI &f = open();
    // A name no driver has: the message, and no personal data of anybody.
    pick(f, QStringLiteral("Никой Никоев"));
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(msgs.lastText(), QStringLiteral("Списъка е празен\rЩе се създаде нов!"));
    QVERIFY(f.driverName().isEmpty() && f.birthDate().isEmpty() && f.idCard().isEmpty());
    QVERIFY(f.Combo1->isVisibleTo(&f));

    // Period boxes: only real dates.
    ReportCapture shown;
    msgs.clear();
    f.Text1_0->setText(QStringLiteral("32.01.2010"));
    f.Text1_1->setText(QStringLiteral("31.01.2010"));
    f.cmdPrint->click();
    QVERIFY(shown.shown.isEmpty());
    QCOMPARE(msgs.shown.size(), 1);
    QVERIFY(msgs.lastText().startsWith(QStringLiteral("Грешна дата!")));
    f.Text1_0->clear();
    f.cmdPrint->click();
    QVERIFY(shown.shown.isEmpty());
    QCOMPARE(msgs.shown.size(), 2);

    // Leaving a box with a real date moves it into its label; a wrong one is refused.
    f.show();
    QApplication::setActiveWindow(&f);
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.Text1_0->setFocus();
    typeText(f.Text1_0, QStringLiteral("1.1.2010"));
    f.Text1_1->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);
    QVERIFY(!f.Text1_0->isVisible());
    QCOMPARE(f.lblDataStart->text(), QStringLiteral("00:00 на 01.01.2010 г."));
    f.Text1_1->setText(QStringLiteral("abc"));
    f.cmdClose->setFocus(Qt::TabFocusReason);
    QTest::qWait(20);
    QCOMPARE(msgs.shown.size(), 3);
    QVERIFY(f.Text1_1->isVisible());
    QVERIFY(!f.lblDataStop->isVisible());
    // The box still shows the name no driver has: nothing is printed.
    f.Text1_1->setText(QStringLiteral("02.01.2010"));
    f.cmdPrint->click();
    QVERIFY(shown.shown.isEmpty());
    QCOMPARE(msgs.shown.size(), 4);
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма такъв водач в списъка!\rИзберете водач от списъка!"));
}

// The attestation is of the driver the box shows: the first name as loaded,
// never chosen from the list, is printed with its data; a typed name no driver
// of the list has is refused before anything prints.
void TestDAI::printsTheDriverTheBoxShows()
{
    MessageCapture msgs;
    ReportCapture shown;
    auto t = [](const char *label) { return rptDAI().controlText("PageHeader", QLatin1String(label)); };
    DAI &d = open();
    d.show();
    QApplication::setActiveWindow(&d);
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.Text1_0->setText(QStringLiteral("1.1.2010"));
    d.Text1_1->setText(QStringLiteral("31.1.2010"));
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("Георги Д'Арков"));
    QTest::mouseClick(d.cmdPrint, Qt::LeftButton);
    QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.lastText()));
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(t("Label26"), QStringLiteral("Георги Д'Арков"));
    QCOMPARE(t("Label28"), QStringLiteral("12.03.1975 г."));
    QCOMPARE(t("Label30"), QStringLiteral("987654321"));
    QCOMPARE(rptDAI().data().rowCount(), 1);
    QCOMPARE(d.lblDriverName->text(), QStringLiteral("Георги Д'Арков"));
    d.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    DAI &e = open();
    e.show();
    QApplication::setActiveWindow(&e);
    QVERIFY(QTest::qWaitForWindowActive(&e));
    e.Text1_0->setText(QStringLiteral("1.1.2010"));
    e.Text1_1->setText(QStringLiteral("31.1.2010"));
    e.Combo1->setFocus();
    e.Combo1->clearEditText();
    typeText(e.Combo1->lineEdit(), QStringLiteral("Никой Никоев"));
    QTest::mouseClick(e.cmdPrint, Qt::LeftButton);
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(msgs.lastText(), QStringLiteral("Няма такъв водач в списъка!\rИзберете водач от списъка!"));
    QCOMPARE(e.focusWidget(), e.Combo1);
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        e.grab().save(qEnvironmentVariable("KELM_REPORT_LOOK") + "/DAI_refused.png");
}

// The check a period box schedules on leaving never asks the message box while
// the print's message is open: it is dropped when the print refused the same
// text, and otherwise comes after that message was closed.
void TestDAI::oneMessageAtATime()
{
    DAI &d = open();
    d.show();
    QApplication::setActiveWindow(&d);
    QVERIFY(QTest::qWaitForWindowActive(&d));
    ReportCapture shown;
    BoxWatch boxes;
    d.Text1_1->setText(QStringLiteral("31.01.2010"));
    d.Text1_0->setFocus();
    typeText(d.Text1_0, QStringLiteral("а"));
    QTest::mouseClick(d.cmdPrint, Qt::LeftButton);
    QTest::qWait(100);
    QCOMPARE(boxes.recursions, 0);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen.at(0).second.startsWith(QStringLiteral("Грешна дата!")));
    QCOMPARE(d.focusWidget(), d.Text1_0);
    QVERIFY(shown.shown.isEmpty());

    // Whichever box holds the wrong date and whichever was left last, one click
    // gives the print's one message about the period.
    const struct {
        const char *from, *to;
        bool leaveFrom;
        const char *message;
        QLineEdit *focus;
    } cases[] = {{"", "x", false, "Няма въведен период!", d.Text1_0},
                 {"y", "x", false, "Грешна дата!", d.Text1_0},
                 {"y", "", true, "Грешна дата!", d.Text1_0},
                 {"y", "x", true, "Грешна дата!", d.Text1_0},
                 {"1.1.2010", "x", false, "Грешна дата!", d.Text1_1}};
    for (const auto &c : cases) {
        QLineEdit *left = c.leaveFrom ? d.Text1_0 : d.Text1_1;
        QLineEdit *other = c.leaveFrom ? d.Text1_1 : d.Text1_0;
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        d.Text1_0->clear();
        d.Text1_1->clear();
        left->setFocus();
        QTest::qWait(20);
        boxes.seen.clear();
        other->setText(QString::fromUtf8(c.leaveFrom ? c.to : c.from));
        typeText(left, QString::fromUtf8(c.leaveFrom ? c.from : c.to));
        QTest::mouseClick(d.cmdPrint, Qt::LeftButton);
        QTest::qWait(100);
        QCOMPARE(boxes.recursions, 0);
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY2(boxes.seen.at(0).second.startsWith(QString::fromUtf8(c.message)), qPrintable(boxes.seen.at(0).second));
        QCOMPARE(d.focusWidget(), c.focus);
        QVERIFY(shown.shown.isEmpty());
    }
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        d.grab().save(qEnvironmentVariable("KELM_REPORT_LOOK") + "/DAI_period.png");
}

// A period that ends before it starts is refused as the search dialogs refuse
// one, and nothing is printed; the end box is back for correcting. One day is a
// period.
void TestDAI::backwardsPeriodRefusedBeforePrinting()
{
    MessageCapture msgs;
    ReportCapture shown;
    DAI &d = open();
    d.show();
    QApplication::setActiveWindow(&d);
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.Text1_0->setFocus();
    typeText(d.Text1_0, QStringLiteral("20.05.2024"));
    d.Text1_1->setFocus(Qt::TabFocusReason);
    typeText(d.Text1_1, QStringLiteral("10.05.2024"));
    QTest::mouseClick(d.cmdPrint, Qt::LeftButton);
    QTest::qWait(50);
    QVERIFY(shown.shown.isEmpty());
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(msgs.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(msgs.lastText(), QStringLiteral("Грешно зададен период!\r(начална дата е след крайната дата)\r"
                                             "Проверете си датите!"));
    QVERIFY(d.Text1_1->isVisible());
    QVERIFY(!d.lblDataStop->isVisible());
    QCOMPARE(d.focusWidget(), d.Text1_1);
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        d.grab().save(qEnvironmentVariable("KELM_REPORT_LOOK") + "/DAI_backwards.png");
    d.Text1_1->selectAll();
    typeText(d.Text1_1, QStringLiteral("20.05.2024"));
    QTest::mouseClick(d.cmdPrint, Qt::LeftButton);
    QCOMPARE(msgs.shown.size(), 1);
    QCOMPARE(shown.shown.size(), 1);
    QCOMPARE(rptDAI().controlText("PageHeader", "Label42"), QStringLiteral("00:00 на 20.05.2024 г."));
}

QTEST_MAIN(TestDAI)
#include "test_dai.moc"
