#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The window a publish runs under: five steps that tick off as the web client changes
// state, the upload progress, and one button that cancels while the request runs and
// closes the window once it has ended. After a success the button counts down and the
// window closes by itself.
class PublishProgressDialog : public QDialog
{
    Q_OBJECT

public:
    PublishProgressDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                          Qt::WindowFlags flags = {});

    QLabel* textLabel1;
    QLabel* connectingTickLabel;
    QLabel* connectingLabel;
    QLabel* sendingTickLabel;
    QLabel* sendingLabel;
    QLabel* readingTickLabel;
    QLabel* readingLabel;
    QLabel* disconnectingTickLabel;
    QLabel* closingLabel;
    QLabel* doneTickLabel;
    QLabel* doneLabel;
    QProgressBar* progressBar;
    QPushButton* cancelButton;

    bool isFinished() const { return _finished; }
    int countdown() const { return _countdown; }
    bool timerActive() const;

public slots:
    virtual void updateProgress(int done, int total);
    virtual void updateState(int state);
    // The run has ended: the publisher has set the texts of a failure before; only the
    // status "Completed successfully" counts as success.
    virtual void done(bool finished, const QString& status);
    virtual void doDoneButton();
    virtual void updateTimer();
    virtual void stopTimer();
    virtual void languageChange();

protected:
    virtual void init();

private:
    QLabel* _tickLabel(const char* name);
    QLabel* _stepLabel(const char* name);
    void _tick(QLabel* label);
    void _showCountdown();

    bool _finished = false;
    int _countdown = 5;
    QTimer* _timer = nullptr;
};
