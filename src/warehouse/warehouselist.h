#pragma once
// The frame the stock list and the warehouse revision share: a title line, a
// read-only grid over rows the screen staged in its own scratch file, the total
// under it, "Печат" and "Затвори"; Esc closes. Rows whose tested number is below
// 1 are drawn in the style "RazhPlus".

#include "platform/database.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelm {

class Grid;
class ReportData;
class ScratchRows;

class WarehouseList : public QDialog {
    Q_OBJECT
public:
    ~WarehouseList() override;

    QLineEdit *Text1 = nullptr;
    Grid *GridEX1 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdClose = nullptr;

    double total() const { return m_total; }
    // The staged rows, as the printout takes them: from the first row on.
    ReportData stagedRows();

protected:
    // table: the scratch layout of the rows; styleColumn: the grid column (from 1)
    // whose number below 1 draws the row in "RazhPlus".
    WarehouseList(const QString &objectName, const QString &table, int styleColumn, QWidget *parent);

    // A fresh private scratch file for a new load; the grid lets go of the old one.
    ScratchRows &newRows();
    // Binds the grid to the staged rows in the order they were numbered.
    void bindRows(const QString &fields);
    virtual void cmdPrint_Click() = 0;

    void keyPressEvent(QKeyEvent *e) override;
    void showEvent(QShowEvent *e) override;

    double m_total = 0;

private:
    QString m_table;
    std::unique_ptr<ScratchRows> m_rows;
    Recordset m_rs;
};

} // namespace kelm
