#pragma once
// The data side of the list grid: one column per field (recordset or plain rows),
// cell texts in the house formats, named styles chosen per row by a callback, and
// typed values checked and converted before they reach the row.

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <map>

namespace kelm {

class Recordset;

// A colour given the old way, as a long in B-G-R order: 255 is red, 16711680 blue,
// 16777215 white.
QColor vbColor(long bgr);

// A named look for a row (chosen by the row callback) or for a column's cells.
// An invalid colour or an alignment of -1 leaves that property as it is.
struct GridStyle {
    QColor backColor;       // the first colour of a style: the cells' background
    QColor foreColor;       // the second colour of a style: the text
    bool bold = false;
    int textAlignment = -1; // 0 left, 1 centred, 2 right
};

// One column: the field it shows and how.
struct GridColumnDef {
    QString field;
    QString caption;
    int width = 0;            // the least, twips; 0 leaves the grid's own width
    QString format;           // "###0", "###0.000", "###0.00", "dd.mm.yyyy"; empty: by value
    int textAlignment = 0;    // 0 left, 1 centred, 2 right
    int headerAlignment = 1;
    bool editable = true;     // false locks the column whatever allowedit says
    bool visible = true;
    // The column's texts run on over more lines where it has too little room
    // (see Grid: a column that wraps is no wider than the grid's view leaves it).
    bool wrap = false;
    QString cellStyle;
    // A check of the typed text before it is taken into a row (from 0): returns
    // the message that refuses it, or an empty text to accept it.
    std::function<QString(int row, const QString &typed)> validate;
};

// What the row callback sees of a row, and where it names the row's style.
struct GridRowBuffer {
    int row = -1;             // index of the row in the recordset / row list, from 0
    QVariantList values;      // one per column, hidden columns included
    QString rowStyle;         // set by the callback; empty draws the row plainly

    // The row's value in column i, from 1.
    QVariant value(int i) const;
    // The number a value starts with, as a formatted text is read back
    // ("12,50 лв." -> 12.5, "- " -> 0, "-3" -> -3); decimal comma or point.
    double number(int i) const;
};

// The leading number of a text, read as the old Val() did but with either
// decimal separator.
double leadingNumber(const QString &text);

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Raw value of a cell, for sorting and for code.
    static constexpr int ValueRole = Qt::UserRole + 1;

    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    // Binds a recordset: one column per field (or per field named), in that order.
    // A column that shows the same field as before keeps its settings.
    void setRecordset(Recordset *rs, const QStringList &fields = {});
    Recordset *recordset() const { return m_rs.data(); }
    // Plain rows a screen builds itself; values in the order of fields.
    void setRows(const QStringList &fields, const QVector<QVariantList> &rows);
    void setRows(const QStringList &fields, const QVector<QVariantMap> &rows);
    const QVector<QVariantList> &rows() const { return m_rows; }
    // Drops the data; the columns stay.
    void clearData();
    bool isBound() const;
    // Reads the row count again (after a requery, an add or a delete by code).
    void reload();

    // Columns, from 0 here (the grid's handles count from 1).
    int columns() const { return int(m_cols.size()); }
    GridColumnDef &column(int c) { return m_cols[c]; }
    const GridColumnDef &column(int c) const { return m_cols[c]; }
    void columnChanged(int c);
    int columnOfField(const QString &field) const;

    // Styles.
    GridStyle &addStyle(const QString &name);
    GridStyle *style(const QString &name);
    bool hasStyle(const QString &name) const;
    void setFormatRow(std::function<void(GridRowBuffer &)> fn);
    // The style the callback chose for a row ("" when none).
    QString rowStyleName(int row) const;

    void setAllowEdit(bool on);
    bool allowEdit() const { return m_allowEdit; }
    void setHeaderColor(const QColor &c);

    // Values.
    QVariant value(int row, int c) const;
    QString text(int row, int c) const;
    // Text put into a cell editor: the full value, decimal comma.
    QString editText(int row, int c) const;
    // Checks a typed text: the message that refuses it, or "" with *out set.
    QString checkTyped(int row, int c, const QString &typed, QVariant *out) const;
    // Writes a value into the row (through the recordset's current row).
    bool setValue(int row, int c, const QVariant &v);
    // Removes a row (from the recordset when bound); throws DbError.
    void removeRowAt(int row);
    // The recordset has let go of a row (another user deleted it, or the screen
    // left it out): the list follows.
    void rowLeft(int row);
    // Redraws every row and asks the callback again for the styles.
    void refresh();
    // Forgets the styles the callback chose, so that rows drawn from now on ask
    // it again (the caller redraws).
    void forgetRowStyles() { m_styleCache.clear(); }

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void columnsChanged();
    void columnLayoutChanged(int c);

private:
    enum Kind { KindText, KindInteger, KindDouble, KindDate, KindTime, KindBool };
    Kind kindOf(int row, int c) const;
    void bindFields(const QStringList &fields);
    const GridStyle *rowStyle(int row) const;

    QPointer<Recordset> m_rs;
    bool m_usesRows = false;
    QStringList m_fields;          // the row list's own fields
    QVector<QVariantList> m_rows;
    int m_rowCount = 0;
    QVector<GridColumnDef> m_cols;
    std::map<QString, GridStyle> m_styles;
    std::function<void(GridRowBuffer &)> m_formatRow;
    mutable QHash<int, QString> m_styleCache;
    bool m_allowEdit = false;
    QColor m_headerColor;
};

// The shown order: by the chosen columns' values (not their texts), ties in the
// rows' own order; the rows themselves keep their order underneath.
class GridSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit GridSortProxy(QObject *parent = nullptr);
    // Columns from 1; an empty list shows the rows in their own order.
    void setSortColumns(const QList<int> &cols);
    QList<int> sortColumns() const { return m_sortCols; }
    void setRowColors(const QColor &first, const QColor &second);
    void resort();
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    QList<int> m_sortCols{1, 4};
    QColor m_row1;
    QColor m_row2;
};

// Orders two values of one column: empty first, numbers as numbers, dates as
// dates, texts in Bulgarian alphabetical order. <0, 0, >0.
int compareGridValues(const QVariant &a, const QVariant &b);

} // namespace kelm
