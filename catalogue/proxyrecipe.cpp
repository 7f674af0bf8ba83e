#include "catalogue/proxyrecipe.h"

#include "catalogue/proxyorvnutrients.h"
#include "catalogue/recipecall.h"
#include "catalogue/recipetext.h"

ProxyRecipe::ProxyRecipe(RecipeChannel* channel, quint32 objectId)
    : ProxyBase(channel, objectId)
{
}

qint32 ProxyRecipe::QueryInterface(const GUID& iid, void** object)
{
    return _queryInterface(iid, object);
}

qint32 ProxyRecipe::AddRef()
{
    return _addRef();
}

qint32 ProxyRecipe::Release()
{
    return _release();
}

qint32 ProxyRecipe::GetID(int* id)
{
    RecipeCall call(_channel(), objectId(), METHOD_GET_ID);
    return _int32Call(&call, id);
}

qint32 ProxyRecipe::GetName(char16_t** name)
{
    *name = nullptr;
    RecipeCall call(_channel(), objectId(), METHOD_GET_NAME);
    qint32 result = RESULT_FAILED;
    std::vector<char16_t> units;
    if (!call.send(&result) || !call.readText(&units))
        return RESULT_FAILED;
    *name = RecipeText::s_SysAllocString(units.data());
    return result;
}

qint32 ProxyRecipe::GetServings(int* servings)
{
    RecipeCall call(_channel(), objectId(), METHOD_GET_SERVINGS);
    return _int32Call(&call, servings);
}

qint32 ProxyRecipe::GetNutrients(IOrvNutrients** nutrients)
{
    *nutrients = nullptr;
    RecipeCall call(_channel(), objectId(), METHOD_GET_NUTRIENTS);
    quint32 id = 0;
    const qint32 result = _objectCall(&call, &id);
    if (id != 0)
        *nutrients = new ProxyOrvNutrients(_channel(), id);
    return result;
}
