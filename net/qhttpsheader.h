#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The fields of an HTTP/1.1 header. Field names are case-insensitive: they are kept in lower
// case and written in alphabetical order.
class QHttpsHeader
{
public:
    QHttpsHeader() = default;
    explicit QHttpsHeader(const QString& text);
    virtual ~QHttpsHeader() = default;
    QHttpsHeader(const QHttpsHeader&) = default;
    QHttpsHeader& operator=(const QHttpsHeader&) = default;

    virtual QString toString() const;
    virtual int majorVersion() const = 0;
    virtual int minorVersion() const = 0;

    void setValue(const QString& key, const QString& value);
    QString value(const QString& key) const;
    bool hasKey(const QString& key) const;
    void removeValue(const QString& key);
    QStringList keys() const;

    bool hasContentLength() const;
    // The "content-length" field as an unsigned decimal number; 0 when absent or no number.
    uint contentLength() const;
    void setContentLength(int length);
    bool hasContentType() const;
    // The media type without its parameters; null when the field is empty.
    QString contentType() const;
    void setContentType(const QString& type);

    bool isValid() const { return _valid; }

protected:
    // Reads a header text line by line through parseLine; the first failing line makes the
    // header invalid.
    void parse(const QString& text);
    virtual bool parseLine(const QString& line, int number);
    void setValid(bool valid) { _valid = valid; }

private:
    QMap<QString, QString> _fields;
    bool _valid = true;
};
