#include "net/rssitem.h"

void RSSItem::addCustomField(const QString& name, const QString& value)
{
    if (!_customFields.contains(name))
        _customFields.insert(name, value);
}
