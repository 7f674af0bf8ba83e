#ifndef PANTREL_CORE_UNITCALCIUM_H
#define PANTREL_CORE_UNITCALCIUM_H

#include "core/unitdescriptor.h"

// Calcium, held and shown in milligrams.
class UnitCalcium : public UnitDescriptor {
public:
    UnitCalcium();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
