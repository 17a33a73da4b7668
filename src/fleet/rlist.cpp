#include "fleet/rlist.h"

#include "common/globals.h"
#include "dialogs/messages.h"
#include "fleet/rowdlistrules.h"
#include "platform/dataform.h"
#include "platform/grid.h"
#include "platform/placement.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

namespace {
struct Box {
    int index;
    const char *field;
    const char *label;
};
const Box kBoxes[] = {
    {4, "ListID", "Лист"},          {0, "Data", "Дата"},           {3, "Kola", "Кола №"},
    {2, "NameDriver", "Шофьор"},    {1, "SumKM", "KM по лист"},    {6, "SumRazhN", "Разход нафта"},
    {5, "EndKM", "Краен километр."}, {8, "ZarN", "Заредена нафта"}, {7, "ZarM", "Заредено масло"},
};
} // namespace

RList::RList(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RList"));
    setWindowTitle(QStringLiteral("RowdList"));
    auto *top = new QVBoxLayout(this);

    auto *fraObshta = new QGroupBox(QStringLiteral("Обща част"), this);
    fraObshta->setObjectName(QStringLiteral("fraObshta"));
    auto *grid = new QGridLayout(fraObshta);
    int n = 0;
    for (const Box &b : kBoxes) {
        txtFields[b.index] = new QLineEdit(fraObshta);
        txtFields[b.index]->setObjectName(QStringLiteral("txtFields_%1").arg(b.index));
        const int row = n % 5;
        const int col = (n / 5) * 2;
        grid->addWidget(new QLabel(QString::fromUtf8(b.label), fraObshta), row, col);
        grid->addWidget(txtFields[b.index], row, col + 1);
        ++n;
    }
    grid->setColumnMinimumWidth(1, 170);
    top->addWidget(fraObshta);

    fraMarsh = new QGroupBox(QStringLiteral("Маршрути"), this);
    fraMarsh->setObjectName(QStringLiteral("fraMarsh"));
    auto *ml = new QVBoxLayout(fraMarsh);
    grdMarsh = new Grid(fraMarsh);
    grdMarsh->setObjectName(QStringLiteral("grdMarsh"));
    // The legs in the order they were entered.
    grdMarsh->setSortColumns({});
    ml->addWidget(grdMarsh, 1);
    auto *cl = new QHBoxLayout;
    cl->addStretch(1);
    cmdCloseMarsh = new QPushButton(QStringLiteral("Затвори"), fraMarsh);
    cmdCloseMarsh->setObjectName(QStringLiteral("cmdCloseMarsh"));
    cmdCloseMarsh->setAutoDefault(false);
    cl->addWidget(cmdCloseMarsh);
    ml->addLayout(cl);
    // The legs can only be looked at here.
    fraMarsh->setEnabled(false);
    top->addWidget(fraMarsh, 1);

    QList<DataFormBox> boxes;
    for (const Box &b : kBoxes)
        boxes << DataFormBox{txtFields[b.index], QString::fromLatin1(b.field)};
    DataForm::Config cfg;
    cfg.statusText = QStringLiteral("Запис № ");
    cfg.addText = QStringLiteral("Нов запис");
    cfg.editText = QStringLiteral("Корекция на запис");
    cfg.deletes = DataForm::Delete::AtOnce;
    cfg.errors = DataForm::Errors::MessageBox;
    cfg.hasRefresh = true;
    m_form = new DataForm(this, QString(), m_conn, m_rowdRS, boxes, cfg);
    m_form->hooks.setButtons = [this](bool browsing) {
        if (!browsing && m_form->isAdding())
            txtFields[4]->setText(QStringLiteral("1"));
        if (!browsing && m_form->isEditing())
            m_editNumber = m_rowdRS.value(QStringLiteral("ListID")).toString();
    };
    // A renumbered sheet takes its legs along, in the save's transaction.
    m_form->hooks.writeExtra = [this](Connection &c) {
        if (m_form->isEditing())
            carryLegsOnSave(c, m_rowdRS.value(QStringLiteral("ListID")).toString(),
                            m_rowdRS.value(QStringLiteral("ID")), {m_editNumber});
    };
    top->addWidget(m_form->buttonsPanel());
    top->addWidget(m_form->statusPanel());

    // A deleted sheet takes its legs along, or they would join the next sheet
    // given its number.
    QAbstractButton *del = m_form->button(QStringLiteral("cmdDelete"));
    disconnect(del, nullptr, m_form, nullptr);
    connect(del, &QAbstractButton::clicked, this, &RList::cmdDelete_Click);

    connect(&m_rowdRS, &Recordset::moveComplete, this, [this] {
        if (m_form->isBrowsing())
            openLegs();
    });
    resize(640, 480);
}

RList::~RList()
{
    QApplication::restoreOverrideCursor();
}

bool RList::load()
{
    try {
        m_conn.open(gConnStr);
    } catch (const DbError &e) {
        msgBox(e.description());
        return false;
    }
    if (!m_form->open(QStringLiteral("SELECT * FROM RowdList ORDER BY ListID")))
        return false;
    openLegs();
    return true;
}

void RList::openLegs()
{
    const bool has = m_rowdRS.isOpen() && !m_rowdRS.bof() && !m_rowdRS.eof();
    const QString number = has ? m_rowdRS.value(QStringLiteral("ListID")).toString() : QString();
    try {
        grdMarsh->unbind();
        m_marshRS.open(m_conn, QStringLiteral("SELECT * FROM Marsh WHERE MarshID=?"), {number});
        grdMarsh->setBoundRecordset(&m_marshRS, {QStringLiteral("Marshrut"), QStringLiteral("KM"),
                                                 QStringLiteral("Ton"), QStringLiteral("Koef")});
        grdMarsh->Columns(1).setCaption(QStringLiteral("Маршрут")).setWidth(3600);
        grdMarsh->Columns(2).setCaption(QStringLiteral("КМ")).setTextAlignment(2);
        grdMarsh->Columns(3).setCaption(QStringLiteral("Тонаж")).setTextAlignment(2);
        grdMarsh->Columns(4).setCaption(QStringLiteral("Коеф.")).setTextAlignment(2);
    } catch (const DbError &e) {
        msgBox(e.description());
    }
}

void RList::cmdDelete_Click()
{
    if (!m_form->isBrowsing())
        return;
    try {
        deleteSheetWithLegs(m_conn, m_rowdRS);
        if (m_rowdRS.isEmpty()) {
            m_form->SetButtons(true);
            m_form->showRecord();
            openLegs();
            return;
        }
        m_rowdRS.moveNext();
        if (m_rowdRS.eof())
            m_rowdRS.moveLast();
        m_form->SetButtons(true);
    } catch (const DbError &e) {
        msgBox(e.description());
    }
}

void showRList(QWidget *parent)
{
    RList w(parent ? parent : openingWindow());
    if (!w.load())
        return;
    w.exec();
}

} // namespace kelm
