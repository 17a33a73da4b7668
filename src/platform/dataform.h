#pragma once
// DataForm: the one shape of every record screen that shows the rows of one
// recordset one at a time. A screen owns one DataForm per recordset it browses
// and configures it; the DataForm owns the command buttons, the move buttons and
// the status line, the two flags (editing, adding), the remembered position, the
// keys, SetButtons, the delete questions, the beeps and the error messages.
//
// How a screen uses it
//
//   // in the screen's constructor, after its field boxes exist:
//   kelm::DataForm::Config cfg;
//   cfg.statusText = "Запис №: ";  cfg.addText = "Нов запис";  cfg.editText = "Корекция";
//   cfg.deletes = kelm::DataForm::Delete::TwoQuestions;
//   cfg.errors = kelm::DataForm::Errors::InfoBox;   // DiaInf, caption per command
//   cfg.fieldClick = kelm::DataForm::FieldClick::SelectsText;
//   m_form = new kelm::DataForm(this, "", m_conn, m_rs,
//                               {{txtKod, "kod"}, {txtIme, "ime"}}, cfg);
//   m_form->hooks.validate = [this] { return checkFields(); };   // optional hooks
//   layout->addWidget(m_form->buttonsPanel());   // picButtons<suffix>
//   layout->addWidget(m_form->statusPanel());    // picStatBox<suffix>
//
//   // in the function that opens the screen:
//   Screen w(parent);
//   if (!w.load())        // m_conn.open(gConnStr) + m_form->open(sql): false after
//       return;           //   the error was reported; the screen is not shown
//   w.exec();
//
// Control names: every control the DataForm makes carries the suffix after its
// design name (cmdAdd1, lblStatus1, picButtons1 for the suffix "1"), so several
// DataForms can live on one form. A button, label or panel that already exists
// on the screen under that name (a QAbstractButton, QLabel, QWidget child) is
// taken instead of made; made
// buttons sit in picButtons<suffix> (cmdAdd, cmdEdit, cmdUpdate, cmdDelete,
// cmdCancel, cmdRefresh, cmdClose) and picStatBox<suffix> (cmdFirst,
// cmdPrevious, lblStatus, cmdNext, cmdLast).
//
// The bound boxes (QLineEdit, QPlainTextEdit, QComboBox, QCheckBox, or any
// widget with hooks of its own) show the current record. While browsing they take
// no typed change (line edits are read-only, other boxes swallow their input);
// with FieldClick::StartsEditing a click or a typed character starts editing
// first, as "Поправи" does. The recordset is written only by "Запиши": the boxes
// are copied into the current row, the row alone is written, in one transaction
// together with whatever hooks.writeExtra writes. A failed save (a hook that
// refuses, or a database error) stays in editing with the typed values; but a
// save or delete that finds its row changed or deleted by another user since it
// was read (the recordset's check) drops the change and goes back to browsing on
// the row as stored now, or past the row gone, told once.
//
// Delete::TwoQuestions asks both questions with "Отказ" as the default answer,
// so Enter keeps the record. After a save or a cancel the focus is on "Добави"
// (else "Поправи", else "Затвори"), never on "Изтрий".
//
// Keys (Config::keyNavigation, only one DataForm per screen should have them):
// an application event filter sees a key for any widget of the screen before the
// widget does and lets it go on (Home and End still move a box's caret); only
// while browsing: Esc closes, Home/End first/last, Up/PgUp previous (with Ctrl
// first), Down/PgDn next (with Ctrl last); Ctrl counts only as the sole modifier.
// While editing Esc is swallowed so that it does not close the dialog.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

class QAbstractButton;
class QEvent;
class QLabel;
class QWidget;

namespace kelm {

class Connection;
class DbError;
class Recordset;

// One field box bound to one column of the recordset (matched ignoring case).
struct DataFormBox {
    QWidget *box = nullptr;
    QString field;
    // How the value is shown; empty: dates dd.mm.yyyy, doubles with a decimal
    // comma and no trailing zeros, Booleans as the check state, the rest as text.
    std::function<QString(const QVariant &)> format = {};
    // How the typed text is stored; empty: an empty text is Null, a DOUBLE or
    // INTEGER column takes parseNumber (anything else fails the save), a DATE
    // column a dd.mm.yyyy date, the rest the text as typed.
    std::function<QVariant(const QString &)> parse = {};
};

class DataForm : public QObject {
    Q_OBJECT
public:
    enum Command { CmdLoad, CmdAdd, CmdEdit, CmdUpdate, CmdCancel, CmdDelete, CmdRefresh, CmdMove };
    enum class Delete {
        AtOnce,
        TwoQuestions, // "Наистна ли искате да изтриете записа?", then "Ще загубите данните окончателно"
        Own           // hooks.confirmDelete asks
    };
    enum class Errors {
        InfoBox,            // DiaInf, caption per command, text "number:description"
        InfoBoxDescription, // DiaInf, caption per command, text the description only
        MessageBox,         // plain message box with the description only
        Own                 // hooks.reportError shows it
    };
    enum class FieldClick { Nothing, SelectsText, StartsEditing };

    struct Config {
        QString statusText;      // followed at once by the record's position
        QString addText;         // replaces the status line on "Добави"
        QString editText;        // replaces the status line on "Поправи"
        Delete deletes = Delete::TwoQuestions;
        Errors errors = Errors::InfoBox;
        bool firstLastBeep = false;   // a beep after "first" and "last"
        FieldClick fieldClick = FieldClick::Nothing;
        bool hasRefresh = false;      // cmdRefresh "Обнови"
        bool hasClose = true;         // cmdClose "Затвори" (closes the screen)
        bool keyNavigation = true;
    };

    // The screen's own steps; each is optional.
    struct Hooks {
        // Before anything is written; false keeps the screen in editing (the hook
        // shows its own message).
        std::function<bool()> validate;
        // Replaces copying the bound boxes into the current row (still inside the
        // save's transaction; throw DbError to fail the save).
        std::function<void()> readBoxes;
        // Inside the save's transaction, after the boxes were copied into the row
        // and before the row is written: further writes that must go with it.
        std::function<void(Connection &)> writeExtra;
        // Before any delete question: false when the current row may not be
        // deleted, the hook having said why, so that nobody is asked twice about
        // a delete that is then refused.
        std::function<bool()> checkDelete;
        // Inside the delete's transaction, before the current row is deleted:
        // further writes that must go with it (throw DbError to keep the row).
        std::function<void(Connection &)> deleteExtra;
        // After a successful save, the screen back in browsing.
        std::function<void()> afterSave;
        // After the bound boxes were filled from the current row (also when there
        // is none: the boxes are empty then). Called after "Добави" too, with
        // isAdding() true: the place to put a new record's defaults into boxes.
        std::function<void()> fillBoxes;
        // Further controls to switch with the buttons (called by SetButtons).
        std::function<void(bool browsing)> setButtons;
        // Delete::Own: asks the screen's own questions; true deletes.
        std::function<bool()> confirmDelete;
        // Errors::Own: shows a failure of a command.
        std::function<void(Command, const DbError &)> reportError;
        // A save or delete found its row changed or deleted by another user
        // meanwhile: nothing of it was written, the screen is back in browsing on
        // the row as stored now (or on the next one, the row gone), before the
        // message. The place to put the screen's own controls back as after
        // "Отказ".
        std::function<void()> afterDroppedChange;
    };

    DataForm(QWidget *screen, const QString &suffix, Connection &conn, Recordset &rs,
             const QList<DataFormBox> &boxes, const Config &config);
    ~DataForm() override;

    Hooks hooks;

    // Opens the recordset (static, optimistic) on the screen's connection and
    // shows the first record. A failure is reported in the screen's style and
    // answers false: the screen is then not shown.
    bool open(const QString &sql, const QVariantList &params = {});

    QWidget *buttonsPanel() const { return m_buttons; }
    QWidget *statusPanel() const { return m_statBox; }
    QLabel *statusLabel() const { return m_lblStatus; }
    // A template button by its design name without the suffix ("cmdAdd"); null
    // when the screen has none (cmdRefresh, cmdClose when not configured).
    QAbstractButton *button(const QString &name) const;
    const Config &config() const { return m_cfg; }
    Recordset &recordset() const { return m_rs; }

    bool isEditing() const { return m_editFlag; }
    bool isAdding() const { return m_addNewFlag; }
    bool isBrowsing() const { return !m_editFlag && !m_addNewFlag; }

    // The commands; the buttons and keys call them, screens may call them too.
    void cmdAdd();
    void cmdEdit();
    bool cmdUpdate();   // true when saved
    void cmdCancel();
    void cmdDelete();
    void cmdRefresh();
    void cmdClose();
    void cmdFirst();
    void cmdPrevious();
    void cmdNext();
    void cmdLast();

    void SetButtons(bool browsing);
    // Shows the current row in the bound boxes and writes the status line.
    void showRecord();
    void writeStatus();
    // Reports a failure of a command in the screen's style.
    void reportError(Command cmd, const DbError &e);
    static QString errorCaption(Command cmd);

    // Parse helper for boxes whose text is stored without leading and trailing
    // blanks (empty: Null).
    static QVariant trimmedText(const QString &text);

protected:
    bool eventFilter(QObject *obj, QEvent *event) override;

private:
    QAbstractButton *takeOrMake(const QString &name, const QString &caption, QWidget *panel,
                                bool navigation);
    int boxIndexOf(QObject *obj) const;
    bool inScreen(QObject *obj) const;
    bool handleKey(QObject *obj, QEvent *event);
    void lockBoxes(bool locked);
    // Another user changed or deleted the row being saved or deleted: the change
    // is dropped, the row shown as stored now (or the next one), told once.
    void dropChange(Command cmd, const DbError &e, bool stillListed);
    void readBoxesIntoRow();
    QString formatValue(const DataFormBox &b, const QVariant &v) const;
    QVariant parseText(const DataFormBox &b, const QString &text) const;
    static QString boxText(QWidget *box);
    static void setBoxText(QWidget *box, const QString &text, const QVariant &v);
    void focusFirstBox();
    // After a save or a cancel: "Добави", else "Поправи", else "Затвори"; never "Изтрий".
    void focusAfterEditing();

    QPointer<QWidget> m_screen;
    QString m_suffix;
    Connection &m_conn;
    Recordset &m_rs;
    QList<DataFormBox> m_boxes;
    Config m_cfg;

    QWidget *m_buttons = nullptr;
    QWidget *m_statBox = nullptr;
    QLabel *m_lblStatus = nullptr;
    QAbstractButton *m_cmdAdd = nullptr, *m_cmdEdit = nullptr, *m_cmdUpdate = nullptr,
                    *m_cmdCancel = nullptr, *m_cmdDelete = nullptr, *m_cmdRefresh = nullptr,
                    *m_cmdClose = nullptr, *m_cmdFirst = nullptr, *m_cmdPrevious = nullptr,
                    *m_cmdNext = nullptr, *m_cmdLast = nullptr;

    bool m_editFlag = false;
    bool m_addNewFlag = false;
    bool m_hasMark = false;      // a remembered position exists
    qint64 m_mark = 0;           // bookmark of the row current at "Добави"
    bool m_hasEditMark = false;
    qint64 m_editMark = 0;       // bookmark of the row being corrected
    bool m_browsing = true;

    // A key press travels from the focused widget up to its parents; it is
    // handled once, at the first widget of the screen that sees it.
    QEvent *m_keySeen = nullptr;
    QPointer<QObject> m_keySeenAt;
};

} // namespace kelm
