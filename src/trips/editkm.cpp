#include "trips/editkm.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/mousepointer.h"
#include "platform/grid.h"
#include "platform/listframe.h"
#include "platform/placement.h"
#include "platform/version.h"
#include "scratch/tripcolumns.h"
#include "trips/amounts.h"
#include "trips/tripsave.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace kelm {

namespace {

// Columns of the grid, from 1.
enum { ColData = 1, ColMarsh, ColTovar, ColKola, ColKM, ColTon, ColTarifa, ColBruto, ColProcent, ColNeto };

} // namespace

EditKM::EditKM(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EditKM"));
    resize(790, 440);

    const ListFrame frame = buildListFrame(this);
    Text1 = frame.title;
    GridEX1 = frame.grid;

    Label5 = listLabel(this, QStringLiteral("Label5"), QStringLiteral("F4"));
    Label6 = listLabel(this, QStringLiteral("Label6"), QStringLiteral("- Корекция"), false);
    cmdClose = listButton(this, QStringLiteral("cmdClose"), QStringLiteral("Затвори"), 81);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Label5);
    bottom->addWidget(Label6);
    bottom->addStretch(1);
    bottom->addWidget(cmdClose);
    frame.layout->addLayout(bottom);

    GridEX1->setKeyDown([this](int &keyCode, int shift) { GridEX1_KeyDown(keyCode, shift); });
    connect(GridEX1, &Grid::cellEdited, this, &EditKM::recompute);
    connect(GridEX1, &Grid::rowReverted, this,
            [this](int row) { m_km[row] = GridEX1->gridModel()->value(row, ColKM - 1).toDouble(); });
}

EditKM::~EditKM()
{
    setNormalPointer();
    GridEX1->unbind();
    adoRS.close();
    db.close();
}

bool EditKM::load()
{
    const DiaSeek &seek = DiaSeek::instance();
    const QString car = seek.Kola;
    setStatusText(QStringLiteral("Корекция на курсове..."));
    setWindowTitle(screenCaption(QStringLiteral("Корекция КМ на курсовете на кола ") + car));
    Text1->setText(QStringLiteral("Корекция КМ на курсовете на кола ") + car);
    try {
        db.open(gConnStr);
        // procent and neto come along, hidden, so that a changed trip keeps all
        // three of its amounts in step.
        adoRS.open(db,
                   QStringLiteral("SELECT Data,Marsh,Tovar,Kola,KM,Ton,Tarifa,Bruto,procent,neto FROM tabl "
                                  "WHERE Kola=? AND KM=1 AND Data BETWEEN ? AND ? ORDER BY data,Marsh"),
                   {car, seek.startDate(), seek.endDate()});
        m_bands = BandTariffs::load(db);
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА при зареждане!"), e.text());
        return false;
    }
    GridEX1->setSortColumns({}); // the query's order: date, then route
    GridEX1->setBoundRecordset(&adoRS);
    for (int row = 0; row < GridEX1->rowCount(); ++row)
        m_km[row] = GridEX1->gridModel()->value(row, ColKM - 1).toDouble();

    setTripGridColumns(GridEX1);
    GridEX1->Columns(ColProcent).setVisible(false).setEditable(false);
    GridEX1->Columns(ColNeto).setVisible(false).setEditable(false);
    GridEX1->Columns(ColKM).setRowValidator([this](int row, const QString &t) { return cellRefusal(row, ColKM, t); });
    GridEX1->Columns(ColTarifa).setRowValidator(
        [this](int row, const QString &t) { return cellRefusal(row, ColTarifa, t); });
    return true;
}

void EditKM::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // The grid takes the keyboard at once, on the first trip's "Км", the cell
    // F4 is there to correct.
    QTimer::singleShot(0, GridEX1, [this] {
        GridEX1->SetFocus();
        if (GridEX1->rowCount() > 0)
            GridEX1->setCurrentIndex(GridEX1->model()->index(0, ColKM - 1));
    });
}

void EditKM::GridEX1_KeyDown(int &keyCode, int shift)
{
    Q_UNUSED(shift);
    switch (keyCode) {
    case 115: // F4
        GridEX1->setAllowEdit(true);
        break;
    case 33: // PgUp
    case 34: // PgDn
    case 35: // End
    case 36: // Home
    case 46: // Delete
        GridEX1->setAllowEdit(false);
        break;
    default:
        break;
    }
}

// A km or tariff is checked alone, then with the rest of its trip: the gross
// amount it would give must stay within an amount of money, as on a save.
QString EditKM::cellRefusal(int row, int col, const QString &typed) const
{
    const QString alone = col == ColKM ? kmRefusal(typed) : tariffRefusal(typed);
    if (!alone.isEmpty())
        return alone;
    const GridModel *m = GridEX1->gridModel();
    const double x = *amountOf(typed, col == ColKM ? limits::kKm : limits::kPrice);
    const double shownKm = m->value(row, ColKM - 1).toDouble();
    const double shownTariff = m->value(row, ColTarifa - 1).toDouble();
    // New kilometres are reckoned with the tariff they will get.
    const double km = col == ColKM ? x : shownKm;
    const double tariff = col == ColTarifa ? x : m_bands.afterKmChange(shownTariff, shownKm, km);
    return tripAmountRefusal(m->value(row, ColTon - 1).toDouble(), km, tariff);
}

// A new km or tariff changes the trip's money: the same reckoning as a save.
// New kilometres in another band bring that band's tariff, unless the trip's
// tariff was not its band's (agreed with the client); either can still be typed.
void EditKM::recompute(int row, int col)
{
    if (col != ColKM && col != ColTarifa)
        return;
    GridModel *m = GridEX1->gridModel();
    const double km = m->value(row, ColKM - 1).toDouble();
    const double ton = m->value(row, ColTon - 1).toDouble();
    double tariff = m->value(row, ColTarifa - 1).toDouble();
    if (col == ColKM) {
        const double proposed = m_bands.afterKmChange(tariff, m_km.value(row, km), km);
        if (proposed != tariff)
            m->setValue(row, ColTarifa - 1, proposed);
        tariff = proposed;
        m_km[row] = km;
    }
    const TripAmounts a = tripAmounts(ton, km, tariff);
    m->setValue(row, ColBruto - 1, a.bruto);
    m->setValue(row, ColProcent - 1, a.procent);
    m->setValue(row, ColNeto - 1, a.neto);
}

void EditKM::done(int result)
{
    // Whichever way the screen is left, a value still in a cell and the trip
    // being corrected are stored first; a value refused keeps the screen open on it.
    if (!GridEX1->commitRow())
        return;
    QDialog::done(result);
}

void showEditKM()
{
    EditKM w(openingWindow());
    if (w.load())
        w.exec();
}

} // namespace kelm
