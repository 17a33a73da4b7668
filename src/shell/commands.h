#pragma once
#include <QString>
#include <functional>

namespace kelm {

// Runs the main-window command of a menu control that asks for search conditions
// first (mnuSprKola, mnuDataKyrc, ...): status texts, hourglass, mode word, the
// dialog with its caption, then the action text, scratch table and target.
// Returns false when the control is not such a command. A failure inside the
// command (a database error) is shown in DiaInf and ends only that command; the
// pointer is normal again on every path.
bool runSearchCommand(const QString &control);

// The scratch-table builder and the target runner the commands call (by default
// CreateTempTable and runTarget). Tests put observers in their place; an empty
// function restores the default.
using TempTableBuilder = std::function<void(const QString &table)>;
using TargetRunner = std::function<bool(const QString &target, bool arg)>;
void setTempTableBuilder(TempTableBuilder builder);
void setTargetRunner(TargetRunner runner);

} // namespace kelm
