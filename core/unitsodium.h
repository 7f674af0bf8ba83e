#ifndef PANTREL_CORE_UNITSODIUM_H
#define PANTREL_CORE_UNITSODIUM_H

#include "core/unitdescriptor.h"

// Sodium, held and shown in milligrams.
class UnitSodium : public UnitDescriptor {
public:
    UnitSodium();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
