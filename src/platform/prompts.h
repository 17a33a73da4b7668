#pragma once
// How the ground floor tells the user something, and when. The program's own boxes
// live in a layer above this one, so the program installs them at start
// (installPromptWays); until then, and in the tools that never install them, plain
// Qt boxes stand in. The pacing of messages lives here too, since the grid needs it:
// a check scheduled while a box is open waits for the box to close.

#include <QString>

#include <functional>

class QObject;

namespace kelm {

struct PromptWays {
    // A message in the information box, with its caption.
    void (*inform)(const QString &caption, const QString &text) = nullptr;
    // A yes/no question whose yes deletes or replaces data, so that its default
    // answer, the one Enter gives, is no; true for yes.
    bool (*ask)(const QString &caption, const QString &question) = nullptr;
    // A plain message box with only "OK".
    void (*message)(const QString &text) = nullptr;
    // One beep.
    void (*beep)() = nullptr;
};

void installPromptWays(const PromptWays &ways);

void promptInform(const QString &caption, const QString &text);
// Enter answers no.
bool promptAsk(const QString &caption, const QString &question);
void promptMessage(const QString &text);
void promptBeep();

// Counts a shared box as on screen for as long as it lives; what waited for the
// boxes to close runs after the last one closes.
class MessageOnScreen {
public:
    MessageOnScreen();
    ~MessageOnScreen();
    MessageOnScreen(const MessageOnScreen &) = delete;
    MessageOnScreen &operator=(const MessageOnScreen &) = delete;
};

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

} // namespace kelm
