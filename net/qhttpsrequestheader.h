#pragma once

#include "net/qhttpsheader.h"

// The header of a request: request line and fields.
class QHttpsRequestHeader : public QHttpsHeader
{
public:
    QHttpsRequestHeader();
    QHttpsRequestHeader(const QString& method, const QString& path, int major = 1, int minor = 1);
    explicit QHttpsRequestHeader(const QString& text);

    void setRequest(const QString& method, const QString& path, int major = 1, int minor = 1);
    QString method() const { return _method; }
    QString path() const { return _path; }
    int majorVersion() const override { return _major; }
    int minorVersion() const override { return _minor; }

    QString toString() const override;

protected:
    bool parseLine(const QString& line, int number) override;

private:
    QString _method;
    QString _path;
    int _major = 0;
    int _minor = 0;
};
