#pragma once

#include <QObject>

class QWidget;

// The dialogs of a static-database update run by the user or after an automatic check.
class StaticDbUpdaterUI : public QObject
{
    Q_OBJECT

public:
    explicit StaticDbUpdaterUI(QWidget* parent);

    // Checks the feed (unless skipCheck), asks, downloads and installs, telling the user
    // how it went. The brand must define "update_rss_url" and enable "update_enabled".
    void doUpdate(bool skipCheck);

private:
    QWidget* _parentWidget;
};
