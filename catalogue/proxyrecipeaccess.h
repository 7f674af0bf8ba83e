#ifndef PANTREL_CATALOGUE_PROXYRECIPEACCESS_H
#define PANTREL_CATALOGUE_PROXYRECIPEACCESS_H

#include "catalogue/irecipeaccess.h"
#include "catalogue/proxybase.h"

// The recipe access object of a recipe access program, seen from the system.
class ProxyRecipeAccess : public IRecipeAccess, public ProxyBase {
public:
    ProxyRecipeAccess(RecipeChannel* channel, quint32 objectId);

    qint32 QueryInterface(const GUID& iid, void** object) override;
    qint32 AddRef() override;
    qint32 Release() override;
    qint32 DoSearch(const char16_t* text, IRecipeResults** results) override;
    qint32 GetRecipe(int id, IRecipe** recipe) override;
};

#endif
