// Every list screen and the warehouse document screens filled with the widest
// values a real office types: no grid cell narrower than its text, no caption
// or amount cut or overlapping, no button cut off.
#include "billing/faktura.h"
#include "billing/klients.h"
#include "billing/plashtane.h"
#include "dialogs/diaseek.h"
#include "dialogs/diaseekall.h"
#include "dialogs/diaseekalt.h"
#include "dialogs/messages.h"
#include "layoutcheck.h"
#include "platform/dataform.h"
#include "platform/grid.h"
#include "reports/balans.h"
#include "reports/dai.h"
#include "seed.h"
#include "common/globals.h"
#include "scratch/temptable.h"
#include "testdb.h"
#include "fleet/rowdlist.h"
#include "trips/editkm.h"
#include "trips/insidekurs.h"
#include "trips/kurs.h"
#include "trips/sendresive.h"
#include "warehouse/nalichsk.h"
#include "warehouse/sklad.h"
#include "warehouse/skladsk.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTextLayout>
#include <QtTest>

using namespace kelm;

class TestWidestValues : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { db.reset(); }
    void everyListShowsItsValuesWhole();
    void documentScreensShowTheLargestAmountAndEveryButton();
    void stockListKeepsItsNumbersInView();
    void driverListsShowTheWidestDriverWhole();

private:
    std::unique_ptr<TestDb> db;
};

namespace {

// The widest line and the height of a text broken into lines at most room wide,
// at blanks where it can be.
QSize wrappedSize(const QString &text, const QFont &f, int room)
{
    QTextLayout layout(text, f);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal widest = 0, height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(room - 1);
        widest = std::max(widest, line.naturalTextWidth());
        height += QFontMetricsF(f).lineSpacing();
    }
    layout.endLayout();
    return QSize(qCeil(widest), qCeil(height));
}

// Fails at the first column whose caption, or first cell whose text, is wider
// than the room the grid gives it.
void checkGridsWhole(QWidget *screen, const char *name)
{
    const QList<Grid *> grids = screen->findChildren<Grid *>();
    QVERIFY2(!grids.isEmpty(), name);
    for (Grid *g : grids) {
        QVERIFY2(g->rowCount() > 0, name);
        const int margin = g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1;
        for (int c = 0; c < g->columnCount(); ++c) {
            if (g->isColumnHidden(c))
                continue;
            const QString caption = g->model()->headerData(c, Qt::Horizontal).toString();
            QVERIFY2(g->horizontalHeader()->sectionSize(c) >= g->horizontalHeader()->sectionSizeHint(c),
                     qPrintable(QStringLiteral("%1: caption \"%2\" is cut").arg(QLatin1String(name), caption)));
            for (int r = 0; r < g->rowCount(); ++r) {
                const QModelIndex i = g->model()->index(g->visualRow(r), c);
                QFont f = g->font();
                if (const QVariant fv = i.data(Qt::FontRole); fv.isValid())
                    f = fv.value<QFont>().resolve(g->font());
                const QString text = i.data(Qt::DisplayRole).toString();
                const int room = g->columnWidth(c) - (g->showGrid() ? 1 : 0) - 2 * margin;
                // A column that wraps shows a long text over the lines of a taller row.
                const QSize need = g->Columns(c + 1).wraps() ? wrappedSize(text, f, room)
                                                             : QSize(QFontMetrics(f).horizontalAdvance(text), 0);
                QVERIFY2(need.width() <= room && need.height() < g->rowHeight(g->visualRow(r)),
                         qPrintable(QStringLiteral("%1: \"%2\" under \"%3\" is cut")
                                        .arg(QLatin1String(name), text, caption)));
            }
        }
    }
}

template <class W>
void walk(W &w, const char *name)
{
    QVERIFY2(w.load(), name);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(300); // texts set as the screen opens are laid out
    lookAt(w.grab(), (QByteArray(name) + ".png").constData());
    for (Grid *g : w.template findChildren<Grid *>())
        g->horizontalScrollBar()->setValue(g->horizontalScrollBar()->maximum());
    lookAt(w.grab(), (QByteArray(name) + "-right.png").constData());
    checkGridsWhole(&w, name);
    if (QTest::currentTestFailed())
        return;
    checkNoOverlap(&w);
    if (QTest::currentTestFailed())
        return;
    checkButtonsWhole(&w);
}

// The entry shows whole in the list box and in its drop-down list.
void checkEntryWhole(QComboBox *list, const QString &entry, const char *name)
{
    const int index = list->findText(entry);
    QVERIFY2(index >= 0, name);
    list->setCurrentIndex(index);
    const int text = list->fontMetrics().horizontalAdvance(entry);
    // A line edit keeps two pixels either side of its text.
    const int room = list->isEditable() ? list->lineEdit()->width() - 4 : list->width();
    QVERIFY2(text <= room, qPrintable(QStringLiteral("%1: \"%2\" needs %3 in %4").arg(name, entry).arg(text).arg(room)));
    list->showPopup();
    QAbstractItemView *drop = list->view();
    QVERIFY(QTest::qWaitForWindowExposed(drop->window()));
    const int need = drop->sizeHintForIndex(drop->model()->index(index, list->modelColumn())).width();
    QVERIFY2(need <= drop->viewport()->width(),
             qPrintable(QStringLiteral("%1: drop-down %2 for %3").arg(name).arg(drop->viewport()->width()).arg(need)));
    list->hidePopup();
}

} // namespace

void TestWidestValues::init()
{
    db = std::make_unique<TestDb>();
    seedWidestValues(*db);
}

void TestWidestValues::everyListShowsItsValuesWhole()
{
    using namespace widest;
    MessageCapture mc;
    DiaSeek &seek = DiaSeek::instance();
    seekPeriod(seek, QStringLiteral("01.03.2026"), QStringLiteral("31.03.2026"));
    seek.ShofKod = QStringLiteral("001");
    seek.ShofName = kDriver;
    seek.Kola = kCar;
    DiaSeekAll &all = DiaSeekAll::instance();
    seekPeriod(all, QStringLiteral("01.03.2026"), QStringLiteral("31.03.2026"));
    all.Klient = kCompany;
    all.Kola.clear();
    all.Tovar.clear();
    all.Marsh.clear();

    {
        Plashtane w;
        walk(w, "plashtane");
    }
    if (QTest::currentTestFailed())
        return;
    {
        Klients w;
        walk(w, "klients");
    }
    if (QTest::currentTestFailed())
        return;
    {
        CreateTempTable(QStringLiteral("TempPlaten"));
        gSeekMode = QStringLiteral("FaktNew");
        Faktura w;
        walk(w, "faktura");
    }
    if (QTest::currentTestFailed())
        return;
    {
        EditKM w;
        walk(w, "editkm");
    }
    if (QTest::currentTestFailed())
        return;
    {
        SendResive w;
        walk(w, "sendresive");
    }
    if (QTest::currentTestFailed())
        return;
    for (const char *mode : {"Balans", "PreRazh"}) {
        gSeekMode = QString::fromLatin1(mode);
        Balans w;
        walk(w, mode);
        if (QTest::currentTestFailed())
            return;
    }
    {
        SkladSK w;
        walk(w, "skladsk");
    }
    if (QTest::currentTestFailed())
        return;
    {
        seek.sNalich.clear();
        NalichSK w;
        walk(w, "nalichsk");
    }
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.shown.value(0).text));
}

void TestWidestValues::documentScreensShowTheLargestAmountAndEveryButton()
{
    MessageCapture mc;
    auto check = [](Sklad &w, const char *name) {
        QVERIFY2(w.load(), name);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.form()->button(QStringLiteral("cmdFirst"))->click();
        QVERIFY2(w.Label1->text().size() >= 19, qPrintable(w.Label1->text())); // thirteen digits and more
        lookAt(w.grab(), name);
        checkNoOverlap(&w);
        checkButtonsWhole(&w);
        // Correcting shows Запиши and Отказ in the same row.
        w.form()->button(QStringLiteral("cmdEdit"))->click();
        checkButtonsWhole(&w);
        w.form()->button(QStringLiteral("cmdCancel"))->click();
    };
    {
        Sklad w;
        check(w, "sklad.png");
    }
    if (QTest::currentTestFailed())
        return;
    {
        Sklad_R w;
        check(w, "sklad_r.png");
    }
}

void TestWidestValues::stockListKeepsItsNumbersInView()
{
    // Article names have no length of their own: a name longer than the list can
    // show beside its numbers, with a catalogue number no cell is wide enough for.
    const QString name = QStringLiteral("Филтър горивен за двигател Mercedes-Benz Actros MP4 OM471 с уплътнения "
                                        "и монтажен комплект, оригинален, каталожни № "
                                        "A4710902355/A4710902455/A4710902555/A4710902655");
    db->exec(QStringLiteral("INSERT INTO Nalich (Name, Edin, Broi) VALUES (?, 10000000, 1000000)"), {name});
    MessageCapture mc;
    DiaSeek::instance().sNalich.clear();
    NalichSK w;
    QVERIFY(w.load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(300);
    Grid *g = w.GridEX1;
    QCOMPARE(g->rowCount(), 2);
    g->setCurrentRow(1);
    lookAt(w.grab(), "nalichsk-longname.png");
    // Брой, Ед.цена and Сума within the view at the list's opening size.
    for (int c = 2; c < 5; ++c)
        QVERIFY2(g->columnViewportPosition(c) >= 0
                     && g->columnViewportPosition(c) + g->columnWidth(c) <= g->viewport()->width(),
                 qPrintable(g->model()->headerData(c, Qt::Horizontal).toString()));
    // Every text whole, the long name over the lines of its row.
    checkGridsWhole(&w, "nalichsk");
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.shown.value(0).text));
}

// A driver's code and name ("001,Иван Христофор…"), or his name alone, in every
// list box that offers the drivers.
void TestWidestValues::driverListsShowTheWidestDriverWhole()
{
    using namespace widest;
    MessageCapture mc;
    const QString entry = QStringLiteral("001,") + kDriver;
    gSeekMode = QStringLiteral("Driver");
    DiaSeek &seek = DiaSeek::instance();
    seek.prepare();
    seek.show();
    lookAt(seek.grab(), "diaseek-driver.png");
    checkEntryWhole(seek.Combo1, entry, "DiaSeek");
    checkNoOverlap(&seek);
    seek.close();
    if (QTest::currentTestFailed())
        return;
    DiaSeekAlt &alt = DiaSeekAlt::instance();
    alt.prepare();
    alt.show();
    lookAt(alt.grab(), "diaseekalt-driver.png");
    checkEntryWhole(alt.Combo1, entry, "DiaSeekAlt");
    checkNoOverlap(&alt);
    alt.close();
    if (QTest::currentTestFailed())
        return;
    DAI dai;
    QVERIFY(dai.load());
    dai.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dai));
    lookAt(dai.grab(), "dai-driver.png");
    checkEntryWhole(dai.Combo1, kDriver, "DAI");
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(mc.shown.isEmpty(), qPrintable(mc.shown.value(0).text));
    // The record screens that take a driver: the trip editor, a consignment
    // note being added, a waybill sheet being added.
    gSeekMode = QStringLiteral("NewKurs");
    Kurs kurs;
    QVERIFY(kurs.load());
    kurs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&kurs));
    lookAt(kurs.grab(), "kurs-driver.png");
    checkEntryWhole(kurs.Combo5, entry, "Kurs");
    if (QTest::currentTestFailed())
        return;
    InsideKurs inside;
    QVERIFY(inside.load());
    inside.show();
    inside.form()->cmdAdd();
    QTest::qWait(50); // the layout takes the lists' new widths
    auto *note = inside.findChild<QComboBox *>(QStringLiteral("ComboNameShof"));
    lookAt(inside.grab(), "insidekurs-driver.png");
    checkEntryWhole(note, kDriver, "InsideKurs");
    if (QTest::currentTestFailed())
        return;
    RowdList sheets;
    QVERIFY(sheets.load());
    sheets.show();
    sheets.sheetForm()->cmdAdd();
    QTest::qWait(50);
    lookAt(sheets.grab(), "rowdlist-driver.png");
    checkEntryWhole(sheets.ComboNameShof, kDriver, "RowdList");
}

QTEST_MAIN(TestWidestValues)
#include "test_widestvalues.moc"
