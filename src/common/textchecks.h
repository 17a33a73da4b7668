#pragma once
// The four checks the screens run on typed text before they save it. They only
// answer; the callers own the messages.

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace kelm {

// True when the text without leading and trailing spaces (code 32 only) is empty.
bool IsBlank(const QString &s);
// 1 when the trimmed text is longer than n characters, 0 when exactly n, -1 when shorter.
int CompareLen(const QString &s, int n);
// True unless the text is a real calendar date typed as dd.mm.yyyy (or d.m.yyyy).
bool IsBadDate(const QString &s);
// True when no element equals the value (exact, case-sensitive); an empty list answers True.
bool NotInList(const QString &value, const QStringList &list);
bool NotInList(const QString &value, const QVariantList &list);

// Trims spaces (code 32) only, at both ends, as the checks do.
QString trimSpaces(const QString &s);

// The longest registration number of a car (trimmed, as the checks count): what
// a trip's car holds, and so what a car of the settings may have, since a longer
// one could never be given a trip.
constexpr int kCarLength = 12;

} // namespace kelm
