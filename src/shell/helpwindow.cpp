#include "shell/helpwindow.h"

#include "dialogs/messages.h"
#include "platform/placement.h"
#include "shell/frmabout.h"

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace kelm {

namespace {
QPointer<HelpWindow> s_window;

QString titleOf(const QString &html, int topic)
{
    static const QRegularExpression heading(QStringLiteral("<h[1-3][^>]*>(.*?)</h[1-3]>"),
                                            QRegularExpression::DotMatchesEverythingOption
                                                | QRegularExpression::CaseInsensitiveOption);
    const auto m = heading.match(html);
    if (m.hasMatch()) {
        QString t = m.captured(1);
        t.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        return t.trimmed();
    }
    return QStringLiteral("Тема %1").arg(topic);
}
} // namespace

bool readHelpFile(const QString &path, QMap<int, QString> *topics, QString *why)
{
    QFile f(path);
    if (!f.exists()) {
        if (why)
            *why = QStringLiteral("Файлът с помощта „%1“ не е намерен.").arg(path);
        return false;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        if (why)
            *why = QStringLiteral("Файлът с помощта „%1“ не може да бъде отворен.").arg(path);
        return false;
    }
    const QString text = QString::fromUtf8(f.readAll());
    static const QRegularExpression section(
        QStringLiteral("<section\\s+topic\\s*=\\s*\"(\\d+)\"\\s*>(.*?)</section>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    topics->clear();
    for (auto it = section.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        topics->insert(m.captured(1).toInt(), m.captured(2).trimmed());
    }
    return true;
}

HelpWindow *HelpWindow::existing()
{
    return s_window.data();
}

HelpWindow *HelpWindow::instance()
{
    if (!s_window)
        s_window = new HelpWindow;
    return s_window.data();
}

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Тревалон - Помощ"));
    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setOpenLinks(false);
    connect(txtHelp, &QTextBrowser::anchorClicked, this, &HelpWindow::linkClicked);
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(txtHelp);
    resize(520, 420);
}

QString HelpWindow::currentHtml() const
{
    return txtHelp->toHtml();
}

void HelpWindow::display(int topic)
{
    QString html;
    if (topic == 0) {
        html = m_topics.value(0);
        if (html.isEmpty())
            html = QStringLiteral("<h2>Съдържание</h2>");
        html += QStringLiteral("<ul>");
        for (auto it = m_topics.cbegin(); it != m_topics.cend(); ++it) {
            if (it.key() == 0)
                continue;
            html += QStringLiteral("<li><a href=\"topic:%1\">%2</a></li>")
                        .arg(it.key())
                        .arg(titleOf(it.value(), it.key()).toHtmlEscaped());
        }
        html += QStringLiteral("</ul>");
    } else {
        html = m_topics.value(topic)
            + QStringLiteral("<p><a href=\"topic:0\">Съдържание</a></p>");
    }
    txtHelp->setHtml(html);
    m_topic = topic;
}

void HelpWindow::linkClicked(const QUrl &url)
{
    if (url.scheme() == QLatin1String("topic")) {
        const int topic = url.path().toInt();
        if (topic == 0 || m_topics.contains(topic))
            display(topic);
        else
            msgBox(QStringLiteral("В помощта няма тема %1.").arg(topic));
        return;
    }
    openWebPage(url, [](const QString &why) { msgBox(why); });
}

bool HelpWindow::showTopic(const QString &helpFile, int topic)
{
    QMap<int, QString> topics;
    QString why;
    if (!readHelpFile(helpFile, &topics, &why)) {
        msgBox(why);
        return false;
    }
    if (topic != 0 && !topics.contains(topic)) {
        msgBox(QStringLiteral("В помощта „%1“ няма тема %2.").arg(helpFile).arg(topic));
        return false;
    }
    HelpWindow *w = instance();
    w->m_file = helpFile;
    w->m_topics = topics;
    w->display(topic);
    // Opened anew, it opens over the window asking for help, wholly on that
    // window's screen, smaller when the screen is small; once open it stays
    // where the user put it.
    if (!w->isVisible())
        centreOver(*w, askingWindow(w));
    w->show();
    w->raise();
    w->activateWindow();
    return true;
}

bool HelpWindow::showContents(const QString &helpFile)
{
    return showTopic(helpFile, 0);
}

} // namespace kelm
