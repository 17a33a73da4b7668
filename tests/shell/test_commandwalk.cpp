#include "shell/commands.h"
#include "shell/frmmain.h"
#include "shell/targets.h"
#include "testdb.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QtTest>

using namespace kelm;

// Every command of the main window, from the menu or the toolbar, must reach a
// screen, a report procedure or one of the window's own actions: a command that
// ends in nothing would leave the user with a status text and no screen.
class TestCommandWalk : public QObject {
    Q_OBJECT
private:
    // What a menu control ends in; "" when it reaches nothing.
    static QString reach(const QString &control)
    {
        const QStringList known = targetNames();
        const QStringList search = searchCommandTargets(control);
        if (!search.isEmpty()) {
            for (const QString &t : search)
                if (!known.contains(t))
                    return QString();
            return search.join(QLatin1Char('/'));
        }
        const QString screen = FrmMain::screenCommandTarget(control);
        if (!screen.isEmpty())
            return known.contains(screen) ? screen : QString();
        return FrmMain::isOwnCommand(control) ? QStringLiteral("own") : QString();
    }

private Q_SLOTS:
    void everyMenuItemAndToolbarKeyReachesItsScreen()
    {
        TestDb db;
        FrmMain w;
        int items = 0;
        QStringList lost;
        for (QAction *a : w.menuActions()) {
            if (a->isSeparator() || a->menu())
                continue;
            ++items;
            // Справка баланс is an item without a command in the design.
            if (a->objectName() == QLatin1String("mnuSprBalans"))
                continue;
            if (reach(a->objectName()).isEmpty())
                lost << a->objectName();
        }
        int keys = 0;
        for (QAction *a : w.tbToolBar->actions()) {
            if (a->isSeparator())
                continue;
            ++keys;
            const QString control = w.buttonControl(a->objectName());
            if (control.isEmpty() || reach(control).isEmpty())
                lost << QStringLiteral("toolbar ") + a->objectName();
        }
        QVERIFY2(lost.isEmpty(), qPrintable(lost.join(QStringLiteral(", "))));
        QCOMPARE(items, 38);
        QCOMPARE(keys, 13);
        // Both options of the driver's trips and the three of Курсове от шофьор.
        QCOMPARE(reach(QStringLiteral("mnuSprShof")),
                 QStringLiteral("PrintTripsByDriver/PrintDriverTrips/PrintDriverTrips"));
        QCOMPARE(reach(QStringLiteral("mnuNoSuchItem")), QString());
    }

    void unknownTargetsAreRefused()
    {
        QVERIFY(!runTarget(QStringLiteral("NoSuchScreen")));
        QVERIFY(targetNames().contains(QStringLiteral("Faktura")));
        QCOMPARE(targetNames().removeDuplicates(), 0);
    }
};

QTEST_MAIN(TestCommandWalk)
#include "test_commandwalk.moc"
