#ifndef PANTREL_CATALOGUE_IRECIPEACCESS_H
#define PANTREL_CATALOGUE_IRECIPEACCESS_H

#include "catalogue/iunknown.h"

class IRecipe;
class IRecipeResults;

// The entry point of a recipe collection.
class IRecipeAccess : public IUnknown {
public:
    // Searches the collection for a NUL-terminated UTF-16 text; *results is a cursor over
    // the recipes found, or none.
    virtual qint32 DoSearch(const char16_t* text, IRecipeResults** results) = 0;
    // Opens a recipe by its id in the collection; *recipe is none when there is no such one.
    virtual qint32 GetRecipe(int id, IRecipe** recipe) = 0;
    ~IRecipeAccess() override = default;
};

#endif
