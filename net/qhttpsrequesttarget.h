#pragma once

#include "net/qhttpsrequestheader.h"

#include <QByteArray>
#include <QString>

class QIODevice;

// What a queued request asks of the client that works it when its turn comes.
class QHttpsRequestTarget
{
public:
    virtual ~QHttpsRequestTarget() = default;

    virtual void startRequest(const QHttpsRequestHeader& requestHeader, const QByteArray& data,
                              QIODevice* to) = 0;
    virtual void startRequest(const QHttpsRequestHeader& requestHeader, QIODevice* data,
                              QIODevice* to) = 0;
    virtual void startClose() = 0;
    virtual void finishWithSuccess() = 0;
    // The server the requests go to.
    virtual QString hostName() const = 0;
    virtual void setServer(const QString& host, quint16 port) = 0;
};
