#pragma once
// The older waybill viewer: one sheet of RowdList at a time in plain boxes (no
// prices, no checks), with the sheet's legs in a grid that can only be looked
// at. Nothing in the menus opens it; showRList() does.

#include "platform/database.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace kelm {

class DataForm;
class Grid;

class RList : public QDialog {
    Q_OBJECT
public:
    explicit RList(QWidget *parent = nullptr);
    ~RList() override;

    // Opens the connection and the sheets at the first one; false after the
    // failure was reported.
    bool load();

    DataForm *form() const { return m_form; }
    Recordset &sheets() { return m_rowdRS; }
    Recordset &legs() { return m_marshRS; }

    QLineEdit *txtFields[9] = {};
    QGroupBox *fraMarsh = nullptr;
    Grid *grdMarsh = nullptr;
    QPushButton *cmdCloseMarsh = nullptr;

private:
    void openLegs();
    void cmdDelete_Click();

    Connection m_conn;
    Recordset m_rowdRS;
    Recordset m_marshRS;
    DataForm *m_form = nullptr;
    QString m_editNumber;
};

void showRList(QWidget *parent = nullptr);

} // namespace kelm
