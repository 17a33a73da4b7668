#include "fleet/rowdlistlegs.h"

#include "platform/database.h"

namespace kelm {

namespace {
QString shown(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double) {
        QString s = QString::number(v.toDouble(), 'f', 6);
        while (s.contains(QLatin1Char('.')) && s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
        return s.replace(QLatin1Char('.'), QLatin1Char(','));
    }
    return v.toString();
}
} // namespace

MarshLegsModel::MarshLegsModel(QObject *parent) : QAbstractTableModel(parent) {}

const QStringList &MarshLegsModel::fields()
{
    static const QStringList f{QStringLiteral("Marshrut"), QStringLiteral("KM"), QStringLiteral("Ton"),
                               QStringLiteral("Koef")};
    return f;
}

const QStringList &MarshLegsModel::captions()
{
    static const QStringList c{QStringLiteral("Маршрут"), QStringLiteral("КМ"), QStringLiteral("Тонаж"),
                               QStringLiteral("Коеф.")};
    return c;
}

void MarshLegsModel::setRecordset(Recordset *rs)
{
    beginResetModel();
    m_rs = rs;
    m_typed.clear();
    m_editing = false;
    m_rows = (m_rs && m_rs->isOpen()) ? m_rs->recordCount() : 0;
    endResetModel();
}

void MarshLegsModel::reload()
{
    beginResetModel();
    m_rows = (m_rs && m_rs->isOpen()) ? m_rs->recordCount() : 0;
    endResetModel();
}

void MarshLegsModel::setEditing(bool on)
{
    m_editing = on;
    if (!on)
        m_typed.clear();
    currentChanged();
}

void MarshLegsModel::clearTyped()
{
    m_typed.clear();
    currentChanged();
}

void MarshLegsModel::currentChanged()
{
    if (m_rows > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
}

QVariant MarshLegsModel::pendingValue(int column) const
{
    if (m_typed.contains(column))
        return m_typed.value(column);
    if (!m_rs || !m_rs->isOpen() || m_rs->bof() || m_rs->eof())
        return QVariant();
    return m_rs->value(fields().at(column));
}

int MarshLegsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int MarshLegsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(fields().size());
}

QVariant MarshLegsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_rs || !m_rs->isOpen() || index.row() >= m_rs->recordCount())
        return QVariant();
    const bool current = index.row() == m_rs->currentIndex();
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (current && m_typed.contains(index.column()))
            return m_typed.value(index.column());
        return shown(m_rs->value(index.row(), fields().at(index.column())));
    }
    if (role == Qt::TextAlignmentRole)
        return int((index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    return QVariant();
}

bool MarshLegsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    m_typed.insert(index.column(), value.toString());
    Q_EMIT dataChanged(index, index);
    return true;
}

Qt::ItemFlags MarshLegsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Typing goes only into the leg that is being added or corrected.
    if (m_editing && m_rs && index.row() == m_rs->currentIndex())
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant MarshLegsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section < captions().size() ? captions().at(section) : QVariant();
    return section + 1;
}

} // namespace kelm
