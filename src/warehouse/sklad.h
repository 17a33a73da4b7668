#pragma once
// The warehouse document screens on the record-screen template: Sklad enters,
// corrects and deletes receipt lines ("P"), Sklad_R issue lines ("R"), the trip
// editor's expense lines among them. A new line runs the stock rule of its
// kind (warehouse/stock.h) in the same transaction as its own write; a
// correction or a delete of a stock line leaves the lots and Nalich as the
// documents then leave them (changeLine), or is refused with nothing changed.
// Both are modeless, one instance each.

#include <QDialog>
#include <QHash>

#include "platform/database.h"
#include "warehouse/stock.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kelm {

class DataForm;

class Sklad : public QDialog {
    Q_OBJECT
public:
    // The receipt screen.
    explicit Sklad(QWidget *parent = nullptr);
    ~Sklad() override;

    // Form_Load: the two pick lists and the lines of the screen's kind; no line
    // yet starts adding. False after the failure was reported.
    bool load();

    const QString &kind() const { return m_kind; }
    bool isIssue() const { return m_kind == kIssueKind; }
    DataForm *form() const { return m_form; }
    Recordset &lines() { return m_adoRS; }

    // The boxes as the design numbers them: 0 Data, 1 DocVid, 2 DocNom,
    // 3 Name, 4 Kol, 5 Edin.
    QLineEdit *txtFields(int index) const { return m_txt.value(index); }
    QComboBox *Combo1 = nullptr; // document kind, over txtFields(1) while editing
    QComboBox *Combo2 = nullptr; // article, over txtFields(3) while editing
    QCheckBox *chkFields = nullptr; // "Изписан": shows Lipsa, takes no input
    QLabel *Label1 = nullptr;       // the line's amount
    QGroupBox *Frame3 = nullptr;    // "Приход" or "Разход"

protected:
    Sklad(const QString &kind, QWidget *parent);
    bool eventFilter(QObject *obj, QEvent *event) override;

private:
    void buildControls();
    static QString linesSql();
    void setButtonsHook(bool browsing);
    void updateLocks();
    void lockBox(QLineEdit *box, bool locked);
    bool validateSave();
    void writeLine(Connection &conn);
    // The lines of lots a save wrote besides its own line (ids).
    void linesWrittenAgain(const QVector<qint64> &ids);
    void focusField(LineField field);
    LineEntry typed() const;

    QString m_kind;
    Connection m_conn;
    Recordset m_adoRS;
    QHash<int, QLineEdit *> m_txt;
    DataForm *m_form = nullptr;
    LineCheck m_checked;
    bool m_loaded = false;
};

// The issue screen: the same design with the kind "R".
class Sklad_R : public Sklad {
    Q_OBJECT
public:
    explicit Sklad_R(QWidget *parent = nullptr);
};

// Склад > Приход and Склад > Разход: shown modeless; a second command brings
// the open screen forward.
void showSklad();
void showSklad_R();
// The open screens, null when closed.
Sklad *openSklad();
Sklad_R *openSklad_R();

} // namespace kelm
