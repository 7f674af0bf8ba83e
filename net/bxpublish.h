#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Publishes the changed diary days, check-ins and water to the web diary.
class BxPublish : public QObject
{
    Q_OBJECT

public:
    explicit BxPublish(QWidget* parent);

    // Builds the publish address from the brand's "publish_auth_url"; on failure tells the
    // user in a "Publish Diary" box and returns false.
    bool prepare();
    // Sends the changes; on success stores today as "LastSyncDate" and marks the changes
    // published.
    void publish();
    QString url() const { return _url; }

private:
    QWidget* _parentWidget;
    QString _url;
};
