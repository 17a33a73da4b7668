#include "common/globals.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
#include "dialogs/diaseekalt.h"
#include "dialogs/messages.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "shell/commands.h"
#include "layoutcheck.h"
#include "testdb.h"
#include "typing.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QtTest>
#include <functional>

using namespace kelm;

namespace {

struct Seen {
    QString dialog, caption, mode, status;
    bool waitPointer = false;
};

struct Call {
    QString target;
    bool arg;
    bool lYes; // the dialog's confirmed flag as the reader finds it
};

const char *S = "Обработвам данните...";

struct Row {
    bool hourglass; // the pointer becomes the hourglass before the start text
    const char *control;
    const char *mode;
    const char *dialog;
    const char *caption;
    const char *startText; // nullptr: panel 1 keeps what it had
    const char *actionText;
    const char *table;     // nullptr: none
    const char *target;
    bool arg;
    const char *modeAfter;
};

// Every search command of the main window, as the user sees it.
const Row kRows[] = {
    {true, "mnuSprKola", "Kola", "DiaSeek", "Търсене - Курсове на кола №", S, "Справка за кола", nullptr, "PrintTripsByCar", false, "Kola"},
    {true, "mnuSprPer", "All", "DiaSeekAlt", "Търсене - Всички курсове на фирмата", S, "Справка за период", nullptr, "PrintTripsByPeriod", false, "All"},
    {true, "mnuSprKlient", "Klients", "DiaSeek", "Търсене - Всички курсове на клиент", S, "Справка за клиент", nullptr, "PrintTripsByClient", false, "Klients"},
    {true, "mnuSprShof", "Driver", "DiaSeekAlt", "Търсене - Курсове на шофьор", S, "Справка за всички курсове на шофьор", nullptr, "PrintTripsByDriver", false, "Driver"},
    {true, "mnuSprKlientSakr", "KlientFakt", "DiaSeekAll", "Търсене - Клиент за фактуриране", S, "Справка за клиент", "TempKlients", "Klients", false, "KlientFakt"},
    {false, "mnuSprBalanc", "All", "DiaSeek", "Търсене - Баланс", nullptr, "Справка за печалбата от колите", nullptr, "Balans", false, "All"},
    {true, "mnuSprPreRazh", "All", "DiaSeek", "Търсене - Разход нафта от кола №", S, "Справка за изгорената нафта от кола...", nullptr, "Balans", false, "PreRazh"},
    {true, "mnuSprRowdList", "Kola", "DiaSeek", "Търсене - Справка пътни листи", S, "Справка пътни листи", "TempRowdList", "PrintWaybillReport", false, "Kola"},
    {true, "mnuDataFakt", "FaktNew", "DiaSeekAll", "Търсене - Нефактурирани курсове", S, "Фактуриране на курсове...", "TempPlaten", "Faktura", false, "FaktNew"},
    {true, "mnuDataKyrc", "Kola", "DiaSeek", "Търсене - Корекция на курсове на кола №", S, "Корекция на курс", nullptr, "Kurs", false, "EditKurs"},
    {false, "mnuDataKorКм", "Kola", "DiaSeek", "Търсене - Корекция КМ на курсовете на кола №", S, "Корекция КМ на курс", nullptr, "EditKM", false, "Kola"},
    {true, "mnuDataKorPl", "Driver", "DiaSeek", "Търсене - Корекция плащане на шофьор", S, "Корекция на неплатени курсове на шофьор...", "TempPlaten", "Plashtane", false, "Driver"},
    {true, "mnuDataEditFakt", "EditFakt", "DiaSeek", "Търсене - Корекция фактури", S, "Корекция на фактурирани курсове...", "TempPlaten", "Faktura", false, "EditFakt"},
    {true, "mnuSlgZapl", "Driver", "DiaSeek", "Търсене - Заплата на шофьор...", S, "Заплати за период", "TempZaplata", "PrintDriverSalary", false, "Driver"},
    {true, "mnuSprPrihod", "SkladPR", "DiaSeek", "Търсене - Справка приходи", S, "Справка за приходите в склада", "TempSKladPR", "PrintStoreReport", true, "SkladPR"},
    {true, "mnuSprRazhod", "SkladPRN", "DiaSeekAll", "Търсене - Справка разходи", S, "Справка за разходите в склада", "TempSKladPR", "PrintStoreReport", false, "SkladPRN"},
    {true, "mnuNal", "NalichSK", "DiaSeek", "Търсене - Наличност в склада", S, "Наличност в склада", nullptr, "NalichSK", false, "NalichSK"},
    {false, "mnuPrihPer", "All", "DiaSeek", "Търсене - Ревизия на склада", nullptr, "Справка за приходите и разходите в склада", nullptr, "SkladSK", false, "All"},
};

// Each status text with the pointer as it was when the text was written.
QList<QPair<QString, bool>> s_texts;
void recordText(const QString &text)
{
    s_texts.append({text, isWaitPointer()});
}

bool confirmedFlag(const QString &dialog)
{
    if (dialog == QLatin1String("DiaSeekAlt"))
        return DiaSeekAlt::instance().lYes;
    if (dialog == QLatin1String("DiaSeekAll"))
        return DiaSeekAll::instance().lYes;
    return DiaSeek::instance().lYes;
}

} // namespace

class TestSearchCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void everyCommandConfirmed();
    void everyCommandCancelled();
    void driverTripsByOption_data();
    void driverTripsByOption();
    void laterCommandsReadOnlyTheirOwnValues();
    void failuresEndOnlyTheCommand();
    void unknownControlIsNotASearchCommand();
    void everyCaptionShowsWhole();

private:
    void answer(SeekDialog &d);
    void runRow(const Row &row);

    std::unique_ptr<TestDb> m_db;
    QList<Seen> m_seen;
    QStringList m_tables;
    QList<Call> m_calls;
    bool m_confirm = true;
    std::function<void(SeekDialog &)> m_fill; // extra input before "Търси"
    std::function<void(SeekDialog &)> m_look; // a look at the dialog as it shows
    QString m_lastDialog;
};

void TestSearchCommands::init()
{
    m_db = std::make_unique<TestDb>();
    const char *sql = "INSERT INTO tabl(Data,kola,kod,Klient,Marsh,Tovar,NomFakt) VALUES(?,?,?,?,?,?,?)";
    m_db->exec(sql, {QDate(2004, 3, 1), "СА 1234 ВН", "A01", "Д'Арк ООД", "София-Варна", "Пясък", "0000000000"});
    m_db->exec(sql, {QDate(2004, 3, 2), "19", "A02", "Ален ЕООД", "Русе-Бургас", "Чакъл", "0000000012"});
    m_db->exec(QStringLiteral("INSERT INTO shof(kod,ime) VALUES(?,?)"), {"A01", "Иван Петров"});
    m_db->exec(QStringLiteral("INSERT INTO shof(kod,ime) VALUES(?,?)"), {"A02", "Георги Иванов"});
    m_seen.clear();
    m_tables.clear();
    m_calls.clear();
    m_confirm = true;
    m_fill = nullptr;
    m_look = nullptr;
    s_texts.clear();
    setStatusSink(&recordText);
    setTempTableBuilder([this](const QString &t) { m_tables << t; });
    setTargetRunner([this](const QString &t, bool arg) {
        m_calls.push_back({t, arg, confirmedFlag(m_lastDialog)});
        return false;
    });
    SeekDialog::setTestAnswer([this](SeekDialog &d) { answer(d); });
}

void TestSearchCommands::cleanup()
{
    SeekDialog::setTestAnswer(nullptr);
    setStatusSink(nullptr);
    setTempTableBuilder(nullptr);
    setTargetRunner(nullptr);
    m_db.reset();
}

void TestSearchCommands::answer(SeekDialog &d)
{
    m_lastDialog = d.objectName();
    m_seen.push_back({d.objectName(), d.windowTitle(), gSeekMode, statusText(), isWaitPointer()});
    d.show();
    if (m_look)
        m_look(d);
    if (!m_confirm) {
        QTest::mouseClick(d.CancelButton, Qt::LeftButton);
        return;
    }
    if (d.Text1_0->isEnabled()) {
        typeText(d.Text1_0, QStringLiteral("01.03.2004"));
        typeText(d.Text1_1, QStringLiteral("31.03.2004"));
    }
    if (m_fill)
        m_fill(d);
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
}

void TestSearchCommands::runRow(const Row &row)
{
    m_seen.clear();
    m_tables.clear();
    m_calls.clear();
    setStatusText(QStringLiteral("преди"));
    gSeekMode = QStringLiteral("SkladPRN"); // what an earlier command may have left
    s_texts.clear();
    QVERIFY(runSearchCommand(QString::fromUtf8(row.control)));
    // The start text is written under the hourglass, except where the command
    // shows none (Корекция КМ writes its text with the normal pointer).
    if (row.startText) {
        QVERIFY(!s_texts.isEmpty());
        QCOMPARE(s_texts.first().first, QString::fromUtf8(row.startText));
        QCOMPARE(s_texts.first().second, row.hourglass);
    } else {
        QVERIFY(!row.hourglass);
    }
    QCOMPARE(m_seen.size(), 1);
    const Seen &s = m_seen.first();
    QCOMPARE(s.dialog, QString::fromUtf8(row.dialog));
    QCOMPARE(s.caption, QString::fromUtf8(row.caption));
    QCOMPARE(s.mode, QString::fromUtf8(row.mode));
    QCOMPARE(s.status, row.startText ? QString::fromUtf8(row.startText) : QStringLiteral("преди"));
    // The dialog's load leaves the normal pointer, and so does the command.
    QVERIFY(!s.waitPointer);
    QVERIFY(!isWaitPointer());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TestSearchCommands::everyCommandConfirmed()
{
    MessageCapture cap;
    for (const Row &row : kRows) {
        runRow(row);
        if (QTest::currentTestFailed())
            QFAIL(row.control);
        QVERIFY2(cap.shown.isEmpty(), qPrintable(QString::fromUtf8(row.control) + ": " + cap.lastText()));
        QCOMPARE(statusText(), QString::fromUtf8(row.actionText));
        QCOMPARE(m_tables, row.table ? QStringList{QString::fromUtf8(row.table)} : QStringList{});
        QCOMPARE(m_calls.size(), 1);
        QCOMPARE(m_calls[0].target, QString::fromUtf8(row.target));
        QCOMPARE(m_calls[0].arg, row.arg);
        QVERIFY(m_calls[0].lYes);
        QCOMPARE(gSeekMode, QString::fromUtf8(row.modeAfter));
    }
}

void TestSearchCommands::everyCommandCancelled()
{
    MessageCapture cap;
    m_confirm = false;
    for (const Row &row : kRows) {
        cap.clear();
        runRow(row);
        if (QTest::currentTestFailed())
            QFAIL(row.control);
        QCOMPARE(cap.shown.size(), 1);
        QCOMPARE(cap.lastText(), QStringLiteral("Няма избрани ограничения за търсене!"));
        QCOMPARE(statusText(), row.startText ? QString::fromUtf8(row.startText) : QStringLiteral("преди"));
        QVERIFY(m_tables.isEmpty());
        QVERIFY(m_calls.isEmpty());
        QCOMPARE(gSeekMode, QString::fromUtf8(row.mode));
        QVERIFY(!confirmedFlag(QString::fromUtf8(row.dialog)));
    }
}

void TestSearchCommands::driverTripsByOption_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tables");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("paid");
    QTest::newRow("all") << "Option1" << "Справка за всички курсове на шофьор" << QStringList{} << "PrintTripsByDriver" << false;
    QTest::newRow("paid") << "Option2" << "Справка за платените курсове на шофьор" << QStringList{"TempPlaten"}
                          << "PrintDriverTrips" << true;
    QTest::newRow("unpaid") << "Option3" << "Справка за неплатените курсове на шофьор" << QStringList{"TempPlaten"}
                            << "PrintDriverTrips" << false;
}

void TestSearchCommands::driverTripsByOption()
{
    QFETCH(QString, option);
    QFETCH(QString, text);
    QFETCH(QStringList, tables);
    QFETCH(QString, target);
    QFETCH(bool, paid);
    MessageCapture cap;
    m_fill = [option](SeekDialog &d) {
        d.findChild<QRadioButton *>(option)->click();
        auto *combo = d.findChild<QComboBox *>(QStringLiteral("Combo1"));
        combo->setCurrentIndex(1);
    };
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprShof")));
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(statusText(), text);
    QCOMPARE(m_tables, tables);
    QCOMPARE(m_calls.size(), 1);
    QCOMPARE(m_calls[0].target, target);
    QCOMPARE(m_calls[0].arg, paid);
    QCOMPARE(DiaSeekAlt::instance().ShofKod, QStringLiteral("A02"));
    QCOMPARE(DiaSeekAlt::instance().ShofName, QStringLiteral("Георги Иванов"));
}

void TestSearchCommands::laterCommandsReadOnlyTheirOwnValues()
{
    MessageCapture cap;
    DiaSeekAll &all = DiaSeekAll::instance();
    DiaSeek &seek = DiaSeek::instance();

    // Issues report: the warehouse layout, a document kind typed as the car.
    m_fill = [](SeekDialog &d) {
        d.findChild<QComboBox *>(QStringLiteral("Combo2"))->setEditText(QStringLiteral("Пътен"));
        typeText(d.findChild<QLineEdit *>(QStringLiteral("Text3")), QStringLiteral("Наф"));
    };
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprRazhod")));
    QCOMPARE(all.Kola, QStringLiteral("Пътен"));
    QCOMPARE(all.Marsh, QStringLiteral("Наф"));

    // The client statement right after it opens in the trip layout with a client,
    // and carries neither the document kind nor the article of the report before.
    bool clientListEnabled = false;
    m_fill = [&clientListEnabled](SeekDialog &d) {
        clientListEnabled = d.findChild<QComboBox *>(QStringLiteral("Combo1"))->isEnabled();
    };
    m_calls.clear();
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprKlientSakr")));
    QVERIFY(cap.shown.isEmpty());
    QVERIFY(clientListEnabled);
    QCOMPARE(m_calls.size(), 1);
    QCOMPARE(m_calls[0].target, QStringLiteral("Klients"));
    QCOMPARE(all.Klient, QStringLiteral("Ален ЕООД"));
    QCOMPARE(all.Kola, QString());
    QCOMPARE(all.Marsh, QString());

    // Fuel use leaves "PreRazh"; the car report after it asks in its own mode.
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprPreRazh")));
    QCOMPARE(gSeekMode, QStringLiteral("PreRazh"));
    m_fill = [](SeekDialog &d) {
        d.findChild<QComboBox *>(QStringLiteral("Combo1"))->setEditText(QStringLiteral("19"));
    };
    m_seen.clear();
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprKola")));
    QCOMPARE(m_seen.first().mode, QStringLiteral("Kola"));
    QCOMPARE(seek.Kola, QStringLiteral("19"));
    QCOMPARE(seek.StartData, QStringLiteral("01.03.2004"));

    // Invoice correction: no period; the earlier period texts do not leak into it.
    m_fill = nullptr;
    QVERIFY(runSearchCommand(QStringLiteral("mnuDataEditFakt")));
    QCOMPARE(seek.FakturaNom, QStringLiteral("0000000012"));
    QCOMPARE(seek.StartData, QString());
    QCOMPARE(seek.Kola, QStringLiteral("19"));
}

void TestSearchCommands::failuresEndOnlyTheCommand()
{
    MessageCapture cap;
    // The scratch table cannot be rebuilt: the error in DiaInf, no target, normal pointer.
    setTempTableBuilder([](const QString &) { throw DbError(3001, QStringLiteral("файлът е зает")); });
    QVERIFY(runSearchCommand(QStringLiteral("mnuSlgZapl")));
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА!"));
    QCOMPARE(cap.lastText(), QStringLiteral("3001:файлът е зает"));
    QVERIFY(m_calls.isEmpty());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(statusText(), QStringLiteral("Заплати за период"));

    // The database cannot be read while the dialog loads: reported, the dialog does
    // not stay open, and the next command works again.
    setTempTableBuilder([this](const QString &t) { m_tables << t; });
    const QString good = gConnStr;
    gConnStr = QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + m_db->folder()
        + QStringLiteral("/няма.mdb;Jet OLEDB:Database Password=x;");
    cap.clear();
    m_seen.clear();
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprKola")));
    QCOMPARE(cap.shown.size(), 1);
    QCOMPARE(cap.lastCaption(), QStringLiteral("ГРЕШКА!"));
    QVERIFY(cap.lastText().startsWith(QStringLiteral("3024:")));
    QVERIFY(m_seen.isEmpty());
    QVERIFY(!DiaSeek::instance().isVisible());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(statusText(), QString::fromUtf8(S));

    gConnStr = good;
    cap.clear();
    QVERIFY(runSearchCommand(QStringLiteral("mnuSprKola")));
    QVERIFY(cap.shown.isEmpty());
    QCOMPARE(m_calls.size(), 1);
    QCOMPARE(m_calls[0].target, QStringLiteral("PrintTripsByCar"));
}

void TestSearchCommands::unknownControlIsNotASearchCommand()
{
    QVERIFY(!runSearchCommand(QStringLiteral("mnuDataNew")));
    QVERIFY(!runSearchCommand(QStringLiteral("mnuSprBalans")));
    QVERIFY(m_seen.isEmpty());
}

// Each command gives its dialog a caption of its own; the dialog is as wide as
// the title bar needs to show it whole, its controls where they always were.
void TestSearchCommands::everyCaptionShowsWhole()
{
    MessageCapture cap;
    m_confirm = false;
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    const int button = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    for (const Row &row : kRows) {
        SeekDialog *dialog = nullptr;
        int width = 0;
        QRect ok;
        m_look = [&](SeekDialog &d) {
            dialog = &d;
            width = d.width();
            ok = d.OKButton->geometry();
            lookAt(d.grab(), (QByteArray("caption-") + row.control + ".png").constData());
        };
        QVERIFY(runSearchCommand(QString::fromUtf8(row.control)));
        QVERIFY(dialog);
        // The title, and room for the bar's buttons: two on either side at least.
        const int need = QFontMetrics(titleFont).horizontalAdvance(QString::fromUtf8(row.caption)) + 4 * button;
        QVERIFY2(width >= need, qPrintable(QStringLiteral("%1: %2 < %3").arg(row.caption).arg(width).arg(need)));
        // Under a short caption the controls stand where they stood.
        dialog->setWindowTitle(QStringLiteral("Т"));
        QCOMPARE(dialog->OKButton->geometry(), ok);
        QVERIFY(dialog->width() <= width);
    }
}

QTEST_MAIN(TestSearchCommands)
#include "test_searchcommands.moc"
