#pragma once
// The legs grid of the waybill screen: the four typed columns of the legs
// recordset. Only the leg being added or corrected takes typing; what is typed
// is kept as text until the leg is saved, where it must read as a number.

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QStringList>

namespace kelm {

class Recordset;

class MarshLegsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MarshLegsModel(QObject *parent = nullptr);

    // The four columns: field and header.
    static const QStringList &fields();
    static const QStringList &captions();

    void setRecordset(Recordset *rs); // null shows an empty grid
    Recordset *recordset() const { return m_rs.data(); }
    void reload();                    // after rows were added, deleted or reread
    void setEditing(bool on);         // the current row takes typing
    bool editing() const { return m_editing; }

    // The leg's value of a column as typed, or as stored when nothing was typed.
    QVariant pendingValue(int column) const;
    bool hasTyped() const { return !m_typed.isEmpty(); }
    void clearTyped();
    void currentChanged(); // redraws the current row

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QPointer<Recordset> m_rs;
    bool m_editing = false;
    QHash<int, QString> m_typed; // column -> typed text of the current row
    int m_rows = 0;
};

} // namespace kelm
