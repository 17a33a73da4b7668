#include "shell/frmmain.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/messages.h"
#include "platform/placement.h"
#include "scratch/temptable.h"
#include "shell/application.h"
#include "shell/archive.h"
#include "shell/commands.h"
#include "shell/companydata.h"
#include "shell/frmabout.h"
#include "shell/frmsplash.h"
#include "shell/helpwindow.h"
#include "shell/startup.h"
#include "shell/targets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace kelm {

namespace {

constexpr int kTwipsPerPixel = 15;
const char *const kTopicProperty = "helpTopic";

// Panel 1 of the status bar: it takes the width the other panels leave. A text
// longer than that ends in "…" and is shown whole in the panel's tooltip; text()
// keeps the whole text.
class StatusPanel : public QLabel {
public:
    using QLabel::QLabel;
    void setPanelText(const QString &text)
    {
        setText(text);
        updateTip();
    }

protected:
    void resizeEvent(QResizeEvent *e) override
    {
        QLabel::resizeEvent(e);
        updateTip();
    }
    void paintEvent(QPaintEvent *e) override
    {
        QFrame::paintEvent(e);
        QPainter p(this);
        p.setPen(palette().color(foregroundRole()));
        const QRect r = contentsRect();
        p.drawText(r, int(alignment()), fontMetrics().elidedText(text(), Qt::ElideRight, r.width()));
    }

private:
    bool fits() const { return fontMetrics().horizontalAdvance(text()) <= contentsRect().width(); }
    void updateTip() { setToolTip(fits() ? QString() : text()); }
};

// Panel 1 of the status bar for setStatusText().
void statusSink(const QString &text)
{
    if (gMain)
        gMain->setPanelText(1, text);
}

// Commands without a search dialog that open a screen: panel 1 text, mode word,
// screen.
struct ScreenCommand {
    const char *control;
    const char *panelText;
    const char *seekMode;
    const char *skladMode;
    const char *target;
};

const ScreenCommand kScreenCommands[] = {
    {"mnuDataNew", "Въвеждане на нов курс", "NewKurs", nullptr, "Kurs"},
    {"mnuDataShof", "Корекция / нови данни за шофьор", nullptr, nullptr, "Driver"},
    {"mnuDataPList", "Въвеждане на данните от пътните листи", nullptr, nullptr, "RowdList"},
    {"mnuDataNewInside", nullptr, nullptr, nullptr, "InsideKurs"},
    {"mnuDataDAI", nullptr, nullptr, nullptr, "DAI"},
    {"mnuSpOption", "Разход на гориво за 100 км", nullptr, nullptr, "Options"},
    {"mnuSpAdmin", nullptr, nullptr, nullptr, "PassWord"},
    {"mnuSklPrih", nullptr, nullptr, "P", "Sklad"},
    {"mnuSklRaz", nullptr, nullptr, "R", "Sklad_R"},
};

QString settingText(QSettings &s, const char *key, const QString &def)
{
    const QVariant v = s.value(QLatin1String(key));
    return v.isValid() ? v.toString() : def;
}

// A stored number in twips turned into pixels. A value that is not a finite
// number, and a size below one pixel, count as missing: the default stands.
int settingPixels(QSettings &s, const char *key, int defTwips, bool isSize)
{
    bool ok = false;
    const float twips = settingText(s, key, QString()).trimmed().toFloat(&ok);
    double pixels = double(twips) / kTwipsPerPixel;
    if (!ok || !std::isfinite(pixels) || (isSize && pixels < 1))
        pixels = double(defTwips) / kTwipsPerPixel;
    // Far beyond any screen either way; the placement brings it onto one.
    return qRound(std::clamp(pixels, -1e6, 1e6));
}

bool settingBool(QSettings &s, const char *key)
{
    const QString v = settingText(s, key, QStringLiteral("True")).trimmed();
    return v.compare(QLatin1String("False"), Qt::CaseInsensitive) != 0 && v != QLatin1String("0");
}

QString boolText(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

FrmMain::FrmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(QIcon(programPicture(64)));
    // The bars are switched only through Служебна, whose check marks must agree.
    setContextMenuPolicy(Qt::PreventContextMenu);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    gMain = this;
    setStatusSink(&statusSink);
    qApp->installEventFilter(this);
    // The title follows the company data wherever it is changed or reloaded, and a
    // restore first closes the screens that still hold the old database; one in
    // the middle of a record stops it.
    setCompanyChangedHandler([this] { setWindowTitle(mainWindowTitle()); });
    setBeforeRestoreHandler([this] { return unloadOtherWindows(); });
}

FrmMain::~FrmMain()
{
    qApp->removeEventFilter(this);
    if (gMain == this) {
        gMain = nullptr;
        setStatusSink(nullptr);
        setCompanyChangedHandler(nullptr);
        setBeforeRestoreHandler(nullptr);
    }
}

// ---------------------------------------------------------------- menu tree

QMenu *FrmMain::addMenu(const QString &caption, const QString &control, int topic)
{
    QMenu *menu = menuBar()->addMenu(caption);
    menu->setObjectName(control);
    QAction *a = menu->menuAction();
    a->setObjectName(control);
    a->setProperty(kTopicProperty, topic);
    m_actions.insert(control, a);
    m_order.append(a);
    return menu;
}

QAction *FrmMain::addItem(QMenu *menu, const QString &caption, const QString &control,
                          const QString &shortcut, int topic)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(control);
    a->setProperty(kTopicProperty, topic);
    if (!shortcut.isEmpty())
        a->setShortcut(QKeySequence(shortcut));
    connect(a, &QAction::triggered, this, [this, a, control] {
        // Qt has already flipped a check mark; the bar toggles flip it themselves.
        if (a->isCheckable())
            a->setChecked(!a->isChecked());
        runCommand(control);
    });
    m_actions.insert(control, a);
    m_order.append(a);
    return a;
}

QAction *FrmMain::addSeparator(QMenu *menu, const QString &control)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(control);
    a->setProperty(kTopicProperty, -1);
    m_actions.insert(control, a);
    m_order.append(a);
    return a;
}

void FrmMain::buildMenus()
{
    QMenu *m = addMenu(QStringLiteral("Справки"), QStringLiteral("mnuSpr"), 100);
    addItem(m, QStringLiteral("Курсове на кола"), QStringLiteral("mnuSprKola"), {}, 5);
    addItem(m, QStringLiteral("Всички курсове"), QStringLiteral("mnuSprPer"), {}, 6);
    addSeparator(m, QStringLiteral("mnuBar001"));
    addItem(m, QStringLiteral("Курсове на клиент"), QStringLiteral("mnuSprKlient"), {}, 7);
    addItem(m, QStringLiteral("Курсове от шофьор"), QStringLiteral("mnuSprShof"), {}, 8);
    addSeparator(m, QStringLiteral("mnuBar002"));
    addItem(m, QStringLiteral("Клиент за факруриране"), QStringLiteral("mnuSprKlientSakr"), {}, 9);
    addSeparator(m, QStringLiteral("mnuBar003"));
    addItem(m, QStringLiteral("Баланс на колите"), QStringLiteral("mnuSprBalanc"), {}, 10);
    addItem(m, QStringLiteral("Разход нафта"), QStringLiteral("mnuSprPreRazh"), {}, 11);
    addSeparator(m, QStringLiteral("mnuBar006"));
    addItem(m, QStringLiteral("Пътни листи"), QStringLiteral("mnuSprRowdList"), {}, 12);
    addSeparator(m, QStringLiteral("mnuBar005"));
    addItem(m, QStringLiteral("Изход"), QStringLiteral("mnuFileExit"), QStringLiteral("Ctrl+Z"), -1);

    m = addMenu(QStringLiteral("Данни"), QStringLiteral("mnuData"), 101);
    addItem(m, QStringLiteral("Нов курс"), QStringLiteral("mnuDataNew"), QStringLiteral("Ctrl+N"), 13);
    addItem(m, QStringLiteral("Шофьори"), QStringLiteral("mnuDataShof"), QStringLiteral("Ctrl+D"), 14);
    addItem(m, QStringLiteral("Пътни листи"), QStringLiteral("mnuDataPList"), QStringLiteral("Ctrl+L"), 15);
    addItem(m, QStringLiteral("Фактуриране"), QStringLiteral("mnuDataFakt"), QStringLiteral("Ctrl+F"), 16);
    addSeparator(m, QStringLiteral("mnuDataBar3"));
    addItem(m, QStringLiteral("Международни курсове"), QStringLiteral("mnuDataNewInside"), {}, -1);
    addSeparator(m, QStringLiteral("mnuDataBar1"));
    addItem(m, QStringLiteral("Корекция на курс"), QStringLiteral("mnuDataKyrc"), {}, 17);
    addItem(m, QStringLiteral("Корекция КМ"), QStringLiteral("mnuDataKorКм"), {}, 18);
    addItem(m, QStringLiteral("Корекция плащане"), QStringLiteral("mnuDataKorPl"), {}, 36);
    addItem(m, QStringLiteral("Корекция фактури"), QStringLiteral("mnuDataEditFakt"), {}, 19);
    addSeparator(m, QStringLiteral("mnuDataBar0"));
    addItem(m, QStringLiteral("Заплати"), QStringLiteral("mnuSlgZapl"), {}, 20);
    addSeparator(m, QStringLiteral("mnuDataBar2"));
    addItem(m, QStringLiteral("ДАИ"), QStringLiteral("mnuDataDAI"), {}, -1);

    m = addMenu(QStringLiteral("Дискети"), QStringLiteral("mnuDisk"), 102);
    addItem(m, QStringLiteral("Записване"), QStringLiteral("mnuDiskZap"), QStringLiteral("Ctrl+S"), 21);
    addItem(m, QStringLiteral("Зареждане"), QStringLiteral("mnuDiskZar"), QStringLiteral("Ctrl+O"), 22);
    addSeparator(m, QStringLiteral("mnuDiskBar1"));
    addItem(m, QStringLiteral("Нова година"), QStringLiteral("mnuNewPer"), {}, 23);

    m = addMenu(QStringLiteral("Служебна"), QStringLiteral("mnuView"), 103);
    QAction *a = addItem(m, QStringLiteral("Бутони"), QStringLiteral("mnuViewToolbar"), {}, 24);
    a->setCheckable(true);
    a->setChecked(true);
    a = addItem(m, QStringLiteral("Статус поле"), QStringLiteral("mnuViewStatusBar"), {}, 25);
    a->setCheckable(true);
    a->setChecked(true);
    addSeparator(m, QStringLiteral("mnuSpBar0"));
    addItem(m, QStringLiteral("Настройки"), QStringLiteral("mnuSpOption"), {}, 26);
    addSeparator(m, QStringLiteral("mnuSpBar1"));
    addItem(m, QStringLiteral("Пароли"), QStringLiteral("mnuSpAdmin"), {}, -1);

    m = addMenu(QStringLiteral("Склад"), QStringLiteral("mnuSklad"), 104);
    addItem(m, QStringLiteral("Приход"), QStringLiteral("mnuSklPrih"), {}, 27);
    addItem(m, QStringLiteral("Разход"), QStringLiteral("mnuSklRaz"), {}, 28);
    addSeparator(m, QStringLiteral("mnuSepBar0"));
    addItem(m, QStringLiteral("Справка приходи"), QStringLiteral("mnuSprPrihod"), {}, 29);
    addItem(m, QStringLiteral("Справка разходи"), QStringLiteral("mnuSprRazhod"), {}, 30);
    addItem(m, QStringLiteral("Справка баланс"), QStringLiteral("mnuSprBalans"), {}, -1);
    addSeparator(m, QStringLiteral("mnuSepBar1"));
    addItem(m, QStringLiteral("Наличност"), QStringLiteral("mnuNal"), {}, 31);
    addSeparator(m, QStringLiteral("mnuSepBar2"));
    addItem(m, QStringLiteral("Ревизия"), QStringLiteral("mnuPrihPer"), {}, 32);

    m = addMenu(QStringLiteral("Помощ"), QStringLiteral("mnuHelp"), 105);
    addItem(m, QStringLiteral("Съдържание"), QStringLiteral("mnuHelpContents"), {}, 33);
    addSeparator(m, QStringLiteral("mnuHelpBar1"));
    addItem(m, QStringLiteral("Инициализация"), QStringLiteral("mnuHelpPerson"), {}, -1);
    addSeparator(m, QStringLiteral("mnuHelpBar0"));
    addItem(m, QStringLiteral("Интернет-страница"), QStringLiteral("mnuHelpWeb"), {}, -1);
    addSeparator(m, QStringLiteral("mnuHelpBar2"));
    addItem(m, QStringLiteral("За програмата..."), QStringLiteral("mnuHelpAbout"), {}, 35);
}

void FrmMain::buildToolBar()
{
    tbToolBar = new QToolBar(this);
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, tbToolBar);

    struct Button {
        const char *key;
        const char *tip;
        const char *control;
        QStyle::StandardPixmap icon;
    };
    const Button buttons[] = {
        {"Kola", "Справка за кола", "mnuSprKola", QStyle::SP_FileDialogContentsView},
        {"Per", "Справка за период", "mnuSprPer", QStyle::SP_FileDialogDetailedView},
        {"SprList", "Справка пътни листи", "mnuSprRowdList", QStyle::SP_FileDialogListView},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
        {"Kl", "Справка за клиент", "mnuSprKlientSakr", QStyle::SP_FileDialogInfoView},
        {"SprSh", "Справка за шофьор", "mnuSprShof", QStyle::SP_DirHomeIcon},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
        {"NewKurs", "Нов курс", "mnuDataNew", QStyle::SP_FileIcon},
        {"NewShof", "Шофьор - нов/корекция ", "mnuDataShof", QStyle::SP_DirOpenIcon},
        {"NewL", "Пътен лист - нов/корекция ", "mnuDataPList", QStyle::SP_FileDialogNewFolder},
        {"NewF", "Фактура - нова/корекция ", "mnuDataFakt", QStyle::SP_DialogApplyButton},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
        {"KM", "Корекция КМ", "mnuDataKorКм", QStyle::SP_BrowserReload},
        {"PL", "Корекция плащане", "mnuDataKorPl", QStyle::SP_DialogYesButton},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
        {"Save", "Запис на дискета", "mnuDiskZap", QStyle::SP_DialogSaveButton},
        {"Open", "Зареждане от дискета", "mnuDiskZar", QStyle::SP_DialogOpenButton},
    };
    for (const Button &b : buttons) {
        if (!b.key) {
            tbToolBar->addSeparator();
            continue;
        }
        const QString key = QString::fromUtf8(b.key);
        QAction *a = tbToolBar->addAction(style()->standardIcon(b.icon), QString::fromUtf8(b.tip));
        a->setObjectName(key);
        a->setToolTip(QString::fromUtf8(b.tip));
        m_buttons.insert(key, QString::fromUtf8(b.control));
        connect(a, &QAction::triggered, this, [this, key] { buttonClick(key); });
    }
}

void FrmMain::buildStatusBar()
{
    sbStatusBar = new QStatusBar(this);
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    sbStatusBar->setSizeGripEnabled(true);
    setStatusBar(sbStatusBar);
    const char *texts[] = {"Готов за работа", "F1-Помощ", "", ""};
    for (int i = 0; i < 4; ++i) {
        auto *l = i == 0 ? new StatusPanel(QString::fromUtf8(texts[i]), sbStatusBar)
                         : new QLabel(QString::fromUtf8(texts[i]), sbStatusBar);
        l->setObjectName(QStringLiteral("sbPanel%1").arg(i + 1));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setContentsMargins(4, 0, 4, 0);
        if (i == 0) {
            l->setMinimumWidth(20);
            sbStatusBar->addWidget(l, 1);
        } else {
            l->setAlignment(Qt::AlignCenter);
            // Wide enough for the longest weekday, a whole date and the time, with
            // room to spare inside the sunken frame, and no wider: panel 1 takes the rest.
            const char *widest[] = {"", "Четвъртък", "00.00.0000", "00:00"};
            const int text = l->fontMetrics().horizontalAdvance(QString::fromUtf8(widest[i]));
            l->setMinimumWidth(text + 2 * l->frameWidth() + 16);
            sbStatusBar->addPermanentWidget(l);
        }
        m_panels[i] = l;
    }
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &FrmMain::updateClock);
    m_clock->start();
    updateClock();
}

void FrmMain::updateClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_panels[2]->setText(now.date().toString(QStringLiteral("dd.MM.yyyy")));
    m_panels[3]->setText(now.time().toString(QStringLiteral("HH:mm")));
}

// ---------------------------------------------------------------- access

QString FrmMain::panelText(int panel) const
{
    return panel >= 1 && panel <= 4 ? m_panels[panel - 1]->text() : QString();
}

void FrmMain::setPanelText(int panel, const QString &text)
{
    if (panel < 1 || panel > 4)
        return;
    if (panel == 1)
        static_cast<StatusPanel *>(m_panels[0])->setPanelText(text);
    else
        m_panels[panel - 1]->setText(text);
    // A status text written in the middle of a long command shows at once.
    if (panel == 1 && isVisible())
        m_panels[0]->repaint();
}

QAction *FrmMain::menuAction(const QString &controlName) const
{
    return m_actions.value(controlName, nullptr);
}

QList<QAction *> FrmMain::menuActions() const
{
    return m_order;
}

int FrmMain::helpTopic(const QString &controlName) const
{
    QAction *a = menuAction(controlName);
    return a ? a->property(kTopicProperty).toInt() : -1;
}

QString FrmMain::weekdayName(const QDate &date)
{
    static const char *const names[] = {"Понеделник", "Вторник", "Сряда", "Четвъртък",
                                        "Петък", "Събота", "Неделя"};
    const int d = date.dayOfWeek();
    return d >= 1 && d <= 7 ? QString::fromUtf8(names[d - 1]) : QString();
}

// ---------------------------------------------------------------- load, activate, unload

bool FrmMain::load()
{
    loadSettings();
    if (!LoadCompanyData())
        return false;
    applyUserKind();
    return true;
}

void FrmMain::loadSettings()
{
    QSettings s(QStringLiteral("Kelm"), QStringLiteral("Kelm"));
    s.beginGroup(QStringLiteral("Settings"));
    const QRect stored(settingPixels(s, "MainLeft", 1000, false), settingPixels(s, "MainTop", 1000, false),
                       settingPixels(s, "MainWidth", 6500, true), settingPixels(s, "MainHeight", 6500, true));
    // Settings written on another screen (a larger one, or one beside this) open
    // the window wholly on a screen here, no larger than it. The window
    // manager's frame is not known before the window shows: it is taken to be a
    // title bar and a thin border.
    QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                   frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    if (frame.isNull()) {
        const int border = 4;
        frame = QMargins(border, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + border, border,
                         border);
    }
    const QRect place = placeOnScreen(stored, QPoint(1000, 1000) / kTwipsPerPixel, frame);
    move(place.topLeft());
    resize(place.size());
    tbToolBar->setVisible(settingBool(s, "MainToolBar"));
    sbStatusBar->setVisible(settingBool(s, "MainStatBar"));
    menuAction(QStringLiteral("mnuViewToolbar"))->setChecked(!tbToolBar->isHidden());
    menuAction(QStringLiteral("mnuViewStatusBar"))->setChecked(!sbStatusBar->isHidden());
}

void FrmMain::saveSettings()
{
    QSettings s(QStringLiteral("Kelm"), QStringLiteral("Kelm"));
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(QStringLiteral("MainLeft"), QString::number(x() * kTwipsPerPixel));
    s.setValue(QStringLiteral("MainTop"), QString::number(y() * kTwipsPerPixel));
    s.setValue(QStringLiteral("MainWidth"), QString::number(width() * kTwipsPerPixel));
    s.setValue(QStringLiteral("MainHeight"), QString::number(height() * kTwipsPerPixel));
    s.setValue(QStringLiteral("MainToolBar"), boolText(!tbToolBar->isHidden()));
    s.setValue(QStringLiteral("MainStatBar"), boolText(!sbStatusBar->isHidden()));
    s.sync();
}

void FrmMain::applyUserKind()
{
    const bool full = gUserVid == QLatin1String("A") || gUserVid == QLatin1String("B");
    // Replacing the data and closing the year go with the service commands: a
    // hidden item's shortcut is off as well, and the toolbar's open button goes
    // with its item (the commands themselves refuse other users too).
    for (const char *c : {"mnuView", "mnuBar003", "mnuSprBalanc", "mnuSprPreRazh", "mnuHelpPerson",
                          "mnuDiskZar", "mnuDiskBar1", "mnuNewPer"}) {
        menuAction(QString::fromLatin1(c))->setVisible(full);
        menuAction(QString::fromLatin1(c))->setEnabled(full);
    }
    if (QAction *open = tbToolBar->findChild<QAction *>(QStringLiteral("Open"), Qt::FindDirectChildrenOnly)) {
        open->setVisible(full);
        open->setEnabled(full);
    }
}

void FrmMain::formActivate()
{
    setPanelText(2, weekdayName(QDate::currentDate()));
    m_helpFile = programFolder() + QStringLiteral("/Kelm.hlp");
    menuAction(QStringLiteral("mnuViewToolbar"))->setChecked(!tbToolBar->isHidden());
    menuAction(QStringLiteral("mnuViewStatusBar"))->setChecked(!sbStatusBar->isHidden());
}

bool FrmMain::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        formActivate();
    return QMainWindow::event(e);
}

void FrmMain::closeEvent(QCloseEvent *e)
{
    if (m_unloaded) {
        e->accept();
        return;
    }
    // The other windows close first, so that none of them still holds the scratch
    // database (client statement, car balance, revision) when it is removed; it
    // lives only as long as the main window. A screen in the middle of a record
    // refuses, as its own close does: then the program goes on as it was, with
    // that screen in front, rather than dropping the record or running on
    // without a main window.
    if (!unloadOtherWindows()) {
        e->ignore();
        return;
    }
    m_unloaded = true;
    releaseScratchDatabase();
    if (!isMinimized())
        saveSettings();
    e->accept();
    emit unloaded();
}

bool FrmMain::unloadOtherWindows()
{
    QList<QWidget *> order;
    for (int i = m_shown.size() - 1; i >= 0; --i) {
        QWidget *w = m_shown.at(i).data();
        if (w && w != this && w->isVisible() && !order.contains(w))
            order.append(w);
    }
    // Windows shown before this window existed count as the oldest.
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w != this && w->isVisible() && !order.contains(w) && w->windowType() != Qt::Popup
            && w->windowType() != Qt::ToolTip)
            order.append(w);
    }
    for (QWidget *w : order) {
        QPointer<QWidget> guard(w);
        if (guard && !guard->close() && guard && guard->isVisible()) {
            // The user sees which screen holds unwritten work.
            guard->raise();
            guard->activateWindow();
            return false;
        }
    }
    return true;
}

bool FrmMain::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::Show && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        if (w->isWindow() && w != this && w->windowType() != Qt::Popup
            && w->windowType() != Qt::ToolTip) {
            m_shown.removeAll(QPointer<QWidget>(w));
            m_shown.removeAll(QPointer<QWidget>());
            m_shown.append(w);
        }
    } else if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_F1) {
        auto *menu = qobject_cast<QMenu *>(watched);
        if (menu && m_order.contains(menu->menuAction())) {
            showHelpFor(menu->activeAction(), menu);
            return true;
        }
        if (watched == menuBar() && menuBar()->activeAction()) {
            showHelpFor(menuBar()->activeAction(), nullptr);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void FrmMain::showHelpFor(QAction *action, QMenu *menu)
{
    int topic = action ? action->property(kTopicProperty).toInt() : -1;
    // An item without a topic of its own gets its menu's.
    if (topic < 0 && menu)
        topic = menu->menuAction()->property(kTopicProperty).toInt();
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    if (m_helpFile.isEmpty())
        m_helpFile = programFolder() + QStringLiteral("/Kelm.hlp");
    HelpWindow::showTopic(m_helpFile, topic < 0 ? 0 : topic);
}

void FrmMain::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        showHelpFor(nullptr, nullptr);
        return;
    }
    QMainWindow::keyPressEvent(e);
}

// ---------------------------------------------------------------- commands

void FrmMain::buttonClick(const QString &key)
{
    const QString control = m_buttons.value(key);
    if (!control.isEmpty())
        runCommand(control);
}

void FrmMain::runCommand(const QString &controlName)
{
    QAction *a = menuAction(controlName);
    const QString caption = QStringLiteral("ГРЕШКА - ") + (a ? a->text() : controlName);
    runGuarded(caption, [this, &controlName] {
        if (runSearchCommand(controlName))
            return;
        runOwnCommand(controlName);
    });
}

void FrmMain::runOwnCommand(const QString &control)
{
    for (const ScreenCommand &c : kScreenCommands) {
        if (control != QString::fromUtf8(c.control))
            continue;
        if (c.panelText)
            setStatusText(QString::fromUtf8(c.panelText));
        if (c.seekMode)
            gSeekMode = QString::fromUtf8(c.seekMode);
        if (c.skladMode)
            gSkladMode = QString::fromUtf8(c.skladMode);
        runTarget(QString::fromUtf8(c.target));
        return;
    }
    for (const OwnCommand &c : ownCommands())
        if (control == QLatin1String(c.control)) {
            c.run(this);
            return;
        }
    // mnuSprBalans (Справка баланс) has no command.
}

const std::vector<FrmMain::OwnCommand> &FrmMain::ownCommands()
{
    static const std::vector<OwnCommand> all = {
        {"mnuDiskZap", [](FrmMain *w) { mnuDiskZap(w); }},
        {"mnuDiskZar", [](FrmMain *w) { mnuDiskZar(w); }},
        {"mnuNewPer", [](FrmMain *w) { mnuNewPer(w); }},
        {"mnuHelpPerson", [](FrmMain *w) { showPersonal(w); }},
        {"mnuHelpAbout", [](FrmMain *w) { FrmAbout::showAbout(w); }},
        {"mnuHelpContents",
         [](FrmMain *w) {
             if (w->m_helpFile.isEmpty())
                 w->m_helpFile = programFolder() + QStringLiteral("/Kelm.hlp");
             HelpWindow::showContents(w->m_helpFile);
         }},
        {"mnuHelpWeb",
         [](FrmMain *w) {
             // Reported as a failed command is, also when it is known only later.
             const QString caption = QStringLiteral("ГРЕШКА - ") + w->menuAction(QStringLiteral("mnuHelpWeb"))->text();
             openMakerWebPage([caption](const QString &why) { DiaInf::show(caption, why); });
         }},
        {"mnuViewToolbar", [](FrmMain *w) { w->toggleBar(w->menuAction(QStringLiteral("mnuViewToolbar")), w->tbToolBar); }},
        {"mnuViewStatusBar",
         [](FrmMain *w) { w->toggleBar(w->menuAction(QStringLiteral("mnuViewStatusBar")), w->sbStatusBar); }},
        {"mnuFileExit", [](FrmMain *w) { w->close(); }},
    };
    return all;
}

QString FrmMain::screenCommandTarget(const QString &control)
{
    for (const ScreenCommand &c : kScreenCommands)
        if (control == QString::fromUtf8(c.control))
            return QString::fromUtf8(c.target);
    return QString();
}

bool FrmMain::isOwnCommand(const QString &control)
{
    for (const OwnCommand &c : ownCommands())
        if (control == QLatin1String(c.control))
            return true;
    return false;
}

void FrmMain::toggleBar(QAction *item, QWidget *bar)
{
    item->setChecked(!item->isChecked());
    bar->setVisible(item->isChecked());
}

} // namespace kelm
