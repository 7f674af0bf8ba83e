#pragma once

#include "testhttpserver.h"

#include <QSslConfiguration>

// The test web server behind the toolkit's own TLS server, with the given certificate.
class TestHttpsServer : public TestHttpServer
{
    Q_OBJECT

public:
    explicit TestHttpsServer(const QSslConfiguration& configuration, QObject* parent = nullptr);

protected:
    QString scheme() const override { return QStringLiteral("https"); }
};
