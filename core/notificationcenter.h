#pragma once

#include "core/notificationparam.h"

class QObject;
class NotificationCenterPrivate;

// Named notifications between parts of the program that do not know each other. Posting a
// name calls the slots of all its observers synchronously, before notify() returns.
class NotificationCenter
{
public:
    // Connects the observer's slot to the named notification. The slot is a signature such as
    // "appAboutToStart()" or "refresh(const QString&,const NotificationParam&)", plain or as
    // given by SLOT(); it may take the name and the parameter, or fewer arguments.
    static void addObserver(QObject* observer, const char* slot, const char* name);

    static void notify(const char* name);
    static void notify(const char* name, int param);
    static void notify(const char* name, void* param);
    static void notify(const char* name, const NotificationParam& param);

    // Drops every subscription; the next operation starts afresh.
    static void cleanUp();

private:
    static NotificationCenterPrivate* _private();
    static NotificationCenterPrivate* s_private;
};
