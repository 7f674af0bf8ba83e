#ifndef PANTREL_CORE_UNITCHOLESTEROL_H
#define PANTREL_CORE_UNITCHOLESTEROL_H

#include "core/unitdescriptor.h"

// Cholesterol, held and shown in milligrams.
class UnitCholesterol : public UnitDescriptor {
public:
    UnitCholesterol();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
