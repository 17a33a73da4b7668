#include "trips/insidekurs.h"

#include "common/globals.h"
#include "common/textchecks.h"
#include "dialogs/fillcombo.h"
#include "dialogs/messages.h"
#include "platform/boxlength.h"
#include "platform/dataform.h"
#include "platform/fittexts.h"
#include "platform/placement.h"
#include "platform/singlewindow.h"
#include "trips/insidekursrules.h"
#include "trips/sendresive.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace kelm {

namespace {

QPointer<InsideKurs> s_instance;

// The error of the database when it cancelled a move.
constexpr int ErrMoveCancelled = -2147217842;

QGroupBox *frame(const QString &name, const QString &caption, QWidget *parent)
{
    auto *f = new QGroupBox(caption, parent);
    f->setObjectName(name);
    return f;
}

} // namespace

InsideKurs *InsideKurs::instance()
{
    return s_instance.data();
}

InsideKurs::InsideKurs(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("InsideKurs"));
    setWindowTitle(QStringLiteral("Международни курсове"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                   | Qt::WindowMinimizeButtonHint);
    setModal(false);

    for (int i = 0; i < NoteBoxCount; ++i) {
        m_txtFields[i] = new QLineEdit(this);
        m_txtFields[i]->setObjectName(QStringLiteral("txtFields_%1").arg(i));
    }
    limitTyping(m_txtFields[bxKursID], KursNumberLength);
    auto combo = [this](const char *name) {
        auto *c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        // At least as wide as the box it stands for; wider for a longer entry
        // once the list is filled (fitListToEntries).
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(6);
        return c;
    };
    m_ComboNameShof = combo("ComboNameShof");
    m_ComboTruckV = combo("ComboTruckV");
    m_ComboTruckR = combo("ComboTruckR");

    auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    // Numbers read from the right, as in the sums' frame.
    for (int i : {bxTovarTon, bxTotalFuel, bxTotalKM, bxTotalP, bxTotalR})
        m_txtFields[i]->setAlignment(Qt::AlignRight);
    m_txtFields[bxKursID]->setFixedWidth(110);
    m_txtFields[bxData]->setFixedWidth(100);
    for (int i : {bxTovarTon, bxTotalFuel, bxTotalKM})
        m_txtFields[i]->setFixedWidth(100);

    // General data; the lists stand in the driver's, tractor's and trailer's
    // places and only one of each pair is shown.
    auto *Frame1 = frame(QStringLiteral("Frame1"), QStringLiteral("Общи данни за курса"), this);
    auto *g1 = new QGridLayout(Frame1);
    g1->addWidget(label(QStringLiteral("Номер"), m_txtFields[bxKursID]), 0, 0);
    g1->addWidget(m_txtFields[bxKursID], 0, 1, Qt::AlignLeft);
    g1->addWidget(label(QStringLiteral("Дата"), m_txtFields[bxData]), 0, 2, Qt::AlignRight);
    g1->addWidget(m_txtFields[bxData], 0, 3, Qt::AlignLeft);
    g1->addWidget(label(QStringLiteral("Шофьор"), m_txtFields[bxDriverName]), 1, 0);
    g1->addWidget(m_txtFields[bxDriverName], 1, 1, 1, 3);
    g1->addWidget(m_ComboNameShof, 1, 1, 1, 3);
    g1->addWidget(label(QStringLiteral("Влекач:"), m_txtFields[bxTruckV]), 2, 0);
    g1->addWidget(m_txtFields[bxTruckV], 2, 1);
    g1->addWidget(m_ComboTruckV, 2, 1);
    g1->addWidget(label(QStringLiteral("Ремарке:"), m_txtFields[bxTruckR]), 2, 2, Qt::AlignRight);
    g1->addWidget(m_txtFields[bxTruckR], 2, 3);
    g1->addWidget(m_ComboTruckR, 2, 3);
    g1->addWidget(label(QStringLiteral("Товар"), m_txtFields[bxTovarName]), 3, 0);
    g1->addWidget(m_txtFields[bxTovarName], 3, 1, 1, 3);
    g1->addWidget(label(QStringLiteral("Тонаж"), m_txtFields[bxTovarTon]), 4, 0);
    g1->addWidget(m_txtFields[bxTovarTon], 4, 1, Qt::AlignLeft);
    g1->addWidget(label(QStringLiteral("Total  Fuel"), m_txtFields[bxTotalFuel]), 5, 0);
    g1->addWidget(m_txtFields[bxTotalFuel], 5, 1, Qt::AlignLeft);
    g1->addWidget(label(QStringLiteral("Total     KM"), m_txtFields[bxTotalKM]), 5, 2, Qt::AlignRight);
    g1->addWidget(m_txtFields[bxTotalKM], 5, 3, Qt::AlignLeft);
    g1->setColumnStretch(1, 1);
    g1->setColumnStretch(3, 1);
    g1->setRowStretch(6, 1);

    // The firm frames: the boxes sit on an inner panel, so that the frame's own
    // margin and caption stay free for the right click that picks a firm.
    auto firmFrame = [&](const QString &name, const QString &caption, const QString &panelName, int first,
                         QWidget **panelOut) {
        auto *f = frame(name, caption, this);
        auto *panel = new QWidget(f);
        panel->setObjectName(panelName);
        auto *g = new QGridLayout(panel);
        g->setContentsMargins(0, 0, 0, 0);
        g->addWidget(label(QStringLiteral("Фирма:"), m_txtFields[first]), 0, 0);
        g->addWidget(m_txtFields[first], 0, 1, 1, 3);
        g->addWidget(label(QStringLiteral("Адрес:"), m_txtFields[first + 1]), 1, 0);
        g->addWidget(m_txtFields[first + 1], 1, 1, 1, 3);
        g->addWidget(label(QStringLiteral("Град"), m_txtFields[first + 2]), 2, 0);
        g->addWidget(m_txtFields[first + 2], 2, 1);
        g->addWidget(label(QStringLiteral("Държ."), m_txtFields[first + 3]), 2, 2);
        g->addWidget(m_txtFields[first + 3], 2, 3);
        g->setColumnStretch(1, 1);
        g->setColumnStretch(3, 1);
        auto *fl = new QVBoxLayout(f);
        fl->setContentsMargins(12, 10, 12, 10);
        fl->addWidget(panel);
        // The frame shows that it answers a click; the panel does not.
        f->setCursor(Qt::PointingHandCursor);
        panel->setCursor(Qt::ArrowCursor);
        f->installEventFilter(this);
        panel->installEventFilter(this);
        *panelOut = panel;
        return f;
    };
    m_Frame2 = firmFrame(QStringLiteral("Frame2"), QStringLiteral("Изпращач"), QStringLiteral("Picture1"),
                         bxSendName, &m_Picture1);
    m_Frame3 = firmFrame(QStringLiteral("Frame3"), QStringLiteral("Получател"), QStringLiteral("Picture2"),
                         bxResivName, &m_Picture2);

    auto placeFrame = [&](const QString &name, const QString &caption, int city) {
        auto *f = frame(name, caption, this);
        auto *g = new QGridLayout(f);
        g->addWidget(label(QStringLiteral("Град"), m_txtFields[city]), 0, 0);
        g->addWidget(m_txtFields[city], 0, 1);
        g->addWidget(label(QStringLiteral("Държ."), m_txtFields[city + 1]), 1, 0);
        g->addWidget(m_txtFields[city + 1], 1, 1);
        return f;
    };
    auto *Frame4 = placeFrame(QStringLiteral("Frame4"), QStringLiteral("Товарен пункт"), bxSendCityP);
    auto *Frame5 = placeFrame(QStringLiteral("Frame5"), QStringLiteral("Разтоварен пункт"), bxResivCityP);

    auto *Frame6 = frame(QStringLiteral("Frame6"), QStringLiteral("Общи суми от курса"), this);
    auto *g6 = new QGridLayout(Frame6);
    g6->addWidget(label(QStringLiteral("Приход:"), m_txtFields[bxTotalP]), 0, 0);
    g6->addWidget(m_txtFields[bxTotalP], 0, 1);
    g6->addWidget(new QLabel(QStringLiteral("лв."), this), 0, 2);
    g6->addWidget(label(QStringLiteral("Общ разход:"), m_txtFields[bxTotalR]), 1, 0);
    g6->addWidget(m_txtFields[bxTotalR], 1, 1);
    g6->addWidget(new QLabel(QStringLiteral("лв."), this), 1, 2);
    m_txtFields[bxTotalP]->setFixedWidth(110);
    m_txtFields[bxTotalR]->setFixedWidth(110);

    DataForm::Config cfg;
    cfg.statusText = QStringLiteral("Запис: ");
    cfg.addText = QStringLiteral("Нов запис");
    cfg.editText = QStringLiteral("Корекция запис");
    cfg.deletes = DataForm::Delete::Own;
    cfg.errors = DataForm::Errors::Own;
    cfg.firstLastBeep = false;
    cfg.fieldClick = DataForm::FieldClick::Nothing;
    cfg.hasRefresh = false;
    cfg.hasClose = true;
    cfg.keyNavigation = false;
    QList<DataFormBox> boxes;
    for (int i = 0; i < NoteBoxCount; ++i) {
        DataFormBox b{m_txtFields[i], noteField(i)};
        const bool number = i == bxTovarTon || i == bxTotalFuel || i == bxTotalKM || i == bxTotalP
            || i == bxTotalR;
        // Texts are stored without leading and trailing blanks; the date and
        // the numbers are converted by their columns' types.
        if (!number && i != bxData)
            b.parse = [](const QString &t) {
                const QString s = trimSpaces(t);
                return s.isEmpty() ? QVariant() : QVariant(s);
            };
        boxes.append(b);
    }
    m_form = new DataForm(this, QStringLiteral("Razh"), m_conn, m_adoRazhRS, boxes, cfg);
    m_form->button("cmdAdd")->setText(QStringLiteral("&Добави"));
    m_form->button("cmdEdit")->setText(QStringLiteral("&Поправи"));
    m_form->button("cmdUpdate")->setText(QStringLiteral("&Запиши"));
    m_form->button("cmdCancel")->setText(QStringLiteral("&Отказ"));
    m_form->button("cmdDelete")->setText(QStringLiteral("&Изтрий"));
    m_form->button("cmdClose")->setText(QStringLiteral("Затвори"));
    for (const char *mv : {"cmdFirst", "cmdPrevious", "cmdNext", "cmdLast"}) {
        const QString name = QLatin1String(mv);
        connect(m_form->button(name), &QAbstractButton::pressed, this, [this, name] { m_lastMove = name; });
    }

    m_form->hooks.validate = [this] { return validate(); };
    m_form->hooks.writeExtra = [this](Connection &c) { writeFirms(c); };
    m_form->hooks.setButtons = [this](bool browsing) {
        ShowCombos(browsing);
        HighlightRequired(!browsing);
        // The lists are filled afresh for each add and correction.
        if (!browsing)
            fillLists();
    };
    m_form->hooks.confirmDelete = [] {
        return msgAsk(joinLines({QStringLiteral("Изтривате информацията за ЧМР!"), QString(),
                                   QStringLiteral("Потвърдете изтриването на ЧМР!")}),
                        warningTitle());
    };
    m_form->hooks.reportError = [this](DataForm::Command cmd, const DbError &e) {
        reportError(int(cmd), e.number(), e.text());
    };

    m_txtFields[bxKursID]->installEventFilter(this);

    auto *top = new QHBoxLayout;
    top->addWidget(Frame1, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(m_Frame2);
    right->addWidget(m_Frame3);
    top->addLayout(right, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Frame4, 1);
    bottom->addWidget(Frame5, 1);
    bottom->addWidget(Frame6, 1);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(top);
    lay->addLayout(bottom);
    lay->addWidget(m_form->buttonsPanel());
    lay->addWidget(m_form->statusPanel());
    resize(860, 470);

    // The boxes in their order (each list after the box it stands for), then
    // the buttons.
    QList<QWidget *> chain;
    for (int i = 0; i < NoteBoxCount; ++i) {
        chain << m_txtFields[i];
        if (i == bxDriverName) chain << m_ComboNameShof;
        if (i == bxTruckV) chain << m_ComboTruckV;
        if (i == bxTruckR) chain << m_ComboTruckR;
    }
    for (const char *b : {"cmdAdd", "cmdEdit", "cmdUpdate", "cmdDelete", "cmdCancel", "cmdClose", "cmdFirst",
                          "cmdPrevious", "cmdNext", "cmdLast"})
        chain << m_form->button(QLatin1String(b));
    for (int i = 0; i + 1 < chain.size(); ++i)
        setTabOrder(chain.at(i), chain.at(i + 1));

    // The boxes keep the lists' height, so that the rows do not jump.
    for (int i : {bxDriverName, bxTruckV, bxTruckR})
        m_txtFields[i]->setMinimumHeight(m_ComboNameShof->sizeHint().height());
    ShowCombos(true);
    HighlightRequired(false);
}

InsideKurs::~InsideKurs() = default;

bool InsideKurs::load()
{
    try {
        m_conn.open(gConnStr);
    } catch (const DbError &e) {
        m_form->reportError(DataForm::CmdLoad, e);
        return false;
    }
    return m_form->open(QStringLiteral("SELECT * FROM ExternalKurs ORDER BY KursID"));
}

void InsideKurs::ShowCombos(bool browse)
{
    m_txtFields[bxDriverName]->setVisible(browse);
    m_txtFields[bxTruckV]->setVisible(browse);
    m_txtFields[bxTruckR]->setVisible(browse);
    m_ComboNameShof->setVisible(!browse);
    m_ComboTruckV->setVisible(!browse);
    m_ComboTruckR->setVisible(!browse);
}

void InsideKurs::HighlightRequired(bool on)
{
    QWidget *required[] = {m_txtFields[bxKursID], m_txtFields[bxData], m_ComboNameShof, m_ComboTruckV,
                           m_ComboTruckR};
    for (QWidget *w : required) {
        if (on) {
            QPalette p = w->palette();
            p.setColor(QPalette::Base, QColor(255, 255, 128));
            p.setColor(QPalette::Text, QColor(0, 0, 192));
            w->setPalette(p);
        } else {
            w->setPalette(QPalette());
        }
    }
}

void InsideKurs::fillLists()
{
    struct List {
        QComboBox *combo;
        QLineEdit *box;
        const char *sql;
        const char *field;
    };
    const List lists[] = {
        {m_ComboNameShof, m_txtFields[bxDriverName],
         "SELECT DISTINCT ime FROM shof WHERE COALESCE(ime,'')<>'' ORDER BY ime COLLATE BG", "ime"},
        {m_ComboTruckV, m_txtFields[bxTruckV],
         "SELECT DISTINCT Kola FROM Config WHERE COALESCE(Kola,'')<>'' ORDER BY Kola COLLATE BG", "Kola"},
        {m_ComboTruckR, m_txtFields[bxTruckR],
         "SELECT DISTINCT TruckR FROM ExternalKurs WHERE COALESCE(TruckR,'')<>'' ORDER BY TruckR COLLATE BG",
         "TruckR"},
    };
    for (const auto &l : lists) {
        l.combo->clear();
        FillCombo(l.combo, QString::fromUtf8(l.sql), QString::fromLatin1(l.field));
        // The list starts with the note's own value (empty for a new note).
        l.combo->setCurrentIndex(-1);
        l.combo->setEditText(l.box->text());
        fitListToEntries(l.combo);
    }
}

QVariant InsideKurs::currentId() const
{
    if (m_form->isAdding() || m_adoRazhRS.bof() || m_adoRazhRS.eof())
        return QVariant();
    return m_adoRazhRS.value(QStringLiteral("ID"));
}

void InsideKurs::txtNumber_LostFocus()
{
    if (m_form->isBrowsing() || m_checkingNumber)
        return;
    QLineEdit *box0 = m_txtFields[bxKursID];
    const QString s = trimSpaces(box0->text());
    if (s.isEmpty())
        return;
    QScopedValueRollback<bool> guard(m_checkingNumber, true);
    if (kursNumberTooLong(s)) {
        msgBox(numberTooLongMessage(), warningTitle(), true);
        box0->setFocus(Qt::OtherFocusReason);
        return;
    }
    const QString padded = padKursNumber(s);
    bool taken = false;
    try {
        taken = kursNumberTaken(m_conn, padded, currentId());
    } catch (const DbError &e) {
        msgBox(e.text(), errorTitle(), true);
    }
    box0->setText(padded);
    if (taken) {
        msgBox(duplicateNumberMessage(), errorTitle(), true);
        box0->setFocus(Qt::OtherFocusReason);
    }
}

bool InsideKurs::validate()
{
    // What the lists show is what is saved.
    m_txtFields[bxDriverName]->setText(m_ComboNameShof->currentText());
    m_txtFields[bxTruckV]->setText(m_ComboTruckV->currentText());
    m_txtFields[bxTruckR]->setText(m_ComboTruckR->currentText());

    QStringList texts;
    for (auto *b : m_txtFields)
        texts << b->text();
    const NoteCheck check = checkNote(texts);
    if (!check.ok()) {
        msgBox(check.message, warningTitle(), true);
        return false;
    }
    // The number is padded here too: a save can come without the box being left.
    QLineEdit *box0 = m_txtFields[bxKursID];
    const QString padded = padKursNumber(box0->text());
    box0->setText(padded);
    try {
        if (kursNumberTaken(m_conn, padded, currentId())) {
            msgBox(duplicateNumberMessage(), errorTitle(), true);
            QScopedValueRollback<bool> guard(m_checkingNumber, true);
            box0->setFocus(Qt::OtherFocusReason);
            return false;
        }
    } catch (const DbError &e) {
        m_form->reportError(DataForm::CmdUpdate, e);
        return false;
    }
    return true;
}

FirmTexts InsideKurs::typedFirm(int firstBox) const
{
    return {m_txtFields[firstBox]->text(), m_txtFields[firstBox + 1]->text(), m_txtFields[firstBox + 2]->text(),
            m_txtFields[firstBox + 3]->text()};
}

void InsideKurs::writeFirms(Connection &conn)
{
    appendFirmIfNew(conn, typedFirm(bxSendName));
    appendFirmIfNew(conn, typedFirm(bxResivName));
}

void InsideKurs::reportError(int cmd, int number, const QString &text)
{
    QString line;
    switch (DataForm::Command(cmd)) {
    case DataForm::CmdLoad: line = QStringLiteral("ГРЕШКА при зареждане на ЧМР!"); break;
    case DataForm::CmdAdd: line = QStringLiteral("ГРЕШКА при добавяне на ЧМР!"); break;
    case DataForm::CmdEdit: line = QStringLiteral("ГРЕШКА при корекцията на ЧМР!"); break;
    case DataForm::CmdUpdate: line = QStringLiteral("ГРЕШКА при записа на ЧМР!"); break;
    case DataForm::CmdDelete: line = QStringLiteral("ГРЕШКА при изтриването на ЧМР!"); break;
    case DataForm::CmdCancel:
    case DataForm::CmdRefresh: return; // cancel ignores its errors; there is no refresh
    case DataForm::CmdMove:
        if (m_lastMove == QLatin1String("cmdFirst"))
            line = QStringLiteral("ГРЕШКА при преместване на първия запис!");
        else if (m_lastMove == QLatin1String("cmdLast"))
            line = QStringLiteral("ГРЕШКА при преместване на последния запис!");
        else if (m_lastMove == QLatin1String("cmdPrevious"))
            line = QStringLiteral("ГРЕШКА при преместване на предходния запис!");
        else if (number == ErrMoveCancelled) {
            msgBox(joinLines({QStringLiteral("ГРЕШКА при преместване на следващия запис!"), QString(),
                              QStringLiteral("Не мога да преместя записа.")}),
                   errorTitle(), true);
            return;
        } else
            line = QStringLiteral("ГРЕШКА при преместване на следващия!");
        break;
    }
    msgBox(joinLines({line, QString(), text}), errorTitle(), true);
}

void InsideKurs::pickFirm(const QString &side)
{
    // A firm goes into the note on screen: while browsing the pick starts its
    // correction, so that the firm can be saved or dropped like any change.
    if (m_form->isBrowsing()) {
        if (m_adoRazhRS.bof() || m_adoRazhRS.eof())
            return;
    }
    PickSide = side;
    const std::optional<FirmTexts> firm = SendResive::pick(this);
    if (firm) {
        sSrName = firm->name;
        sSrAdres = firm->adres;
        sSrCity = firm->city;
        sSrCountry = firm->country;
        if (m_form->isBrowsing())
            m_form->cmdEdit();
        const int first = PickSide == QLatin1String("Send") ? bxSendName
            : PickSide == QLatin1String("Resiv")            ? bxResivName
                                                            : -1;
        if (first >= 0 && !m_form->isBrowsing()) {
            m_txtFields[first]->setText(sSrName);
            m_txtFields[first + 1]->setText(sSrAdres);
            m_txtFields[first + 2]->setText(sSrCity);
            m_txtFields[first + 3]->setText(sSrCountry);
        }
    }
    // A picker closed without a choice leaves the block as it was.
    PickSide.clear();
}

bool InsideKurs::eventFilter(QObject *obj, QEvent *event)
{
    if (obj == m_txtFields[bxKursID] && event->type() == QEvent::FocusOut) {
        // Leaving the box, not the window: a message box or another window
        // taking the focus is no reason to check.
        // Nor is going to "Отказ" (the number is dropped) or "Запиши" (the save
        // checks the number itself): the message would come twice or block the
        // cancel.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        QWidget *next = QApplication::focusWidget();
        const bool toCommand = next
            && (next == m_form->button(QStringLiteral("cmdCancel"))
                || next == m_form->button(QStringLiteral("cmdUpdate")));
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !toCommand)
            txtNumber_LostFocus();
        return false;
    }
    if (obj == m_Frame2 || obj == m_Frame3) {
        if (event->type() == QEvent::MouseButtonPress
            && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
            pickFirm(obj == m_Frame2 ? QStringLiteral("Send") : QStringLiteral("Resiv"));
            return true;
        }
        return false;
    }
    if (obj == m_Picture1 || obj == m_Picture2) {
        // The inner panel keeps its clicks from reaching the frame.
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }
    return QDialog::eventFilter(obj, event);
}

void InsideKurs::keyPressEvent(QKeyEvent *e)
{
    // The screen has no keys of its own: Esc would hide it past "Затвори",
    // in the middle of a note being added.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void showInsideKurs()
{
    showSingle(s_instance, [] {
        auto *w = new InsideKurs(openingWindow());
        if (!w->load()) {
            delete w;
            return static_cast<InsideKurs *>(nullptr);
        }
        w->form()->button(QStringLiteral("cmdAdd"))->setFocus();
        return w;
    });
}

} // namespace kelm
