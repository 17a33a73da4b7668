#pragma once
// Plashtane: paying a driver. The driver's unpaid trips of a period; Space marks
// the current trip paid (or unmarks it) and keeps the sum to pay; "Печат" prints
// the statement of the marked trips with the receipt the driver signs. A mark is
// written to the trip when the grid leaves its row, and at the latest when the
// screen closes; until then Esc takes it back. The screen closes with "Затвори"
// or the window's close box, never with Esc.

#include <QDate>
#include <QDialog>

#include "billing/pay.h"
#include "platform/database.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

class Grid;

class Plashtane : public QDialog {
    Q_OBJECT
public:
    explicit Plashtane(QWidget *parent = nullptr);
    ~Plashtane() override;

    // Reads the driver and the period from DiaSeek and lists the unpaid trips
    // (an empty list is told and the screen opens all the same). False when the
    // trips could not be read; the screen is then not shown.
    bool load();

    Recordset &trips() { return adoRS; }
    // The sum to pay: the amounts of the trips marked in the list, as they print.
    const PrintedSum &sumToPay() const { return m_sum; }

    QLineEdit *Text1 = nullptr;
    Grid *GridEX1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdClose = nullptr;

public Q_SLOTS:
    void cmdPrint_Click();
    void done(int r) override;

protected:
    void changeEvent(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void GridEX1_KeyDown(int &keyCode, int shift);
    // The sum taken again from the marks in the list, and shown once a key was pressed.
    void recountSum();
    // Stores the mark of the current trip; false (after the message) when it could not be.
    bool storeCurrent();
    // A mark refused because another copy paid the trip meanwhile: the trip
    // leaves the list and the user is told which one.
    bool paidElsewhere(int row, const DbError &e);

    Connection db;
    Recordset adoRS;
    QString m_kod;
    QString m_name;
    QDate m_start;
    QDate m_end;
    PrintedSum m_sum;
    bool m_sumShown = false;
    bool m_storeRefused = false;
};

// Shows the payment screen modally for DiaSeek's driver and period.
void showPlashtane();

} // namespace kelm
