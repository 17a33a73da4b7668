#include "dialogs/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace kelm {

static MessageCapture *s_capture = nullptr;

namespace {

// Shared boxes on screen, and what waits for them to be closed.
int s_boxesOpen = 0;

struct Waiting {
    QPointer<QObject> context;
    std::function<void()> fn;
};
QList<Waiting> s_waiting;

} // namespace

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

void execWithArrow(QDialog &box)
{
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    ++s_boxesOpen;
    box.exec();
    --s_boxesOpen;
    if (busy)
        QApplication::restoreOverrideCursor();
    if (s_boxesOpen == 0 && !s_waiting.isEmpty()) {
        // What waited runs after the code that showed the box has finished too.
        const QList<Waiting> waiting = std::exchange(s_waiting, {});
        for (const Waiting &w : waiting)
            if (w.context)
                afterMessages(w.context, w.fn);
    }
}

bool messageOnScreen()
{
    return s_boxesOpen > 0;
}

void afterMessages(QObject *context, std::function<void()> fn)
{
    QPointer<QObject> ctx(context);
    QTimer::singleShot(0, context, [ctx, fn = std::move(fn)]() mutable {
        if (s_boxesOpen > 0) {
            s_waiting.append({ctx, std::move(fn)});
            return;
        }
        fn();
    });
}

void LeaveCheck::schedule(const QString &value, std::function<void()> check)
{
    m_value = value;
    m_check = std::move(check);
    const quint64 ticket = ++m_ticket;
    afterMessages(m_context, [this, ticket] {
        if (ticket != m_ticket || !m_check)
            return;
        const std::function<void()> run = std::exchange(m_check, nullptr);
        run();
    });
}

void LeaveCheck::refused(const QString &value)
{
    if (m_check && value == m_value)
        m_check = nullptr;
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
    QString shownText = text;
    // "\r\n" is one line break, a lone "\r" too.
    shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shownText.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QMessageBox::Icon picture = icon == BoxIcon::Critical ? QMessageBox::Critical
        : icon == BoxIcon::Exclamation                          ? QMessageBox::Warning
                                                                : QMessageBox::NoIcon;
    QMessageBox box(picture, t, shownText, QMessageBox::Ok, QApplication::activeWindow());
    execWithArrow(box);
}

} // namespace kelm
