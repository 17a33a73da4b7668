#include "warehouse/warehouselist.h"

#include "dialogs/mousepointer.h"
#include "platform/grid.h"
#include "reports/report.h"
#include "shell/scratchrows.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kelm {

WarehouseList::WarehouseList(const QString &objectName, const QString &table, int styleColumn, QWidget *parent)
    : QDialog(parent), m_table(table)
{
    setObjectName(objectName);
    resize(760, 480);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setFocusPolicy(Qt::NoFocus);
    Text1->setAlignment(Qt::AlignCenter);
    QFont bold = Text1->font();
    bold.setBold(true);
    Text1->setFont(bold);

    GridEX1 = new Grid(this);
    GridEX1->setObjectName(QStringLiteral("GridEX1"));
    GridEX1->setSortColumns({}); // the rows in the order they were numbered
    GridEX1->addFormatStyle(QStringLiteral("RazhPlus"));
    GridStyle &style = *GridEX1->formatStyle(QStringLiteral("RazhPlus"));
    style.backColor = vbColor(255);
    style.foreColor = vbColor(0xFFFFFF);
    GridEX1->setFormatRow([styleColumn](GridRowBuffer &b) {
        if (b.number(styleColumn) < 1)
            b.rowStyle = QStringLiteral("RazhPlus");
    });

    Label1 = new QLabel(QStringLiteral("Всичко:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(bold);
    cmdPrint = new QPushButton(QStringLiteral("Печат"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setAutoDefault(false);
    cmdClose = new QPushButton(QStringLiteral("Затвори"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Label1, 1);
    bottom->addWidget(cmdPrint);
    bottom->addWidget(cmdClose);
    auto *v = new QVBoxLayout(this);
    v->addWidget(Text1);
    v->addWidget(GridEX1, 1);
    v->addLayout(bottom);
}

WarehouseList::~WarehouseList()
{
    setNormalPointer();
    GridEX1->unbind();
    m_rs.close();
}

ScratchRows &WarehouseList::newRows()
{
    GridEX1->unbind();
    m_rs.close();
    m_rows.reset();
    m_rows = std::make_unique<ScratchRows>(m_table);
    return *m_rows;
}

void WarehouseList::bindRows(const QString &fields)
{
    m_rs.open(m_rows->conn(), QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY Red").arg(fields, m_table));
    GridEX1->setBoundRecordset(&m_rs);
}

ReportData WarehouseList::stagedRows()
{
    if (!m_rows)
        return ReportData();
    return ReportData::fromQuery(m_rows->conn(), QStringLiteral("SELECT * FROM \"%1\" ORDER BY Red").arg(m_table));
}

void WarehouseList::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(e);
}

void WarehouseList::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    QTimer::singleShot(0, cmdClose, [this] { cmdClose->setFocus(); });
}

} // namespace kelm
