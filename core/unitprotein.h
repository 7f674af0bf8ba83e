#ifndef PANTREL_CORE_UNITPROTEIN_H
#define PANTREL_CORE_UNITPROTEIN_H

#include "core/unitdescriptor.h"

// Protein, held and shown in grams.
class UnitProtein : public UnitDescriptor {
public:
    UnitProtein();

    QValidator* createValidator(QObject* parent) const override;
};

#endif
