#include "fleet/plist.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/messages.h"
#include "fleet/fuel.h"
#include "fleet/marsh.h"
#include "fleet/plistrules.h"
#include "fleet/rowdlistrules.h"
#include "platform/dataform.h"
#include "platform/numbers.h"
#include "platform/placement.h"
#include "platform/version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kelm {

namespace {
const QColor kLocked(0xC0, 0xC0, 0xC0);
const QColor kOpen(0xFF, 0xFF, 0xFF);
const QString kSaveCaption = QStringLiteral("ГРЕШКА при запис!");

void paint(QLineEdit *box, const QColor &c)
{
    QPalette pal = box->palette();
    pal.setColor(QPalette::Base, c);
    // A locked box is still read: its text stays dark on the grey.
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(0x40, 0x40, 0x40));
    box->setPalette(pal);
}

} // namespace

PList::PList(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PList"));
    setWindowTitle(QStringLiteral("Тревалон ") + versionFull() + QStringLiteral(" - Пътни листи"));
    auto *top = new QVBoxLayout(this);

    for (int i : {0, 1, 2, 3, 4, 5, 6, 8}) {
        txtFields[i] = new QLineEdit(this);
        txtFields[i]->setObjectName(QStringLiteral("txtFields_%1").arg(i));
    }
    txtDriverName = new QLineEdit(this);
    txtDriverName->setObjectName(QStringLiteral("txtFields_100"));
    txtDriverName->setReadOnly(true);
    txtRazhN = new QLineEdit(this);
    txtRazhN->setObjectName(QStringLiteral("txtRazhN"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setEditable(true);
    Combo2->setInsertPolicy(QComboBox::NoInsert);

    auto *head = new QGridLayout;
    head->addWidget(new QLabel(QStringLiteral("Лист №"), this), 0, 0);
    head->addWidget(txtFields[0], 0, 1);
    head->addWidget(new QLabel(QStringLiteral("Дата"), this), 0, 2);
    head->addWidget(txtFields[1], 0, 3);
    head->addWidget(new QLabel(QStringLiteral("Кола"), this), 1, 0);
    head->addWidget(txtFields[2], 1, 1);
    head->addWidget(Combo2, 1, 1);
    head->addWidget(new QLabel(QStringLiteral("КМ"), this), 1, 2);
    head->addWidget(txtFields[8], 1, 3);
    head->addWidget(new QLabel(QStringLiteral("Шофьор"), this), 2, 0);
    head->addWidget(txtFields[3], 2, 1, 1, 3);
    head->addWidget(txtDriverName, 2, 1, 1, 3);
    head->addWidget(Combo1, 2, 1, 1, 3);
    head->setColumnMinimumWidth(1, 150);
    top->addLayout(head);

    fraFuel = new QGroupBox(QStringLiteral("По пътен лист "), this);
    fraFuel->setObjectName(QStringLiteral("Frame1"));
    auto *fg = new QGridLayout(fraFuel);
    fg->addWidget(new QLabel(QStringLiteral("Заредена нафта"), fraFuel), 0, 0);
    fg->addWidget(txtFields[4], 0, 1);
    fg->addWidget(new QLabel(QStringLiteral("Цена"), fraFuel), 0, 2);
    fg->addWidget(Text1, 0, 3);
    fg->addWidget(new QLabel(QStringLiteral("Заредено масло"), fraFuel), 1, 0);
    fg->addWidget(txtFields[5], 1, 1);
    fg->addWidget(new QLabel(QStringLiteral("Цена"), fraFuel), 1, 2);
    fg->addWidget(Text2, 1, 3);
    fg->addWidget(new QLabel(QStringLiteral("Разход гориво"), fraFuel), 2, 0);
    fg->addWidget(txtFields[6], 2, 1);
    fg->addWidget(new QLabel(QStringLiteral("Изчисл. разход"), fraFuel), 2, 2);
    fg->addWidget(txtRazhN, 2, 3);
    for (auto *b : {txtFields[0], txtFields[1], txtFields[2], txtFields[4], txtFields[5], txtFields[6], txtFields[8],
                    txtRazhN, Text1, Text2})
        b->setMaximumWidth(150);
    top->addWidget(fraFuel);

    // Never typed into: the legs' totals and the driver's code.
    txtFields[8]->setEnabled(false);
    txtRazhN->setEnabled(false);
    for (QLineEdit *b : {txtFields[8], txtRazhN}) {
        QPalette pal = b->palette();
        pal.setColor(QPalette::Disabled, QPalette::Text, QColor(0x40, 0x40, 0x40));
        b->setPalette(pal);
    }
    txtFields[3]->hide();

    QList<DataFormBox> boxes;
    const QList<QPair<int, const char *>> bound{{0, "ListID"}, {1, "Data"}, {2, "Kola"}, {3, "kod"},
                                                {4, "ZarN"},   {5, "ZarM"}, {6, "RazhD"}, {8, "KM"}};
    for (const auto &b : bound)
        boxes << DataFormBox{txtFields[b.first], QString::fromLatin1(b.second)};
    boxes << DataFormBox{txtRazhN, QStringLiteral("RazhN")};
    DataForm::Config cfg;
    cfg.statusText = QStringLiteral("Запис № ");
    cfg.addText = QStringLiteral("Нов запис");
    cfg.editText = QStringLiteral("Корекция");
    cfg.deletes = DataForm::Delete::TwoQuestions;
    cfg.errors = DataForm::Errors::Own;
    cfg.fieldClick = DataForm::FieldClick::SelectsText;
    m_form = new DataForm(this, QString(), m_conn, m_plistRS, boxes, cfg);
    m_form->hooks.validate = [this] { return validate(); };
    m_form->hooks.readBoxes = [this] { readBoxes(); };
    m_form->hooks.writeExtra = [this](Connection &c) { writeWarehouse(c); };
    m_form->hooks.afterSave = [this] {
        txtRazhN->setText(formatGeneral(nRazhListAll));
        m_adding = false;
    };
    m_form->hooks.fillBoxes = [this] {
        if (!m_plistRS.bof() && !m_plistRS.eof())
            ShowDriverName(m_plistRS.value(QStringLiteral("kod")).toString());
    };
    m_form->hooks.reportError = [this](DataForm::Command cmd, const DbError &e) { reportError(cmd, e); };
    m_form->hooks.setButtons = [this](bool browsing) {
        txtDriverName->setVisible(browsing);
        txtDriverName->setEnabled(browsing);
        if (browsing) {
            setBoxesLocked(true);
            txtFields[2]->show();
            Combo1->hide();
            Combo2->hide();
            return;
        }
        for (int i : {0, 1, 2, 3})
            openBox(txtFields[i], true);
        txtFields[2]->hide();
        txtFields[3]->hide();
        for (int i : {4, 5, 6})
            txtFields[i]->setEnabled(true);
        Text1->setEnabled(false);
        Text2->setEnabled(false);
        paint(Text1, kLocked);
        paint(Text2, kLocked);
        Combo1->show();
        Combo2->show();
        if (m_form->isAdding()) {
            for (int i : {4, 5, 6, 8})
                txtFields[i]->setText(QStringLiteral("0"));
            lCancel = false;
            m_adding = true;
            m_oldListId.clear();
            m_oldKola.clear();
        } else {
            // A correction starts from the sheet's own car and driver.
            m_oldListId = m_plistRS.value(QStringLiteral("ListID")).toString();
            m_oldKola = m_plistRS.value(QStringLiteral("Kola")).toString();
            Combo2->setEditText(m_oldKola);
            const QString kod = m_plistRS.value(QStringLiteral("kod")).toString();
            for (int i = 0; i < Combo1->count(); ++i)
                if (Combo1->itemText(i).section(QLatin1Char(','), 0, 0) == kod)
                    Combo1->setCurrentIndex(i);
        }
    };
    top->addWidget(m_form->buttonsPanel());
    top->addWidget(m_form->statusPanel());

    QAbstractButton *del = m_form->button(QStringLiteral("cmdDelete"));
    disconnect(del, nullptr, m_form, nullptr);
    connect(del, &QAbstractButton::clicked, this, &PList::cmdDelete_Click);
    // After the template's own cancel.
    connect(m_form->button(QStringLiteral("cmdCancel")), &QAbstractButton::clicked, this, &PList::afterCancel);

    for (QLineEdit *b : {txtFields[1], txtFields[4], txtFields[5], txtFields[6], Text1, Text2})
        b->installEventFilter(this);
    connect(Text1, &QLineEdit::textChanged, this, [this] { paint(Text1, kOpen); });
    connect(Text2, &QLineEdit::textChanged, this, [this] { paint(Text2, kOpen); });
    resize(520, 300);
}

PList::~PList()
{
    QApplication::restoreOverrideCursor();
}

void PList::openBox(QLineEdit *box, bool on)
{
    box->setEnabled(on);
    paint(box, on ? kOpen : kLocked);
}

void PList::setBoxesLocked(bool locked)
{
    for (int i = 0; i <= 6; ++i)
        openBox(txtFields[i], !locked);
    txtFields[3]->hide();
    Text1->setEnabled(false);
    Text2->setEnabled(false);
    paint(Text1, kLocked);
    paint(Text2, kLocked);
}

bool PList::load()
{
    try {
        m_conn.open(gConnStr);
        Recordset rs;
        rs.open(m_conn, QStringLiteral("SELECT kod,ime FROM shof"));
        for (; !rs.eof(); rs.moveNext()) {
            const QString kod = rs.value(QStringLiteral("kod")).toString();
            const QString ime = rs.value(QStringLiteral("ime")).toString();
            m_drivers << QStringList{kod, ime};
            Combo1->addItem(kod + QLatin1Char(',') + ime);
        }
        rs.open(m_conn, QStringLiteral("SELECT kola FROM Config"));
        for (; !rs.eof(); rs.moveNext()) {
            m_cars << rs.value(QStringLiteral("kola")).toString();
            Combo2->addItem(m_cars.last());
        }
    } catch (const DbError &e) {
        DiaInf::show(QStringLiteral("ГРЕШКА при зареждане!"), e.text());
        return false;
    }
    Combo1->setCurrentIndex(Combo1->count() ? 0 : -1);
    Combo2->setCurrentIndex(Combo2->count() ? 0 : -1);
    Combo1->hide();
    Combo2->hide();
    if (!m_form->open(QStringLiteral("SELECT * FROM RowdList ORDER BY ListID")))
        return false;
    setBoxesLocked(true);
    // An empty table starts a new sheet at once, with its boxes open to typing.
    if (m_plistRS.isEmpty())
        m_form->cmdAdd();
    return true;
}

bool PList::eventFilter(QObject *obj, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && obj == txtFields[1]) {
        // Going to "Отказ" drops the date: a message there would pull the focus
        // back before the click, and the sheet could not be cancelled.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        const bool toCancel = QApplication::focusWidget()
            && QApplication::focusWidget() == m_form->button(QStringLiteral("cmdCancel"));
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !toCancel)
            txtDate_LostFocus();
    } else if (event->type() == QEvent::MouseButtonRelease && !m_form->isBrowsing()) {
        if (obj == txtFields[4] || obj == txtFields[5]) {
            auto *box = static_cast<QLineEdit *>(obj);
            paint(box, kOpen);
            box->selectAll();
            QLineEdit *price = obj == txtFields[4] ? Text1 : Text2;
            openBox(price, true);
        } else if (obj == txtFields[6]) {
            paint(txtFields[6], kOpen);
            txtFields[6]->selectAll();
        } else if (obj == Text1 || obj == Text2) {
            auto *box = static_cast<QLineEdit *>(obj);
            openBox(box, true);
            box->selectAll();
        }
    }
    return QDialog::eventFilter(obj, event);
}

void PList::txtDate_LostFocus()
{
    if (m_checkingDate || m_form->isBrowsing())
        return;
    if (!IsBadDate(txtFields[1]->text()))
        return;
    m_checkingDate = true;
    DiaInf::show(kSaveCaption, joinLines({QStringLiteral("Неверен формат на датата!"),
                                          QStringLiteral("Проверете въведената дата и опитайте отново.")}));
    txtFields[1]->setFocus();
    txtFields[1]->selectAll();
    m_checkingDate = false;
}

void PList::ShowDriverName(const QString &kod)
{
    for (const QStringList &d : std::as_const(m_drivers)) {
        if (d.at(0) == kod) {
            txtDriverName->setText(d.at(1));
            return;
        }
    }
}

bool PList::validate()
{
    auto refuse = [](const QStringList &lines) {
        DiaInf::show(kSaveCaption, joinLines(lines));
        return false;
    };
    txtFields[2]->setText(Combo2->currentText());
    sKolaID = trimSpaces(txtFields[2]->text());
    sListID = trimSpaces(txtFields[0]->text());
    // The legs and the warehouse lines are found by the number.
    if (sListID.isEmpty())
        return refuse({QStringLiteral("Няма въведен номер на пътния лист!"),
                       QStringLiteral("Въведете номер и опитайте отново.")});
    if (IsBadDate(txtFields[1]->text()))
        return refuse({QStringLiteral("Неверен формат на датата!"),
                       QStringLiteral("Проверете въведената дата и опитайте отново.")});
    try {
        // Checked before any leg is entered: legs under another sheet's number
        // would join that sheet's legs.
        const QVariant self = m_form->isAdding() ? QVariant() : m_plistRS.value(QStringLiteral("ID"));
        if (sheetNumberTaken(m_conn, sListID, self))
            return refuse({QStringLiteral("Съществува пътен лист със същия номер!"),
                           QStringLiteral("Моля, променете номера и опитайте отново.")});
    } catch (const DbError &e) {
        reportError(DataForm::CmdUpdate, e);
        return false;
    }
    if (sKolaID.isEmpty())
        return refuse({QStringLiteral("Няма зададен номер на кола!"), QStringLiteral("Въведете номер и опитайте отново.")});
    if (NotInList(sKolaID, m_cars))
        return refuse({QStringLiteral("Въведения номер не е на Ваша кола!"),
                       QStringLiteral("Моля, изберете номер от списъка и опитайте отново.")});
    try {
        const auto norm = carNorm(m_conn, sKolaID);
        if (!norm)
            return refuse({QStringLiteral("За въведената кола няма данни за разхода на гориво!")});
        nRazhKola = *norm;
    } catch (const DbError &e) {
        reportError(DataForm::CmdUpdate, e);
        return false;
    }
    const QString code = trimSpaces(Combo1->currentText()).left(3);
    if (!parseNumber(code))
        return refuse({QStringLiteral("Валидни са само имената от списъка!"),
                       QStringLiteral("Изберете име от списъка и опитайте отново.")});
    txtFields[3]->setText(code);
    // Quantities and prices must be numbers, none below zero (a negative price
    // would book a receipt and an issue of a negative sum); an empty price is 0.
    struct Number {
        QLineEdit *box;
        const char *label;
        double bound;
    };
    const QList<Number> numbers{{txtFields[4], "Заредена нафта", limits::kLitres},
                                {txtFields[5], "Заредено масло", limits::kLitres},
                                {txtFields[6], "Разход гориво", limits::kLitres},
                                {Text1, "Цена", limits::kPrice},
                                {Text2, "Цена", limits::kPrice}};
    for (const auto &n : numbers) {
        const bool price = n.box == Text1 || n.box == Text2;
        if (price && IsBlank(n.box->text()))
            continue;
        if (!parseAmount(n.box->text(), n.bound))
            return refuse({QStringLiteral("Невалидно число в полето „%1“!").arg(QString::fromUtf8(n.label)),
                           amountRefusal(QStringLiteral("Въведете число, не по-малко от 0, и опитайте отново."),
                                         n.box->text(), n.bound)});
    }
    m_dieselPrice = parseAmount(Text1->text(), limits::kPrice).value_or(0.0);
    m_oilPrice = parseAmount(Text2->text(), limits::kPrice).value_or(0.0);
    return enterLegs();
}

bool PList::enterLegs()
{
    QString vid;
    if (m_form->isAdding()) {
        nRazhListAll = 0.0;
        nKMAll = 0.0;
        vid = QStringLiteral("Add_Marsh");
    } else {
        const QVariant razhN = m_plistRS.value(QStringLiteral("RazhN"));
        const QVariant km = m_plistRS.value(QStringLiteral("KM"));
        if (razhN.isNull() || km.isNull()) {
            reportError(DataForm::CmdUpdate,
                        DbError(ErrFuelMissing, QStringLiteral("Пътният лист няма записани километри и разход.")));
            return false;
        }
        nRazhListAll = razhN.toDouble();
        nKMAll = km.toDouble();
        vid = QStringLiteral("Edit_Marsh");
    }
    {
        // A corrected sheet's legs are entered under the number they are stored
        // under; a new number takes them along when the sheet is written.
        const QString number = sListID;
        if (!m_form->isAdding())
            sListID = trimSpaces(m_oldListId);
        Marsh legs(*this, vid, this);
        if (legs.load())
            legs.exec();
        sListID = number;
    }
    if (m_form->isAdding() && lCancel) {
        // The legs of the new sheet were abandoned: so is the sheet.
        m_form->cmdCancel();
        afterCancel();
        return false;
    }
    return true;
}

void PList::readBoxes()
{
    m_plistRS.setValue(QStringLiteral("ListID"), sListID);
    m_plistRS.setValue(QStringLiteral("Data"), parseDate(txtFields[1]->text()).value_or(QDate()));
    m_plistRS.setValue(QStringLiteral("Kola"), sKolaID);
    m_plistRS.setValue(QStringLiteral("kod"), txtFields[3]->text());
    m_plistRS.setValue(QStringLiteral("ZarN"), parseAmount(txtFields[4]->text(), limits::kLitres).value_or(0.0));
    m_plistRS.setValue(QStringLiteral("ZarM"), parseAmount(txtFields[5]->text(), limits::kLitres).value_or(0.0));
    m_plistRS.setValue(QStringLiteral("RazhD"), parseAmount(txtFields[6]->text(), limits::kLitres).value_or(0.0));
    m_plistRS.setValue(QStringLiteral("KM"), nKMAll);
    m_plistRS.setValue(QStringLiteral("RazhN"), nRazhListAll);
}

void PList::writeWarehouse(Connection &conn)
{
    const WaybillKey sheet{sListID, sKolaID};
    const WaybillKey old{m_oldListId, m_oldKola};
    const QDate date = parseDate(txtFields[1]->text()).value_or(QDate());
    if (!m_form->isAdding())
        moveOldLegs(conn, trimSpaces(m_oldListId), sListID);
    writeWaybillFuel(conn, m_form->isAdding() ? nullptr : &old, sheet, date,
                     {QStringLiteral("Нафта"), parseAmount(txtFields[4]->text(), limits::kLitres).value_or(0.0), m_dieselPrice},
                     {QStringLiteral("Масло"), parseAmount(txtFields[5]->text(), limits::kLitres).value_or(0.0), m_oilPrice});
}

void PList::afterCancel()
{
    if (m_adding) {
        // A new sheet given up leaves no legs behind.
        m_adding = false;
        try {
            if (!sListID.isEmpty())
                deleteOrphanOldLegs(m_conn, sListID);
        } catch (const DbError &) {
        }
    }
    if (lCancel)
        close();
}

void PList::cmdDelete_Click()
{
    if (!m_form->isBrowsing() || m_plistRS.bof() || m_plistRS.eof())
        return;
    // Enter on either question keeps the sheet.
    if (!Dialog::ask(QStringLiteral("Изтриване на запис"), QStringLiteral("Наистна ли искате да изтриете записа?"),
                     Dialog::Default::Cancel))
        return;
    if (!Dialog::ask(QStringLiteral("Изтриване на запис"), QStringLiteral("Ще загубите данните окончателно"),
                     Dialog::Default::Cancel))
        return;
    try {
        deleteOldSheetWithLegs(m_conn, m_plistRS);
        if (m_plistRS.isEmpty()) {
            m_form->SetButtons(true);
            m_form->showRecord();
            return;
        }
        m_plistRS.moveNext();
        if (m_plistRS.eof())
            m_plistRS.moveLast();
        m_form->SetButtons(true);
    } catch (const DbError &e) {
        reportError(DataForm::CmdDelete, e);
    }
}

void PList::reportError(int cmd, const DbError &e)
{
    QString caption;
    switch (cmd) {
    case DataForm::CmdAdd:
    case DataForm::CmdUpdate: caption = QStringLiteral("ГРЕШКА при добавяне!"); break;
    default: caption = DataForm::errorCaption(DataForm::Command(cmd)); break;
    }
    DiaInf::show(caption, e.text());
}

void showPList(QWidget *parent)
{
    PList w(parent ? parent : openingWindow());
    if (!w.load())
        return;
    w.exec();
}

} // namespace kelm
