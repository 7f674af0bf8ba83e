#include "net/rssreader.h"

#include <QDebug>
#include <QDomDocument>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

// Whether no element of the document lies deeper than maxDepth; read in one linear pass, so
// that a deep document is turned away before a tree is built from it.
bool nestedWithin(const QByteArray& data, int maxDepth)
{
    QXmlStreamReader reader(data);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > maxDepth)
                return false;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return true;
}

// The text of the first direct child element called name; null when there is none.
QString childText(const QDomElement& parent, const QString& name, bool* found = nullptr)
{
    const QDomElement child = parent.firstChildElement(name);
    if (found)
        *found = *found || !child.isNull();
    if (child.isNull())
        return QString();
    const QString text = child.text();
    return text.isNull() ? QStringLiteral("") : text;
}

// An item made from an "item" element; none when it has none of the fields an item carries.
RSSItem* parseItem(const QDomElement& element)
{
    bool found = false;
    auto item = std::make_unique<RSSItem>();
    item->setLink(childText(element, QStringLiteral("link"), &found));
    item->setGuid(childText(element, QStringLiteral("guid"), &found));
    const QString pubDate = childText(element, QStringLiteral("pubDate"), &found);
    if (!pubDate.isNull())
        item->setPubDate(QDateTime::fromString(pubDate, Qt::ISODate));

    static const QRegularExpression prefixed(QStringLiteral("\\A.*:.*\\z"));
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (!prefixed.match(child.tagName()).hasMatch())
            continue;
        item->addCustomField(child.tagName(), child.text());
        found = true;
    }
    if (!found) {
        qDebug("Invalid RSS channel item. No elements!");
        return nullptr;
    }
    return item.release();
}

} // namespace

RSSReader::RSSReader(const QByteArray& data)
{
    if (!nestedWithin(data, MAX_DEPTH)) {
        qDebug("RSSReader: Not a RSS document. Nested deeper than %d elements!", MAX_DEPTH);
        return;
    }
    QDomDocument document;
    document.setContent(data);
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("rss")) {
        qDebug("RSSReader: Not a RSS document. No rss element!");
        return;
    }
    if (root.hasAttribute(QStringLiteral("version")))
        _version = root.attribute(QStringLiteral("version"));
    else
        qDebug("RSSReader: Document missing 'version' attribute. Invalid RSS document but continuing anyway.");

    const QDomElement channel = root.firstChildElement(QStringLiteral("channel"));
    if (channel.isNull()) {
        qDebug("RSSReader: Document missing channel element!");
        return;
    }
    _parseChannel(channel);
}

RSSReader::~RSSReader() = default;

void RSSReader::_parseChannel(const QDomElement& channel)
{
    QString texts[3];
    const char* const names[3] = {"title", "link", "description"};
    for (int i = 0; i < 3; ++i) {
        texts[i] = childText(channel, QLatin1String(names[i]));
        if (texts[i].isNull())
            qDebug("RSSReader: Invalid channel. No '%s' element.", names[i]);
    }
    for (const QString& text : texts) {
        if (text.isNull())
            return;
    }
    _channel = std::make_unique<RSSChannel>(texts[0], texts[1], texts[2]);
    const QDomNodeList items = channel.elementsByTagName(QStringLiteral("item"));
    for (int i = 0; i < items.size(); ++i) {
        if (RSSItem* item = parseItem(items.at(i).toElement()))
            _channel->addItem(item);
    }
}
