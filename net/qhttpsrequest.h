#pragma once

#include "net/qhttpsrequestheader.h"

#include <QByteArray>
#include <QString>

class QHttpsRequestTarget;
class QIODevice;

// A queued request of the client. Ids come from one process-wide counter; the first is 1.
class QHttpsRequest
{
public:
    QHttpsRequest();
    virtual ~QHttpsRequest() = default;
    QHttpsRequest(const QHttpsRequest&) = delete;
    QHttpsRequest& operator=(const QHttpsRequest&) = delete;

    int id() const { return _id; }
    virtual void start(QHttpsRequestTarget* client) = 0;
    virtual bool hasRequestHeader() const { return false; }
    virtual QHttpsRequestHeader requestHeader() const { return QHttpsRequestHeader(); }
    virtual QIODevice* sourceDevice() const = 0;
    virtual QIODevice* destinationDevice() const = 0;

private:
    int _id;
};

// A request with a header and a body given as bytes or as a device.
class QHttpsNormalRequest : public QHttpsRequest
{
public:
    QHttpsNormalRequest(const QHttpsRequestHeader& header, const QByteArray& data, QIODevice* to);
    QHttpsNormalRequest(const QHttpsRequestHeader& header, QIODevice* data, QIODevice* to);

    void start(QHttpsRequestTarget* client) override;
    bool hasRequestHeader() const override { return true; }
    QHttpsRequestHeader requestHeader() const override { return _header; }
    QIODevice* sourceDevice() const override { return _isDevice ? _device : nullptr; }
    QIODevice* destinationDevice() const override { return _to; }

protected:
    QHttpsRequestHeader _header;

private:
    QByteArray _data;
    QIODevice* _device = nullptr;
    bool _isDevice;
    QIODevice* _to;
};

// A request built from a path, which names the client's host in its "Host" field.
class QHttpsPGHRequest : public QHttpsNormalRequest
{
public:
    using QHttpsNormalRequest::QHttpsNormalRequest;
    void start(QHttpsRequestTarget* client) override;
};

// Changes the server for the requests behind it.
class QHttpsSetHostRequest : public QHttpsRequest
{
public:
    QHttpsSetHostRequest(const QString& host, quint16 port);
    void start(QHttpsRequestTarget* client) override;
    QIODevice* sourceDevice() const override { return nullptr; }
    QIODevice* destinationDevice() const override { return nullptr; }

private:
    QString _host;
    quint16 _port;
};

// Closes the connection.
class QHttpsCloseRequest : public QHttpsRequest
{
public:
    void start(QHttpsRequestTarget* client) override;
    QIODevice* sourceDevice() const override { return nullptr; }
    QIODevice* destinationDevice() const override { return nullptr; }
};
