#include "platform/grid.h"

#include "platform/database.h"
#include "platform/prompts.h"
#include "platform/textwidths.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTimer>

#include <algorithm>

namespace kelm {

namespace {

constexpr int tw(int twips) { return twips / 15; }

// The lines a text runs on over in a cell with room for width pixels: broken at
// blanks, and inside a word only when the word alone is wider than the cell.
QString wrappedText(const QString &text, const QFont &font, int width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        QString part = text.mid(line.textStart(), line.textLength());
        while (part.endsWith(QLatin1Char(' ')))
            part.chop(1);
        lines << part;
    }
    layout.endLayout();
    return lines.join(QLatin1Char('\n'));
}

struct Flag {
    bool &f;
    bool old;
    explicit Flag(bool &flag) : f(flag), old(flag) { f = true; }
    ~Flag() { f = old; }
};

bool isMoveKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

// A key that edits the text of an open cell as in any text box: it moves the
// caret, selects (with Shift) or deletes. Ctrl moves or deletes by words.
bool isTextEditingKey(const QKeyEvent *e)
{
    if (e->modifiers() & ~(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier))
        return false;
    switch (e->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Key codes

int vbShift(Qt::KeyboardModifiers mods)
{
    int s = 0;
    if (mods & Qt::ShiftModifier)
        s |= 1;
    if (mods & Qt::ControlModifier)
        s |= 2;
    if (mods & Qt::AltModifier)
        s |= 4;
    return s;
}

int vbKeyCode(const QKeyEvent *e)
{
    const int k = e->key();
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    switch (k) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    case Qt::Key_Asterisk: return keypad ? 106 : 56;
    case Qt::Key_Plus: return keypad ? 107 : 187;
    case Qt::Key_Minus: return keypad ? 109 : 189;
    case Qt::Key_Period: return keypad ? 110 : 190;
    case Qt::Key_Slash: return keypad ? 111 : 191;
    case Qt::Key_Semicolon: return 186;
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: return 188;
    case Qt::Key_QuoteLeft: return 192;
    case Qt::Key_BracketLeft: return 219;
    case Qt::Key_Backslash: return 220;
    case Qt::Key_BracketRight: return 221;
    case Qt::Key_Apostrophe: return 222;
    default:
        break;
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return 112 + (k - Qt::Key_F1);
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return (keypad ? 96 : 48) + (k - Qt::Key_0);
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return 65 + (k - Qt::Key_A);
    // A key known only by its text (sent by code, or an odd layout).
    const QString t = e->text();
    if (t.size() == 1) {
        const QChar ch = t.at(0);
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))
            return 48 + (ch.unicode() - '0');
        const QChar up = ch.toUpper();
        if (up >= QLatin1Char('A') && up <= QLatin1Char('Z'))
            return up.unicode();
        if (ch == QLatin1Char(' '))
            return 32;
        if (ch == QLatin1Char(','))
            return 188;
        if (ch == QLatin1Char('.'))
            return 190;
        if (ch == QLatin1Char('-'))
            return 189;
    }
    return 0;
}

Qt::Key qtKeyOf(int code)
{
    switch (code) {
    case 8: return Qt::Key_Backspace;
    case 9: return Qt::Key_Tab;
    case 13: return Qt::Key_Return;
    case 27: return Qt::Key_Escape;
    case 32: return Qt::Key_Space;
    case 33: return Qt::Key_PageUp;
    case 34: return Qt::Key_PageDown;
    case 35: return Qt::Key_End;
    case 36: return Qt::Key_Home;
    case 37: return Qt::Key_Left;
    case 38: return Qt::Key_Up;
    case 39: return Qt::Key_Right;
    case 40: return Qt::Key_Down;
    case 45: return Qt::Key_Insert;
    case 46: return Qt::Key_Delete;
    case 188: return Qt::Key_Comma;
    case 189: return Qt::Key_Minus;
    case 190: return Qt::Key_Period;
    default:
        break;
    }
    if (code >= 112 && code <= 135)
        return Qt::Key(Qt::Key_F1 + (code - 112));
    if (code >= 48 && code <= 57)
        return Qt::Key(Qt::Key_0 + (code - 48));
    if (code >= 96 && code <= 105)
        return Qt::Key(Qt::Key_0 + (code - 96));
    if (code >= 65 && code <= 90)
        return Qt::Key(Qt::Key_A + (code - 65));
    return Qt::Key_unknown;
}

// ---------------------------------------------------------------------------
// Header with an optional caption bar above the column titles

class GridHeader : public QHeaderView {
public:
    explicit GridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}

    void setCaption(const QString &text)
    {
        m_caption = text;
        updateGeometry();
        if (auto *view = qobject_cast<QTableView *>(parentWidget()))
            QMetaObject::invokeMethod(view, "updateGeometries");
        viewport()->update();
    }
    QString caption() const { return m_caption; }
    int band() const { return m_caption.isEmpty() ? 0 : fontMetrics().height() + 8; }

    QSize sizeHint() const override
    {
        QSize s = QHeaderView::sizeHint();
        s.setHeight(s.height() + band());
        return s;
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        QHeaderView::paintSection(painter, rect.adjusted(0, band(), 0, 0), logicalIndex);
    }

    void paintEvent(QPaintEvent *e) override
    {
        QHeaderView::paintEvent(e);
        if (m_caption.isEmpty())
            return;
        QPainter p(viewport());
        const QRect r(0, 0, viewport()->width(), band());
        p.fillRect(r, QColor(0, 0, 128));
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(r.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter, m_caption);
    }

    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->position().y() >= band())
            QHeaderView::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (e->position().y() >= band() || e->buttons())
            QHeaderView::mouseMoveEvent(e);
    }
    void mouseDoubleClickEvent(QMouseEvent *e) override
    {
        if (e->position().y() >= band())
            QHeaderView::mouseDoubleClickEvent(e);
    }

private:
    QString m_caption;
};

// ---------------------------------------------------------------------------
// Cell drawing and editing

class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(Grid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        auto *e = new QLineEdit(parent);
        e->setFrame(false);
        e->setFont(option.font);
        e->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()));
        e->setObjectName(QStringLiteral("GridEditor"));
        m_grid->m_editor = e;
        m_grid->m_editIndex = index;
        return e;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *le = qobject_cast<QLineEdit *>(editor))
            le->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        if (auto *le = qobject_cast<QLineEdit *>(editor))
            model->setData(index, le->text(), Qt::EditRole);
    }

    void destroyEditor(QWidget *editor, const QModelIndex &index) const override
    {
        if (m_grid->m_editor == editor) {
            m_grid->m_editor = nullptr;
            m_grid->m_editIndex = QPersistentModelIndex();
        }
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        const QWidget *w = o.widget;
        QStyle *style = w ? w->style() : QApplication::style();
        // While editing is on, the cell that would take the typing shows its
        // own colours in a frame, so the user sees where the typing goes.
        const bool editCell = m_grid->allowEdit() && index == m_grid->currentIndex();
        if (editCell)
            o.state &= ~QStyle::State_Selected;
        o.state &= ~QStyle::State_HasFocus;
        const QVariant v = index.data(GridModel::ValueRole);
        const bool tick = v.typeId() == QMetaType::Bool;
        if (tick)
            o.text.clear();
        // A text too long for a column that wraps is drawn over the lines its
        // row was made tall enough for.
        QString wrapped;
        const int room = m_grid->textRoom(index.column());
        if (!tick && m_grid->m_model->column(index.column()).wrap
            && QFontMetrics(o.font).horizontalAdvance(o.text) > room) {
            wrapped = o.text;
            o.text.clear();
        }
        style->drawControl(QStyle::CE_ItemViewItem, &o, painter, w);
        if (!wrapped.isEmpty()) {
            QPalette::ColorGroup group = (o.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
            if (group == QPalette::Normal && !(o.state & QStyle::State_Active))
                group = QPalette::Inactive;
            const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w) + 1;
            painter->save();
            painter->setFont(o.font);
            painter->setPen(o.palette.color(
                group, (o.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(QRect(o.rect.left() + margin, o.rect.top(), room, o.rect.height()),
                              int(o.displayAlignment), wrappedText(wrapped, o.font, room));
            painter->restore();
        }
        if (tick) {
            QStyleOptionButton cb;
            const int side = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w);
            cb.rect = QRect(o.rect.center().x() - side / 2, o.rect.center().y() - side / 2, side, side);
            cb.state = QStyle::State_Enabled | (v.toBool() ? QStyle::State_On : QStyle::State_Off);
            style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &cb, painter, w);
        }
        if (editCell) {
            painter->save();
            painter->setPen(QPen(Qt::black, 2));
            painter->drawRect(o.rect.adjusted(1, 1, -1, -1));
            painter->restore();
        }
    }

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        auto *editor = qobject_cast<QWidget *>(obj);
        if (editor && ev->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(ev);
            if (key == m_grid->m_keyInEditor)
                return false; // handed over below: the editor's own turn
            if (m_grid->editorKey(editor, key))
                return true;
            if (QStyledItemDelegate::eventFilter(obj, ev))
                return true; // Tab, Backtab, Esc
            m_grid->keyToEditor(editor, key);
            return true;
        } else if (editor && ev->type() == QEvent::FocusOut) {
            if (m_grid->editorFocusOut(editor, static_cast<QFocusEvent *>(ev)))
                return true;
        }
        return QStyledItemDelegate::eventFilter(obj, ev);
    }

private:
    Grid *m_grid;
};

// ---------------------------------------------------------------------------
// Column handles

GridColumnDef *GridColumn::def() const
{
    if (!m_grid || m_index < 1 || m_index > m_grid->m_model->columns())
        return nullptr;
    return &m_grid->m_model->column(m_index - 1);
}

bool GridColumn::isValid() const { return def() != nullptr; }

void GridColumn::changed()
{
    if (def())
        m_grid->m_model->columnChanged(m_index - 1);
}

QString GridColumn::field() const { return def() ? def()->field : QString(); }

#define KELM_COLUMN_SETTER(setter, member, type)  \
    GridColumn &GridColumn::setter(type v)        \
    {                                             \
        if (auto *s = def()) {                   \
            s->member = v;                        \
            changed();                            \
        }                                         \
        return *this;                             \
    }

KELM_COLUMN_SETTER(setCaption, caption, const QString &)
KELM_COLUMN_SETTER(setWidth, width, int)
KELM_COLUMN_SETTER(setFormat, format, const QString &)
KELM_COLUMN_SETTER(setTextAlignment, textAlignment, int)
KELM_COLUMN_SETTER(setHeaderAlignment, headerAlignment, int)
KELM_COLUMN_SETTER(setEditable, editable, bool)
KELM_COLUMN_SETTER(setVisible, visible, bool)
KELM_COLUMN_SETTER(setWrap, wrap, bool)
KELM_COLUMN_SETTER(setCellStyle, cellStyle, const QString &)
#undef KELM_COLUMN_SETTER

GridColumn &GridColumn::setValidator(std::function<QString(const QString &)> check)
{
    if (!check)
        return setRowValidator(nullptr);
    return setRowValidator([check = std::move(check)](int, const QString &typed) { return check(typed); });
}

GridColumn &GridColumn::setRowValidator(std::function<QString(int row, const QString &)> check)
{
    if (auto *s = def())
        s->validate = std::move(check);
    return *this;
}

QString GridColumn::caption() const { return def() ? def()->caption : QString(); }
int GridColumn::width() const { return def() ? def()->width : 0; }
QString GridColumn::format() const { return def() ? def()->format : QString(); }
int GridColumn::textAlignment() const { return def() ? def()->textAlignment : 0; }
int GridColumn::headerAlignment() const { return def() ? def()->headerAlignment : 0; }
bool GridColumn::editable() const { return def() ? def()->editable : false; }
bool GridColumn::visible() const { return def() ? def()->visible : false; }
bool GridColumn::wraps() const { return def() ? def()->wrap : false; }
QString GridColumn::cellStyle() const { return def() ? def()->cellStyle : QString(); }

// ---------------------------------------------------------------------------
// The grid

Grid::Grid(QWidget *parent)
    : QTableView(parent),
      m_model(new GridModel(this)),
      m_proxy(new GridSortProxy(this)),
      m_delegate(new GridDelegate(this)),
      m_header(new GridHeader(this)),
      m_leaveCheck(std::make_unique<LeaveCheck>(this))
{
    m_proxy->setSourceModel(m_model);
    setHorizontalHeader(m_header);
    setModel(m_proxy);
    setItemDelegate(m_delegate);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setSortingEnabled(false);
    verticalHeader()->hide();
    m_header->setHighlightSections(false);
    m_header->setSectionsClickable(false);
    m_header->setSectionsMovable(false);
    m_header->setStretchLastSection(false);

    // The look shared by every list: bold texts, blue headings, two row colours.
    QFont f = font();
    f.setBold(true);
    setFont(f);
    m_header->setFont(f);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setRowColors(QColor(255, 255, 128), QColor(128, 255, 255));
    setHeaderColor(QColor(0, 0, 255));

    connect(m_model, &GridModel::columnLayoutChanged, this, &Grid::applyColumn);
    connect(m_model, &GridModel::columnsChanged, this, &Grid::applyAllColumns);
    connect(this, &QAbstractItemView::activated, this, [this](const QModelIndex &i) {
        if (state() != EditingState && i.isValid())
            Q_EMIT rowPicked(m_proxy->mapToSource(i).row());
    });
}

Grid::~Grid()
{
    if (m_rs)
        disconnect(m_rs, nullptr, this, nullptr);
}

// --- rows ----------------------------------------------------------------

void Grid::setBoundRecordset(Recordset *rs, const QStringList &fields)
{
    if (m_rs && m_rs != rs)
        disconnect(m_rs, nullptr, this, nullptr);
    m_rs = rs;
    // The grid shows and sorts every row: they are read once and kept.
    if (rs && rs->isOpen())
        rs->holdAllRows();
    m_model->setRecordset(rs, fields);
    if (rs)
        connect(rs, &Recordset::moveComplete, this, &Grid::followRecordset, Qt::UniqueConnection);
    afterBind();
}

Recordset *Grid::boundRecordset() const { return m_rs.data(); }

void Grid::setRows(const QStringList &fields, const QVector<QVariantList> &rows)
{
    if (m_rs)
        disconnect(m_rs, nullptr, this, nullptr);
    m_rs = nullptr;
    m_model->setRows(fields, rows);
    afterBind();
}

void Grid::setRows(const QStringList &fields, const QVector<QVariantMap> &rows)
{
    if (m_rs)
        disconnect(m_rs, nullptr, this, nullptr);
    m_rs = nullptr;
    m_model->setRows(fields, rows);
    afterBind();
}

QVector<QVariantList> Grid::rows() const { return m_model->rows(); }

void Grid::unbind()
{
    if (m_rs)
        disconnect(m_rs, nullptr, this, nullptr);
    m_rs = nullptr;
    m_model->clearData();
    afterBind();
}

int Grid::rowCount() const { return m_model->rowCount(); }

void Grid::afterBind()
{
    m_proxy->resort();
    applyAllColumns();
    m_lastRow = -1;
    if (m_proxy->rowCount() > 0) {
        goToVisual(0);
        scrollToTop();
    } else {
        Q_EMIT currentRowChanged(-1);
    }
}

void Grid::Rebind()
{
    if (isEditing())
        finishEdit(false);
    m_model->reload();
    afterBind();
}

void Grid::RefreshRows()
{
    // The view asks the rows it draws for their values and styles again; only
    // the shown rows are drawn, so a list of many thousand rows redraws as fast
    // as a short one (no change notice walks every row). Code changes the
    // current row: only its texts can ask for wider columns.
    m_model->forgetRowStyles();
    fitRowTexts(currentRow());
    viewport()->update();
}

void Grid::SetFocus()
{
    setFocus(Qt::OtherFocusReason);
}

// --- columns ---------------------------------------------------------------

int Grid::columnCount() const { return m_model->columns(); }

GridColumn Grid::Columns(int i) { return GridColumn(this, i); }

void Grid::applyColumn(int c)
{
    if (c < 0 || c >= m_model->columns())
        return;
    const GridColumnDef &s = m_model->column(c);
    setColumnHidden(c, !s.visible);
    // A column is as wide as its design says, or wider when its caption or its
    // widest text needs more: a value is never cut; the grid scrolls sideways.
    int width = s.width > 0 ? tw(s.width) : m_header->defaultSectionSize();
    if (s.visible) {
        width = std::max(width, m_header->sectionSizeHint(c));
        auto known = m_textWidths.constFind(c);
        if (known != m_textWidths.constEnd() && known->first == s.format)
            width = s.wrap ? wrapColumnWidth(c) : std::max(width, cellWidthFor(known->second));
        else
            fitSoon();
    }
    setColumnWidth(c, width);
    // A column that wraps takes the room the others leave it.
    if (hasWrapColumns())
        fitWrapSoon();
}

bool Grid::hasWrapColumns() const
{
    for (int c = 0; c < m_model->columns(); ++c)
        if (m_model->column(c).wrap && m_model->column(c).visible)
            return true;
    return false;
}

int Grid::textRoom(int c) const
{
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return columnWidth(c) - 2 * margin - (showGrid() ? 1 : 0) - 1;
}

int Grid::wrapColumnWidth(int c)
{
    const GridColumnDef &s = m_model->column(c);
    const int least = std::max(s.width > 0 ? tw(s.width) : m_header->defaultSectionSize(),
                               m_header->sectionSizeHint(c));
    int others = 0;
    for (int o = 0; o < m_model->columns(); ++o)
        if (o != c && !isColumnHidden(o))
            others += columnWidth(o);
    const int room = viewport()->width() - others;
    return std::max(least, std::min(cellWidthFor(textWidthOf(c)), room));
}

void Grid::fitWrapSoon()
{
    // After the other columns have their widths, and again whenever the view
    // changes its size.
    if (m_wrapPending)
        return;
    m_wrapPending = true;
    QTimer::singleShot(0, this, [this] { fitWrapped(); });
}

void Grid::fitWrapped()
{
    m_wrapPending = false;
    const int rows = m_model->rowCount();
    const int plain = verticalHeader()->defaultSectionSize();
    const int padding = plain - fontMetrics().height();
    QVector<int> heights(rows, plain); // by place in the view
    const QFontMetrics fm(font());
    for (int c = 0; c < m_model->columns(); ++c) {
        const GridColumnDef &s = m_model->column(c);
        if (!s.wrap || !s.visible)
            continue;
        const int width = wrapColumnWidth(c);
        if (columnWidth(c) != width)
            setColumnWidth(c, width);
        const int room = textRoom(c);
        for (int r = 0; r < rows; ++r) {
            const QString t = m_model->text(r, c);
            if (t.size() * fm.maxWidth() <= room || fm.horizontalAdvance(t) <= room)
                continue;
            const QModelIndex i = m_proxy->mapFromSource(m_model->index(r, c));
            QFont f = font();
            if (const QVariant fv = i.data(Qt::FontRole); fv.isValid())
                f = fv.value<QFont>().resolve(font());
            const int h =
                QFontMetrics(f).boundingRect(QRect(0, 0, room, 1 << 20), 0, wrappedText(t, f, room)).height() + padding;
            heights[i.row()] = std::max(heights[i.row()], h);
        }
    }
    for (int v = 0; v < rows; ++v)
        if (rowHeight(v) != heights.at(v))
            setRowHeight(v, heights.at(v));
}

bool Grid::viewportEvent(QEvent *e)
{
    if (e->type() == QEvent::Resize && hasWrapColumns())
        fitWrapSoon();
    return QTableView::viewportEvent(e);
}

void Grid::fitSoon()
{
    // A screen sets its columns one setting at a time right after binding the
    // rows: the texts are measured once, when it is done, before anything is drawn.
    if (m_fitPending)
        return;
    m_fitPending = true;
    QTimer::singleShot(0, this, [this] {
        m_fitPending = false;
        for (int c = 0; c < m_model->columns(); ++c)
            if (m_model->column(c).visible) {
                textWidthOf(c);
                applyColumn(c);
            }
    });
}

void Grid::applyAllColumns()
{
    m_textWidths.clear();
    for (int c = 0; c < m_model->columns(); ++c)
        applyColumn(c);
}

int Grid::cellWidthFor(int textWidth) const
{
    // The cell draws its text inside the style's margins, left of the grid line.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return textWidth + 2 * margin + (showGrid() ? 1 : 0) + 1;
}

int Grid::textWidthOf(int c)
{
    // Measured once per load and column format; every row counts, not only the
    // ones in view.
    const QString &format = m_model->column(c).format;
    auto known = m_textWidths.constFind(c);
    if (known != m_textWidths.constEnd() && known->first == format)
        return known->second;
    TextWidths &widths = TextWidths::of(font());
    WidestText widest;
    const int n = m_model->rowCount();
    for (int r = 0; r < n; ++r) {
        const QString t = m_model->text(r, c);
        widest.add(t, widths.estimate(t));
    }
    const int w = qRound(widest.measured(widths));
    m_textWidths.insert(c, {format, w});
    return w;
}

void Grid::fitRowTexts(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const TextWidths &widths = TextWidths::of(font());
    for (int c = 0; c < m_model->columns(); ++c) {
        auto known = m_textWidths.find(c);
        if (known == m_textWidths.end())
            continue; // measured whole when next applied
        const int w = qRound(widths.measure(m_model->text(row, c)));
        if (w > known->second) {
            known->second = w;
            applyColumn(c);
        }
    }
    // A changed text may need more lines, or fewer.
    if (hasWrapColumns())
        fitWrapSoon();
}

// --- styles, events, settings ------------------------------------------------

GridStyle &Grid::addFormatStyle(const QString &name) { return m_model->addStyle(name); }
GridStyle *Grid::formatStyle(const QString &name) { return m_model->style(name); }

void Grid::setFormatRow(std::function<void(GridRowBuffer &)> fn) { m_model->setFormatRow(std::move(fn)); }

void Grid::setKeyDown(std::function<void(int &, int)> fn) { m_keyDown = std::move(fn); }

void Grid::setAllowEdit(bool on)
{
    if (!on && isEditing())
        finishEdit(false);
    m_model->setAllowEdit(on);
    viewport()->update();
}

bool Grid::allowEdit() const { return m_model->allowEdit(); }
void Grid::setAllowDelete(bool on) { m_allowDelete = on; }
bool Grid::allowDelete() const { return m_allowDelete; }

void Grid::setSortColumns(const QList<int> &cols)
{
    const int keep = currentRow();
    m_proxy->setSortColumns(cols);
    if (keep >= 0)
        setCurrentRow(keep);
    // The tall rows are where their texts are now.
    if (hasWrapColumns())
        fitWrapSoon();
}

QList<int> Grid::sortColumns() const { return m_proxy->sortColumns(); }

void Grid::setCaption(const QString &text) { m_header->setCaption(text); }
QString Grid::caption() const { return m_header->caption(); }

void Grid::setRowColors(const QColor &first, const QColor &second) { m_proxy->setRowColors(first, second); }
void Grid::setHeaderColor(const QColor &c) { m_model->setHeaderColor(c); }

// --- rows and positions -------------------------------------------------------

int Grid::currentRow() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? m_proxy->mapToSource(i).row() : -1;
}

void Grid::setCurrentRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int col = std::max(0, currentIndex().column());
    setCurrentIndex(m_proxy->mapFromSource(m_model->index(row, col)));
}

int Grid::visualRow(int row) const
{
    if (row < 0 || row >= m_model->rowCount())
        return -1;
    return m_proxy->mapFromSource(m_model->index(row, 0)).row();
}

int Grid::rowAtVisual(int visual) const
{
    if (visual < 0 || visual >= m_proxy->rowCount())
        return -1;
    return m_proxy->mapToSource(m_proxy->index(visual, 0)).row();
}

QVariant Grid::value(int row, int col) const { return m_model->value(row, col - 1); }
QString Grid::text(int row, int col) const
{
    return (col >= 1 && col <= m_model->columns()) ? m_model->text(row, col - 1) : QString();
}
QString Grid::rowStyle(int row) const { return m_model->rowStyleName(row); }

void Grid::goToVisual(int visual)
{
    const int n = m_proxy->rowCount();
    if (n == 0)
        return;
    visual = std::clamp(visual, 0, n - 1);
    int col = currentIndex().isValid() ? currentIndex().column() : 0;
    while (col < m_model->columns() - 1 && isColumnHidden(col))
        ++col;
    const QModelIndex target = m_proxy->index(visual, std::min(col, m_proxy->columnCount() - 1));
    if (target == currentIndex()) {
        // Already there (rows were rebound under it): bring the recordset along.
        rowChanged(target, QModelIndex());
        selectionModel()->select(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
    }
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void Grid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing)
        return;
    if (current.isValid() && previous.isValid() && current.row() == previous.row())
        return; // another cell of the same row
    rowChanged(current, previous);
}

void Grid::rowChanged(const QModelIndex &current, const QModelIndex &previous)
{
    int row = current.isValid() ? m_proxy->mapToSource(current).row() : -1;
    // The row left may leave the list below.
    const QPersistentModelIndex left(previous);
    if (m_rs && m_rs->isOpen()) {
        const int writing = m_rs->currentIndex();
        try {
            // The row being left is stored first; a refused write keeps the
            // grid on it with the typed values.
            try {
                m_rs->update();
            } catch (const DbError &e) {
                if (!isRefusedWrite(e))
                    throw;
                // Another user changed or deleted the row being left: its change
                // is dropped, and the grid goes on to the row chosen.
                refusedWrite(writing, e);
                row = currentIndex().isValid() ? m_proxy->mapToSource(currentIndex()).row() : -1;
            }
            if (row >= 0 && m_rs->currentIndex() != row) {
                Flag f(m_syncing);
                m_rs->setAbsolutePosition(row + 1);
            }
        } catch (const DbError &e) {
            report(QStringLiteral("ГРЕШКА при запис!"), e.text());
            if (left.isValid()) {
                Flag f(m_syncing);
                selectionModel()->setCurrentIndex(left, QItemSelectionModel::ClearAndSelect
                                                            | QItemSelectionModel::Rows);
            }
            return;
        }
    }
    if (row != m_lastRow) {
        m_lastRow = row;
        Q_EMIT currentRowChanged(row);
    }
}

void Grid::refusedWrite(int row, const DbError &e)
{
    const bool gone = e.number() == ErrRowDeleted;
    {
        Flag f(m_syncing);
        if (gone)
            m_model->rowLeft(row);
        else
            m_model->refresh();
    }
    if (gone)
        m_lastRow = -1;
    else
        fitRowTexts(row);
    QPointer<Grid> alive(this);
    const bool told = m_refusedWrite && m_refusedWrite(gone ? -1 : row, e);
    if (alive && !told)
        report(QStringLiteral("ГРЕШКА при запис!"), e.text());
}

void Grid::setRefusedWrite(std::function<bool(int, const DbError &)> fn)
{
    m_refusedWrite = std::move(fn);
}

void Grid::leaveOut(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    if (m_rs && m_rs->isOpen())
        m_rs->leaveOut(row);
    {
        Flag f(m_syncing);
        m_model->rowLeft(row);
    }
    m_lastRow = -1;
    followCurrent();
}

void Grid::followCurrent()
{
    const int row = currentIndex().isValid() ? m_proxy->mapToSource(currentIndex()).row() : -1;
    if (m_rs && m_rs->isOpen() && row >= 0 && m_rs->currentIndex() != row) {
        try {
            Flag f(m_syncing);
            m_rs->setAbsolutePosition(row + 1);
        } catch (const DbError &) {
        }
    }
    if (row >= 0 && !selectionModel()->isRowSelected(currentIndex().row(), QModelIndex())) {
        Flag f(m_syncing);
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    if (row != m_lastRow) {
        m_lastRow = row;
        Q_EMIT currentRowChanged(row);
    }
}

void Grid::followRecordset()
{
    if (m_syncing || !m_rs)
        return;
    const int pos = m_rs->currentIndex();
    if (pos < 0 || pos >= m_model->rowCount() || pos >= m_rs->recordCount())
        return; // before the first or past the last row: the grid stays put
    const int col = std::max(0, currentIndex().column());
    const QModelIndex target = m_proxy->mapFromSource(m_model->index(pos, col));
    {
        Flag f(m_syncing);
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    if (pos != m_lastRow) {
        m_lastRow = pos;
        Q_EMIT currentRowChanged(pos);
    }
}

// --- keys --------------------------------------------------------------------

bool Grid::runKeyDown(QKeyEvent *e)
{
    if (!m_keyDown)
        return false;
    int code = vbKeyCode(e);
    if (code == 0)
        return false;
    m_keyDown(code, vbShift(e->modifiers()));
    return code == 0;
}

void Grid::keyPressEvent(QKeyEvent *e)
{
    if (state() == EditingState && m_editor) {
        // A key the editor left unused ends here; it is never handed back.
        if (e == m_keyInEditor) {
            e->accept();
            return;
        }
        // A key sent to the grid while a cell is edited is typed into the cell.
        QCoreApplication::sendEvent(m_editor, e);
        return;
    }
    QPointer<Grid> alive(this);
    QKeyEvent *outer = m_keyInFlight;
    m_keyInFlight = e;
    const bool swallowed = runKeyDown(e);
    if (!alive)
        return;
    if (swallowed)
        e->accept();
    else
        actOnKey(e, false);
    if (alive)
        m_keyInFlight = outer;
}

void Grid::actOnKey(QKeyEvent *e, bool fromEditor)
{
    switch (e->key()) {
    case Qt::Key_Delete:
        if (fromEditor)
            return; // typed into a cell: never a row deletion
        if (m_allowDelete && currentIndex().isValid()) {
            deleteCurrentRow();
            e->accept();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (cancelRowChanges()) {
            e->accept();
            return;
        }
        e->ignore();
        return;
    case Qt::Key_Home:
        goToVisual(0);
        e->accept();
        return;
    case Qt::Key_End:
        goToVisual(m_proxy->rowCount() - 1);
        e->accept();
        return;
    default:
        break;
    }
    QTableView::keyPressEvent(e);
}

bool Grid::cancelRowChanges()
{
    if (!m_rs || !m_rs->isOpen() || m_rs->editMode() == Recordset::EditNone)
        return false;
    m_rs->cancelUpdate();
    const int r = currentRow();
    m_model->refresh();
    if (r >= 0)
        setCurrentRow(r);
    Q_EMIT rowReverted(r);
    return true;
}

void Grid::sendKey(int code, int shift)
{
    Qt::KeyboardModifiers mods;
    if (shift & 1)
        mods |= Qt::ShiftModifier;
    if (shift & 2)
        mods |= Qt::ControlModifier;
    if (shift & 4)
        mods |= Qt::AltModifier;
    const Qt::Key key = qtKeyOf(code);
    QString text;
    if (key == Qt::Key_Space)
        text = QStringLiteral(" ");
    else if (key >= Qt::Key_0 && key <= Qt::Key_9)
        text = QChar(QLatin1Char(char('0' + (key - Qt::Key_0))));
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QWidget *target = (state() == EditingState && m_editor) ? m_editor.data() : this;
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

// --- editing -------------------------------------------------------------------

bool Grid::isEditing() const
{
    return state() == EditingState && m_editor;
}

QString Grid::editRefusal() const
{
    return isEditing() ? refusal(m_editor) : QString();
}

bool Grid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (!allowEdit() || !index.isValid() || !(index.flags() & Qt::ItemIsEditable))
        return false;
    return QTableView::edit(index, trigger, event);
}

QString Grid::refusal(QWidget *editor) const
{
    auto *le = qobject_cast<QLineEdit *>(editor);
    if (!le || !m_editIndex.isValid())
        return QString();
    const QModelIndex src = m_proxy->mapToSource(m_editIndex);
    return m_model->checkTyped(src.row(), src.column(), le->text(), nullptr);
}

bool Grid::finishEdit(bool keepIfRefused)
{
    QWidget *editor = m_editor;
    if (!editor)
        return true;
    const QString msg = refusal(editor);
    if (!msg.isEmpty()) {
        if (auto *le = qobject_cast<QLineEdit *>(editor))
            m_leaveCheck->refused(le->text());
        report(QStringLiteral("ВНИМАНИЕ!"), msg);
        if (keepIfRefused) {
            if (m_editor)
                m_editor->setFocus();
            return false;
        }
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        return false;
    }
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

bool Grid::editorKey(QWidget *editor, QKeyEvent *e)
{
    // Inside an open cell the editing keys belong to its text: neither the
    // screen's key hook nor the grid's own meaning of them (Delete a row,
    // Home/End the first/last row) applies until the cell is closed.
    if (isTextEditingKey(e))
        return false;
    if (e != m_keyInFlight) {
        QPointer<Grid> alive(this);
        if (runKeyDown(e))
            return true;
        if (!alive)
            return true;
        if (!m_editor) {
            // The key handler ended the editing: the key now acts on the grid
            // (moving the rows), but no key typed into a cell deletes a row.
            if (isMoveKey(e->key()))
                actOnKey(e, true);
            return true;
        }
    }
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Taken (or refused, the cell kept open) as Tab takes it; the cell stays
        // the current one.
        finishEdit(true);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        const QString msg = refusal(editor);
        if (!msg.isEmpty()) {
            if (auto *le = qobject_cast<QLineEdit *>(editor))
                m_leaveCheck->refused(le->text());
            report(QStringLiteral("ВНИМАНИЕ!"), msg);
            if (m_editor)
                m_editor->setFocus();
            return true; // the cell stays in editing with what was typed
        }
        return false; // the delegate stores it and closes the editor
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!finishEdit(true))
            return true;
        actOnKey(e, true);
        return true;
    default:
        return false;
    }
}

bool Grid::editorFocusOut(QWidget *editor, QFocusEvent *e)
{
    if (m_reporting)
        return true; // our own message took the focus
    if (e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason)
        return true; // another window in front: the cell stays as it is
    const QString msg = refusal(editor);
    if (msg.isEmpty())
        return false; // stored and closed as usual
    // Refused: the cell keeps its text and gets the focus back once the focus
    // change is over; the message follows then (after a message already on
    // screen, and not at all when that one refused the same text).
    QPointer<QWidget> ed(editor);
    auto *le = qobject_cast<QLineEdit *>(editor);
    m_leaveCheck->schedule(le ? le->text() : QString(), [this, ed] {
        if (!ed)
            return;
        const QString why = refusal(ed);
        if (why.isEmpty())
            return;
        report(QStringLiteral("ВНИМАНИЕ!"), why);
        if (ed)
            ed->setFocus();
    });
    return true;
}

void Grid::keyToEditor(QWidget *editor, QKeyEvent *e)
{
    // The editor gets the key now; what it leaves unused travels up to the grid,
    // which must not hand it back.
    QPointer<Grid> alive(this);
    QKeyEvent *outer = m_keyInEditor;
    m_keyInEditor = e;
    QCoreApplication::sendEvent(editor, e);
    if (alive)
        m_keyInEditor = outer;
}

void Grid::commitData(QWidget *editor)
{
    const QModelIndex src = m_editIndex.isValid() ? m_proxy->mapToSource(m_editIndex) : QModelIndex();
    const QVariant before = src.isValid() ? m_model->value(src.row(), src.column()) : QVariant();
    QTableView::commitData(editor);
    if (!src.isValid())
        return;
    const QVariant after = m_model->value(src.row(), src.column());
    if (after != before || after.isNull() != before.isNull()) {
        QPointer<Grid> alive(this);
        Q_EMIT cellEdited(src.row(), src.column() + 1);
        // Measured after the screen has reckoned what follows from the value
        // (a trip's amount), so that the new amount is not cut either.
        if (alive)
            fitRowTexts(src.row());
    }
}

void Grid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    Flag f(m_closingEditor);
    QTableView::closeEditor(editor, hint);
}

void Grid::mousePressEvent(QMouseEvent *e)
{
    if (isEditing()) {
        // The cell still holds a refused value: it keeps the focus.
        m_editor->setFocus();
        e->accept();
        return;
    }
    QTableView::mousePressEvent(e);
}

void Grid::focusInEvent(QFocusEvent *e)
{
    QTableView::focusInEvent(e);
    if (!m_closingEditor)
        Q_EMIT TakeFocus();
}

bool Grid::commitRow()
{
    if (isEditing() && !finishEdit(true))
        return false;
    if (m_rs && m_rs->isOpen()) {
        const int writing = m_rs->currentIndex();
        try {
            m_rs->update();
        } catch (const DbError &e) {
            // Refused because another user changed or deleted the row: the
            // change is dropped and told once; nothing is pending any more.
            if (isRefusedWrite(e)) {
                refusedWrite(writing, e);
                followCurrent();
            } else {
                report(QStringLiteral("ГРЕШКА при запис!"), e.text());
            }
            return false;
        }
    }
    return true;
}

void Grid::deleteCurrentRow()
{
    const QModelIndex cur = currentIndex();
    const int visual = cur.row();
    const int row = currentRow();
    if (row < 0)
        return;
    {
        Flag f(m_syncing);
        try {
            m_model->removeRowAt(row);
        } catch (const DbError &e) {
            // Changed by another user: shown as stored now, nothing deleted.
            // Deleted by another user: gone from the list all the same.
            if (e.number() == ErrWriteConflict)
                m_model->refresh();
            report(QStringLiteral("ГРЕШКА при изтриване!"), e.text());
            if (e.number() != ErrRowDeleted)
                return;
        }
    }
    m_lastRow = -1;
    Q_EMIT rowDeleted(row);
    if (m_proxy->rowCount() == 0) {
        Q_EMIT currentRowChanged(-1);
        return;
    }
    goToVisual(std::min(visual, m_proxy->rowCount() - 1));
}

void Grid::report(const QString &caption, const QString &text)
{
    Flag f(m_reporting);
    promptInform(caption, text);
}

} // namespace kelm
