#include "billing/klients.h"

#include "billing/klientsfile.h"
#include "billing/klientsreport.h"
#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/diaseekall.h"
#include "dialogs/filedialog.h"
#include "dialogs/messages.h"
#include "dialogs/mousepointer.h"
#include "dialogs/progdialog.h"
#include "platform/grid.h"
#include "platform/listframe.h"
#include "platform/numbers.h"
#include "platform/singlewindow.h"
#include "platform/version.h"
#include "scratch/scratchrows.h"
#include "scratch/tripcolumns.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

namespace {

QPointer<Klients> s_instance;
Klients::FileAnswer s_fileAnswer;

// Columns of the grid, from 1: the fields of TempKlients in their order.
enum { ColData = 1, ColMarsh, ColTovar, ColKola, ColKM, ColTon, ColTarifa, ColSuma };

} // namespace

Klients *Klients::instance()
{
    return s_instance.data();
}

void Klients::setFileAnswer(FileAnswer answer)
{
    s_fileAnswer = std::move(answer);
}

Klients::Klients(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Klients"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    setModal(false);
    resize(860, 520);

    const ListFrame frame = buildListFrame(this);
    Text1 = frame.title;
    GridEX1 = frame.grid;

    Label1 = listLabel(this, QStringLiteral("Label1"), QStringLiteral("Всичко:"));
    Label2 = listLabel(this, QStringLiteral("Label2"), QStringLiteral("км"), true, 90);
    Label3 = listLabel(this, QStringLiteral("Label3"), QStringLiteral("тон"), true, 90);
    Label4 = listLabel(this, QStringLiteral("Label4"), QStringLiteral("лв"), true, 90);
    for (QLabel *l : {Label2, Label3, Label4}) {
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
    }
    Label5 = listLabel(this, QStringLiteral("Label5"), QStringLiteral("F4"));
    Label6 = listLabel(this, QStringLiteral("Label6"), QStringLiteral("- Корекция"), false);
    Label7 = listLabel(this, QStringLiteral("Label7"), QStringLiteral("Delete"));
    Label8 = listLabel(this, QStringLiteral("Label8"), QStringLiteral("- Изтрива ред"), false);

    cmdOpenFile = listButton(this, QStringLiteral("cmdOpenFile"), QStringLiteral("Зареди файл"), 95);
    cmdSaveFile = listButton(this, QStringLiteral("cmdSaveFile"), QStringLiteral("Запис файл"), 95);
    cmdPrint = listButton(this, QStringLiteral("cmdPrint"), QStringLiteral("Печат"), 95);
    cmdClose = listButton(this, QStringLiteral("cmdClose"), QStringLiteral("Затвори"), 95);
    cmdSaveFile->setVisible(false);
    cmdSaveFile->setEnabled(false);

    auto *totals = new QHBoxLayout;
    totals->addWidget(Label1);
    totals->addWidget(Label2);
    totals->addWidget(Label3);
    totals->addWidget(Label4);
    totals->addSpacing(24);
    totals->addWidget(Label5);
    totals->addWidget(Label6);
    totals->addSpacing(12);
    totals->addWidget(Label7);
    totals->addWidget(Label8);
    totals->addStretch(1);
    auto *buttons = new QGridLayout;
    // The two file buttons share one place: only one of them is ever seen.
    buttons->addWidget(cmdOpenFile, 0, 0);
    buttons->addWidget(cmdSaveFile, 0, 0);
    buttons->addWidget(cmdPrint, 0, 1);
    buttons->addWidget(cmdClose, 0, 2);
    totals->addLayout(buttons);
    frame.layout->addLayout(totals);

    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdPrint, &QPushButton::clicked, this, &Klients::cmdPrint_Click);
    connect(cmdSaveFile, &QPushButton::clicked, this, &Klients::cmdSaveFile_Click);
    connect(cmdOpenFile, &QPushButton::clicked, this, &Klients::cmdOpenFile_Click);
    GridEX1->setKeyDown([this](int &keyCode, int shift) { GridEX1_KeyDown(keyCode, shift); });
    connect(GridEX1, &Grid::cellEdited, this, &Klients::cellEdited);
    connect(GridEX1, &Grid::rowDeleted, this, [this](int) {
        // A row taken off the statement is a correction too, lost on closing.
        m_unkeptCorrections = true;
        showTotals();
    });
    connect(GridEX1, &Grid::rowReverted, this, [this](int) { showTotals(); });
}

Klients::~Klients()
{
    setNormalPointer();
    GridEX1->unbind();
    adoTempRS.close();
    // The scratch rows go with the screen; a printout already shown keeps its own copy.
    m_scratch.reset();
}

Connection &Klients::scratch()
{
    return m_scratch->conn();
}

bool Klients::load()
{
    const DiaSeekAll &seek = DiaSeekAll::instance();
    m_criteria.client = seek.Klient;
    m_criteria.goods = seek.Tovar;
    m_criteria.route = seek.Marsh;
    m_criteria.car = seek.Kola;
    m_criteria.start = seek.startDate();
    m_criteria.end = seek.endDate();
    m_subject = {m_criteria.client, m_criteria.start, m_criteria.end};

    setStatusText(QStringLiteral("Справка за курсове..."));
    setWindowTitle(screenCaption(QStringLiteral("Курсове на ") + m_criteria.client));
    Text1->setText(QStringLiteral("Курсове за клиент към ") + formatDate(QDate::currentDate()));

    int found = 0;
    try {
        m_scratch = std::make_unique<ScratchRows>(QStringLiteral("TempKlients"));
        {
            ProgressScope progress(QStringLiteral("Обработка на курсовете на клиент..."), 1);
            Connection db;
            db.open(gConnStr);
            found = fillStatement(db, m_scratch->conn(), m_criteria, [&progress](int done, int total) {
                ProgDialog::instance().ProgBar->setMaximum(total + 1);
                progress.step(done + 1);
            });
            db.close();
        }
        adoTempRS.open(m_scratch->conn(), QStringLiteral("SELECT * FROM TempKlients"));
    } catch (const DbError &e) {
        setNormalPointer();
        DiaInf::show(QStringLiteral("ГРЕШКА при зареждане!"), e.text());
        return false;
    }

    GridEX1->setAllowEdit(false);
    GridEX1->setAllowDelete(true);
    GridEX1->setBoundRecordset(&adoTempRS);
    setColumns();
    if (found == 0) {
        // The totals keep their design texts: there is nothing to add up.
        DiaInf::show(QString(), joinLines({QStringLiteral("Няма курсове при тези условия!"), QString(),
                                           QStringLiteral("Проверете си условията за търсене!")}));
        return true;
    }
    showTotals();
    return true;
}

void Klients::setColumns()
{
    setTripGridColumns(GridEX1);
    GridEX1->Columns(ColKM).setRowValidator(
        [this](int row, const QString &t) { return cellRefusal(row, StatementCell::Km, t); });
    GridEX1->Columns(ColTarifa).setRowValidator(
        [this](int row, const QString &t) { return cellRefusal(row, StatementCell::Tariff, t); });
}

QString Klients::cellRefusal(int row, StatementCell cell, const QString &typed) const
{
    const GridModel *m = GridEX1->gridModel();
    return statementCellRefusal(cell, typed, m->value(row, ColKM - 1).toDouble(),
                                m->value(row, ColTon - 1).toDouble(), m->value(row, ColTarifa - 1).toDouble());
}

void Klients::GridEX1_KeyDown(int &keyCode, int shift)
{
    Q_UNUSED(shift);
    switch (keyCode) {
    case 115: // F4
        GridEX1->setAllowEdit(true);
        offerSave();
        break;
    case 33: // PgUp
    case 34: // PgDn
    case 35: // End
    case 36: // Home
        GridEX1->setAllowEdit(false);
        break;
    case 46: // Delete: the grid then removes the row
        GridEX1->setAllowEdit(false);
        offerSave();
        break;
    default:
        break;
    }
}

// Once the statement was changed, it is there to be kept: "Запис файл" takes
// the place of "Зареди файл" until the screen closes.
void Klients::offerSave()
{
    cmdSaveFile->setEnabled(true);
    cmdSaveFile->setVisible(true);
    cmdOpenFile->setEnabled(false);
    cmdOpenFile->setVisible(false);
}

// A corrected kilometre count or tariff changes the trip's amount.
void Klients::cellEdited(int row, int col)
{
    if (col != ColKM && col != ColTarifa)
        return;
    GridModel *m = GridEX1->gridModel();
    const double km = m->value(row, ColKM - 1).toDouble();
    const double ton = m->value(row, ColTon - 1).toDouble();
    const double tariff = m->value(row, ColTarifa - 1).toDouble();
    m->setValue(row, ColSuma - 1, statementAmount(km, ton, tariff));
    m_unkeptCorrections = true;
    showTotals();
}

void Klients::showTotals()
{
    m_totals = statementTotals(adoTempRS);
    Label2->setText(formatNumber(m_totals.km, 0));
    Label3->setText(formatNumber(m_totals.tons, 2));
    Label4->setText(moneyText(m_totals.money));
}

bool Klients::event(QEvent *e)
{
    const bool r = QDialog::event(e);
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    return r;
}

void Klients::Form_Activate()
{
    if (m_activated)
        return; // coming back to the screen leaves the user where they were
    m_activated = true;
    // At opening the grid has the keyboard, one row down from the first.
    GridEX1->SetFocus();
    GridEX1->sendKey(40);
}

void Klients::cmdPrint_Click()
{
    if (!GridEX1->commitRow())
        return;
    flgPrint = true;
    if (PrintKlientStatement(m_scratch->conn(), m_subject))
        m_unkeptCorrections = false;
}

QString Klients::askFile(bool save)
{
    FileDialog dlg(this, save ? QStringLiteral("Запис на данни за клиенти")
                               : QStringLiteral("Зареждане на данни за клиенти"),
                   programFolder(), statementFileFilter());
    dlg.setObjectName(QStringLiteral("CommonDialog1"));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save)
        dlg.setDefaultSuffix(statementFileSuffix()); // and asks before replacing a file
    if (s_fileAnswer)
        return s_fileAnswer(dlg);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().constFirst();
}

void Klients::cmdSaveFile_Click()
{
    if (!GridEX1->commitRow())
        return;
    const QString path = askFile(true);
    if (path.isEmpty())
        return; // back to the statement
    try {
        WaitCursor wait;
        saveStatementFile(m_scratch->conn(), m_subject, path);
    } catch (const StatementFileError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), e.text());
        return;
    }
    flgSave = true;
    m_unkeptCorrections = false;
    close();
}

void Klients::cmdOpenFile_Click()
{
    if (!GridEX1->commitRow())
        return;
    const QString path = askFile(false);
    if (path.isEmpty())
        return;
    StatementSubject loaded;
    try {
        WaitCursor wait;
        loaded = loadStatementFile(m_scratch->conn(), path);
        adoTempRS.requery();
    } catch (const StatementFileError &e) {
        DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), e.text());
        return;
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА при зареждане!"), e.text());
        return;
    }
    flgLoad = true;
    m_unkeptCorrections = false; // the rows are the file's now
    m_subject = loaded;
    setWindowTitle(screenCaption(QStringLiteral("Курсове на ") + m_subject.client));
    // Bound anew in the screen's order. The sort is lifted while the rows come in,
    // so that the 20,000 rows of a big statement are ordered once, not three times.
    GridEX1->setSortColumns({});
    GridEX1->setBoundRecordset(&adoTempRS);
    GridEX1->setSortColumns({1, 4});
    showTotals();
}

void Klients::done(int result)
{
    // A good value still open in a cell counts as taken; a refused one goes with
    // the statement, unasked.
    if (GridEX1->isEditing() && GridEX1->editRefusal().isEmpty() && !GridEX1->commitRow())
        return;
    // Corrections live only in this statement: closing without a print or a
    // file loses them, so the user decides, Enter keeping the screen.
    if (m_unkeptCorrections) {
        const QString question =
            joinLines({QStringLiteral("Корекциите в справката не са нито отпечатани, нито записани във файл!"),
                       QStringLiteral("При затваряне те ще бъдат загубени."),
                       QStringLiteral("Да затворя ли справката?")});
        if (!Dialog::ask(QStringLiteral("ВНИМАНИЕ!"), question, Dialog::Default::Cancel))
            return;
    }
    setNormalPointer();
    QDialog::done(result);
}

void showKlients()
{
    showSingleLoaded(s_instance);
}

} // namespace kelm
