#include "shell/targets.h"

namespace kelm {

bool runTarget(const QString &name, bool arg)
{
    Q_UNUSED(arg);
    Q_UNUSED(name);
    return false;
}

} // namespace kelm
