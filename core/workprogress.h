#pragma once

#include <QtGlobal>

// How a piece of work that may take a while (a print, an export, a copy of the diary) tells
// how far it is and hears that it should stop: the user's Cancel, or the end of the session.
// The work calls advance() between its steps and, once that returns false, stops at once and
// leaves what it was replacing as it was. This one tells no one and stops only for the end of
// the session; a screen passes one that shows the progress and offers Cancel.
class WorkProgress
{
public:
    virtual ~WorkProgress() = default;

    // `done` of `total` steps are over (a total of 0: not known). False once the work should
    // stop, and from then on.
    bool advance(qint64 done, qint64 total);
    // Whether the work was asked to stop.
    bool stopped() const { return _stopped; }

protected:
    // Tells how far the work is; false when the user asked it to stop.
    virtual bool report(qint64 done, qint64 total);

private:
    bool _stopped = false;
};
