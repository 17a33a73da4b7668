#pragma once
#include <QString>

namespace kelm {

// Runs the main-window command of a menu control that asks for search conditions
// first (mnuSprKola, mnuDataKyrc, ...): status texts, hourglass, mode word, the
// dialog with its caption, then the action text, scratch table and target.
// Returns false when the control is not such a command.
bool runSearchCommand(const QString &control);

} // namespace kelm
