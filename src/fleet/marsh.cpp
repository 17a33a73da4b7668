#include "fleet/marsh.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/fillcombo.h"
#include "dialogs/messages.h"
#include "fleet/fuel.h"
#include "fleet/plist.h"
#include "platform/dataform.h"
#include "platform/numbers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

Marsh::Marsh(PList &plist, const QString &vid, QWidget *parent)
    : QDialog(parent), sVidMarsh(vid), m_plist(plist)
{
    setObjectName(QStringLiteral("Marsh"));
    setWindowTitle(QStringLiteral("Маршрут към пътен лист №") + m_plist.sListID);
    auto *top = new QVBoxLayout(this);

    Frame1 = new QGroupBox(QStringLiteral("Курс"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *g = new QGridLayout(Frame1);
    for (int i : {0, 3, 5}) {
        txtFields[i] = new QLineEdit(Frame1);
        txtFields[i]->setObjectName(QStringLiteral("txtFields_%1").arg(i));
    }
    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    for (int i : {0, 3, 5}) {
        // Locked between commands, but still read: dark text.
        QPalette pal = txtFields[i]->palette();
        pal.setColor(QPalette::Disabled, QPalette::Text, QColor(0x40, 0x40, 0x40));
        txtFields[i]->setPalette(pal);
    }
    chkFields = new QCheckBox(QStringLiteral("Коеф.север"), Frame1);
    chkFields->setObjectName(QStringLiteral("chkFields"));
    g->addWidget(new QLabel(QStringLiteral("Маршрут"), Frame1), 0, 0);
    g->addWidget(txtFields[3], 0, 1, 1, 3);
    g->addWidget(Combo1, 0, 1, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("КМ"), Frame1), 1, 0);
    g->addWidget(txtFields[0], 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Тон"), Frame1), 1, 2);
    g->addWidget(txtFields[5], 1, 3);
    g->addWidget(chkFields, 2, 1, 1, 3);
    g->setColumnMinimumWidth(1, 90);
    g->setColumnMinimumWidth(3, 90);
    top->addWidget(Frame1);

    QList<DataFormBox> boxes{{txtFields[0], QStringLiteral("KM")},
                             {txtFields[3], QStringLiteral("Marsh")},
                             {txtFields[5], QStringLiteral("Ton")},
                             {chkFields, QStringLiteral("Koef")}};
    DataForm::Config cfg;
    cfg.statusText = QStringLiteral("Маршрут № : ");
    cfg.addText = QStringLiteral("Нов маршрут");
    cfg.editText = QStringLiteral("Корекция");
    cfg.deletes = DataForm::Delete::AtOnce;
    cfg.errors = DataForm::Errors::Own;
    cfg.fieldClick = DataForm::FieldClick::SelectsText;
    cfg.hasRefresh = true;

    // Connected before the template takes the buttons: these run first.
    auto *add = new QPushButton(QStringLiteral("Добави"), this);
    add->setObjectName(QStringLiteral("cmdAdd"));
    auto *cancel = new QPushButton(QStringLiteral("Отказ"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(add, &QPushButton::clicked, this, &Marsh::cmdAdd_Before);
    connect(cancel, &QPushButton::clicked, this, &Marsh::cmdCancel_Before);

    m_form = new DataForm(this, QString(), m_conn, m_marshRS, boxes, cfg);
    // The template lays out only the buttons it made; the two taken above go
    // into the same row in the template's order.
    for (auto *b : {add, cancel}) {
        b->setParent(m_form->buttonsPanel());
        b->setAutoDefault(false);
        b->setMinimumWidth(81);
    }
    if (auto *bl = qobject_cast<QBoxLayout *>(m_form->buttonsPanel()->layout())) {
        bl->insertWidget(0, add);
        bl->insertWidget(4, cancel);
    }
    // As on every record screen: "Запиши" and "Отказ" come where "Поправи"
    // and "Изтрий" were.
    QSizePolicy sp = add->sizePolicy();
    sp.setRetainSizeWhenHidden(true);
    add->setSizePolicy(sp);
    m_form->SetButtons(true);
    m_form->hooks.validate = [this] { return validate(); };
    m_form->hooks.readBoxes = [this] { readBoxes(); };
    m_form->hooks.afterSave = [this] { afterSave(); };
    m_form->hooks.reportError = [this](DataForm::Command cmd, const DbError &e) {
        DiaInf::show(cmd == DataForm::CmdUpdate ? QStringLiteral("ГРЕШКА при добавяне!")
                                                : DataForm::errorCaption(cmd),
                     e.text());
    };
    m_form->hooks.setButtons = [this](bool browsing) {
        if (browsing)
            return;
        if (m_form->isAdding()) {
            txtFields[0]->setText(QStringLiteral("0"));
            txtFields[5]->setText(QStringLiteral("0"));
            chkFields->setChecked(false);
            Combo1->setEditText(QString());
            m_correcting = false;
        } else {
            Combo1->setEditText(txtFields[3]->text());
            // Kept as stored, so that the totals lose exactly what they once gained.
            m_keptRazhN = m_marshRS.value(QStringLiteral("RazhN")).toDouble();
            m_keptKM = m_marshRS.value(QStringLiteral("KM")).toDouble();
            m_correcting = true;
        }
        Combo1->show();
        EnableFields(true);
    };
    top->addWidget(m_form->buttonsPanel());
    top->addWidget(m_form->statusPanel());

    QAbstractButton *del = m_form->button(QStringLiteral("cmdDelete"));
    disconnect(del, nullptr, m_form, nullptr);
    connect(del, &QAbstractButton::clicked, this, &Marsh::cmdDelete_Click);
    // After the template's own cancel.
    connect(cancel, &QPushButton::clicked, this, [this] {
        if (!m_cancelling)
            return;
        m_cancelling = false;
        EnableFields(false);
        Combo1->hide();
        if (!m_holdsBookmark) {
            m_plist.lCancel = true;
            close();
        }
    });
    // Moving clears nothing here but shows the leg; the fields stay locked.
    resize(460, 220);
}

Marsh::~Marsh()
{
    QApplication::restoreOverrideCursor();
}

bool Marsh::load()
{
    try {
        m_conn.open(gConnStr);
        FillCombo(Combo1, QStringLiteral("SELECT DISTINCT Marsh FROM Marsh"), QStringLiteral("Marsh"));
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА при зареждане!"), e.text());
        return false;
    }
    if (!m_form->open(QStringLiteral("SELECT * FROM Marsh WHERE ListID=?"), {m_plist.sListID}))
        return false;
    EnableFields(false);
    if (m_marshRS.isEmpty()) {
        // A sheet without legs starts its first leg at once.
        m_form->button(QStringLiteral("cmdAdd"))->click();
    } else {
        Combo1->hide();
    }
    if (sVidMarsh == QLatin1String("Add_Marsh")) {
        chkFields->setChecked(false);
    } else if (sVidMarsh == QLatin1String("Edit_Marsh")) {
        // Browsing a corrected sheet's legs starts locked; a first leg started
        // above stays open to typing.
        if (m_form->isBrowsing())
            EnableFields(false);
    }
    return true;
}

void Marsh::EnableFields(bool b)
{
    for (int i : {0, 3, 5})
        txtFields[i]->setEnabled(b);
    chkFields->setEnabled(b);
}

void Marsh::cmdAdd_Before()
{
    // The bookmark is taken only when there is a leg to go back to.
    if (m_marshRS.isOpen() && !m_marshRS.bof() && !m_marshRS.eof())
        m_holdsBookmark = true;
}

void Marsh::cmdCancel_Before()
{
    m_cancelling = !m_form->isBrowsing();
}

bool Marsh::validate()
{
    txtFields[3]->setText(trimSpaces(Combo1->currentText()));
    const QList<QPair<int, QString>> required{
        {0, QStringLiteral("Моля, въведете километрите на курса!")},
        {3, QStringLiteral("Моля, изберете маршрут от списъка!")},
        {5, QStringLiteral("Моля, въведете тонажа на курса!")}};
    for (const auto &r : required) {
        if (IsBlank(txtFields[r.first]->text())) {
            DiaInf::show(QStringLiteral("ГРЕШКА при запис!"), r.second);
            return false;
        }
    }
    // Kilometres and tons are numbers not below zero, stored as typed (100.1 stays
    // 100.1); only the fuel by norm is reckoned from them in single precision.
    const struct {
        int box;
        double bound;
        const char *message;
    } numbers[] = {{0, limits::kKm, "Моля, въведете километрите на курса с число, не по-малко от 0!"},
                   {5, limits::kTons, "Моля, въведете тонажа на курса с число, не по-малко от 0!"}};
    double typed[2] = {};
    for (int i = 0; i < 2; ++i) {
        const QString text = trimSpaces(txtFields[numbers[i].box]->text());
        const auto x = parseAmount(text, numbers[i].bound);
        if (!x) {
            DiaInf::show(QStringLiteral("ГРЕШКА при запис!"),
                         amountRefusal(QString::fromUtf8(numbers[i].message), text, numbers[i].bound));
            return false;
        }
        typed[i] = *x;
    }
    m_newKM = typed[0];
    m_newTon = typed[1];
    m_newRazhN = oldLegRazhN(m_plist.nRazhKola, float(m_newKM), float(m_newTon), chkFields->isChecked());
    return true;
}

void Marsh::readBoxes()
{
    m_marshRS.setValue(QStringLiteral("ListID"), m_plist.sListID);
    m_marshRS.setValue(QStringLiteral("Marsh"), txtFields[3]->text());
    m_marshRS.setValue(QStringLiteral("KM"), m_newKM);
    m_marshRS.setValue(QStringLiteral("Ton"), m_newTon);
    m_marshRS.setValue(QStringLiteral("Koef"), chkFields->isChecked() ? 1.0 : 0.0);
    m_marshRS.setValue(QStringLiteral("RazhN"), m_newRazhN);
}

void Marsh::afterSave()
{
    // The totals follow the leg only once it is written.
    if (m_correcting) {
        m_plist.nKMAll -= m_keptKM;
        m_plist.nRazhListAll -= m_keptRazhN;
    }
    m_plist.nKMAll += m_newKM;
    m_plist.nRazhListAll += m_newRazhN;
    m_correcting = false;
    const QString route = trimSpaces(txtFields[3]->text());
    bool known = false;
    for (int i = 0; i < Combo1->count() && !known; ++i)
        known = trimSpaces(Combo1->itemText(i)) == route;
    if (!known)
        Combo1->addItem(route);
    Combo1->hide();
    EnableFields(false);
}

void Marsh::cmdDelete_Click()
{
    if (!m_form->isBrowsing())
        return;
    try {
        if (m_marshRS.bof() || m_marshRS.eof())
            throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
        const double km = m_marshRS.value(QStringLiteral("KM")).toDouble();
        const double razhN = m_marshRS.value(QStringLiteral("RazhN")).toDouble();
        m_marshRS.deleteRecord();
        m_plist.nKMAll -= km;
        m_plist.nRazhListAll -= razhN;
        if (m_marshRS.isEmpty()) {
            m_form->SetButtons(true);
            m_form->showRecord();
            return;
        }
        m_marshRS.moveNext();
        if (m_marshRS.eof())
            m_marshRS.moveLast();
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА при изтриване!"), e.text());
    }
}

} // namespace kelm
