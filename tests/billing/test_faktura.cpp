#include "billing/diafakt.h"
#include "billing/faktura.h"
#include "billing/fakturareport.h"
#include "common/globals.h"
#include "dialogs/dialog.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
#include "dialogs/messages.h"
#include "platform/grid.h"
#include "platform/modalwindows.h"
#include "printing/report.h"
#include "printing/reportpreview.h"
#include "scratch/temptable.h"
#include "shell/commands.h"
#include "shell/targets.h"
#include "seed.h"
#include "reportcheck.h"
#include "testdb.h"
#include "typing.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace kelm;

namespace {

const QString kClient = QStringLiteral("Д'Арк ООД");

void seed(TestDb &db)
{
    const QString sql = "INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, "
                        "neto, Fakt, NomFakt) VALUES (?,?,'A01',?,?,?,?,?,?,?,0,0,?,?)";
    const QString none = QStringLiteral("0000000000");
    db.exec(sql, {QDate(2004, 3, 2), "СА1111АА", "София-Перник", kClient, "100%_чист", 40, 20.0, 0.125, 100.0, 0, none});
    db.exec(sql, {QDate(2004, 3, 1), "СА1111АА", "Перник-Радомир-Кюстендил", kClient, "Пясък", 334, 6.0, 0.125, 250.5, 0, none});
    db.exec(sql, {QDate(2004, 3, 2), "В2222ВВ", "Драгоман", kClient, "Чакъл", 12, 10.0, 0.25, 30.0, 0, none});
    db.exec(sql, {QDate(2004, 3, 31), "СА1111АА", "Своге", kClient, "Дърва", 16, 10.0, 0.25, 40.0, 0, none});
    db.exec(sql, {QDate(2004, 3, 5), "СА1111АА", "Друг клиент", "Друг", "Пясък", 1, 1.0, 1, 1.0, 0, none});
    db.exec(sql, {QDate(2004, 2, 5), "СА1111АА", "Стара", kClient, "Пясък", 10, 10.0, 1, 100.0, 1, "0000000123"});
    db.exec(sql, {QDate(2004, 2, 6), "СА1111АА", "Стара 2", kClient, "Пясък", 10, 10.0, 1, 23.45, 1, "0000000123"});
}

void newInvoiceCriteria()
{
    gSeekMode = QStringLiteral("FaktNew");
    DiaSeekAll &s = DiaSeekAll::instance();
    s.Klient = kClient;
    s.Kola.clear();
    s.Tovar.clear();
    s.Marsh.clear();
    seekPeriod(s, QStringLiteral("01.03.2004"), QStringLiteral("31.03.2004"));
}

// Runs `step` on the modal dialog that the next call opens.
void onModal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, [step] {
        QWidget *w = QApplication::activeModalWidget();
        QVERIFY(w);
        step(w);
    });
}

// Space on the trip shown at a place of the grid.
void tickShown(Faktura &w, int visual)
{
    w.GridEX1->setCurrentRow(w.GridEX1->rowAtVisual(visual));
    w.GridEX1->sendKey(32);
}

void chooseNumber(Faktura &w, const QStringList &entries)
{
    onModal([entries](QWidget *m) {
        auto *d = qobject_cast<DiaFakt *>(m);
        QVERIFY(d);
        for (const QString &e : entries) {
            if (!e.isNull()) // a null entry: OK on the proposed number
                d->Combo1->setEditText(e);
            d->OKButton->click();
        }
        if (d->isVisible())
            d->CancelButton->click();
    });
    w.cmdFakt_Click();
}

QString nom(TestDb &db, const QString &marsh)
{
    return db.scalar("SELECT NomFakt FROM tabl WHERE Marsh=?", {marsh}).toString();
}

} // namespace

class TestFaktura : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { newInvoiceCriteria(); }
    void newInvoiceTickNumberPrintClose();
    void emptyListsAndEmptyPrint();
    void numberDialog();
    void pastedNumberIsNeverCut();
    void correctingAnInvoice();
    void aMinimisedPreviewComesBack();
    void correctionOpensOnlyAnIssuedInvoice();
    void escAndClosingAfterAPrint();
    void closingAsksBeforeTicksAreDropped();
    void closingRefusedKeepsTheScreenOpen();
    void printoutPdfAndScreen();
    void targetOpensTheScreen();
    void activationMovesOneRowDown();
};

void TestFaktura::newInvoiceTickNumberPrintClose()
{
    TestDb db;
    seed(db);
    CreateTempTable("TempPlaten");
    MessageCapture mc;
    ReportCapture rc;
    Faktura w;
    QVERIFY(w.load());
    QCOMPARE(statusText(), QStringLiteral("Курсове за фактуриране..."));
    QCOMPARE(w.windowTitle(), QStringLiteral("Тревалон 2.3 - Курсове за Д'Арк ООД"));
    QCOMPARE(w.Text1->text(), QStringLiteral("Курсове за Д'Арк ООД от 01.03.2004 до 31.03.2004"));
    QVERIFY(!w.cmdPrint->isEnabled());
    Grid *g = w.GridEX1;
    QCOMPARE(g->rowCount(), 4);
    const QStringList captions{"Дата", "Маршрут", "Товар", "Кола", "Км", "Тонаж", "Тар.", "Сума", "Факт."};
    for (int i = 1; i <= 9; ++i) {
        QCOMPARE(g->Columns(i).caption(), captions.at(i - 1));
        QCOMPARE(g->Columns(i).headerAlignment(), 1);
        QCOMPARE(g->Columns(i).editable(), i == 9);
    }
    QVERIFY(!g->Columns(10).visible());
    QVERIFY(!g->allowEdit());
    // Shown by date, then car; 01.03 first, then the two trips of 02.03 by car.
    QCOMPARE(g->text(g->rowAtVisual(0), 2), QStringLiteral("Перник-Радомир-Кюстендил"));
    QCOMPARE(g->text(g->rowAtVisual(1), 4), QStringLiteral("В2222ВВ"));
    QCOMPARE(g->text(g->rowAtVisual(2), 4), QStringLiteral("СА1111АА"));
    QCOMPARE(g->text(g->rowAtVisual(0), 8), QStringLiteral("250,50"));

    // Opening: the sum shows, and the second trip is current.
    w.Form_Activate();
    QCOMPARE(w.Label4->text(), QStringLiteral("0,00лв."));
    QCOMPARE(g->visualRow(g->currentRow()), 1);

    tickShown(w, 2); // 100,00
    tickShown(w, 0); // 250,50
    QCOMPARE(w.Label4->text(), QStringLiteral("350,50лв."));
    const int first = g->rowAtVisual(2);
    QCOMPARE(g->rowStyle(first), QStringLiteral("Platen"));
    QCOMPARE(g->model()->index(2, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    QVERIFY(g->rowStyle(g->rowAtVisual(1)).isEmpty());
    tickShown(w, 2);
    QCOMPARE(w.Label4->text(), QStringLiteral("250,50лв."));
    QVERIFY(g->rowStyle(first).isEmpty());
    tickShown(w, 2);
    // Nothing is written while the screen is open.
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Fakt=1").toInt(), 2);

    // The highest number in use is proposed and refused; 124 is taken.
    chooseNumber(w, {QString(), "124"});
    QCOMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.shown.at(0).text, QStringLiteral("Имате издадена фактура под този номер!\rМоля, сменете номера и опитайте отново."));
    QCOMPARE(w.sNomFakt, QStringLiteral("0000000124"));
    QVERIFY(w.flgNomFakt);
    QVERIFY(w.cmdPrint->isEnabled());
    QCOMPARE(w.Text1->text(), QStringLiteral("Курсове за Д'Арк ООД от 01.03.2004 до 31.03.2004 за фактура №0000000124"));

    // The first print: two trips, numbered from 1.
    w.cmdPrint->click();
    QCOMPARE(rc.shown.size(), 1);
    QCOMPARE(rc.shown.last().design, QStringLiteral("rptFaktura"));
    QVERIFY(rc.shown.last().modal);
    QCOMPARE(rc.shown.last().caption, QStringLiteral("Тревалон 2.3 - Справка за курсовете във фактура"));
    Report &r = rptFaktura();
    QCOMPARE(r.data().rowCount(), 2);
    QCOMPARE(r.controlText("ReportHeader", "Label4"),
             QStringLiteral("за курсовете на Д'Арк ООД по издадена фактура №0000000124"));
    QCOMPARE(r.controlText("ReportHeader", "Label5"), QStringLiteral("за периода от 01.03.2004 до 31.03.2004"));
    QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("Сума без ДДС: 350,50 лв."));
    QCOMPARE(r.controlText("ReportFooter", "Label9"), QStringLiteral("         ДДС: 70,10 лв."));
    QCOMPARE(r.controlText("ReportFooter", "Label10"), QStringLiteral("      Всичко: 420,60 лв."));
    QCOMPARE(r.controlText("Detail", "Text100", 1), QStringLiteral("2"));
    QCOMPARE(r.controlText("Detail", "Text103", 1), QStringLiteral("София-Перник")); // by date, as read

    // A second print: only what is ticked now, again from 1, totals to match.
    tickShown(w, 2);
    tickShown(w, 3); // 40,00
    w.cmdPrint->click();
    QCOMPARE(rc.shown.size(), 2);
    QCOMPARE(r.data().rowCount(), 2);
    QCOMPARE(r.controlText("Detail", "Text100", 0), QStringLiteral("1"));
    QCOMPARE(r.controlText("Detail", "Text108", 1), QStringLiteral("40,00"));
    QCOMPARE(r.controlText("ReportFooter", "Label8"), QStringLiteral("Сума без ДДС: 290,50 лв."));
    QCOMPARE(w.Label4->text(), QStringLiteral("290,50лв."));

    // Ticked after the last print: closing asks, and on yes it stays free.
    tickShown(w, 1);
    mc.answers << true;
    QVERIFY(w.close());
    QCOMPARE(mc.lastText(), QStringLiteral("Курсове с отметка, различна от отпечатаната фактура: 1\r"
                                           "При затваряне фактурата остава, както е отпечатана.\r"
                                           "Да затворя ли без нов печат?"));
    QCOMPARE(nom(db, "Перник-Радомир-Кюстендил"), QStringLiteral("0000000124"));
    QCOMPARE(nom(db, "Своге"), QStringLiteral("0000000124"));
    QCOMPARE(nom(db, "София-Перник"), QStringLiteral("0000000000"));
    QCOMPARE(nom(db, "Драгоман"), QStringLiteral("0000000000"));
    QCOMPARE(db.scalar("SELECT Fakt FROM tabl WHERE Marsh='Драгоман'").toInt(), 0);
    QCOMPARE(db.scalar("SELECT DateMod FROM tabl WHERE Marsh='Своге'").toString(),
             QDate::currentDate().toString("yyyy-MM-dd"));
}

void TestFaktura::emptyListsAndEmptyPrint()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    ReportCapture rc;
    {
        DiaSeekAll::instance().Klient = QStringLiteral("Никой");
        Faktura w;
        QVERIFY(w.load());
        QCOMPARE(mc.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(mc.lastText(), QStringLiteral("Няма курсове за фактуриране!"));
        QCOMPARE(w.GridEX1->rowCount(), 0);
        w.Form_Activate();
        w.GridEX1->sendKey(32);
        QCOMPARE(w.Label4->text(), QStringLiteral("0,00лв."));
        QVERIFY(!w.session().changed());
        QVERIFY(w.close());
    }
    {
        gSeekMode = QStringLiteral("EditFakt");
        DiaSeek::instance().FakturaNom = QStringLiteral("0000000999");
        Faktura w;
        QVERIFY(w.load());
        QCOMPARE(mc.lastText(), QStringLiteral("В избраната фактура няма курсове!"));
        QVERIFY(w.close());
    }
    {
        // "Печат" with nothing ticked: the message, no report, and no print for
        // the closing step: a trip ticked afterwards stays free.
        newInvoiceCriteria();
        Faktura w;
        QVERIFY(w.load());
        w.Form_Activate();
        chooseNumber(w, {"77"});
        mc.clear();
        w.cmdPrint->click();
        QCOMPARE(mc.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
        QCOMPARE(mc.lastText(), QStringLiteral("Няма курсове за фактуриране!"));
        QVERIFY(rc.shown.isEmpty());
        tickShown(w, 0);
        mc.answers << true;
        QVERIFY(w.close());
        QCOMPARE(mc.shown.last().kind, ShownMessage::Confirm);
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt='0000000077'").toInt(), 0);
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE DateMod IS NOT NULL AND Fakt=0").toInt(), 1);
    }
}

void TestFaktura::numberDialog()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    QString n = QStringLiteral("0000000000");
    bool ok = true;
    DiaFakt d(n, ok);
    QVERIFY(!ok);
    QVERIFY(d.load());
    QCOMPARE(d.windowTitle(), QStringLiteral("Номер на фактурата"));
    QCOMPARE(d.Combo1->count(), 2);
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("0000000123")); // the highest first
    QVERIFY(d.OKButton->isDefault() && !d.CancelButton->isDefault());
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
        d.grab().save(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("diafakt.png"));
    // Refused: the proposed number, one equal to it once padded, all zeros, empty.
    for (const QString &e : {QStringLiteral("0000000123"), QStringLiteral("123"), QStringLiteral("0000000000"),
                             QStringLiteral("0"), QStringLiteral("  ")}) {
        mc.clear();
        d.Combo1->setEditText(e);
        d.OKButton->click();
        QVERIFY2(!ok, qPrintable(e));
        QCOMPARE(mc.shown.size(), 1);
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(d.Combo1->currentText(), e); // the entry stays for correcting
    }
    QCOMPARE(mc.lastText(), QStringLiteral("Въведете номер на фактурата!"));
    d.Combo1->setEditText(QStringLiteral(" 45 "));
    d.OKButton->click();
    QVERIFY(ok);
    QCOMPARE(n, QStringLiteral("0000000045"));
    QCOMPARE(d.result(), int(QDialog::Accepted));
    // Typing stops at the ten characters a number holds; the ten kept are taken.
    ok = false;
    d.Combo1->clearEditText();
    typeText(d.Combo1->lineEdit(), QStringLiteral("12345678901"));
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("1234567890"));
    d.OKButton->click();
    QVERIFY(ok);
    QCOMPARE(n, QStringLiteral("1234567890"));
    // A typed beginning of a used number stays as typed and is taken.
    ok = false;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.Combo1->clearEditText();
    typeText(d.Combo1->lineEdit(), QStringLiteral("000000012"));
    QCOMPARE(d.Combo1->currentText(), QStringLiteral("000000012"));
    d.OKButton->click();
    QVERIFY(ok);
    QCOMPARE(n, QStringLiteral("0000000012"));

    // Enter in the box presses "OK": a used number is refused with its message
    // and stays for correcting, a free one is taken. Esc cancels.
    QString n2 = QStringLiteral("0000000000");
    bool ok2 = false;
    DiaFakt e(n2, ok2);
    QVERIFY(e.load());
    bool refused = false;
    onModal([&](QWidget *) {
        mc.clear();
        e.Combo1->setEditText(QStringLiteral("123"));
        QTest::keyClick(e.Combo1->lineEdit(), Qt::Key_Return);
        refused = e.isVisible() && !ok2 && e.Combo1->currentText() == QStringLiteral("123")
                  && mc.lastText() == invoiceNumberUsedMessage();
        if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
            e.grab().save(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("diafakt-enter.png"));
        e.Combo1->setEditText(QStringLiteral("500"));
        QTest::keyClick(e.Combo1->lineEdit(), Qt::Key_Return);
    });
    QCOMPARE(e.exec(), int(QDialog::Accepted));
    QVERIFY(refused);
    QVERIFY(ok2);
    QCOMPARE(n2, QStringLiteral("0000000500"));
    onModal([&e](QWidget *) {
        e.Combo1->setEditText(QStringLiteral("600"));
        QTest::keyClick(e.Combo1->lineEdit(), Qt::Key_Escape);
    });
    ok2 = false;
    QCOMPARE(e.exec(), int(QDialog::Rejected));
    QVERIFY(!ok2);
    QCOMPARE(n2, QStringLiteral("0000000500"));
}

// A number pasted or dropped into the number box is never cut to fit: one
// longer than the box takes is refused whole with a message, the box as it was;
// one that fits is taken as pasted.
void TestFaktura::pastedNumberIsNeverCut()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    QString n = QStringLiteral("0000000000");
    bool ok = false;
    DiaFakt d(n, ok);
    QVERIFY(d.load());
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QLineEdit *le = d.Combo1->lineEdit();
    QCOMPARE(le->text(), QStringLiteral("0000000123"));
    const QString refused = joinLines({QStringLiteral("Текстът не се побира в полето и не е поставен!"),
                                       QStringLiteral("Полето побира до 10 символа, а с него биха станали 11.")});
    QApplication::clipboard()->setText(QStringLiteral("2026/001245"));
    le->selectAll();
    QTest::keyClick(le, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(le->text(), QStringLiteral("0000000123"));
    QTRY_COMPARE(mc.shown.size(), 1);
    QCOMPARE(mc.lastCaption(), QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(mc.lastText(), refused);
    le->clear();
    typeText(le, QStringLiteral("2026/"));
    QApplication::clipboard()->setText(QStringLiteral("001234"));
    le->paste(); // as the box's menu pastes
    QCOMPARE(le->text(), QStringLiteral("2026/"));
    QTRY_COMPARE(mc.shown.size(), 2);
    QCOMPARE(mc.lastText(), refused);
    QMimeData dragged;
    dragged.setText(QStringLiteral("001234"));
    const QPoint end(le->width() - 2, le->height() / 2);
    QDragEnterEvent enter(end, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(le, &enter);
    QDropEvent drop(end, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(le, &drop);
    QCOMPARE(le->text(), QStringLiteral("2026/"));
    QTRY_COMPARE(mc.shown.size(), 3);
    QApplication::clipboard()->setText(QStringLiteral("00124"));
    le->paste();
    QCOMPARE(le->text(), QStringLiteral("2026/00124"));
    d.OKButton->click();
    QVERIFY(ok);
    QCOMPARE(n, QStringLiteral("2026/00124"));
    QApplication::processEvents();
    QCOMPARE(mc.shown.size(), 3);
}

void TestFaktura::correctingAnInvoice()
{
    TestDb db;
    seed(db);
    CreateTempTable("TempPlaten");
    MessageCapture mc;
    ReportCapture rc;
    gSeekMode = QStringLiteral("EditFakt");
    DiaSeek::instance().FakturaNom = QStringLiteral("0000000123");
    {
        // Printed without any Space: nothing changes.
        Faktura w;
        QVERIFY(w.load());
        QCOMPARE(statusText(), QStringLiteral("Курсове във фактурира № 0000000123"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Тревалон 2.3 - Курсове във фактурира № 0000000123"));
        QCOMPARE(w.Text1->text(), QStringLiteral("Курсове във фактурира № 0000000123"));
        QVERIFY(!w.cmdFakt->isEnabled());
        QVERIFY(w.cmdPrint->isEnabled());
        w.Form_Activate();
        QCOMPARE(w.Label4->text(), QStringLiteral("123,45лв."));
        QCOMPARE(w.GridEX1->rowStyle(0), QStringLiteral("Platen"));
        w.cmdPrint->click();
        Report &r = rptFaktura();
        QCOMPARE(r.controlText("ReportHeader", "Label4"), QStringLiteral("за курсовете по издадена фактура №0000000123"));
        QCOMPARE(r.controlText("ReportHeader", "Label5"), QString());
        QCOMPARE(r.controlText("ReportFooter", "Label10"), QStringLiteral("      Всичко: 148,14 лв."));
        QVERIFY(w.close());
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE DateMod IS NOT NULL").toInt(), 0);
    }
    {
        // Every trip unticked: the invoice is gone.
        Faktura w;
        QVERIFY(w.load());
        w.Form_Activate();
        tickShown(w, 0);
        tickShown(w, 1);
        QCOMPARE(w.Label4->text(), QStringLiteral("0,00лв."));
        QVERIFY(w.close());
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt='0000000123'").toInt(), 0);
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Marsh LIKE 'Стара%' AND Fakt=0 AND DateMod IS NOT NULL")
                     .toInt(),
                 2);
    }
}

// A modal preview minimised ("Корекция фактури" > "Печат") comes back at once:
// it holds the program, which would otherwise take no click with nothing on
// screen. Shown modally it has no minimise button.
void TestFaktura::aMinimisedPreviewComesBack()
{
    keepModalWindowsInView(); // as the program does at start
    TestDb db;
    seed(db);
    CreateTempTable("TempPlaten");
    MessageCapture mc;
    gSeekMode = QStringLiteral("EditFakt");
    DiaSeek::instance().FakturaNom = QStringLiteral("0000000123");
    Faktura w;
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    bool minimiseButton = true;
    bool cameBack = false;
    QTimer::singleShot(0, [&] {
        auto *preview = qobject_cast<ReportPreview *>(QApplication::activeModalWidget());
        QVERIFY(preview);
        minimiseButton = preview->windowFlags() & Qt::WindowMinimizeButtonHint;
        preview->showMinimized();
        cameBack = QTest::qWaitFor([preview] {
            return !preview->isMinimized() && preview->isVisible() && preview->isActiveWindow();
        });
        preview->close();
    });
    w.cmdPrint->click();
    QVERIFY(cameBack);
    QVERIFY(!minimiseButton);
    QVERIFY(w.close());
}

void TestFaktura::correctionOpensOnlyAnIssuedInvoice()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    const QString tripsSql = "SELECT group_concat(ID||'|'||Fakt||'|'||NomFakt||'|'||COALESCE(DateMod,'')||'|'"
                             "||COALESCE(TimeMod,''), ';') FROM tabl";
    const QString before = db.scalar(tripsSql).toString();
    // Данни > Корекция фактури with numbers that name no issued invoice: each is
    // refused with its message and the dialog stays for another number.
    struct Try {
        QString entry;
        bool confirmed;
        QStringList messages;
    };
    QList<Try> tries;
    SeekDialog::setTestAnswer([&](SeekDialog &d) {
        auto &seek = static_cast<DiaSeek &>(d);
        for (const QString &e : {QStringLiteral("0"), QStringLiteral("0000000000"), QStringLiteral(" 00 "),
                                 QStringLiteral("124"), QStringLiteral("12345678901")}) {
            mc.clear();
            seek.Combo1->setEditText(e);
            seek.OKButton->click();
            QStringList texts;
            for (const ShownMessage &m : mc.shown)
                texts << m.text;
            tries.append({e, seek.lYes || seek.result() == QDialog::Accepted, texts});
            if (seek.lYes)
                return;
        }
        seek.CancelButton->click();
    });
    bool screenShown = false;
    QTimer::singleShot(0, [&screenShown] {
        if (auto *f = qobject_cast<Faktura *>(QApplication::activeModalWidget())) {
            screenShown = true;
            f->close();
        }
    });
    QVERIFY(runSearchCommand(QStringLiteral("mnuDataEditFakt")));
    SeekDialog::setTestAnswer(nullptr);
    QCoreApplication::processEvents();
    QVERIFY(!screenShown);
    QCOMPARE(tries.size(), 5);
    for (const Try &t : tries) {
        QVERIFY2(!t.confirmed, qPrintable(t.entry));
        QCOMPARE(t.messages, QStringList{"Няма издадена фактура с този номер!\rМоля, изберете номер на фактура от списъка."});
    }
    QCOMPARE(db.scalar(tripsSql).toString(), before);
}

void TestFaktura::escAndClosingAfterAPrint()
{
    TestDb db;
    seed(db);
    CreateTempTable("TempPlaten");
    ReportCapture rc;
    QString lastAsked;
    bool enterRefuses = false;
    // Answers the closing question: Enter (the default), or "OK" when asked to.
    bool answerOk = false;
    const auto answerClosing = [&](QObject *screen) {
        lastAsked.clear();
        QTimer::singleShot(0, screen, [&] {
            Dialog &box = Dialog::instance();
            if (QApplication::activeModalWidget() != &box)
                return;
            lastAsked = box.Label1->text();
            enterRefuses = box.CancelButton->isDefault() && !box.OKButton->isDefault();
            if (answerOk)
                box.OKButton->click();
            else
                QTest::keyClick(&box, Qt::Key_Return);
        });
    };
    {
        // A new invoice: Esc takes back the Space pending on the current trip,
        // in the list or on a button, and never closes the screen.
        Faktura w;
        QVERIFY(w.load());
        w.show();
        w.Form_Activate();
        Grid *g = w.GridEX1;
        tickShown(w, 0); // 250,50
        chooseNumber(w, {"500"});
        w.cmdPrint->click();
        tickShown(w, 2); // 100,00
        QCOMPARE(w.Label4->text(), QStringLiteral("350,50лв."));
        QTest::keyClick(g, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QCOMPARE(w.Label4->text(), QStringLiteral("250,50лв."));
        QVERIFY(g->rowStyle(g->rowAtVisual(2)).isEmpty());
        QTest::keyClick(g, Qt::Key_Space);
        w.cmdClose->setFocus();
        QTest::keyClick(w.cmdClose, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QCOMPARE(w.Label4->text(), QStringLiteral("250,50лв."));
        // The printed trip is no longer pending: Esc keeps it.
        g->setCurrentRow(g->rowAtVisual(0));
        QTest::keyClick(g, Qt::Key_Escape);
        QCOMPARE(g->rowStyle(g->rowAtVisual(0)), QStringLiteral("Platen"));
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE DateMod IS NOT NULL").toInt(), 0);
        if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
            w.grab().save(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("faktura-esc.png"));
        w.cmdClose->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(nom(db, "Перник-Радомир-Кюстендил"), QStringLiteral("0000000500"));
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt='0000000500'").toInt(), 1);
    }
    {
        // A correction printed whole, then a trip unticked: closing says how
        // many trips differ from the print; Enter returns to the screen.
        gSeekMode = QStringLiteral("EditFakt");
        DiaSeek::instance().FakturaNom = QStringLiteral("0000000123");
        Faktura w;
        QVERIFY(w.load());
        w.show();
        w.Form_Activate();
        w.cmdPrint->click();
        tickShown(w, 0); // "Стара" leaves the ticks
        answerClosing(&w);
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QCOMPARE(lastAsked, QStringLiteral("Курсове с отметка, различна от отпечатаната фактура: 1\n"
                                           "При затваряне фактурата остава, както е отпечатана.\n"
                                           "Да затворя ли без нов печат?"));
        QVERIFY(enterRefuses);
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE DateMod IS NOT NULL AND NomFakt='0000000123'").toInt(), 0);
        if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK")) {
            answerOk = false;
            QTimer::singleShot(0, &w, [] {
                if (QApplication::activeModalWidget() == &Dialog::instance()) {
                    Dialog::instance().grab().save(
                        QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("faktura-ask.png"));
                    Dialog::instance().CancelButton->click();
                }
            });
            QVERIFY(!w.close());
        }
        // "OK": closed with the invoice as printed, both trips on it.
        answerOk = true;
        answerClosing(&w);
        QVERIFY(w.close());
        QVERIFY(!lastAsked.isEmpty());
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt='0000000123' AND Fakt=1 AND DateMod IS NOT NULL")
                     .toInt(),
                 2);
    }
    {
        // Printed again after the untick: closing asks nothing, and the trip leaves.
        Faktura w;
        QVERIFY(w.load());
        w.show();
        w.Form_Activate();
        tickShown(w, 0);
        w.cmdPrint->click();
        answerOk = false;
        answerClosing(&w);
        QVERIFY(w.close());
        QVERIFY(lastAsked.isEmpty());
        QCOMPARE(nom(db, "Стара"), QStringLiteral("0000000000"));
        QCOMPARE(nom(db, "Стара 2"), QStringLiteral("0000000123"));
    }
}

void TestFaktura::closingAsksBeforeTicksAreDropped()
{
    TestDb db;
    seed(db);
    CreateTempTable("TempPlaten");
    ReportCapture rc;
    // Answers the closing question once: Enter, "Отказ" or "OK".
    QStringList asked;
    bool enterRefuses = false;
    const auto answer = [&](QObject *screen, int how) {
        QTimer::singleShot(0, screen, [&, how] {
            Dialog &box = Dialog::instance();
            if (QApplication::activeModalWidget() != &box)
                return;
            asked << box.Label1->text();
            enterRefuses = box.CancelButton->isDefault() && !box.OKButton->isDefault();
            if (how == 0)
                QTest::keyClick(&box, Qt::Key_Return);
            else
                (how == 1 ? box.CancelButton : box.OKButton)->click();
        });
    };
    const QString notPrinted = QStringLiteral("Фактура № 0000000124 не е отпечатана.\nКурсове с отметка: 2\n"
                                              "При затваряне отметките се махат.\nДа затворя ли без печат?");
    {
        // Ticked and numbered, never printed: every way of closing asks first.
        Faktura w;
        QVERIFY(w.load());
        w.show();
        w.Form_Activate();
        tickShown(w, 0); // 250,50
        tickShown(w, 2); // 100,00
        chooseNumber(w, {"124"});
        answer(&w, 0);
        w.cmdClose->click();
        QCOMPARE(asked, QStringList{notPrinted});
        QVERIFY(enterRefuses);
        QVERIFY(w.isVisible());
        QCOMPARE(w.Label4->text(), QStringLiteral("350,50лв."));
        QCOMPARE(w.GridEX1->rowStyle(w.GridEX1->rowAtVisual(0)), QStringLiteral("Platen"));
        QVERIFY(w.cmdPrint->isEnabled());
        if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK"))
            w.grab().save(QDir(qEnvironmentVariable("KELM_REPORT_LOOK")).filePath("faktura-kept.png"));
        answer(&w, 1);
        w.reject();
        QCOMPARE(asked.size(), 2);
        QVERIFY(w.isVisible());
        answer(&w, 2);
        QVERIFY(w.close());
        QCOMPARE(asked.size(), 3);
        QVERIFY(!w.isVisible());
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt='0000000124'").toInt(), 0);
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE Fakt=1").toInt(), 2); // the issued invoice only
    }
    {
        // Printed, then one more ticked: asked as a correction is; printed again,
        // closing asks nothing and the invoice takes both.
        asked.clear();
        Faktura w;
        QVERIFY(w.load());
        w.show();
        w.Form_Activate();
        tickShown(w, 0);
        chooseNumber(w, {"124"});
        w.cmdPrint->click();
        tickShown(w, 2);
        answer(&w, 0);
        w.cmdClose->click();
        QCOMPARE(asked, QStringList{"Курсове с отметка, различна от отпечатаната фактура: 1\n"
                                    "При затваряне фактурата остава, както е отпечатана.\n"
                                    "Да затворя ли без нов печат?"});
        QVERIFY(w.isVisible());
        w.cmdPrint->click();
        answer(&w, 0);
        w.cmdClose->click();
        QCOMPARE(asked.size(), 1);
        QVERIFY(!w.isVisible());
        QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt='0000000124'").toInt(), 2);
    }
}

void TestFaktura::closingRefusedKeepsTheScreenOpen()
{
    TestDb db;
    seed(db);
    CreateTempTable("TempPlaten");
    MessageCapture mc;
    ReportCapture rc;
    Faktura w;
    QVERIFY(w.load());
    w.show();
    w.Form_Activate();
    tickShown(w, 0);
    tickShown(w, 1);
    chooseNumber(w, {"200"});
    w.cmdPrint->click();

    // A second copy of the program takes one of the trips.
    db.exec("UPDATE tabl SET Fakt=1, NomFakt='0000000300' WHERE Marsh='Драгоман'");
    mc.clear();
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(mc.lastText(),
             QStringLiteral("Междувременно са фактурирани курсове: 1\rТе са махнати от списъка.\rОтпечатайте фактурата отново."));
    QCOMPARE(db.scalar("SELECT count(*) FROM tabl WHERE NomFakt='0000000200'").toInt(), 0);
    QCOMPARE(w.GridEX1->rowCount(), 3);
    QCOMPARE(w.Label4->text(), QStringLiteral("250,50лв."));

    // Printed again, but now the number was taken meanwhile.
    w.cmdPrint->click();
    db.exec("UPDATE tabl SET NomFakt='0000000200' WHERE Marsh='Стара'");
    QVERIFY(!w.close());
    QCOMPARE(mc.lastText(), QStringLiteral("Имате издадена фактура под номер 0000000200!\rИзберете нов номер и отпечатайте фактурата отново."));
    QVERIFY(!w.cmdPrint->isEnabled());
    QVERIFY(!w.flgNomFakt);

    // A write that fails: the message, and the screen waits.
    chooseNumber(w, {"201"});
    w.cmdPrint->click();
    db.exec("CREATE TRIGGER stop BEFORE UPDATE ON tabl BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    QVERIFY(!w.close());
    QCOMPARE(mc.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(mc.lastText().contains(QStringLiteral("Записът не отговаря на ограниченията")));
    db.exec("DROP TRIGGER stop");
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QCOMPARE(nom(db, "Перник-Радомир-Кюстендил"), QStringLiteral("0000000201"));
}

void TestFaktura::printoutPdfAndScreen()
{
    TestDb db;
    seed(db);
    CreateTempTable("TempPlaten");
    gFirmName = QStringLiteral("Тревалон ЕООД");
    gFirmCity = QStringLiteral("Перник");
    gFirmAddress = QStringLiteral("ул. „Кракра“ 5");
    gFirmTel = QStringLiteral("076 123456");
    gFirmGSM = QStringLiteral("0888 123456");
    gFirmEmail = QStringLiteral("office@example.bg");
    gFirmURL = QStringLiteral("www.example.bg");
    // Enough trips for a second page.
    for (int i = 0; i < 120; ++i)
        db.exec("INSERT INTO tabl (Data, kola, kod, Marsh, Klient, Tovar, km, ton, Tarifa, bruto, procent, neto, Fakt, "
                "NomFakt) VALUES (?,'СА9999ХХ','A01','Батановци-Брезник-Трън-Зн',?,'Инертни материали фракция',"
                "1234,24.5,0.125,3779.13,0,0,0,'0000000000')",
                {QDate(2004, 3, 10 + i % 20), kClient});
    MessageCapture mc;
    ReportCapture rc;
    Faktura w;
    QVERIFY(w.load());
    w.show();
    w.Form_Activate();
    for (int i = 0; i < w.GridEX1->rowCount(); i += 2)
        tickShown(w, i);
    chooseNumber(w, {"1001"});
    w.cmdPrint->click();
    Report &r = rptFaktura();
    QVERIFY(r.pageCount() >= 2);
    // Every printed text fits its box.
    const QStringList cut = reportTextsCut(r);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    QTemporaryDir dir;
    r.exportPdf(dir.filePath("rptFaktura.pdf"));
    QVERIFY(QFileInfo(dir.filePath("rptFaktura.pdf")).size() > 1000);
    if (qEnvironmentVariableIsSet("KELM_REPORT_LOOK")) {
        const QDir look(qEnvironmentVariable("KELM_REPORT_LOOK"));
        r.exportPdf(look.filePath("rptFaktura.pdf"));
        w.grab().save(look.filePath("faktura.png"));
    }
    QVERIFY(w.close());
}

void TestFaktura::targetOpensTheScreen()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    bool seen = false;
    onModal([&seen](QWidget *m) {
        seen = qobject_cast<Faktura *>(m) != nullptr;
        m->close();
    });
    QVERIFY(runTarget("Faktura"));
    QVERIFY(seen);
}

void TestFaktura::activationMovesOneRowDown()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    Faktura w;
    QVERIFY(w.load());
    QCOMPARE(w.Label4->text(), QStringLiteral("лв"));
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTRY_COMPARE(w.Label4->text(), QStringLiteral("0,00лв."));
    Grid *g = w.GridEX1;
    QCOMPARE(g->visualRow(g->currentRow()), 1);
    QVERIFY(g->hasFocus());
    // Back from a window of the program (the number dialog): one row further.
    chooseNumber(w, {});
    QApplication::setActiveWindow(&w);
    QTRY_COMPARE(g->visualRow(g->currentRow()), 2);
    QVERIFY(w.close());
}

QTEST_MAIN(TestFaktura)
#include "test_faktura.moc"
