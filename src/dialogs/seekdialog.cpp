#include "dialogs/seekdialog.h"

#include "common/textchecks.h"
#include "dialogs/diainf.h"
#include "dialogs/messages.h"
#include "dialogs/mousepointer.h"
#include "platform/database.h"
#include "platform/fittexts.h"
#include "platform/numbers.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace kelm {

namespace {
constexpr int tw(int twips) { return twips / 15; }
SeekDialog::Answer s_answer;
}

// ---- rules ----

PeriodFault checkPeriod(const QString &start, const QString &end)
{
    // A text that is no real date is no period either: the readers could not use it.
    const auto s = periodDate(start);
    const auto e = periodDate(end);
    if (!s || !e)
        return PeriodFault::Missing;
    return *e < *s ? PeriodFault::Reversed : PeriodFault::None;
}

std::optional<QDate> periodDate(const QString &text)
{
    // The frame's hint shows month/day/year: typed with slashes, that is what a
    // date means here; with dots it is day.month.year as everywhere else.
    return parseDate(trimSpaces(text), DateInput::AlsoMonthSlashes);
}

QString periodMessage(PeriodFault fault)
{
    switch (fault) {
    case PeriodFault::Missing:
        return joinLines({QStringLiteral("Няма избран период за търсене!"), QStringLiteral("Проверете си датите!")});
    case PeriodFault::Reversed:
        return joinLines({QStringLiteral("Грешно зададен период!"),
                          QStringLiteral("(начална дата е след крайната дата)"),
                          QStringLiteral("Проверете си датите!")});
    case PeriodFault::None:
        break;
    }
    return QString();
}

bool splitDriver(const QString &text, QString *kod, QString *name)
{
    const int comma = int(text.indexOf(QLatin1Char(',')));
    if (comma < 0)
        return false;
    if (kod)
        *kod = trimSpaces(text.left(comma));
    if (name)
        *name = trimSpaces(text.mid(comma + 1));
    return true;
}

// The old program's colour numbers are 0x00BBGGRR.
static QColor fromVbColour(unsigned v)
{
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QColor seekGrey() { return fromVbColour(12632256u); }
QColor seekLightGrey() { return fromVbColour(14737632u); }
QColor seekWhite() { return fromVbColour(16777215u); }

// ---- controls ----

SeekCombo::SeekCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    // Enter in the list's text starts the search; it must not add the text to the list.
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
    // A driver's code and name, a client's name: the box is as wide as its
    // longest entry (the form makes room for it).
    fitListToEntries(this);
    // What is typed is what is searched: no completion, which would turn a
    // typed "0" or a car's first letters into the first entry they begin and
    // search for that. An entry becomes the text only when it is picked.
    setCompleter(nullptr);
}

void SeekCombo::showPopup()
{
    Q_EMIT droppedDown();
    fitListToEntries(this);
    QComboBox::showPopup();
}

// ---- the common dialog ----

void SeekDialog::setTestAnswer(Answer answer)
{
    s_answer = std::move(answer);
}

SeekDialog::SeekDialog(const QString &objectName, QWidget *parent) : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Условия за търсене"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setToolTip(QStringLiteral("Избор на начална и крайна дата ( ММ/ДД/ГГ )"));
    Label1_0 = new QLabel(QStringLiteral("от дата"), Frame1);
    Label1_0->setObjectName(QStringLiteral("Label1_0"));
    Label1_1 = new QLabel(QStringLiteral("до дата"), Frame1);
    Label1_1->setObjectName(QStringLiteral("Label1_1"));
    Text1_0 = new QLineEdit(Frame1);
    Text1_0->setObjectName(QStringLiteral("Text1_0"));
    Text1_1 = new QLineEdit(Frame1);
    Text1_1->setObjectName(QStringLiteral("Text1_1"));
    for (QLineEdit *box : {Text1_0, Text1_1}) {
        QPalette p = box->palette();
        // Blue while the box takes dates; a disabled box keeps the grey text.
        p.setColor(QPalette::Active, QPalette::Text, Qt::blue);
        p.setColor(QPalette::Inactive, QPalette::Text, Qt::blue);
        box->setPalette(p);
        watchText(box);
    }

    OKButton = new QPushButton(QStringLiteral("Търси"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setToolTip(QStringLiteral("Стартира търсенето"));
    CancelButton = new QPushButton(QStringLiteral("Отказ"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setToolTip(QStringLiteral("Затваря прозореца"));
    for (QPushButton *b : {OKButton, CancelButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(OKButton, &QPushButton::clicked, this, [this] { search(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

void SeekDialog::placePeriod(int x, int y, int w, int h)
{
    Frame1->setGeometry(x, y, w, h);
    const int boxW = (w - tw(540)) / 2;
    Label1_0->setGeometry(tw(180), tw(240), boxW, tw(255));
    Text1_0->setGeometry(tw(180), tw(510), boxW, tw(330));
    Label1_1->setGeometry(tw(360) + boxW, tw(240), boxW, tw(255));
    Text1_1->setGeometry(tw(360) + boxW, tw(510), boxW, tw(330));
}

void SeekDialog::resetDates(const QColor &rest)
{
    for (QLineEdit *box : {Text1_0, Text1_1}) {
        box->clear();
        box->setEnabled(true);
        paint(box, rest);
    }
}

// The right edge of the rightmost control of the form.
static int controlsRight(const QWidget *form)
{
    int right = 0;
    for (const QWidget *c : form->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (!c->isWindow())
            right = std::max(right, c->geometry().right() + 1);
    return right;
}

void SeekDialog::restoreDesign()
{
    if (!m_designSize.isValid()) {
        // The controls of the form and of its frames, which fitting moves.
        for (QWidget *w : findChildren<QWidget *>())
            if (!w->isWindow() && (w->parentWidget() == this || qobject_cast<QGroupBox *>(w->parentWidget())))
                m_designPlaces.insert(w, {w->geometry(), w->minimumSize()});
        m_designSize = size();
        m_designMargin = std::max(0, m_designSize.width() - controlsRight(this));
        return;
    }
    // The least sizes first: a list dropped down asks for the width of its
    // longest entry, which would otherwise hold it at that width in the design's
    // frame, so that the fitting after the load would find nothing to widen.
    for (auto it = m_designPlaces.cbegin(); it != m_designPlaces.cend(); ++it) {
        it.key()->setMinimumSize(it.value().least);
        it.key()->setGeometry(it.value().place);
    }
    setFixedSize(m_designSize);
}

void SeekDialog::fitCaption()
{
    if (!m_designSize.isValid())
        return; // not laid out yet
    setFixedSize(std::max(controlsRight(this) + m_designMargin, titleBarWidth(this)), height());
}

void SeekDialog::changeEvent(QEvent *e)
{
    QDialog::changeEvent(e);
    // Each command gives the dialog its own caption: the title must show whole.
    if (e->type() == QEvent::WindowTitleChange && !m_loading)
        fitCaption();
}

void SeekDialog::prepare()
{
    NormalPointerOnExit normal;
    lYes = false;
    setWaitPointer();
    m_loading = true;
    restoreDesign();
    setWindowTitle(QStringLiteral("Условия за търсене"));
    OKButton->setDefault(false);
    CancelButton->setDefault(false);
    resetDesign();
    try {
        loadMode();
    } catch (...) {
        m_loading = false;
        throw;
    }
    m_loading = false;
    m_prepared = true;
    // The mode's captions are set: each gets the room its text needs.
    fitTexts(this);
    fitCaption();
    for (QWidget *w : focusOrder()) {
        if (w->isEnabled() && !w->isHidden()) {
            w->setFocus();
            break;
        }
    }
}

bool SeekDialog::run(const QString &caption)
{
    prepare();
    setWindowTitle(caption);
    if (s_answer) {
        s_answer(*this);
        if (isVisible())
            done(QDialog::Rejected);
    } else {
        exec();
    }
    return lYes;
}

void SeekDialog::showEvent(QShowEvent *e)
{
    // Shown without a load first (by a caller that only sets the caption): load now,
    // keeping the caller's caption.
    if (!m_prepared) {
        const QString caption = windowTitle();
        try {
            prepare();
        } catch (const DbError &err) {
            // No exception may leave an event handler: report it and close again.
            DiaInf::show(QStringLiteral("ГРЕШКА!"), err.text());
            QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
        }
        setWindowTitle(caption);
    }
    QDialog::showEvent(e);
}

void SeekDialog::done(int r)
{
    m_prepared = false;
    QDialog::done(r);
}

bool SeekDialog::periodAccepted(const QString &start, const QString &end)
{
    const PeriodFault fault = checkPeriod(start, end);
    if (fault == PeriodFault::None)
        return true;
    DiaInf::show(periodMessage(fault));
    return false;
}

void SeekDialog::confirm()
{
    lYes = true;
    done(QDialog::Accepted);
}

void SeekDialog::cancel()
{
    DiaInf::show(QStringLiteral("Няма избрани ограничения за търсене!"));
    lYes = false;
    done(QDialog::Rejected);
}

void SeekDialog::paint(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::Base, c);
    // A box the mode disables looks disabled whatever its colour: grey text on
    // the window's background, so that nobody types into it.
    p.setColor(QPalette::Disabled, QPalette::Base, w->window()->palette().color(QPalette::Window));
    p.setColor(QPalette::Disabled, QPalette::Text, QApplication::palette().color(QPalette::Disabled, QPalette::Text));
    w->setPalette(p);
    if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo->lineEdit())
        combo->lineEdit()->setPalette(p);
}

void SeekDialog::makeSearchDefault()
{
    if (!m_loading)
        OKButton->setDefault(true);
}

void SeekDialog::watchList(SeekCombo *list)
{
    connect(list, &SeekCombo::droppedDown, this, [this, list] {
        if (!m_loading)
            paint(list, seekWhite());
    });
    connect(list, qOverload<int>(&QComboBox::activated), this, [this] { makeSearchDefault(); });
    list->installEventFilter(this);
    if (list->lineEdit())
        list->lineEdit()->installEventFilter(this);
}

void SeekDialog::watchText(QLineEdit *box)
{
    connect(box, &QLineEdit::textChanged, this, [this, box] { textInUse(box); });
    box->installEventFilter(this);
}

void SeekDialog::textInUse(QLineEdit *box)
{
    if (m_loading || !box->isEnabled())
        return;
    // A change or a click in either date box marks both as in use.
    if (box == Text1_0 || box == Text1_1) {
        paint(Text1_0, seekWhite());
        paint(Text1_1, seekWhite());
    } else {
        paint(box, seekWhite());
    }
    makeSearchDefault();
}

bool SeekDialog::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::FocusIn) {
        QWidget *w = qobject_cast<QWidget *>(watched);
        if (auto *le = qobject_cast<QLineEdit *>(w); le && qobject_cast<SeekCombo *>(le->parentWidget()))
            w = le->parentWidget();
        if (auto *list = qobject_cast<SeekCombo *>(w); list && list->isEnabled() && !m_loading)
            paint(list, seekWhite());
    } else if (e->type() == QEvent::MouseButtonPress) {
        if (auto *box = qobject_cast<QLineEdit *>(watched); box && !qobject_cast<SeekCombo *>(box->parentWidget()))
            textInUse(box);
    }
    return QDialog::eventFilter(watched, e);
}

} // namespace kelm
