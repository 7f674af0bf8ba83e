#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The usage-metrics uploader.
class Metrics : public QObject
{
    Q_OBJECT

public:
    Metrics(QWidget* parent, const char* name);

    // The text of the last error; "Cannot connect to server" while none is stored.
    QString getLastError() const;

signals:
    void done(bool error);
    void uploadOk();

public slots:
    void start();
};
