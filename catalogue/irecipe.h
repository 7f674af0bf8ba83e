#ifndef PANTREL_CATALOGUE_IRECIPE_H
#define PANTREL_CATALOGUE_IRECIPE_H

#include "catalogue/iunknown.h"

class IOrvNutrients;

// One recipe of a collection.
class IRecipe : public IUnknown {
public:
    virtual qint32 GetID(int* id) = 0;
    // *name is a NUL-terminated UTF-16 text that the caller frees with
    // RecipeText::free, or none.
    virtual qint32 GetName(char16_t** name) = 0;
    virtual qint32 GetServings(int* servings) = 0;
    // The nutrients of the whole recipe.
    virtual qint32 GetNutrients(IOrvNutrients** nutrients) = 0;
    ~IRecipe() override = default;
};

#endif
