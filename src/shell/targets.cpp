#include "shell/targets.h"

#include "fleet/rowdlist.h"

namespace kelm {

bool runTarget(const QString &name, bool arg)
{
    Q_UNUSED(arg);
    if (name == "RowdList") return showRowdList(), true;
    return false;
}

} // namespace kelm
