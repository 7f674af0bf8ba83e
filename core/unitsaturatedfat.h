#ifndef PANTREL_CORE_UNITSATURATEDFAT_H
#define PANTREL_CORE_UNITSATURATEDFAT_H

#include "core/unitdescriptor.h"

// Saturated fat, held and shown in grams.
class UnitSaturatedFat : public UnitDescriptor {
public:
    UnitSaturatedFat();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
