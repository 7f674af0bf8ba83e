#pragma once

#include <QDate>
#include <QDateTime>

// The one source of today's date and the current time for the whole program. Tests fix it
// with setNow(); everything else asks here instead of the system clock.
class Clock
{
public:
    static QDate today();
    static QDateTime now();

    // From now on today() and now() give `fixed`, until reset().
    static void setNow(const QDateTime& fixed);
    // Back to the system clock.
    static void reset();
};
