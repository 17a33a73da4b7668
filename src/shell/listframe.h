#pragma once
// The frame the list screens share: a read-only, bold, centred title line `Text1`
// over the grid `GridEX1`, which takes the spare height; each screen adds its own
// bottom rows (keys, totals, buttons) to the frame's layout under them.

#include <QFont>
#include <QString>
#include <QVBoxLayout>

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
// A named label of the bottom rows, bold or in the plain face.
QLabel *listLabel(QWidget *screen, const QString &name, const QString &text, bool bold = true);
// A named button of the bottom rows that never takes Enter as the default; a
// minimum width when given.
QPushButton *listButton(QWidget *screen, const QString &name, const QString &caption, int minWidth = 0);

} // namespace kelm
