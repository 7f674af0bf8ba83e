#include "net/qtsslsocket.h"

#include "core/bxsettings.h"
#include "core/clock.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QLocale>
#include <QPointer>
#include <QTcpSocket>
#include <QTimeZone>
#include <QTimer>
#include <QtEndian>

#include <openssl/asn1.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/rand.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int RING_CAPACITY = 8192;
constexpr int SSL_CHUNK = 16384;
// Network bytes are taken in blocks of this size, and only as decrypted bytes are read; the
// rest waits in the socket, whose buffer is held to this size too, so the server waits.
constexpr int NETWORK_BLOCK = 64 * 1024;
const char* const SUMMARY_DATE = "ddd d MMM hh:mm:ss yyyy";

QString& defaultCAFile()
{
    static QString path;
    return path;
}

QString openSslError()
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    return QString::fromLatin1(ERR_error_string(code, nullptr));
}

// Why TLS failed, from the first error OpenSSL queued, in words for the user: what the usual
// faults of a server mean, else OpenSSL's own reason.
QString tlsFailure()
{
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (ERR_GET_LIB(code) == ERR_LIB_SSL) {
        switch (ERR_GET_REASON(code)) {
        case SSL_R_WRONG_VERSION_NUMBER:
        case SSL_R_PACKET_LENGTH_TOO_LONG:
            return QtSSLSocket::tr("the server does not speak TLS");
        case SSL_R_UNSUPPORTED_PROTOCOL:
        case SSL_R_TLSV1_ALERT_PROTOCOL_VERSION:
        case SSL_R_VERSION_TOO_LOW:
            return QtSSLSocket::tr("the server offers only an outdated protocol");
        default:
            break;
        }
    }
    const char* reason = ERR_reason_error_string(code);
    return reason ? QString::fromLatin1(reason) : QtSSLSocket::tr("the secure connection failed for no stated reason");
}

// Reads count decimal digits at text[at]; -1 when any is not a digit or the text is short.
int digits(const QByteArray& text, int at, int count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (int i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

QString nameText(const X509_NAME* name)
{
    char* text = X509_NAME_oneline(name, nullptr, 0);
    const QString result = QString::fromUtf8(text);
    OPENSSL_free(text);
    return result;
}

// The host names and addresses among the certificate's alternative names.
QStringList altNames(X509* certificate)
{
    QStringList names;
    auto* entries = static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; i < sk_GENERAL_NAME_num(entries); ++i) {
        const GENERAL_NAME* entry = sk_GENERAL_NAME_value(entries, i);
        if (entry->type == GEN_DNS) {
            const auto* name = reinterpret_cast<const char*>(ASN1_STRING_get0_data(entry->d.dNSName));
            names.append(QString::fromLatin1(name, ASN1_STRING_length(entry->d.dNSName)));
        } else if (entry->type == GEN_IPADD) {
            const unsigned char* bytes = ASN1_STRING_get0_data(entry->d.iPAddress);
            const int length = ASN1_STRING_length(entry->d.iPAddress);
            if (length == 4)
                names.append(QHostAddress(qFromBigEndian<quint32>(bytes)).toString());
            else if (length == 16)
                names.append(QHostAddress(bytes).toString());
        }
    }
    GENERAL_NAMES_free(entries);
    return names;
}

// The host must be one of the certificate's alternative names, matched exactly, without
// wildcards; the subject's common name never stands in for them.
bool nameMatches(X509* certificate, const QString& host)
{
    if (host.isEmpty())
        return false;
    const QByteArray name = host.toUtf8();
    if (!QHostAddress(host).isNull())
        return X509_check_ip_asc(certificate, name.constData(), 0) == 1;
    return X509_check_host(certificate, name.constData(), size_t(name.size()),
                           X509_CHECK_FLAG_NO_WILDCARDS | X509_CHECK_FLAG_NEVER_CHECK_SUBJECT, nullptr)
        == 1;
}

QString dateText(const ASN1_TIME* time)
{
    return QLocale::c().toString(QDateTime::fromSecsSinceEpoch(QtSSLSocket::getTimeFromASN1(time),
                                                               QTimeZone::utc()),
                                 QString::fromLatin1(SUMMARY_DATE));
}

QString serialText(X509* certificate)
{
    BIGNUM* number = ASN1_INTEGER_to_BN(X509_get0_serialNumber(certificate), nullptr);
    char* text = number ? BN_bn2dec(number) : nullptr;
    const QString result = QString::fromLatin1(text);
    OPENSSL_free(text);
    BN_free(number);
    return result;
}

} // namespace

QtSSLSocket::QtSSLSocket(Mode mode, QTcpSocket* socket, QObject* parent)
    : QIODevice(parent)
    , _mode(mode)
    , _incoming(RING_CAPACITY)
{
    setErrorString(tr("Unknown error"));
    if (socket) {
        _socket = socket;
        _state = Connected;
    } else {
        _socket = new QTcpSocket(this);
        _ownsSocket = true;
    }
    _connectSocket();
}

QtSSLSocket::~QtSSLSocket()
{
    if (_socket) {
        _socket->disconnect(this);
        if (_ownsSocket)
            _socket->abort();
    }
    _shutdownSSL();
}

void QtSSLSocket::setSocket(QTcpSocket* socket)
{
    if (_socket) {
        _socket->disconnect(this);
        if (_ownsSocket)
            delete _socket;
    }
    _socket = socket;
    _ownsSocket = false;
    _connectSocket();
}

void QtSSLSocket::_connectSocket()
{
    if (!_socket)
        return;
    _socket->setReadBufferSize(NETWORK_BLOCK);
    connect(_socket, &QTcpSocket::readyRead, this, &QtSSLSocket::readFromSocket);
    connect(_socket, &QTcpSocket::connected, this, &QtSSLSocket::sslConnect);
    connect(_socket, &QTcpSocket::disconnected, this, &QtSSLSocket::finishClose);
    connect(_socket, &QTcpSocket::errorOccurred, this, &QtSSLSocket::socketError);
    connect(_socket, &QTcpSocket::bytesWritten, this, &QtSSLSocket::socketBytesWritten);
}

void QtSSLSocket::setCiphers(const QString& ciphers)
{
    qDebug("*** Setting cipher to %s", qPrintable(ciphers));
    _ciphers = ciphers;
}

QString QtSSLSocket::ciphers()
{
    if (!_ciphers.isEmpty() || !_ssl)
        return _ciphers;
    QStringList names;
    for (int i = 0; const char* name = SSL_get_cipher_list(_ssl, i); ++i)
        names.append(QString::fromLatin1(name));
    _ciphers = names.join(QLatin1Char(':'));
    return _ciphers;
}

void QtSSLSocket::setDefaultCACertFile(const QString& path)
{
    defaultCAFile() = path;
}

void QtSSLSocket::connectToHost(const QString& host, quint16 port)
{
    _host = host;
    _socket->abort();
    _shutdownSSL();
    _incoming.clear();
    _outgoing.clear();
    _plainInFlight = 0;
    _state = HandshakeClient;
    _socket->connectToHost(host, port);
}

qint64 QtSSLSocket::bytesAvailable() const
{
    return _incoming.usedSpace() + QIODevice::bytesAvailable();
}

qint64 QtSSLSocket::bytesToWrite() const
{
    return _outgoing.size() + (_socket ? _socket->bytesToWrite() : 0);
}

bool QtSSLSocket::canReadLine() const
{
    return _incoming.find('\n') >= 0 || QIODevice::canReadLine();
}

bool QtSSLSocket::atEnd() const
{
    return !_socket || !_ssl || bytesAvailable() == 0;
}

qint64 QtSSLSocket::readData(char* data, qint64 maxSize)
{
    const int taken = _incoming.readBlock(data, int(std::min<qint64>(maxSize, RING_CAPACITY)));
    // Bytes that waited for room come in now; tell the reader once the call has returned.
    if (_pump(false) > 0 && !_readyReadPosted) {
        _readyReadPosted = true;
        QTimer::singleShot(0, this, [this] {
            _readyReadPosted = false;
            if (bytesAvailable() > 0)
                emit readyRead();
        });
    }
    return taken;
}

qint64 QtSSLSocket::writeData(const char* data, qint64 maxSize)
{
    _outgoing.append(data, maxSize);
    _writeToSocket();
    return maxSize;
}

void QtSSLSocket::_fail(int code, const QString& message)
{
    setErrorString(message);
    emit error(code);
}

bool QtSSLSocket::_initSSL()
{
    if (RAND_status() != 1) {
        _fail(3, tr("The random number generator has no seed"));
        return false;
    }
    _context = SSL_CTX_new(TLS_client_method());
    if (!_context) {
        _fail(3, tr("Error creating SSL context, %1").arg(openSslError()));
        return false;
    }
    SSL_CTX_set_options(_context, SSL_OP_ALL);
    SSL_CTX_set_min_proto_version(_context, TLS1_2_VERSION);
    // Certificates are valid or not at the program's own time, the same that every date
    // check of the socket uses.
    X509_VERIFY_PARAM_set_time(SSL_CTX_get0_param(_context), time_t(Clock::now().toSecsSinceEpoch()));
    if (!_ciphers.isEmpty() && !SSL_CTX_set_cipher_list(_context, _ciphers.toLatin1().constData())) {
        _shutdownSSL();
        _fail(3, tr("Invalid or empty cipher list, %1").arg(openSslError()));
        return false;
    }
    const QByteArray file = QFile::encodeName(_effectiveCAFile());
    const QByteArray folder = QFile::encodeName(_caDir);
    if (file.isEmpty() && folder.isEmpty()) {
        SSL_CTX_set_default_verify_paths(_context);
    } else if (!SSL_CTX_load_verify_locations(_context, file.isEmpty() ? nullptr : file.constData(),
                                              folder.isEmpty() ? nullptr : folder.constData())) {
        _shutdownSSL();
        const QString message = tr("Failed to load the list of trusted CAs, %1").arg(openSslError());
        // The report comes first, so that whoever decides on it hears the reason.
        QPointer<QtSSLSocket> self(this);
        emit certCheckFailed(999, tr("Cannot read root certificates"));
        if (self)
            _fail(3, message);
        return false;
    }
    _ssl = SSL_new(_context);
    _readBio = BIO_new(BIO_s_mem());
    _writeBio = BIO_new(BIO_s_mem());
    if (!_ssl || !_readBio || !_writeBio) {
        BIO_free(_readBio);
        BIO_free(_writeBio);
        _readBio = _writeBio = nullptr;
        _shutdownSSL();
        _fail(3, tr("Error creating SSL session, %1").arg(openSslError()));
        return false;
    }
    SSL_set_bio(_ssl, _readBio, _writeBio);
    SSL_set_connect_state(_ssl);
    if (!_host.isEmpty() && QHostAddress(_host).isNull())
        SSL_set_tlsext_host_name(_ssl, _host.toUtf8().constData());
    return true;
}

QString QtSSLSocket::_effectiveCAFile() const
{
    if (!_caFile.isEmpty())
        return _caFile;
    if (!defaultCAFile().isEmpty())
        return defaultCAFile();
    // Trust anchors come only from the read-only resource folder, never the current folder.
    const QString shipped = BXSettings::getResourceDBPath() + QStringLiteral("cert.pem");
    return QFileInfo(shipped).isFile() ? shipped : QString();
}

void QtSSLSocket::_shutdownSSL()
{
    SSL_free(_ssl);  // frees both BIOs
    SSL_CTX_free(_context);
    _ssl = nullptr;
    _context = nullptr;
    _readBio = _writeBio = nullptr;
}

void QtSSLSocket::sslConnect()
{
    if (!_ssl) {
        _peerNotice = false;
        if (!_initSSL())
            return;
    }
    _state = HandshakeClient;
    ERR_clear_error();
    const int result = SSL_connect(_ssl);
    if (result <= 0) {
        const int reason = SSL_get_error(_ssl, result);
        if (reason == SSL_ERROR_WANT_READ || reason == SSL_ERROR_WANT_WRITE) {
            _flushWriteBio();
            return;
        }
        _flushWriteBio();  // the alert, if any
        const QString message = tlsFailure();
        _shutdownSSL();  // a failed handshake reads nothing more
        _state = Idle;
        _fail(3, message);
        return;
    }
    _completeHandshake();
}

void QtSSLSocket::_completeHandshake()
{
    QPointer<QtSSLSocket> self(this);
    _checkCertificate();
    // A listener may have closed the connection while handling a report.
    if (!self || _state != HandshakeClient || !_socket
        || _socket->state() != QAbstractSocket::ConnectedState)
        return;
    _state = Connected;
    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    emit connected();
    if (self && _state == Connected)
        _writeToSocket();
}

void QtSSLSocket::_checkCertificate()
{
    const long result = SSL_get_verify_result(_ssl);
    if (result != X509_V_OK) {
        const bool selfSigned = result == X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT
                             || result == X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN;
        emit certCheckFailed(selfSigned ? 1 : 5, verifyErrorString(int(result)));
        return;
    }
    std::unique_ptr<X509, decltype(&X509_free)> certificate(SSL_get1_peer_certificate(_ssl),
                                                            &X509_free);
    if (!certificate) {
        emit certCheckFailed(5, verifyErrorString(0));
        return;
    }
    const qint64 now = Clock::now().toSecsSinceEpoch();
    if (getTimeFromASN1(X509_get0_notBefore(certificate.get())) > now)
        emit certCheckFailed(4, tr("The certificate is not yet valid"));
    else if (getTimeFromASN1(X509_get0_notAfter(certificate.get())) < now)
        emit certCheckFailed(3, tr("The certificate has expired"));
    else if (!nameMatches(certificate.get(), _host))
        emit certCheckFailed(2, _nameMismatch(certificate.get()));
}

QString QtSSLSocket::_nameMismatch(X509* certificate) const
{
    const QStringList names = altNames(certificate);
    if (names.isEmpty())
        return tr("The certificate lists no subject alternative name, so it cannot be checked against "
                  "the host name \"%1\"").arg(_host);
    return tr("The host name \"%1\" doesn't match the certificate name \"%2\"")
        .arg(_host, names.join(QStringLiteral(", ")));
}

void QtSSLSocket::readFromSocket()
{
    if (!_socket || _socket->bytesAvailable() == 0)
        return;
    if (!_ssl) {
        _socket->readAll();  // nothing speaks before our handshake starts
        return;
    }
    QPointer<QtSSLSocket> self(this);
    while (_state == HandshakeClient && _feedReadBio()) {
        sslConnect();
        if (!self)
            return;
    }
    _writeToSocket();
    if (_state != Connected || !_ssl || !SSL_is_init_finished(_ssl))
        return;
    _readOn();
    // The server's closing notice: the close of the connection follows it.
    if (self && _peerNotice && _socket->state() == QAbstractSocket::ConnectedState)
        _socket->disconnectFromHost();
}

// Decrypts and announces network bytes for as long as the inner socket holds some and the
// reader makes room. A reader that runs an event loop inside readyRead() leaves the inner
// socket filling without telling anyone, as it is still inside its own readyRead().
void QtSSLSocket::_readOn()
{
    QPointer<QtSSLSocket> self(this);
    for (;;) {
        const int added = _pump(true);
        if (!self)
            return;
        if (bytesAvailable() > 0) {
            emit readyRead();
            if (!self)
                return;
        }
        if (added == 0 || _state != Connected || _peerNotice || _incoming.freeSpace() == 0
            || _socket->bytesAvailable() == 0)
            return;
    }
}

// Moves one block of network bytes into the read BIO; whether there were any.
bool QtSSLSocket::_feedReadBio()
{
    if (!_readBio)
        return false;
    const QByteArray bytes = _socket->read(NETWORK_BLOCK);
    if (bytes.isEmpty())
        return false;
    if (BIO_write(_readBio, bytes.constData(), int(bytes.size())) == int(bytes.size()))
        return true;
    _fail(2, tr("Failed to write protocol data to BIO"));
    return false;
}

// Decrypts network bytes into incoming as far as it has room, taking them from the socket
// block by block; returns how many were added.
int QtSSLSocket::_pump(bool fromNetwork)
{
    QPointer<QtSSLSocket> self(this);
    int added = 0;
    for (;;) {
        const int count = _decrypt(fromNetwork);
        if (count < 0 || !self)
            return added;
        added += count;
        if (_peerNotice || _incoming.freeSpace() == 0 || !_feedReadBio())
            return added;
    }
}

// Moves decrypted bytes into incoming while it has room; returns how many were added, or -1
// when reading failed.
int QtSSLSocket::_decrypt(bool fromNetwork)
{
    if (!_ssl || !SSL_is_init_finished(_ssl))
        return -1;
    char chunk[SSL_CHUNK];
    int added = 0;
    while (_incoming.freeSpace() > 0) {
        ERR_clear_error();
        const int count = SSL_read(_ssl, chunk, std::min(_incoming.freeSpace(), SSL_CHUNK));
        if (count > 0) {
            _incoming.writeBlock(chunk, count);
            added += count;
            continue;
        }
        const int reason = SSL_get_error(_ssl, count);
        if (reason == SSL_ERROR_ZERO_RETURN) {
            _peerNotice = true;
            break;
        }
        if (reason == SSL_ERROR_WANT_READ || reason == SSL_ERROR_WANT_WRITE) {
            _flushWriteBio();
            break;
        }
        const QString message = tlsFailure();
        if (fromNetwork)
            _fail(2, message);
        else
            QTimer::singleShot(0, this, [this, message] { _fail(2, message); });
        return -1;
    }
    return added;
}

void QtSSLSocket::_writeToSocket()
{
    if (!_socket || _socket->state() != QAbstractSocket::ConnectedState || !_ssl)
        return;
    if (_state == Connected && !_outgoing.isEmpty()) {
        qsizetype sent = 0;
        while (sent < _outgoing.size()) {
            ERR_clear_error();
            const int count = SSL_write(_ssl, _outgoing.constData() + sent,
                                        int(std::min<qsizetype>(_outgoing.size() - sent, 1 << 20)));
            if (count > 0) {
                sent += count;
                continue;
            }
            const int reason = SSL_get_error(_ssl, count);
            if (reason != SSL_ERROR_WANT_READ && reason != SSL_ERROR_WANT_WRITE) {
                _outgoing.clear();
                _flushWriteBio();
                _fail(3, tlsFailure());
                return;
            }
            break;
        }
        _outgoing.remove(0, sent);
        _plainInFlight += sent;
    }
    _flushWriteBio();
}

void QtSSLSocket::_flushWriteBio()
{
    if (!_writeBio || !_socket || _socket->state() != QAbstractSocket::ConnectedState)
        return;
    while (const size_t pending = BIO_ctrl_pending(_writeBio)) {
        QByteArray bytes(qsizetype(pending), Qt::Uninitialized);
        const int count = BIO_read(_writeBio, bytes.data(), int(bytes.size()));
        if (count <= 0)
            return;
        bytes.truncate(count);
        _socket->write(bytes);
    }
}

void QtSSLSocket::socketBytesWritten(qint64)
{
    if (_socket->bytesToWrite() > 0 || _plainInFlight == 0)
        return;
    const qint64 written = _plainInFlight;
    _plainInFlight = 0;
    emit bytesWritten(written);
}

void QtSSLSocket::close()
{
    if (_socket)
        _socket->readAll();
    if (_ssl && SSL_is_init_finished(_ssl)) {
        SSL_shutdown(_ssl);
        _flushWriteBio();
    }
    _incoming.clear();
    _outgoing.clear();
    _plainInFlight = 0;
    const bool closesLater = _socket && _socket->state() != QAbstractSocket::UnconnectedState;
    _state = closesLater ? Closing : Idle;
    if (!closesLater)
        _shutdownSSL();
    QIODevice::close();
    if (closesLater)
        _socket->disconnectFromHost();
}

void QtSSLSocket::finishClose()
{
    if (_state == Closing) {
        _state = Idle;
        _shutdownSSL();
        QIODevice::close();
        emit delayedCloseFinished();
        return;
    }
    if (_state == HandshakeClient) {
        _shutdownSSL();
        _state = Idle;
        _fail(3, tr("the server closed the connection during the handshake"));
        return;
    }
    // The server closed: what it sent before is decrypted first, as room allows; the rest
    // follows as the reader makes room.
    QPointer<QtSSLSocket> self(this);
    if (_ssl && _state == Connected)
        _readOn();
    if (!self)
        return;
    _state = Idle;
    emit connectionClosed();
}

void QtSSLSocket::socketError(QAbstractSocket::SocketError socketError)
{
    switch (socketError) {
    case QAbstractSocket::RemoteHostClosedError:
        return;  // reported as a close
    case QAbstractSocket::ConnectionRefusedError:
        _fail(0, tr("Connection refused"));
        return;
    case QAbstractSocket::HostNotFoundError:
        _fail(1, tr("Host not found"));
        return;
    default:
        _fail(2, _socket->errorString());
        return;
    }
}

QString QtSSLSocket::peerCertificate() const
{
    if (!_ssl)
        return QString();
    std::unique_ptr<X509, decltype(&X509_free)> certificate(SSL_get1_peer_certificate(_ssl),
                                                            &X509_free);
    return certificate ? _summary(certificate.get()) : QString();
}

QString QtSSLSocket::localCertificate() const
{
    X509* certificate = _ssl ? SSL_get_certificate(_ssl) : nullptr;
    return certificate ? _summary(certificate) : QString();
}

QString QtSSLSocket::_summary(X509* certificate)
{
    return nameText(X509_get_issuer_name(certificate)) + QLatin1Char('/')
         + nameText(X509_get_subject_name(certificate)) + QStringLiteral("/notValidBefore=")
         + dateText(X509_get0_notBefore(certificate)) + QStringLiteral("/notValidAfter=")
         + dateText(X509_get0_notAfter(certificate)) + QStringLiteral("/version=")
         + QString::number(X509_get_version(certificate)) + QStringLiteral("/serial=")
         + serialText(certificate);
}

time_t QtSSLSocket::getTimeFromASN1(const ASN1_TIME* time)
{
    if (!time)
        return 0;
    const QByteArray text(reinterpret_cast<const char*>(ASN1_STRING_get0_data(time)),
                          ASN1_STRING_length(time));
    const bool utc = ASN1_STRING_type(time) == V_ASN1_UTCTIME;
    int year = digits(text, 0, utc ? 2 : 4);
    if (utc && year >= 0)
        year += year < 50 ? 2000 : 1900;
    int at = utc ? 2 : 4;
    const int month = digits(text, at, 2);
    const int day = digits(text, at + 2, 2);
    const int hour = digits(text, at + 4, 2);
    const int minute = digits(text, at + 6, 2);
    at += 8;
    int second = 0;
    if (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        second = digits(text, at, 2);
        at += 2;
        if (!utc && at < text.size() && text[at] == '.') {
            for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9';)
                ++at;
        }
    }
    int offset = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-') && at + 5 == text.size()) {
        const int offsetHours = digits(text, at + 1, 2);
        const int offsetMinutes = digits(text, at + 3, 2);
        if (offsetHours < 0 || offsetMinutes < 0 || offsetHours > 23 || offsetMinutes > 59)
            return 0;
        offset = (offsetHours * 60 + offsetMinutes) * 60 * (text[at] == '+' ? 1 : -1);
    } else if (!(at + 1 == text.size() && text[at] == 'Z')) {
        return 0;
    }
    const QDate date(year, month, day);
    if (year < 0 || !date.isValid() || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || second < 0 || second > 59)
        return 0;
    const QDateTime moment(date, QTime(hour, minute, second), QTimeZone::utc());
    // A local time ahead of UTC ("+hhmm") is that much later than the same UTC reading.
    return time_t(moment.toSecsSinceEpoch() - offset);
}

QDateTime QtSSLSocket::fromString(const QString& text)
{
    QString cleaned = text;
    cleaned.remove(QLatin1Char('.'));
    const QStringList pieces = cleaned.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.size() < 5)
        return QDateTime();
    static const QStringList months = {
        QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"), QStringLiteral("Apr"),
        QStringLiteral("May"), QStringLiteral("Jun"), QStringLiteral("Jul"), QStringLiteral("Aug"),
        QStringLiteral("Sep"), QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec"),
    };
    const int month = int(months.indexOf(pieces.at(2))) + 1;
    const QDate date(pieces.at(4).toInt(), month, pieces.at(1).toInt());
    const QTime time = QTime::fromString(pieces.at(3), QStringLiteral("hh:mm:ss"));
    if (month == 0 || !date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, QTimeZone::utc());
}

QString QtSSLSocket::verifyErrorString(int result)
{
    switch (result) {
    case 0: return tr("An unknown error occurred");
    case 2: return tr("Unable to get issuer certificate");
    case 4: return tr("Unable to decrypt certificate's signature");
    case 6: return tr("Unable to decode issuer public key");
    case 7: return tr("Certificate signature failure");
    case 9: return tr("The certificate is not yet valid");
    case 10: return tr("The certificate has expired");
    case 13: return tr("Format error in certificate's notBefore field");
    case 14: return tr("Format error in certificate's notAfter field");
    case 17: return tr("Out of memory");
    case 18: return tr("Self signed certificate");
    case 19: return tr("Self signed certificate in certificate chain");
    case 20: return tr("Unable to get local issuer certificate");
    case 21: return tr("Unable to verify the first certificate");
    case 24: return tr("Invalid CA certificate");
    case 25: return tr("Path length constraint exceeded");
    case 26: return tr("Unsupported certificate purpose");
    case 27: return tr("Certificate not trusted");
    case 28: return tr("Certificate rejected");
    case 29: return tr("Subject issuer mismatch");
    case 30: return tr("Authority and subject key identifier mismatch");
    case 31: return tr("Authority and issuer serial number mismatch");
    case 32: return tr("Key usage does not include certificate signing");
    default: return tr("Unknown error");
    }
}
