#include "catalogue/proxybase.h"

#include "catalogue/iunknown.h"
#include "catalogue/recipecall.h"

#include <cassert>

ProxyBase::ProxyBase(RecipeChannel* channel, quint32 objectId)
    : _channelToChild(channel), _objectId(objectId)
{
}

ProxyBase::~ProxyBase() = default;

qint32 ProxyBase::_queryInterface(const GUID&, void** object)
{
    *object = nullptr;
    assert(!"QueryInterface not supported");
    return RESULT_FAILED;
}

qint32 ProxyBase::_addRef()
{
    return ++_refs + 1;
}

qint32 ProxyBase::_release()
{
    if (_refs > 0)
        return _refs--;
    const qint32 result = _sendRelease();
    delete this;
    return result;
}

qint32 ProxyBase::_sendRelease() const
{
    RecipeCall call(_channelToChild, _objectId, METHOD_RELEASE);
    qint32 result = RESULT_FAILED;
    return call.send(&result) ? result : RESULT_FAILED;
}

qint32 ProxyBase::_objectCall(RecipeCall* call, quint32* id)
{
    qint32 result = RESULT_FAILED;
    qint32 value = 0;
    *id = 0;
    if (!call->send(&result) || !call->readInt32(&value))
        return RESULT_FAILED;
    if (result >= 0)
        *id = quint32(value);
    return result;
}

qint32 ProxyBase::_int32Call(RecipeCall* call, qint32* value)
{
    qint32 result = RESULT_FAILED;
    qint32 output = 0;
    if (!call->send(&result) || !call->readInt32(&output))
        return RESULT_FAILED;
    *value = output;
    return result;
}
