#include "platform/dataform.h"

#include "platform/boxlength.h"
#include "platform/database.h"
#include "platform/fittexts.h"
#include "platform/numbers.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QWidget>

namespace kelm {

namespace {


bool isTextBox(QWidget *w)
{
    return qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w);
}

} // namespace

DataForm::DataForm(QWidget *screen, const QString &suffix, Connection &conn, Recordset &rs,
                   const QList<DataFormBox> &boxes, const Config &config)
    : QObject(screen), m_screen(screen), m_suffix(suffix), m_conn(conn), m_rs(rs), m_boxes(boxes),
      m_cfg(config)
{
    auto panel = [screen](const QString &name, int spacing) {
        auto *p = screen->findChild<QWidget *>(name);
        if (!p) {
            p = new QWidget(screen);
            p->setObjectName(name);
        }
        auto *l = qobject_cast<QHBoxLayout *>(p->layout());
        if (!l && !p->layout()) {
            l = new QHBoxLayout(p);
            l->setContentsMargins(0, 0, 0, 0);
            l->setSpacing(spacing);
        }
        return p;
    };
    m_buttons = panel(QStringLiteral("picButtons") + suffix, 6);
    auto *bl = qobject_cast<QHBoxLayout *>(m_buttons->layout());

    // Browsing shows Добави, Поправи, Изтрий (Обнови), Затвори; editing shows
    // Запиши where Поправи was and Отказ where Изтрий was.
    m_cmdAdd = takeOrMake(QStringLiteral("cmdAdd"), QStringLiteral("Добави"), m_buttons, false);
    if (m_cmdAdd->parentWidget() == m_buttons) {
        // Its place stays empty while editing, so that "Запиши" and "Отказ" come
        // where "Поправи" and "Изтрий" were.
        QSizePolicy sp = m_cmdAdd->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        m_cmdAdd->setSizePolicy(sp);
    }
    m_cmdEdit = takeOrMake(QStringLiteral("cmdEdit"), QStringLiteral("Поправи"), m_buttons, false);
    m_cmdUpdate = takeOrMake(QStringLiteral("cmdUpdate"), QStringLiteral("Запиши"), m_buttons, false);
    m_cmdDelete = takeOrMake(QStringLiteral("cmdDelete"), QStringLiteral("Изтрий"), m_buttons, false);
    m_cmdCancel = takeOrMake(QStringLiteral("cmdCancel"), QStringLiteral("Отказ"), m_buttons, false);
    if (m_cfg.hasRefresh)
        m_cmdRefresh = takeOrMake(QStringLiteral("cmdRefresh"), QStringLiteral("Обнови"), m_buttons, false);
    if (m_cfg.hasClose)
        m_cmdClose = takeOrMake(QStringLiteral("cmdClose"), QStringLiteral("Затвори"), m_buttons, false);
    if (bl)
        bl->addStretch(1);

    m_statBox = panel(QStringLiteral("picStatBox") + suffix, 2);
    auto *sl = qobject_cast<QHBoxLayout *>(m_statBox->layout());
    // The status line sits between the two pairs of move buttons.
    m_cmdFirst = takeOrMake(QStringLiteral("cmdFirst"), QString(), m_statBox, true);
    m_cmdPrevious = takeOrMake(QStringLiteral("cmdPrevious"), QString(), m_statBox, true);
    m_lblStatus = m_screen->findChild<QLabel *>(QStringLiteral("lblStatus") + suffix);
    if (!m_lblStatus) {
        m_lblStatus = new QLabel(m_statBox);
        m_lblStatus->setObjectName(QStringLiteral("lblStatus") + suffix);
        m_lblStatus->setFrameShape(QFrame::Panel);
        m_lblStatus->setFrameShadow(QFrame::Sunken);
        m_lblStatus->setMinimumWidth(120);
        m_lblStatus->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        if (sl)
            sl->addWidget(m_lblStatus, 1);
    }
    m_cmdNext = takeOrMake(QStringLiteral("cmdNext"), QString(), m_statBox, true);
    m_cmdLast = takeOrMake(QStringLiteral("cmdLast"), QString(), m_statBox, true);
    const QStyle *st = m_screen->style();
    auto icon = [&](QAbstractButton *b, QStyle::StandardPixmap p) {
        if (b->icon().isNull() && b->text().isEmpty())
            b->setIcon(st->standardIcon(p));
    };
    icon(m_cmdFirst, QStyle::SP_MediaSkipBackward);
    icon(m_cmdPrevious, QStyle::SP_MediaSeekBackward);
    icon(m_cmdNext, QStyle::SP_MediaSeekForward);
    icon(m_cmdLast, QStyle::SP_MediaSkipForward);

    connect(m_cmdAdd, &QAbstractButton::clicked, this, &DataForm::cmdAdd);
    connect(m_cmdEdit, &QAbstractButton::clicked, this, &DataForm::cmdEdit);
    connect(m_cmdUpdate, &QAbstractButton::clicked, this, [this] { cmdUpdate(); });
    connect(m_cmdCancel, &QAbstractButton::clicked, this, &DataForm::cmdCancel);
    connect(m_cmdDelete, &QAbstractButton::clicked, this, &DataForm::cmdDelete);
    if (m_cmdRefresh)
        connect(m_cmdRefresh, &QAbstractButton::clicked, this, &DataForm::cmdRefresh);
    if (m_cmdClose)
        connect(m_cmdClose, &QAbstractButton::clicked, this, &DataForm::cmdClose);
    connect(m_cmdFirst, &QAbstractButton::clicked, this, &DataForm::cmdFirst);
    connect(m_cmdPrevious, &QAbstractButton::clicked, this, &DataForm::cmdPrevious);
    connect(m_cmdNext, &QAbstractButton::clicked, this, &DataForm::cmdNext);
    connect(m_cmdLast, &QAbstractButton::clicked, this, &DataForm::cmdLast);

    // The boxes follow the current row wherever it moves.
    connect(&m_rs, &Recordset::moveComplete, this, [this] {
        if (isBrowsing())
            showRecord();
    });

    qApp->installEventFilter(this);
    SetButtons(true);
}

DataForm::~DataForm()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

QAbstractButton *DataForm::takeOrMake(const QString &name, const QString &caption, QWidget *panel,
                                      bool navigation)
{
    const QString full = name + m_suffix;
    if (auto *b = m_screen->findChild<QAbstractButton *>(full))
        return b;
    // A command button is at least 81 wide and never narrower than its caption.
    auto *b = navigation ? new QPushButton(caption, panel) : new LeastButton(caption, panel, 81);
    b->setObjectName(full);
    // No template button answers Enter by itself.
    b->setAutoDefault(false);
    b->setDefault(false);
    if (navigation) {
        b->setFixedSize(28, 24);
        b->setFocusPolicy(Qt::TabFocus);
    }
    if (panel->layout())
        panel->layout()->addWidget(b);
    return b;
}

QAbstractButton *DataForm::button(const QString &name) const
{
    if (name == QLatin1String("cmdAdd")) return m_cmdAdd;
    if (name == QLatin1String("cmdEdit")) return m_cmdEdit;
    if (name == QLatin1String("cmdUpdate")) return m_cmdUpdate;
    if (name == QLatin1String("cmdCancel")) return m_cmdCancel;
    if (name == QLatin1String("cmdDelete")) return m_cmdDelete;
    if (name == QLatin1String("cmdRefresh")) return m_cmdRefresh;
    if (name == QLatin1String("cmdClose")) return m_cmdClose;
    if (name == QLatin1String("cmdFirst")) return m_cmdFirst;
    if (name == QLatin1String("cmdPrevious")) return m_cmdPrevious;
    if (name == QLatin1String("cmdNext")) return m_cmdNext;
    if (name == QLatin1String("cmdLast")) return m_cmdLast;
    return nullptr;
}

bool DataForm::open(const QString &sql, const QVariantList &params)
{
    try {
        m_rs.open(m_conn, sql, params, Recordset::LockOptimistic);
    } catch (const DbError &e) {
        reportError(CmdLoad, e);
        return false;
    }
    m_editFlag = m_addNewFlag = false;
    m_hasMark = m_hasEditMark = false;
    SetButtons(true);
    showRecord();
    return true;
}

// ---------------------------------------------------------------------------
// Showing the record

QString DataForm::formatValue(const DataFormBox &b, const QVariant &v) const
{
    if (b.format)
        return b.format(v);
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QDate:
        return formatDate(v.toDate());
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Double:
    case QMetaType::Float:
        return formatGeneral(v.toDouble());
    default:
        return v.toString();
    }
}

QString DataForm::boxText(QWidget *box)
{
    if (auto *le = qobject_cast<QLineEdit *>(box))
        return le->text();
    if (auto *pe = qobject_cast<QPlainTextEdit *>(box))
        return pe->toPlainText();
    if (auto *cb = qobject_cast<QComboBox *>(box))
        return cb->currentText();
    if (auto *ch = qobject_cast<QCheckBox *>(box))
        return ch->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return box->property("text").toString();
}

void DataForm::setBoxText(QWidget *box, const QString &text, const QVariant &v)
{
    if (auto *le = qobject_cast<QLineEdit *>(box)) {
        // A stored value is shown whole, also one longer than the box takes by typing.
        setWholeText(le, text);
        le->setCursorPosition(0);
    } else if (auto *pe = qobject_cast<QPlainTextEdit *>(box)) {
        pe->setPlainText(text);
    } else if (auto *cb = qobject_cast<QComboBox *>(box)) {
        if (cb->isEditable()) {
            cb->setEditText(text);
        } else {
            cb->setCurrentIndex(cb->findText(text));
        }
    } else if (auto *ch = qobject_cast<QCheckBox *>(box)) {
        ch->setChecked(v.isValid() && !v.isNull() && v.toBool());
    } else {
        box->setProperty("text", text);
    }
}

void DataForm::showRecord()
{
    const bool has = !m_rs.bof() && !m_rs.eof();
    for (const auto &b : m_boxes) {
        QVariant v;
        if (has && m_rs.hasField(b.field))
            v = m_rs.value(b.field);
        setBoxText(b.box, has ? formatValue(b, v) : QString(), v);
    }
    if (hooks.fillBoxes)
        hooks.fillBoxes();
    if (isBrowsing())
        writeStatus();
}

void DataForm::writeStatus()
{
    const int pos = m_rs.absolutePosition();
    m_lblStatus->setText(pos > 0 ? m_cfg.statusText + QString::number(pos) : m_cfg.statusText);
}

// ---------------------------------------------------------------------------
// Buttons and boxes

void DataForm::lockBoxes(bool locked)
{
    for (const auto &b : m_boxes) {
        if (auto *le = qobject_cast<QLineEdit *>(b.box))
            le->setReadOnly(locked);
        else if (auto *pe = qobject_cast<QPlainTextEdit *>(b.box))
            pe->setReadOnly(locked);
        else if (auto *cb = qobject_cast<QComboBox *>(b.box); cb && cb->lineEdit())
            cb->lineEdit()->setReadOnly(locked);
    }
}

void DataForm::SetButtons(bool browsing)
{
    m_browsing = browsing;
    const bool any = m_rs.isOpen() && !m_rs.isEmpty();
    m_cmdAdd->setVisible(browsing);
    m_cmdEdit->setVisible(browsing);
    m_cmdDelete->setVisible(browsing);
    if (m_cmdClose)
        m_cmdClose->setVisible(browsing);
    if (m_cmdRefresh)
        m_cmdRefresh->setVisible(browsing);
    // Nothing to correct or delete in an empty recordset.
    m_cmdEdit->setEnabled(any);
    m_cmdDelete->setEnabled(any);
    m_cmdUpdate->setVisible(!browsing);
    m_cmdCancel->setVisible(!browsing);
    m_cmdFirst->setEnabled(browsing);
    m_cmdPrevious->setEnabled(browsing);
    m_cmdNext->setEnabled(browsing);
    m_cmdLast->setEnabled(browsing);
    lockBoxes(browsing);
    if (hooks.setButtons)
        hooks.setButtons(browsing);
}

void DataForm::focusFirstBox()
{
    // A click or a key in a box that started editing keeps its box.
    if (QWidget *f = QApplication::focusWidget(); f && boxIndexOf(f) >= 0)
        return;
    for (const auto &b : m_boxes) {
        if (b.box->isVisible() && b.box->isEnabled()) {
            b.box->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void DataForm::focusAfterEditing()
{
    // "Запиши" and "Отказ" hide and hand the focus on along the chain, where
    // "Изтрий" follows them: one Space there, then Enter twice, would delete the
    // record just saved. The focus goes where a key adds or changes instead.
    for (QAbstractButton *b : {m_cmdAdd, m_cmdEdit, m_cmdClose}) {
        if (b && b->isVisibleTo(m_screen) && b->isEnabled()) {
            b->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    if (m_screen && m_screen->focusWidget() == m_cmdDelete)
        m_screen->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------
// Errors

QString DataForm::errorCaption(Command cmd)
{
    switch (cmd) {
    case CmdLoad: return QStringLiteral("ГРЕШКА при зареждане!");
    case CmdAdd: return QStringLiteral("ГРЕШКА при добавяне!");
    case CmdEdit: return QStringLiteral("ГРЕШКА при корекция!");
    case CmdUpdate: return QStringLiteral("ГРЕШКА при запис!");
    case CmdCancel: return QStringLiteral("ГРЕШКА при отказ!");
    case CmdDelete: return QStringLiteral("ГРЕШКА при изтриване!");
    case CmdRefresh: return QStringLiteral("ГРЕШКА при обновяване!");
    case CmdMove: return QStringLiteral("ГРЕШКА при преместване!");
    }
    return QString();
}

void DataForm::reportError(Command cmd, const DbError &e)
{
    switch (m_cfg.errors) {
    case Errors::InfoBox:
        promptInform(errorCaption(cmd), e.text());
        break;
    case Errors::InfoBoxDescription:
        promptInform(errorCaption(cmd), e.description());
        break;
    case Errors::MessageBox:
        promptMessage(e.description());
        break;
    case Errors::Own:
        if (hooks.reportError)
            hooks.reportError(cmd, e);
        else
            promptInform(errorCaption(cmd), e.text());
        break;
    }
}

// ---------------------------------------------------------------------------
// Commands

void DataForm::cmdAdd()
{
    try {
        m_hasMark = false;
        if (!m_rs.bof() && !m_rs.eof()) {
            m_mark = m_rs.bookmark();
            m_hasMark = true;
        }
        m_rs.addNew();
        // The flag is set before the boxes are cleared, so the hooks see an add.
        m_addNewFlag = true;
        showRecord();
        m_lblStatus->setText(m_cfg.addText);
        SetButtons(false);
        focusFirstBox();
    } catch (const DbError &e) {
        reportError(CmdAdd, e);
    }
}

void DataForm::cmdEdit()
{
    try {
        if (m_rs.bof() || m_rs.eof())
            throw DbError(ErrNoCurrentRecord, QStringLiteral("Няма текущ запис."));
        m_editMark = m_rs.bookmark();
        m_hasEditMark = true;
        m_lblStatus->setText(m_cfg.editText);
        m_editFlag = true;
        SetButtons(false);
        focusFirstBox();
    } catch (const DbError &e) {
        reportError(CmdEdit, e);
    }
}

QVariant DataForm::trimmedText(const QString &text)
{
    const QString t = text.trimmed();
    return t.isEmpty() ? QVariant() : QVariant(t);
}

QVariant DataForm::parseText(const DataFormBox &b, const QString &text) const
{
    if (b.parse)
        return b.parse(text);
    if (qobject_cast<QCheckBox *>(b.box))
        return QVariant(text == QLatin1String("1"));
    if (text.trimmed().isEmpty())
        return QVariant();
    const QString type = m_rs.declType(b.field);
    if (type == QLatin1String("DOUBLE") || type == QLatin1String("INTEGER")) {
        // No number a record screen holds is beyond an amount of money; a screen
        // with a tighter bound checks its own boxes first.
        const auto n = parseBounded(text, limits::kMoney);
        if (!n) {
            const QString why = overBoundText(text, limits::kMoney);
            throw DbError(3421, why.isEmpty()
                                    ? QStringLiteral("Грешка при преобразуване на данни: „%1“ не е число.")
                                          .arg(text.trimmed())
                                    : QStringLiteral("„%1“: %2").arg(text.trimmed(), why));
        }
        return type == QLatin1String("INTEGER") ? QVariant(qlonglong(Round(*n, 0))) : QVariant(*n);
    }
    if (type == QLatin1String("DATE")) {
        const auto d = parseDate(text);
        if (!d)
            throw DbError(3421, QStringLiteral("Грешка при преобразуване на данни: „%1“ не е дата.")
                                    .arg(text.trimmed()));
        return *d;
    }
    return text;
}

void DataForm::readBoxesIntoRow()
{
    for (const auto &b : m_boxes) {
        if (!m_rs.hasField(b.field))
            continue;
        m_rs.setValue(b.field, parseText(b, boxText(b.box)));
    }
}

void DataForm::dropChange(Command cmd, const DbError &e, bool stillListed)
{
    m_editFlag = m_addNewFlag = false;
    m_hasEditMark = false;
    try {
        if (stillListed && !m_rs.bof() && !m_rs.eof()) {
            // The row, and anything saved with it, as stored now; a row found
            // gone leaves the list.
            const int row = m_rs.currentIndex();
            m_rs.readAgain(row);
            if (!m_rs.rowAsRead(row).isValid()) {
                m_rs.leaveOut(row);
                stillListed = false;
            }
        }
        if (!stillListed && !m_rs.isEmpty()) {
            // Gone: the recordset stands on the gap it left, as after a delete.
            m_rs.moveNext();
            if (m_rs.eof())
                m_rs.moveLast();
        }
    } catch (const DbError &) {
    }
    try {
        SetButtons(true);
        showRecord();
    } catch (const DbError &) {
    }
    if (hooks.afterDroppedChange)
        hooks.afterDroppedChange();
    reportError(cmd, e);
    focusAfterEditing();
}

bool DataForm::cmdUpdate()
{
    if (isBrowsing())
        return false;
    if (hooks.validate && !hooks.validate())
        return false;
    const bool correcting = !m_addNewFlag && !m_rs.bof() && !m_rs.eof();
    const qint64 mark = correcting ? m_rs.bookmark() : 0;
    try {
        m_conn.beginTrans();
        try {
            if (hooks.readBoxes)
                hooks.readBoxes();
            else
                readBoxesIntoRow();
            if (hooks.writeExtra)
                hooks.writeExtra(m_conn);
            // Only the row being added or corrected is written.
            m_rs.update();
            m_conn.commitTrans();
        } catch (...) {
            m_conn.rollbackTrans();
            throw;
        }
        const bool added = m_addNewFlag;
        m_editFlag = m_addNewFlag = false;
        if (added)
            m_rs.moveLast();
        SetButtons(true);
        showRecord();
    } catch (const DbError &e) {
        if (correcting && isRefusedWrite(e)) {
            dropChange(CmdUpdate, e, m_rs.hasBookmark(mark));
            return false;
        }
        // The typed values stay in the boxes and the screen stays in editing.
        reportError(CmdUpdate, e);
        return false;
    }
    if (hooks.afterSave)
        hooks.afterSave();
    focusAfterEditing();
    return true;
}

void DataForm::cmdCancel()
{
    // Every step is tried; a failure of one does not stop the next.
    const bool wasAdding = m_addNewFlag;
    SetButtons(true);
    m_editFlag = m_addNewFlag = false;
    try {
        m_rs.cancelUpdate();
    } catch (const DbError &) {
    }
    try {
        if (!wasAdding && m_hasEditMark && m_rs.hasBookmark(m_editMark))
            m_rs.setBookmark(m_editMark);
        else if (wasAdding && m_hasMark && m_rs.hasBookmark(m_mark))
            m_rs.setBookmark(m_mark);
        else
            m_rs.moveFirst();
    } catch (const DbError &) {
    }
    m_hasEditMark = false;
    try {
        SetButtons(true);
        showRecord();
    } catch (const DbError &) {
    }
    focusAfterEditing();
}

void DataForm::cmdDelete()
{
    if (!isBrowsing())
        return;
    if (hooks.checkDelete && !hooks.checkDelete())
        return;
    if (m_cfg.deletes == Delete::Own && hooks.confirmDelete && !hooks.confirmDelete())
        return;
    if (m_cfg.deletes == Delete::TwoQuestions) {
        if (!promptAsk(QStringLiteral("Изтриване на запис"),
                         QStringLiteral("Наистна ли искате да изтриете записа?")))
            return;
        if (!promptAsk(QStringLiteral("Изтриване на запис"),
                         QStringLiteral("Ще загубите данните окончателно")))
            return;
    }
    const qint64 mark = (!m_rs.bof() && !m_rs.eof()) ? m_rs.bookmark() : 0;
    try {
        if (hooks.deleteExtra) {
            m_conn.beginTrans();
            try {
                hooks.deleteExtra(m_conn);
                m_rs.deleteRecord();
                m_conn.commitTrans();
            } catch (...) {
                m_conn.rollbackTrans();
                throw;
            }
        } else {
            m_rs.deleteRecord();
        }
        if (m_rs.isEmpty()) {
            SetButtons(true);
            showRecord();
            return;
        }
        m_rs.moveNext();
        if (m_rs.eof())
            m_rs.moveLast();
        SetButtons(true);
    } catch (const DbError &e) {
        if (mark != 0 && isRefusedWrite(e)) {
            dropChange(CmdDelete, e, m_rs.hasBookmark(mark));
            return;
        }
        reportError(CmdDelete, e);
    }
}

void DataForm::cmdRefresh()
{
    try {
        m_rs.requery();
        m_hasMark = false;
        SetButtons(true);
        showRecord();
    } catch (const DbError &e) {
        reportError(CmdRefresh, e);
    }
}

void DataForm::cmdClose()
{
    if (m_screen)
        m_screen->close();
}

void DataForm::cmdFirst()
{
    try {
        m_rs.moveFirst();
        if (m_cfg.firstLastBeep)
            promptBeep();
    } catch (const DbError &e) {
        reportError(CmdMove, e);
    }
}

void DataForm::cmdLast()
{
    try {
        m_rs.moveLast();
        if (m_cfg.firstLastBeep)
            promptBeep();
    } catch (const DbError &e) {
        reportError(CmdMove, e);
    }
}

void DataForm::cmdNext()
{
    try {
        if (!m_rs.eof())
            m_rs.moveNext();
        if (m_rs.eof() && m_rs.recordCount() > 0) {
            promptBeep();
            m_rs.moveLast();
        }
    } catch (const DbError &e) {
        reportError(CmdMove, e);
    }
}

void DataForm::cmdPrevious()
{
    try {
        if (!m_rs.bof())
            m_rs.movePrevious();
        if (m_rs.bof() && m_rs.recordCount() > 0) {
            promptBeep();
            m_rs.moveFirst();
        }
    } catch (const DbError &e) {
        reportError(CmdMove, e);
    }
}

// ---------------------------------------------------------------------------
// Keys and clicks

bool DataForm::inScreen(QObject *obj) const
{
    if (!m_screen || !obj->isWidgetType())
        return false;
    auto *w = static_cast<QWidget *>(obj);
    return w == m_screen || m_screen->isAncestorOf(w);
}

int DataForm::boxIndexOf(QObject *obj) const
{
    if (!obj->isWidgetType())
        return -1;
    auto *w = static_cast<QWidget *>(obj);
    for (int i = 0; i < m_boxes.size(); ++i)
        if (m_boxes.at(i).box == w || m_boxes.at(i).box->isAncestorOf(w))
            return i;
    return -1;
}

bool DataForm::handleKey(QObject *obj, QEvent *event)
{
    auto *ke = static_cast<QKeyEvent *>(event);
    const bool browsing = isBrowsing();
    const int box = boxIndexOf(obj);

    if (m_cfg.keyNavigation) {
        if (ke->key() == Qt::Key_Escape) {
            // Esc closes while browsing and does nothing while editing; either way
            // it must not reach the dialog, which would close itself.
            if (browsing && m_cfg.hasClose)
                cmdClose();
            return true;
        }
        if (browsing) {
            const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
            const bool ctrl = mods == Qt::ControlModifier;
            bool nav = true;
            switch (ke->key()) {
            case Qt::Key_End: cmdLast(); break;
            case Qt::Key_Home: cmdFirst(); break;
            case Qt::Key_Up:
            case Qt::Key_PageUp:
                ctrl ? cmdFirst() : cmdPrevious();
                break;
            case Qt::Key_Down:
            case Qt::Key_PageDown:
                ctrl ? cmdLast() : cmdNext();
                break;
            default: nav = false; break;
            }
            if (nav) {
                // A locked box that is not a text box must not act on the key
                // (a pick list would change its item).
                if (box >= 0 && !isTextBox(m_boxes.at(box).box))
                    return true;
                return false;
            }
        }
    }

    if (!browsing || box < 0)
        return false;
    // Browsing, a key in a bound box.
    const bool typing = (!ke->text().isEmpty() && ke->text().at(0).isPrint()
                         && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        || ke->key() == Qt::Key_Backspace || ke->key() == Qt::Key_Delete
        || ke->matches(QKeySequence::Paste) || ke->matches(QKeySequence::Cut);
    if (typing && m_cfg.fieldClick == FieldClick::StartsEditing && m_cmdEdit->isEnabled()) {
        cmdEdit();
        return false; // the box is writable now and takes the key
    }
    // Other boxes than text boxes are locked by swallowing their input.
    if (!isTextBox(m_boxes.at(box).box) && !qobject_cast<QLineEdit *>(obj)) {
        const int k = ke->key();
        if (k != Qt::Key_Tab && k != Qt::Key_Backtab)
            return true;
    }
    return false;
}

bool DataForm::eventFilter(QObject *obj, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Close:
        // Close is offered only while browsing: the window's own close button
        // does not drop a record being added or corrected.
        if (obj == m_screen && m_cfg.hasClose && !isBrowsing()) {
            event->ignore();
            return true;
        }
        return false;
    case QEvent::ShortcutOverride:
    case QEvent::KeyRelease:
        m_keySeen = nullptr;
        return false;
    case QEvent::KeyPress: {
        if (!inScreen(obj) || !m_screen->isEnabled())
            return false;
        // The same event reaching the parents of the widget that saw it first.
        if (m_keySeen == event && m_keySeenAt && obj->isWidgetType()
            && (obj == m_keySeenAt || static_cast<QWidget *>(obj)->isAncestorOf(
                    static_cast<QWidget *>(m_keySeenAt.data()))))
            return m_cfg.keyNavigation && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
        m_keySeen = event;
        m_keySeenAt = obj;
        return handleKey(obj, event);
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const int box = boxIndexOf(obj);
        if (box < 0 || !inScreen(obj))
            return false;
        if (isBrowsing() && m_cfg.fieldClick == FieldClick::StartsEditing && m_cmdEdit->isEnabled()
            && m_cmdEdit->isVisible()) {
            cmdEdit();
            return false;
        }
        if (isBrowsing() && !isTextBox(m_boxes.at(box).box) && !qobject_cast<QLineEdit *>(obj))
            return true;
        return false;
    }
    case QEvent::MouseButtonRelease: {
        const int box = boxIndexOf(obj);
        if (box < 0 || !inScreen(obj))
            return false;
        if (m_cfg.fieldClick == FieldClick::SelectsText) {
            if (auto *le = qobject_cast<QLineEdit *>(m_boxes.at(box).box))
                le->selectAll();
            else if (auto *pe = qobject_cast<QPlainTextEdit *>(m_boxes.at(box).box))
                pe->selectAll();
        }
        if (isBrowsing() && !isTextBox(m_boxes.at(box).box) && !qobject_cast<QLineEdit *>(obj))
            return true;
        return false;
    }
    case QEvent::Wheel: {
        const int box = boxIndexOf(obj);
        if (box >= 0 && inScreen(obj) && isBrowsing() && !isTextBox(m_boxes.at(box).box))
            return true;
        return false;
    }
    default:
        return false;
    }
}

} // namespace kelm
