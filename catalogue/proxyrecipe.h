#ifndef PANTREL_CATALOGUE_PROXYRECIPE_H
#define PANTREL_CATALOGUE_PROXYRECIPE_H

#include "catalogue/irecipe.h"
#include "catalogue/proxybase.h"

// A recipe of a recipe access program, seen from the system.
class ProxyRecipe : public IRecipe, public ProxyBase {
public:
    ProxyRecipe(RecipeChannel* channel, quint32 objectId);

    qint32 QueryInterface(const GUID& iid, void** object) override;
    qint32 AddRef() override;
    qint32 Release() override;
    qint32 GetID(int* id) override;
    qint32 GetName(char16_t** name) override;
    qint32 GetServings(int* servings) override;
    qint32 GetNutrients(IOrvNutrients** nutrients) override;
};

#endif
