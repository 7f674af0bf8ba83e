#ifndef PANTREL_CORE_UNITFIBER_H
#define PANTREL_CORE_UNITFIBER_H

#include "core/unitdescriptor.h"

// Fibre, held and shown in grams; named with the brand's spelling.
class UnitFiber : public UnitDescriptor {
public:
    UnitFiber();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
