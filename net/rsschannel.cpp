#include "net/rsschannel.h"

#include <cassert>

RSSChannel::RSSChannel(const QString& title, const QString& link, const QString& description)
    : _title(title), _link(link), _description(description)
{
}

RSSChannel::~RSSChannel() = default;

void RSSChannel::addItem(RSSItem* item)
{
    assert(item);
    _items.emplace_back(item);
}

RSSItem* RSSChannel::findItemWithGUID(const QString& guid) const
{
    for (const auto& item : _items) {
        if (item->guid() == guid)
            return item.get();
    }
    return nullptr;
}
