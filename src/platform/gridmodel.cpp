#include "platform/gridmodel.h"

#include "platform/database.h"
#include "platform/numbers.h"

#include <QCollator>
#include <QDate>
#include <QFont>
#include <QRegularExpression>
#include <cmath>

namespace kelm {

QColor vbColor(long bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

double leadingNumber(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([-+]?)\\s*(\\d*(?:[.,]\\d*)?)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return 0;
    QString digits = m.captured(2);
    digits.replace(QLatin1Char(','), QLatin1Char('.'));
    if (digits.isEmpty() || digits == QLatin1String("."))
        return 0;
    const double x = digits.toDouble();
    return m.captured(1) == QLatin1String("-") ? -x : x;
}

QVariant GridRowBuffer::value(int i) const
{
    return (i >= 1 && i <= values.size()) ? values.at(i - 1) : QVariant();
}

double GridRowBuffer::number(int i) const
{
    const QVariant v = value(i);
    if (v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return v.toDouble();
    case QMetaType::Bool:
        return v.toBool() ? -1 : 0; // the old True
    default:
        return leadingNumber(v.toString());
    }
}

namespace {

bool isNumberType(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

// A number as typed back into a cell: every digit it has, decimal comma.
QString plainNumber(double d)
{
    QString s = QString::number(d, 'g', 15);
    if (s.contains(QLatin1Char('e')))
        s = QString::number(d, 'f', 0);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

bool isNumberFormat(const QString &f)
{
    return !f.isEmpty() && (f.at(0) == QLatin1Char('#') || f.at(0) == QLatin1Char('0'));
}

bool isDateFormat(const QString &f)
{
    const QString l = f.toLower();
    return l.startsWith(QLatin1String("dd")) || l == QLatin1String("short date");
}

Qt::Alignment alignmentOf(int a)
{
    switch (a) {
    case 1:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case 2:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QFont boldFont()
{
    // Only the weight counts: the rest comes from the grid's own font.
    QFont only;
    only.setWeight(QFont::Bold);
    return only;
}

} // namespace

int compareGridValues(const QVariant &a, const QVariant &b)
{
    const bool an = a.isNull() || !a.isValid();
    const bool bn = b.isNull() || !b.isValid();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if (isNumberType(a) && isNumberType(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.typeId() == QMetaType::QDate && b.typeId() == QMetaType::QDate) {
        const QDate x = a.toDate(), y = b.toDate();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.typeId() == QMetaType::QTime && b.typeId() == QMetaType::QTime) {
        const QTime x = a.toTime(), y = b.toTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    static const QCollator collator(QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
    const int c = collator.compare(a.toString(), b.toString());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// ---------------------------------------------------------------------------

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent)
{
    // The two styles every list grid has from its design.
    GridStyle &p = addStyle(QStringLiteral("Prihod"));
    p.foreColor = QColor(255, 0, 0);
    p.bold = true;
    p.textAlignment = 2;
    GridStyle &r = addStyle(QStringLiteral("Razhod"));
    r.foreColor = QColor(0, 0, 255);
    r.bold = true;
    r.textAlignment = 2;
}

GridModel::~GridModel() = default;

void GridModel::bindFields(const QStringList &fields)
{
    QVector<GridColumnDef> cols;
    for (const QString &f : fields) {
        GridColumnDef col;
        const int old = columnOfField(f);
        if (old >= 0) {
            col = m_cols.at(old);
        } else {
            col.field = f;
            col.caption = f;
        }
        cols.push_back(col);
    }
    const bool same = cols.size() == m_cols.size()
                      && std::equal(cols.begin(), cols.end(), m_cols.begin(),
                                    [](const GridColumnDef &a, const GridColumnDef &b) {
                                        return a.field.compare(b.field, Qt::CaseInsensitive) == 0;
                                    });
    m_cols = cols;
    if (!same)
        Q_EMIT columnsChanged();
}

void GridModel::setRecordset(Recordset *rs, const QStringList &fields)
{
    beginResetModel();
    m_usesRows = false;
    m_rows.clear();
    m_fields.clear();
    m_rs = rs;
    m_styleCache.clear();
    if (rs && rs->isOpen()) {
        bindFields(fields.isEmpty() ? rs->fieldNames() : fields);
        m_rowCount = rs->recordCount();
    } else {
        if (!fields.isEmpty())
            bindFields(fields);
        m_rowCount = 0;
    }
    endResetModel();
}

void GridModel::setRows(const QStringList &fields, const QVector<QVariantList> &rows)
{
    beginResetModel();
    m_rs = nullptr;
    m_usesRows = true;
    m_fields = fields;
    m_rows = rows;
    for (auto &r : m_rows)
        while (r.size() < fields.size())
            r.push_back(QVariant());
    m_styleCache.clear();
    bindFields(fields);
    m_rowCount = int(m_rows.size());
    endResetModel();
}

void GridModel::setRows(const QStringList &fields, const QVector<QVariantMap> &rows)
{
    QVector<QVariantList> lists;
    lists.reserve(rows.size());
    for (const QVariantMap &m : rows) {
        QVariantList l;
        for (const QString &f : fields)
            l << m.value(f);
        lists << l;
    }
    setRows(fields, lists);
}

void GridModel::clearData()
{
    beginResetModel();
    m_rs = nullptr;
    m_usesRows = false;
    m_rows.clear();
    m_rowCount = 0;
    m_styleCache.clear();
    endResetModel();
}

bool GridModel::isBound() const
{
    return m_usesRows || (m_rs && m_rs->isOpen());
}

void GridModel::reload()
{
    beginResetModel();
    m_styleCache.clear();
    if (m_usesRows) {
        m_rowCount = int(m_rows.size());
    } else if (m_rs && m_rs->isOpen()) {
        const QStringList now = m_rs->fieldNames();
        bool covered = true;
        for (const auto &c : m_cols)
            covered = covered && m_rs->hasField(c.field);
        // A recordset reopened on another query brings its own columns.
        if (!covered || m_cols.isEmpty())
            bindFields(now);
        m_rowCount = m_rs->recordCount();
    } else {
        m_rowCount = 0;
    }
    endResetModel();
}

void GridModel::columnChanged(int c)
{
    if (c < 0 || c >= m_cols.size())
        return;
    m_styleCache.clear();
    Q_EMIT headerDataChanged(Qt::Horizontal, c, c);
    if (m_rowCount > 0)
        Q_EMIT dataChanged(index(0, c), index(m_rowCount - 1, c));
    Q_EMIT columnLayoutChanged(c);
}

int GridModel::columnOfField(const QString &field) const
{
    for (int i = 0; i < m_cols.size(); ++i)
        if (m_cols.at(i).field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

GridStyle &GridModel::addStyle(const QString &name)
{
    m_styleCache.clear();
    auto it = m_styles.find(name);
    if (it == m_styles.end())
        it = m_styles.emplace(name, GridStyle()).first;
    return it->second;
}

GridStyle *GridModel::style(const QString &name)
{
    auto it = m_styles.find(name);
    return it == m_styles.end() ? nullptr : &it->second;
}

bool GridModel::hasStyle(const QString &name) const
{
    return m_styles.find(name) != m_styles.end();
}

void GridModel::setFormatRow(std::function<void(GridRowBuffer &)> fn)
{
    m_formatRow = std::move(fn);
    refresh();
}

QString GridModel::rowStyleName(int row) const
{
    if (!m_formatRow || row < 0 || row >= m_rowCount)
        return QString();
    auto it = m_styleCache.constFind(row);
    if (it != m_styleCache.constEnd())
        return it.value();
    GridRowBuffer buf;
    buf.row = row;
    for (int c = 0; c < m_cols.size(); ++c)
        buf.values << value(row, c);
    m_formatRow(buf);
    m_styleCache.insert(row, buf.rowStyle);
    return buf.rowStyle;
}

const GridStyle *GridModel::rowStyle(int row) const
{
    const QString name = rowStyleName(row);
    if (name.isEmpty())
        return nullptr;
    auto it = m_styles.find(name);
    return it == m_styles.end() ? nullptr : &it->second;
}

void GridModel::setAllowEdit(bool on)
{
    if (m_allowEdit == on)
        return;
    m_allowEdit = on;
    if (m_rowCount > 0 && !m_cols.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(m_rowCount - 1, int(m_cols.size()) - 1), {});
}

void GridModel::setHeaderColor(const QColor &c)
{
    m_headerColor = c;
    if (!m_cols.isEmpty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_cols.size()) - 1);
}

QVariant GridModel::value(int row, int c) const
{
    if (row < 0 || row >= m_rowCount || c < 0 || c >= m_cols.size())
        return QVariant();
    if (m_usesRows) {
        if (row >= m_rows.size())
            return QVariant();
        const QString &f = m_cols.at(c).field;
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_fields.at(i).compare(f, Qt::CaseInsensitive) == 0)
                return m_rows.at(row).value(i);
        return QVariant();
    }
    if (!m_rs || !m_rs->isOpen() || row >= m_rs->recordCount())
        return QVariant();
    try {
        return m_rs->value(row, m_cols.at(c).field);
    } catch (const DbError &) {
        return QVariant();
    }
}

GridModel::Kind GridModel::kindOf(int row, int c) const
{
    if (m_rs && !m_usesRows) {
        const QString t = m_rs->declType(m_cols.at(c).field).toUpper();
        if (t.contains(QLatin1String("INT")) || t == QLatin1String("LONG") || t == QLatin1String("BYTE"))
            return KindInteger;
        if (t == QLatin1String("DOUBLE") || t == QLatin1String("REAL") || t == QLatin1String("FLOAT")
            || t == QLatin1String("SINGLE") || t == QLatin1String("CURRENCY") || t.startsWith(QLatin1String("NUMERIC"))
            || t.startsWith(QLatin1String("DECIMAL")))
            return KindDouble;
        if (t == QLatin1String("DATE") || t == QLatin1String("DATETIME"))
            return KindDate;
        if (t == QLatin1String("TIME"))
            return KindTime;
        if (t == QLatin1String("BOOLEAN") || t == QLatin1String("BIT"))
            return KindBool;
        if (!t.isEmpty())
            return KindText;
    }
    const QVariant v = value(row, c);
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return KindInteger;
    case QMetaType::Double:
    case QMetaType::Float:
        return KindDouble;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return KindDate;
    case QMetaType::QTime:
        return KindTime;
    case QMetaType::Bool:
        return KindBool;
    default:
        return KindText;
    }
}

QString GridModel::text(int row, int c) const
{
    const QVariant v = value(row, c);
    if (v.isNull() || !v.isValid())
        return QString();
    const QString &fmt = m_cols.at(c).format;
    if (isNumberFormat(fmt)) {
        if (isNumberType(v) && v.typeId() != QMetaType::Bool)
            return formatNumber(v.toDouble(), fmt);
        if (v.typeId() == QMetaType::QString) {
            // A staged text that holds a number is shown in the column's format.
            if (const auto x = parseNumber(v.toString()))
                return formatNumber(*x, fmt);
            return v.toString();
        }
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
        return QString(); // drawn as a tick box
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return formatDate(v);
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::Double:
    case QMetaType::Float:
        return plainNumber(v.toDouble());
    default:
        break;
    }
    if (isDateFormat(fmt) && v.typeId() == QMetaType::QString) {
        if (const auto d = parseDate(v.toString()))
            return formatDate(*d);
    }
    return v.toString();
}

QString GridModel::editText(int row, int c) const
{
    const QVariant v = value(row, c);
    if (v.isNull() || !v.isValid())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return plainNumber(v.toDouble());
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return formatDate(v);
    case QMetaType::QTime:
        return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    default:
        return v.toString();
    }
}

QString GridModel::checkTyped(int row, int c, const QString &typed, QVariant *out) const
{
    if (c < 0 || c >= m_cols.size())
        return QString();
    const GridColumnDef &col = m_cols.at(c);
    if (col.validate) {
        const QString msg = col.validate(row, typed);
        if (!msg.isEmpty())
            return msg;
    }
    const QString t = typed.trimmed();
    QVariant v;
    switch (kindOf(row, c)) {
    case KindInteger: {
        const auto x = parseNumber(t);
        if (!x || !std::isfinite(*x)) {
            const QString why = overBoundText(t, limits::kMoney); // more digits than a number holds
            return why.isEmpty() ? QStringLiteral("Въведете число!") : why;
        }
        if (std::fabs(*x - std::round(*x)) > 1e-9)
            return QStringLiteral("Въведете цяло число!");
        const double r = std::round(*x);
        // No number a grid holds is beyond an amount of money; a column with a
        // tighter bound checks it in its own validator.
        if (std::fabs(r) > limits::kMoney)
            return overBoundText(r, limits::kMoney);
        v = int(r);
        break;
    }
    case KindDouble: {
        const auto x = parseNumber(t);
        if (!x || !std::isfinite(*x)) {
            const QString why = overBoundText(t, limits::kMoney); // more digits than a number holds
            return why.isEmpty() ? QStringLiteral("Въведете число!") : why;
        }
        if (!parseBounded(t, limits::kMoney))
            return overBoundText(*x, limits::kMoney);
        v = *parseBounded(t, limits::kMoney);
        break;
    }
    case KindDate: {
        if (t.isEmpty())
            break; // no date
        const auto d = parseDate(t);
        if (!d)
            return QStringLiteral("Невалидна дата!");
        v = *d;
        break;
    }
    case KindTime: {
        if (t.isEmpty())
            break;
        QTime tm = QTime::fromString(t, QStringLiteral("H:mm:ss"));
        if (!tm.isValid())
            tm = QTime::fromString(t, QStringLiteral("H:mm"));
        if (!tm.isValid())
            return QStringLiteral("Невалиден час!");
        v = tm;
        break;
    }
    case KindBool:
        v = (t == QLatin1String("1") || t.compare(QLatin1String("да"), Qt::CaseInsensitive) == 0
             || t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0);
        break;
    case KindText:
        v = typed;
        break;
    }
    if (out)
        *out = v;
    return QString();
}

bool GridModel::setValue(int row, int c, const QVariant &v)
{
    if (row < 0 || row >= m_rowCount || c < 0 || c >= m_cols.size())
        return false;
    const QVariant old = value(row, c);
    if (old == v && old.isNull() == v.isNull() && old.typeId() == v.typeId())
        return true; // nothing changed: the row stays clean
    if (m_usesRows) {
        const QString &f = m_cols.at(c).field;
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_fields.at(i).compare(f, Qt::CaseInsensitive) == 0)
                m_rows[row][i] = v;
    } else {
        if (!m_rs || !m_rs->isOpen())
            return false;
        // The change goes into the recordset's current row, so that the row is
        // written when the recordset moves on, as any other change of that row.
        if (m_rs->currentIndex() != row)
            m_rs->setAbsolutePosition(row + 1);
        m_rs->setValue(m_cols.at(c).field, v);
    }
    m_styleCache.remove(row);
    Q_EMIT dataChanged(index(row, 0), index(row, int(m_cols.size()) - 1));
    return true;
}

void GridModel::removeRowAt(int row)
{
    if (row < 0 || row >= m_rowCount)
        return;
    if (!m_usesRows) {
        if (!m_rs || !m_rs->isOpen())
            return;
        if (m_rs->currentIndex() != row)
            m_rs->setAbsolutePosition(row + 1);
        try {
            m_rs->deleteRecord(); // throws before anything is removed here
        } catch (const DbError &e) {
            // Deleted by another user: gone from the recordset all the same.
            if (e.number() == ErrRowDeleted)
                rowLeft(row);
            throw;
        }
    }
    rowLeft(row);
}

void GridModel::rowLeft(int row)
{
    if (row < 0 || row >= m_rowCount)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    if (m_usesRows)
        m_rows.removeAt(row);
    --m_rowCount;
    m_styleCache.clear();
    endRemoveRows();
}

void GridModel::refresh()
{
    m_styleCache.clear();
    if (m_rowCount > 0 && !m_cols.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(m_rowCount - 1, int(m_cols.size()) - 1));
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_cols.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row();
    const int c = index.column();
    if (c >= m_cols.size())
        return QVariant();
    const GridColumnDef &col = m_cols.at(c);
    switch (role) {
    case Qt::DisplayRole: {
        return text(row, c);
    }
    case Qt::EditRole:
        return editText(row, c);
    case ValueRole:
        return value(row, c);
    case Qt::TextAlignmentRole: {
        int a = col.textAlignment;
        if (!col.cellStyle.isEmpty()) {
            auto it = m_styles.find(col.cellStyle);
            if (it != m_styles.end() && it->second.textAlignment >= 0)
                a = it->second.textAlignment;
        }
        return QVariant::fromValue(alignmentOf(a));
    }
    case Qt::BackgroundRole:
    case Qt::ForegroundRole: {
        // A row's style outranks its cells' style, so that a marked row reads
        // the same across every column.
        const GridStyle *rs = rowStyle(row);
        const QColor rc = rs ? (role == Qt::BackgroundRole ? rs->backColor : rs->foreColor) : QColor();
        if (rc.isValid())
            return rc;
        if (!col.cellStyle.isEmpty()) {
            auto it = m_styles.find(col.cellStyle);
            if (it != m_styles.end()) {
                const QColor cc = role == Qt::BackgroundRole ? it->second.backColor : it->second.foreColor;
                if (cc.isValid())
                    return cc;
            }
        }
        return QVariant();
    }
    case Qt::FontRole: {
        bool bold = false;
        if (const GridStyle *rs = rowStyle(row))
            bold = rs->bold;
        if (!col.cellStyle.isEmpty()) {
            auto it = m_styles.find(col.cellStyle);
            if (it != m_styles.end())
                bold = bold || it->second.bold;
        }
        return bold ? QVariant(boldFont()) : QVariant();
    }
    default:
        return QVariant();
    }
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    QVariant v;
    if (!checkTyped(index.row(), index.column(), value.toString(), &v).isEmpty())
        return false;
    try {
        return setValue(index.row(), index.column(), v);
    } catch (const DbError &) {
        return false;
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int c = index.column();
    if (m_allowEdit && c < m_cols.size() && m_cols.at(c).editable && kindOf(index.row(), c) != KindBool)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return QVariant();
    }
    if (section < 0 || section >= m_cols.size())
        return QVariant();
    const GridColumnDef &col = m_cols.at(section);
    switch (role) {
    case Qt::DisplayRole:
        return col.caption;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignmentOf(col.headerAlignment));
    case Qt::ForegroundRole:
        return m_headerColor.isValid() ? QVariant(m_headerColor) : QVariant();
    case Qt::FontRole:
        return boldFont();
    default:
        return QVariant();
    }
}

// ---------------------------------------------------------------------------

GridSortProxy::GridSortProxy(QObject *parent) : QSortFilterProxyModel(parent)
{
    // Rows keep their place while the user works on them; the order is made
    // again when the rows are bound or reloaded.
    setDynamicSortFilter(false);
}

void GridSortProxy::setSortColumns(const QList<int> &cols)
{
    m_sortCols = cols;
    resort();
}

void GridSortProxy::setRowColors(const QColor &first, const QColor &second)
{
    m_row1 = first;
    m_row2 = second;
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::BackgroundRole});
}

void GridSortProxy::resort()
{
    if (m_sortCols.isEmpty() || !sourceModel() || sourceModel()->columnCount() == 0) {
        sort(-1);
        invalidate();
        return;
    }
    invalidate();
    sort(0, Qt::AscendingOrder);
}

QVariant GridSortProxy::data(const QModelIndex &index, int role) const
{
    if (role == Qt::BackgroundRole) {
        const QVariant v = QSortFilterProxyModel::data(index, role);
        if (v.isValid())
            return v;
        const QColor &c = (index.row() % 2 == 0) ? m_row1 : m_row2;
        return c.isValid() ? QVariant(c) : QVariant();
    }
    return QSortFilterProxyModel::data(index, role);
}

bool GridSortProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const QAbstractItemModel *src = sourceModel();
    for (int c : m_sortCols) {
        if (c < 1 || c > src->columnCount())
            continue;
        const int cmp = compareGridValues(src->index(left.row(), c - 1).data(GridModel::ValueRole),
                                          src->index(right.row(), c - 1).data(GridModel::ValueRole));
        if (cmp != 0)
            return cmp < 0;
    }
    return left.row() < right.row();
}

} // namespace kelm
