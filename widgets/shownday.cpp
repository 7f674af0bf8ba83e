#include "widgets/shownday.h"

#include "core/clock.h"
#include "userdb/userdb.h"

ShownDay* ShownDay::instance()
{
    static ShownDay shown;
    if (!shown._date.isValid())
        shown._date = Clock::today();
    return &shown;
}

qint64 ShownDay::user() const
{
    return _reading.value_or(UserDB::instance()->getCurrentUser());
}

QByteArray ShownDay::dateCode() const
{
    return _date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

void ShownDay::show(qint64 user, const QDate& date)
{
    _date = date;
    UserDB::instance()->setCurrentUser(user);
}

ShownDay::Reading::Reading(qint64 user)
    : _outer(instance()->_reading)
{
    instance()->_reading = user;
}

ShownDay::Reading::~Reading()
{
    instance()->_reading = _outer;
}
