#include "platform/modalwindows.h"

#include <QApplication>
#include <QPointer>
#include <QtGui/qevent.h>
#include <QTimer>
#include <QWidget>

namespace kelm {

namespace {

bool holdsTheProgram(const QWidget *w)
{
    return w && w->isWindow() && w->isVisible() && w->isModal();
}

void bringBack(QWidget *w)
{
    if (!holdsTheProgram(w) || !(w->windowState() & Qt::WindowMinimized))
        return;
    w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
    w->raise();
    w->activateWindow();
}

class ModalWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::WindowStateChange:
            if (watched->isWidgetType()) {
                auto *w = static_cast<QWidget *>(watched);
                // Restored once the change that minimised it is over.
                if (holdsTheProgram(w) && (w->windowState() & Qt::WindowMinimized)) {
                    QPointer<QWidget> window(w);
                    QTimer::singleShot(0, w, [window] { bringBack(window); });
                }
            }
            break;
        case QEvent::ApplicationStateChange:
            if (static_cast<QApplicationStateChangeEvent *>(e)->applicationState() == Qt::ApplicationActive)
                bringBack(QApplication::activeModalWidget());
            break;
        case QEvent::WindowActivate:
            // The program was clicked (or a window of it activated) while the
            // window holding it is minimised.
            if (watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow())
                bringBack(QApplication::activeModalWidget());
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void keepModalWindowsInView()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app)
        return;
    const QString name = QStringLiteral("ModalWatch");
    if (app->findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *watch = new ModalWatch(app);
    watch->setObjectName(name);
    app->installEventFilter(watch);
}

} // namespace kelm
