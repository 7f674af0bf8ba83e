#include "testhttpsserver.h"

#include <QSslServer>

namespace {
QSslServer* makeServer(const QSslConfiguration& configuration)
{
    auto* server = new QSslServer;
    server->setSslConfiguration(configuration);
    server->setHandshakeTimeout(2000);
    return server;
}
} // namespace

TestHttpsServer::TestHttpsServer(const QSslConfiguration& configuration, QObject* parent)
    : TestHttpServer(makeServer(configuration), parent)
{
}
