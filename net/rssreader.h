#pragma once

#include "net/rsschannel.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QDomElement;

// Reads an RSS document at construction. Forgiving: problems are traced and give no channel,
// or fewer items, rather than an error.
class RSSReader
{
public:
    // A feed needs a handful of levels; a document nested deeper is not taken for one.
    static constexpr int MAX_DEPTH = 16;

    explicit RSSReader(const QByteArray& data);
    ~RSSReader();

    RSSReader(const RSSReader&) = delete;
    RSSReader& operator=(const RSSReader&) = delete;

    // The channel, or none when the document is not a usable RSS document.
    RSSChannel* getChannel() const { return _channel.get(); }
    // The root element's version attribute; null when it has none.
    QString version() const { return _version; }

private:
    void _parseChannel(const QDomElement& channel);

    QString _version;
    std::unique_ptr<RSSChannel> _channel;
};
