#pragma once

// A server on 127.0.0.1 that offers nothing newer than TLS 1.0, as old servers still do. It is
// built on OpenSSL itself, with the security level lowered so that the library offers that
// protocol at all, and it only ever answers the handshake.

#include <QObject>
#include <QSslConfiguration>
#include <QTcpServer>

#include <openssl/types.h>

class OutdatedTlsServer : public QObject
{
public:
    // The server presents the certificate and key of identity.
    explicit OutdatedTlsServer(const QSslConfiguration& identity, QObject* parent = nullptr);
    ~OutdatedTlsServer() override;

    quint16 port() const { return _server.serverPort(); }

private:
    void _accept();

    QTcpServer _server;
    SSL_CTX* _context = nullptr;
};
