// Feeds arbitrary bytes to the update-feed reader, then looks the update item up, makes
// the update decision and takes the download link apart as the updater does. Nothing may
// crash, hang or read out of bounds.
#include "net/rssreader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QUrl>

#include <cstdint>

namespace {

void dropMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (qInstallMessageHandler(dropMessages), true);
    (void)quiet;
    const RSSReader reader(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const RSSChannel* channel = reader.getChannel();
    if (!channel)
        return 0;
    (void)channel->title().size();
    const RSSItem* item = channel->findItemWithGUID(QStringLiteral("staticdb_updates"));
    if (!item)
        return 0;
    if (item->link().isNull()) {
        if (item->hasCustomField(QStringLiteral("orv:message")))
            (void)item->customField(QStringLiteral("orv:message")).size();
        return 0;
    }
    static const QDateTime installed(QDate(2011, 9, 1), QTime(23, 59, 59));
    volatile bool newer = item->pubDate().isValid() && installed < item->pubDate();
    (void)newer;
    const QUrl link(item->link());
    (void)link.scheme().size();
    (void)link.host().size();
    (void)link.port(443);
    (void)link.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).size();
    return 0;
}
