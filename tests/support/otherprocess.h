#ifndef PANTREL_TESTS_SUPPORT_OTHERPROCESS_H
#define PANTREL_TESTS_SUPPORT_OTHERPROCESS_H

// Another program, in a process of its own, that takes a database file in an exclusive
// transaction at take(), which returns once it holds the file or waits for the readers that
// have begun, every new reader kept out; it lets the file go as it ends. Made while no
// connection of this process reads the file.

#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

class OtherProcess
{
public:
    explicit OtherProcess(const QString& path)
    {
        if (::pipe(_ask) != 0 || ::pipe(_told) != 0 || (_child = ::fork()) != 0) {
            ::close(_ask[0]);
            ::close(_told[1]);
            return;
        }
        sqlite3* db = nullptr;
        char signal = 0;
        ::close(_ask[1]);
        if (::read(_ask[0], &signal, 1) == 1
            && sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_busy_handler(db, &OtherProcess::_waiting, &_told[1]);
            sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
            _waiting(&_told[1], 0);
            while (::read(_ask[0], &signal, 1) == 1) {
            }
        }
        ::_exit(0);
    }
    // The file goes as the pipe that asks closes.
    ~OtherProcess()
    {
        ::close(_ask[1]);
        ::close(_told[0]);
        if (_child > 0)
            ::waitpid(_child, nullptr, 0);
    }

    bool take()
    {
        char told = 0;
        return ::write(_ask[1], "t", 1) == 1 && ::read(_told[0], &told, 1) == 1;
    }

private:
    // Tells once that it holds the file or waits for it, and waits up to ten seconds.
    static int _waiting(void* told, int attempt)
    {
        int& pipe = *static_cast<int*>(told);
        if (pipe >= 0 && ::write(pipe, "w", 1) == 1)
            ::close(pipe);
        pipe = -1;
        ::usleep(1000);
        return attempt < 10000;
    }

    int _ask[2] = {-1, -1};
    int _told[2] = {-1, -1};
    pid_t _child = -1;
};

#endif
