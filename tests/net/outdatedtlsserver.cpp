#include "outdatedtlsserver.h"

#include <QSslCertificate>
#include <QSslKey>
#include <QTcpSocket>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <memory>

namespace {

// The SSL session of one connection, released with its socket.
class Session : public QObject
{
public:
    Session(SSL_CTX* context, QTcpSocket* socket)
        : QObject(socket)
        , _ssl(SSL_new(context))
        , _in(BIO_new(BIO_s_mem()))
        , _out(BIO_new(BIO_s_mem()))
    {
        SSL_set_bio(_ssl, _in, _out);
        SSL_set_accept_state(_ssl);
    }
    ~Session() override { SSL_free(_ssl); }

    // Feeds what came in to the handshake and sends what it answers; false once it failed.
    bool take(QTcpSocket* socket)
    {
        const QByteArray bytes = socket->readAll();
        BIO_write(_in, bytes.constData(), int(bytes.size()));
        const int result = SSL_do_handshake(_ssl);
        const bool failed = result <= 0 && SSL_get_error(_ssl, result) != SSL_ERROR_WANT_READ;
        ERR_clear_error();
        char block[4096];
        for (int count; (count = BIO_read(_out, block, sizeof block)) > 0;)
            socket->write(block, count);
        return !failed;
    }

private:
    SSL* _ssl;
    BIO* _in;
    BIO* _out;
};

template<class T, void (*Free)(T*)>
std::unique_ptr<T, void (*)(T*)> owned(T* pointer)
{
    return std::unique_ptr<T, void (*)(T*)>(pointer, Free);
}

} // namespace

OutdatedTlsServer::OutdatedTlsServer(const QSslConfiguration& identity, QObject* parent)
    : QObject(parent)
    , _context(SSL_CTX_new(TLS_server_method()))
{
    SSL_CTX_set_security_level(_context, 0);
    SSL_CTX_set_min_proto_version(_context, TLS1_VERSION);
    SSL_CTX_set_max_proto_version(_context, TLS1_VERSION);
    SSL_CTX_set_cipher_list(_context, "ALL:@SECLEVEL=0");
    const QByteArray certificatePem = identity.localCertificate().toPem();
    const QByteArray keyPem = identity.privateKey().toPem();
    auto certificateBio = owned<BIO, BIO_free_all>(BIO_new_mem_buf(certificatePem.constData(), int(certificatePem.size())));
    auto keyBio = owned<BIO, BIO_free_all>(BIO_new_mem_buf(keyPem.constData(), int(keyPem.size())));
    auto certificate = owned<X509, X509_free>(PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr));
    auto key = owned<EVP_PKEY, EVP_PKEY_free>(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
    if (SSL_CTX_use_certificate(_context, certificate.get()) != 1 || SSL_CTX_use_PrivateKey(_context, key.get()) != 1)
        qFatal("the outdated TLS server cannot take its certificate");
    connect(&_server, &QTcpServer::newConnection, this, &OutdatedTlsServer::_accept);
    if (!_server.listen(QHostAddress::LocalHost, 0))
        qFatal("the outdated TLS server cannot listen: %s", qPrintable(_server.errorString()));
}

OutdatedTlsServer::~OutdatedTlsServer()
{
    // Sessions still open hold the context until they go.
    SSL_CTX_free(_context);
}

void OutdatedTlsServer::_accept()
{
    while (QTcpSocket* socket = _server.nextPendingConnection()) {
        auto* session = new Session(_context, socket);
        connect(socket, &QTcpSocket::readyRead, session, [session, socket] {
            if (!session->take(socket))
                socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}
