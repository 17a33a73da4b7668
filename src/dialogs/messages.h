#pragma once
// The shared boxes: DiaInf (information), Dialog (yes/no) and plain message boxes,
// and the beep. A test can install a MessageCapture: while it lives, nothing is
// shown; every message is recorded and confirmations take their answers from it.

#include <QList>
#include <QString>
#include <functional>

class QDialog;
class QObject;

namespace kelm {

// The picture of a plain message box.
enum class BoxIcon { None, Exclamation, Critical };

struct ShownMessage {
    enum Kind { Info, Confirm, Box };
    Kind kind;
    QString caption;
    QString text;
    BoxIcon icon = BoxIcon::None; // plain message boxes only
};

class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

    static MessageCapture *active();

    QList<ShownMessage> shown;
    // Answers given to confirmations, in order; "no" once they run out.
    QList<bool> answers;
    int beeps = 0;

    // Convenience for tests: the text of the last message, "" when none.
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    QString lastCaption() const { return shown.isEmpty() ? QString() : shown.last().caption; }
    void clear() { shown.clear(); beeps = 0; }

private:
    MessageCapture *m_previous;
};

// Joins message lines the way the boxes expect them: with a carriage return.
QString joinLines(const QStringList &lines);

// Shows a box modally with the normal pointer, even while the hourglass is on: a
// message read under the hourglass would look like the program still works.
void execWithArrow(QDialog &box);

// True while one of the shared boxes (DiaInf, Dialog, msgBox) is on screen.
bool messageOnScreen();

// Runs fn once the present event has been handled and no shared box is on
// screen: a box open then is closed first. Nothing runs once context is gone.
void afterMessages(QObject *context, std::function<void()> fn);

// The check a box schedules when the user leaves it. It runs once, after the
// focus change is over and after the message on screen (if any) was closed, so
// it never asks a shared box that is still open. A check whose value was refused
// in the meantime (by a command checking the same box) is dropped: the same
// refusal never comes twice.
class LeaveCheck {
public:
    explicit LeaveCheck(QObject *context) : m_context(context) {}
    LeaveCheck(const LeaveCheck &) = delete;
    LeaveCheck &operator=(const LeaveCheck &) = delete;

    // Schedules check for the value the box held when it was left; a check still
    // waiting is replaced by it.
    void schedule(const QString &value, std::function<void()> check);
    // The value was refused by another check: a waiting check of it is dropped.
    void refused(const QString &value);
    bool isWaiting() const { return bool(m_check); }

private:
    QObject *m_context;
    QString m_value;
    std::function<void()> m_check;
    quint64 m_ticket = 0;
};

// One beep (QApplication::beep), counted by a MessageCapture.
void beep();

// A plain message box with only "OK". An empty title shows the program's name.
void msgBox(const QString &text, const QString &title = QString(), bool critical = false);
// The same with the given picture (the exclamation mark of a warning, say).
void msgBox(const QString &text, const QString &title, BoxIcon icon);

} // namespace kelm
