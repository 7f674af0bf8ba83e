#pragma once

// Stops a long piece of work as the user or the session does, once it shows its progress.

#include "core/endrequest.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// From its making on, stops the first work whose progress dialog says `label` (whatever it
// says, when empty): by its Cancel button, by Escape, by closing its window, or by asking for
// the end of the session, which its end forgets again.
class ProgressStopper
{
public:
    enum How { Cancel, Escape, Close, EndOfSession };

    explicit ProgressStopper(How how, const QString& label = QString())
    {
        _timer.callOnTimeout([this, how, label] {
            auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!progress || (!label.isEmpty() && progress->labelText() != label))
                return;
            _timer.stop();
            _title = progress->windowTitle();
            if (how == EndOfSession)
                EndRequest::ask();
            else if (how == Escape) {
                // Active, as a window manager makes the dialog, it hears its key sequences.
                QApplication::setActiveWindow(progress);
                QTest::keyClick(progress, Qt::Key_Escape);
            }
            else if (how == Close)
                progress->close();
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
    // The title of the progress dialog it met.
    QString title() const { return _title; }

private:
    QTimer _timer;
    QString _title;
};
