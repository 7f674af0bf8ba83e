#include "net/bxhttp.h"

#include "core/brandengine.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace {

int s_connectWait = 8000;
int s_reportWait = 3000;

} // namespace

BXHttp::BXHttp(bool ssl, const QString& url, quint16 port, QObject* parent)
    : QObject(parent)
    , _ssl(ssl)
    , _port(quint16(QUrl(url).port(port)))
{
    QTcpSocket* socket = ssl ? _preconnect(QUrl(url).host(), _port) : nullptr;
    _client = new QHttps(ssl, url, _port, socket, this);
    _relay();
}

BXHttp::~BXHttp() = default;

void BXHttp::setPreconnectWaits(int connectMs, int reportMs)
{
    s_connectWait = connectMs;
    s_reportWait = reportMs;
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
    _errorText = tr("Cannot connect to server");
    QTimer::singleShot(s_reportWait, this, &BXHttp::connectError);
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
                        + QStringLiteral(" Pantrel (WIN32; 4.1.0)"));
    header.setValue(QStringLiteral("Host"),
                    port == defaultPort ? address.host() : address.host() + QLatin1Char(':') + QString::number(port));
    if (!_ssl)
        _client->setHost(address.host(), quint16(port));
    return header;
}

int BXHttp::doGet(const QString& url, QIODevice* to)
{
    if (!_errorText.isNull())
        return 0;
    return _client->request(_commonSetup(QStringLiteral("GET"), url), nullptr, to);
}

int BXHttp::doPost(const QString& url, const QString& body)
{
    if (!_errorText.isNull())
        return 0;
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

QString BXHttp::errorString() const
{
    if (!_errorText.isNull())
        return _errorText;
    const QString text = _client->errorString();
    switch (_client->error()) {
    case QHttps::NoError:
        return text;
    case QHttps::ConnectionRefused:
        return text + tr(".\n\nThis is most likely due to a problem with your proxy,\n"
                         "or proxy configuration. It could also be caused by any\n"
                         "problem with your Internet connection.");
    default:
        return text + tr(".\n\nThis could be caused by a problem with your Internet connection.\n"
                         "Please make sure that your connection is working, and your proxy\n"
                         "settings are correct.");
    }
}

void BXHttp::connectError()
{
    emit done(true);
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
