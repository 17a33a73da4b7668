#include "boxwatch.h"
#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/dataform.h"
#include "shell/archive.h"
#include "shell/frmabout.h"
#include "shell/frmmain.h"
#include "shell/helpwindow.h"
#include "shell/targets.h"
#include "layoutcheck.h"
#include "screens.h"
#include "testdb.h"
#include "trips/insidekurs.h"
#include "typing.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QtTest>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <optional>

using namespace kelm;

namespace {

// The menu tree as the users know it: menu, caption, control, shortcut, topic.
struct Row {
    const char *menu;
    const char *caption; // nullptr: separator
    const char *control;
    const char *shortcut;
    int topic;
};
const Row kTree[] = {
    {"", "Справки", "mnuSpr", "", 100},
    {"mnuSpr", "Курсове на кола", "mnuSprKola", "", 5},
    {"mnuSpr", "Всички курсове", "mnuSprPer", "", 6},
    {"mnuSpr", nullptr, "mnuBar001", "", -1},
    {"mnuSpr", "Курсове на клиент", "mnuSprKlient", "", 7},
    {"mnuSpr", "Курсове от шофьор", "mnuSprShof", "", 8},
    {"mnuSpr", nullptr, "mnuBar002", "", -1},
    {"mnuSpr", "Клиент за факруриране", "mnuSprKlientSakr", "", 9},
    {"mnuSpr", nullptr, "mnuBar003", "", -1},
    {"mnuSpr", "Баланс на колите", "mnuSprBalanc", "", 10},
    {"mnuSpr", "Разход нафта", "mnuSprPreRazh", "", 11},
    {"mnuSpr", nullptr, "mnuBar006", "", -1},
    {"mnuSpr", "Пътни листи", "mnuSprRowdList", "", 12},
    {"mnuSpr", nullptr, "mnuBar005", "", -1},
    {"mnuSpr", "Изход", "mnuFileExit", "Ctrl+Z", -1},
    {"", "Данни", "mnuData", "", 101},
    {"mnuData", "Нов курс", "mnuDataNew", "Ctrl+N", 13},
    {"mnuData", "Шофьори", "mnuDataShof", "Ctrl+D", 14},
    {"mnuData", "Пътни листи", "mnuDataPList", "Ctrl+L", 15},
    {"mnuData", "Фактуриране", "mnuDataFakt", "Ctrl+F", 16},
    {"mnuData", nullptr, "mnuDataBar3", "", -1},
    {"mnuData", "Международни курсове", "mnuDataNewInside", "", -1},
    {"mnuData", nullptr, "mnuDataBar1", "", -1},
    {"mnuData", "Корекция на курс", "mnuDataKyrc", "", 17},
    {"mnuData", "Корекция КМ", "mnuDataKorКм", "", 18},
    {"mnuData", "Корекция плащане", "mnuDataKorPl", "", 36},
    {"mnuData", "Корекция фактури", "mnuDataEditFakt", "", 19},
    {"mnuData", nullptr, "mnuDataBar0", "", -1},
    {"mnuData", "Заплати", "mnuSlgZapl", "", 20},
    {"mnuData", nullptr, "mnuDataBar2", "", -1},
    {"mnuData", "ДАИ", "mnuDataDAI", "", -1},
    {"", "Дискети", "mnuDisk", "", 102},
    {"mnuDisk", "Записване", "mnuDiskZap", "Ctrl+S", 21},
    {"mnuDisk", "Зареждане", "mnuDiskZar", "Ctrl+O", 22},
    {"mnuDisk", nullptr, "mnuDiskBar1", "", -1},
    {"mnuDisk", "Нова година", "mnuNewPer", "", 23},
    {"", "Служебна", "mnuView", "", 103},
    {"mnuView", "Бутони", "mnuViewToolbar", "", 24},
    {"mnuView", "Статус поле", "mnuViewStatusBar", "", 25},
    {"mnuView", nullptr, "mnuSpBar0", "", -1},
    {"mnuView", "Настройки", "mnuSpOption", "", 26},
    {"mnuView", nullptr, "mnuSpBar1", "", -1},
    {"mnuView", "Пароли", "mnuSpAdmin", "", -1},
    {"", "Склад", "mnuSklad", "", 104},
    {"mnuSklad", "Приход", "mnuSklPrih", "", 27},
    {"mnuSklad", "Разход", "mnuSklRaz", "", 28},
    {"mnuSklad", nullptr, "mnuSepBar0", "", -1},
    {"mnuSklad", "Справка приходи", "mnuSprPrihod", "", 29},
    {"mnuSklad", "Справка разходи", "mnuSprRazhod", "", 30},
    {"mnuSklad", "Справка баланс", "mnuSprBalans", "", -1},
    {"mnuSklad", nullptr, "mnuSepBar1", "", -1},
    {"mnuSklad", "Наличност", "mnuNal", "", 31},
    {"mnuSklad", nullptr, "mnuSepBar2", "", -1},
    {"mnuSklad", "Ревизия", "mnuPrihPer", "", 32},
    {"", "Помощ", "mnuHelp", "", 105},
    {"mnuHelp", "Съдържание", "mnuHelpContents", "", 33},
    {"mnuHelp", nullptr, "mnuHelpBar1", "", -1},
    {"mnuHelp", "Инициализация", "mnuHelpPerson", "", -1},
    {"mnuHelp", nullptr, "mnuHelpBar0", "", -1},
    {"mnuHelp", "Интернет-страница", "mnuHelpWeb", "", -1},
    {"mnuHelp", nullptr, "mnuHelpBar2", "", -1},
    {"mnuHelp", "За програмата...", "mnuHelpAbout", "", 35},
};

// What a user sees: the item is visible and so is the menu that holds it.
QSet<QString> visibleControls(FrmMain &w)
{
    QSet<QString> seen;
    for (const Row &r : kTree) {
        const QString c = QString::fromUtf8(r.control);
        QAction *a = w.menuAction(c);
        bool visible = a && a->isVisible();
        if (*r.menu)
            visible = visible && w.menuAction(QString::fromUtf8(r.menu))->isVisible();
        if (visible)
            seen.insert(c);
    }
    return seen;
}

QSet<QString> allControls()
{
    QSet<QString> all;
    for (const Row &r : kTree)
        all.insert(QString::fromUtf8(r.control));
    return all;
}

QString stored(const char *key)
{
    QSettings s(QStringLiteral("Kelm"), QStringLiteral("Kelm"));
    return s.value(QStringLiteral("Settings/") + QLatin1String(key)).toString();
}

void store(const char *key, const QString &value)
{
    QSettings s(QStringLiteral("Kelm"), QStringLiteral("Kelm"));
    s.setValue(QStringLiteral("Settings/") + QLatin1String(key), value);
}

QList<QUrl> s_opened;
bool s_openerResult = true;
bool fakeOpener(const QUrl &url)
{
    s_opened.append(url);
    return s_openerResult;
}

void throwingSink(const QString &)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    throw DbError(ErrFileNotFound, QStringLiteral("Не мога да отворя базата"));
}

// A window that notes when it is asked to close, and whether the scratch
// database it may still hold is there at that moment.
class Recorder : public QWidget {
public:
    Recorder(const QString &name, QStringList *log) : m_log(log) { setObjectName(name); }
    bool scratchAtClose = false;

protected:
    void closeEvent(QCloseEvent *e) override
    {
        m_log->append(objectName());
        scratchAtClose = QFile::exists(gTempDbPath);
        QWidget::closeEvent(e);
    }

private:
    QStringList *m_log;
};

// A small second screen right of the first, as a laptop's beside a monitor.
void twoScreens()
{
    useOffscreenScreens({QRect(0, 0, 800, 800), QRect(1000, 0, 480, 360)});
}
Q_CONSTRUCTOR_FUNCTION(twoScreens)

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void menuTreeCaptionsShortcutsAndTopics();
    void toolbarKeysTooltipsAndSeparators();
    void restrictedMenusByUserKind_data();
    void restrictedMenusByUserKind();
    void shortcutsStillWorkForRestrictedUsers();
    void settingsDefaultsAndUnreadableValues();
    void settingsRoundTripWithHiddenToolbar();
    void minimisedCloseKeepsStoredPlacement();
    void activationWritesWeekdayAndCheckMarks();
    void datePanelsShowToday();
    void unloadDeletesScratchAndClosesOthersNewestFirst();
    void aScreenMidRecordKeepsTheWindowAndStopsARestore();
    void restrictedUsersNeitherRestoreNorCloseTheYear();
    void restoreRefusesMidRecordBeforeAskingAndAsksOverTheMainWindow();
    void commandsWithoutDialogWritePanelAndMode_data();
    void commandsWithoutDialogWritePanelAndMode();
    void toolbarButtonsRunTheirCommands();
    void failingCommandIsReportedAndProgramGoesOn();
    void balanceReportAndUnknownControlDoNothing();
    void barTogglesFlipCheckMarkAndBar();
    void exitClosesTheWindow();
    void f1OnMenuItemOpensItsTopic();
    void helpContentsAndMissingHelpFile();
    void webPageCommandReportsFailure();
    void helpWindowFitsTheScreenItOpensOn();
    void windowOpensWhollyOnAScreenFromOddSettings();

private:
    QTemporaryDir m_settingsDir;
    QStringList m_targets;
};

void TestFrmMain::initTestCase()
{
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    // The settings the window keeps are the test's own, never the user's.
    QVERIFY(QSettings(QStringLiteral("Kelm"), QStringLiteral("Kelm")).fileName().startsWith(m_settingsDir.path()));
    QVERIFY(!QSettings(QStringLiteral("Kelm"), QStringLiteral("Kelm")).fileName().startsWith(
        QDir::homePath() + QStringLiteral("/.config")));
    setUrlOpener(&fakeOpener);
}

void TestFrmMain::init()
{
    QSettings(QStringLiteral("Kelm"), QStringLiteral("Kelm")).clear();
    gUserVid = QStringLiteral("A");
    gSeekMode.clear();
    gSkladMode.clear();
    s_opened.clear();
    s_openerResult = true;
    // Commands are followed to their target without opening the real screens.
    m_targets.clear();
    setTargetRunner([this](const QString &t, bool) {
        m_targets << t;
        return true;
    });
}

void TestFrmMain::cleanup()
{
    setTargetRunner(nullptr);
}

void TestFrmMain::menuTreeCaptionsShortcutsAndTopics()
{
    TestDb db;
    FrmMain w;
    QCOMPARE(w.menuActions().size(), int(std::size(kTree)));
    int i = 0;
    for (const Row &r : kTree) {
        QAction *a = w.menuActions().at(i++);
        const QString control = QString::fromUtf8(r.control);
        QCOMPARE(a->objectName(), control);
        QCOMPARE(w.menuAction(control), a);
        if (!r.caption) {
            QVERIFY2(a->isSeparator(), r.control);
        } else {
            QVERIFY2(!a->isSeparator(), r.control);
            QCOMPARE(a->text(), QString::fromUtf8(r.caption));
        }
        QCOMPARE(a->shortcut(), QKeySequence(QString::fromUtf8(r.shortcut)));
        QCOMPARE(w.helpTopic(control), r.topic);
        if (*r.menu) {
            // The item sits in its menu, in this order.
            auto *menu = w.menuAction(QString::fromUtf8(r.menu))->menu();
            QVERIFY(menu->actions().contains(a));
        } else {
            QVERIFY(a->menu());
            QVERIFY(w.menuBar()->actions().contains(a));
        }
    }
    QVERIFY(w.menuAction(QStringLiteral("mnuViewToolbar"))->isCheckable());
    QVERIFY(w.menuAction(QStringLiteral("mnuViewStatusBar"))->isCheckable());
}

void TestFrmMain::toolbarKeysTooltipsAndSeparators()
{
    TestDb db;
    FrmMain w;
    QCOMPARE(w.tbToolBar->objectName(), QStringLiteral("tbToolBar"));
    QCOMPARE(w.sbStatusBar->objectName(), QStringLiteral("sbStatusBar"));
    QStringList got;
    for (QAction *a : w.tbToolBar->actions())
        got << (a->isSeparator() ? QStringLiteral("|") : a->objectName() + "=" + a->toolTip());
    const QStringList expected = {
        "Kola=Справка за кола", "Per=Справка за период", "SprList=Справка пътни листи", "|",
        "Kl=Справка за клиент", "SprSh=Справка за шофьор", "|", "NewKurs=Нов курс",
        "NewShof=Шофьор - нов/корекция ", "NewL=Пътен лист - нов/корекция ",
        "NewF=Фактура - нова/корекция ", "|", "KM=Корекция КМ", "PL=Корекция плащане", "|",
        "Save=Запис на дискета", "Open=Зареждане от дискета"};
    QCOMPARE(got, expected);
    for (QAction *a : w.tbToolBar->actions())
        QVERIFY(a->isSeparator() || !a->icon().isNull());
    QCOMPARE(w.panelText(1), QStringLiteral("Готов за работа"));
    QCOMPARE(w.panelText(2), QStringLiteral("F1-Помощ"));
}

void TestFrmMain::restrictedMenusByUserKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("full");
    QTest::newRow("A") << "A" << true;
    QTest::newRow("B") << "B" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("C") << "C" << false;
    QTest::newRow("lower a") << "a" << false;
}

void TestFrmMain::restrictedMenusByUserKind()
{
    QFETCH(QString, kind);
    QFETCH(bool, full);
    TestDb db;
    gUserVid = kind;
    FrmMain w;
    QVERIFY(w.load());
    QSet<QString> expected = allControls();
    if (!full) {
        for (const char *c : {"mnuView", "mnuViewToolbar", "mnuViewStatusBar", "mnuSpBar0",
                              "mnuSpOption", "mnuSpBar1", "mnuSpAdmin", "mnuBar003",
                              "mnuSprBalanc", "mnuSprPreRazh", "mnuHelpPerson", "mnuDiskZar",
                              "mnuDiskBar1", "mnuNewPer"})
            expected.remove(QString::fromUtf8(c));
    }
    QCOMPARE(visibleControls(w), expected);

    // Loading again for an administrator shows everything again.
    gUserVid = QStringLiteral("A");
    QVERIFY(w.load());
    QCOMPARE(visibleControls(w), allControls());
}

void TestFrmMain::shortcutsStillWorkForRestrictedUsers()
{
    TestDb db;
    gUserVid = QStringLiteral("C");
    FrmMain w;
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(w.panelText(1), QStringLiteral("Корекция / нови данни за шофьор"));
    QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(w.panelText(1), QStringLiteral("Въвеждане на нов курс"));
    QCOMPARE(gSeekMode, QStringLiteral("NewKurs"));
    w.close();
}

void TestFrmMain::settingsDefaultsAndUnreadableValues()
{
    TestDb db;
    {
        FrmMain w;
        QVERIFY(w.load());
        QCOMPARE(w.pos(), QPoint(67, 67)); // 1000 twips
        QCOMPARE(w.size(), QSize(433, 433)); // 6500 twips
        QVERIFY(!w.tbToolBar->isHidden());
        QVERIFY(!w.sbStatusBar->isHidden());
        QVERIFY(w.menuAction(QStringLiteral("mnuViewToolbar"))->isChecked());
        QVERIFY(w.menuAction(QStringLiteral("mnuViewStatusBar"))->isChecked());
    }
    store("MainLeft", QStringLiteral("abc"));
    store("MainTop", QStringLiteral("1500"));
    store("MainWidth", QStringLiteral("9000.6"));
    store("MainToolBar", QStringLiteral("maybe"));
    store("MainStatBar", QStringLiteral("False"));
    FrmMain w;
    QVERIFY(w.load());
    QCOMPARE(w.pos(), QPoint(67, 100));
    QCOMPARE(w.width(), 600);
    QVERIFY(!w.tbToolBar->isHidden());
    QVERIFY(w.sbStatusBar->isHidden());
    QVERIFY(!w.menuAction(QStringLiteral("mnuViewStatusBar"))->isChecked());
}

void TestFrmMain::settingsRoundTripWithHiddenToolbar()
{
    TestDb db;
    {
        FrmMain w;
        QVERIFY(w.load());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.move(150, 90);
        w.resize(600, 400);
        w.runCommand(QStringLiteral("mnuViewToolbar"));
        QVERIFY(w.close());
    }
    QCOMPARE(stored("MainLeft"), QStringLiteral("2250"));
    QCOMPARE(stored("MainTop"), QStringLiteral("1350"));
    QCOMPARE(stored("MainWidth"), QStringLiteral("9000"));
    QCOMPARE(stored("MainHeight"), QStringLiteral("6000"));
    QCOMPARE(stored("MainToolBar"), QStringLiteral("False"));
    QCOMPARE(stored("MainStatBar"), QStringLiteral("True"));

    FrmMain w;
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.formActivate();
    QCOMPARE(w.pos(), QPoint(150, 90));
    QCOMPARE(w.size(), QSize(600, 400));
    QVERIFY(w.tbToolBar->isHidden());
    QVERIFY(!w.sbStatusBar->isHidden());
    QVERIFY(!w.menuAction(QStringLiteral("mnuViewToolbar"))->isChecked());
    QVERIFY(w.menuAction(QStringLiteral("mnuViewStatusBar"))->isChecked());
    w.close();
}

void TestFrmMain::minimisedCloseKeepsStoredPlacement()
{
    TestDb db;
    store("MainLeft", QStringLiteral("3000"));
    store("MainTop", QStringLiteral("1500"));
    store("MainWidth", QStringLiteral("7500"));
    store("MainHeight", QStringLiteral("6000"));
    store("MainToolBar", QStringLiteral("True"));
    FrmMain w;
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.move(10, 10);
    w.resize(300, 300);
    w.runCommand(QStringLiteral("mnuViewToolbar"));
    w.showMinimized();
    QVERIFY(w.isMinimized());
    QVERIFY(w.close());
    QCOMPARE(stored("MainLeft"), QStringLiteral("3000"));
    QCOMPARE(stored("MainTop"), QStringLiteral("1500"));
    QCOMPARE(stored("MainWidth"), QStringLiteral("7500"));
    QCOMPARE(stored("MainHeight"), QStringLiteral("6000"));
    QCOMPARE(stored("MainToolBar"), QStringLiteral("True"));
}

void TestFrmMain::activationWritesWeekdayAndCheckMarks()
{
    QCOMPARE(FrmMain::weekdayName(QDate(2026, 12, 6)), QStringLiteral("Неделя"));
    QCOMPARE(FrmMain::weekdayName(QDate(2026, 12, 7)), QStringLiteral("Понеделник"));
    QCOMPARE(FrmMain::weekdayName(QDate(2026, 12, 8)), QStringLiteral("Вторник"));
    QCOMPARE(FrmMain::weekdayName(QDate(2026, 12, 9)), QStringLiteral("Сряда"));
    QCOMPARE(FrmMain::weekdayName(QDate(2026, 12, 10)), QStringLiteral("Четвъртък"));
    QCOMPARE(FrmMain::weekdayName(QDate(2026, 12, 11)), QStringLiteral("Петък"));
    QCOMPARE(FrmMain::weekdayName(QDate(2026, 12, 12)), QStringLiteral("Събота"));

    TestDb db;
    FrmMain w;
    QVERIFY(w.load());
    QCOMPARE(w.panelText(2), QStringLiteral("F1-Помощ"));
    // A bar hidden behind the menu's back gets its check mark corrected.
    w.sbStatusBar->hide();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w, &activate);
    QCOMPARE(w.panelText(2), FrmMain::weekdayName(QDate::currentDate()));
    QCOMPARE(w.helpFile(), db.folder() + QStringLiteral("/Kelm.hlp"));
    QVERIFY(!w.menuAction(QStringLiteral("mnuViewStatusBar"))->isChecked());
    QVERIFY(w.menuAction(QStringLiteral("mnuViewToolbar"))->isChecked());
}

void TestFrmMain::datePanelsShowToday()
{
    TestDb db;
    FrmMain w;
    QCOMPARE(w.panelText(3), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d$")).match(w.panelText(4)).hasMatch());
    // The clock is kept current: a stale text is replaced within a second or so.
    w.setPanelText(4, QStringLiteral("--"));
    QTRY_VERIFY_WITH_TIMEOUT(w.panelText(4) != QStringLiteral("--"), 2500);

    // Each of panels 2 to 4 shows its whole text inside its frame, with room to spare.
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setPanelText(2, QStringLiteral("Четвъртък"));
    for (const char *name : {"sbPanel2", "sbPanel3", "sbPanel4"}) {
        auto *panel = w.sbStatusBar->findChild<QLabel *>(QString::fromLatin1(name));
        QVERIFY(panel);
        const int needed = panel->fontMetrics().horizontalAdvance(panel->text()) + 2 * panel->frameWidth()
            + panel->contentsMargins().left() + panel->contentsMargins().right();
        QVERIFY2(panel->width() >= needed + 4, name);
    }

    // Panel 1 takes the width the others leave and, in the window's default size,
    // shows the first-run text whole; a text longer than it has is in its tooltip.
    auto *first = w.sbStatusBar->findChild<QLabel *>(QStringLiteral("sbPanel1"));
    const QString newTrip = QStringLiteral("Въвеждане на нов курс");
    w.setPanelText(1, newTrip);
    QCoreApplication::processEvents();
    QVERIFY2(first->contentsRect().width() >= first->fontMetrics().horizontalAdvance(newTrip),
             qPrintable(QString::number(first->contentsRect().width())));
    QVERIFY(first->toolTip().isEmpty());
    auto *second = w.sbStatusBar->findChild<QLabel *>(QStringLiteral("sbPanel2"));
    QVERIFY(second->x() - first->geometry().right() < 12);
    const QString longText = QStringLiteral("Въвеждане на данните от пътните листи и още, и още, и още");
    w.setPanelText(1, longText);
    QCOMPARE(w.panelText(1), longText);
    QCOMPARE(first->toolTip(), longText);
    w.resize(w.width() + 600, w.height());
    QTRY_VERIFY(first->toolTip().isEmpty());
    w.close();
}

void TestFrmMain::unloadDeletesScratchAndClosesOthersNewestFirst()
{
    TestDb db;
    {
        QFile f(gTempDbPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("scratch");
    }
    auto *w = new FrmMain;
    QVERIFY(w->load());
    w->show();
    QStringList log;
    auto *first = new Recorder(QStringLiteral("InsideKurs"), &log);
    auto *second = new Recorder(QStringLiteral("Sklad"), &log);
    auto *hidden = new Recorder(QStringLiteral("Hidden"), &log);
    first->show();
    second->show();
    QSignalSpy unloaded(w, &FrmMain::unloaded);
    QVERIFY(w->close());
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!QFile::exists(gTempDbPath));
    QCOMPARE(log, (QStringList{QStringLiteral("Sklad"), QStringLiteral("InsideKurs")}));
    // The other windows close first; only then is the scratch database removed.
    QVERIFY(first->scratchAtClose);
    QVERIFY(second->scratchAtClose);
    QVERIFY(!first->isVisible());
    QVERIFY(!second->isVisible());
    delete first;
    delete second;
    delete hidden;
    delete w;
    QCOMPARE(gMain, nullptr);
    // Without a window the status text is still kept.
    setStatusText(QStringLiteral("x"));
    QCOMPARE(statusText(), QStringLiteral("x"));
}

// Closing the main window never drops a half-typed record, nor leaves the program
// running without its window: the screen refuses, the window stays as it was and
// shows that screen. A restore meanwhile does not swap the data under it.
void TestFrmMain::aScreenMidRecordKeepsTheWindowAndStopsARestore()
{
    TestDb db;
    {
        QFile f(gTempDbPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString archive = db.folder() + QStringLiteral("/a.abd");
    QVERIFY(archiveSaveTo(archive).ok);
    FrmMain w;
    QVERIFY(w.load());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    setTargetRunner(nullptr);
    w.runCommand(QStringLiteral("mnuDataNewInside"));
    InsideKurs *screen = InsideKurs::instance();
    QVERIFY(screen && screen->isVisible());
    {
        MessageCapture emptyLists;
        screen->form()->button(QStringLiteral("cmdAdd"))->click();
    }
    typeText(screen->box(0), QStringLiteral("12"));
    QVERIFY(screen->form()->isAdding());
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));

    QSignalSpy unloaded(&w, &FrmMain::unloaded);
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QCOMPARE(unloaded.count(), 0);
    QVERIFY(QFile::exists(gTempDbPath));
    QVERIFY(!QSettings(QStringLiteral("Kelm"), QStringLiteral("Kelm")).contains(QStringLiteral("Settings/MainLeft")));
    QVERIFY(screen->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(screen));
    QCOMPARE(screen->box(0)->text(), QStringLiteral("12"));

    db.conn().close();
    const QByteArray bytes = [] {
        QFile f(gDbPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const ArchiveResult r = archiveRestoreFrom(archive);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("по средата на запис")), qPrintable(r.message));
    QFile kelm(gDbPath);
    QVERIFY(kelm.open(QIODevice::ReadOnly));
    QCOMPARE(kelm.readAll(), bytes);
    QVERIFY(screen->form()->isAdding());

    // Once the record is given up, the window closes with everything.
    screen->form()->button(QStringLiteral("cmdCancel"))->click();
    QVERIFY(w.close());
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!QFile::exists(gTempDbPath));
    QVERIFY(!InsideKurs::instance() || !InsideKurs::instance()->isVisible());
}

// Replacing the data and closing the year are for kinds "A" and "B": for others
// neither the menu, nor Ctrl+O, nor the toolbar, nor the command itself reaches them.
void TestFrmMain::restrictedUsersNeitherRestoreNorCloseTheYear()
{
    TestDb db;
    db.exec(QStringLiteral("INSERT INTO tabl (Marsh) VALUES ('Остава')"));
    const QString archive = db.folder() + QStringLiteral("/a.abd");
    QVERIFY(archiveSaveTo(archive).ok);
    for (const char *kind : {"C", "B"}) {
        gUserVid = QString::fromLatin1(kind);
        const bool full = gUserVid == QLatin1String("B");
        FrmMain w;
        QVERIFY(w.load());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (const char *c : {"mnuDiskZar", "mnuDiskBar1", "mnuNewPer"})
            QCOMPARE(w.menuAction(QString::fromLatin1(c))->isVisible(), full);
        QVERIFY(w.menuAction(QStringLiteral("mnuDiskZap"))->isVisible());
        QCOMPARE(w.tbToolBar->findChild<QAction *>(QStringLiteral("Open"))->isVisible(), full);
        QVERIFY(w.tbToolBar->findChild<QAction *>(QStringLiteral("Save"))->isVisible());
        if (full)
            continue;
        BoxWatch boxes;
        // Записване stays for everyone; the hidden item's shortcut does nothing;
        // the command, reached all the same, refuses.
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen.at(0).first, QStringLiteral("Запис на данни"));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(boxes.seen.size(), 1);
        w.buttonClick(QStringLiteral("Open"));
        w.runCommand(QStringLiteral("mnuNewPer"));
        QCOMPARE(boxes.seen.size(), 3);
        QVERIFY2(boxes.seen.at(1).second.startsWith(QStringLiteral("Зареждането на архивни данни е разрешено само")),
                 qPrintable(boxes.seen.at(1).second));
        QVERIFY2(boxes.seen.at(2).second.startsWith(QStringLiteral("Приключването на годината е разрешено само")),
                 qPrintable(boxes.seen.at(2).second));
        QCOMPARE(db.count(QStringLiteral("tabl")), 1);
        QCOMPARE(QDir(db.folder()).entryList({QStringLiteral("*.arh")}, QDir::Files), QStringList());
    }
}

// Зареждане with a screen in the middle of a record says so before it asks
// anything; its boxes open over the main window, also right after the file dialog.
void TestFrmMain::restoreRefusesMidRecordBeforeAskingAndAsksOverTheMainWindow()
{
    TestDb db;
    setProgramFolder(db.folder());
    const QString archive = db.folder() + QStringLiteral("/a.abd");
    QVERIFY(archiveSaveTo(archive).ok);
    FrmMain w;
    QVERIFY(w.load());
    w.setGeometry(40, 60, 420, 300);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    setTargetRunner(nullptr);
    w.runCommand(QStringLiteral("mnuDataNewInside"));
    InsideKurs *screen = InsideKurs::instance();
    QVERIFY(screen && screen->isVisible());
    screen->move(450, 450);
    {
        MessageCapture emptyLists;
        screen->form()->button(QStringLiteral("cmdAdd"))->click();
    }
    typeText(screen->box(0), QStringLiteral("12"));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    db.conn().close();
    QFile kelm(gDbPath);
    QVERIFY(kelm.open(QIODevice::ReadOnly));
    const QByteArray before = kelm.readAll();
    kelm.close();
    QList<QPair<QString, QString>> seen;
    QList<QRect> places;
    auto restore = [&](const QList<BoxWatch::Press> &presses) {
        std::optional<BoxWatch> boxes;
        QTimer::singleShot(0, [&] {
            auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            d->selectFile(archive);
            QMetaObject::invokeMethod(d, "accept");
            // The window system has not given the activation back yet.
            QApplication::setActiveWindow(nullptr);
            boxes.emplace(presses);
        });
        w.runCommand(QStringLiteral("mnuDiskZar"));
        seen = boxes ? boxes->seen : QList<QPair<QString, QString>>();
        places = boxes ? boxes->places : QList<QRect>();
    };
    auto overMain = [&] {
        for (const QRect &place : places)
            if ((place.center() - w.geometry().center()).manhattanLength() > 2)
                return false;
        return true;
    };
    restore({BoxWatch::Press::Accept});
    QCOMPARE(seen.size(), 1);
    QVERIFY(overMain());
    QVERIFY2(seen.at(0).second.contains(QStringLiteral("по средата на запис")), qPrintable(seen.at(0).second));
    QVERIFY(screen->form()->isAdding());
    QVERIFY(kelm.open(QIODevice::ReadOnly));
    QCOMPARE(kelm.readAll(), before);
    kelm.close();

    // Once the record is given up, the question comes, over the main window too,
    // also when the last message was asked from another window.
    screen->form()->button(QStringLiteral("cmdCancel"))->click();
    screen->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(screen));
    {
        BoxWatch other;
        DiaInf::show(QStringLiteral("x"));
        QCOMPARE(other.seen.size(), 1);
    }
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    restore({BoxWatch::Press::Enter});
    QCOMPARE(seen.size(), 1);
    QVERIFY(overMain());
    QVERIFY(seen.at(0).second.startsWith(QStringLiteral("Данните на фирмата ще бъдат заменени")));
    QVERIFY(kelm.open(QIODevice::ReadOnly));
    QCOMPARE(kelm.readAll(), before);
}

void TestFrmMain::commandsWithoutDialogWritePanelAndMode_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("seekMode");
    QTest::addColumn<QString>("skladMode");
    const QString keep = QStringLiteral("(unchanged)");
    QTest::newRow("Нов курс") << "mnuDataNew" << "Въвеждане на нов курс" << "NewKurs" << keep;
    QTest::newRow("Шофьори") << "mnuDataShof" << "Корекция / нови данни за шофьор" << keep << keep;
    QTest::newRow("Пътни листи") << "mnuDataPList" << "Въвеждане на данните от пътните листи" << keep << keep;
    QTest::newRow("Международни") << "mnuDataNewInside" << keep << keep << keep;
    QTest::newRow("ДАИ") << "mnuDataDAI" << keep << keep << keep;
    QTest::newRow("Настройки") << "mnuSpOption" << "Разход на гориво за 100 км" << keep << keep;
    QTest::newRow("Пароли") << "mnuSpAdmin" << keep << keep << keep;
    QTest::newRow("Приход") << "mnuSklPrih" << keep << keep << "P";
    QTest::newRow("Разход") << "mnuSklRaz" << keep << keep << "R";
}

void TestFrmMain::commandsWithoutDialogWritePanelAndMode()
{
    QFETCH(QString, control);
    QFETCH(QString, panel);
    QFETCH(QString, seekMode);
    QFETCH(QString, skladMode);
    TestDb db;
    MessageCapture capture;
    FrmMain w;
    QVERIFY(w.load());
    const QString keep = QStringLiteral("(unchanged)");
    w.setPanelText(1, keep);
    gSeekMode = keep;
    gSkladMode = keep;
    // Through the menu item itself, as a click would.
    w.menuAction(control)->trigger();
    QCOMPARE(w.panelText(1), panel);
    QCOMPARE(statusText() == panel, panel != keep);
    QCOMPARE(gSeekMode, seekMode);
    QCOMPARE(gSkladMode, skladMode);
    QVERIFY(capture.shown.isEmpty());
}

void TestFrmMain::toolbarButtonsRunTheirCommands()
{
    TestDb db;
    FrmMain w;
    QVERIFY(w.load());
    w.buttonClick(QStringLiteral("NewShof"));
    QCOMPARE(w.panelText(1), QStringLiteral("Корекция / нови данни за шофьор"));
    w.buttonClick(QStringLiteral("NewL"));
    QCOMPARE(w.panelText(1), QStringLiteral("Въвеждане на данните от пътните листи"));
    QCOMPARE(m_targets, QStringList({"Driver", "RowdList"}));
    gSeekMode.clear();
    // The button itself, clicked.
    QAction *newKurs = w.tbToolBar->findChild<QAction *>(QStringLiteral("NewKurs"));
    QVERIFY(newKurs);
    newKurs->trigger();
    QCOMPARE(w.panelText(1), QStringLiteral("Въвеждане на нов курс"));
    QCOMPARE(gSeekMode, QStringLiteral("NewKurs"));
    w.setPanelText(1, QStringLiteral("same"));
    w.buttonClick(QStringLiteral("Nothing"));
    w.buttonClick(QStringLiteral("mnuDataNew")); // a menu control is not a key
    QCOMPARE(w.panelText(1), QStringLiteral("same"));
}

void TestFrmMain::failingCommandIsReportedAndProgramGoesOn()
{
    TestDb db;
    MessageCapture capture;
    FrmMain w;
    QVERIFY(w.load());
    setStatusSink(&throwingSink);
    w.runCommand(QStringLiteral("mnuDataNew"));
    QCOMPARE(capture.shown.size(), 1);
    QCOMPARE(capture.shown[0].kind, ShownMessage::Info);
    QCOMPARE(capture.lastCaption(), QStringLiteral("ГРЕШКА - Нов курс"));
    QCOMPARE(capture.lastText(), QStringLiteral("3024:Не мога да отворя базата"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // The same failure from a toolbar button is reported too.
    w.buttonClick(QStringLiteral("NewShof"));
    QCOMPARE(capture.shown.size(), 2);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // The window goes on working with the next command.
    setStatusSink(nullptr);
    setStatusSink([](const QString &t) { gMain->setPanelText(1, t); });
    w.runCommand(QStringLiteral("mnuDataPList"));
    QCOMPARE(w.panelText(1), QStringLiteral("Въвеждане на данните от пътните листи"));
    QCOMPARE(capture.shown.size(), 2);
}

void TestFrmMain::balanceReportAndUnknownControlDoNothing()
{
    TestDb db;
    MessageCapture capture;
    FrmMain w;
    QVERIFY(w.load());
    w.setPanelText(1, QStringLiteral("same"));
    gSeekMode = QStringLiteral("Kola");
    gSkladMode = QStringLiteral("P");
    w.menuAction(QStringLiteral("mnuSprBalans"))->trigger();
    w.runCommand(QStringLiteral("mnuNoSuchThing"));
    QCOMPARE(w.panelText(1), QStringLiteral("same"));
    QCOMPARE(gSeekMode, QStringLiteral("Kola"));
    QCOMPARE(gSkladMode, QStringLiteral("P"));
    QVERIFY(capture.shown.isEmpty());
}

void TestFrmMain::barTogglesFlipCheckMarkAndBar()
{
    TestDb db;
    FrmMain w;
    QVERIFY(w.load());
    QAction *stat = w.menuAction(QStringLiteral("mnuViewStatusBar"));
    stat->trigger(); // as chosen from the menu
    QVERIFY(!stat->isChecked());
    QVERIFY(w.sbStatusBar->isHidden());
    w.runCommand(QStringLiteral("mnuViewStatusBar"));
    QVERIFY(stat->isChecked());
    QVERIFY(!w.sbStatusBar->isHidden());
    QAction *tools = w.menuAction(QStringLiteral("mnuViewToolbar"));
    tools->trigger();
    QVERIFY(!tools->isChecked());
    QVERIFY(w.tbToolBar->isHidden());
    tools->trigger();
    QVERIFY(tools->isChecked());
    QVERIFY(!w.tbToolBar->isHidden());
}

void TestFrmMain::exitClosesTheWindow()
{
    TestDb db;
    FrmMain w;
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy unloaded(&w, &FrmMain::unloaded);
    w.menuAction(QStringLiteral("mnuFileExit"))->trigger();
    QVERIFY(!w.isVisible());
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!stored("MainWidth").isEmpty());
}

void TestFrmMain::f1OnMenuItemOpensItsTopic()
{
    TestDb db;
    MessageCapture capture;
    QVERIFY(QFile::copy(QFINDTESTDATA("../../data/Kelm.hlp"), db.folder() + "/Kelm.hlp"));
    FrmMain w;
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.formActivate();

    QMenu *data = w.menuAction(QStringLiteral("mnuData"))->menu();
    data->popup(w.mapToGlobal(QPoint(10, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(data));
    data->setActiveAction(w.menuAction(QStringLiteral("mnuDataShof")));
    QTest::keyClick(data, Qt::Key_F1);
    QVERIFY(HelpWindow::existing());
    QCOMPARE(HelpWindow::existing()->currentTopic(), 14);
    QVERIFY(HelpWindow::existing()->currentHtml().contains(QStringLiteral("Шофьори")));
    QVERIFY(!data->isVisible());

    // An item without a topic of its own shows its menu's.
    data->popup(w.mapToGlobal(QPoint(10, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(data));
    data->setActiveAction(w.menuAction(QStringLiteral("mnuDataDAI")));
    QTest::keyClick(data, Qt::Key_F1);
    QCOMPARE(HelpWindow::existing()->currentTopic(), 101);
    QVERIFY(capture.shown.isEmpty());
    HelpWindow::existing()->close();
    w.close();
}

void TestFrmMain::helpContentsAndMissingHelpFile()
{
    TestDb db;
    MessageCapture capture;
    FrmMain w;
    QVERIFY(w.load());
    w.formActivate();
    // No help file in the program folder: a clear message, nothing opened.
    w.runCommand(QStringLiteral("mnuHelpContents"));
    QCOMPARE(capture.shown.size(), 1);
    QCOMPARE(capture.shown[0].kind, ShownMessage::Box);
    QVERIFY(capture.lastText().contains(db.folder() + "/Kelm.hlp"));
    QVERIFY(!HelpWindow::existing() || !HelpWindow::existing()->isVisible());

    // The shipped help file has a text for every topic of the menus.
    const QString shipped = QFINDTESTDATA("../../data/Kelm.hlp");
    QMap<int, QString> topics;
    QVERIFY(readHelpFile(shipped, &topics));
    for (QAction *a : w.menuActions()) {
        const int topic = w.helpTopic(a->objectName());
        if (topic >= 0)
            QVERIFY2(topics.value(topic).size() > 40, qPrintable(a->objectName()));
    }
    QVERIFY(QFile::copy(shipped, db.folder() + "/Kelm.hlp"));
    capture.clear();
    w.runCommand(QStringLiteral("mnuHelpContents"));
    QVERIFY(capture.shown.isEmpty());
    QCOMPARE(HelpWindow::existing()->currentTopic(), 0);
    const QString html = HelpWindow::existing()->currentHtml();
    QVERIFY(html.contains(QStringLiteral("Корекция плащане")));
    QVERIFY(html.contains(QStringLiteral("Ревизия")));
    // A topic the file lacks is reported.
    QVERIFY(!HelpWindow::showTopic(w.helpFile(), 999));
    QCOMPARE(capture.shown.size(), 1);
    QVERIFY(capture.lastText().contains(QStringLiteral("999")));
    HelpWindow::existing()->close();
}

void TestFrmMain::webPageCommandReportsFailure()
{
    TestDb db;
    MessageCapture capture;
    FrmMain w;
    QVERIFY(w.load());
    w.runCommand(QStringLiteral("mnuHelpWeb"));
    QCOMPARE(s_opened, QList<QUrl>{makerWebPage()});
    QVERIFY(capture.shown.isEmpty());
    s_openerResult = false;
    w.runCommand(QStringLiteral("mnuHelpWeb"));
    QCOMPARE(capture.shown.size(), 1);
    QVERIFY(capture.lastText().contains(makerWebPage().toString()));

    // The real opener: xdg-open, which says by its exit code whether a browser
    // took the page, and may say it only after the command has returned.
    capture.clear();
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH");
    const auto restore = qScopeGuard([&path] {
        qputenv("PATH", path);
        setUrlOpener(&fakeOpener);
    });
    qputenv("PATH", bin.path().toLocal8Bit());
    setUrlOpener(nullptr);
    const QString asked = bin.filePath(QStringLiteral("asked"));
    const auto xdgOpen = [&](int exitCode) {
        QFile f(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QStringLiteral("#!/bin/sh\necho \"$1\" >> '%1'\nexit %2\n").arg(asked).arg(exitCode).toLocal8Bit());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(asked);
    };
    xdgOpen(0); // a browser took it
    w.runCommand(QStringLiteral("mnuHelpWeb"));
    QTRY_VERIFY(QFile::exists(asked));
    QTest::qWait(300);
    QVERIFY2(capture.shown.isEmpty(), qPrintable(capture.lastText()));
    xdgOpen(3); // no browser found
    w.runCommand(QStringLiteral("mnuHelpWeb"));
    QTRY_COMPARE(capture.shown.size(), 1);
    QCOMPARE(capture.shown[0].kind, ShownMessage::Info);
    QCOMPARE(capture.lastCaption(), QStringLiteral("ГРЕШКА - Интернет-страница"));
    QVERIFY(capture.lastText().contains(makerWebPage().toString()));
    QFile f(asked);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()).trimmed(), makerWebPage().toString());
}

void TestFrmMain::helpWindowFitsTheScreenItOpensOn()
{
    if (QGuiApplication::screens().size() < 2)
        QSKIP("needs the offscreen platform's second screen");
    const QRect small = QGuiApplication::screens().at(1)->availableGeometry();
    TestDb db;
    MessageCapture capture;
    QVERIFY(QFile::copy(QFINDTESTDATA("../../data/Kelm.hlp"), db.folder() + "/Kelm.hlp"));
    FrmMain w;
    QVERIFY(w.load());
    w.setGeometry(small.left() + 200, small.top() + 150, 260, 180);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.runCommand(QStringLiteral("mnuHelpContents"));
    HelpWindow *help = HelpWindow::existing();
    QVERIFY(help && help->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(help));
    lookAt(help->grab(), "helpwindow-small-screen.png");
    QVERIFY2(small.contains(help->frameGeometry()),
             qPrintable(QStringLiteral("help at %1,%2 %3x%4")
                            .arg(help->frameGeometry().x())
                            .arg(help->frameGeometry().y())
                            .arg(help->frameGeometry().width())
                            .arg(help->frameGeometry().height())));
    QVERIFY(capture.shown.isEmpty());
    help->close();
    w.close();
}

// Settings from another screen, or no usable numbers, never put the window off
// the screens or make it larger than its screen.
void TestFrmMain::windowOpensWhollyOnAScreenFromOddSettings()
{
    if (QGuiApplication::screens().size() < 2)
        QSKIP("needs the offscreen platform's second screen");
    TestDb db;
    struct Case {
        const char *left, *top, *width, *height;
        int screen;   // the screen it opens on
        QSize size;   // 0: as large as the screen allows
    };
    const Case cases[] = {
        {"30000", "1000", "999999999", "6500", 0, {0, 0}},       // beyond every screen, wider than any
        {"15750", "0", "6500", "9000", 1, {433, 0}},             // on the small screen, taller than it
        {"-90000", "-90000", "-3000", "nan", 0, {433, 433}},     // nothing usable: the defaults
        {"1e40", "1000", "0", "99999999999999999999", 0, {433, 0}},
    };
    for (const Case &c : cases) {
        store("MainLeft", QString::fromLatin1(c.left));
        store("MainTop", QString::fromLatin1(c.top));
        store("MainWidth", QString::fromLatin1(c.width));
        store("MainHeight", QString::fromLatin1(c.height));
        FrmMain w;
        QVERIFY(w.load());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect room = QGuiApplication::screens().at(c.screen)->availableGeometry();
        const QString at = QStringLiteral("%1: %2,%3 %4x%5")
                               .arg(QLatin1String(c.left))
                               .arg(w.frameGeometry().x())
                               .arg(w.frameGeometry().y())
                               .arg(w.frameGeometry().width())
                               .arg(w.frameGeometry().height());
        QVERIFY2(room.contains(w.frameGeometry()), qPrintable(at));
        if (c.size.width())
            QCOMPARE(w.width(), c.size.width());
        if (c.size.height())
            QCOMPARE(w.height(), c.size.height());
        w.close();
    }
}

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
