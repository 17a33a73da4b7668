#pragma once
// The one list grid of the program: rows of a recordset (or plain rows) with
// captioned, formatted columns, named row styles, a key hook that runs before the
// grid acts, cell editing that can be switched on and off, and deletion of the
// current row. The rows are shown sorted (by columns 1 and 4 unless told
// otherwise) while the recordset keeps its own order; the grid's current row and
// the recordset's current record move together, and a row changed in the grid is
// stored when the grid leaves it (only while the row still holds what was read:
// a row another user changed or deleted meanwhile is shown as stored now, or
// leaves the list, and the change is dropped after one message).
//
//   grid->setBoundRecordset(&rs);                       // one column per field
//   grid->Columns(1).setCaption("Дата").setWidth(1200).setEditable(false);
//   grid->Columns(5).setCaption("Км").setTextAlignment(2);
//   grid->addFormatStyle("Platen").backColor = vbColor(255);
//   grid->setFormatRow([](GridRowBuffer &b) { if (b.value(9).toBool()) b.rowStyle = "Platen"; });
//   grid->setKeyDown([&](int &keyCode, int shift) { if (keyCode == 115) grid->setAllowEdit(true); });

#include "platform/gridmodel.h"

#include <QHash>
#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <memory>

class QKeyEvent;

namespace kelm {

class DbError;
class Grid;
class GridDelegate;
class LeaveCheck;

// Key codes as the old key events gave them: 13 Enter, 27 Esc, 32 Space,
// 33/34 PgUp/PgDn, 35/36 End/Home, 37-40 Left/Up/Right/Down, 46 Delete,
// 112-123 F1-F12, 48-57 digits, 65-90 letters; 0 for a key that has none.
int vbKeyCode(const QKeyEvent *e);
// The shift state as a sum: 1 Shift, 2 Ctrl, 4 Alt.
int vbShift(Qt::KeyboardModifiers mods);
// The key of a key code, for sending keys to the grid (Qt::Key_unknown if none).
Qt::Key qtKeyOf(int vbKeyCode);

// A handle on one column, counted from 1. Setters return the handle, so that
// settings can be chained; a column that does not exist ignores them.
class GridColumn {
public:
    GridColumn(Grid *grid, int index) : m_grid(grid), m_index(index) {}
    bool isValid() const;
    QString field() const;

    GridColumn &setCaption(const QString &text);
    QString caption() const;
    // The design's width in twips (15 twips to a pixel), and what width() gives
    // back: the least the column is shown; it is wider when its caption or its
    // widest text needs more.
    GridColumn &setWidth(int twips);
    int width() const;
    // "###0", "###0.0", "###0.00", "###0.000" (decimal comma), "dd.mm.yyyy".
    GridColumn &setFormat(const QString &format);
    QString format() const;
    // 0 left, 1 centred, 2 right.
    GridColumn &setTextAlignment(int a);
    int textAlignment() const;
    GridColumn &setHeaderAlignment(int a);
    int headerAlignment() const;
    // A locked column (edit type 0) takes no typing even while editing is on.
    GridColumn &setEditable(bool on);
    GridColumn &setEditType(int type) { return setEditable(type != 0); }
    bool editable() const;
    GridColumn &setVisible(bool on);
    bool visible() const;
    // A column of long texts (names) that must not push the columns after it out
    // of view: it is as wide as its widest text only while the grid's view has
    // room for it beside the other columns (never narrower than its design width
    // or caption); a longer text runs on over more lines of its cell, broken at
    // blanks (inside a word only when the word alone is too long), and its row
    // grows to show it whole.
    GridColumn &setWrap(bool on);
    bool wraps() const;
    // Name of a style (see Grid::addFormatStyle) for the column's cells.
    GridColumn &setCellStyle(const QString &name);
    QString cellStyle() const;
    // Checks a typed text before it is taken: returns the message that refuses
    // it ("" accepts). Numbers, dates and whole numbers are checked anyway by the
    // field's type.
    GridColumn &setValidator(std::function<QString(const QString &typed)> check);
    // The same for a check that also reads the row (from 0) the text goes into:
    // a value that is good alone but not with the rest of its row.
    GridColumn &setRowValidator(std::function<QString(int row, const QString &typed)> check);

private:
    GridColumnDef *def() const;
    void changed();
    Grid *m_grid;
    int m_index; // from 1
};

class Grid : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget *parent = nullptr);
    ~Grid() override;

    // --- Rows -------------------------------------------------------------
    // Binds an open recordset: one column per field in field order (or per
    // field named). Columns showing the same fields as before keep their
    // settings. The first shown row becomes current and the recordset moves to it.
    void setBoundRecordset(Recordset *rs, const QStringList &fields = {});
    Recordset *boundRecordset() const;
    // Rows the screen builds itself, one value per field.
    void setRows(const QStringList &fields, const QVector<QVariantList> &rows);
    void setRows(const QStringList &fields, const QVector<QVariantMap> &rows);
    // The plain rows as they are now (edits and deletions included).
    QVector<QVariantList> rows() const;
    // Shows no rows; the columns stay.
    void unbind();
    int rowCount() const;

    // --- Columns ----------------------------------------------------------
    int columnCount() const;
    GridColumn Columns(int i);

    // --- Styles and events ------------------------------------------------
    // A new named style (or the existing one of that name). The grid has
    // "Prihod" (red bold text, right) and "Razhod" (blue bold text, right).
    GridStyle &addFormatStyle(const QString &name);
    GridStyle *formatStyle(const QString &name);
    // Called for each row drawn (again after RefreshRows): sets rowStyle.
    void setFormatRow(std::function<void(GridRowBuffer &)> fn);
    // Sees every key pressed in the grid before the grid acts on it, also
    // while a cell is being edited, except the keys that edit the open cell's
    // text (Delete, Backspace, Home, End, Left, Right, with Shift or Ctrl):
    // those are the cell's. Setting keyCode to 0 swallows the key.
    void setKeyDown(std::function<void(int &keyCode, int shift)> fn);

    // --- Settings ---------------------------------------------------------
    // Cell editing (off from the start). Switched off while a cell is being
    // edited, the typed value is taken when it passes its checks, dropped
    // (with the message) when it does not.
    void setAllowEdit(bool on);
    bool allowEdit() const;
    // Delete removes the current row from the recordset (off from the start).
    void setAllowDelete(bool on);
    bool allowDelete() const;
    // Columns from 1 that order the shown rows; {} shows the rows in their own
    // order. {1, 4} from the start.
    void setSortColumns(const QList<int> &cols);
    QList<int> sortColumns() const;
    // A caption bar above the column headers; empty hides it.
    void setCaption(const QString &text);
    QString caption() const;
    // The two alternating row backgrounds; invalid colours leave the plain base.
    void setRowColors(const QColor &first, const QColor &second);
    // Colour of the header texts; invalid: the ordinary text colour.
    void setHeaderColor(const QColor &c);

    // --- Operations -------------------------------------------------------
    // Reloads the rows after the recordset was requeried, reopened or changed
    // in its rows by code; the first shown row becomes current.
    void Rebind();
    // Redraws the rows and asks the row callback again for their styles.
    void RefreshRows();
    void SetFocus();

    // The current row as an index into the recordset / row list (0-based),
    // -1 when there is none.
    int currentRow() const;
    void setCurrentRow(int row);
    // Where a row is shown (0 = top), and which row is shown at a place.
    int visualRow(int row) const;
    int rowAtVisual(int visual) const;
    // A row's value and shown text in column col (from 1).
    QVariant value(int row, int col) const;
    QString text(int row, int col) const;
    QString rowStyle(int row) const;

    bool isEditing() const;
    // The message that would refuse the text in the open cell; "" when no cell
    // is open or its text passes.
    QString editRefusal() const;
    // Ends a cell edit (when its value passes) and stores the current row.
    // false, after the message, when the value was refused or the row could not
    // be written.
    bool commitRow();
    // Drops the unstored changes of the current row, as Esc does in the grid;
    // false when it had none.
    bool cancelRowChanges();
    // Sends a key to the grid as if typed (for example 40, Down).
    void sendKey(int vbKeyCode, int shift = 0);

    // A row's write refused by the recordset because another user changed the
    // row since it was read (row: its index; the grid already shows it as
    // stored now) or deleted it (row -1: it has already left the list). The
    // screen's function answers true when it told the user itself; otherwise
    // the grid shows the error. Either way the change is dropped and the grid
    // can be left.
    void setRefusedWrite(std::function<bool(int row, const DbError &e)> fn);
    // The row leaves the list (and the recordset's list); nothing is written.
    void leaveOut(int row);

    GridModel *gridModel() const { return m_model; }
    GridSortProxy *sortProxy() const { return m_proxy; }

    using QTableView::edit;

Q_SIGNALS:
    // The grid got the keyboard focus.
    void TakeFocus();
    // The current row changed (index into the recordset / row list, or -1).
    void currentRowChanged(int row);
    // A typed value was taken into a cell (column from 1).
    void cellEdited(int row, int col);
    // A row was chosen: double click, or Enter while no cell is edited.
    void rowPicked(int row);
    // A row was removed by Delete (its index before the removal).
    void rowDeleted(int row);
    // Esc dropped the changes of a row not yet stored; it shows its stored values again.
    void rowReverted(int row);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyboardSearch(const QString &) override {}
    void commitData(QWidget *editor) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool viewportEvent(QEvent *e) override;

private:
    friend class GridDelegate;
    friend class GridColumn;

    void applyColumn(int c);
    void applyAllColumns();
    // Pixels a cell needs for a text of textWidth pixels; the widest text of a
    // column in pixels; a changed row widens the columns its texts outgrow.
    int cellWidthFor(int textWidth) const;
    int textWidthOf(int c);
    void fitRowTexts(int row);
    void fitSoon();
    // Columns that wrap: their widths from the room the view leaves, then the
    // heights of the rows whose texts run on over more lines.
    bool hasWrapColumns() const;
    int wrapColumnWidth(int c);
    int textRoom(int c) const;
    void fitWrapSoon();
    void fitWrapped();
    void afterBind();
    void followRecordset();
    void rowChanged(const QModelIndex &current, const QModelIndex &previous);
    bool runKeyDown(QKeyEvent *e);
    void actOnKey(QKeyEvent *e, bool fromEditor);
    bool editorKey(QWidget *editor, QKeyEvent *e);
    void keyToEditor(QWidget *editor, QKeyEvent *e);
    bool editorFocusOut(QWidget *editor, QFocusEvent *e);
    QString refusal(QWidget *editor) const;
    bool finishEdit(bool keepIfRefused);
    void deleteCurrentRow();
    // After the recordset refused the write of row (see setRefusedWrite): the
    // rows shown as they are now, the user told once.
    void refusedWrite(int row, const DbError &e);
    // The recordset stands on the grid's current row again.
    void followCurrent();
    void report(const QString &caption, const QString &text);
    void goToVisual(int visual);

    GridModel *m_model;
    GridSortProxy *m_proxy;
    GridDelegate *m_delegate;
    class GridHeader *m_header;
    QPointer<Recordset> m_rs;
    std::function<void(int &, int)> m_keyDown;
    std::function<bool(int, const DbError &)> m_refusedWrite;
    bool m_allowDelete = false;
    bool m_syncing = false;
    bool m_reporting = false;
    bool m_closingEditor = false;
    int m_lastRow = -1;
    QKeyEvent *m_keyInFlight = nullptr;
    QKeyEvent *m_keyInEditor = nullptr;
    std::unique_ptr<LeaveCheck> m_leaveCheck;
    QPointer<QWidget> m_editor;
    QPersistentModelIndex m_editIndex;
    // Per column: the format its texts were measured in, and their widest width.
    QHash<int, QPair<QString, int>> m_textWidths;
    bool m_fitPending = false;
    bool m_wrapPending = false;
};

} // namespace kelm
