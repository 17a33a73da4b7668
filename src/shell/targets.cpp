#include "shell/targets.h"

#include "billing/driverpayreports.h"
#include "billing/faktura.h"
#include "billing/klients.h"
#include "billing/plashtane.h"
#include "fleet/driver.h"
#include "fleet/options.h"
#include "fleet/rowdlist.h"
#include "reports/balans.h"
#include "reports/dai.h"
#include "reports/tripreports.h"
#include "reports/waybillreport.h"
#include "shell/password.h"
#include "trips/editkm.h"
#include "trips/insidekurs.h"
#include "trips/kurs.h"
#include "warehouse/nalichsk.h"
#include "warehouse/sklad.h"
#include "warehouse/skladsk.h"
#include "warehouse/storereports.h"

namespace kelm {

static TargetRunner s_runner;

void setTargetRunner(TargetRunner runner)
{
    s_runner = std::move(runner);
}

namespace {

struct Target {
    const char *name;
    void (*run)(bool arg);
};

// Every screen and report procedure a command can end in.
const Target kTargets[] = {
    {"PassWord", [](bool) { showPassWord(); }},
    {"Driver", [](bool) { showDriver(); }},
    {"Options", [](bool) { showOptions(); }},
    {"Kurs", [](bool) { showKurs(); }},
    {"EditKM", [](bool) { showEditKM(); }},
    {"RowdList", [](bool) { showRowdList(); }},
    {"InsideKurs", [](bool) { showInsideKurs(); }},
    {"Sklad", [](bool) { showSklad(); }},
    {"Sklad_R", [](bool) { showSklad_R(); }},
    {"Klients", [](bool) { showKlients(); }},
    {"Faktura", [](bool) { showFaktura(); }},
    {"PrintTripsByCar", [](bool) { PrintTripsByCar(); }},
    {"PrintTripsByPeriod", [](bool) { PrintTripsByPeriod(); }},
    {"PrintTripsByClient", [](bool) { PrintTripsByClient(); }},
    {"PrintTripsByDriver", [](bool) { PrintTripsByDriver(); }},
    {"NalichSK", [](bool) { showNalichSK(); }},
    {"SkladSK", [](bool) { showSkladSK(); }},
    {"PrintStoreReport", [](bool arg) { PrintStoreReport(arg); }},
    {"Balans", [](bool) { showBalans(); }},
    {"PrintWaybillReport", [](bool) { PrintWaybillReport(); }},
    {"DAI", [](bool) { showDAI(); }},
    {"Plashtane", [](bool) { showPlashtane(); }},
    {"PrintDriverSalary", [](bool) { PrintDriverSalary(); }},
    {"PrintDriverTrips", [](bool arg) { PrintDriverTrips(arg); }},
};

} // namespace

QStringList targetNames()
{
    QStringList names;
    for (const Target &t : kTargets)
        names << QString::fromLatin1(t.name);
    return names;
}

bool runTarget(const QString &name, bool arg)
{
    if (s_runner)
        return s_runner(name, arg);
    for (const Target &t : kTargets)
        if (name == QLatin1String(t.name)) {
            t.run(arg);
            return true;
        }
    return false;
}

} // namespace kelm
