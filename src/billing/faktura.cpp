#include "billing/faktura.h"

#include "billing/diafakt.h"
#include "billing/fakturareport.h"
#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
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
#include "scratch/temptable.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

namespace {

// Columns of the grid, from 1.
enum { ColData = 1, ColMarsh, ColTovar, ColKola, ColKM, ColTon, ColTarifa, ColBruto, ColFakt, ColNomFakt };

const QStringList kGridFields{"Data", "Marsh", "Tovar", "kola", "KM", "Ton", "Tarifa", "bruto", "Fakt", "NomFakt"};

QVariantList gridRow(const InvoiceTrip &t)
{
    return {t.data, t.marsh, t.tovar, t.kola, t.km, t.ton, t.tarifa, t.bruto, t.fakt, t.nomFakt};
}

} // namespace

Faktura::Faktura(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Faktura"));
    resize(940, 500);
    const ListFrame frame = buildListFrame(this);
    Text1 = frame.title;
    GridEX1 = frame.grid;

    Label1 = listLabel(this, QStringLiteral("Label1"), QStringLiteral("Сума за плащане:"));
    Label4 = listLabel(this, QStringLiteral("Label4"), QStringLiteral("лв"), true, 140);
    Label7 = listLabel(this, QStringLiteral("Label7"), QStringLiteral("Space"));
    Label8 = listLabel(this, QStringLiteral("Label8"), QStringLiteral("- Маркира плащане"), false);

    cmdFakt = listButton(this, QStringLiteral("cmdFakt"), QStringLiteral("Фактура №"), 90);
    cmdPrint = listButton(this, QStringLiteral("cmdPrint"), QStringLiteral("Печат"), 90);
    cmdClose = listButton(this, QStringLiteral("cmdClose"), QStringLiteral("Затвори"), 90);
    connect(cmdFakt, &QPushButton::clicked, this, &Faktura::cmdFakt_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &Faktura::cmdPrint_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    auto *sum = new QHBoxLayout;
    sum->addWidget(Label7);
    sum->addWidget(Label8);
    sum->addStretch(1);
    sum->addWidget(Label1);
    sum->addWidget(Label4);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdFakt);
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdClose);
    frame.layout->addLayout(sum);
    frame.layout->addLayout(buttons);

    // A ticked trip is drawn red.
    GridStyle &platen = GridEX1->addFormatStyle(QStringLiteral("Platen"));
    platen.backColor = vbColor(255);
    platen.foreColor = vbColor(0);
    GridEX1->setFormatRow([](GridRowBuffer &b) {
        if (b.value(ColFakt).toBool())
            b.rowStyle = QStringLiteral("Platen");
    });
    GridEX1->setKeyDown([this](int &keyCode, int shift) { GridEX1_KeyDown(keyCode, shift); });
    connect(GridEX1, &Grid::currentRowChanged, this, [this](int row) { m_session.enterRow(row); });
}

Faktura::~Faktura()
{
    setNormalPointer();
    GridEX1->unbind();
    // The grid goes after the session: it tells this screen nothing more.
    disconnect(GridEX1, nullptr, this, nullptr);
    db.close();
}

bool Faktura::load()
{
    // The command's hourglass ends here: the user works on the list.
    NormalPointerOnExit normal;
    const bool editing = gSeekMode == QLatin1String("EditFakt");
    m_session = InvoiceSession(editing ? InvoiceSession::EditFakt : InvoiceSession::FaktNew);
    flgNomFakt = false;
    sNomFakt = kNoInvoice;
    QVector<InvoiceTrip> trips;
    try {
        db.open(gConnStr);
        if (!editing) {
            cmdPrint->setEnabled(false); // printing waits for an invoice number
            const DiaSeekAll &s = DiaSeekAll::instance();
            m_criteria.client = s.Klient;
            m_criteria.carPrefix = s.Kola;
            m_criteria.goodsPrefix = s.Tovar;
            m_criteria.routePrefix = s.Marsh;
            m_criteria.start = s.startDate();
            m_criteria.end = s.endDate();
            setStatusText(QStringLiteral("Курсове за фактуриране..."));
            setWindowTitle(screenCaption(QStringLiteral("Курсове за ") + m_criteria.client));
            m_title = QStringLiteral("Курсове за ") + m_criteria.client + QStringLiteral(" от ")
                      + formatDate(m_criteria.start) + QStringLiteral(" до ") + formatDate(m_criteria.end);
            trips = readUninvoicedTrips(db, m_criteria);
        } else {
            cmdFakt->setEnabled(false); // the number is the invoice's own
            sNomFakt = DiaSeek::instance().FakturaNom;
            m_session.setNumber(sNomFakt);
            const QString title = QStringLiteral("Курсове във фактурира № ") + sNomFakt;
            setStatusText(title);
            setWindowTitle(screenCaption(title));
            m_title = title;
            trips = readInvoiceTrips(db, sNomFakt);
        }
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА при зареждане!"), e.text());
        return false;
    }
    Text1->setText(m_title);
    m_session.setTrips(trips);
    if (trips.isEmpty()) {
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), editing ? QStringLiteral("В избраната фактура няма курсове!")
                                                          : QStringLiteral("Няма курсове за фактуриране!"));
        return true; // the screen opens with an empty list
    }
    fillGrid();
    return true;
}

void Faktura::fillGrid()
{
    QVector<QVariantList> rows;
    rows.reserve(m_session.count());
    for (const InvoiceTrip &t : m_session.trips())
        rows << gridRow(t);
    GridEX1->setRows(kGridFields, rows);

    // The design's widths, with the date and the numbers widened so that the
    // bold face of this grid never cuts them.
    setListColumns(GridEX1, {{"Дата", 1400, "", 0, false},
                             {"Маршрут", 2600, "", 0, false},
                             {"Товар", 2050, "", 0, false},
                             {"Кола", 1300, "", 1, false},
                             {"Км", 750, "###0", 2, false},
                             {"Тонаж", 1050, "###0.000", 2, false},
                             {"Тар.", 850, kTariffFormat, 2, false},
                             {"Сума", 1350, "###0.00", 2, false},
                             {"Факт.", 650, "", 1, true}});
    GridEX1->Columns(ColNomFakt).setVisible(false);
    GridEX1->setAllowEdit(false);
    GridEX1->setAllowDelete(false);
    m_session.enterRow(GridEX1->currentRow());
}

void Faktura::showTitle()
{
    if (m_session.mode() == InvoiceSession::FaktNew && flgNomFakt)
        Text1->setText(m_title + QStringLiteral(" за фактура №") + sNomFakt);
    else
        Text1->setText(m_title);
}

void Faktura::changeEvent(QEvent *e)
{
    QDialog::changeEvent(e);
    if (e->type() != QEvent::ActivationChange)
        return;
    if (!isActiveWindow()) {
        // Left for another window of the program (a dialog, the printout) or
        // for another program; only coming back from our own counts.
        m_awayInProgram = QApplication::activeWindow() != nullptr;
        return;
    }
    if (m_awayInProgram) {
        m_awayInProgram = false;
        Form_Activate();
    }
}

void Faktura::Form_Activate()
{
    GridEX1->SetFocus();
    GridEX1->sendKey(40);
}

void Faktura::GridEX1_KeyDown(int &keyCode, int shift)
{
    Q_UNUSED(shift);
    if (keyCode == 32) {
        const int row = GridEX1->currentRow();
        if (m_session.toggle(row))
            GridEX1->gridModel()->setValue(row, ColFakt - 1, m_session.trips().at(row).fakt);
        keyCode = 0; // the grid does nothing more with Space
    } else if (keyCode == 27) {
        cancelCurrentRow();
        keyCode = 0; // and the screen stays open
    }
    Label4->setText(invoiceSumText(m_session.sumCents()));
    GridEX1->RefreshRows();
}

void Faktura::cancelCurrentRow()
{
    const int row = GridEX1->currentRow();
    if (row < 0 || !m_session.cancelRow())
        return;
    GridEX1->gridModel()->setValue(row, ColFakt - 1, m_session.trips().at(row).fakt);
    Label4->setText(invoiceSumText(m_session.sumCents()));
    GridEX1->RefreshRows();
}

void Faktura::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        cancelCurrentRow();
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void Faktura::cmdFakt_Click()
{
    flgNomFakt = false;
    sNomFakt = kNoInvoice;
    m_session.clearNumber();
    cmdPrint->setEnabled(false);
    {
        DiaFakt dlg(sNomFakt, flgNomFakt, this);
        if (dlg.load())
            dlg.exec();
    }
    if (flgNomFakt) {
        m_session.setNumber(sNomFakt);
        cmdPrint->setEnabled(true);
    } else {
        sNomFakt = kNoInvoice;
    }
    showTitle();
}

void Faktura::cmdPrint_Click()
{
    const QVector<int> rows = m_session.tickedRows();
    if (rows.isEmpty()) {
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), QStringLiteral("Няма курсове за фактуриране!"));
        return;
    }
    const QVector<InvoiceSession::PrintRow> staged = m_session.printRows(rows);
    qint64 sum = 0;
    for (int r : rows)
        sum += toCents(m_session.trips().at(r).bruto);
    const bool editing = m_session.mode() == InvoiceSession::EditFakt;
    const QString subject = editing
                                ? QStringLiteral("за курсовете по издадена фактура №") + sNomFakt
                                : QStringLiteral("за курсовете на ") + m_criteria.client
                                      + QStringLiteral(" по издадена фактура №") + sNomFakt;
    const QString period = editing ? QString() : reportPeriodLine(m_criteria.start, m_criteria.end);
    const bool filled = runReportFill([&] {
        Connection temp;
        temp.open(gTempConnStr);
        if (!temp.hasTable(QStringLiteral("TempPlaten")))
            createTempTableIn(temp, QStringLiteral("TempPlaten"));
        stageInvoiceRows(temp, staged);
        const ReportData data =
            ReportData::fromQuery(temp, QStringLiteral("SELECT * FROM TempPlaten ORDER BY Red"));
        temp.close();
        fillRptFaktura(data, subject, period, invoiceTotals(sum));
    });
    if (!filled)
        return;
    m_session.recordPrint(rows);
    Label4->setText(invoiceSumText(m_session.sumCents()));
    Report &r = rptFaktura();
    r.show(reportDesign(r.name()).modal);
}

bool Faktura::closeInvoice()
{
    // Closing keeps the trips of the last print, or without one (in "FaktNew")
    // takes every tick back. When that is not what the screen shows, the user
    // chooses: back to the screen (the default), or closing as said.
    const QString question = m_session.closingQuestion();
    if (!question.isEmpty() && !Dialog::ask(QStringLiteral("ВНИМАНИЕ!"), question, Dialog::Default::Cancel))
        return false;
    const QDateTime now = QDateTime::currentDateTime();
    const InvoiceSession::CloseResult r = m_session.close(db, now.date(), QTime(now.time().hour(),
                                                                                  now.time().minute(),
                                                                                  now.time().second()));
    switch (r.outcome) {
    case InvoiceSession::NothingWritten:
    case InvoiceSession::Written:
        return true;
    case InvoiceSession::WriteFailed:
        DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), r.error);
        return false;
    case InvoiceSession::NumberTaken:
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     joinLines({QStringLiteral("Имате издадена фактура под номер ") + r.number + QLatin1Char('!'),
                                QStringLiteral("Изберете нов номер и отпечатайте фактурата отново.")}));
        m_session.forgetTaken(r);
        flgNomFakt = false;
        sNomFakt = kNoInvoice;
        cmdPrint->setEnabled(false);
        showTitle();
        return false;
    case InvoiceSession::TripsTaken: {
        const bool editing = m_session.mode() == InvoiceSession::EditFakt;
        const QString count = QString::number(r.taken.size());
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"),
                     joinLines({editing ? QStringLiteral("Междувременно са променени курсове: ") + count
                                        : QStringLiteral("Междувременно са фактурирани курсове: ") + count,
                                QStringLiteral("Те са махнати от списъка."),
                                editing ? QStringLiteral("Проверете фактурата и затворете отново.")
                                        : QStringLiteral("Отпечатайте фактурата отново.")}));
        m_session.forgetTaken(r);
        if (m_session.count() > 0)
            fillGrid();
        else
            GridEX1->unbind();
        Label4->setText(invoiceSumText(m_session.sumCents()));
        return false;
    }
    }
    return true;
}

void Faktura::closeEvent(QCloseEvent *e)
{
    if (m_closed) {
        e->accept();
        return;
    }
    if (!closeInvoice()) {
        e->ignore();
        return;
    }
    m_closed = true;
    e->accept();
    setNormalPointer();
    done(QDialog::Rejected);
}

void Faktura::reject()
{
    // Whatever rejects the screen ends through the closing step too.
    if (m_closed)
        QDialog::reject();
    else
        close();
}

void showFaktura()
{
    Faktura w(openingWindow());
    if (w.load())
        w.exec();
}

} // namespace kelm
