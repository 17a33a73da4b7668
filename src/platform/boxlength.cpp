#include "platform/boxlength.h"

#include "platform/prompts.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>
#include <QValidator>

#include <algorithm>

namespace kelm {

namespace {

// The length a box's field holds, kept as the box's validator: a change of the
// user's that would make the text longer is refused whole, so the box keeps
// what it held. A box's own length limit would cut a longer insertion to fit
// instead, and a pasted "2026/001245" would become "2026/00124", a number nobody
// chose. Typing one more character into a full box just stops, as it always
// has; a longer insertion (pasted, dropped, put in by the middle button or an
// input method) is told with a message once the event is over.
//
// The validator watches the box's events (and those of its list, which hands
// keys and its context menu straight to the box) to tell typing from pasting:
// a key with text is typing, unless it is the paste shortcut.
class FieldLength : public QValidator {
public:
    FieldLength(QLineEdit *box, int length) : QValidator(box), m_box(box), m_length(length)
    {
        box->installEventFilter(this);
    }

    void setLength(int length) { m_length = length; }
    void watch(QObject *o) { o->installEventFilter(this); }

    State validate(QString &input, int &) const override
    {
        // A text the program put into the box (no change of the user's to undo
        // yet) is taken whole, however long: the save's check names it then. The
        // user may edit it within that length.
        if (!m_box->isUndoAvailable()) {
            m_whole = int(input.size());
            return Acceptable;
        }
        const int room = std::max(m_length, m_whole);
        if (input.size() <= room)
            return Acceptable;
        if (!m_typing)
            tell(room, int(input.size()));
        return Invalid;
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress: {
            const auto *key = static_cast<QKeyEvent *>(e);
            m_typing = !key->text().isEmpty() && !key->matches(QKeySequence::Paste);
            break;
        }
        case QEvent::InputMethod:
            m_typing = static_cast<QInputMethodEvent *>(e)->commitString().size() <= 1;
            break;
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::Drop:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            m_typing = false;
            break;
        default:
            break;
        }
        return false;
    }

private:
    void tell(int room, int wanted) const
    {
        if (m_telling)
            return;
        m_telling = true;
        QPointer<FieldLength> self(const_cast<FieldLength *>(this));
        afterMessages(m_box, [self, room, wanted] {
            if (!self)
                return;
            self->m_telling = false;
            promptInform(QStringLiteral("ВНИМАНИЕ!"),
                         QStringLiteral("Текстът не се побира в полето и не е поставен!\r"
                                        "Полето побира до %1 символа, а с него биха станали %2.")
                             .arg(room)
                             .arg(wanted));
        });
    }

    QLineEdit *m_box;
    int m_length;
    mutable int m_whole = 0;
    mutable bool m_telling = false;
    bool m_typing = false;
};

FieldLength *fieldLength(QLineEdit *box, int length)
{
    auto *v = dynamic_cast<FieldLength *>(const_cast<QValidator *>(box->validator()));
    if (v) {
        v->setLength(length);
        return v;
    }
    v = new FieldLength(box, length);
    box->setValidator(v);
    return v;
}

} // namespace

void limitTyping(QLineEdit *box, int length)
{
    fieldLength(box, length);
}

void limitTyping(QComboBox *box, int length)
{
    if (QLineEdit *edit = box->lineEdit())
        fieldLength(edit, length)->watch(box);
}

void setWholeText(QLineEdit *box, const QString &text)
{
    box->setText(text);
}

void setWholeText(QComboBox *box, const QString &text)
{
    if (QLineEdit *edit = box->lineEdit())
        setWholeText(edit, text);
    else
        box->setEditText(text);
}

} // namespace kelm
