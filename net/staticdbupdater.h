#pragma once

#include <QObject>
#include <QString>

// The static-database updater: reads the brand's update feed, downloads and installs a
// newer catalogue.
class StaticDbUpdater : public QObject
{
    Q_OBJECT

public:
    static StaticDbUpdater* instance();
    static void cleanUp();
    ~StaticDbUpdater() override;

    // Starts reading the update feed; false when no check could be started. The result
    // arrives through checkFinished().
    bool checkForUpdate();
    QString errorString() const { return _error; }

signals:
    void checkFinished(bool error);
    void downloadProgress(int done, int total);
    void downloadFinished(bool error);
    void installProgress(int done, int total);
    void errorOccurred();

public slots:
    void abort();

private:
    StaticDbUpdater() = default;

    static StaticDbUpdater* s_instance;

    QString _error;
};
