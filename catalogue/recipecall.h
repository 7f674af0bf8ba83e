#ifndef PANTREL_CATALOGUE_RECIPECALL_H
#define PANTREL_CATALOGUE_RECIPECALL_H

#include <QByteArray>
#include <QtGlobal>

#include <vector>

class RecipeChannel;

// One call of the recipe access protocol, from the request to the last output of the reply.
// It holds the channel for its whole life so that no other call can slip in between.
// Usage: add the arguments, send(), then read every output of the method in order.
class RecipeCall {
public:
    RecipeCall(RecipeChannel* channel, quint32 objectId, qint32 method);
    ~RecipeCall();

    RecipeCall(const RecipeCall&) = delete;
    RecipeCall& operator=(const RecipeCall&) = delete;

    void addInt32(qint32 value);
    void addText(const char16_t* text);
    // Sends the request and reads the result code; false when the channel is taken by
    // another call, is dead, or failed now.
    bool send(qint32* result);

    bool readInt32(qint32* value);
    bool readInt16(qint16* value);
    bool readDouble(double* value);
    bool readText(std::vector<char16_t>* units);

private:
    RecipeChannel* _channel;
    bool _holding;
    QByteArray _request;
};

#endif
