#include "platform/prompts.h"

#include "platform/placement.h"

#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace kelm {

namespace {

PromptWays s_ways;

// Shared boxes on screen, and what waits for them to be closed.
int s_boxesOpen = 0;

struct Waiting {
    QPointer<QObject> context;
    std::function<void()> fn;
};
QList<Waiting> s_waiting;

} // namespace

void installPromptWays(const PromptWays &ways)
{
    s_ways = ways;
}

void promptInform(const QString &caption, const QString &text)
{
    if (s_ways.inform) {
        s_ways.inform(caption, text);
        return;
    }
    MessageOnScreen onScreen;
    QMessageBox::information(askingWindow(), caption, text);
}

bool promptAsk(const QString &caption, const QString &question)
{
    if (s_ways.ask)
        return s_ways.ask(caption, question);
    MessageOnScreen onScreen;
    return QMessageBox::question(askingWindow(), caption, question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
           == QMessageBox::Yes;
}

void promptMessage(const QString &text)
{
    if (s_ways.message) {
        s_ways.message(text);
        return;
    }
    MessageOnScreen onScreen;
    QMessageBox::information(askingWindow(), QString(), text);
}

void promptBeep()
{
    if (s_ways.beep)
        s_ways.beep();
    else
        QApplication::beep();
}

MessageOnScreen::MessageOnScreen()
{
    ++s_boxesOpen;
}

MessageOnScreen::~MessageOnScreen()
{
    if (--s_boxesOpen == 0 && !s_waiting.isEmpty()) {
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

} // namespace kelm
