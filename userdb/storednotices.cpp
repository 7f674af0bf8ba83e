#include "userdb/storednotices.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSet>

#include <utility>

namespace {

struct Notices
{
    QMutex mutex;
    QSet<QString> told;
    QStringList waiting;
    std::function<void()> listener;
};

Notices& notices()
{
    static Notices all;
    return all;
}

}  // namespace

bool StoredNotices::tell(const QString& kind, const QString& text)
{
    Notices& all = notices();
    const QMutexLocker lock(&all.mutex);
    if (all.told.contains(kind))
        return false;
    all.told.insert(kind);
    all.waiting.append(text);
    if (all.waiting.size() == 1 && all.listener)
        all.listener();
    return true;
}

QStringList StoredNotices::take()
{
    Notices& all = notices();
    const QMutexLocker lock(&all.mutex);
    return std::exchange(all.waiting, QStringList());
}

void StoredNotices::setListener(std::function<void()> listener)
{
    Notices& all = notices();
    const QMutexLocker lock(&all.mutex);
    all.listener = std::move(listener);
    if (!all.waiting.isEmpty() && all.listener)
        all.listener();
}

void StoredNotices::restart()
{
    Notices& all = notices();
    const QMutexLocker lock(&all.mutex);
    all.told.clear();
    all.waiting.clear();
}
