#include "shell/targets.h"

#include "billing/plashtane.h"
#include "fleet/driver.h"
#include "fleet/options.h"
#include "fleet/rowdlist.h"
#include "reports/driverpayreports.h"
#include "reports/tripreports.h"
#include "shell/password.h"
#include "trips/editkm.h"
#include "trips/kurs.h"
#include "trips/insidekurs.h"

namespace kelm {

static TargetRunner s_runner;

void setTargetRunner(TargetRunner runner)
{
    s_runner = std::move(runner);
}

bool runTarget(const QString &name, bool arg)
{
    if (s_runner)
        return s_runner(name, arg);
    if (name == "PassWord") { showPassWord(); return true; }
    if (name == "Driver") { showDriver(); return true; }
    if (name == "Options") { showOptions(); return true; }
    if (name == "Kurs") { showKurs(); return true; }
    if (name == "EditKM") { showEditKM(); return true; }
    if (name == "RowdList") { showRowdList(); return true; }
    if (name == "InsideKurs") { showInsideKurs(); return true; }
    if (name == "PrintTripsByCar") return PrintTripsByCar(), true;
    if (name == "PrintTripsByPeriod") return PrintTripsByPeriod(), true;
    if (name == "PrintTripsByClient") return PrintTripsByClient(), true;
    if (name == "PrintTripsByDriver") return PrintTripsByDriver(), true;
    if (name == "Plashtane") { showPlashtane(); return true; }
    if (name == "PrintDriverSalary") return PrintDriverSalary(), true;
    if (name == "PrintDriverTrips") return PrintDriverTrips(arg), true;
    return false;
}

} // namespace kelm
