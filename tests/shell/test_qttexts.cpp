// Qt's own texts in Bulgarian: standard buttons, message boxes, the file dialog
// and the context menu of a text box, once the program has loaded Qt's
// translations as it does at start-up.
#include "filedialogcheck.h"
#include "layoutcheck.h"
#include "shell/application.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

using namespace kelm;

class TestQtTexts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void standardButtonsAndMessageBoxes();
    void fileDialogAndContextMenu();
    void printAndFileDialogsHaveNoEnglishLeft();
};

namespace {

bool cyrillic(const QString &s)
{
    static const QRegularExpression re(QStringLiteral("[А-Яа-я]"));
    return re.match(s).hasMatch();
}

// Every text a window shows: captions, buttons, frames, list entries, tabs,
// tool tips, and the headings and cells of its lists.
QStringList shownTexts(QWidget *top)
{
    QStringList out;
    QList<QWidget *> all = top->findChildren<QWidget *>();
    all << top;
    for (QWidget *w : all) {
        out << w->toolTip();
        if (auto *l = qobject_cast<QLabel *>(w))
            out << l->text();
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            out << b->text();
        if (auto *g = qobject_cast<QGroupBox *>(w))
            out << g->title();
        if (auto *c = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < c->count(); ++i)
                out << c->itemText(i);
        if (auto *t = qobject_cast<QTabWidget *>(w))
            for (int i = 0; i < t->count(); ++i)
                out << t->tabText(i);
        if (auto *v = qobject_cast<QAbstractItemView *>(w); v && v->model()) {
            const QAbstractItemModel *m = v->model();
            const QModelIndex root = v->rootIndex();
            for (int c = 0; c < m->columnCount(root); ++c) {
                out << m->headerData(c, Qt::Horizontal).toString();
                for (int r = 0; r < m->rowCount(root); ++r)
                    out << m->index(r, c, root).data().toString();
            }
        }
    }
    out.removeAll(QString());
    return out;
}

// The English words Qt's own Bulgarian leaves in its print and file dialogs,
// and the English month abbreviations of the file dialog's dates.
QStringList englishIn(const QStringList &texts)
{
    static const QRegularExpression english(QStringLiteral(
        "\\b(Pages|Double Sided Printing|Off|Long side binding|Short side binding|Advanced|Folder|Drive|"
        "Specify pages|conflicts|bytes|Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)\\b"));
    QStringList found;
    for (const QString &t : texts)
        if (english.match(t).hasMatch())
            found << t;
    return found;
}

} // namespace

void TestQtTexts::initTestCase()
{
    QVERIFY2(loadQtTranslations(*qApp), "qtbase_bg not found (package qt6-translations-l10n)");
}

void TestQtTexts::standardButtonsAndMessageBoxes()
{
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save
                         | QDialogButtonBox::Open | QDialogButtonBox::Yes | QDialogButtonBox::No);
    const QString cancel = box.button(QDialogButtonBox::Cancel)->text();
    QCOMPARE(cancel, QStringLiteral("Отказ"));
    for (QAbstractButton *b : box.buttons())
        QVERIFY2(cyrillic(b->text()), qPrintable(b->text()));

    QMessageBox mb(QMessageBox::Question, QStringLiteral("Въпрос"), QStringLiteral("Да?"),
                   QMessageBox::Yes | QMessageBox::No);
    QVERIFY2(cyrillic(mb.button(QMessageBox::Yes)->text()), qPrintable(mb.button(QMessageBox::Yes)->text()));
    QVERIFY(cyrillic(mb.button(QMessageBox::No)->text()));
}

void TestQtTexts::fileDialogAndContextMenu()
{
    // The right-click menu of every text box.
    QLineEdit edit(QStringLiteral("Д'Арк ООД"));
    edit.show();
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (QAction *a : menu->actions())
        if (!a->isSeparator()) {
            texts << a->text();
            QVERIFY2(cyrillic(a->text()), qPrintable(a->text()));
        }
    QVERIFY(texts.size() >= 6); // undo, redo, cut, copy, paste, delete, select all
    menu->adjustSize();
    lookAt(menu->grab(), "contextmenu.png");

    // Qt's own file dialog: its captions and buttons.
    QFileDialog dlg(nullptr, QStringLiteral("Запис като PDF"), QDir::tempPath(), QStringLiteral("PDF файлове (*.pdf)"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.selectFile(QStringLiteral("Справка за кола.pdf"));
    dlg.resize(640, 420);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
        auto *l = dlg.findChild<QLabel *>(QString::fromLatin1(name));
        QVERIFY2(l, name);
        QVERIFY2(cyrillic(l->text()), qPrintable(l->text()));
    }
    auto *buttons = dlg.findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    for (QAbstractButton *b : buttons->buttons())
        QVERIFY2(cyrillic(b->text()), qPrintable(b->text()));
    lookAt(dlg.grab(), "filedialog.png");
    dlg.close();
}

void TestQtTexts::printAndFileDialogsHaveNoEnglishLeft()
{
    // Qt's print dialog with its options shown, and its printer properties.
    QPrinter printer;
    QPrintDialog print(&printer);
    print.show();
    QVERIFY(QTest::qWaitForWindowExposed(&print));
    QStringList texts = shownTexts(&print);
    QVERIFY(texts.size() > 20);
    QStringList properties;
    QTimer::singleShot(200, [&properties, &print] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != &print && w->isVisible() && qobject_cast<QDialog *>(w)) {
                properties = shownTexts(w);
                lookAt(w->grab(), "printproperties.png");
                static_cast<QDialog *>(w)->reject();
            }
    });
    auto *props = print.findChild<QPushButton *>(QStringLiteral("properties"));
    QVERIFY(props);
    props->click();
    QVERIFY(properties.size() > 5);
    texts << properties;
    lookAt(print.grab(), "printdialog.png");
    print.reject();
    QStringList english = englishIn(texts);
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(" | "))));

    // Qt's own file dialog on a folder with a subfolder and a file, in detail,
    // whatever the machine's locale: its types and dates are Bulgarian too.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Архив")));
    QFile f(QDir(dir.path()).filePath(QStringLiteral("Справка.pdf")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    const QLocale before = QLocale::system();
    QFileDialog dlg(nullptr, QStringLiteral("Запис като PDF"), dir.path(), QStringLiteral("PDF файлове (*.pdf)"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setViewMode(QFileDialog::Detail);
    dlg.resize(760, 420);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // Any file dialog, one Qt opens by itself too, only picks a file.
    QCOMPARE(fileDialogChanges(&dlg), QString());
    auto *tree = dlg.findChild<QTreeView *>(QStringLiteral("treeView"));
    QVERIFY(tree);
    // The folder's rows and their types are read in the background.
    QTRY_VERIFY(tree->model()->rowCount(tree->rootIndex()) == 2
                && !tree->model()->index(0, 2, tree->rootIndex()).data().toString().isEmpty()
                && !tree->model()->index(0, 3, tree->rootIndex()).data().toString().isEmpty());
    texts = shownTexts(&dlg);
    lookAt(dlg.grab(), "filedialog-detail.png");
    english = englishIn(texts);
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(" | "))));
    QCOMPARE(tree->model()->index(0, 2, tree->rootIndex()).data().toString(), QStringLiteral("Папка"));
    QVERIFY2(cyrillic(tree->model()->index(0, 3, tree->rootIndex()).data().toString()),
             qPrintable(tree->model()->index(0, 3, tree->rootIndex()).data().toString()));
    dlg.close();
    // The program's own numbers and dates are untouched.
    QCOMPARE(QLocale::system().name(), before.name());
    QCOMPARE(QLocale().name(), before.name());
}

QTEST_MAIN(TestQtTexts)
#include "test_qttexts.moc"
