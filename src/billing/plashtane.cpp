#include "billing/plashtane.h"

#include "billing/driverpayreports.h"
#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/diaseek.h"
#include "dialogs/messages.h"
#include "dialogs/mousepointer.h"
#include "platform/grid.h"
#include "platform/listframe.h"
#include "platform/numbers.h"
#include "platform/placement.h"
#include "platform/version.h"
#include "printing/report.h"
#include "printing/reportdesigns.h"
#include "printing/reportframe.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace kelm {

namespace {

// Columns of the grid, from 1.
enum { ColData = 1, ColMarsh, ColTovar, ColKola, ColKM, ColTon, ColTarifa, ColNeto, ColPlat };

const QString kWarning = QStringLiteral("ВНИМАНИЕ!");

bool isPaid(const QVariant &v) { return !v.isNull() && v.isValid() && v.toBool(); }
double num(const QVariant &v) { return v.isNull() ? 0.0 : v.toDouble(); }

} // namespace

Plashtane::Plashtane(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Plashtane"));
    resize(860, 460);

    const ListFrame frame = buildListFrame(this);
    Text1 = frame.title;
    GridEX1 = frame.grid;

    Label1 = listLabel(this, QStringLiteral("Label1"), QStringLiteral("Сума за плащане:"));
    Label4 = listLabel(this, QStringLiteral("Label4"), QStringLiteral("лв"), true, 120);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label7 = listLabel(this, QStringLiteral("Label7"), QStringLiteral("Space"));
    Label8 = listLabel(this, QStringLiteral("Label8"), QStringLiteral("- Маркира плащане"), false);
    cmdPrint = listButton(this, QStringLiteral("cmdPrint"), QStringLiteral("Печат"), 81);
    cmdClose = listButton(this, QStringLiteral("cmdClose"), QStringLiteral("Затвори"), 81);
    connect(cmdPrint, &QPushButton::clicked, this, &Plashtane::cmdPrint_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Label7);
    bottom->addWidget(Label8);
    bottom->addStretch(1);
    bottom->addWidget(Label1);
    bottom->addWidget(Label4);
    bottom->addSpacing(20);
    bottom->addWidget(cmdPrint);
    bottom->addWidget(cmdClose);
    frame.layout->addLayout(bottom);

    GridEX1->setKeyDown([this](int &keyCode, int shift) { GridEX1_KeyDown(keyCode, shift); });
    connect(GridEX1, &Grid::TakeFocus, GridEX1, &Grid::SetFocus);
    GridEX1->setRefusedWrite([this](int row, const DbError &e) { return paidElsewhere(row, e); });
    // Whatever changes a mark (Space, Esc taking it back, rows read again), the
    // sum follows the marks in the list.
    connect(GridEX1->gridModel(), &QAbstractItemModel::dataChanged, this, &Plashtane::recountSum);
    connect(GridEX1->gridModel(), &QAbstractItemModel::modelReset, this, &Plashtane::recountSum);
    connect(GridEX1->gridModel(), &QAbstractItemModel::rowsRemoved, this, &Plashtane::recountSum);
}

Plashtane::~Plashtane()
{
    setNormalPointer();
    // A mark not yet stored (the screen went without closing) is kept all the same.
    if (adoRS.isOpen()) {
        try {
            adoRS.update();
        } catch (const DbError &) {
        }
    }
    GridEX1->unbind();
    // The rows go with the grid after this screen's own members: no sum then.
    disconnect(GridEX1->gridModel(), nullptr, this, nullptr);
    adoRS.close();
    db.close();
}

bool Plashtane::load()
{
    const DiaSeek &seek = DiaSeek::instance();
    m_sum.clear();
    m_sumShown = false;
    m_start = seek.startDate();
    m_end = seek.endDate();
    m_name = seek.ShofName;
    m_kod = seek.ShofKod;
    setStatusText(QStringLiteral("Справка за курсове..."));
    setWindowTitle(screenCaption(QStringLiteral("Плащане курсове")));
    Text1->setText(QStringLiteral("Курсове na ") + m_name + QStringLiteral(" към ")
                   + formatDate(QDate::currentDate()));

    GridStyle &platen = GridEX1->addFormatStyle(QStringLiteral("Platen"));
    platen.backColor = vbColor(255);
    platen.foreColor = vbColor(0);
    GridEX1->setFormatRow([](GridRowBuffer &b) {
        if (isPaid(b.value(ColPlat)))
            b.rowStyle = QStringLiteral("Platen");
    });

    try {
        db.open(gConnStr);
        // An empty paid flag counts as not paid.
        adoRS.open(db,
                   QStringLiteral("SELECT Data,Marsh,Tovar,kola,KM,Ton,Tarifa,neto,plat FROM tabl "
                                  "WHERE COALESCE(plat,0)=0 AND kod=? AND Data BETWEEN ? AND ? ORDER BY Data, ID"),
                   {m_kod, m_start, m_end});
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА при зареждане!"), e.text());
        return false;
    }
    if (adoRS.recordCount() == 0) {
        DiaInf::show(kWarning, QStringLiteral("Няма курсове за плащане!"));
        return true;
    }
    adoRS.moveFirst();
    GridEX1->setBoundRecordset(&adoRS);
    // Date, car and the paid mark get the room the bold face of the list needs
    // to show a whole date, car number and caption.
    setListColumns(GridEX1, {{"Дата", 1400, "", 0, false},
                             {"Маршрут", 2600, "", 0, false},
                             {"Товар", 2200, "", 0, false},
                             {"Кола", 1450, "", 1, false},
                             {"Км", 750, "", 2, false},
                             {"Тонаж", 900, "###0.000", 2, false},
                             {"Тар.", 750, kTariffFormat, 2, false},
                             {"Сума", 900, "###0.00", 2, false},
                             {"Плат.", 700, "", 1, false}});
    GridEX1->setAllowEdit(false);
    GridEX1->setAllowDelete(false);
    return true;
}

void Plashtane::changeEvent(QEvent *e)
{
    QDialog::changeEvent(e);
    // Each time the screen becomes active (opened, or back from the printed
    // statement) the keyboard is on the trips, so that Space marks the current
    // one as the legend says (on "Затвори" it would close the screen); with no
    // trip to mark, on "Затвори".
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, this, [this] {
            QWidget *keys = GridEX1->rowCount() > 0 ? static_cast<QWidget *>(GridEX1) : cmdClose;
            keys->setFocus(Qt::ActiveWindowFocusReason);
        });
}

void Plashtane::GridEX1_KeyDown(int &keyCode, int shift)
{
    Q_UNUSED(shift);
    m_sumShown = true;
    if (keyCode == 32) {
        keyCode = 0; // the mark is all Space does here
        const int row = GridEX1->currentRow();
        if (row >= 0 && adoRS.isOpen()) {
            // The trip's own recordset row takes the new flag, to be stored when
            // the grid leaves it.
            GridEX1->gridModel()->setValue(row, ColPlat - 1, !isPaid(GridEX1->value(row, ColPlat)));
        }
    }
    Label4->setText(m_sum.text() + QStringLiteral("лв."));
    GridEX1->RefreshRows();
}

void Plashtane::recountSum()
{
    m_sum.clear();
    for (int row = 0; row < GridEX1->rowCount(); ++row)
        if (isPaid(GridEX1->value(row, ColPlat)))
            m_sum.add(num(GridEX1->value(row, ColNeto)));
    if (m_sumShown)
        Label4->setText(m_sum.text() + QStringLiteral("лв."));
}

void Plashtane::keyPressEvent(QKeyEvent *e)
{
    // Esc takes back the mark pending on the current trip, wherever the
    // keyboard is; it never closes the screen.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        GridEX1->cancelRowChanges();
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool Plashtane::storeCurrent()
{
    return GridEX1->commitRow();
}

bool Plashtane::paidElsewhere(int row, const DbError &e)
{
    // A mark is stored only on a trip still as read, unpaid: one that another
    // copy of the program paid meanwhile is neither marked nor printed here.
    if (row < 0 || e.number() != ErrWriteConflict)
        return false;
    QString date, route;
    try {
        if (!isPaid(adoRS.value(row, QStringLiteral("plat"))))
            return false;
        date = formatDate(adoRS.value(row, QStringLiteral("Data")));
        route = adoRS.value(row, QStringLiteral("Marsh")).toString();
    } catch (const DbError &) {
        return false;
    }
    GridEX1->leaveOut(row);
    DiaInf::show(kWarning, joinLines({QStringLiteral("Курсът от %1 по маршрут „%2“ е платен от друг потребител!")
                                          .arg(date, route),
                                      QStringLiteral("Не е маркиран тук и е махнат от списъка.")}));
    return true;
}

void Plashtane::cmdPrint_Click()
{
    // The mark of the current trip is stored before it is printed as paid.
    if (!storeCurrent())
        return;
    runReportFill([&] {
        const std::optional<DriverPapers> papers = readDriverPapers(db, m_kod);
        if (!papers) {
            DiaInf::show(kWarning, QStringLiteral("Няма данни за шофьора!"));
            return;
        }
        // The marked trips in the order the list shows them; the grid stays on
        // its current trip.
        QVector<PaidTripLine> lines;
        if (adoRS.isOpen()) {
            // The marks as stored now: a trip another copy has unpaid or
            // changed since this screen marked it prints as it stands.
            for (int row = 0; row < GridEX1->rowCount(); ++row)
                if (isPaid(adoRS.value(row, QStringLiteral("plat"))))
                    adoRS.readAgain(row);
            GridEX1->gridModel()->refresh();
            for (int v = 0; v < GridEX1->rowCount(); ++v) {
                const int row = GridEX1->rowAtVisual(v);
                if (!isPaid(adoRS.value(row, QStringLiteral("plat"))))
                    continue;
                lines.append({adoRS.value(row, QStringLiteral("Data")), adoRS.value(row, QStringLiteral("Marsh")).toString(),
                              adoRS.value(row, QStringLiteral("Tovar")).toString(),
                              adoRS.value(row, QStringLiteral("kola")).toString(), num(adoRS.value(row, QStringLiteral("KM"))),
                              num(adoRS.value(row, QStringLiteral("Ton"))), num(adoRS.value(row, QStringLiteral("Tarifa"))),
                              num(adoRS.value(row, QStringLiteral("neto")))});
            }
        }
        if (lines.isEmpty()) {
            DiaInf::show(kWarning, QStringLiteral("Няма платени курсове!"));
            return;
        }
        PrintedSum total;
        const ReportData rows = stagePaidTrips(lines, 3, &total);
        fillRptPlaten(rows, m_name, m_start, m_end, *papers, total, QDate::currentDate());
        Report &r = rptPlaten();
        r.show(reportDesign(r.name()).modal);
    });
}

void Plashtane::done(int r)
{
    // Marks still pending are stored. One that cannot be (its trip was deleted
    // meanwhile, the disk is full) keeps the screen open after the message; a
    // second closing gives that mark up, so the screen can always be left.
    if (!storeCurrent()) {
        if (!m_storeRefused) {
            m_storeRefused = true;
            return;
        }
        if (adoRS.isOpen())
            adoRS.cancelUpdate();
    }
    m_storeRefused = false;
    QDialog::done(r);
}

void showPlashtane()
{
    Plashtane w(openingWindow());
    if (w.load())
        w.exec();
}

} // namespace kelm
