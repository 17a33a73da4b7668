#include "platform/numbers.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace kelm {

double Round(double x, int n)
{
    const double scale = std::pow(10.0, n);
    const double y = x * scale;
    // nearbyint honours the current rounding mode; to-nearest is ties-to-even.
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(y);
    std::fesetround(old);
    return r / scale;
}

QString formatNumber(double x, int decimals)
{
    QString s = formatNumberPoint(x, decimals);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QString formatNumber(double x, const QString &pattern)
{
    const int dot = pattern.indexOf(QLatin1Char('.'));
    if (dot >= 0 && pattern.endsWith(QLatin1Char('#')))
        return formatExact(x, int(pattern.mid(dot + 1).count(QLatin1Char('0'))));
    const int decimals = dot < 0 ? 0 : int(pattern.size() - dot - 1);
    return formatNumber(x, decimals);
}

QString printedTariff(double x, int decimals)
{
    return formatExact(x, decimals);
}

QString formatGeneral(double x)
{
    QString s = QString::number(x, 'f', 6);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString formatExact(double x, int minDecimals)
{
    if (!std::isfinite(x))
        return QString::number(x);
    if (x == 0)
        x = 0; // no "-0"
    QString s = QString::number(x, 'f', QLocale::FloatingPointShortest);
    int decimals = 0;
    if (const auto dot = s.indexOf(QLatin1Char('.')); dot >= 0)
        decimals = int(s.size() - dot - 1);
    else if (minDecimals > 0)
        s += QLatin1Char('.');
    if (decimals < minDecimals)
        s += QString(minDecimals - decimals, QLatin1Char('0'));
    return s.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString formatNumberPoint(double x, int decimals)
{
    if (!std::isfinite(x))
        return QString::number(x, 'f', decimals);
    decimals = std::clamp(decimals, 0, 15);
    // A number is rounded the way a person reads it: by its first 15 significant
    // digits, halves away from zero. 2.675 shows as 2.68 although the nearest
    // double lies just below it; a plain binary rounding would show 2.67.
    const QString e = QString::number(std::fabs(x), 'e', 14); // d.dddddddddddddde±XX
    const int ePos = int(e.indexOf(QLatin1Char('e')));
    QString digits = e.left(ePos);
    digits.remove(1, 1); // 15 digits; digit i stands for 10^(exp - i)
    const int exp = e.mid(ePos + 1).toInt();
    // The value in units of the last decimal place, as a text of digits.
    const int keep = exp + decimals + 1;
    QString units;
    if (keep <= 0) {
        units = QLatin1String(keep == 0 && digits.at(0) >= QLatin1Char('5') ? "1" : "0");
    } else if (keep >= digits.size()) {
        units = digits + QString(keep - digits.size(), QLatin1Char('0'));
    } else {
        units = digits.left(keep);
        if (digits.at(keep) >= QLatin1Char('5')) {
            int i = int(units.size()) - 1;
            for (; i >= 0 && units.at(i) == QLatin1Char('9'); --i)
                units[i] = QLatin1Char('0');
            if (i >= 0)
                units[i] = QChar(units.at(i).unicode() + 1);
            else
                units.prepend(QLatin1Char('1'));
        }
    }
    if (units.size() < decimals + 1)
        units.prepend(QString(decimals + 1 - units.size(), QLatin1Char('0')));
    QString whole = units.left(units.size() - decimals);
    while (whole.size() > 1 && whole.at(0) == QLatin1Char('0'))
        whole.remove(0, 1);
    QString s = whole;
    if (decimals > 0)
        s += QLatin1Char('.') + units.right(decimals);
    // A tiny negative that rounds to nothing reads as zero, without a sign.
    const bool zero = std::all_of(units.cbegin(), units.cend(), [](QChar c) { return c == QLatin1Char('0'); });
    if (x < 0 && !zero)
        s.prepend(QLatin1Char('-'));
    return s;
}

QString moneyText(double x)
{
    return formatNumber(x, 2) + QStringLiteral("лв.");
}

namespace {

// The value of a text written as a number, infinite when it has more digits than a
// double holds ("1" and 308 zeros); nothing for anything else.
std::optional<double> numberOrInfinity(const QString &text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression re(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!re.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (ok || std::isinf(v))
        return v;
    return std::nullopt; // a fraction too small to hold
}

} // namespace

std::optional<double> parseNumber(const QString &text)
{
    const auto v = numberOrInfinity(text);
    if (!v || !std::isfinite(*v))
        return std::nullopt;
    return v;
}

std::optional<double> parseBounded(const QString &text, double bound)
{
    const auto v = parseNumber(text);
    if (!v || std::fabs(*v) > bound)
        return std::nullopt;
    return *v == 0 ? 0.0 : *v;
}

std::optional<double> parseAmount(const QString &text, double bound)
{
    const auto v = parseBounded(text, bound);
    if (!v || *v < 0)
        return std::nullopt;
    return v;
}

QString boundText(double bound)
{
    return formatGeneral(bound);
}

QString overBoundText(double x, double bound)
{
    if (x > bound)
        return QStringLiteral("Числото не може да бъде по-голямо от %1.").arg(boundText(bound));
    if (x < -bound)
        return QStringLiteral("Числото не може да бъде по-малко от %1.").arg(boundText(-bound));
    return QString();
}

QString overBoundText(const QString &typed, double bound)
{
    const auto v = numberOrInfinity(typed);
    return v ? overBoundText(*v, bound) : QString();
}

QString withBoundLine(const QString &message, const QString &typed, double bound)
{
    const QString why = overBoundText(typed, bound);
    if (why.isEmpty())
        return message;
    // The boxes break their lines at a carriage return.
    return message + QLatin1Char('\r') + why;
}

QString amountRefusal(const QString &message, const QString &typed, double bound)
{
    const auto v = numberOrInfinity(typed);
    return v && *v > bound ? withBoundLine(message, typed, bound) : message;
}

std::optional<QDate> parseDate(const QString &text, DateInput input)
{
    static const QRegularExpression dotted(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{2}|\\d{4})$"));
    static const QRegularExpression slashed(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})$"));
    const QString t = text.trimmed();
    int day = 0, month = 0;
    QString year;
    if (const auto m = dotted.match(t); m.hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = m.captured(3);
    } else if (const auto s = slashed.match(t); input == DateInput::AlsoMonthSlashes && s.hasMatch()) {
        month = s.captured(1).toInt();
        day = s.captured(2).toInt();
        year = s.captured(3);
    } else {
        return std::nullopt;
    }
    // "5.12.26" is this century's: nobody enters a trip of 1926.
    const int y = year.size() == 2 ? 2000 + year.toInt() : year.toInt();
    if (y < kFirstYear || y > kLastYear)
        return std::nullopt;
    const QDate d(y, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

QString formatDate(const QDate &d)
{
    return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QDate toDate(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    const QString s = v.toString().trimmed();
    QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
    if (d.isValid())
        return d;
    if (auto p = parseDate(s))
        return *p;
    return {};
}

QString formatDate(const QVariant &v)
{
    return formatDate(toDate(v));
}

QString padNumber10(const QString &text)
{
    const QString t = text.trimmed();
    return t.size() >= 10 ? t : QString(10 - t.size(), QLatin1Char('0')) + t;
}

QString likePrefix(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    for (const QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('%');
    return out;
}

} // namespace kelm
