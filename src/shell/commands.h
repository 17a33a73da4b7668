#pragma once
#include <QString>
#include <functional>

#include "shell/targets.h"

namespace kelm {

// Runs the main-window command of a menu control that asks for search conditions
// first (mnuSprKola, mnuDataKyrc, ...): status texts, hourglass, mode word, the
// dialog with its caption, then the action text, scratch table and target.
// Returns false when the control is not such a command. A failure inside the
// command (a database error) is shown in DiaInf and ends only that command; the
// pointer is normal again on every path.
bool runSearchCommand(const QString &control);
// The targets a search command can end in (one, or one per option of Курсове от
// шофьор); empty when the control is no search command.
QStringList searchCommandTargets(const QString &control);

// The scratch-table builder the commands call (by default CreateTempTable).
// Tests put an observer in its place; an empty function restores the default.
// (Targets are observed through setTargetRunner in shell/targets.h.)
using TempTableBuilder = std::function<void(const QString &table)>;
void setTempTableBuilder(TempTableBuilder builder);

} // namespace kelm
