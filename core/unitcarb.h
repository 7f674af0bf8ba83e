#ifndef PANTREL_CORE_UNITCARB_H
#define PANTREL_CORE_UNITCARB_H

#include "core/unitdescriptor.h"

// Carbohydrate, held and shown in grams.
class UnitCarb : public UnitDescriptor {
public:
    UnitCarb();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
