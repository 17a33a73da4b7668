#include "warehouse/sklad.h"

#include "common/globals.h"
#include "dialogs/diainf.h"
#include "dialogs/fillcombo.h"
#include "dialogs/mousepointer.h"
#include "platform/dataform.h"
#include "platform/fittexts.h"
#include "platform/numbers.h"
#include "platform/singlewindow.h"
#include "platform/version.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace kelm {

namespace {

// Boxes a rule locks are grey, open ones white.
const QColor kLocked(192, 192, 192);
const QColor kOpen(255, 255, 255);

QPointer<Sklad> s_sklad;
QPointer<Sklad_R> s_skladR;
// Every warehouse screen open in this copy: a save on one rewrites lots that
// another may show.
QList<Sklad *> s_open;

} // namespace

Sklad::Sklad(QWidget *parent) : Sklad(kReceiptKind, parent) {}

Sklad_R::Sklad_R(QWidget *parent) : Sklad(kIssueKind, parent)
{
    setObjectName(QStringLiteral("Sklad_R"));
}

Sklad::Sklad(const QString &kind, QWidget *parent) : QDialog(parent), m_kind(kind)
{
    setObjectName(QStringLiteral("Sklad"));
    setModal(false);
    buildControls();
    s_open.append(this);
}

Sklad::~Sklad()
{
    s_open.removeAll(this);
    if (qApp)
        qApp->removeEventFilter(this);
    setNormalPointer();
}

void Sklad::buildControls()
{
    setFixedSize(470, 300);
    auto label = [](QWidget *parent, const QString &name, const QString &text, int x, int y) {
        auto *l = new QLabel(text, parent);
        l->setObjectName(name);
        l->move(x, y);
        l->adjustSize();
        return l;
    };
    auto box = [this](QWidget *parent, int index, const QRect &r) {
        auto *le = new QLineEdit(parent);
        le->setObjectName(QStringLiteral("txtFields(%1)").arg(index));
        le->setGeometry(r);
        m_txt.insert(index, le);
        return le;
    };
    auto list = [](QWidget *parent, const QString &name, const QRect &r) {
        auto *c = new QComboBox(parent);
        c->setObjectName(name);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        // A typed value is taken as typed, never completed from the list.
        c->setCompleter(nullptr);
        c->setGeometry(r);
        c->hide();
        return c;
    };

    auto *frame1 = new QGroupBox(QStringLiteral("Документ"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(10, 6, 450, 58);
    label(frame1, QStringLiteral("lblLabels(1)"), QStringLiteral("Вид:"), 10, 28);
    box(frame1, 1, QRect(55, 24, 170, 22));
    Combo1 = list(frame1, QStringLiteral("Combo1"), QRect(55, 24, 170, 22));
    label(frame1, QStringLiteral("lblLabels(2)"), QStringLiteral("Номер"), 240, 28);
    box(frame1, 2, QRect(290, 24, 148, 22));

    auto *frame2 = new QGroupBox(QStringLiteral("Артикул"), this);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(10, 68, 450, 58);
    label(frame2, QStringLiteral("lblLabels(3)"), QStringLiteral("Име"), 10, 28);
    box(frame2, 3, QRect(55, 24, 220, 22));
    Combo2 = list(frame2, QStringLiteral("Combo2"), QRect(55, 24, 220, 22));
    label(frame2, QStringLiteral("lblLabels(0)"), QStringLiteral("Дата"), 292, 28);
    box(frame2, 0, QRect(330, 24, 108, 22));

    Frame3 = new QGroupBox(isIssue() ? QStringLiteral("Разход") : QStringLiteral("Приход"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setGeometry(10, 130, 450, 58);
    label(Frame3, QStringLiteral("lblLabels(4)"), QStringLiteral("Кол."), 10, 28);
    box(Frame3, 4, QRect(55, 24, 80, 22));
    label(Frame3, QStringLiteral("lblLabels(5)"), QStringLiteral("Ед.цена"), 145, 28);
    box(Frame3, 5, QRect(200, 24, 80, 22));
    label(Frame3, QStringLiteral("lblLabels(6)"), QStringLiteral("Сума"), 292, 28);
    Label1 = new QLabel(Frame3);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(330, 24, 110, 22);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    chkFields = new QCheckBox(QStringLiteral("Изписан"), this);
    chkFields->setObjectName(QStringLiteral("chkFields"));
    chkFields->setGeometry(20, 194, 120, 22);
    // It shows Lipsa; only the stock rules set it.
    chkFields->setFocusPolicy(Qt::NoFocus);
    chkFields->setAttribute(Qt::WA_TransparentForMouseEvents);
    chkFields->installEventFilter(this);

    const auto money = [](const QVariant &v) {
        return v.isNull() ? QString() : moneyText(v.toDouble());
    };
    QList<DataFormBox> boxes{{m_txt.value(1), QStringLiteral("DocVid")},
                             {m_txt.value(2), QStringLiteral("DocNom")},
                             {m_txt.value(3), QStringLiteral("Name")},
                             {m_txt.value(0), QStringLiteral("Data")},
                             {m_txt.value(4), QStringLiteral("Kol")},
                             {m_txt.value(5), QStringLiteral("Edin")},
                             {chkFields, QStringLiteral("Lipsa")},
                             {Label1, QStringLiteral("Suma"), money}};

    DataForm::Config cfg;
    cfg.statusText = QStringLiteral("Запис №: ");
    cfg.addText = QStringLiteral("Нов запис");
    cfg.editText = QStringLiteral("Корекция");
    cfg.deletes = DataForm::Delete::TwoQuestions;
    cfg.errors = DataForm::Errors::Own;
    cfg.fieldClick = DataForm::FieldClick::SelectsText;
    cfg.hasRefresh = false;
    m_form = new DataForm(this, QString(), m_conn, m_adoRS, boxes, cfg);
    m_form->buttonsPanel()->setGeometry(10, 224, 450, 30);
    m_form->statusPanel()->setGeometry(10, 264, 450, 28);

    m_form->hooks.setButtons = [this](bool browsing) { setButtonsHook(browsing); };
    m_form->hooks.validate = [this] { return validateSave(); };
    m_form->hooks.readBoxes = [] {};
    m_form->hooks.writeExtra = [this](Connection &conn) { writeLine(conn); };
    // A delete that would be refused is refused before the questions; one that
    // is not gives the line's stock back, or is still refused (another copy may
    // have written meanwhile), in the delete's transaction.
    m_form->hooks.checkDelete = [this] {
        try {
            const QString why = changeRefusal(m_conn, m_adoRS.value(QStringLiteral("ID")).toLongLong(), nullptr);
            if (why.isEmpty())
                return true;
            DiaInf::show(kRefusalCaption, why);
        } catch (const DbError &e) {
            m_form->reportError(DataForm::CmdDelete, e);
        }
        return false;
    };
    m_form->hooks.deleteExtra = [this](Connection &conn) {
        const LineChange change = changeLine(conn, m_adoRS.value(QStringLiteral("ID")).toLongLong(), nullptr);
        if (!change.refusal.isEmpty())
            throw DbError(kErrStockRefused, change.refusal);
        linesWrittenAgain(change.relotted);
    };
    m_form->hooks.reportError = [](DataForm::Command cmd, const DbError &e) {
        if (e.number() == kErrStockRefused)
            DiaInf::show(kRefusalCaption, e.description());
        else
            DiaInf::show(DataForm::errorCaption(cmd), e.text());
    };
    // A correction starts in the date; a new line in the kind list (below).
    connect(m_form->button(QStringLiteral("cmdEdit")), &QAbstractButton::clicked, this, [this] {
        if (m_form->isEditing())
            m_txt.value(0)->setFocus();
    });
    connect(m_form->button(QStringLiteral("cmdAdd")), &QAbstractButton::clicked, this, [this] {
        if (m_form->isAdding())
            Combo1->setFocus();
    });
    // Installed after the template's filter, so it sees a move key first.
    qApp->installEventFilter(this);
    connect(Combo2, &QComboBox::editTextChanged, this, [this] { updateLocks(); });
    Combo1->lineEdit()->installEventFilter(this);
    Combo1->installEventFilter(this);

    // The amount label has room for the largest amount a line can hold (the
    // largest quantity at the largest price); the frame and the window widen
    // with it, and the buttons keep their captions whole.
    Label1->setText(moneyText(limits::kQuantity * limits::kPrice));
    fitTexts(this);
    Label1->clear();

    QList<QWidget *> order{Combo1, m_txt.value(2), Combo2, m_txt.value(0), m_txt.value(4), m_txt.value(5)};
    for (const char *b : {"cmdAdd", "cmdEdit", "cmdUpdate", "cmdDelete", "cmdCancel", "cmdClose", "cmdFirst",
                          "cmdPrevious", "cmdNext", "cmdLast"})
        order << m_form->button(QString::fromLatin1(b));
    order << m_txt.value(1) << m_txt.value(3);
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

bool Sklad::load()
{
    setWaitPointer();
    NormalPointerOnExit normal;
    setStatusText(QStringLiteral("Обработвам данните..."));
    setWindowTitle(screenCaption(isIssue() ? QStringLiteral("Склад - Разход") : QStringLiteral("Склад - Приход")));
    try {
        m_conn.open(gConnStr);
        // The kinds already used on this kind of line (on issues the cars of the
        // trip expense lines too), and every article of either kind.
        FillCombo(Combo1,
                  QStringLiteral("SELECT DISTINCT DocVid FROM Sklad WHERE VidKol=? AND DocVid IS NOT NULL "
                                 "ORDER BY DocVid COLLATE BG"),
                  QStringLiteral("DocVid"), {m_kind});
        FillCombo(Combo2,
                  QStringLiteral("SELECT DISTINCT Name FROM Sklad WHERE Name IS NOT NULL ORDER BY Name COLLATE BG"),
                  QStringLiteral("Name"));
        Combo1->setCurrentIndex(Combo1->count() > 0 ? 0 : -1);
        Combo2->setCurrentIndex(Combo2->count() > 0 ? 0 : -1);
    } catch (const DbError &e) {
        setNormalPointer();
        DiaInf::show(DataForm::errorCaption(DataForm::CmdLoad), e.text());
        return false;
    }
    m_form->SetButtons(true);
    setNormalPointer();
    if (!m_form->open(linesSql(), {m_kind}))
        return false;
    m_loaded = true;
    if (m_adoRS.isEmpty())
        m_form->button(QStringLiteral("cmdAdd"))->click();
    return true;
}

QString Sklad::linesSql()
{
    // "+Data": a scan of the table sorted once reads the file in order; walking
    // the date index would fetch the rows one by one all over it.
    return QStringLiteral("SELECT * FROM Sklad WHERE VidKol=? ORDER BY +Data, ID");
}

// ---------------------------------------------------------------------------
// Boxes

void Sklad::lockBox(QLineEdit *box, bool locked)
{
    box->setEnabled(!locked);
    QPalette p = box->palette();
    p.setColor(QPalette::Base, locked ? kLocked : kOpen);
    p.setColor(QPalette::Disabled, QPalette::Base, kLocked);
    // A locked value is still read: the average price, the repair's 1.
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0, 0, 0));
    box->setPalette(p);
}

void Sklad::updateLocks()
{
    const bool browsing = m_form->isBrowsing();
    // An issue's correction keeps the stored average: its price is locked.
    lockBox(m_txt.value(5), !browsing && isIssue() && m_form->isEditing());
    // A repair is one piece of work: its quantity is 1 while the article says so.
    const bool repair = !browsing && isIssue() && m_form->isAdding() && isRepairArticle(Combo2->currentText());
    QLineEdit *kol = m_txt.value(4);
    if (repair)
        kol->setText(QStringLiteral("1"));
    lockBox(kol, repair);
}

void Sklad::setButtonsHook(bool browsing)
{
    const bool editing = m_form->isEditing();
    if (!browsing && editing) {
        // A saved line keeps its kind and article.
        Combo1->setEditText(m_adoRS.value(QStringLiteral("DocVid")).toString());
        Combo2->setEditText(m_adoRS.value(QStringLiteral("Name")).toString());
    }
    for (QComboBox *c : {Combo1, Combo2}) {
        c->setVisible(!browsing);
        c->setEnabled(browsing || !editing);
        if (!browsing)
            c->raise();
    }
    // The boxes the lists cover take no focus meanwhile.
    m_txt.value(1)->setVisible(browsing);
    m_txt.value(3)->setVisible(browsing);
    updateLocks();
}

bool Sklad::eventFilter(QObject *obj, QEvent *event)
{
    if (obj == chkFields) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return true;
        default:
            return false;
        }
    }
    if (m_loaded && event->type() == QEvent::FocusOut && (obj == Combo1 || obj == Combo1->lineEdit())) {
        // A message box or another window in front is no leaving of the box.
        const Qt::FocusReason why = static_cast<QFocusEvent *>(event)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) {
            // Leaving the box cuts only a kind too long; the save also trims it.
            const QString typedKind = Combo1->currentText();
            const QString cut = typedKind.trimmed().size() > kDocVidLength ? cutDocVid(typedKind) : typedKind;
            if (cut != typedKind)
                Combo1->setEditText(cut);
        }
    }
    return QDialog::eventFilter(obj, event);
}

// ---------------------------------------------------------------------------
// Saving

LineEntry Sklad::typed() const
{
    LineEntry e;
    e.docVid = Combo1->currentText();
    e.docNom = m_txt.value(2)->text();
    e.name = Combo2->currentText();
    e.data = m_txt.value(0)->text();
    e.kol = m_txt.value(4)->text();
    e.edin = m_txt.value(5)->text();
    return e;
}

void Sklad::focusField(LineField field)
{
    QLineEdit *le = nullptr;
    switch (field) {
    case LineField::DocVid: le = Combo1->lineEdit(); break;
    case LineField::Name: le = Combo2->lineEdit(); break;
    case LineField::Data: le = m_txt.value(0); break;
    case LineField::Kol: le = m_txt.value(4); break;
    case LineField::Edin: le = m_txt.value(5); break;
    case LineField::None: break;
    }
    if (le && le->isEnabled()) {
        le->setFocus();
        le->selectAll();
    }
}

bool Sklad::validateSave()
{
    const LineEntry e = typed();
    // A corrected issue keeps its stored average price; its amount is checked with it.
    m_checked = m_form->isAdding()
        ? checkNewLine(e)
        : checkCorrection(e, !isIssue(), isIssue() ? m_adoRS.value(QStringLiteral("Edin")).toDouble() : 0.0);
    if (!m_checked.ok) {
        DiaInf::show(m_checked.caption, m_checked.text);
        focusField(m_checked.field);
        return false;
    }
    // The boxes the lists cover take what is saved.
    Combo1->setEditText(m_checked.line.docVid);
    m_txt.value(1)->setText(m_checked.line.docVid);
    if (m_form->isAdding()) {
        Combo2->setEditText(m_checked.line.name);
        m_txt.value(3)->setText(m_checked.line.name);
    }
    return true;
}

void Sklad::writeLine(Connection &conn)
{
    const QDateTime now = QDateTime::currentDateTime();
    const StockLine &line = m_checked.line;
    Recordset &rs = m_adoRS;
    if (m_form->isAdding()) {
        // The stock step and the line go in the save's one transaction.
        const StockStep step = stockStep(conn, m_kind, line, now.date(), now.time());
        if (step.refusal != Refusal::None)
            throw DbError(kErrStockRefused, refusalText(step.refusal));
        linesWrittenAgain(step.lots);
        const SkladLine l = documentLine(m_kind, line, step, now.date(), now.time());
        rs.setValue(QStringLiteral("Data"), l.data);
        rs.setValue(QStringLiteral("DocVid"), l.docVid);
        rs.setValue(QStringLiteral("DocNom"), l.docNom);
        rs.setValue(QStringLiteral("Name"), l.name);
        rs.setValue(QStringLiteral("Kol"), l.kol);
        rs.setValue(QStringLiteral("Edin"), l.edin);
        rs.setValue(QStringLiteral("Suma"), l.suma);
        rs.setValue(QStringLiteral("VidKol"), l.vidKol);
        rs.setValue(QStringLiteral("Lipsa"), l.lipsa);
        rs.setValue(QStringLiteral("Ostat"), l.ostat);
        rs.setValue(QStringLiteral("DateMod"), l.dateMod);
        rs.setValue(QStringLiteral("TimeMod"), l.timeMod);
        return;
    }
    // A correction of a stock line leaves the lots and the stock as the documents
    // then leave them, or is refused with nothing written. An issue's price is
    // not typed: it is the average of what the issue takes.
    const LineRevision revision{line.data, line.kol, line.edin};
    const LineChange change = changeLine(conn, rs.value(QStringLiteral("ID")).toLongLong(), &revision);
    if (!change.refusal.isEmpty())
        throw DbError(kErrStockRefused, change.refusal);
    linesWrittenAgain(change.relotted);
    const double edin = isIssue() ? change.edin : line.edin;
    if (isIssue() && change.stock) {
        if (const QString why = issueAmountRefusal(line.kol, edin); !why.isEmpty())
            throw DbError(kErrStockRefused, why);
    }
    rs.setValue(QStringLiteral("Data"), line.data);
    rs.setValue(QStringLiteral("DocVid"), line.docVid);
    rs.setValue(QStringLiteral("DocNom"), line.docNom);
    rs.setValue(QStringLiteral("Kol"), line.kol);
    rs.setValue(QStringLiteral("Edin"), edin);
    rs.setValue(QStringLiteral("Suma"), line.kol * edin);
    rs.setValue(QStringLiteral("VidKol"), m_kind);
    if (change.stock) {
        rs.setValue(QStringLiteral("Ostat"), change.ostat);
        rs.setValue(QStringLiteral("Lipsa"), change.lipsa);
    }
    // A line of the trip editor or a waybill keeps its empty stamp, the mark
    // that it moves no stock.
    if (change.stock || !rs.value(QStringLiteral("DateMod")).isNull()) {
        rs.setValue(QStringLiteral("DateMod"), now.date());
        rs.setValue(QStringLiteral("TimeMod"), now.time());
    }
}

void Sklad::linesWrittenAgain(const QVector<qint64> &ids)
{
    // Lots this save wrote are read again by the warehouse screens open here,
    // so that a later correction of one is not taken for another user's change.
    for (Sklad *screen : std::as_const(s_open))
        screen->m_adoRS.readAgainKeys(ids);
}

// ---------------------------------------------------------------------------
// Commands of the main window

void showSklad()
{
    showSingleLoaded(s_sklad);
}

void showSklad_R()
{
    showSingleLoaded(s_skladR);
}

Sklad *openSklad()
{
    return s_sklad.data();
}

Sklad_R *openSklad_R()
{
    return s_skladR.data();
}

} // namespace kelm
