#ifndef PANTREL_CORE_UNITFAT_H
#define PANTREL_CORE_UNITFAT_H

#include "core/unitdescriptor.h"

// Fat, held and shown in grams.
class UnitFat : public UnitDescriptor {
public:
    UnitFat();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
