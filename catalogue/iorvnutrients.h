#ifndef PANTREL_CATALOGUE_IORVNUTRIENTS_H
#define PANTREL_CATALOGUE_IORVNUTRIENTS_H

#include "catalogue/iunknown.h"

// The nutrient values of a recipe, by DBTypes::NutType.
class IOrvNutrients : public IUnknown {
public:
    // *has is non-zero when the recipe has a value for the nutrient.
    virtual qint32 HasNutrient(int nutrient, short* has) = 0;
    virtual qint32 GetNutrient(int nutrient, double* value) = 0;
    ~IOrvNutrients() override = default;
};

#endif
