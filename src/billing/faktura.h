#pragma once
// Faktura: invoicing of trips. "FaktNew" lists a client's trips of a period that
// are on no invoice; "EditFakt" lists the trips of one issued invoice. Space ticks
// a trip, Esc undoes the Space pending on the current trip, the running sum
// follows, "Фактура №" takes a new number, "Печат" prints the ticked trips with
// VAT. The ticks stay on the screen until it closes ("Затвори" or the window's
// close box); closing writes the invoice in one transaction (see
// InvoiceSession::close).

#include "billing/invoicing.h"
#include "platform/database.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

class Grid;

class Faktura : public QDialog {
    Q_OBJECT
public:
    explicit Faktura(QWidget *parent = nullptr);
    ~Faktura() override;

    // Reads the mode word and the search dialog's criteria and lists the trips.
    // False after a failure was reported; the screen is then not shown.
    bool load();

    // The number handed back by DiaFakt.
    bool flgNomFakt = false;
    QString sNomFakt = kNoInvoice;

    InvoiceSession &session() { return m_session; }

    // The screen became the active window: the grid takes the keyboard and
    // moves one row down, which also shows the sum.
    void Form_Activate();
    void cmdFakt_Click();
    void cmdPrint_Click();

    QLineEdit *Text1 = nullptr;
    Grid *GridEX1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QPushButton *cmdFakt = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdClose = nullptr;

public Q_SLOTS:
    void reject() override;

protected:
    void changeEvent(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    // Esc never closes the screen: closing writes the invoice.
    void keyPressEvent(QKeyEvent *e) override;

private:
    void GridEX1_KeyDown(int &keyCode, int shift);
    // Esc: the Space pending on the current trip is undone.
    void cancelCurrentRow();
    void fillGrid();
    void showTitle();
    // The closing step; false (after its message) keeps the screen open.
    bool closeInvoice();

    Connection db;
    InvoiceSession m_session;
    InvoiceCriteria m_criteria;
    QString m_title;           // Text1 without the number
    bool m_awayInProgram = true;
    bool m_closed = false;
};

// Shows the invoicing screen modally in the mode gSeekMode names.
void showFaktura();

} // namespace kelm
