#include "trips/sendresive.h"

#include "common/globals.h"
#include "dialogs/messages.h"
#include "platform/grid.h"
#include "trips/insidekursrules.h"

#include <QApplication>
#include <QVBoxLayout>

namespace kelm {

namespace {
const QString kCaption = QStringLiteral("Избор на фирма");
}

SendResive::SendResive(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SendResive"));
    setWindowTitle(kCaption);
    setModal(true);

    m_grid = new Grid(this);
    m_grid->setObjectName(QStringLiteral("grdSendResive"));
    m_grid->setCaption(kCaption);
    m_grid->setAllowEdit(false);
    m_grid->setAllowDelete(false);
    // The query's name order, not the grid's own.
    m_grid->setSortColumns({});
    connect(m_grid, &Grid::rowPicked, this, &SendResive::grdSendResive_PickRow);

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 4, 4, 4);
    lay->addWidget(m_grid);
    // The four columns (3000, 3000, 1995, 1995 twips) and the frame.
    resize(680, 320);
}

SendResive::~SendResive() = default;

bool SendResive::load()
{
    try {
        m_conn.open(gConnStr);
        m_adoRS.open(m_conn, QStringLiteral("SELECT * FROM Firms ORDER BY SrName COLLATE BG"), {},
                     Recordset::LockOptimistic);
    } catch (const DbError &e) {
        msgBox(joinLines({QStringLiteral("ГРЕШКА при зареждане на фирмите!"), QString(), e.text()}),
               errorTitle(), true);
        return false;
    }
    m_grid->setBoundRecordset(&m_adoRS, {QStringLiteral("SrName"), QStringLiteral("SrAdres"),
                                         QStringLiteral("SrCity"), QStringLiteral("SrCountry")});
    m_grid->Columns(1).setCaption(QStringLiteral("Име")).setWidth(3000).setEditable(false);
    m_grid->Columns(2).setCaption(QStringLiteral("Адрес")).setWidth(3000).setEditable(false);
    m_grid->Columns(3).setCaption(QStringLiteral("Град")).setWidth(1995).setEditable(false);
    m_grid->Columns(4).setCaption(QStringLiteral("Държава")).setWidth(1995).setEditable(false);
    return true;
}

void SendResive::grdSendResive_PickRow(int row)
{
    if (row < 0 || row >= m_adoRS.recordCount())
        return;
    // A firm field without a value hands back an empty text.
    FirmTexts f;
    f.name = m_adoRS.value(row, QStringLiteral("SrName")).toString();
    f.adres = m_adoRS.value(row, QStringLiteral("SrAdres")).toString();
    f.city = m_adoRS.value(row, QStringLiteral("SrCity")).toString();
    f.country = m_adoRS.value(row, QStringLiteral("SrCountry")).toString();
    m_chosen = f;
    accept();
}

std::optional<FirmTexts> SendResive::pick(QWidget *parent)
{
    SendResive dlg(parent);
    if (!dlg.load())
        return std::nullopt;
    dlg.exec();
    return dlg.chosen();
}

} // namespace kelm
