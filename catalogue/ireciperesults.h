#ifndef PANTREL_CATALOGUE_IRECIPERESULTS_H
#define PANTREL_CATALOGUE_IRECIPERESULTS_H

#include "catalogue/iunknown.h"

class IRecipe;

// A cursor over the recipes a search found.
class IRecipeResults : public IUnknown {
public:
    // The next recipe: RESULT_OK with *recipe set, or another code at the end.
    virtual qint32 Fetch(IRecipe** recipe) = 0;
    ~IRecipeResults() override = default;
};

#endif
