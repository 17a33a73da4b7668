#include "scratch/tripcolumns.h"

#include "platform/listframe.h"
#include "platform/numbers.h"

namespace kelm {

void setTripGridColumns(Grid *grid)
{
    // (A date in the grid's bold face needs a little more than 1200 twips.)
    setListColumns(grid, {{"Дата", 1400, "", 0, false},
                          {"Маршрут", 2600, "", 0, false},
                          {"Товар", 2500, "", 0, false},
                          {"Кола", 1200, "", 1, false},
                          {"Км", 750, "", 2, true},
                          {"Тонаж", 900, "###0.000", 2, false},
                          {"Тар.", 750, kTariffFormat, 2, true},
                          {"Сума", 1100, "###0.00", 2, false}});
}

} // namespace kelm
