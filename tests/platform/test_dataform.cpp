// The data-form template on a form of its own: two instances side by side with
// their suffixes, a button the screen made itself, refresh, the screen's own
// delete question and error box, and extra writes that share the save's
// transaction; the delete questions and the focus after a save or a cancel.
#include "boxwatch.h"
#include "common/globals.h"
#include "dialogs/dialog.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "testdb.h"
#include "typing.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace kelm;

class TestDataForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoInstancesOnOneForm();
    void refreshAndOwnDelete();
    void extraWritesShareTheTransaction();
    void infoBoxErrorsAndNumberBoxes();
    void enterKeepsTheRecordAndSaveLeavesDelete();
};

namespace {

struct TwoForms {
    QDialog w;
    Connection conn;
    Recordset rsA, rsB;
    QLineEdit *a = new QLineEdit(&w);
    QLineEdit *b = new QLineEdit(&w);
    QPushButton *ownAdd = new QPushButton(QStringLiteral("Нов"), &w);
    DataForm *fa = nullptr, *fb = nullptr;
    TwoForms(DataForm::Config ca, DataForm::Config cb)
    {
        ownAdd->setObjectName(QStringLiteral("cmdAddB"));
        conn.open(gConnStr);
        fa = new DataForm(&w, QStringLiteral("A"), conn, rsA, {{a, QStringLiteral("kola")}}, ca);
        fb = new DataForm(&w, QStringLiteral("B"), conn, rsB, {{b, QStringLiteral("ime")}}, cb);
        auto *l = new QVBoxLayout(&w);
        for (QWidget *x : {static_cast<QWidget *>(a), fa->buttonsPanel(), fa->statusPanel(),
                           static_cast<QWidget *>(b), static_cast<QWidget *>(ownAdd), fb->buttonsPanel(),
                           fb->statusPanel()})
            l->addWidget(x);
    }
    QAbstractButton *btn(const QString &n) { return w.findChild<QAbstractButton *>(n); }
    QString status(const QString &suffix) { return w.findChild<QLabel *>("lblStatus" + suffix)->text(); }
};

DataForm::Config config(const QString &status)
{
    DataForm::Config c;
    c.statusText = status;
    c.addText = QStringLiteral("Нов");
    c.editText = QStringLiteral("Корекция");
    return c;
}

} // namespace

void TestDataForm::twoInstancesOnOneForm()
{
    TestDb db;
    db.exec("INSERT INTO Config (kola) VALUES ('K1'), ('K2')");
    db.exec("INSERT INTO shof (kod, ime) VALUES ('001', 'Ана'), ('002', 'Бойко'), ('003', 'Вера')");
    DataForm::Config cb = config(QStringLiteral("Шофьор "));
    cb.keyNavigation = false;
    TwoForms f(config(QStringLiteral("Кола ")), cb);
    QVERIFY(f.fa->open("SELECT * FROM Config ORDER BY kola"));
    QVERIFY(f.fb->open("SELECT * FROM shof ORDER BY kod"));
    f.w.show();
    for (const char *n : {"cmdAddA", "cmdEditA", "cmdUpdateA", "cmdCancelA", "cmdDeleteA", "cmdCloseA",
                          "cmdFirstA", "cmdPreviousA", "cmdNextA", "cmdLastA", "cmdAddB", "cmdLastB"})
        QVERIFY2(f.btn(n), n);
    QVERIFY(f.w.findChild<QWidget *>("picButtonsA"));
    QVERIFY(f.w.findChild<QWidget *>("picStatBoxB"));
    QVERIFY(!f.btn("cmdRefreshA"));
    // The screen's own button is the one used.
    QCOMPARE(f.fb->button("cmdAdd"), static_cast<QAbstractButton *>(f.ownAdd));
    QCOMPARE(f.status("A"), QStringLiteral("Кола 1"));
    QCOMPARE(f.status("B"), QStringLiteral("Шофьор 1"));
    // Keys move only the instance that has them.
    QTest::keyClick(f.b, Qt::Key_Down);
    QCOMPARE(f.status("A"), QStringLiteral("Кола 2"));
    QCOMPARE(f.status("B"), QStringLiteral("Шофьор 1"));
    f.btn("cmdNextB")->click();
    QCOMPARE(f.b->text(), QStringLiteral("Бойко"));
    // Editing one leaves the other browsing.
    f.ownAdd->click();
    QVERIFY(f.fb->isAdding());
    QVERIFY(f.fa->isBrowsing());
    QVERIFY(f.btn("cmdUpdateB")->isVisible());
    QVERIFY(!f.btn("cmdUpdateA")->isVisible());
    typeText(f.b, QStringLiteral("Гошо"));
    f.btn("cmdUpdateB")->click();
    QCOMPARE(f.status("B"), QStringLiteral("Шофьор 4"));
    QCOMPARE(db.count("shof"), 4);
    QCOMPARE(db.count("Config"), 2);
}

void TestDataForm::refreshAndOwnDelete()
{
    TestDb db;
    db.exec("INSERT INTO Config (kola) VALUES ('K1'), ('K2')");
    DataForm::Config ca = config(QStringLiteral("Кола "));
    ca.hasRefresh = true;
    ca.deletes = DataForm::Delete::Own;
    TwoForms f(ca, config(QString()));
    int asked = 0;
    bool answer = false;
    f.fa->hooks.confirmDelete = [&] {
        ++asked;
        return answer;
    };
    QVERIFY(f.fa->open("SELECT * FROM Config ORDER BY kola"));
    QVERIFY(f.fb->open("SELECT * FROM shof"));
    f.w.show();
    MessageCapture cap;
    QCOMPARE(f.btn("cmdRefreshA")->text(), QStringLiteral("Обнови"));
    db.exec("INSERT INTO Config (kola) VALUES ('K0')");
    f.btn("cmdLastA")->click();
    f.btn("cmdRefreshA")->click();
    QCOMPARE(f.a->text(), QStringLiteral("K0"));
    QCOMPARE(f.status("A"), QStringLiteral("Кола 1"));
    f.btn("cmdDeleteA")->click();
    QCOMPARE(asked, 1);
    QCOMPARE(db.count("Config"), 3);
    answer = true;
    f.btn("cmdDeleteA")->click();
    QCOMPARE(db.count("Config"), 2);
    QVERIFY(cap.shown.isEmpty());
    f.btn("cmdEditA")->click();
    QVERIFY(!f.btn("cmdRefreshA")->isVisible());
}

void TestDataForm::extraWritesShareTheTransaction()
{
    TestDb db;
    TwoForms f(config(QStringLiteral("Кола ")), config(QString()));
    bool failExtra = true;
    f.fa->hooks.writeExtra = [&](Connection &c) {
        c.execute("INSERT INTO shof (kod, ime) VALUES (?, ?)", {"X01", "Д'Арк"});
        if (failExtra)
            throw DbError(3197, QStringLiteral("Конфликт"));
    };
    int saved = 0;
    f.fa->hooks.afterSave = [&] { ++saved; };
    QVERIFY(f.fa->open("SELECT * FROM Config ORDER BY kola"));
    QVERIFY(f.fb->open("SELECT * FROM shof"));
    f.w.show();
    MessageCapture cap;
    f.btn("cmdAddA")->click();
    typeText(f.a, QStringLiteral("PB1"));
    f.btn("cmdUpdateA")->click();
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QCOMPARE(cap.lastText(), QStringLiteral("3197:Конфликт"));
    QCOMPARE(db.count("shof"), 0);
    QCOMPARE(db.count("Config"), 0);
    QVERIFY(f.fa->isAdding());
    QCOMPARE(f.a->text(), QStringLiteral("PB1"));
    QCOMPARE(saved, 0);
    failExtra = false;
    f.btn("cmdUpdateA")->click();
    QCOMPARE(db.count("shof"), 1);
    QCOMPARE(db.count("Config"), 1);
    QCOMPARE(saved, 1);
    QCOMPARE(f.status("A"), QStringLiteral("Кола 1"));
}

void TestDataForm::infoBoxErrorsAndNumberBoxes()
{
    TestDb db;
    db.exec("INSERT INTO Config (kola, Razhod) VALUES ('K1', 32.5)");
    QDialog w;
    Connection conn;
    conn.open(gConnStr);
    Recordset rs;
    auto *r = new QLineEdit(&w);
    DataForm form(&w, QString(), conn, rs, {{r, QStringLiteral("Razhod")}}, config(QStringLiteral("№ ")));
    QVERIFY(form.open("SELECT * FROM Config"));
    w.show();
    QCOMPARE(r->text(), QStringLiteral("32,5"));
    MessageCapture cap;
    form.cmdEdit();
    r->clear();
    typeText(r, QStringLiteral("abc"));
    QVERIFY(!form.cmdUpdate());
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при запис!"));
    QVERIFY(cap.lastText().startsWith(QStringLiteral("3421:")));
    QVERIFY(form.isEditing());
    QCOMPARE(db.scalar("SELECT Razhod FROM Config").toDouble(), 32.5);
    r->clear();
    typeText(r, QStringLiteral("30,25"));
    QVERIFY(form.cmdUpdate());
    QCOMPARE(db.scalar("SELECT Razhod FROM Config").toDouble(), 30.25);
    // Captions per command; a delete that fails reports with its own.
    QCOMPARE(DataForm::errorCaption(DataForm::CmdMove), QStringLiteral("ГРЕШКА при преместване!"));
    QCOMPARE(DataForm::errorCaption(DataForm::CmdAdd), QStringLiteral("ГРЕШКА при добавяне!"));
    QCOMPARE(DataForm::errorCaption(DataForm::CmdEdit), QStringLiteral("ГРЕШКА при корекция!"));
    QCOMPARE(DataForm::errorCaption(DataForm::CmdDelete), QStringLiteral("ГРЕШКА при изтриване!"));
    QCOMPARE(DataForm::errorCaption(DataForm::CmdRefresh), QStringLiteral("ГРЕШКА при обновяване!"));
    db.exec("DROP TABLE Config");
    cap.clear();
    cap.answers = {true, true};
    form.cmdDelete();
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА при изтриване!"));
    QVERIFY(cap.lastText().startsWith(QStringLiteral("3001:")));
}

// One key never deletes: Enter on either delete question refuses, and neither a
// save nor a cancel leaves the focus on "Изтрий", where the hidden "Запиши" and
// "Отказ" would hand it on.
void TestDataForm::enterKeepsTheRecordAndSaveLeavesDelete()
{
    TestDb db;
    db.exec("INSERT INTO Config (kola) VALUES ('K1'), ('K2')");
    TwoForms f(config(QStringLiteral("Кола ")), config(QString()));
    QVERIFY(f.fa->open("SELECT * FROM Config ORDER BY kola"));
    QVERIFY(f.fb->open("SELECT * FROM shof"));
    f.w.show();
    f.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.w));
    using P = BoxWatch::Press;
    {
        BoxWatch boxes({P::Enter});
        f.btn("cmdDeleteA")->click();
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen.at(0).first, QStringLiteral("Изтриване на запис"));
        QCOMPARE(boxes.seen.at(0).second, QStringLiteral("Наистна ли искате да изтриете записа?"));
        QCOMPARE(db.count("Config"), 2);
    }
    {
        BoxWatch boxes({P::Accept, P::Enter});
        f.btn("cmdDeleteA")->click();
        QCOMPARE(boxes.seen.size(), 2);
        QCOMPARE(boxes.seen.at(1).second, QStringLiteral("Ще загубите данните окончателно"));
        QCOMPARE(db.count("Config"), 2);
        QVERIFY(!Dialog::lYes);
    }
    {
        BoxWatch boxes({P::Accept, P::Accept});
        f.btn("cmdDeleteA")->click();
        QCOMPARE(db.count("Config"), 1);
    }
    // Saved with the mouse, and cancelled with the keyboard: the focus is on "Добави".
    f.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.w));
    f.btn("cmdEditA")->click();
    QTest::mouseClick(f.btn("cmdUpdateA"), Qt::LeftButton);
    QVERIFY(f.fa->isBrowsing());
    QCOMPARE(f.w.focusWidget(), f.btn("cmdAddA"));
    f.btn("cmdAddA")->click();
    f.btn("cmdCancelA")->setFocus();
    QTest::keyClick(f.btn("cmdCancelA"), Qt::Key_Space);
    QVERIFY(f.fa->isBrowsing());
    QCOMPARE(f.w.focusWidget(), f.btn("cmdAddA"));
    QCOMPARE(db.count("Config"), 1);
}

QTEST_MAIN(TestDataForm)
#include "test_dataform.moc"
