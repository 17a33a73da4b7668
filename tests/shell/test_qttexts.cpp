// Qt's own texts in Bulgarian: standard buttons, message boxes, the file dialog
// and the context menu of a text box, once the program has loaded Qt's
// translations as it does at start-up.
#include "layoutcheck.h"
#include "shell/application.h"

#include <QDialogButtonBox>
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
};

namespace {

bool cyrillic(const QString &s)
{
    static const QRegularExpression re(QStringLiteral("[А-Яа-я]"));
    return re.match(s).hasMatch();
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

QTEST_MAIN(TestQtTexts)
#include "test_qttexts.moc"
