#include "core/unitcollection.h"

#include "core/unitcalcium.h"
#include "core/unitcarb.h"
#include "core/unitcholesterol.h"
#include "core/unitenergy.h"
#include "core/unitfat.h"
#include "core/unitfiber.h"
#include "core/unitiron.h"
#include "core/unitmeasurement.h"
#include "core/unitpotassium.h"
#include "core/unitprotein.h"
#include "core/unitsaturatedfat.h"
#include "core/unitsodium.h"
#include "core/unitsteps.h"
#include "core/unitsugar.h"
#include "core/unitweight.h"

#include <cassert>

UnitCollection* UnitCollection::s_instance = nullptr;

UnitCollection* UnitCollection::instance()
{
    if (!s_instance)
        s_instance = new UnitCollection;
    return s_instance;
}

void UnitCollection::cleanUp()
{
    delete s_instance;
    s_instance = nullptr;
}

// Until the first user's preferences are installed: kilocalories, kilograms and inches.
UnitCollection::UnitCollection()
{
    _units[Energy] = std::make_unique<UnitEnergy>(UnitEnergy::Kilocalories);
    _units[Carb] = std::make_unique<UnitCarb>();
    _units[Fat] = std::make_unique<UnitFat>();
    _units[Fiber] = std::make_unique<UnitFiber>();
    _units[Protein] = std::make_unique<UnitProtein>();
    _units[SaturatedFat] = std::make_unique<UnitSaturatedFat>();
    _units[Measurement] = std::make_unique<UnitMeasurement>(UnitMeasurement::Inches);
    _units[Weight] = std::make_unique<UnitWeight>(UnitWeight::Kilograms);
    _units[Steps] = std::make_unique<UnitSteps>();
    _units[Cholesterol] = std::make_unique<UnitCholesterol>();
    _units[Sodium] = std::make_unique<UnitSodium>();
    _units[Sugar] = std::make_unique<UnitSugar>();
    _units[Calcium] = std::make_unique<UnitCalcium>();
    _units[Iron] = std::make_unique<UnitIron>();
    _units[Potassium] = std::make_unique<UnitPotassium>();

    // The slots follow the nutrients but for protein and fibre, which trade places.
    _unitsEnum = {
        {DBTypes::ENERGY, Energy},
        {DBTypes::CARBS, Carb},
        {DBTypes::FAT, Fat},
        {DBTypes::PROTEIN, Protein},
        {DBTypes::FIBER, Fiber},
        {DBTypes::SATFAT, SaturatedFat},
        {DBTypes::CHOLESTEROL, Cholesterol},
        {DBTypes::SODIUM, Sodium},
        {DBTypes::SUGAR, Sugar},
        {DBTypes::CALCIUM, Calcium},
    };
}

UnitCollection::~UnitCollection() = default;

const UnitDescriptor* UnitCollection::get(UnitType type) const
{
    const auto it = _units.find(type);
    assert(it != _units.end() && "unit slot exists");
    return it->second.get();
}

const UnitDescriptor* UnitCollection::get(DBTypes::NutType nut) const
{
    const auto it = _unitsEnum.find(nut);
    assert(it != _unitsEnum.end() && "nutrient has a unit");
    return get(it->second);
}

void UnitCollection::set(UnitType type, UnitDescriptor* descriptor)
{
    assert(descriptor && "a unit slot holds a descriptor");
    const auto it = _units.find(type);
    assert(it != _units.end() && "unit slot exists");
    it->second.reset(descriptor);
}
