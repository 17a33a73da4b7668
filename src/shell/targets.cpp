#include "shell/targets.h"

#include "billing/klients.h"
#include "billing/faktura.h"
#include "fleet/driver.h"
#include "fleet/options.h"
#include "fleet/rowdlist.h"
#include "reports/storereports.h"
#include "reports/balans.h"
#include "reports/dai.h"
#include "reports/tripreports.h"
#include "reports/waybillreport.h"
#include "shell/password.h"
#include "trips/editkm.h"
#include "trips/kurs.h"
#include "trips/insidekurs.h"
#include "warehouse/nalichsk.h"
#include "warehouse/skladsk.h"
#include "warehouse/sklad.h"

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
    if (name == "Sklad") { showSklad(); return true; }
    if (name == "Sklad_R") { showSklad_R(); return true; }
    if (name == "Klients") { showKlients(); return true; }
    if (name == "Faktura") { showFaktura(); return true; }
    if (name == "PrintTripsByCar") return PrintTripsByCar(), true;
    if (name == "PrintTripsByPeriod") return PrintTripsByPeriod(), true;
    if (name == "PrintTripsByClient") return PrintTripsByClient(), true;
    if (name == "PrintTripsByDriver") return PrintTripsByDriver(), true;
    if (name == "NalichSK") { showNalichSK(); return true; }
    if (name == "SkladSK") { showSkladSK(); return true; }
    if (name == "PrintStoreReport") return PrintStoreReport(arg), true;
    if (name == "Balans") { showBalans(); return true; }
    if (name == "PrintWaybillReport") return PrintWaybillReport(), true;
    if (name == "DAI") { showDAI(); return true; }
    return false;
}

} // namespace kelm
