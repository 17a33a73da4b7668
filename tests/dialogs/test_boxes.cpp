#include "boxwatch.h"
#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "dialogs/messages.h"
#include "dialogs/progdialog.h"
#include "screens.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <functional>
#include <stdexcept>

using namespace kelm;

namespace {
// Runs f on the modal box as soon as it shows.
void whenModal(std::function<void(QWidget *)> f)
{
    QTimer::singleShot(0, [f] {
        QWidget *w = QApplication::activeModalWidget();
        QVERIFY(w);
        f(w);
    });
}
// A second screen right of the first, as an office's second monitor.
void twoScreens()
{
    useOffscreenScreens({QRect(0, 0, 800, 800), QRect(1000, 100, 1024, 768)});
}
Q_CONSTRUCTOR_FUNCTION(twoScreens)
} // namespace

class TestBoxes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void diaInfCaptionDefaultsToInformation();
    void diaInfWindowShowsCaptionAndLines();
    void diaInfTwoLinesStayInsideTheWindow();
    void diaInfLongMessageGrowsTheBox();
    void dialogCloseButtonAnswersNo();
    void dialogEveryShowingStartsAtNo();
    void dialogCapturedAnswersAndBeeps();
    void aBoxAskedWhileOpenIsNotAskedAgain();
    void progressScopeClosesOnEarlyExit();
    void progressClosesAtLastStep();
    void everyBoxOpensOverTheWindowThatAsked();
};

void TestBoxes::diaInfCaptionDefaultsToInformation()
{
    MessageCapture cap;
    DiaInf::show(QStringLiteral("Няма данни"));
    DiaInf::show(QString(), QStringLiteral("Втора"));
    DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), QStringLiteral("Трета"));
    QCOMPARE(cap.shown.size(), 3);
    QCOMPARE(cap.shown.at(0).caption, QStringLiteral("Информация"));
    QCOMPARE(cap.shown.at(1).caption, QStringLiteral("Информация"));
    QCOMPARE(cap.shown.at(2).caption, QStringLiteral("ВНИМАНИЕ!"));
    QCOMPARE(cap.beeps, 3);
    QCOMPARE(cap.shown.at(0).kind, ShownMessage::Info);
}

void TestBoxes::diaInfWindowShowsCaptionAndLines()
{
    QString title, label;
    whenModal([&](QWidget *w) {
        title = w->windowTitle();
        label = w->findChild<QLabel *>(QStringLiteral("Label1"))->text();
        w->findChild<QPushButton *>(QStringLiteral("OKButton"))->click();
    });
    DiaInf::show(QString(), joinLines({QStringLiteral("Ред едно"), QStringLiteral("Ред две")}));
    QCOMPARE(title, QStringLiteral("Информация"));
    QCOMPARE(label, QStringLiteral("Ред едно\nРед две"));
    QVERIFY(!DiaInf::instance().isVisible());
}

void TestBoxes::diaInfTwoLinesStayInsideTheWindow()
{
    QRect labelRect, buttonRect;
    QSize size;
    int textHeight = 0;
    whenModal([&](QWidget *w) {
        auto *l = w->findChild<QLabel *>(QStringLiteral("Label1"));
        labelRect = l->geometry();
        textHeight = l->heightForWidth(l->width());
        buttonRect = w->findChild<QPushButton *>(QStringLiteral("OKButton"))->geometry();
        size = w->size();
        w->findChild<QPushButton *>(QStringLiteral("OKButton"))->click();
    });
    DiaInf::show(QStringLiteral("ГРЕШКА при запис!"),
                 joinLines({QStringLiteral("Няма въведено име на шофьора!"),
                            QStringLiteral("Моля, въведете до 50 символа за име на шофьора!")}));
    QVERIFY2(labelRect.top() >= 0, "the message starts above the window");
    QVERIFY(labelRect.height() >= textHeight);
    QVERIFY2(labelRect.bottom() < buttonRect.top(), "the message runs into the button");
    QVERIFY(buttonRect.bottom() < size.height());
    QVERIFY(labelRect.right() < size.width());
}

void TestBoxes::diaInfLongMessageGrowsTheBox()
{
    QStringList lines;
    for (int i = 0; i < 8; ++i)
        lines << QStringLiteral("Ред номер %1 от едно дълго съобщение").arg(i + 1);
    QRect labelRect, buttonRect;
    QSize size;
    whenModal([&](QWidget *w) {
        labelRect = w->findChild<QLabel *>(QStringLiteral("Label1"))->geometry();
        buttonRect = w->findChild<QPushButton *>(QStringLiteral("OKButton"))->geometry();
        size = w->size();
        w->findChild<QPushButton *>(QStringLiteral("OKButton"))->click();
    });
    DiaInf::show(QString(), joinLines(lines));
    QVERIFY(labelRect.top() >= 0);
    QVERIFY(labelRect.bottom() < buttonRect.top());
    QVERIFY(buttonRect.bottom() < size.height());
    QVERIFY(size.height() > 1275 / 15);
}

void TestBoxes::dialogCloseButtonAnswersNo()
{
    QString title;
    whenModal([&](QWidget *w) {
        title = w->windowTitle();
        w->close(); // the window's own close button
    });
    QVERIFY(!Dialog::ask(QString(), QStringLiteral("Да продължа ли?")));
    QVERIFY(!Dialog::lYes);
    QCOMPARE(title, QStringLiteral("Внимание!"));

    whenModal([](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); });
    QVERIFY(!Dialog::ask(QStringLiteral("Изтриване на запис"), QStringLiteral("Сигурни ли сте?")));
}

void TestBoxes::dialogEveryShowingStartsAtNo()
{
    whenModal([](QWidget *w) { w->findChild<QPushButton *>(QStringLiteral("OKButton"))->click(); });
    QVERIFY(Dialog::ask(QString(), QStringLiteral("Първи въпрос")));
    QVERIFY(Dialog::lYes);

    // The next showing must not inherit the earlier yes when it is closed without an answer.
    bool startedAtNo = true;
    whenModal([&](QWidget *w) {
        startedAtNo = !Dialog::lYes;
        w->close();
    });
    QVERIFY(!Dialog::ask(QString(), QStringLiteral("Втори въпрос")));
    QVERIFY(startedAtNo);

    // Every question of the program deletes or replaces data: "Отказ" is the
    // default, unless a caller asks for "OK".
    bool cancelHasFocus = false;
    whenModal([&](QWidget *w) {
        auto *cancel = w->findChild<QPushButton *>(QStringLiteral("CancelButton"));
        cancelHasFocus = w->focusWidget() == cancel && cancel->isDefault();
        cancel->click();
    });
    QVERIFY(!Dialog::ask(QString(), QStringLiteral("Трети въпрос")));
    QVERIFY(cancelHasFocus);
    bool okHasFocus = false;
    whenModal([&](QWidget *w) {
        okHasFocus = w->focusWidget() == w->findChild<QPushButton *>(QStringLiteral("OKButton"));
        w->findChild<QPushButton *>(QStringLiteral("CancelButton"))->click();
    });
    QVERIFY(!Dialog::ask(QString(), QStringLiteral("Четвърти въпрос"), Dialog::Default::Ok));
    QVERIFY(okHasFocus);
}

void TestBoxes::dialogCapturedAnswersAndBeeps()
{
    MessageCapture cap;
    cap.answers = {true, false};
    QVERIFY(Dialog::ask(QString(), QStringLiteral("1")));
    QVERIFY(!Dialog::ask(QString(), QStringLiteral("2")));
    QVERIFY(!Dialog::ask(QString(), QStringLiteral("3"))); // answers ran out: no
    QCOMPARE(cap.beeps, 3);
    QCOMPARE(cap.shown.at(0).caption, QStringLiteral("Внимание!"));
    QCOMPARE(cap.shown.at(0).kind, ShownMessage::Confirm);
}

// One box at a time: a message for the open DiaInf follows it; a question for the
// open Dialog is answered no without showing.
void TestBoxes::aBoxAskedWhileOpenIsNotAskedAgain()
{
    BoxWatch boxes;
    QTimer::singleShot(0, [] { DiaInf::show(QStringLiteral("Второ")); });
    DiaInf::show(QStringLiteral("Първо"));
    QTRY_COMPARE(boxes.seen.size(), 2);
    QCOMPARE(boxes.seen.at(0).second, QStringLiteral("Първо"));
    QCOMPARE(boxes.seen.at(1).second, QStringLiteral("Второ"));

    bool inner = true;
    QTimer::singleShot(0, [&inner] { inner = Dialog::ask(QString(), QStringLiteral("Вътре?")); });
    QVERIFY(!Dialog::ask(QString(), QStringLiteral("Отвън?")));
    QVERIFY(!inner);
    QCOMPARE(boxes.seen.size(), 3);
    QCOMPARE(boxes.recursions, 0);
}

void TestBoxes::progressScopeClosesOnEarlyExit()
{
    try {
        ProgressScope scope(QStringLiteral("Обработка курсове на шофьор..."), 10);
        QVERIFY(ProgDialog::instance().isVisible());
        QVERIFY(!ProgDialog::instance().OKButton->isEnabled());
        QCOMPARE(ProgDialog::instance().ProgBar->minimum(), 1);
        QCOMPARE(ProgDialog::instance().ProgBar->maximum(), 10);
        scope.step(3);
        QCOMPARE(ProgDialog::instance().ProgBar->value(), 3);
        throw std::runtime_error("a step failed");
    } catch (const std::runtime_error &) {
    }
    QVERIFY(!ProgDialog::instance().isVisible());
    QCOMPARE(ProgDialog::instance().windowTitle(), QStringLiteral("Тревалон 2.3 - Обработка"));
}

void TestBoxes::progressClosesAtLastStep()
{
    ProgressScope scope(QStringLiteral("Създавам списъка на клиентите..."), 3);
    scope.step(2);
    QVERIFY(ProgDialog::instance().isVisible());
    scope.step(3);
    QVERIFY(!ProgDialog::instance().isVisible());
}

// Every message and question opens centred over the window that asked it, on
// that window's screen, not in the middle of the desktop or of another screen.
void TestBoxes::everyBoxOpensOverTheWindowThatAsked()
{
    if (QGuiApplication::screens().size() < 2)
        QSKIP("needs the offscreen platform's second screen");
    const QRect second = QGuiApplication::screens().at(1)->availableGeometry();
    // The asking window in the top left corner of the second screen.
    QWidget asker;
    asker.setWindowTitle(QStringLiteral("Екран"));
    asker.setGeometry(second.left() + 40, second.top() + 60, 420, 300);
    asker.show();
    QVERIFY(QTest::qWaitForWindowActive(&asker));

    BoxWatch boxes;
    DiaInf::show(QStringLiteral("ВНИМАНИЕ!"), QStringLiteral("Съобщение"));
    Dialog::ask(QString(), QStringLiteral("Въпрос?"));
    msgBox(QStringLiteral("Кутия"));
    // Qt's boxes, which stand in while the program's own are not installed.
    installPromptWays({});
    promptInform(QStringLiteral("Сведение"), QStringLiteral("Без кутиите на програмата"));
    promptAsk(QStringLiteral("Въпрос"), QStringLiteral("Без кутиите на програмата?"));
    installPromptBoxes();
    // Asked from a modal dialog on top of the window: over the dialog.
    QDialog top(&asker);
    top.setGeometry(second.left() + 600, second.top() + 400, 300, 200);
    top.open();
    QVERIFY(QTest::qWaitForWindowActive(&top));
    DiaInf::show(QStringLiteral("Над диалога"));
    top.close();

    QCOMPARE(boxes.seen.size(), 6);
    for (int i = 0; i < boxes.seen.size(); ++i) {
        const QRect over = i < 5 ? asker.geometry() : top.geometry();
        const QRect box = boxes.places.at(i);
        QVERIFY2((box.center() - over.center()).manhattanLength() <= 10,
                 qPrintable(QStringLiteral("\"%1\" at (%2,%3), the window's centre (%4,%5)")
                                .arg(boxes.seen.at(i).second)
                                .arg(box.center().x())
                                .arg(box.center().y())
                                .arg(over.center().x())
                                .arg(over.center().y())));
        QVERIFY(second.contains(box));
    }
    QVERIFY(boxes.places.at(0).top() < second.center().y());
}

QTEST_MAIN(TestBoxes)
#include "test_boxes.moc"
