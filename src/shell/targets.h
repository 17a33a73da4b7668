#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace kelm {

// The screens and report procedures that the main window's commands end in, by
// the design's name ("Kurs", "Driver", "PrintTripsByCar", ...). arg carries the
// one Boolean some procedures take (paid, receipts). A target that this build
// does not have does nothing. Returns true when the target exists.
bool runTarget(const QString &name, bool arg = false);
// The names runTarget knows.
QStringList targetNames();

// Tests put an observer in place of the real targets, so that a command can be
// followed to its end without opening a screen. An empty function restores them.
using TargetRunner = std::function<bool(const QString &target, bool arg)>;
void setTargetRunner(TargetRunner runner);

} // namespace kelm
