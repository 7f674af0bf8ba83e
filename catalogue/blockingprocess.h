#ifndef PANTREL_CATALOGUE_BLOCKINGPROCESS_H
#define PANTREL_CATALOGUE_BLOCKINGPROCESS_H

#include <QByteArray>
#include <QDeadlineTimer>
#include <QIODevice>

class QProcess;

// A child process seen as a blocking device: reads wait, without running the event loop,
// until enough bytes have come, the child has gone or the deadline has passed;
// writes go to the child's standard input and are flushed at once. The device is open
// when the child started; it cannot be opened from outside.
class BlockingProcess : public QIODevice {
    Q_OBJECT

public:
    // Starts the program named by command, as it stands and with no arguments.
    explicit BlockingProcess(const QString& command);
    // Closes the child's input; a child that does not exit soon is asked to terminate and
    // killed when it is still there later.
    ~BlockingProcess() override;

    bool open(OpenMode mode) override;
    bool isSequential() const override { return true; }

    // The time by which reads and writes must be done; none at first (they fail at once).
    void setDeadline(QDeadlineTimer deadline) { _deadline = deadline; }
    // Whether the child still runs.
    bool isRunning() const;

    // How long a child may take to exit by itself once its input is closed, and then, once
    // asked to terminate, before it is killed.
    static constexpr int EXIT_GRACE_MS = 200;
    static constexpr int KILL_DELAY_MS = 10000;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private slots:
    void _readyReadStdout();

private:
    // Waits a while for more output; false when none can come any more: the child is gone, the
    // deadline passed or the end of the session was asked for.
    bool _waitForOutput();
    bool _flushInput();
    void _letChildGo();

    QByteArray _buffer;
    QProcess* _process;
    QDeadlineTimer _deadline{0};
};

#endif
