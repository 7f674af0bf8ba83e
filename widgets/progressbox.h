#pragma once

#include "core/workprogress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QProgressBar;
class QProgressDialog;
class QWidget;

// The progress of a screen's long work, shown in a modal progress dialog with Cancel from its
// first step on; the dialog's title names the work, as its command does. Between steps the events waiting are handled now and then, so that the
// windows are drawn and Cancel (or Escape, or the end of the session) is heard; the work stops
// at its next step after that. The dialog never runs a loop of its own.
class ProgressBox : public WorkProgress
{
public:
    ProgressBox(QWidget* parent, const QString& title, const QString& label);
    ~ProgressBox() override;
    ProgressBox(const ProgressBox&) = delete;
    ProgressBox& operator=(const ProgressBox&) = delete;

    // What the dialog says is under way; shown at the next step.
    void setLabel(const QString& label);
    // The words of the button that stops the work (Cancel by default).
    void setCancelText(const QString& text);
    QString title() const;
    QString label() const;

protected:
    bool report(qint64 done, qint64 total) override;

private:
    QPointer<QProgressDialog> _dialog;
    QPointer<QProgressBar> _bar;
    QElapsedTimer _sincePass;
};
