#include "fleet/rowdlist.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/fillcombo.h"
#include "dialogs/messages.h"
#include "fleet/fuel.h"
#include "fleet/rowdlistlegs.h"
#include "fleet/rowdlistrules.h"
#include "platform/boxlength.h"
#include "platform/dataform.h"
#include "platform/fittexts.h"
#include "platform/numbers.h"
#include "platform/placement.h"
#include "platform/version.h"

#include <QApplication>
#include <algorithm>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace kelm {

static const QString kAttention = QStringLiteral("   ВНИМАНИЕ!");
static const QString kError = QStringLiteral("   ГРЕШКА!");

void waybillMessage(const QStringList &lines, const QString &title)
{
    msgBox(lines.join(QStringLiteral("\r\r")), title, true);
}

bool waybillQuestion(const QStringList &lines, const QString &title)
{
    return msgAsk(lines.join(QStringLiteral("\r\r")), title);
}

static void failure(const QString &what, const DbError &e)
{
    waybillMessage({what, e.text()}, kError);
}

// Box index -> field, label, as on the sheet page.
struct SheetBox {
    int index;
    const char *field;
    const char *label;
};
static const SheetBox kBoxes[] = {
    {4, "ListID", "Лист"},
    {0, "Data", "Дата"},
    {3, "Kola", "Кола №"},
    {2, "NameDriver", "Шофьор"},
    {1, "SumKM", "KM по пътен лист"},
    {6, "SumRazhN", "Разход нафта"},
    {5, "EndKM", "КМ при зарежд."},
    {8, "ZarN", "Заредена нафта"},
    {9, "CenaN", "Единич.цена нафта"},
    {7, "ZarM", "Заредено масло"},
    {10, "CenaM", "Единич.цена масло"},
};

// The largest number each number box of the sheet takes.
static double sheetBoxBound(int index)
{
    switch (index) {
    case 1:
        return limits::kKm;
    case 5:
        return limits::kOdometer;
    case 9:
    case 10:
        return limits::kPrice;
    default:
        return limits::kLitres; // the fuel by norm, the oil and diesel filled
    }
}

RowdList::RowdList(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RowdList"));
    setWindowTitle(QStringLiteral("Тревалон ") + versionFull() + QStringLiteral(" - Пътни листи"));
    buildUi();
}

RowdList::~RowdList()
{
    QApplication::restoreOverrideCursor();
}

static QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setDefault(false);
    b->setMinimumWidth(81);
    return b;
}

void RowdList::buildUi()
{
    auto *top = new QVBoxLayout(this);

    tbsOptions = new QTabBar(this);
    tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    tbsOptions->addTab(QStringLiteral("Обща част"));
    tbsOptions->setTabData(0, QStringLiteral("RowdMix"));
    tbsOptions->setTabToolTip(0, QStringLiteral("Обща част от пътния лист"));
    tbsOptions->addTab(QStringLiteral("Маршрути"));
    tbsOptions->setTabData(1, QStringLiteral("RowdMarsh"));
    tbsOptions->setTabToolTip(1, QStringLiteral("Маршрути от пътния лист"));
    tbsOptions->setDrawBase(true);
    top->addWidget(tbsOptions);

    // --- Обща част
    picRowsList0 = new QWidget(this);
    picRowsList0->setObjectName(QStringLiteral("picRowsList_0"));
    auto *p0 = new QVBoxLayout(picRowsList0);
    Frame1 = new QGroupBox(picRowsList0);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(Frame1);
    grid->setHorizontalSpacing(10);
    for (int i = 0; i < 11; ++i) {
        txtFields[i] = new QLineEdit(Frame1);
        txtFields[i]->setObjectName(QStringLiteral("txtFields_%1").arg(i));
    }
    limitTyping(txtFields[4], kSheetNumberLength);
    ComboNameShof = new QComboBox(Frame1);
    ComboNameShof->setObjectName(QStringLiteral("ComboNameShof"));
    ComboNameShof->setEditable(true);
    ComboNameShof->setInsertPolicy(QComboBox::NoInsert);
    ComboKola = new QComboBox(Frame1);
    ComboKola->setObjectName(QStringLiteral("ComboKola"));
    ComboKola->setEditable(true);
    ComboKola->setInsertPolicy(QComboBox::NoInsert);
    int n = 0;
    for (const SheetBox &b : kBoxes) {
        // Two columns of label and box: the identity of the sheet on the left,
        // kilometres and fuel on the right.
        const int row = n < 4 ? n : (n < 7 ? n - 4 : n - 7);
        const int col = n < 4 ? 0 : (n < 7 ? 2 : 4);
        auto *lbl = new QLabel(QString::fromUtf8(b.label), Frame1);
        lbl->setObjectName(QStringLiteral("lblFields_%1").arg(b.index));
        grid->addWidget(lbl, row, col);
        grid->addWidget(txtFields[b.index], row, col + 1);
        if (b.index == 2)
            grid->addWidget(ComboNameShof, row, col + 1);
        if (b.index == 3)
            grid->addWidget(ComboKola, row, col + 1);
        ++n;
    }
    grid->setColumnMinimumWidth(1, 180);
    grid->setColumnMinimumWidth(3, 80);
    grid->setColumnMinimumWidth(5, 80);
    grid->setRowStretch(4, 1);
    for (int i : {1, 6}) {
        // The totals come from the legs ("Изчисли"), never from typing.
        QPalette pal = txtFields[i]->palette();
        pal.setColor(QPalette::Base, QColor(0xE0, 0xE0, 0xE0));
        txtFields[i]->setPalette(pal);
        txtFields[i]->setFocusPolicy(Qt::NoFocus);
        txtFields[i]->setProperty("totalsBox", true);
    }
    p0->addWidget(Frame1, 1);

    // The sheet's buttons and move bar, made here so they sit where the page
    // wants them; the template takes them by name.
    auto *picButtonsRowd = new QWidget(picRowsList0);
    picButtonsRowd->setObjectName(QStringLiteral("picButtonsRowd"));
    auto *bl = new QHBoxLayout(picButtonsRowd);
    bl->setContentsMargins(0, 0, 0, 0);
    cmdAddRowd = makeButton(picButtonsRowd, QStringLiteral("cmdAddRowd"), QStringLiteral("&Добави"));
    cmdEditRowd = makeButton(picButtonsRowd, QStringLiteral("cmdEditRowd"), QStringLiteral("&Поправи"));
    cmdUpdateRowd = makeButton(picButtonsRowd, QStringLiteral("cmdUpdateRowd"), QStringLiteral("&Запиши"));
    cmdDeleteRowd = makeButton(picButtonsRowd, QStringLiteral("cmdDeleteRowd"), QStringLiteral("&Изтрий"));
    cmdCancelRowd = makeButton(picButtonsRowd, QStringLiteral("cmdCancelRowd"), QStringLiteral("&Отказ"));
    for (auto *b : {cmdAddRowd, cmdEditRowd, cmdUpdateRowd, cmdDeleteRowd, cmdCancelRowd})
        bl->addWidget(b);
    bl->addStretch(1);

    auto *picStatBoxRowd = new QWidget(picRowsList0);
    picStatBoxRowd->setObjectName(QStringLiteral("picStatBoxRowd"));
    auto *sl = new QHBoxLayout(picStatBoxRowd);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->setSpacing(2);
    auto nav = [&](const QString &name, QStyle::StandardPixmap pix) {
        auto *b = new QPushButton(picStatBoxRowd);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(pix));
        b->setFixedSize(28, 24);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    cmdFirstRowd = nav(QStringLiteral("cmdFirstRowd"), QStyle::SP_MediaSkipBackward);
    cmdPreviousRowd = nav(QStringLiteral("cmdPreviousRowd"), QStyle::SP_MediaSeekBackward);
    lblStatusRowd = new QLabel(picStatBoxRowd);
    lblStatusRowd->setObjectName(QStringLiteral("lblStatusRowd"));
    lblStatusRowd->setFrameShape(QFrame::Panel);
    lblStatusRowd->setFrameShadow(QFrame::Sunken);
    lblStatusRowd->setMinimumWidth(160);
    cmdNextRowd = nav(QStringLiteral("cmdNextRowd"), QStyle::SP_MediaSeekForward);
    cmdLastRowd = nav(QStringLiteral("cmdLastRowd"), QStyle::SP_MediaSkipForward);
    sl->addWidget(cmdFirstRowd);
    sl->addWidget(cmdPreviousRowd);
    sl->addWidget(lblStatusRowd, 1);
    sl->addWidget(cmdNextRowd);
    sl->addWidget(cmdLastRowd);
    p0->addWidget(picButtonsRowd);
    p0->addWidget(picStatBoxRowd);
    top->addWidget(picRowsList0, 1);

    // --- Маршрути
    picRowsList1 = new QWidget(this);
    picRowsList1->setObjectName(QStringLiteral("picRowsList_1"));
    auto *p1 = new QVBoxLayout(picRowsList1);
    grdMarsh = new QTableView(picRowsList1);
    grdMarsh->setObjectName(QStringLiteral("grdMarsh"));
    m_legsModel = new MarshLegsModel(this);
    grdMarsh->setModel(m_legsModel);
    grdMarsh->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdMarsh->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMarsh->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grdMarsh->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grdMarsh->setColumnWidth(1, 80);
    grdMarsh->setColumnWidth(2, 80);
    grdMarsh->setColumnWidth(3, 70);
    grdMarsh->verticalHeader()->setDefaultSectionSize(22);
    p1->addWidget(grdMarsh, 1);

    auto *picStatBoxMarsh = new QWidget(picRowsList1);
    picStatBoxMarsh->setObjectName(QStringLiteral("picStatBoxMarsh"));
    auto *ml = new QHBoxLayout(picStatBoxMarsh);
    ml->setContentsMargins(0, 0, 0, 0);
    lblStatusMarsh = new QLabel(picStatBoxMarsh);
    lblStatusMarsh->setObjectName(QStringLiteral("lblStatusMarsh"));
    lblStatusMarsh->setFrameShape(QFrame::Panel);
    lblStatusMarsh->setFrameShadow(QFrame::Sunken);
    ml->addWidget(lblStatusMarsh, 1);
    p1->addWidget(picStatBoxMarsh);

    picButtonsMarsh = new QWidget(picRowsList1);
    picButtonsMarsh->setObjectName(QStringLiteral("picButtonsMarsh"));
    auto *mb = new QHBoxLayout(picButtonsMarsh);
    mb->setContentsMargins(0, 0, 0, 0);
    cmdAddMarsh = makeButton(picButtonsMarsh, QStringLiteral("cmdAddMarsh"), QStringLiteral("&Добави"));
    cmdEditMarsh = makeButton(picButtonsMarsh, QStringLiteral("cmdEditMarsh"), QStringLiteral("&Поправи"));
    cmdUpdateMarsh = makeButton(picButtonsMarsh, QStringLiteral("cmdUpdateMarsh"), QStringLiteral("&Запиши"));
    cmdDeleteMarsh = makeButton(picButtonsMarsh, QStringLiteral("cmdDeleteMarsh"), QStringLiteral("&Изтрий"));
    cmdCancelMarsh = makeButton(picButtonsMarsh, QStringLiteral("cmdCancelMarsh"), QStringLiteral("&Отказ"));
    cmdCloseMarsh = makeButton(picButtonsMarsh, QStringLiteral("cmdCloseMarsh"), QStringLiteral("Изчисли"));
    for (auto *b : {cmdAddMarsh, cmdEditMarsh, cmdUpdateMarsh, cmdDeleteMarsh, cmdCancelMarsh, cmdCloseMarsh})
        mb->addWidget(b);
    mb->addStretch(1);
    p1->addWidget(picButtonsMarsh);
    top->addWidget(picRowsList1, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    cmdCloseForm = makeButton(this, QStringLiteral("cmdCloseForm"), QStringLiteral("Затвори"));
    bottom->addWidget(cmdCloseForm);
    top->addLayout(bottom);

    picRowsList1->hide();
    picRowsList1->setEnabled(false);
    picButtonsMarsh->setEnabled(false);
    SetMarshButtons(true);

    // Which move was asked for, so that its failure names it; connected before
    // the template connects its own command to the same buttons.
    connect(cmdFirstRowd, &QPushButton::clicked, this, [this] { m_lastMove = MoveFirst; });
    connect(cmdLastRowd, &QPushButton::clicked, this, [this] { m_lastMove = MoveLast; });
    connect(cmdPreviousRowd, &QPushButton::clicked, this, [this] { m_lastMove = MovePrevious; });
    connect(cmdNextRowd, &QPushButton::clicked, this, [this] { m_lastMove = MoveNext; });
    connect(cmdCancelRowd, &QPushButton::clicked, this, &RowdList::cmdCancelRowd_Before);

    QList<DataFormBox> boxes;
    for (const SheetBox &b : kBoxes) {
        DataFormBox box{txtFields[b.index], QString::fromLatin1(b.field)};
        if (b.index == 2 || b.index == 3 || b.index == 4)
            box.parse = &DataForm::trimmedText;
        boxes << box;
    }
    DataForm::Config cfg;
    cfg.statusText = QStringLiteral("Запис № ");
    cfg.addText = QStringLiteral("Нов запис");
    cfg.editText = QStringLiteral("Корекция на запис");
    cfg.deletes = DataForm::Delete::AtOnce;
    cfg.errors = DataForm::Errors::Own;
    cfg.fieldClick = DataForm::FieldClick::SelectsText;
    cfg.hasClose = false;
    cfg.keyNavigation = false;
    m_form = new DataForm(this, QStringLiteral("Rowd"), m_conn, m_rowdRS, boxes, cfg);
    m_form->hooks.validate = [this] { return validateSheet(); };
    m_form->hooks.readBoxes = [this] { readSheetBoxes(); };
    m_form->hooks.writeExtra = [this](Connection &c) { writeSheetExtra(c); };
    m_form->hooks.afterSave = [this] { afterSheetSave(); };
    m_form->hooks.setButtons = [this](bool browsing) { setSheetButtons(browsing); };
    m_form->hooks.reportError = [this](DataForm::Command cmd, const DbError &e) { reportSheetError(cmd, e); };
    // Another user changed the sheet or its legs: the legs held go with the
    // change, and the page reads them as stored when it opens again.
    m_form->hooks.afterDroppedChange = [this] {
        closeLegs();
        cmdUpdateRowd->setEnabled(true);
        m_editNumber.clear();
        m_editCar.clear();
    };
    // The sheet goes with its legs, after the screen's own question.
    disconnect(cmdDeleteRowd, nullptr, m_form, nullptr);
    connect(cmdDeleteRowd, &QPushButton::clicked, this, &RowdList::cmdDeleteRowd_Click);

    // The legs shown always belong to the sheet shown.
    connect(&m_rowdRS, &Recordset::moveComplete, this, [this] {
        // Legs held for the sheet being saved stay until its save or cancel.
        if (m_legsHeld && !m_form->isBrowsing())
            return;
        if (m_marshRS.isOpen() || picButtonsMarsh->isEnabled())
            closeLegs();
    });
    connect(&m_marshRS, &Recordset::moveComplete, this, [this] {
        writeLegStatus();
        m_legsModel->currentChanged();
        const int row = m_marshRS.currentIndex();
        if (row >= 0 && row < m_marshRS.recordCount())
            grdMarsh->selectRow(row);
    });
    connect(grdMarsh->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &cur) {
                // Clicking a row of the grid makes that leg current (while browsing).
                if (!cur.isValid() || m_legEdit || !m_marshRS.isOpen())
                    return;
                if (cur.row() != m_marshRS.currentIndex() && cur.row() < m_marshRS.recordCount()) {
                    try {
                        m_marshRS.setAbsolutePosition(cur.row() + 1);
                    } catch (const DbError &) {
                    }
                }
            });

    connect(tbsOptions, &QTabBar::currentChanged, this, &RowdList::tabChanged);
    connect(cmdCloseForm, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdAddMarsh, &QPushButton::clicked, this, &RowdList::cmdAddMarsh_Click);
    connect(cmdEditMarsh, &QPushButton::clicked, this, &RowdList::cmdEditMarsh_Click);
    connect(cmdUpdateMarsh, &QPushButton::clicked, this, &RowdList::cmdUpdateMarsh_Click);
    connect(cmdCancelMarsh, &QPushButton::clicked, this, &RowdList::cmdCancelMarsh_Click);
    connect(cmdDeleteMarsh, &QPushButton::clicked, this, &RowdList::cmdDeleteMarsh_Click);
    connect(cmdCloseMarsh, &QPushButton::clicked, this, &RowdList::cmdCloseMarsh_Click);

    txtFields[4]->installEventFilter(this);
    resize(720, 340);
}

bool RowdList::load()
{
    m_headerPage = true;
    ShowCombos(true);
    try {
        m_conn.open(gConnStr);
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при отваряне на пътните листи!"), e);
        return false;
    }
    if (!m_form->open(QStringLiteral("SELECT * FROM RowdList ORDER BY ListID")))
        return false;
    HighlightRequired(false);
    if (m_rowdRS.isEmpty()) {
        // Nothing to browse yet: the screen starts with a new sheet.
        m_form->cmdAdd();
    } else {
        m_lastMove = MoveLast;
        m_form->cmdLast();
    }
    return true;
}

// ---------------------------------------------------------------------------
// Sheet page

void RowdList::ShowCombos(bool b)
{
    txtFields[2]->setVisible(b);
    txtFields[3]->setVisible(b);
    ComboNameShof->setVisible(!b);
    ComboKola->setVisible(!b);
}

void RowdList::HighlightRequired(bool b)
{
    for (QWidget *w : std::initializer_list<QWidget *>{txtFields[4], txtFields[0], ComboKola, ComboNameShof}) {
        if (b) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0x80));
            pal.setColor(QPalette::Text, QColor(0x00, 0x00, 0xC0));
            w->setPalette(pal);
        } else {
            w->setPalette(QPalette());
        }
    }
}

void RowdList::fillLists()
{
    ComboNameShof->clear();
    ComboKola->clear();
    FillCombo(ComboNameShof, QStringLiteral("SELECT DISTINCT ime FROM shof"), QStringLiteral("ime"));
    fitListToEntries(ComboNameShof);
    FillCombo(ComboKola, QStringLiteral("SELECT DISTINCT Kola FROM Config"), QStringLiteral("Kola"));
}

void RowdList::setSheetButtons(bool browsing)
{
    if (browsing) {
        ShowCombos(true);
        HighlightRequired(false);
        holdSheetForLeg();
        return;
    }
    if (m_form->isAdding()) {
        fillLists();
        ComboNameShof->setEditText(QString());
        ComboKola->setEditText(QString());
        ShowCombos(false);
        HighlightRequired(true);
        // A new sheet is saved only once its legs have been opened.
        cmdUpdateRowd->setEnabled(false);
        // Legs opened while browsing were another sheet's, written as typed.
        if (!m_legsHeld)
            closeLegs();
        m_sheetNumber.clear();
        m_editNumber.clear();
        m_editCar.clear();
        setTabOrder(txtFields[4], txtFields[0]);
        setTabOrder(txtFields[0], ComboNameShof);
        setTabOrder(ComboNameShof, ComboKola);
        setTabOrder(ComboKola, txtFields[8]);
        setTabOrder(txtFields[8], txtFields[7]);
        setTabOrder(txtFields[7], txtFields[5]);
        txtFields[4]->setFocus();
    } else {
        m_editNumber = m_rowdRS.value(QStringLiteral("ListID")).toString();
        m_editCar = m_rowdRS.value(QStringLiteral("Kola")).toString();
        // Legs opened while browsing were written as typed; from now on the
        // legs typed are held until the sheet's save.
        if (!m_legsHeld)
            closeLegs();
        HighlightRequired(true);
        if (m_headerPage) {
            fillLists();
            ComboNameShof->setEditText(txtFields[2]->text());
            ComboKola->setEditText(txtFields[3]->text());
            ShowCombos(false);
        }
    }
}

bool RowdList::eventFilter(QObject *obj, QEvent *event)
{
    if (obj == txtFields[4] && event->type() == QEvent::FocusOut && !m_form->isBrowsing()) {
        // Not when a message box or another window takes the focus for a while.
        // Nor when the focus goes to "Отказ" or "Затвори" (the number is dropped)
        // or to "Запиши" (the save checks the number itself): a taken number
        // would otherwise pull the focus back before the button's click, and
        // the sheet could be neither cancelled nor closed.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        QWidget *next = QApplication::focusWidget();
        const bool toCommand = next && (next == cmdCancelRowd || next == cmdUpdateRowd || next == cmdCloseForm);
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !toCommand)
            txtNumber_LostFocus();
    }
    return QDialog::eventFilter(obj, event);
}

void RowdList::txtNumber_LostFocus()
{
    if (m_checkingNumber || m_form->isBrowsing())
        return;
    const QString typed = txtFields[4]->text().trimmed();
    if (typed.isEmpty())
        return;
    m_checkingNumber = true;
    const auto padded = padSheetNumber(typed);
    if (!padded) {
        waybillMessage({QStringLiteral("Номерът на пътния лист е по-дълъг от 10 знака!"),
                        QStringLiteral("Моля, променете номера и опитайте отново.")},
                       kError);
        txtFields[4]->setFocus();
        txtFields[4]->selectAll();
        m_checkingNumber = false;
        return;
    }
    try {
        Connection check;
        check.open(gConnStr);
        const QVariant self = m_form->isAdding() ? QVariant() : m_rowdRS.value(QStringLiteral("ID"));
        if (sheetNumberTaken(check, *padded, self)) {
            waybillMessage({QStringLiteral("Съществува пътен лист със същия номер!"),
                            QStringLiteral("Моля, променете номера и опитайте отново.")},
                           kError);
            txtFields[4]->setFocus();
        }
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при проверката на номера!"), e);
    }
    txtFields[4]->setText(*padded);
    m_checkingNumber = false;
}

bool RowdList::validateSheet()
{
    auto refuse = [](const QString &a, const QString &b) {
        waybillMessage({a, b}, kAttention);
        return false;
    };
    // The sheet writes only saved legs: a leg still being typed would be left
    // out or keep its old values, so the save waits for the leg's own save.
    if (legTypedUnsaved())
        return refuse(QStringLiteral("Маршрутът не е записан!"),
                      QStringLiteral("Запишете маршрута или се откажете от него и опитайте отново."));
    if (IsBlank(txtFields[0]->text()))
        return refuse(QStringLiteral("Няма въведена дата на пътния лист!"),
                      QStringLiteral("Моля, въведете датата на пътния лист."));
    if (IsBadDate(txtFields[0]->text()))
        return refuse(QStringLiteral("Неверен формат на датата!"),
                      QStringLiteral("Проверете въведената дата и опитайте отново."));
    if (IsBlank(txtFields[4]->text()))
        return refuse(QStringLiteral("Няма въведен номер на пътния лист!"),
                      QStringLiteral("Моля, въведете номера на пътния лист."));
    const auto padded = padSheetNumber(txtFields[4]->text());
    if (!padded)
        return refuse(QStringLiteral("Номерът на пътния лист е по-дълъг от 10 знака!"),
                      QStringLiteral("Моля, променете номера и опитайте отново."));
    txtFields[4]->setText(*padded);
    try {
        const QVariant self = m_form->isAdding() ? QVariant() : m_rowdRS.value(QStringLiteral("ID"));
        if (sheetNumberTaken(m_conn, *padded, self)) {
            waybillMessage({QStringLiteral("Съществува пътен лист със същия номер!"),
                            QStringLiteral("Моля, променете номера и опитайте отново.")},
                           kError);
            txtFields[4]->setFocus(Qt::OtherFocusReason);
            return false;
        }
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при записа на пътния лист!"), e);
        return false;
    }
    if (m_headerPage) {
        txtFields[2]->setText(ComboNameShof->currentText());
        txtFields[3]->setText(ComboKola->currentText());
    }
    if (IsBlank(txtFields[3]->text()))
        return refuse(QStringLiteral("Няма въведен номер на кола в пътния лист!"),
                      QStringLiteral("Моля, въведете номера на колата."));
    if (IsBlank(txtFields[2]->text()))
        return refuse(QStringLiteral("Няма въведено име на шофьор!"), QStringLiteral("Моля, въведете името на шофьора."));
    // The numbers typed: none below 0, none beyond its bound.
    for (const SheetBox &b : kBoxes) {
        if (b.index != 5 && b.index < 7)
            continue;
        const QString typed = txtFields[b.index]->text();
        const auto x = parseBounded(typed, sheetBoxBound(b.index));
        if (IsBlank(typed) || (x && *x >= 0))
            continue;
        txtFields[b.index]->setFocus();
        txtFields[b.index]->selectAll();
        const QString second = QStringLiteral("Моля, въведете число, не по-малко от 0.");
        return refuse(QStringLiteral("Невалидно число в полето „%1“!").arg(QString::fromUtf8(b.label)),
                      typed.trimmed().startsWith(QLatin1Char('-'))
                          ? second
                          : withBoundLine(second, typed, sheetBoxBound(b.index)));
    }
    // The sheet's totals are those of the legs its save writes: no legs, no sheet.
    QVector<WaybillLeg> legs;
    try {
        legs = legsToSave(m_conn);
        const QString car = txtFields[3]->text().trimmed();
        if (!legs.isEmpty() && car != legsCar() && !carNorm(m_conn, car))
            return refuse(QStringLiteral("Колата няма въведена разходната норма!"),
                          QStringLiteral("Моля, въведете разходната норма на колата."));
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при записа на пътния лист!"), e);
        return false;
    }
    if (legs.isEmpty())
        return refuse(QStringLiteral("Няма въведени маршрути към пътния лист!"),
                      QStringLiteral("Моля, въведете маршрутите за движение на колата."));
    for (int i : {5, 7, 8, 9, 10})
        if (IsBlank(txtFields[i]->text()))
            txtFields[i]->setText(QStringLiteral("0"));
    return true;
}

QVector<WaybillLeg> RowdList::legsToSave(Connection &conn) const
{
    QVector<WaybillLeg> legs;
    if (m_legsHeld && m_marshRS.isOpen())
        legs = heldLegs();
    else if (!m_form->isAdding())
        legs = storedLegs(conn, m_editNumber);
    legs.erase(std::remove_if(legs.begin(), legs.end(), isEmptyLeg), legs.end());
    return legs;
}

LegsAsRead RowdList::legsAsRead() const
{
    // Legs not held on the page are read inside the save's own transaction.
    if (!(m_legsHeld && m_marshRS.isOpen()) || m_legsReadNumber.isEmpty())
        return {};
    return {m_legsReadNumber, m_marshRS.rowsAsRead()};
}

QString RowdList::legsCar() const
{
    return m_legsHeld && m_marshRS.isOpen() ? m_legsCar : m_editCar;
}

void RowdList::readSheetBoxes()
{
    auto text = [this](int i) { return txtFields[i]->text().trimmed(); };
    auto number = [&](int i) -> QVariant {
        const auto n = parseBounded(text(i), sheetBoxBound(i));
        return n ? QVariant(*n) : QVariant();
    };
    m_rowdRS.setValue(QStringLiteral("ListID"), text(4));
    m_rowdRS.setValue(QStringLiteral("Data"), parseDate(text(0)).value_or(QDate()));
    m_rowdRS.setValue(QStringLiteral("Kola"), text(3));
    m_rowdRS.setValue(QStringLiteral("NameDriver"), text(2));
    const auto endKm = parseBounded(text(5), sheetBoxBound(5));
    m_rowdRS.setValue(QStringLiteral("EndKM"), endKm ? QVariant(qlonglong(Round(*endKm, 0))) : QVariant());
    m_rowdRS.setValue(QStringLiteral("ZarM"), number(7));
    m_rowdRS.setValue(QStringLiteral("ZarN"), number(8));
    m_rowdRS.setValue(QStringLiteral("CenaN"), number(9));
    m_rowdRS.setValue(QStringLiteral("CenaM"), number(10));
}

void RowdList::writeSheetExtra(Connection &conn)
{
    // The sheet and its legs are written together, in the save's transaction: the
    // legs held on the page, or the ones stored under the number the sheet had
    // (which follow a renumbered sheet). Legs that no sheet carried under a new
    // number are not taken as the sheet's own.
    const QString number = m_rowdRS.value(QStringLiteral("ListID")).toString();
    const bool adding = m_form->isAdding();
    const QVariant self = adding ? QVariant() : m_rowdRS.value(QStringLiteral("ID"));
    carryLegsOnSave(conn, number, self, {});
    QVector<WaybillLeg> legs = legsToSave(conn);
    // The fuel of the legs is that of the car the sheet is saved with.
    const QString car = m_rowdRS.value(QStringLiteral("Kola")).toString();
    if (!legs.isEmpty() && car != legsCar()) {
        const auto norm = carNorm(conn, car);
        if (!norm)
            throw DbError(ErrFuelMissing, QStringLiteral("Колата няма въведена разходна норма."));
        applyNorm(legs, *norm);
    }
    QStringList replaced{number};
    if (!adding)
        replaced << m_editNumber;
    // Legs held on the page replace those it read only while they are still
    // stored as read; the sheet's totals go with the sheet's own checked write.
    replaceSheetLegs(conn, number, replaced, legs, legsAsRead(), false);
    const SheetTotals t = legTotals(legs);
    m_rowdRS.setValue(QStringLiteral("SumKM"), totalKmValue(t));
    m_rowdRS.setValue(QStringLiteral("SumRazhN"), totalFuelValue(t));
}

QVector<WaybillLeg> RowdList::heldLegs(const WaybillLeg *saved) const
{
    QVector<WaybillLeg> legs;
    for (int i = 0; i < m_marshRS.recordCount(); ++i) {
        if (saved && i == m_marshRS.currentIndex()) {
            legs.push_back(*saved);
            continue;
        }
        // A leg started but not yet saved with the legs' "Запиши" is no leg yet.
        if (m_legEdit && m_legAdding && i == m_marshRS.currentIndex())
            continue;
        const WaybillLeg leg{m_marshRS.value(i, QStringLiteral("Marshrut")), m_marshRS.value(i, QStringLiteral("KM")),
                             m_marshRS.value(i, QStringLiteral("Ton")), m_marshRS.value(i, QStringLiteral("Koef")),
                             m_marshRS.value(i, QStringLiteral("RazhN"))};
        if (!isEmptyLeg(leg))
            legs.push_back(leg);
    }
    return legs;
}

void RowdList::afterSheetSave()
{
    m_lastMove = MovePrevious;
    m_form->cmdPrevious();
    m_lastMove = MoveNext;
    m_form->cmdNext();
    m_headerPage = true;
    m_editNumber.clear();
    m_editCar.clear();
    closeLegs();
}

void RowdList::cmdCancelRowd_Before()
{
    // Runs before the template's cancel: an abandoned new sheet takes the legs
    // entered for it along; the save is open again for the next correction.
    dropAbandonedLegs();
    cmdUpdateRowd->setEnabled(true);
    m_editNumber.clear();
    m_editCar.clear();
}

void RowdList::dropAbandonedLegs()
{
    // Legs held for a sheet that is not saved were never written: they go with it.
    if (m_legsHeld)
        closeLegs();
}

void RowdList::cmdDeleteRowd_Click()
{
    if (!m_form->isBrowsing())
        return;
    if (!waybillQuestion({QStringLiteral("Изтривате информацията за пътния лист!"),
                          QStringLiteral("Потвърдете изтриването на пътния лист!")},
                         kAttention))
        return;
    try {
        deleteSheetWithLegs(m_conn, m_rowdRS);
        if (m_rowdRS.isEmpty()) {
            m_form->SetButtons(true);
            m_form->showRecord();
            closeLegs();
            return;
        }
        m_rowdRS.moveNext();
        if (m_rowdRS.eof())
            m_rowdRS.moveLast();
        m_form->SetButtons(true);
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при изтриването на пътния лист!"), e);
    }
}

void RowdList::reportSheetError(int cmd, const DbError &e)
{
    QString what;
    switch (cmd) {
    case DataForm::CmdAdd: what = QStringLiteral("ГРЕШКА при добавяне на пътния лист!"); break;
    case DataForm::CmdEdit: what = QStringLiteral("ГРЕШКА при корекцията на пътния лист!"); break;
    case DataForm::CmdUpdate: what = QStringLiteral("ГРЕШКА при записа на пътния лист!"); break;
    case DataForm::CmdDelete: what = QStringLiteral("ГРЕШКА при изтриването на пътния лист!"); break;
    case DataForm::CmdMove:
        switch (m_lastMove) {
        case MoveFirst: what = QStringLiteral("ГРЕШКА при преместване на първия запис!"); break;
        case MoveLast: what = QStringLiteral("ГРЕШКА при преместване на последния запис!"); break;
        case MovePrevious: what = QStringLiteral("ГРЕШКА при преместване на предходния запис!"); break;
        case MoveNext: what = QStringLiteral("ГРЕШКА при преместване на следващия!"); break;
        }
        break;
    default: what = QStringLiteral("ГРЕШКА при отваряне на пътните листи!"); break;
    }
    failure(what, e);
}

void RowdList::keyPressEvent(QKeyEvent *e)
{
    // The screen has no keys of its own: Esc and Enter do not close it.
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void RowdList::done(int r)
{
    // A sheet or a leg being added or corrected is not dropped unasked; staying
    // is the default answer.
    QString unwritten;
    if (m_form->isEditing() || (m_form->isAdding() && newSheetTyped()))
        unwritten = QStringLiteral("Пътният лист не е записан!");
    else if (m_legEdit)
        unwritten = QStringLiteral("Маршрутът не е записан!");
    if (!unwritten.isEmpty()
        && !waybillQuestion({unwritten, QStringLiteral("Да затворя ли без запис?")}, kAttention))
        return;
    // A new sheet never saved leaves no legs.
    dropAbandonedLegs();
    QDialog::done(r);
}

bool RowdList::newSheetTyped() const
{
    // A new sheet nothing was typed into (as the screen opens on an empty table)
    // is no work to lose.
    for (int i : {0, 4, 5, 7, 8, 9, 10})
        if (!IsBlank(txtFields[i]->text()))
            return true;
    if (!IsBlank(ComboKola->currentText()) || !IsBlank(ComboNameShof->currentText()))
        return true;
    return m_legsHeld && m_marshRS.isOpen() && !heldLegs().isEmpty();
}

bool RowdList::legTypedUnsaved() const
{
    if (!m_legEdit || !m_marshRS.isOpen() || m_marshRS.bof() || m_marshRS.eof())
        return false;
    const QStringList &fields = MarshLegsModel::fields();
    for (int c = 0; c < fields.size(); ++c) {
        // Against what the row holds: nothing for a new leg, the stored values for
        // one being corrected.
        if (m_legsModel->pendingValue(c).toString().trimmed() != m_marshRS.value(fields[c]).toString().trimmed())
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Legs page

void RowdList::tabChanged(int index)
{
    const bool legsPage = tbsOptions->tabData(index).toString() == QLatin1String("RowdMarsh");
    picRowsList0->setVisible(!legsPage);
    picRowsList0->setEnabled(!legsPage);
    picRowsList1->setVisible(legsPage);
    picRowsList1->setEnabled(legsPage);
    if (legsPage)
        openLegs();
    else
        m_headerPage = true;
}

QString RowdList::currentCar() const
{
    // While the car list stands in for the car box, the list holds the car.
    if (!m_form->isBrowsing() && !ComboKola->isHidden())
        return ComboKola->currentText().trimmed();
    return txtFields[3]->text().trimmed();
}

void RowdList::closeLegs()
{
    m_legsHeld = false;
    m_marshRS.close();
    m_legsModel->setRecordset(nullptr);
    m_legEdit = m_legAdding = false;
    SetMarshButtons(true);
    picButtonsMarsh->setEnabled(false);
    lblStatusMarsh->clear();
}

void RowdList::releaseLegsPage()
{
    if (!m_legsHeld) {
        closeLegs();
        return;
    }
    m_legsModel->setRecordset(nullptr);
    SetMarshButtons(true);
    picButtonsMarsh->setEnabled(false);
    lblStatusMarsh->clear();
}

void RowdList::openLegs()
{
    const QString car = currentCar().trimmed();
    if (car.isEmpty()) {
        releaseLegsPage();
        waybillMessage({QStringLiteral("Няма въведен номер на кола в пътния лист!"),
                        QStringLiteral("Моля, въведете номера на колата.")},
                       kAttention);
        return;
    }
    QString number;
    if (m_form->isAdding()) {
        const QString typed = txtFields[4]->text().trimmed();
        const auto padded = padSheetNumber(typed);
        QString refusal;
        if (typed.isEmpty())
            refusal = QStringLiteral("Няма въведен номер на пътния лист!");
        else if (!padded)
            refusal = QStringLiteral("Номерът на пътния лист е по-дълъг от 10 знака!");
        else {
            try {
                // Another sheet's legs must not show up as the new sheet's.
                if (sheetNumberTaken(m_conn, *padded))
                    refusal = QStringLiteral("Съществува пътен лист със същия номер!");
            } catch (const DbError &e) {
                releaseLegsPage();
                failure(QStringLiteral("ГРЕШКА при добавяне на маршрут!"), e);
                return;
            }
        }
        if (!refusal.isEmpty()) {
            releaseLegsPage();
            waybillMessage({refusal, QStringLiteral("Моля, въведете номера на пътния лист.")}, kAttention);
            return;
        }
        number = *padded;
        txtFields[4]->setText(number);
    } else {
        if (m_rowdRS.bof() || m_rowdRS.eof()) {
            closeLegs();
            return;
        }
        number = m_rowdRS.value(QStringLiteral("ListID")).toString();
    }
    m_carNumber = car;
    m_sheetNumber = number;
    try {
        // While the sheet is added or corrected its legs are held here until the
        // sheet's save writes both; held legs stay when the page is opened again
        // (also under a newly typed number), and so does a leg being added or
        // corrected, on a sheet only viewed as well (which cannot be left until
        // then). A new sheet starts with no legs: whatever is stored under a
        // number no sheet carries is not its own.
        const bool hold = !m_form->isBrowsing();
        if (!(m_marshRS.isOpen() && (hold ? m_legsHeld : m_legEdit))) {
            m_legEdit = m_legAdding = false;
            const QString sql = m_form->isAdding()
                ? QStringLiteral("SELECT MarshID,Marshrut,KM,Ton,Koef,RazhN FROM Marsh WHERE ID IS NULL")
                : QStringLiteral("SELECT MarshID,Marshrut,KM,Ton,Koef,RazhN FROM Marsh WHERE MarshID=?");
            m_marshRS.open(m_conn, sql, m_form->isAdding() ? QVariantList() : QVariantList{number},
                           Recordset::LockBatchOptimistic);
            m_legsReadNumber = m_form->isAdding() ? QString() : number;
            m_legsHeld = hold;
            m_legsCar = m_form->isAdding() ? car : m_editCar;
        }
        if (m_legsModel->recordset() != &m_marshRS)
            m_legsModel->setRecordset(&m_marshRS);
        picButtonsMarsh->setEnabled(true);
        picButtonsMarsh->show();
        if (m_legEdit) {
            lblStatusMarsh->setText(QStringLiteral("Корекция..."));
            m_legsModel->setEditing(true);
            SetMarshButtons(false);
            grdMarsh->setCurrentIndex(m_legsModel->index(m_marshRS.currentIndex(), 0));
        } else if (m_marshRS.isEmpty()) {
            SetMarshButtons(true);
            // A sheet without legs starts its first leg at once.
            m_marshRS.addNew();
            m_legsModel->reload();
            m_legAdding = true;
            lblStatusMarsh->setText(QStringLiteral("Корекция..."));
            m_legEdit = true;
            m_legsModel->setEditing(true);
            SetMarshButtons(false);
            grdMarsh->setCurrentIndex(m_legsModel->index(0, 0));
        } else {
            SetMarshButtons(true);
            writeLegStatus();
            if (m_marshRS.currentIndex() >= 0)
                grdMarsh->selectRow(m_marshRS.currentIndex());
        }
    } catch (const DbError &e) {
        closeLegs();
        failure(QStringLiteral("ГРЕШКА при добавяне на маршрут!"), e);
        return;
    }
    cmdUpdateRowd->setEnabled(true);
}

void RowdList::SetMarshButtons(bool b)
{
    cmdAddMarsh->setVisible(b);
    cmdEditMarsh->setVisible(b);
    cmdDeleteMarsh->setVisible(b);
    cmdCloseMarsh->setVisible(b);
    cmdUpdateMarsh->setVisible(!b);
    cmdCancelMarsh->setVisible(!b);
    holdSheetForLeg();
}

void RowdList::holdSheetForLeg()
{
    // Moving to another sheet, or adding, correcting or deleting one, would drop
    // the leg typed: as while a sheet is edited, the sheet stays where it is.
    // (A sheet being added or corrected has these switched by the template.)
    if (!m_form || !m_form->isBrowsing())
        return;
    const bool free = !m_legEdit;
    const bool any = m_rowdRS.isOpen() && !m_rowdRS.isEmpty();
    for (QPushButton *b : {cmdFirstRowd, cmdPreviousRowd, cmdNextRowd, cmdLastRowd, cmdAddRowd})
        b->setEnabled(free);
    cmdEditRowd->setEnabled(free && any);
    cmdDeleteRowd->setEnabled(free && any);
}

void RowdList::writeLegStatus()
{
    if (m_legEdit)
        return;
    const int pos = m_marshRS.isOpen() ? m_marshRS.absolutePosition() : 0;
    lblStatusMarsh->setText(pos > 0 ? QStringLiteral("Запис № ") + QString::number(pos)
                                    : QStringLiteral("Запис № "));
}

void RowdList::cmdAddMarsh_Click()
{
    try {
        if (!m_marshRS.isOpen())
            throw DbError(ErrNoCurrentRecord, QStringLiteral("Маршрутите не са отворени."));
        if (!m_marshRS.isEmpty())
            m_marshRS.moveLast();
        m_marshRS.addNew();
        m_legsModel->reload();
        m_legAdding = true;
        m_legEdit = true;
        m_legsModel->setEditing(true);
        grdMarsh->setFocus();
        grdMarsh->setCurrentIndex(m_legsModel->index(m_marshRS.currentIndex(), 0));
        SetMarshButtons(false);
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при добавяне на маршрут!"), e);
    }
}

void RowdList::cmdEditMarsh_Click()
{
    try {
        if (!m_marshRS.isOpen() || m_marshRS.bof() || m_marshRS.eof())
            throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
        lblStatusMarsh->setText(QStringLiteral("Корекция..."));
        m_legEdit = true;
        m_legAdding = false;
        m_legsModel->setEditing(true);
        grdMarsh->setCurrentIndex(m_legsModel->index(m_marshRS.currentIndex(), 0));
        SetMarshButtons(false);
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при корекция на маршрута!"), e);
    }
}

void RowdList::cmdUpdateMarsh_Click()
{
    if (!m_legEdit)
        return;
    // A cell still open in the grid gives its text first.
    if (QWidget *ed = QApplication::focusWidget(); ed && grdMarsh->isAncestorOf(ed))
        grdMarsh->setFocus();
    try {
        if (!m_marshRS.isOpen() || m_marshRS.bof() || m_marshRS.eof())
            throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
        const auto norm = carNorm(m_conn, m_carNumber);
        if (!norm) {
            waybillMessage({QStringLiteral("Колата няма въведена разходната норма!"),
                            QStringLiteral("Моля, въведете разходната норма на колата.")},
                           kAttention);
            return;
        }
        const LegRefusal refusal =
            legValuesRefusal(m_legsModel->pendingValue(1), m_legsModel->pendingValue(2), m_legsModel->pendingValue(3));
        if (!refusal.lines.isEmpty()) {
            waybillMessage(refusal.lines, kAttention);
            // Back on the value refused, the leg still being typed.
            grdMarsh->setFocus();
            grdMarsh->setCurrentIndex(m_legsModel->index(m_marshRS.currentIndex(), refusal.column));
            return;
        }
        const double km = legNumber(m_legsModel->pendingValue(1), QStringLiteral("КМ"), limits::kKm);
        const double ton = legNumber(m_legsModel->pendingValue(2), QStringLiteral("тонаж"), limits::kTons);
        const double koef = legNumber(m_legsModel->pendingValue(3), QStringLiteral("коеф."), limits::kPercent);
        const double litres = RazhN(*norm, ton, km, koef);
        const QString route = m_legsModel->pendingValue(0).toString();
        if (m_legsHeld) {
            // Held with the others until the sheet's save writes them, which
            // computes them all again when they were not all computed with the
            // sheet's car.
            if (heldLegs().isEmpty())
                m_legsCar = m_carNumber;
            else if (m_legsCar != m_carNumber)
                m_legsCar.clear();
            m_marshRS.setValue(QStringLiteral("MarshID"), m_sheetNumber);
            m_marshRS.setValue(QStringLiteral("Marshrut"), route);
            m_marshRS.setValue(QStringLiteral("KM"), km);
            m_marshRS.setValue(QStringLiteral("Ton"), ton);
            m_marshRS.setValue(QStringLiteral("Koef"), koef);
            m_marshRS.setValue(QStringLiteral("RazhN"), litres);
            m_marshRS.update();
        } else {
            // A stored sheet only viewed: the leg, new or corrected, is written at
            // once with the sheet's other legs. A refused write leaves it in
            // editing as typed.
            const WaybillLeg leg{route, km, ton, koef, litres};
            writeLegsNow(&leg);
        }
        m_legEdit = m_legAdding = false;
        m_legsModel->setEditing(false);
        SetMarshButtons(true);
        writeLegStatus();
        // As after any save: the next key adds, it never deletes.
        cmdAddMarsh->setFocus();
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при запис на маршрута!"), e);
    }
}

void RowdList::writeLegsNow(const WaybillLeg *saved)
{
    if (m_legsHeld)
        return;
    // A stored sheet shown while browsing: its legs are written as they change,
    // and its totals with them, in one transaction.
    const QVector<WaybillLeg> legs = heldLegs(saved);
    const SheetTotals t = legTotals(legs);
    const bool onSheet = !m_rowdRS.bof() && !m_rowdRS.eof()
        && m_rowdRS.value(QStringLiteral("ListID")).toString() == m_sheetNumber;
    const qint64 sheet = onSheet ? m_rowdRS.bookmark() : 0;
    m_conn.beginTrans();
    try {
        // The legs read, and the sheet with their totals, each only while
        // another user has not changed it since.
        replaceSheetLegs(m_conn, m_sheetNumber, {m_sheetNumber}, legs, {m_legsReadNumber, m_marshRS.rowsAsRead()},
                         !onSheet);
        if (onSheet) {
            m_rowdRS.setValue(QStringLiteral("SumKM"), totalKmValue(t));
            m_rowdRS.setValue(QStringLiteral("SumRazhN"), totalFuelValue(t));
            m_rowdRS.update();
        }
        m_conn.commitTrans();
    } catch (const DbError &e) {
        m_conn.rollbackTrans();
        if (!isRefusedWrite(e))
            throw;
        // Nothing was written: the sheet and its legs are shown as stored now.
        m_legEdit = m_legAdding = false;
        m_legsModel->setEditing(false);
        try {
            if (sheet != 0 && m_rowdRS.hasBookmark(sheet)) {
                m_rowdRS.readAgain(m_rowdRS.currentIndex());
                m_form->showRecord();
                m_marshRS.requery();
                m_legsModel->reload();
                SetMarshButtons(true);
                writeLegStatus();
            } else {
                closeLegs();
                if (!m_rowdRS.isEmpty()) {
                    m_rowdRS.moveNext();
                    if (m_rowdRS.eof())
                        m_rowdRS.moveLast();
                }
                m_form->SetButtons(true);
                m_form->showRecord();
            }
        } catch (const DbError &) {
        }
        throw;
    } catch (...) {
        m_conn.rollbackTrans();
        try {
            m_rowdRS.cancelUpdate();
        } catch (const DbError &) {
        }
        // The page shows what is stored again, not what failed to be written;
        // a leg being saved was not put into the page and stays as typed.
        if (!saved) {
            m_marshRS.cancelBatch();
            m_legsModel->reload();
        }
        throw;
    }
    m_form->showRecord();
    // Read back as stored: no leg takes typing, so the grid opens no cell on the
    // leg it stands on again.
    m_legsModel->setEditing(false);
    const int row = m_marshRS.currentIndex();
    m_marshRS.requery();
    m_legsModel->reload();
    if (!m_marshRS.isEmpty())
        m_marshRS.setAbsolutePosition(std::clamp(row + 1, 1, m_marshRS.recordCount()));
}

void RowdList::cmdCancelMarsh_Click()
{
    m_legEdit = m_legAdding = false;
    SetMarshButtons(true);
    m_legsModel->setEditing(false);
    try {
        m_marshRS.cancelUpdate();
        m_legsModel->reload();
        if (!m_marshRS.isEmpty())
            m_marshRS.moveFirst();
        writeLegStatus();
    } catch (const DbError &) {
    }
    if (picButtonsMarsh->isVisible())
        cmdAddMarsh->setFocus();
}

void RowdList::cmdDeleteMarsh_Click()
{
    if (m_legEdit)
        return;
    try {
        if (!m_marshRS.isOpen() || m_marshRS.bof() || m_marshRS.eof())
            throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
        if (!waybillQuestion({QStringLiteral("Изтривате маршрута от пътния лист!"),
                              QStringLiteral("Потвърдете изтриването на маршрута!")},
                             kAttention))
            return;
        // The leg after the deleted one becomes current, or the last.
        const int at = m_marshRS.currentIndex();
        m_marshRS.deleteRecord();
        writeLegsNow();
        m_legsModel->reload();
        if (!m_marshRS.isEmpty())
            m_marshRS.setAbsolutePosition(std::min(at, m_marshRS.recordCount() - 1) + 1);
        writeLegStatus();
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при изтриване на маршрута!"), e);
    }
}

void RowdList::cmdCloseMarsh_Click()
{
    if (m_legEdit)
        return;
    try {
        // The totals of the legs on the page: held ones included.
        const SheetTotals t = legTotals(heldLegs());
        if (m_legsHeld) {
            // The held legs stay for the sheet's save; only the page lets go of them.
            m_legsModel->setRecordset(nullptr);
            SetMarshButtons(true);
            lblStatusMarsh->clear();
        } else {
            closeLegs();
        }
        m_headerPage = false;
        // No stored leg: the boxes stay empty, and the sheet's save asks for legs.
        txtFields[1]->setText(t.hasLegs ? QString::number(t.km) : QString());
        txtFields[6]->setText(t.hasLegs ? formatNumber(t.razhN, 1).remove(QRegularExpression(",0$"))
                                        : QString());
        picButtonsMarsh->setEnabled(false);
        picButtonsMarsh->hide();
    } catch (const DbError &e) {
        failure(QStringLiteral("ГРЕШКА при изчисляване на маршрутите!"), e);
    }
}

// ---------------------------------------------------------------------------

void showRowdList(QWidget *parent)
{
    RowdList w(parent ? parent : openingWindow());
    if (!w.load())
        return;
    w.exec();
}

} // namespace kelm
