#pragma once
// The shared boxes for real, as a user meets them: while a BoxWatch lives, every
// modal box that comes on screen is recorded (its title and text) and answered:
// with the next of presses, or, when they have run out, with its own close or
// refusing button. A box asked again while it is open (Qt's "Recursive call
// detected") is recorded too, so a test can tell that a message was lost.
#include <QList>
#include <QPair>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QtGlobal>

class BoxWatch {
public:
    // Refuse: the refusing button ("Отказ"), else the box's own close.
    // Enter: the key Enter, as a user answering with the box's default button;
    // a box that Enter leaves open is refused.
    // Accept: the accepting button ("OK"), else the box's own accept.
    enum class Press { Refuse, Enter, Accept };

    BoxWatch();
    explicit BoxWatch(const QList<Press> &presses);
    ~BoxWatch();
    BoxWatch(const BoxWatch &) = delete;
    BoxWatch &operator=(const BoxWatch &) = delete;

    // Title and text of each box seen, in order.
    QList<QPair<QString, QString>> seen;
    // Where each box was on the screen (its geometry, without the frame).
    QList<QRect> places;
    // How the next boxes are answered, one each, in order.
    QList<Press> presses;
    // How many times a box was asked again while it was open.
    int recursions = 0;

private:
    QTimer m_timer;
    QtMessageHandler m_previous;
};
