#pragma once

#include <QByteArray>
#include <QString>

// The reply of the publishing and metrics services: one element "response" whose "errno"
// is 0 for success, with "errstr", the message for the user otherwise, and "show".
class PublishResponse
{
public:
    // Reads a reply; false when it is not well-formed XML.
    bool parse(const QByteArray& reply);

    int errorNumber() const { return _errno; }
    QString errorText() const { return _errstr; }
    bool show() const { return _show; }
    // Whether a "response" element was read, and whether its "errno" was a whole number.
    bool hasResponse() const { return _hasResponse; }
    bool errorNumberValid() const { return _errnoValid; }
    // A "response" whose "errno" is the number 0.
    bool accepted() const { return _hasResponse && _errnoValid && _errno == 0; }

private:
    int _errno = 0;
    QString _errstr;
    bool _show = false;
    bool _hasResponse = false;
    bool _errnoValid = false;
};
