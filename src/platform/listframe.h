#pragma once
// The frame the list screens share: a read-only, bold, centred title line `Text1`
// over the grid `GridEX1`, which takes the spare height; each screen adds its own
// bottom rows (keys, totals, buttons) to the frame's layout under them.

#include <QFont>
#include <QString>
#include <QVBoxLayout>

#include <initializer_list>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kelm {

class Grid;

struct ListFrame {
    QLineEdit *title = nullptr; // "Text1"
    Grid *grid = nullptr;       // "GridEX1"
    QVBoxLayout *layout = nullptr;
    QFont bold;                 // the title's face, for the bold labels
};

// Makes the title line and the grid on `screen`, in the screen's new vertical
// layout.
ListFrame buildListFrame(QWidget *screen);
// A named label of the bottom rows, bold or in the plain face; at least
// leastWidth wide when given, and always as wide as its text.
QLabel *listLabel(QWidget *screen, const QString &name, const QString &text, bool bold = true, int leastWidth = 0);
// A named button of the bottom rows that never takes Enter as the default; at
// least minWidth wide when given, and always as wide as its caption.
QPushButton *listButton(QWidget *screen, const QString &name, const QString &caption, int minWidth = 0);

// One column of a list grid: its caption (centred over it), least width in twips,
// format (empty: none), text alignment (0 left, 1 centre, 2 right) and whether
// its cells take typing.
struct ListColumn {
    const char *caption;
    int width;
    const char *format;
    int align;
    bool editable;
};
// Sets up the grid's first columns, from 1, in order.
void setListColumns(Grid *grid, std::initializer_list<ListColumn> cols);

} // namespace kelm
