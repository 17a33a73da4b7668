#include "boxwatch.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {
BoxWatch *s_watch = nullptr;
QtMessageHandler s_outer = nullptr;

void watchMessages(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (s_watch && msg.contains(QLatin1String("Recursive call detected")))
        ++s_watch->recursions;
    if (s_outer)
        s_outer(type, context, msg);
}
} // namespace

BoxWatch::BoxWatch() : BoxWatch(QList<Press>{}) {}

BoxWatch::BoxWatch(const QList<Press> &answers) : presses(answers)
{
    s_watch = this;
    m_previous = qInstallMessageHandler(watchMessages);
    s_outer = m_previous;
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        QString text;
        if (auto *l = box->findChild<QLabel *>(QStringLiteral("Label1")))
            text = l->text();
        else if (auto *m = qobject_cast<QMessageBox *>(box))
            text = m->text();
        seen.append({box->windowTitle(), text});
        places.append(box->geometry());
        const Press press = presses.isEmpty() ? Press::Refuse : presses.takeFirst();
        QPointer<QDialog> open(box);
        if (press == Press::Enter) {
            QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
        } else if (press == Press::Accept) {
            if (auto *ok = box->findChild<QPushButton *>(QStringLiteral("OKButton")))
                ok->click();
            else
                box->accept();
        }
        if (!open || !open->isVisible())
            return;
        // The refusing button where there is one, else the box's only button.
        if (auto *cancel = box->findChild<QPushButton *>(QStringLiteral("CancelButton")))
            cancel->click();
        else
            box->reject();
    });
    m_timer.start();
}

BoxWatch::~BoxWatch()
{
    m_timer.stop();
    qInstallMessageHandler(m_previous);
    s_watch = nullptr;
}
