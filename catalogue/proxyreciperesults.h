#ifndef PANTREL_CATALOGUE_PROXYRECIPERESULTS_H
#define PANTREL_CATALOGUE_PROXYRECIPERESULTS_H

#include "catalogue/ireciperesults.h"
#include "catalogue/proxybase.h"

// A result cursor of a recipe access program, seen from the system.
class ProxyRecipeResults : public IRecipeResults, public ProxyBase {
public:
    ProxyRecipeResults(RecipeChannel* channel, quint32 objectId);

    qint32 QueryInterface(const GUID& iid, void** object) override;
    qint32 AddRef() override;
    qint32 Release() override;
    qint32 Fetch(IRecipe** recipe) override;
};

#endif
