#pragma once
#include <QString>

namespace kelm {

// The one place the program's version lives; captions and report footers read it here.
constexpr int kVersionMajor = KELM_VERSION_MAJOR;
constexpr int kVersionMinor = KELM_VERSION_MINOR;
constexpr int kVersionRevision = KELM_VERSION_PATCH;

inline QString versionFull()
{
    return QString::number(kVersionMajor) + "." + QString::number(kVersionMinor) + "."
        + QString::number(kVersionRevision);
}
inline QString versionShort()
{
    return QString::number(kVersionMajor) + "." + QString::number(kVersionMinor);
}
// "Тревалон 2.3 - <screen>": the caption most screens carry.
inline QString screenCaption(const QString &screen)
{
    return QStringLiteral("Тревалон ") + versionShort() + " - " + screen;
}

} // namespace kelm
