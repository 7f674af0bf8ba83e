#include "catalogue/recipecall.h"

#include "catalogue/recipechannel.h"

RecipeCall::RecipeCall(RecipeChannel* channel, quint32 objectId, qint32 method)
    : _channel(channel), _holding(channel->beginCall())
{
    RecipeChannel::appendInt32(&_request, qint32(objectId));
    RecipeChannel::appendInt32(&_request, method);
}

RecipeCall::~RecipeCall()
{
    if (_holding)
        _channel->endCall();
}

void RecipeCall::addInt32(qint32 value)
{
    RecipeChannel::appendInt32(&_request, value);
}

void RecipeCall::addText(const char16_t* text)
{
    RecipeChannel::appendText(&_request, text);
}

bool RecipeCall::send(qint32* result)
{
    return _holding && _channel->sendRequest(_request) && _channel->readInt32(result);
}

bool RecipeCall::readInt32(qint32* value)
{
    return _holding && _channel->readInt32(value);
}

bool RecipeCall::readInt16(qint16* value)
{
    return _holding && _channel->readInt16(value);
}

bool RecipeCall::readDouble(double* value)
{
    return _holding && _channel->readDouble(value);
}

bool RecipeCall::readText(std::vector<char16_t>* units)
{
    return _holding && _channel->readText(units);
}
