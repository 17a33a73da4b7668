// What every list screen relies on of the grid: bound rows, column settings,
// named styles chosen per row, the key hook, editing and deleting switched on
// and off, Rebind, RefreshRows and the shared look.
#include "dialogs/messages.h"
#include "platform/database.h"
#include "platform/grid.h"
#include "testdb.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace kelm;

class TestGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boundRecordsetColumnsAndLook();
    void stylesKeysAndRefresh();
    void editingDeletingAndRebind();
    void keysInAnOpenCell();
    void columnsGrowToTheirWidestText();
};

static void seed(TestDb &db)
{
    const QString sql = "INSERT INTO tabl (Data, kola, Marsh, Klient, km, ton, bruto, Fakt) VALUES (?,?,?,?,?,?,?,?)";
    db.exec(sql, {QDate(2004, 3, 2), "В2", "Б", "К", 10, 1.5, 0.5, 0});
    db.exec(sql, {QDate(2004, 3, 1), "Я1", "А", "К", 20, 2.25, 12.345, 1});
    db.exec(sql, {QDate(2004, 3, 2), "А3", "В", "К", 30, 3.0, 1000.0, 0});
}

void TestGrid::boundRecordsetColumnsAndLook()
{
    TestDb db;
    seed(db);
    Connection &c = db.conn();
    Recordset rs;
    rs.open(c, "SELECT Data, Marsh, Klient, kola, km, ton, bruto, Fakt FROM tabl ORDER BY ID");
    Grid g;
    g.setBoundRecordset(&rs);
    QCOMPARE(g.columnCount(), 8);
    QCOMPARE(g.rowCount(), 3);
    // Sorted by column 1, then column 4; the recordset keeps its own order.
    QCOMPARE(g.value(g.rowAtVisual(0), 4).toString(), QStringLiteral("Я1"));
    QCOMPARE(g.value(g.rowAtVisual(1), 4).toString(), QStringLiteral("А3"));
    QCOMPARE(g.value(g.rowAtVisual(2), 4).toString(), QStringLiteral("В2"));
    QCOMPARE(rs.currentIndex(), g.currentRow());
    g.setCurrentRow(2);
    QCOMPARE(rs.currentIndex(), 2); // moving in the grid moves the record

    g.Columns(1).setCaption("Дата").setWidth(1200).setHeaderAlignment(1);
    g.Columns(5).setFormat("###0").setTextAlignment(2).setEditType(0).setWidth(1200);
    g.Columns(6).setFormat("###0.000");
    g.Columns(7).setFormat("###0.00").setCellStyle("Prihod");
    g.Columns(2).setVisible(false);
    QCoreApplication::processEvents(); // the texts are measured once the columns are set
    QCOMPARE(g.columnWidth(4), 80); // 15 twips to a pixel, where the values fit
    QVERIFY(g.columnWidth(0) > 80); // a bold date needs more than 1200 twips
    QVERIFY(g.isColumnHidden(1));
    QCOMPARE(g.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Дата"));
    QCOMPARE(g.model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignHCenter | Qt::AlignVCenter);
    QCOMPARE(g.text(1, 6), QStringLiteral("2,250"));
    QCOMPARE(g.text(1, 7), QStringLiteral("12,35"));
    QCOMPARE(g.text(1, 1), QStringLiteral("01.03.2004"));
    QVERIFY(!g.Columns(5).editable());
    QCOMPARE(g.Columns(9).isValid(), false);
    // A cell style's colour and alignment.
    const QModelIndex sum = g.model()->index(g.visualRow(1), 6);
    QCOMPARE(sum.data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    QCOMPARE(sum.data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignRight | Qt::AlignVCenter);
    QVERIFY(g.formatStyle("Razhod"));
    QCOMPARE(g.formatStyle("Razhod")->foreColor, QColor(0, 0, 255));
    // The shared look: bold, blue headings, two row colours.
    QVERIFY(g.font().bold());
    QCOMPARE(g.model()->headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
    QCOMPARE(g.model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 128));
    QCOMPARE(g.model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(128, 255, 255));
}

void TestGrid::stylesKeysAndRefresh()
{
    Grid g;
    g.setRows({"Name", "Cena", "Fakt", "Kol"}, QVector<QVariantList>{{"a", "0,50", false, 1}, {"b", "12,00", true, 2}});
    GridStyle &platen = g.addFormatStyle("Platen");
    platen.backColor = vbColor(255);
    platen.foreColor = vbColor(0);
    GridStyle &razh = g.addFormatStyle("RazhPlus");
    razh.backColor = vbColor(255);
    razh.foreColor = vbColor(16777215);
    g.setFormatRow([](GridRowBuffer &b) {
        if (b.value(3).toBool())
            b.rowStyle = "Platen";
        else if (b.number(2) < 1)
            b.rowStyle = "RazhPlus";
    });
    g.setSortColumns({});
    QCOMPARE(g.rowStyle(0), QStringLiteral("RazhPlus"));
    QCOMPARE(g.rowStyle(1), QStringLiteral("Platen"));
    QCOMPARE(g.model()->index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 255, 255));
    QCOMPARE(g.model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));

    // The key hook sees the old key codes first and may swallow the key.
    QList<QPair<int, int>> keys;
    g.setKeyDown([&](int &code, int shift) {
        keys << qMakePair(code, shift);
        if (code == 32) {
            const int r = g.currentRow();
            g.gridModel()->setValue(r, 2, !g.value(r, 3).toBool());
            code = 0;
        }
        g.RefreshRows();
    });
    g.setCurrentRow(0);
    g.sendKey(32);
    g.sendKey(115);
    g.sendKey(40, 2);
    QCOMPARE(keys, (QList<QPair<int, int>>{{32, 0}, {115, 0}, {40, 2}}));
    QCOMPARE(g.currentRow(), 1);
    QCOMPARE(g.rowStyle(0), QStringLiteral("Platen")); // the style follows the changed value

    QSignalSpy focus(&g, &Grid::TakeFocus);
    g.show();
    QApplication::setActiveWindow(&g);
    g.SetFocus();
    QTRY_VERIFY(focus.count() >= 1);
}

void TestGrid::editingDeletingAndRebind()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    Connection &c = db.conn();
    Recordset rs;
    rs.open(c, "SELECT Data, Marsh, Klient, kola, km FROM tabl ORDER BY ID");
    Grid g;
    g.setSortColumns({});
    g.setBoundRecordset(&rs);
    g.Columns(1).setEditType(0);
    g.show();
    QApplication::setActiveWindow(&g);
    g.SetFocus();

    // Read-only until editing is allowed; a locked column never takes typing.
    g.setCurrentIndex(g.model()->index(0, 4));
    g.sendKey(113);
    QVERIFY(!g.isEditing());
    g.setAllowEdit(true);
    g.setCurrentIndex(g.model()->index(0, 0));
    g.sendKey(113);
    QVERIFY(!g.isEditing());
    g.setCurrentIndex(g.model()->index(0, 4));
    g.sendKey(113);
    QVERIFY(g.isEditing());
    QKeyEvent seven(QEvent::KeyPress, Qt::Key_unknown, {}, "7");
    QCoreApplication::sendEvent(QApplication::focusWidget(), &seven); // replaces the selected value
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='Б'").toInt(), 10);
    g.sendKey(40); // leaving the row stores it
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='Б'").toInt(), 7);
    g.setAllowEdit(false);

    // Delete removes the row only while allowed.
    g.setCurrentRow(2);
    g.sendKey(46);
    QCOMPARE(g.rowCount(), 3);
    g.setAllowDelete(true);
    g.sendKey(46);
    QCOMPARE(g.rowCount(), 2);
    QCOMPARE(db.count("tabl"), 2);

    // Rebind after the recordset was reopened on other rows.
    rs.close();
    rs.open(c, "SELECT Data, Marsh, Klient, kola, km FROM tabl WHERE Marsh='А'");
    g.Rebind();
    QCOMPARE(g.rowCount(), 1);
    QCOMPARE(g.text(0, 2), QStringLiteral("А"));
    QVERIFY(mc.shown.isEmpty());
}

// Keys the cell editor has no use for end in the grid: none of them comes back to
// the editor again. Enter and Backtab take the value (checked first) and close the
// editor; the current row stays.
void TestGrid::keysInAnOpenCell()
{
    TestDb db;
    seed(db);
    MessageCapture mc;
    Connection &c = db.conn();
    Recordset rs;
    rs.open(c, "SELECT Data, Marsh, Klient, kola, km FROM tabl ORDER BY ID");
    Grid g;
    g.setSortColumns({});
    g.setBoundRecordset(&rs);
    g.Columns(5).setValidator([](const QString &t) { return t == "13" ? QStringLiteral("Не!") : QString(); });
    int f4 = 0;
    g.setKeyDown([&](int &code, int) {
        if (code == 115) {
            ++f4;
            g.setAllowEdit(true);
        }
    });
    g.show();
    QApplication::setActiveWindow(&g);
    QVERIFY(QTest::qWaitForWindowActive(&g));
    g.SetFocus();
    g.setCurrentIndex(g.model()->index(1, 4));
    g.sendKey(115);
    QCOMPARE(f4, 1);

    auto open = [&](const QString &typed) -> QLineEdit * {
        g.setCurrentIndex(g.model()->index(1, 4));
        g.sendKey(113);
        auto *le = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        if (!le)
            return nullptr;
        le->selectAll();
        le->del();
        QTest::keyClicks(le, typed);
        return le;
    };

    for (Qt::Key key : {Qt::Key_F2, Qt::Key_F4}) {
        QLineEdit *le = open("21");
        QVERIFY(le);
        QTest::keyClick(le, key); // nothing for the editor: the cell stays open as it is
        QVERIFY(g.isEditing());
        QCOMPARE(le->text(), QStringLiteral("21"));
        QTest::keyClick(le, Qt::Key_Escape);
        QVERIFY(!g.isEditing());
    }
    QCOMPARE(f4, 2); // the key hook saw F4 once

    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QLineEdit *le = open("13");
        QVERIFY(le);
        QTest::keyClick(le, key); // refused: the message, the cell stays open
        QCOMPARE(mc.lastText(), QStringLiteral("Не!"));
        QVERIFY(g.isEditing());
        QCOMPARE(le->text(), QStringLiteral("13"));
        mc.clear();
        le->selectAll();
        le->del();
        QTest::keyClicks(le, key == Qt::Key_Return ? "31" : "32");
        QTest::keyClick(le, key); // taken; the editor closes, the row stays
        QVERIFY(!g.isEditing());
        QVERIFY(mc.shown.isEmpty());
        QCOMPARE(g.currentRow(), 1);
        QCOMPARE(g.value(1, 5).toInt(), key == Qt::Key_Return ? 31 : 32);
    }
    QLineEdit *le = open("33");
    QVERIFY(le);
    QTest::keyClick(le, Qt::Key_Backtab); // taken; on to the cell before it, in the same row
    QCOMPARE(g.currentIndex().column(), 3);
    QCOMPARE(g.currentRow(), 1);
    QCOMPARE(g.value(1, 5).toInt(), 33);
    if (g.isEditing())
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!g.isEditing());
    QVERIFY(open("34"));
    g.sendKey(13); // Enter sent from code while the cell is open: taken as typed
    QVERIFY(!g.isEditing());
    QCOMPARE(g.value(1, 5).toInt(), 34);
    QVERIFY(g.commitRow());
    QCOMPARE(db.scalar("SELECT km FROM tabl WHERE Marsh='А'").toInt(), 34);
    QVERIFY(mc.shown.isEmpty());
}

// The room a cell gives its text, as the cell draws it: inside the style's
// margins, left of the grid line.
static int roomFor(const Grid &g, int col)
{
    const int margin = g.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &g) + 1;
    return g.columnWidth(col) - 2 * margin - 1;
}

static bool fits(const Grid &g, int row, int col)
{
    return g.fontMetrics().horizontalAdvance(g.text(row, col + 1)) < roomFor(g, col);
}

void TestGrid::columnsGrowToTheirWidestText()
{
    TestDb db;
    seed(db);
    db.exec("UPDATE tabl SET Marsh=? WHERE Marsh='В'", {QString("София - Пловдив - Бургас - Варна - Русе - Видин - Монтана - Враца")});
    MessageCapture mc;
    Recordset rs;
    rs.open(db.conn(), "SELECT Data, Marsh, km, bruto FROM tabl ORDER BY ID");
    Grid g;
    g.setSortColumns({});
    g.setBoundRecordset(&rs);
    g.Columns(2).setCaption("Маршрут").setWidth(600);
    g.Columns(3).setCaption("Километри по пътя").setWidth(300);
    g.Columns(4).setCaption("Сума").setFormat("###0.00").setWidth(300);
    QCoreApplication::processEvents(); // the texts are measured once the columns are set
    // After the load: the long route, the caption wider than its design, the amounts.
    QVERIFY(fits(g, 2, 1));
    QVERIFY(g.horizontalHeader()->sectionSize(2) >= g.horizontalHeader()->sectionSizeHint(2));
    for (int r = 0; r < g.rowCount(); ++r)
        QVERIFY(fits(g, r, 3));

    // A refresh after code changed the current row, and a correction typed in.
    g.setCurrentRow(0);
    g.gridModel()->setValue(0, 3, 10000000.0);
    g.RefreshRows();
    QVERIFY2(fits(g, 0, 3), qPrintable(g.text(0, 4)));
    g.show();
    QApplication::setActiveWindow(&g);
    g.SetFocus();
    g.setAllowEdit(true);
    g.setCurrentIndex(g.model()->index(1, 2));
    g.sendKey(113);
    QVERIFY(g.isEditing());
    for (int i = 0; i < 5; ++i) {
        QKeyEvent nine(QEvent::KeyPress, Qt::Key_unknown, {}, "9");
        QCoreApplication::sendEvent(QApplication::focusWidget(), &nine);
    }
    g.sendKey(40); // leaving the row stores it
    QCOMPARE(g.text(1, 3), QStringLiteral("99999"));
    QVERIFY(fits(g, 1, 2));
    // A value the screen reckons from the typed one (the amount) fits too.
    connect(&g, &Grid::cellEdited, &g, [&g](int row, int) { g.gridModel()->setValue(row, 3, 123456789.0); });
    g.sendKey(113);
    QKeyEvent one(QEvent::KeyPress, Qt::Key_unknown, {}, "1");
    QCoreApplication::sendEvent(QApplication::focusWidget(), &one);
    g.sendKey(13);
    QCOMPARE(g.text(2, 4), QStringLiteral("123456789,00"));
    QVERIFY2(fits(g, 2, 3), qPrintable(g.text(2, 4)));
    QVERIFY(mc.shown.isEmpty());
}

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
