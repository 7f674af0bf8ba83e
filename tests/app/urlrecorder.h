#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

// While it lives, web addresses that the program hands to the desktop are recorded here
// instead of being opened in a browser.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    UrlRecorder()
    {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "record");
    }
    ~UrlRecorder() override
    {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    QStringList urls;

public slots:
    void record(const QUrl& url) { urls.append(url.toString()); }
};
