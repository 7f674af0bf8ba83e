#pragma once

#include "net/qtringbuffer.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QString>

#include <openssl/types.h>

#include <ctime>

class QTcpSocket;

// A TLS client connection over a plain TCP socket. OpenSSL works over two memory BIOs: bytes
// from the network go into the read BIO, what OpenSSL wants to send is drained from the write
// BIO into the socket. After the handshake the server's certificate is checked and every
// failure is reported through certCheckFailed(); the connection goes on unless a listener
// closes it while hearing the report, in which case connected() never comes. The HTTP(S)
// client is that listener for every online service.
class QtSSLSocket : public QIODevice
{
    Q_OBJECT

public:
    enum Mode { Client, Server };
    // The same numbers as the states of a plain socket.
    enum State { Idle = 0, HandshakeClient = 1, HandshakeServer = 2, Connected = 3, Closing = 4 };

    // With a socket given, that socket is borrowed and taken as connected: the caller starts
    // the handshake with sslConnect(). Without one, the socket makes and owns its own.
    explicit QtSSLSocket(Mode mode = Client, QTcpSocket* socket = nullptr, QObject* parent = nullptr);
    ~QtSSLSocket() override;

    void setSocket(QTcpSocket* socket);
    QTcpSocket* socket() const { return _socket; }

    void setPathToCACertFile(const QString& path) { _caFile = path; }
    QString pathToCACertFile() const { return _caFile; }
    void setPathToCACertDir(const QString& path) { _caDir = path; }
    QString pathToCACertDir() const { return _caDir; }
    void setCiphers(const QString& ciphers);
    QString ciphers();
    // The trusted CA file of every socket that names none itself; empty means the
    // resource folder's cert.pem when present, else the library's default locations.
    static void setDefaultCACertFile(const QString& path);

    // The name the server's certificate must carry; set by connectToHost().
    void setHostName(const QString& host) { _host = host; }
    QString hostName() const { return _host; }
    void connectToHost(const QString& host, quint16 port);
    int state() const { return _state; }
    // Whether the server ended the TLS session with its closing notice before the close.
    bool closedByPeerNotice() const { return _peerNotice; }

    // "issuer/subject/notValidBefore=.../notValidAfter=.../version=.../serial=..."; empty
    // without a certificate.
    QString peerCertificate() const;
    QString localCertificate() const;

    static QString verifyErrorString(int result);
    // Seconds since the epoch of a UTCTime or GeneralizedTime; 0 for anything malformed.
    static time_t getTimeFromASN1(const ASN1_TIME* time);
    // Reads a date as the certificate summary writes it; invalid for anything else.
    static QDateTime fromString(const QString& text);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    qint64 bytesToWrite() const override;
    bool canReadLine() const override;
    bool atEnd() const override;
    void close() override;

signals:
    void connected();
    void connectionClosed();
    void delayedCloseFinished();
    void error(int code);
    void certCheckFailed(int code, const QString& text);

public slots:
    // One step of the handshake; the first one sets up the TLS session.
    void sslConnect();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private slots:
    void readFromSocket();
    void finishClose();
    void socketError(QAbstractSocket::SocketError socketError);
    void socketBytesWritten(qint64 written);

private:
    void _connectSocket();
    bool _initSSL();
    void _shutdownSSL();
    void _fail(int code, const QString& message);
    void _writeToSocket();
    void _flushWriteBio();
    bool _feedReadBio();
    void _readOn();
    int _pump(bool fromNetwork);
    int _decrypt(bool fromNetwork);
    void _completeHandshake();
    void _checkCertificate();
    QString _nameMismatch(X509* certificate) const;
    QString _effectiveCAFile() const;
    static QString _summary(X509* certificate);

    QString _caFile;
    QString _caDir;
    QString _ciphers;
    QString _host;
    int _state = Idle;
    Mode _mode;
    QtRingBuffer _incoming;
    QByteArray _outgoing;
    qint64 _plainInFlight = 0;  // plain bytes encrypted but not yet reported written
    bool _readyReadPosted = false;
    bool _peerNotice = false;
    QTcpSocket* _socket = nullptr;
    bool _ownsSocket = false;
    SSL_CTX* _context = nullptr;
    SSL* _ssl = nullptr;
    BIO* _readBio = nullptr;
    BIO* _writeBio = nullptr;
};
