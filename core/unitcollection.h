#ifndef PANTREL_CORE_UNITCOLLECTION_H
#define PANTREL_CORE_UNITCOLLECTION_H

#include "core/dbtypes.h"

#include <map>
#include <memory>

class UnitDescriptor;

// The unit descriptors of the program, by slot and by nutrient. The collection owns them;
// switching a user's units replaces the descriptors of the energy, weight and measurement
// slots, so callers ask for a descriptor each time and never keep one.
class UnitCollection {
public:
    enum UnitType {
        Energy = 0,
        Carb = 1,
        Fat = 2,
        Fiber = 3,
        Protein = 4,
        SaturatedFat = 5,
        Cholesterol = 6,
        Sodium = 7,
        Sugar = 8,
        Calcium = 9,
        Iron = 10,
        Potassium = 11,
        Weight = 12,
        Measurement = 13,
        Steps = 14
    };

    // Created on first use; the brand must be loaded (the fibre descriptor takes its name
    // from it).
    static UnitCollection* instance();
    static void cleanUp();

    const UnitDescriptor* get(UnitType type) const;
    const UnitDescriptor* get(DBTypes::NutType nut) const;
    // Puts a new descriptor into a slot, taking ownership and deleting the one it replaces.
    void set(UnitType type, UnitDescriptor* descriptor);

    ~UnitCollection();

private:
    UnitCollection();

    static UnitCollection* s_instance;

    std::map<UnitType, std::unique_ptr<UnitDescriptor>> _units;
    std::map<DBTypes::NutType, UnitType> _unitsEnum;
};

#endif
