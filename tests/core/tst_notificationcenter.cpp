#include "core/notificationcenter.h"

#include <QTest>

#include <memory>

namespace {

class Observer : public QObject
{
    Q_OBJECT

public:
    QStringList names;
    QList<NotificationParam> params;
    int plainCalls = 0;
    const char* forward = nullptr;  // posted from inside the slot when set

public slots:
    void received(const QString& name, const NotificationParam& param)
    {
        names << name;
        params << param;
        if (forward)
            NotificationCenter::notify(std::exchange(forward, nullptr), 7);
    }
    void appAboutToStart() { ++plainCalls; }
};

} // namespace

class TestNotificationCenter : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { NotificationCenter::cleanUp(); }

    void postingWithoutObserversDoesNothing()
    {
        NotificationCenter::notify("app_about_to_start");
        NotificationCenter::notify("nobody", 3);
        Observer observer;
        NotificationCenter::addObserver(&observer, SLOT(received(QString,NotificationParam)), "somebody");
        NotificationCenter::notify("nobody", 3);
        QVERIFY(observer.names.isEmpty());
    }

    void everyObserverIsCalledBeforeNotifyReturns()
    {
        Observer first, second;
        NotificationCenter::addObserver(&first, "received(const QString&,const NotificationParam&)", "reloaded");
        NotificationCenter::addObserver(&second, SLOT(received(QString,NotificationParam)), "reloaded");
        NotificationCenter::addObserver(&second, "appAboutToStart()", "reloaded");
        NotificationCenter::notify("reloaded", 42);
        QCOMPARE(first.names, QStringList{"reloaded"});
        QCOMPARE(first.params.value(0).toInt(), 42);
        QCOMPARE(second.names, QStringList{"reloaded"});
        QCOMPARE(second.plainCalls, 1);
        NotificationCenter::notify("reloaded");
        QCOMPARE(first.params.value(1).toInt(), 0);
    }

    void pointerParameterArrivesUnchanged()
    {
        Observer observer;
        NotificationCenter::addObserver(&observer, SLOT(received(QString,NotificationParam)), "pointer");
        int record = 5;
        NotificationCenter::notify("pointer", static_cast<void*>(&record));
        QCOMPARE(observer.params.value(0).toPointer(), static_cast<void*>(&record));
        QCOMPARE(record, 5);
        NotificationCenter::notify("pointer", NotificationParam(-9));
        QCOMPARE(observer.params.value(1).toInt(), -9);
    }

    void destroyedObserverIsDropped()
    {
        Observer staying;
        auto leaving = std::make_unique<Observer>();
        NotificationCenter::addObserver(leaving.get(), "appAboutToStart()", "gone");
        NotificationCenter::addObserver(&staying, "appAboutToStart()", "gone");
        leaving.reset();
        NotificationCenter::notify("gone");
        QCOMPARE(staying.plainCalls, 1);
    }

    void observerMayPostFromItsSlot()
    {
        Observer poster, listener;
        poster.forward = "second";
        NotificationCenter::addObserver(&poster, SLOT(received(QString,NotificationParam)), "first");
        NotificationCenter::addObserver(&listener, SLOT(received(QString,NotificationParam)), "second");
        NotificationCenter::notify("first", 1);
        QCOMPARE(listener.names, QStringList{"second"});
        QCOMPARE(listener.params.value(0).toInt(), 7);
    }
};

QTEST_GUILESS_MAIN(TestNotificationCenter)
#include "tst_notificationcenter.moc"
