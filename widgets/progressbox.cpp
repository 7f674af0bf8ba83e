#include "widgets/progressbox.h"

#include "widgets/userturn.h"

#include <QProgressBar>
#include <QProgressDialog>

namespace {

// How often the events waiting are handled during the work: the windows keep up, and Cancel is
// heard well within a second.
constexpr qint64 PassMs = 50;
// The bar's steps, whatever the work counts.
constexpr int Steps = 1000;

} // namespace

ProgressBox::ProgressBox(QWidget* parent, const QString& title, const QString& label)
    : _dialog(new QProgressDialog(label, QProgressDialog::tr("Cancel"), 0, 0, parent))
    , _bar(new QProgressBar(_dialog))
{
    // The dialog's own setValue() would handle events outside a pass of UserTurn.
    _bar->setRange(0, 0);
    _dialog->setBar(_bar);
    _dialog->setWindowTitle(title);
    _dialog->setWindowModality(Qt::ApplicationModal);
    _dialog->setAutoClose(false);
    _dialog->setAutoReset(false);
    _dialog->setMinimumDuration(0);
    _dialog->show();
}

ProgressBox::~ProgressBox()
{
    delete _dialog;
}

void ProgressBox::setLabel(const QString& label)
{
    if (_dialog)
        _dialog->setLabelText(label);
    // A new stage is shown at its first step.
    _sincePass.invalidate();
}

void ProgressBox::setCancelText(const QString& text)
{
    if (_dialog)
        _dialog->setCancelButtonText(text);
}

QString ProgressBox::title() const
{
    return _dialog ? _dialog->windowTitle() : QString();
}

QString ProgressBox::label() const
{
    return _dialog ? _dialog->labelText() : QString();
}

bool ProgressBox::report(qint64 done, qint64 total)
{
    if (!_sincePass.isValid() || _sincePass.elapsed() >= PassMs) {
        if (_bar && total > 0) {
            _bar->setMaximum(Steps);
            _bar->setValue(int(qBound(qint64(0), done * Steps / total, qint64(Steps))));
        }
        UserTurn::passEvents();
        _sincePass.start();
    }
    // Cancel, Escape and the window's close button all end the dialog.
    return _dialog && _dialog->isVisible() && !_dialog->wasCanceled();
}
