#include "common/textchecks.h"

#include "platform/numbers.h"

namespace kelm {

QString trimSpaces(const QString &s)
{
    int b = 0, e = int(s.size());
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

bool IsBlank(const QString &s)
{
    return trimSpaces(s).isEmpty();
}

int CompareLen(const QString &s, int n)
{
    const auto len = trimSpaces(s).size();
    return len > n ? 1 : (len < n ? -1 : 0);
}

bool IsBadDate(const QString &s)
{
    // Only a real date passes: a month check alone let 31.02.2004 through to a
    // save that then failed or stored a wrong day.
    return !parseDate(trimSpaces(s)).has_value();
}

bool NotInList(const QString &value, const QStringList &list)
{
    return !list.contains(value, Qt::CaseSensitive);
}

bool NotInList(const QString &value, const QVariantList &list)
{
    for (const QVariant &v : list)
        if (v.toString() == value)
            return false;
    return true;
}

} // namespace kelm
