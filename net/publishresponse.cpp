#include "net/publishresponse.h"

#include <QXmlStreamReader>

bool PublishResponse::parse(const QByteArray& reply)
{
    QXmlStreamReader reader(reply);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement
            || reader.qualifiedName() != QLatin1String("response"))
            continue;
        _hasResponse = true;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (attributes.hasAttribute(QLatin1String("errno")))
            _errno = attributes.value(QLatin1String("errno")).toInt(&_errnoValid, 10);
        if (attributes.hasAttribute(QLatin1String("errstr")))
            _errstr = attributes.value(QLatin1String("errstr")).toString();
        _show = attributes.value(QLatin1String("show")) == QLatin1String("yes");
    }
    return !reader.hasError();
}
