#include "billing/diafakt.h"

#include "billing/invoicing.h"
#include "dialogs/diainf.h"
#include "dialogs/fillcombo.h"
#include "platform/boxlength.h"
#include "platform/database.h"
#include "platform/version.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

DiaFakt::DiaFakt(QString &sNomFakt, bool &flgNomFakt, QWidget *parent)
    : QDialog(parent), m_sNomFakt(sNomFakt), m_flgNomFakt(flgNomFakt)
{
    setObjectName(QStringLiteral("DiaFakt"));
    setWindowTitle(QStringLiteral("Номер на фактурата"));
    setModal(true);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setMinimumWidth(180);
    limitTyping(Combo1, kInvoiceNumberLength);
    // What is typed is the number: no completion into the used number it begins.
    Combo1->setCompleter(nullptr);
    QFont f = Combo1->font();
    f.setBold(true);
    Combo1->setFont(f);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setAutoDefault(false);
    // Enter gives the number typed, checked as "OK" checks it; Esc cancels.
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Отказ"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    connect(OKButton, &QPushButton::clicked, this, &DiaFakt::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &DiaFakt::CancelButton_Click);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch(1);
    auto *h = new QHBoxLayout(this);
    h->addWidget(Combo1, 1, Qt::AlignTop);
    h->addLayout(buttons);
    m_flgNomFakt = false;
}

bool DiaFakt::load()
{
    try {
        FillCombo(Combo1, QStringLiteral("SELECT DISTINCT NomFakt FROM tabl ORDER BY NomFakt DESC"),
                  QStringLiteral("NomFakt"));
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА!"), e.text());
        return false;
    }
    if (Combo1->count() > 0)
        Combo1->setCurrentIndex(0);
    m_used.clear();
    for (int i = 0; i < Combo1->count(); ++i)
        m_used << Combo1->itemText(i).trimmed();
    m_used << QString();
    return true;
}

void DiaFakt::keyPressEvent(QKeyEvent *e)
{
    // The editable list would take Enter for itself; it presses "OK" here too.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        OKButton->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

void DiaFakt::OKButton_Click()
{
    const QString entry = Combo1->currentText();
    const QString refusal = invoiceEntryRefusal(entry);
    if (!refusal.isEmpty()) {
        DiaInf::show(QString(), refusal);
        Combo1->setFocus();
        return;
    }
    const QString number = invoiceNumberOf(entry);
    if (m_used.contains(number)) {
        DiaInf::show(QString(), invoiceNumberUsedMessage());
        Combo1->setFocus();
        return;
    }
    m_sNomFakt = number;
    m_flgNomFakt = true;
    accept();
}

void DiaFakt::CancelButton_Click()
{
    m_flgNomFakt = false;
    reject();
}

} // namespace kelm
