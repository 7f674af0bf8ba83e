#ifndef PANTREL_CORE_UNITSUGAR_H
#define PANTREL_CORE_UNITSUGAR_H

#include "core/unitdescriptor.h"

// Sugar, held and shown in grams.
class UnitSugar : public UnitDescriptor {
public:
    UnitSugar();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
