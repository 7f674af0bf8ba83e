#include "net/qhttpsbase.h"

namespace {

QHttpsBase::Timeouts& timeouts()
{
    static QHttpsBase::Timeouts values;
    return values;
}

} // namespace

void QHttpsBase::setDefaultTimeouts(const Timeouts& values)
{
    timeouts() = values;
}

QHttpsBase::Timeouts QHttpsBase::defaultTimeouts()
{
    return timeouts();
}
