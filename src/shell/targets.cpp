#include "shell/targets.h"

#include "shell/password.h"

namespace kelm {

bool runTarget(const QString &name, bool arg)
{
    Q_UNUSED(arg);
    if (name == "PassWord") { showPassWord(); return true; }
    return false;
}

} // namespace kelm
