#pragma once
// The frame of the screens that list and print rows they staged themselves (the
// car balance, the warehouse revision, the stock list): a title line, a read-only
// grid over the rows in the screen's own scratch file, the total under it,
// "Печат" and "Затвори". Esc closes; the navigation keys move the grid's row
// wherever the focus is. Rows whose tested number is below 1 are drawn in the
// style "RazhPlus".

#include "platform/database.h"

#include <QDialog>
#include <QVector>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

class Grid;
class ReportData;
class ScratchRows;

class ScratchList : public QDialog {
    Q_OBJECT
public:
    ~ScratchList() override;

    QLineEdit *Text1 = nullptr;
    Grid *GridEX1 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdClose = nullptr;

    double total() const { return m_total; }
    // The staged rows, as the printout takes them: from the first row on.
    ReportData stagedRows();
    // The recordset the grid shows.
    Recordset &rows() { return m_rs; }

protected:
    // table: the scratch layout of the rows; styleColumn: the grid column (from 1)
    // whose number below 1 draws the row in "RazhPlus".
    ScratchList(const QString &objectName, const QString &table, int styleColumn, QWidget *parent);

    // Stages a load's rows in place of the shown ones and shows them (the columns
    // named by fields): fill writes them into the emptied scratch table (made on
    // the first load), all in one transaction. styleNumbers, when given, are the
    // numbers the rows' colour is decided on, one per row in order (else the style
    // column's text is read). A failure leaves the old rows staged and shown as
    // they were, and is thrown on, so a screen whose rebuild failed still shows
    // and prints one whole load.
    void restage(const QString &fields, const std::function<void(Connection &)> &fill,
                 const QVector<double> &styleNumbers = {});
    // The staged rows for printing; false after a failed read was shown as "ГРЕШКА!".
    bool readStagedRows(ReportData &rows);

public:
    virtual void cmdPrint_Click() = 0;

protected:

    void keyPressEvent(QKeyEvent *e) override;
    // Home, End, Up/PgUp, Down/PgDn (with Ctrl: first or last) move the grid's row;
    // past either end it beeps. False for any other key.
    bool moveRow(int vbKey, int shift);
    void showEvent(QShowEvent *e) override;

    double m_total = 0;

private:
    // Binds the grid to the staged rows in the order they were numbered.
    void bindRows();

    QString m_table;
    QString m_fields;
    std::unique_ptr<ScratchRows> m_rows;
    Recordset m_rs;
    QVector<double> m_styleNumbers;
};

} // namespace kelm
