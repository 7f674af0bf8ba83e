#include "catalogue/proxyreciperesults.h"

#include "catalogue/proxyrecipe.h"
#include "catalogue/recipecall.h"

ProxyRecipeResults::ProxyRecipeResults(RecipeChannel* channel, quint32 objectId)
    : ProxyBase(channel, objectId)
{
}

qint32 ProxyRecipeResults::QueryInterface(const GUID& iid, void** object)
{
    return _queryInterface(iid, object);
}

qint32 ProxyRecipeResults::AddRef()
{
    return _addRef();
}

qint32 ProxyRecipeResults::Release()
{
    return _release();
}

qint32 ProxyRecipeResults::Fetch(IRecipe** recipe)
{
    *recipe = nullptr;
    RecipeCall call(_channel(), objectId(), METHOD_FETCH);
    quint32 id = 0;
    const qint32 result = _objectCall(&call, &id);
    if (id != 0)
        *recipe = new ProxyRecipe(_channel(), id);
    return result;
}
