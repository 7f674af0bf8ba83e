#pragma once

#include "core/notificationparam.h"

#include <QObject>
#include <QString>

// Emits the notifications of one name to the slots subscribed to it.
class NotificationDispatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    void post(const QString& name, const NotificationParam& param) { emit notification(name, param); }

signals:
    void notification(const QString& name, const NotificationParam& param);
};
