#pragma once
#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

namespace kelm {

// Round(x, n): x·10ⁿ in double precision, to the nearest whole number with exact
// halves going to the even neighbour (62.5 -> 62.5, 1.875 -> 1.88, 0.125 -> 0.12).
double Round(double x, int n = 0);

// Bulgarian number texts with a decimal comma, whatever the machine's locale.
// decimals 0..3 stand for the formats "###0", "###0.0", "###0.00", "###0.000".
QString formatNumber(double x, int decimals);
// The design's format strings ("###0", "###0.0", "###0.00", "###0.000").
QString formatNumber(double x, const QString &pattern);
// A number with as many decimals as it has (up to six), decimal comma: 12,5; 40; 0,125.
QString formatGeneral(double x);
// Same, but with a decimal point where the design writes one with a point.
QString formatNumberPoint(double x, int decimals);

// A typed number: "12,50", "12.50", " 12 " are read; empty or anything else is nothing.
std::optional<double> parseNumber(const QString &text);

// Dates are typed and shown as dd.mm.yyyy (d.m.yyyy accepted on input).
std::optional<QDate> parseDate(const QString &text);
QString formatDate(const QDate &d);
// A date value as read from the database (QDate or stored text) to dd.mm.yyyy.
QString formatDate(const QVariant &v);
QDate toDate(const QVariant &v);

// Numbers used as identifiers: right-aligned into ten characters padded with "0".
QString padNumber10(const QString &text);

// A user's text as a LIKE prefix pattern, with "%", "_" and the escape itself
// escaped so they match only themselves. Use with "LIKE ? ESCAPE '\'".
QString likePrefix(const QString &text);

} // namespace kelm
