#include "shell/targets.h"

#include "reports/tripreports.h"

namespace kelm {

bool runTarget(const QString &name, bool arg)
{
    Q_UNUSED(arg);
    if (name == "PrintTripsByCar") return PrintTripsByCar(), true;
    if (name == "PrintTripsByPeriod") return PrintTripsByPeriod(), true;
    if (name == "PrintTripsByClient") return PrintTripsByClient(), true;
    if (name == "PrintTripsByDriver") return PrintTripsByDriver(), true;
    return false;
}

} // namespace kelm
