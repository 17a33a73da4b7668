#pragma once
// How wide texts are in a font, for a grid column that must hold its widest text
// and a report box that must hold its own, over lists of many thousand rows.
// Shaping a text (kerning, ligatures) costs far more than adding up its letters
// and moves its width from that sum by a few per cent at most: so each text is
// first estimated letter by letter, from advances kept per font, and only a text
// that comes near a limit (its room, or the widest of many) is measured as drawn.
//
//   TextWidths &w = TextWidths::of(font);
//   if (w.fits(text, room)) ...                 // one text against its room
//
//   WidestText widest;                          // the widest of many
//   for (const QString &t : texts)
//       widest.add(t, w.estimate(t));
//   const double most = widest.measured(w);

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPair>
#include <QString>
#include <QStringView>
#include <QVector>

namespace kelm {

// The widths of texts in one font, in the font's own units (pixels for a screen
// font, twips for a report's).
class TextWidths {
public:
    // The one instance for a font, kept for as long as the program runs (a
    // program draws in a handful of fonts).
    static TextWidths &of(const QFont &font);

    const QFont &font() const { return m_font; }
    const QFontMetricsF &metrics() const { return m_metrics; }

    // One letter's advance, asked of the font once.
    double advance(QChar c);
    // A text's width as the sum of its letters' advances.
    double estimate(QStringView text);
    // A text's width as drawn, shaped and kerned.
    double measure(const QString &text) const { return m_metrics.horizontalAdvance(text); }
    // The widest advance of the characters a number is written with (digits,
    // decimal comma and stop, minus).
    double numberAdvance() const { return m_numberAdvance; }

    // Whether a text of one line is no wider than room. The estimate decides
    // when it stays within estimateRoom(room); a text nearer its room is measured
    // as drawn, each such text once (a column's dates and names repeat).
    bool fits(const QString &text, double room);
    // What an estimate must stay within to be taken for a text's width in room.
    static double estimateRoom(double room) { return room * 0.95 - 1; }

private:
    explicit TextWidths(const QFont &font);

    QFont m_font;
    QFontMetricsF m_metrics;
    // Advances of the Latin and Cyrillic letters at hand (-1 until first asked),
    // the rest in a hash.
    double m_common[0x500];
    QHash<char16_t, double> m_others;
    // Texts near their room, as drawn.
    QHash<QString, double> m_measured;
    double m_numberAdvance = 0;
};

// The widest of many texts as drawn. Each text comes with its estimate (from
// TextWidths::estimate in its own font); only the texts whose estimates come near
// the widest estimate are kept and, at the end, measured, so a list of many
// thousand texts costs little more than a short one.
class WidestText {
public:
    void add(const QString &text, double estimate);
    // The widest estimate so far (0 before any text).
    double widestEstimate() const { return m_most; }
    // The widest, as drawn in the font of `widths`, of the texts whose estimates
    // came near the widest estimate; each distinct text is measured once.
    double measured(const TextWidths &widths) const;
    // An estimate below this is surely narrower as drawn than the widest one.
    static double nearWidest(double most) { return most - most / 8 - 4; }

private:
    void dropFarTexts();

    double m_most = 0;
    QVector<QPair<double, QString>> m_near;
    qsizetype m_keptAtLastDrop = 0;
};

} // namespace kelm
