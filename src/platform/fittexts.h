#pragma once
// Screens laid out at fixed places (the old forms' twips) keep their places, but a
// caption, check box or button whose text needs more room than its place gives
// (a larger font, a longer text) gets it: it grows to its text, everything to its
// right in the same frame moves right by as much, and the frame and the window
// grow with it. So does a list box that adjusts to its contents
// (QComboBox::AdjustToContents): it is as wide as its longest entry. Nothing
// ever shrinks, so calling it again changes nothing.

#include <QLabel>
#include <QPushButton>
#include <algorithm>

class QComboBox;

namespace kelm {

// Fits the texts of a window and of every frame in it; call it once the texts
// are set (again after a mode changes them).
void fitTexts(QWidget *window);

// The width a window needs for its title to show whole in its title bar: the
// title in the title bar's font, bold as most desktops draw it, and room for
// the title bar's icon and buttons on both sides, since many window managers
// centre the title.
int titleBarWidth(const QWidget *window);

// A list box of names or codes the user must read whole (a driver's code and
// name): the box asks for the width of its longest entry (its layout, or
// fitTexts, makes room) and its drop-down is at least as wide as that entry,
// beside its scroll bar. Call it again when the entries change.
void fitListToEntries(QComboBox *box);

// A label or button at least as wide as its design asks, and wider when its
// text needs it. (A widget's minimum width, once set, would hold a layout to it
// even when a larger amount or a longer caption needs more: the text would be
// cut.)
class LeastLabel : public QLabel {
public:
    explicit LeastLabel(const QString &text, QWidget *parent = nullptr, int leastWidth = 0)
        : QLabel(text, parent), m_least(leastWidth) {}
    void setLeastWidth(int w) { m_least = w; updateGeometry(); }
    QSize sizeHint() const override { return atLeast(QLabel::sizeHint()); }
    QSize minimumSizeHint() const override { return atLeast(QLabel::minimumSizeHint()); }

private:
    QSize atLeast(QSize s) const { return {std::max(s.width(), m_least), s.height()}; }
    int m_least;
};

class LeastButton : public QPushButton {
public:
    explicit LeastButton(const QString &text, QWidget *parent = nullptr, int leastWidth = 0)
        : QPushButton(text, parent), m_least(leastWidth) {}
    QSize sizeHint() const override { return atLeast(QPushButton::sizeHint()); }
    QSize minimumSizeHint() const override { return atLeast(QPushButton::minimumSizeHint()); }

private:
    QSize atLeast(QSize s) const { return {std::max(s.width(), m_least), s.height()}; }
    int m_least;
};

} // namespace kelm
