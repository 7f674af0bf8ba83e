#pragma once

// Stops a long piece of work as the user or the session does, once it shows its progress.

#include "core/endrequest.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

// From its making on, stops the first work whose progress dialog says `label` (whatever it
// says, when empty): by its Cancel button, or by asking for the end of the session, which its
// end forgets again.
class ProgressStopper
{
public:
    explicit ProgressStopper(bool endOfSession, const QString& label = QString())
    {
        _timer.callOnTimeout([this, endOfSession, label] {
            auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!progress || (!label.isEmpty() && progress->labelText() != label))
                return;
            _timer.stop();
            if (endOfSession)
                EndRequest::ask();
            else if (auto* cancel = progress->findChild<QPushButton*>())
                cancel->click();
        });
        _timer.start(0);
    }
    ~ProgressStopper() { EndRequest::reset(); }
    ProgressStopper(const ProgressStopper&) = delete;
    ProgressStopper& operator=(const ProgressStopper&) = delete;

    // Whether it met the work's progress.
    bool stopped() const { return !_timer.isActive(); }

private:
    QTimer _timer;
};
