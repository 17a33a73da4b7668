#include "shell/commands.h"

namespace kelm {

bool runSearchCommand(const QString &control)
{
    Q_UNUSED(control);
    return false;
}

} // namespace kelm
