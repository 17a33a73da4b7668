#include "scratch/scratchlist.h"

#include "dialogs/diainf.h"
#include "dialogs/messages.h"
#include "dialogs/mousepointer.h"
#include "platform/grid.h"
#include "platform/listframe.h"
#include "printing/report.h"
#include "scratch/scratchrows.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace kelm {

ScratchList::ScratchList(const QString &objectName, const QString &table, int styleColumn, QWidget *parent)
    : QDialog(parent), m_table(table)
{
    setObjectName(objectName);
    resize(760, 480);

    const ListFrame frame = buildListFrame(this);
    Text1 = frame.title;
    GridEX1 = frame.grid;
    GridEX1->setSortColumns({}); // the rows in the order they were numbered
    GridEX1->addFormatStyle(QStringLiteral("RazhPlus"));
    GridStyle &style = *GridEX1->formatStyle(QStringLiteral("RazhPlus"));
    style.backColor = vbColor(255);
    style.foreColor = vbColor(0xFFFFFF);
    GridEX1->setFormatRow([this, styleColumn](GridRowBuffer &b) {
        const bool known = b.row >= 0 && b.row < m_styleNumbers.size();
        if ((known ? m_styleNumbers.at(b.row) : b.number(styleColumn)) < 1)
            b.rowStyle = QStringLiteral("RazhPlus");
    });
    // The screen's keys come first, also while the grid has the focus.
    GridEX1->setKeyDown([this](int &keyCode, int shift) {
        if (keyCode == 27) {
            keyCode = 0;
            QTimer::singleShot(0, this, &QWidget::close);
        } else if (moveRow(keyCode, shift)) {
            keyCode = 0;
        }
    });

    Label1 = listLabel(this, QStringLiteral("Label1"), QStringLiteral("Всичко:"));
    cmdPrint = listButton(this, QStringLiteral("cmdPrint"), QStringLiteral("Печат"));
    cmdClose = listButton(this, QStringLiteral("cmdClose"), QStringLiteral("Затвори"));
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Label1, 1);
    bottom->addWidget(cmdPrint);
    bottom->addWidget(cmdClose);
    frame.layout->addLayout(bottom);
}

ScratchList::~ScratchList()
{
    setNormalPointer();
    GridEX1->unbind();
    m_rs.close();
}

void ScratchList::restage(const QString &fields, const std::function<void(Connection &)> &fill,
                          const QVector<double> &styleNumbers)
{
    if (!m_rows)
        m_rows = std::make_unique<ScratchRows>(m_table);
    const bool shown = m_rs.isOpen();
    GridEX1->unbind();
    m_rs.close();
    try {
        Connection &c = m_rows->conn();
        inTransaction(c, [&] {
            m_rows->clearInTransaction();
            fill(c);
        });
        m_fields = fields;
        m_styleNumbers = styleNumbers;
        bindRows();
    } catch (...) {
        // The rolled-back table holds the old rows again: they are shown again.
        if (shown) {
            try {
                bindRows();
            } catch (const DbError &) {
            }
        }
        throw;
    }
}

void ScratchList::bindRows()
{
    m_rs.open(m_rows->conn(), QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY Red").arg(m_fields, m_table));
    GridEX1->setBoundRecordset(&m_rs);
}

ReportData ScratchList::stagedRows()
{
    if (!m_rows)
        return ReportData();
    return ReportData::fromQuery(m_rows->conn(), QStringLiteral("SELECT * FROM \"%1\" ORDER BY Red").arg(m_table));
}

bool ScratchList::readStagedRows(ReportData &rows)
{
    try {
        rows = stagedRows();
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА!"), e.text());
        return false;
    }
    return true;
}

void ScratchList::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (moveRow(vbKeyCode(e), vbShift(e->modifiers())))
        return;
    QDialog::keyPressEvent(e);
}

bool ScratchList::moveRow(int vbKey, int shift)
{
    if (vbKey < 33 || vbKey > 40 || vbKey == 37 || vbKey == 39)
        return false;
    const int n = GridEX1->rowCount();
    if (n == 0)
        return true;
    const int cur = GridEX1->currentRow();
    const int visual = cur < 0 ? 0 : GridEX1->visualRow(cur);
    const bool ctrl = shift == 2;
    int target = visual;
    switch (vbKey) {
    case 36: // Home
        target = 0;
        break;
    case 35: // End
        target = n - 1;
        break;
    case 38: // Up
    case 33: // PgUp
        target = ctrl ? 0 : visual - 1;
        break;
    default: // Down, PgDn
        target = ctrl ? n - 1 : visual + 1;
        break;
    }
    if (target < 0 || target >= n) {
        beep();
        target = std::clamp(target, 0, n - 1);
    }
    GridEX1->setCurrentRow(GridEX1->rowAtVisual(target));
    return true;
}

void ScratchList::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    QTimer::singleShot(0, cmdClose, [this] { cmdClose->setFocus(); });
}

} // namespace kelm
