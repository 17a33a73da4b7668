#include "platform/textwidths.h"

#include <QSet>
#include <algorithm>
#include <deque>
#include <iterator>
#include <memory>

namespace kelm {

TextWidths &TextWidths::of(const QFont &font)
{
    static std::deque<std::unique_ptr<TextWidths>> all;
    for (const auto &w : all)
        if (w->m_font == font)
            return *w;
    all.push_back(std::unique_ptr<TextWidths>(new TextWidths(font)));
    return *all.back();
}

TextWidths::TextWidths(const QFont &font) : m_font(font), m_metrics(font)
{
    std::fill(std::begin(m_common), std::end(m_common), -1.0);
    for (const char ch : {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', ',', '.', '-'})
        m_numberAdvance = std::max(m_numberAdvance, advance(QLatin1Char(ch)));
}

double TextWidths::advance(QChar c)
{
    const char16_t u = c.unicode();
    if (u < std::size(m_common)) {
        double &a = m_common[u];
        if (a < 0)
            a = m_metrics.horizontalAdvance(c);
        return a;
    }
    auto it = m_others.constFind(u);
    if (it == m_others.constEnd())
        it = m_others.insert(u, m_metrics.horizontalAdvance(c));
    return *it;
}

double TextWidths::estimate(QStringView text)
{
    double w = 0;
    for (const QChar c : text)
        w += advance(c);
    return w;
}

bool TextWidths::fits(const QString &text, double room)
{
    if (estimate(text) <= estimateRoom(room))
        return true;
    auto it = m_measured.constFind(text);
    if (it == m_measured.constEnd()) {
        if (m_measured.size() >= 20000)
            m_measured.clear();
        it = m_measured.insert(text, measure(text));
    }
    return *it <= room;
}

void WidestText::add(const QString &text, double estimate)
{
    if (estimate > m_most)
        m_most = estimate;
    else if (estimate < nearWidest(m_most))
        return;
    m_near.append({estimate, text});
    // The widest estimate grows as texts come: the ones it has left behind go.
    if (m_near.size() >= 2 * m_keptAtLastDrop + 64)
        dropFarTexts();
}

void WidestText::dropFarTexts()
{
    const double near = nearWidest(m_most);
    m_near.erase(std::remove_if(m_near.begin(), m_near.end(),
                                [near](const QPair<double, QString> &t) { return t.first < near; }),
                 m_near.end());
    m_keptAtLastDrop = m_near.size();
}

double WidestText::measured(const TextWidths &widths) const
{
    const double near = nearWidest(m_most);
    double widest = 0;
    QSet<QString> seen;
    for (const auto &[estimate, text] : m_near) {
        if (estimate < near || seen.contains(text))
            continue;
        seen.insert(text);
        widest = std::max(widest, widths.measure(text));
    }
    return widest;
}

} // namespace kelm
