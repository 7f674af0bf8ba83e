#pragma once

#include "net/rssitem.h"

#include <QString>

#include <memory>
#include <vector>

// The channel of an RSS document with its items in document order; it owns the items.
class RSSChannel
{
public:
    RSSChannel(const QString& title, const QString& link, const QString& description);
    ~RSSChannel();

    RSSChannel(const RSSChannel&) = delete;
    RSSChannel& operator=(const RSSChannel&) = delete;

    QString title() const { return _title; }
    QString link() const { return _link; }
    QString desc() const { return _description; }

    // Takes the item over; item must not be null.
    void addItem(RSSItem* item);
    int itemCount() const { return int(_items.size()); }
    // The first item, in document order, whose guid is exactly guid; none when there is none.
    RSSItem* findItemWithGUID(const QString& guid) const;

private:
    QString _title;
    QString _link;
    QString _description;
    std::vector<std::unique_ptr<RSSItem>> _items;
};
