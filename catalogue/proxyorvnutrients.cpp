#include "catalogue/proxyorvnutrients.h"

#include "catalogue/recipecall.h"

ProxyOrvNutrients::ProxyOrvNutrients(RecipeChannel* channel, quint32 objectId)
    : ProxyBase(channel, objectId)
{
}

qint32 ProxyOrvNutrients::QueryInterface(const GUID& iid, void** object)
{
    return _queryInterface(iid, object);
}

qint32 ProxyOrvNutrients::AddRef()
{
    return _addRef();
}

qint32 ProxyOrvNutrients::Release()
{
    return _release();
}

qint32 ProxyOrvNutrients::HasNutrient(int nutrient, short* has)
{
    RecipeCall call(_channel(), objectId(), METHOD_HAS_NUTRIENT);
    call.addInt32(nutrient);
    qint32 result = RESULT_FAILED;
    qint16 output = 0;
    if (!call.send(&result) || !call.readInt16(&output))
        return RESULT_FAILED;
    *has = output;
    return result;
}

qint32 ProxyOrvNutrients::GetNutrient(int nutrient, double* value)
{
    RecipeCall call(_channel(), objectId(), METHOD_GET_NUTRIENT);
    call.addInt32(nutrient);
    qint32 result = RESULT_FAILED;
    double output = 0.0;
    if (!call.send(&result) || !call.readDouble(&output))
        return RESULT_FAILED;
    *value = output;
    return result;
}
