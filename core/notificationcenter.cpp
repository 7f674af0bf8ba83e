#include "core/notificationcenter.h"

#include "core/notificationdispatcher.h"

#include <QByteArray>
#include <QObject>

#include <map>
#include <memory>

// The dispatchers of the names that have observers, created on the first subscription.
class NotificationCenterPrivate
{
public:
    NotificationDispatcher* dispatcher(const QString& name, bool create)
    {
        auto found = _dispatchers.find(name);
        if (found == _dispatchers.end()) {
            if (!create)
                return nullptr;
            found = _dispatchers.emplace(name, std::make_unique<NotificationDispatcher>()).first;
        }
        return found->second.get();
    }

private:
    std::map<QString, std::unique_ptr<NotificationDispatcher>> _dispatchers;
};

NotificationCenterPrivate* NotificationCenter::s_private = nullptr;

NotificationCenterPrivate* NotificationCenter::_private()
{
    if (!s_private)
        s_private = new NotificationCenterPrivate;
    return s_private;
}

void NotificationCenter::cleanUp()
{
    delete s_private;
    s_private = nullptr;
}

void NotificationCenter::addObserver(QObject* observer, const char* slot, const char* name)
{
    NotificationDispatcher* dispatcher = _private()->dispatcher(QString::fromUtf8(name), true);
    // Accept the slot both as a plain signature and as SLOT() codes it.
    QByteArray method(slot);
    if (!method.startsWith(QT_STRINGIFY(QSLOT_CODE)) && !method.startsWith(QT_STRINGIFY(QSIGNAL_CODE)))
        method.prepend(QT_STRINGIFY(QSLOT_CODE));
    QObject::connect(dispatcher, SIGNAL(notification(QString, NotificationParam)), observer, method.constData());
}

void NotificationCenter::notify(const char* name)
{
    notify(name, NotificationParam(0));
}

void NotificationCenter::notify(const char* name, int param)
{
    notify(name, NotificationParam(param));
}

void NotificationCenter::notify(const char* name, void* param)
{
    notify(name, NotificationParam(param));
}

void NotificationCenter::notify(const char* name, const NotificationParam& param)
{
    const QString text = QString::fromUtf8(name);
    if (NotificationDispatcher* dispatcher = _private()->dispatcher(text, false))
        dispatcher->post(text, param);
}
