#include "shell/targets.h"

#include "fleet/driver.h"
#include "fleet/options.h"
#include "shell/password.h"

namespace kelm {

bool runTarget(const QString &name, bool arg)
{
    Q_UNUSED(arg);
    if (name == "PassWord") { showPassWord(); return true; }
    if (name == "Driver") { showDriver(); return true; }
    if (name == "Options") { showOptions(); return true; }
    return false;
}

} // namespace kelm
