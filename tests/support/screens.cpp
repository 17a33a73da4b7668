#include "screens.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {
// Set before main, maybe before this file's own statics are made: a function's.
std::string &configPath()
{
    static std::string path;
    return path;
}
} // namespace

void useOffscreenScreens(const QList<QRect> &screens)
{
    if (qgetenv("QT_QPA_PLATFORM") != "offscreen")
        return;
    QJsonArray list;
    int i = 0;
    for (const QRect &r : screens)
        list.append(QJsonObject{{"name", QStringLiteral("Екран%1").arg(++i)},
                                {"x", r.x()},
                                {"y", r.y()},
                                {"width", r.width()},
                                {"height", r.height()}});
    std::string path = (QDir::tempPath() + QStringLiteral("/kelm-screens-XXXXXX")).toStdString();
    const int fd = mkstemp(path.data());
    if (fd < 0)
        return;
    const QByteArray json = QJsonDocument(QJsonObject{{"screens", list}}).toJson();
    const bool written = write(fd, json.constData(), size_t(json.size())) == json.size();
    close(fd);
    if (!written)
        return;
    configPath() = path;
    std::atexit([] { QFile::remove(QString::fromStdString(configPath())); });
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray::fromStdString(path));
}
