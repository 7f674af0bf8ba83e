#include "net/publishprogressdialog.h"

#include "core/brandengine.h"
#include "net/qhttps.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpacerItem>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const int TickSize = 16;
const int CountdownSeconds = 5;

} // namespace

PublishProgressDialog::PublishProgressDialog(QWidget* parent, const char* name, bool modal,
                                             Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("PublishProgress"));
    setModal(modal);

    textLabel1 = new QLabel(this);
    textLabel1->setObjectName(QStringLiteral("textLabel1"));
    textLabel1->setTextFormat(Qt::RichText);
    connectingTickLabel = _tickLabel("connectingTickLabel");
    connectingLabel = _stepLabel("connectingLabel");
    sendingTickLabel = _tickLabel("sendingTickLabel");
    sendingLabel = _stepLabel("sendingLabel");
    readingTickLabel = _tickLabel("readingTickLabel");
    readingLabel = _stepLabel("readingLabel");
    disconnectingTickLabel = _tickLabel("disconnectingTickLabel");
    closingLabel = _stepLabel("closingLabel");
    doneTickLabel = _tickLabel("doneTickLabel");
    doneLabel = _stepLabel("doneLabel");
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    cancelButton = new QPushButton(this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));

    auto* layout = new QVBoxLayout(this);
    layout->setObjectName(QStringLiteral("PublishProgressLayout"));
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(textLabel1);
    auto* steps = new QGridLayout;
    steps->setObjectName(QStringLiteral("layout7"));
    steps->setContentsMargins(0, 0, 0, 0);
    steps->setSpacing(6);
    const QList<QPair<QLabel*, QLabel*>> rows = {{connectingTickLabel, connectingLabel},
                                                 {sendingTickLabel, sendingLabel},
                                                 {readingTickLabel, readingLabel},
                                                 {disconnectingTickLabel, closingLabel},
                                                 {doneTickLabel, doneLabel}};
    for (int row = 0; row < rows.size(); ++row) {
        steps->addWidget(rows[row].first, row, 0);
        steps->addWidget(rows[row].second, row, 1);
    }
    steps->setColumnStretch(1, 1);
    layout->addLayout(steps);
    layout->addWidget(progressBar);
    auto* buttons = new QHBoxLayout;
    buttons->setObjectName(QStringLiteral("layout4"));
    buttons->setSpacing(6);
    buttons->addItem(new QSpacerItem(411, 21, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(cancelButton);
    layout->addLayout(buttons);
    setMinimumSize(457, 204);

    languageChange();
    connect(cancelButton, &QPushButton::clicked, this, &PublishProgressDialog::doDoneButton);
    init();
}

QLabel* PublishProgressDialog::_tickLabel(const char* name)
{
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setMaximumSize(TickSize, TickSize);
    label->setMinimumSize(TickSize, TickSize);
    label->setScaledContents(true);
    return label;
}

QLabel* PublishProgressDialog::_stepLabel(const char* name)
{
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setEnabled(false);
    return label;
}

void PublishProgressDialog::languageChange()
{
    setWindowTitle(tr("Publish Progress"));
    connectingLabel->setText(tr("Connecting"));
    sendingLabel->setText(tr("Sending"));
    readingLabel->setText(tr("Reading"));
    closingLabel->setText(tr("Disconnecting"));
    doneLabel->setText(tr("Done"));
    cancelButton->setText(tr("&Cancel"));
    cancelButton->setShortcut(QKeySequence(tr("Alt+C")));
}

void PublishProgressDialog::init()
{
    _finished = false;
    _countdown = CountdownSeconds;
    _timer = new QTimer(this);
    connect(_timer, &QTimer::timeout, this, &PublishProgressDialog::updateTimer);
    connect(cancelButton, &QPushButton::pressed, this, &PublishProgressDialog::stopTimer);
    textLabel1->setText(tr("<b>Please wait while we publish your entries to %1</b>")
                            .arg(BrandEngine::instance()->getString("web_address").toHtmlEscaped()));
}

bool PublishProgressDialog::timerActive() const
{
    return _timer->isActive();
}

void PublishProgressDialog::_tick(QLabel* label)
{
    label->setPixmap(BrandEngine::instance()->getPixmap("graphics.icon.tick"));
}

void PublishProgressDialog::updateProgress(int done, int total)
{
    progressBar->setMaximum(total);
    // Full only once the reply has been handled.
    progressBar->setValue(done == total ? done - 1 : done);
}

void PublishProgressDialog::updateState(int state)
{
    if (_finished)
        return;
    QLabel* text = nullptr;
    QLabel* tick = nullptr;
    switch (state) {
    case QHttps::Connecting: text = connectingLabel; tick = connectingTickLabel; break;
    case QHttps::Sending: text = sendingLabel; tick = sendingTickLabel; break;
    case QHttps::Reading: text = readingLabel; tick = readingTickLabel; break;
    case QHttps::Closing: text = closingLabel; tick = disconnectingTickLabel; break;
    case QHttps::Unconnected: text = doneLabel; tick = doneTickLabel; break;
    default:
        return;
    }
    text->setEnabled(true);
    _tick(tick);
}

void PublishProgressDialog::done(bool finished, const QString& status)
{
    _finished = finished;
    if (!finished) {
        cancelButton->setText(tr("Cancel"));
        return;
    }
    progressBar->setMaximum(100);
    progressBar->setValue(100);
    if (status != QLatin1String("Completed successfully")) {
        cancelButton->setText(tr("OK"));
        return;
    }
    readingLabel->setText(tr("Reading (Publish completed!)"));
    _tick(disconnectingTickLabel);
    _tick(doneTickLabel);
    doneLabel->setEnabled(true);
    closingLabel->setEnabled(true);
    _timer->start(1000);
    _showCountdown();
}

void PublishProgressDialog::_showCountdown()
{
    cancelButton->setText(tr("OK (%1)").arg(_countdown));
}

void PublishProgressDialog::doDoneButton()
{
    if (_finished)
        accept();
    else
        reject();
}

void PublishProgressDialog::updateTimer()
{
    if (_countdown < 2) {
        _timer->stop();
        doDoneButton();
        return;
    }
    --_countdown;
    _showCountdown();
}

void PublishProgressDialog::stopTimer()
{
    if (!_timer->isActive())
        return;
    _timer->stop();
    cancelButton->setText(tr("OK"));
}
