#pragma once

#include "net/qhttpsresponseheader.h"

#include <QObject>
#include <QString>

#include <string>

class BXHttp;
class PublishProgressDialog;
class QWidget;
class XmlWriter;

namespace DBTypes {
class DiaryDay;
}

// Publishes the changed diary days, check-ins and water to the web diary in one form POST,
// under a progress dialog, and marks them published when the service accepts them.
class BxPublish : public QObject
{
    Q_OBJECT

public:
    // At most this many food and exercise entries go into one document.
    static constexpr int MaxEntries = 2000;

    explicit BxPublish(QWidget* parent);
    ~BxPublish() override;

    // Builds the publish address from the brand's "publish_auth_url"; on failure tells the
    // user in a "Publish Diary" box and returns false.
    bool prepare();
    // Sends the changes and runs the progress dialog until it closes; an accepted reply
    // marks the changes published and stores today as "LastSyncDate".
    void publish();
    // Marks the published data of the current user in step with the web diary, whole or not
    // at all, and then stores today as "LastSyncDate"; false when the store did not keep it.
    bool resetSyncStatus();

    // The document of the current user's changes; remembers which days it holds.
    std::string publishXML();
    // "xml=" and the percent-encoded document.
    static QString formBody(const std::string& document);

    QString url() const { return _url; }
    PublishProgressDialog* progressDialog() const { return _progress; }
    BXHttp* http() const { return _http; }

public slots:
    void requestFinished(bool error);
    void stateChanged(int state);

private:
    void _writeDays(XmlWriter& writer, qint64 user);
    void _writeDay(XmlWriter& writer, const QString& date, const DBTypes::DiaryDay& day);
    void _writeCheckins(XmlWriter& writer, qint64 user);
    void _writeWaters(XmlWriter& writer, qint64 user);
    void _readHeader(const QHttpsResponseHeader& header);
    QString _judgeReply();
    void _failAll();
    void _failReading(const QString& text);

    QWidget* _parentWidget;
    QString _url;
    int _entryCount = 0;
    // The oldest day the document holds; empty when it holds none.
    std::string _oldestWritten;
    int _status = 0;
    BXHttp* _http;
    PublishProgressDialog* _progress;
};
