// The folders of src/ form layers: a folder includes only folders below it, so the
// include graph between folders has no loop; the ground floor (platform) includes no
// other folder, and nothing includes the top (shell) but the entry point.

#include <QDirIterator>
#include <functional>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QtTest>

namespace {

using Graph = QMap<QString, QSet<QString>>;

// Folder -> folders its files include ("folder/..." includes; its own files excepted).
Graph includeGraph(const QString &srcDir)
{
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([a-z_]+)/"),
                                            QRegularExpression::MultilineOption);
    Graph graph;
    QDirIterator it(srcDir, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(srcDir).relativeFilePath(path);
        if (!rel.contains(QLatin1Char('/')))
            continue; // the entry point may include anything
        const QString folder = rel.section(QLatin1Char('/'), 0, 0);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        const QString text = QString::fromUtf8(f.readAll());
        graph[folder];
        for (auto m = include.globalMatch(text); m.hasNext();) {
            const QString to = m.next().captured(1);
            if (to != folder)
                graph[folder].insert(to);
        }
    }
    return graph;
}

// One loop of the graph as "a -> b -> a", or empty when there is none.
QString findLoop(const Graph &graph)
{
    QMap<QString, int> state; // 0 new, 1 on the path, 2 done
    QStringList path;
    std::function<QString(const QString &)> visit = [&](const QString &node) -> QString {
        state[node] = 1;
        path << node;
        for (const QString &next : graph.value(node)) {
            if (state.value(next) == 1)
                return (path.mid(path.indexOf(next)) << next).join(QStringLiteral(" -> "));
            if (state.value(next) == 0) {
                const QString loop = visit(next);
                if (!loop.isEmpty())
                    return loop;
            }
        }
        path.removeLast();
        state[node] = 2;
        return {};
    };
    for (auto it = graph.cbegin(); it != graph.cend(); ++it)
        if (state.value(it.key()) == 0)
            if (const QString loop = visit(it.key()); !loop.isEmpty())
                return loop;
    return {};
}

} // namespace

class TestLayers : public QObject {
    Q_OBJECT
private slots:
    void loopFinderSeesLoops()
    {
        QCOMPARE(findLoop({{"a", {"b"}}, {"b", {"c"}}, {"c", {}}}), QString());
        QCOMPARE(findLoop({{"a", {"b"}}, {"b", {"c"}}, {"c", {"a"}}}), QStringLiteral("a -> b -> c -> a"));
    }

    void foldersFormLayers()
    {
        const Graph graph = includeGraph(QStringLiteral(KELM_SOURCE_DIR "/src"));
        QVERIFY(graph.contains(QStringLiteral("platform")));
        QVERIFY(graph.contains(QStringLiteral("shell")));
        const QString loop = findLoop(graph);
        QVERIFY2(loop.isEmpty(), qPrintable(QStringLiteral("folders include each other: ") + loop));
        QVERIFY2(graph.value(QStringLiteral("platform")).isEmpty(),
                 qPrintable(QStringLiteral("platform includes ")
                            + QStringList(graph.value(QStringLiteral("platform")).values()).join(u',')));
        for (auto it = graph.cbegin(); it != graph.cend(); ++it)
            QVERIFY2(!it.value().contains(QStringLiteral("shell")),
                     qPrintable(it.key() + QStringLiteral(" includes shell")));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "test_layers.moc"
