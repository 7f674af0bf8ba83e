#ifndef PANTREL_CORE_UNITSTEPS_H
#define PANTREL_CORE_UNITSTEPS_H

#include "core/unitdescriptor.h"

// A day's step count.
class UnitSteps : public UnitDescriptor {
public:
    UnitSteps();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
