#include "core/workprogress.h"

#include "core/endrequest.h"

bool WorkProgress::advance(qint64 done, qint64 total)
{
    if (!_stopped)
        _stopped = EndRequest::asked() || !report(done, total) || EndRequest::asked();
    return !_stopped;
}

bool WorkProgress::report(qint64, qint64)
{
    return true;
}
