#pragma once
#include <vector>
// The main window: menu bar, toolbar, status bar and window settings. Every
// command of the program starts here.

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;

namespace kelm {

class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(QWidget *parent = nullptr);
    ~FrmMain() override;

    // Form_Load: placement and bars from the settings, the company data, the
    // menus for the signed-in user's kind. False when the company data could not
    // be loaded (the message has been shown; the program ends).
    bool load();

    // Runs the command of a menu control ("mnuSprKola", "mnuDataNew", ...)
    // exactly as choosing the menu item does. A failure is reported, never thrown.
    void runCommand(const QString &controlName);
    // tbToolBar_ButtonClick: the command of a toolbar key ("Kola", "NewKurs", ...);
    // a key the toolbar does not have does nothing.
    void buttonClick(const QString &key);
    // The menu control a toolbar key stands for ("" for none).
    QString buttonControl(const QString &key) const { return m_buttons.value(key); }

    // Status bar panels, numbered from 1.
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);

    // The menu item, separator or menu of a control name; nullptr when unknown.
    QAction *menuAction(const QString &controlName) const;
    // Every control of the menu tree in menu order (menus, items, separators).
    QList<QAction *> menuActions() const;

    // Help topic of a control, -1 for none.
    int helpTopic(const QString &controlName) const;
    // The help file registered on activation.
    QString helpFile() const { return m_helpFile; }

    // "Неделя", "Понеделник", ... for a date.
    static QString weekdayName(const class QDate &date);
    // The screen or report a command without a search dialog opens ("" if none),
    // and whether a control is one of the window's own commands (archive, help,
    // bars, exit).
    static QString screenCommandTarget(const QString &control);
    static bool isOwnCommand(const QString &control);

    QToolBar *tbToolBar;
    QStatusBar *sbStatusBar;

public Q_SLOTS:
    // Form_Activate: weekday in panel 2, help file, check marks of the bars.
    void formActivate();

Q_SIGNALS:
    // The window has been unloaded; the program ends.
    void unloaded();

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    QMenu *addMenu(const QString &caption, const QString &control, int topic);
    QAction *addItem(QMenu *menu, const QString &caption, const QString &control,
                     const QString &shortcut, int topic);
    QAction *addSeparator(QMenu *menu, const QString &control);
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void loadSettings();
    void saveSettings();
    void applyUserKind();
    void runOwnCommand(const QString &control);
    struct OwnCommand {
        const char *control;
        void (*run)(FrmMain *w);
    };
    static const std::vector<OwnCommand> &ownCommands();
    void toggleBar(QAction *item, QWidget *bar);
    // Closes every other window, the most recent first. One that refuses (a
    // screen in the middle of a record) is brought forward, the older ones stay
    // open, and the answer is false.
    bool unloadOtherWindows();
    void showHelpFor(QAction *action, QMenu *menu);
    void updateClock();

    QHash<QString, QAction *> m_actions;
    QList<QAction *> m_order;
    QHash<QString, QString> m_buttons; // toolbar key -> menu control
    QLabel *m_panels[4] = {};
    QTimer *m_clock = nullptr;
    QString m_helpFile;
    // Top-level windows of the program in the order they were shown, for unloading
    // the most recent first.
    QList<QPointer<QWidget>> m_shown;
    bool m_unloaded = false;
};

} // namespace kelm
