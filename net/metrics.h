#pragma once

#include "net/qhttpsresponseheader.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <string>

class BXHttp;
class QWidget;

// Reports usage to the brand's metrics service over TLS: the days the program was started
// and how often, and the check-ins and diary days changed since the last accepted report.
class Metrics : public QObject
{
    Q_OBJECT

public:
    Metrics(QWidget* parent, const char* name);
    ~Metrics() override;

    // The last failure text; else the connection's; else "Cannot connect to server".
    QString getLastError() const;
    // The current user's report document; nothing when the counts could not be read.
    static std::optional<std::string> metricsXML();
    // The user whose data the latest report carries; -1 before the first.
    qint64 reportedUser() const { return _user; }

signals:
    void done(bool error);
    void uploadOk();

public slots:
    // Builds and posts the current user's report; waits while the user database is down.
    void start();
    // The end of the request: the whole reply decides between uploadOk() and a failure.
    void httpsDone(bool error);
    // The reply's header: anything but status 200 ends the request at once.
    void readData(const QHttpsResponseHeader& header);
    void closeConnection();
    void abort();
    void inspectError(int code);

private:
    void _retryLater();
    bool _judgeReply();

    std::unique_ptr<BXHttp> _http;
    QString _lastError;
    int _status = 0;
    qint64 _user = -1;
};
