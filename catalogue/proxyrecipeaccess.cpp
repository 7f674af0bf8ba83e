#include "catalogue/proxyrecipeaccess.h"

#include "catalogue/proxyrecipe.h"
#include "catalogue/proxyreciperesults.h"
#include "catalogue/recipecall.h"

ProxyRecipeAccess::ProxyRecipeAccess(RecipeChannel* channel, quint32 objectId)
    : ProxyBase(channel, objectId)
{
}

qint32 ProxyRecipeAccess::QueryInterface(const GUID& iid, void** object)
{
    return _queryInterface(iid, object);
}

qint32 ProxyRecipeAccess::AddRef()
{
    return _addRef();
}

qint32 ProxyRecipeAccess::Release()
{
    return _release();
}

qint32 ProxyRecipeAccess::DoSearch(const char16_t* text, IRecipeResults** results)
{
    *results = nullptr;
    RecipeCall call(_channel(), objectId(), METHOD_DO_SEARCH);
    call.addText(text);
    quint32 id = 0;
    const qint32 result = _objectCall(&call, &id);
    if (id != 0)
        *results = new ProxyRecipeResults(_channel(), id);
    return result;
}

qint32 ProxyRecipeAccess::GetRecipe(int recipeId, IRecipe** recipe)
{
    *recipe = nullptr;
    RecipeCall call(_channel(), objectId(), METHOD_GET_RECIPE);
    call.addInt32(recipeId);
    quint32 id = 0;
    const qint32 result = _objectCall(&call, &id);
    if (id != 0)
        *recipe = new ProxyRecipe(_channel(), id);
    return result;
}
