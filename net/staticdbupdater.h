#pragma once

#include <QObject>
#include <QString>

class BXHttp;
class QFile;
class QHttpsResponseHeader;

// The static-database updater: reads the brand's update feed, downloads a newer catalogue and
// installs it as the user's own copy (getUserDBPath() + "static.db"), which the catalogues
// then open in preference to the shipped file.
class StaticDbUpdater : public QObject
{
    Q_OBJECT

public:
    enum UPDATE_STATE { CHECKING = 0, BUSY = 1, INSTALLING = 2, ABORTED = 3, FAILED = 4, IDLE = 5 };
    enum DATABASE_STATE { UPDATE_AVAILABLE = 0, NO_INFORMATION = 1, UP_TO_DATE = 2, NOT_CHECKED = 3 };
    enum REQUEST { RSS_REQUEST = 0, DOWNLOAD_REQUEST = 1 };

    // A decompressed download larger than this is refused.
    static constexpr qint64 DECOMPRESSED_LIMIT = qint64(256) * 1024 * 1024;

    static StaticDbUpdater* instance();
    static void cleanUp();
    ~StaticDbUpdater() override;

    // Starts reading the update feed; false when no check could be started (state 4 with a
    // message when the feed's address cannot be built). The result arrives through
    // checkFinished().
    bool checkForUpdate();
    // Starts downloading a known update; the result arrives through downloadFinished().
    bool downloadUpdate();
    // Installs the downloaded update; whether it succeeded. The notification
    // "staticdb_update_notification" is posted in every case once the install has begun.
    bool installUpdate();
    // Whether the user's data folder can take the update.
    bool checkPermissions() const;
    // Decompresses the gzip file source into destination, which is flushed to disk. Fails
    // unless source is a gzip stream ending in a correct trailer whose data is at most limit
    // bytes, or when aborted.
    bool copyFile(const QString& source, const QString& destination, qint64 limit = DECOMPRESSED_LIMIT);

    UPDATE_STATE state() const { return _state; }
    void setState(UPDATE_STATE state) { _state = state; }
    DATABASE_STATE databaseState() const { return _databaseState; }
    void setDatabaseState(DATABASE_STATE state) { _databaseState = state; }
    QString errorString() const { return _error; }
    void setError(const QString& error);
    QString message() const { return _message; }
    bool hasMessage() const { return !_message.isNull(); }
    void setMessage(const QString& message) { _message = message; }
    bool processing() const { return _state == CHECKING || _state == BUSY || _state == INSTALLING; }
    int requestId(REQUEST request) const { return _requestIds[request]; }
    void setRequestId(REQUEST request, int id) { _requestIds[request] = id; }

    // The update's files, all in the user's data folder.
    static QString databasePath();
    static QString backupPath();
    static QString downloadPath();
    // Makes the update's files the program's own (KeptFiles), so that no file the user names
    // is one of them, and removes the download and the decompressed copy that an update cut
    // short left; only the one copy of the program running on the data folder may call it.
    static void removeLeftovers();

signals:
    void checkFinished(bool error);
    void downloadProgress(int done, int total);
    void downloadFinished(bool error);
    void installProgress(int done, int total);
    void errorOccurred();

public slots:
    void abort();

private slots:
    void rssRequestFinished(int id, bool error);
    void downloadRequestFinished(int id, bool error);
    void responseHeaderReceived(const QHttpsResponseHeader& response);

private:
    StaticDbUpdater() = default;

    void _setHttpHost(const QString& url);
    bool _readFeed();
    bool _decompressAndCheck(QString* created);
    bool _newerThanInUse(const QString& created);
    bool _swapInNewFile();
    bool _restartCatalogues(const QString& created);
    void _failUnchanged(const QString& what);
    static QString _freshPath();
    void _startCatalogues();
    void _dropDownload();

    static StaticDbUpdater* s_instance;

    BXHttp* _http = nullptr;
    int _requestIds[2] = {-1, -1};
    QString _feedUrl;
    QString _downloadUrl;
    QFile* _tempFile = nullptr;
    UPDATE_STATE _state = IDLE;
    DATABASE_STATE _databaseState = NOT_CHECKED;
    QString _error;
    QString _message;
    bool _badResponse = false;
};
