#pragma once
// The shared boxes: DiaInf (information), Dialog (yes/no) and plain message boxes,
// and the beep. A test can install a MessageCapture: while it lives, nothing is
// shown; every message is recorded and confirmations take their answers from it.

#include "platform/prompts.h"

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
// A message's text as a box shows it: "\r\n" and a lone "\r" are each one line break.
QString shownLines(QString text);

// Shows a box modally with the normal pointer, even while the hourglass is on: a
// message read under the hourglass would look like the program still works.
void execWithArrow(QDialog &box);

// One beep (QApplication::beep), counted by a MessageCapture.
void beep();

// A plain message box with only "OK". An empty title shows the program's name.
void msgBox(const QString &text, const QString &title = QString(), bool critical = false);
// The same with the given picture (the exclamation mark of a warning, say).
void msgBox(const QString &text, const QString &title, BoxIcon icon);

// A question in a plain message box with the critical picture, "Yes" and "No",
// "No" the default; true for yes. A capture records it as a confirmation.
bool msgAsk(const QString &text, const QString &title);

// Makes these boxes the ways the ground floor's record screens and grids tell the
// user something (messageOnScreen, afterMessages and LeaveCheck come from there
// too). The program calls it at start; so does every test program.
void installPromptBoxes();

} // namespace kelm
