#pragma once
// The shared boxes for real, as a user meets them: while a BoxWatch lives, every
// modal box that comes on screen is recorded (its title and text) and closed with
// its own close or refusing button. A box asked again while it is open (Qt's
// "Recursive call detected") is recorded too, so a test can tell that a message
// was lost.
#include <QList>
#include <QPair>
#include <QString>
#include <QTimer>
#include <QtGlobal>

class BoxWatch {
public:
    BoxWatch();
    ~BoxWatch();
    BoxWatch(const BoxWatch &) = delete;
    BoxWatch &operator=(const BoxWatch &) = delete;

    // Title and text of each box seen, in order.
    QList<QPair<QString, QString>> seen;
    // How many times a box was asked again while it was open.
    int recursions = 0;

private:
    QTimer m_timer;
    QtMessageHandler m_previous;
};
