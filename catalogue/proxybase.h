#ifndef PANTREL_CATALOGUE_PROXYBASE_H
#define PANTREL_CATALOGUE_PROXYBASE_H

#include <QtGlobal>

struct GUID;
class RecipeCall;
class RecipeChannel;

// What every proxy of an object in a recipe access program shares: the reference count,
// the channel to the program and the object's id there. A proxy starts with one reference;
// AddRef is local, and only the last Release tells the program. Every proxy must be
// released before its channel is closed.
class ProxyBase {
public:
    ProxyBase(RecipeChannel* channel, quint32 objectId);
    virtual ~ProxyBase();

    quint32 objectId() const { return _objectId; }

    // Method numbers of the recipe access protocol.
    enum Method : qint32 {
        METHOD_RELEASE = 1,
        METHOD_DO_SEARCH = 16,
        METHOD_GET_RECIPE = 17,
        METHOD_FETCH = 32,
        METHOD_GET_ID = 48,
        METHOD_GET_NAME = 49,
        METHOD_GET_SERVINGS = 50,
        METHOD_GET_NUTRIENTS = 51,
        METHOD_HAS_NUTRIENT = 64,
        METHOD_GET_NUTRIENT = 65
    };

protected:
    qint32 _queryInterface(const GUID& iid, void** object);
    qint32 _addRef();
    // Drops a reference; the last one releases the object in the program and deletes this.
    qint32 _release();

    RecipeChannel* _channel() const { return _channelToChild; }

    // Sends the call and reads its one output, an object id: 0 when the call failed or its
    // result is negative. Returns the result code.
    static qint32 _objectCall(RecipeCall* call, quint32* id);
    // Sends the call and reads its one output, a 32-bit value. Returns the result code.
    static qint32 _int32Call(RecipeCall* call, qint32* value);

private:
    qint32 _sendRelease() const;

    qint32 _refs = 0; // the number of references less one
    RecipeChannel* _channelToChild; // both directions
    quint32 _objectId;
};

#endif
