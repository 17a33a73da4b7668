#pragma once
// SendResive: the firm picker. A small modal dialog listing the firms of the
// table Firms by name; choosing a row (double click or Enter) hands the firm
// back and closes the dialog, closing the window hands back nothing.
//
//   if (auto firm = SendResive::pick(this)) { ... firm->name ... }

#include "platform/database.h"
#include "trips/firms.h"

#include <QDialog>
#include <optional>

namespace kelm {

class Grid;

class SendResive : public QDialog {
    Q_OBJECT
public:
    explicit SendResive(QWidget *parent = nullptr);
    ~SendResive() override;

    // Opens the firms; false (after the message) when they cannot be read.
    bool load();
    // The firm of the chosen row, empty until a row is chosen.
    std::optional<FirmTexts> chosen() const { return m_chosen; }
    Grid *grid() const { return m_grid; }

    // Shows the picker modally over parent and returns the chosen firm.
    static std::optional<FirmTexts> pick(QWidget *parent);

private:
    void grdSendResive_PickRow(int row);

    Connection m_conn;
    Recordset m_adoRS;
    Grid *m_grid = nullptr;
    std::optional<FirmTexts> m_chosen;
};

} // namespace kelm
