#include "reports/energyshares.h"

#include "reports/chartparams.h"

#include <algorithm>

EnergyShares::EnergyShares(double fat, double protein, double carbohydrate)
{
    if (fat <= 0.0 && protein <= 0.0 && carbohydrate <= 0.0)
        return;
    _fat = std::clamp(ChartParams::round(fat), 0, 100);
    // Two halves rounded up would pass 100: protein gives way, carbohydrate never drops below 0.
    _protein = std::clamp(ChartParams::round(protein), 0, 100 - _fat);
    _carbohydrate = 100 - _fat - _protein;
}
