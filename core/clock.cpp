#include "core/clock.h"

namespace {
QDateTime& fixedNow()
{
    static QDateTime fixed;
    return fixed;
}
} // namespace

QDate Clock::today()
{
    return now().date();
}

QDateTime Clock::now()
{
    const QDateTime& fixed = fixedNow();
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}

void Clock::setNow(const QDateTime& fixed)
{
    fixedNow() = fixed;
}

void Clock::reset()
{
    fixedNow() = QDateTime();
}
