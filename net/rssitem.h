#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

// One item of an RSS channel: its link, guid and publication date, and every child element
// whose tag name has a namespace prefix, by tag name.
class RSSItem
{
public:
    RSSItem() = default;

    QString link() const { return _link; }
    QString guid() const { return _guid; }
    QDateTime pubDate() const { return _pubDate; }

    void setLink(const QString& link) { _link = link; }
    void setGuid(const QString& guid) { _guid = guid; }
    void setPubDate(const QDateTime& pubDate) { _pubDate = pubDate; }

    // Keeps the first value given for a name.
    void addCustomField(const QString& name, const QString& value);
    // The field's text, or a null text when there is no such field.
    QString customField(const QString& name) const { return _customFields.value(name); }
    bool hasCustomField(const QString& name) const { return _customFields.contains(name); }

private:
    QString _link;
    QString _guid;
    QDateTime _pubDate;
    QMap<QString, QString> _customFields;
};
