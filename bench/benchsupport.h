#pragma once
// What the benchmark programs share: the figures of a series of timings, the
// database filled by a child copy of the benchmark, the company of the printouts.

#include "common/globals.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QVector>

#include <algorithm>

namespace kelm::bench {

// A figure of this process from /proc/self/status ("VmRSS:", "VmHWM:"), in kB;
// -1 when it cannot be read.
inline long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray k(key);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(k))
            return line.mid(k.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The middle of a series of timings (0 for none).
inline double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

// The slowest of a series of timings (0 for none).
inline double worst(const QVector<double> &v)
{
    return v.isEmpty() ? 0 : *std::max_element(v.begin(), v.end());
}

// Runs this program again with "--fill <dir> <more...>" so that the timed copy
// starts with the database written and closed; false when the child failed.
inline bool fillInChild(const QString &dir, const QStringList &more = {})
{
    QProcess filler;
    filler.setProcessChannelMode(QProcess::ForwardedChannels);
    filler.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--fill"), dir} + more);
    return filler.waitForFinished(-1) && filler.exitCode() == 0;
}

// The company the benchmark printouts head with.
inline void seedBenchCompany()
{
    gFirmName = QStringLiteral("Транспортна фирма ЕООД");
    gFirmCity = QStringLiteral("София");
    gFirmAddress = QStringLiteral("бул. Витоша 1");
}

} // namespace kelm::bench
