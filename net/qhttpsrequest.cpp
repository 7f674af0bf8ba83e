#include "net/qhttpsrequest.h"

#include "net/qhttpsrequesttarget.h"

namespace {
int s_lastId = 0;
}

QHttpsRequest::QHttpsRequest()
    : _id(++s_lastId)
{
}

QHttpsNormalRequest::QHttpsNormalRequest(const QHttpsRequestHeader& header, const QByteArray& data,
                                         QIODevice* to)
    : _header(header)
    , _data(data)
    , _isDevice(false)
    , _to(to)
{
}

QHttpsNormalRequest::QHttpsNormalRequest(const QHttpsRequestHeader& header, QIODevice* data,
                                         QIODevice* to)
    : _header(header)
    , _device(data)
    , _isDevice(true)
    , _to(to)
{
}

void QHttpsNormalRequest::start(QHttpsRequestTarget* client)
{
    if (_isDevice)
        client->startRequest(_header, _device, _to);
    else
        client->startRequest(_header, _data, _to);
}

void QHttpsPGHRequest::start(QHttpsRequestTarget* client)
{
    _header.setValue(QStringLiteral("Host"), client->hostName());
    QHttpsNormalRequest::start(client);
}

QHttpsSetHostRequest::QHttpsSetHostRequest(const QString& host, quint16 port)
    : _host(host)
    , _port(port)
{
}

void QHttpsSetHostRequest::start(QHttpsRequestTarget* client)
{
    client->setServer(_host, _port);
    client->finishWithSuccess();
}

void QHttpsCloseRequest::start(QHttpsRequestTarget* client)
{
    client->startClose();
}
