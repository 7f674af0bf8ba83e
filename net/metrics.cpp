#include "net/metrics.h"

#include "widgets/shownday.h"
#include "widgets/userturn.h"
#include "core/brandengine.h"
#include "net/bxhttp.h"
#include "net/orvurlparams.h"
#include "net/publishresponse.h"
#include "net/xmlwriter.h"
#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"

#include <QTimer>
#include <QWidget>

#include <sstream>

namespace {

const int RetryMs = 5000;

// "yyyy-MM-dd" of a date code "yyyyMMdd".
std::string reformatDate(const QString& code)
{
    return (code.left(4) + QLatin1Char('-') + code.mid(4, 2) + QLatin1Char('-') + code.right(2)).toStdString();
}

} // namespace

Metrics::Metrics(QWidget* parent, const char* name)
    : QObject(parent)
{
    setObjectName(QString::fromLatin1(name));
}

Metrics::~Metrics() = default;

QString Metrics::getLastError() const
{
    if (!_lastError.isEmpty())
        return _lastError;
    if (_http && !_http->errorString().isEmpty())
        return _http->errorString();
    return tr("Cannot connect to server");
}

// The report reads the diary for the user shown: never inside a question or an action's own
// loop (a user switch asking to try again), where that user is about to change.
void Metrics::_retryLater()
{
    QTimer::singleShot(RetryMs, this, [this] { UserTurn::post(this, [this] { start(); }); });
}

void Metrics::start()
{
    if (!BXSqlDb::isUp()) {
        _retryLater();
        return;
    }
    QString url = BrandEngine::instance()->getString("metrics_auth_url");
    if (!OrvUrlParams::replaceAll(url).isEmpty()) {
        qDebug("error creating metrics URL from brand string!");
        _retryLater();
        return;
    }
    _user = ShownDay::instance()->user();
    const std::optional<std::string> document = metricsXML();
    if (!document) {
        _retryLater();
        return;
    }
    const QString body = QStringLiteral("xml=")
        + QString::fromLatin1(QByteArray::fromStdString(*document).toPercentEncoding());
    // The previous report's connection is released here, never from inside its signals.
    _http.reset();
    _status = 0;
    _http = std::make_unique<BXHttp>(url);
    connect(_http.get(), &BXHttp::responseHeaderReceived, this, &Metrics::readData);
    connect(_http.get(), &BXHttp::done, this, &Metrics::httpsDone);
    if (_http->client()->error() != QHttps::NoError)
        _http->client()->abort();
    else
        _http->doPost(url, body);
}

std::optional<std::string> Metrics::metricsXML()
{
    UserDB* users = UserDB::instance();
    const qint64 user = ShownDay::instance()->user();
    // Counts that could not be read are never reported, nor then marked reported.
    const std::optional<QMap<QString, int>> logins = users->getLoginCounts(user);
    const std::optional<QStringList> loginDays = logins ? users->getLoginDays(user) : std::nullopt;
    const std::optional<QStringList> checkins =
        loginDays ? users->getCheckinDays(user) : std::nullopt;
    QStringList checkinDates;
    for (const QString& entry : checkins.value_or(QStringList()))
        checkinDates << entry.right(8);
    const std::optional<QMap<QString, UserDB::Trend>> trends =
        checkins ? users->getTrends(user, checkinDates) : std::nullopt;
    const std::optional<QMap<QString, QMap<QString, int>>> stats =
        trends ? users->getFoodStats(user) : std::nullopt;
    if (!stats)
        return std::nullopt;
    std::ostringstream out;
    {
        XmlWriter writer(out);
        writer.element("metrics");
        writer.attribute("protocol") << "1.0";
        for (const QString& day : *loginDays) {
            writer.element("login");
            writer.attribute("date") << reformatDate(day);
            writer.attribute("count") << logins->value(day);
            writer.endElement();
        }
        for (const QString& entry : *checkins) {
            const QString checkin = entry.right(8);
            writer.element("checkin");
            writer.attribute("modified") << reformatDate(entry.left(8));
            writer.attribute("date") << reformatDate(checkin);
            writer.attribute("trend") << trends->value(checkin).trend.toStdString();
            writer.endElement();
        }
        for (auto change = stats->cbegin(); change != stats->cend(); ++change) {
            for (auto day = change.value().cbegin(); day != change.value().cend(); ++day) {
                writer.element("fooddiary");
                writer.attribute("modified") << reformatDate(change.key());
                writer.attribute("date") << reformatDate(day.key());
                writer.attribute("count") << day.value();
                writer.endElement();
            }
        }
    }
    return out.str();
}

void Metrics::readData(const QHttpsResponseHeader& header)
{
    _status = header.statusCode();
    if (_status != 200) {
        _lastError = tr("error - %1").arg(_status);
        abort();
    }
}

void Metrics::httpsDone(bool error)
{
    if (!error && !_judgeReply())
        error = true;
    emit done(error);
}

// The whole reply, once the request has ended: only a "response" whose errno is the number
// 0 is an acceptance.
bool Metrics::_judgeReply()
{
    if (_status != 200) {
        if (_lastError.isEmpty())
            _lastError = tr("error - %1").arg(_status);
        return false;
    }
    const QByteArray body = _http->readAll();
    if (body.isEmpty()) {
        _lastError = tr("HTTPS error - No content");
        return false;
    }
    PublishResponse response;
    if (!response.parse(body) || !response.hasResponse() || !response.errorNumberValid()) {
        _lastError = tr("HTTPS error - Cannot interpret content");
        return false;
    }
    if (response.errorNumber() != 0) {
        _lastError = response.errorText();
        return false;
    }
    emit uploadOk();
    return true;
}

void Metrics::closeConnection()
{
    if (_http)
        _http->closeConnection();
}

void Metrics::abort()
{
    if (_http)
        _http->client()->abort();
}

void Metrics::inspectError(int code)
{
    switch (code) {
    case 0: qWarning("Connection was refused"); break;
    case 1: qWarning("Host was not found"); break;
    case 2: qWarning("Cannot read from socket"); break;
    case 3: qWarning("Cannot init SSL"); break;
    default: break;
    }
}
