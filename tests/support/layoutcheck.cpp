#include "layoutcheck.h"

#include <QCheckBox>
#include <QDir>
#include <QPixmap>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

void checkNoOverlap(QWidget *top)
{
    QList<QWidget *> shown;
    for (QWidget *w : top->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(top) || w->parentWidget() == nullptr)
            continue;
        if (qobject_cast<QLineEdit *>(w) && qobject_cast<QComboBox *>(w->parentWidget()))
            continue; // the list's own text
        if (qobject_cast<QLabel *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w)
            || qobject_cast<QCheckBox *>(w))
            shown << w;
    }
    auto rectOf = [top](QWidget *w) { return QRect(w->mapTo(top, QPoint(0, 0)), w->size()); };
    for (QWidget *w : shown) {
        const bool label = qobject_cast<QLabel *>(w);
        const bool check = qobject_cast<QCheckBox *>(w);
        if (!label && !check)
            continue;
        const QString what = w->objectName() + QStringLiteral(" \"") + w->property("text").toString()
            + QStringLiteral("\"");
        if (label && !static_cast<QLabel *>(w)->wordWrap())
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(what + QStringLiteral(" is cut")));
        if (check)
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(what + QStringLiteral(" is cut")));
        QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(what + QStringLiteral(" outside")));
        for (QWidget *o : shown) {
            if (o == w)
                continue;
            QVERIFY2(!rectOf(w).intersects(rectOf(o)), qPrintable(what + QStringLiteral(" meets ") + o->objectName()));
        }
    }
}

void checkButtonsWhole(QWidget *top)
{
    for (QPushButton *b : top->findChildren<QPushButton *>()) {
        if (!b->isVisibleTo(top) || b->text().isEmpty())
            continue;
        const QString what = b->objectName() + QStringLiteral(" \"") + b->text() + QStringLiteral("\"");
        QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(what + QStringLiteral(" is cut")));
        // Every frame it sits in shows it whole, up to the window.
        for (QWidget *w = b; w != top && w->parentWidget(); w = w->parentWidget())
            QVERIFY2(w->parentWidget()->rect().contains(w->geometry()),
                     qPrintable(what + QStringLiteral(" runs out of ") + w->parentWidget()->objectName()));
    }
}

void lookAt(const QPixmap &picture, const char *name)
{
    if (qEnvironmentVariableIsSet("KELM_SHOTS"))
        picture.save(QDir(qEnvironmentVariable("KELM_SHOTS")).filePath(QString::fromLatin1(name)));
}
