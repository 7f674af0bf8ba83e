#pragma once

#include "net/qhttpsheader.h"

// The header of a response: status line and fields.
class QHttpsResponseHeader : public QHttpsHeader
{
public:
    QHttpsResponseHeader();
    QHttpsResponseHeader(int code, const QString& text = QString(), int major = 1, int minor = 1);
    explicit QHttpsResponseHeader(const QString& text);

    void setStatusLine(int code, const QString& text = QString(), int major = 1, int minor = 1);
    int statusCode() const { return _code; }
    QString reasonPhrase() const { return _reason; }
    int majorVersion() const override { return _major; }
    int minorVersion() const override { return _minor; }

    QString toString() const override;

protected:
    bool parseLine(const QString& line, int number) override;

private:
    int _code = 0;
    QString _reason;
    int _major = 0;
    int _minor = 0;
};
