#pragma once
// InsideKurs: the international trips, one consignment note (table
// ExternalKurs) at a time, on the data form with the suffix "Razh". While a
// note is added or corrected the driver, tractor and trailer are picked from
// lists and the required boxes stand out; leaving the number box pads the
// number and warns when another note has it; a right click on the sender or
// receiver frame fills that block from the firm picker (SendResive). Saving
// checks the note, appends the sender and the receiver to Firms when they are
// new, and writes the note, all in one transaction.
//
// Opened modeless by Данни > Международни курсове; one instance, reused until
// it is closed.

#include "platform/database.h"
#include "trips/firms.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QGroupBox;
class QLineEdit;

namespace kelm {

class DataForm;

class InsideKurs : public QDialog {
    Q_OBJECT
public:
    explicit InsideKurs(QWidget *parent = nullptr);
    ~InsideKurs() override;

    // The open screen, or null.
    static InsideKurs *instance();

    // Opens the connection and the notes; false (after the message) when it fails.
    bool load();

    DataForm *form() const { return m_form; }
    QLineEdit *box(int i) const { return m_txtFields[i]; }

    // The firm last chosen in the picker.
    QString sSrName, sSrAdres, sSrCity, sSrCountry;

    // Which block a firm chosen now fills: "Send" or "Resiv" ("" none).
    QString PickSide;
    // Shows the firm picker for the block and copies the chosen firm into it.
    void pickFirm(const QString &side);

protected:
    bool eventFilter(QObject *obj, QEvent *event) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void ShowCombos(bool browse);
    void HighlightRequired(bool on);
    void fillLists();
    void txtNumber_LostFocus();
    bool validate();
    void writeFirms(Connection &conn);
    void reportError(int cmd, int number, const QString &text);
    FirmTexts typedFirm(int firstBox) const;
    QVariant currentId() const;

    Connection m_conn;
    Recordset m_adoRazhRS;
    QLineEdit *m_txtFields[23] = {};
    QComboBox *m_ComboNameShof = nullptr;
    QComboBox *m_ComboTruckV = nullptr;
    QComboBox *m_ComboTruckR = nullptr;
    QGroupBox *m_Frame2 = nullptr; // "Изпращач"
    QGroupBox *m_Frame3 = nullptr; // "Получател"
    QWidget *m_Picture1 = nullptr;
    QWidget *m_Picture2 = nullptr;
    DataForm *m_form = nullptr;
    QString m_lastMove;  // the move button pressed last, for its error line
    bool m_checkingNumber = false;
};

// Данни > Международни курсове: shows the screen modeless (or brings the open one forward).
void showInsideKurs();

} // namespace kelm
