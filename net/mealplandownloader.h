#pragma once

#include "core/diaryday.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class BXHttp;
class QHttpsResponseHeader;
class QWidget;

// Fetches the meal-plan days that are not stored yet, up to a week ahead, from the brand's
// meal-plan service into the meal-plan store, for the user current when the download starts.
class MealPlanDownloader : public QObject
{
    Q_OBJECT

public:
    static MealPlanDownloader* instance();
    static void cleanUp();
    ~MealPlanDownloader() override;

    // Starts a download of the missing days; false when one is running, nothing is missing,
    // the diary could not be read or the service's address cannot be built (errorString()
    // then says why). What is read and stored is told to the user over `parent`.
    bool getMore(QWidget* parent = nullptr);
    // Starts a download only when day lies in the missing range.
    bool getMore(const QDate& day, QWidget* parent = nullptr);
    bool stillGoing() const { return _currentDay != nullptr; }
    // The days from after the latest stored plan day up to today + 7; false when that day is
    // stored already.
    bool getDownloadRange(QDate& start, QDate& end) const;
    QString errorString() const { return _error; }

signals:
    void downloadProgress(int done, int total);
    void downloadDone(bool error, const QString& text);

private slots:
    void requestFinished(int id, bool error);
    void responseHeaderReceived(const QHttpsResponseHeader& response);

private:
    MealPlanDownloader();

    void _makeClient(const QString& url);
    // Reads the reply into the current day; false with the error text set when it is a
    // failure or cannot be read.
    bool _readReply(const QByteArray& reply);
    // Stores the day's foods in one transaction; false when the store did not keep them.
    bool _store();
    void _finish(bool error, const QString& text);

    static MealPlanDownloader* s_instance;

    QString _error;
    BXHttp* _http = nullptr;
    std::unique_ptr<DBTypes::DiaryDay> _currentDay;
    int _requestId = -1;
    qint64 _user = -1;
    QDate _start;
    QDate _end;
    QPointer<QWidget> _parent;
    bool _badResponse = false;
};
