#include "shell/targets.h"

#include "fleet/driver.h"
#include "fleet/options.h"
#include "reports/tripreports.h"
#include "shell/password.h"
#include "trips/editkm.h"
#include "trips/kurs.h"

namespace kelm {

bool runTarget(const QString &name, bool arg)
{
    Q_UNUSED(arg);
    if (name == "PassWord") { showPassWord(); return true; }
    if (name == "Driver") { showDriver(); return true; }
    if (name == "Options") { showOptions(); return true; }
    if (name == "Kurs") { showKurs(); return true; }
    if (name == "EditKM") { showEditKM(); return true; }
    if (name == "PrintTripsByCar") return PrintTripsByCar(), true;
    if (name == "PrintTripsByPeriod") return PrintTripsByPeriod(), true;
    if (name == "PrintTripsByClient") return PrintTripsByClient(), true;
    if (name == "PrintTripsByDriver") return PrintTripsByDriver(), true;
    return false;
}

} // namespace kelm
