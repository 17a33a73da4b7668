#pragma once
// The program's help: a window showing one topic of the help file Kelm.hlp.
// The file holds HTML sections, one per topic number:
//   <section topic="5"><h2>Title</h2><p>…</p></section>
// Topic 0, when present, opens the contents page, followed by a list of every topic.

#include <QMap>
#include <QString>
#include <QWidget>

class QTextBrowser;
class QUrl;

namespace kelm {

// Reads every section of a help file. False with a reason when the file is missing
// or unreadable.
bool readHelpFile(const QString &path, QMap<int, QString> *topics, QString *why = nullptr);

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // The one help window, nullptr when none is open.
    static HelpWindow *existing();

    // Shows the topic of the help file; a missing file or topic is reported in a
    // message box and the result is false.
    static bool showTopic(const QString &helpFile, int topic);
    // The contents page: topic 0 and a list of all topics.
    static bool showContents(const QString &helpFile);

    // The topic on show; 0 for the contents page.
    int currentTopic() const { return m_topic; }
    QString currentHtml() const;

    QTextBrowser *txtHelp;

private:
    HelpWindow();
    static HelpWindow *instance();
    void display(int topic);
    void linkClicked(const QUrl &url);

    QString m_file;
    QMap<int, QString> m_topics;
    int m_topic = -1;
};

} // namespace kelm
