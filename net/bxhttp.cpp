#include "net/bxhttp.h"

#include "core/appversion.h"
#include "core/brandengine.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace {

int s_connectWait = 8000;

} // namespace

BXHttp::BXHttp(const QString& url, QObject* parent)
    : QObject(parent)
{
    const QUrl address(url);
    QString host = url;
    QTcpSocket* socket = nullptr;
    _errorText = refusal(url);
    if (_errorText.isNull()) {
        _ssl = address.scheme().toLower() == QLatin1String("https");
        _port = quint16(address.port(_ssl ? 443 : 80));
        socket = _ssl ? _preconnect(address.host(), _port) : nullptr;
    }
    // Without a server every request fails at once; errorString() says why.
    if (!_errorText.isNull())
        host = QString();
    _client = new QHttps(_ssl, host, _port, socket, this);
    _relay();
}

BXHttp::~BXHttp() = default;

QString BXHttp::refusal(const QString& url, const QString& source)
{
    const QString scheme = QUrl(url).scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return tr("The address \"%1\" cannot be used: only http and https addresses can be reached.").arg(url);
    if (scheme == QLatin1String("http") && QUrl(source).scheme().toLower() == QLatin1String("https"))
        return tr("The address \"%1\" cannot be used: it was given by a secure address, but would be "
                  "reached without protection.").arg(url);
    return QString();
}

void BXHttp::setPreconnectWait(int connectMs)
{
    s_connectWait = connectMs;
}

// Connects to the server ahead of the TLS handshake, waiting in a nested event loop; null
// when no connection was made in time.
QTcpSocket* BXHttp::_preconnect(const QString& host, quint16 port)
{
    auto* socket = new QTcpSocket;
    QEventLoop loop;
    QTimer::singleShot(s_connectWait, &loop, &QEventLoop::quit);
    connect(socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    connect(socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    socket->connectToHost(host, port);
    if (socket->state() != QAbstractSocket::ConnectedState)
        loop.exec();
    socket->disconnect(&loop);
    if (socket->state() == QAbstractSocket::ConnectedState)
        return socket;
    if (socket->error() == QAbstractSocket::ConnectionRefusedError)
        _errorText = tr("The server %1 refused the connection.").arg(host);
    else if (socket->state() != QAbstractSocket::UnconnectedState)
        _errorText = tr("The connection to %1 timed out: the server could not be reached.").arg(host);
    else
        _errorText = tr("The connection to %1 failed: %2.").arg(host, socket->errorString());
    _unreachable = true;
    delete socket;
    return nullptr;
}

void BXHttp::_relay()
{
    if (_ssl)
        connect(_client, &QHttps::certCheckFailed, this, &BXHttp::certCheckFailed);
    connect(_client, &QHttps::stateChanged, this, &BXHttp::stateChanged);
    connect(_client, &QHttps::responseHeaderReceived, this, &BXHttp::responseHeaderReceived);
    connect(_client, &QHttps::readyRead, this, &BXHttp::readyRead);
    connect(_client, &QHttps::dataSendProgress, this, &BXHttp::dataSendProgress);
    connect(_client, &QHttps::dataReadProgress, this, &BXHttp::dataReadProgress);
    connect(_client, &QHttps::requestStarted, this, &BXHttp::requestStarted);
    connect(_client, &QHttps::requestFinished, this, &BXHttp::requestFinished);
    connect(_client, &QHttps::done, this, &BXHttp::done);
}

QHttpsRequestHeader BXHttp::_commonSetup(const QString& method, const QString& url)
{
    const QUrl address(url);
    const int defaultPort = _ssl ? 443 : 80;
    const int port = address.port(_port);
    QHttpsRequestHeader header;
    header.setRequest(method, QString::fromLatin1(address.toEncoded()), 1, 1);
    header.setValue(QStringLiteral("User-Agent"),
                    BrandEngine::instance()->getString("app_name_short")
                        + QStringLiteral(" Pantrel (WIN32; %1)").arg(AppVersion::text()));
    header.setValue(QStringLiteral("Host"),
                    port == defaultPort ? address.host() : address.host() + QLatin1Char(':') + QString::number(port));
    if (!_ssl && _errorText.isNull())
        _client->setHost(address.host(), quint16(port));
    return header;
}

int BXHttp::doGet(const QString& url, QIODevice* to)
{
    return _client->request(_commonSetup(QStringLiteral("GET"), url), nullptr, to);
}

int BXHttp::doPost(const QString& url, const QString& body)
{
    QHttpsRequestHeader header = _commonSetup(QStringLiteral("POST"), url);
    header.setContentType(QStringLiteral("application/x-www-form-urlencoded"));
    // The body goes out with its terminating zero byte, which the length counts.
    QByteArray bytes = body.toUtf8();
    bytes.append('\0');
    return _client->request(header, bytes, nullptr);
}

QByteArray BXHttp::readAll()
{
    return _client->readAll();
}

void BXHttp::setLimits(const QHttps::Limits& limits)
{
    _client->setLimits(limits);
}

bool BXHttp::couldNotConnect() const
{
    if (!_errorText.isNull())
        return _unreachable;
    const QHttps::Error error = _client->error();
    return error == QHttps::ConnectionRefused || error == QHttps::HostNotFound || error == QHttps::NoConnection;
}

QString BXHttp::errorString() const
{
    if (!_errorText.isNull())
        return _errorText;
    const QString text = _client->errorString();
    if (!couldNotConnect())
        return text;
    if (_client->error() == QHttps::ConnectionRefused)
        return tr("%1\n\nThis is most likely due to a problem with your proxy, "
                  "or proxy configuration. It could also be caused by any "
                  "problem with your Internet connection.")
            .arg(text);
    return tr("%1\n\nThis could be caused by a problem with your Internet connection. "
              "Please make sure that your connection is working, and your proxy "
              "settings are correct.")
        .arg(text);
}

void BXHttp::closeConnection()
{
    _client->closeConnection();
}

bool BXHttp::isConnected()
{
    return true;
}

int BXHttp::openInternetConn()
{
    return 0;
}
