#include "dialogs/messages.h"

#include "dialogs/diainf.h"
#include "dialogs/dialog.h"
#include "platform/placement.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace kelm {

static MessageCapture *s_capture = nullptr;

MessageCapture::MessageCapture() : m_previous(s_capture)
{
    s_capture = this;
}

MessageCapture::~MessageCapture()
{
    s_capture = m_previous;
}

MessageCapture *MessageCapture::active()
{
    return s_capture;
}

QString joinLines(const QStringList &lines)
{
    return lines.join(QLatin1Char('\r'));
}

QString shownLines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void execWithArrow(QDialog &box)
{
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    {
        MessageOnScreen onScreen;
        box.exec();
    }
    if (busy)
        QApplication::restoreOverrideCursor();
}

void beep()
{
    if (s_capture) {
        ++s_capture->beeps;
        return;
    }
    QApplication::beep();
}

void msgBox(const QString &text, const QString &title, bool critical)
{
    msgBox(text, title, critical ? BoxIcon::Critical : BoxIcon::None);
}

void msgBox(const QString &text, const QString &title, BoxIcon icon)
{
    const QString t = title.isEmpty() ? QStringLiteral("Тревалон") : title;
    if (s_capture) {
        s_capture->shown.push_back({ShownMessage::Box, t, text, icon});
        return;
    }
    const QMessageBox::Icon picture = icon == BoxIcon::Critical ? QMessageBox::Critical
        : icon == BoxIcon::Exclamation                          ? QMessageBox::Warning
                                                                : QMessageBox::NoIcon;
    // Qt centres a box over its parent, on the parent's screen.
    QMessageBox box(picture, t, shownLines(text), QMessageBox::Ok, askingWindow());
    execWithArrow(box);
}

bool msgAsk(const QString &text, const QString &title)
{
    if (s_capture) {
        s_capture->shown.push_back({ShownMessage::Confirm, title, text, BoxIcon::Critical});
        return s_capture->answers.isEmpty() ? false : s_capture->answers.takeFirst();
    }
    QMessageBox box(QMessageBox::Critical, title, shownLines(text), QMessageBox::Yes | QMessageBox::No,
                    askingWindow());
    // Every such question deletes something: Enter keeps it.
    box.setDefaultButton(QMessageBox::No);
    execWithArrow(box);
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

void installPromptBoxes()
{
    PromptWays ways;
    ways.inform = [](const QString &caption, const QString &text) { DiaInf::show(caption, text); };
    // The record screens ask before they delete: Enter keeps the record.
    ways.ask = [](const QString &caption, const QString &question) {
        return Dialog::ask(caption, question, Dialog::Default::Cancel);
    };
    ways.message = [](const QString &text) { msgBox(text); };
    ways.beep = [] { beep(); };
    installPromptWays(ways);
}

} // namespace kelm
