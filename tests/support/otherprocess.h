#ifndef PANTREL_TESTS_SUPPORT_OTHERPROCESS_H
#define PANTREL_TESTS_SUPPORT_OTHERPROCESS_H

// Another program, in a process of its own, that takes a database file in an exclusive
// transaction when asked. take() returns once that program holds the file, or waits for the
// readers that have begun to end with every new reader kept out; end() lets the file go. Made
// while no connection of this process has the file open.

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
        if (::pipe(_ask) != 0 || ::pipe(_told) != 0)
            return;
        _child = ::fork();
        if (_child == 0)
            _run(QFile::encodeName(path));
        ::close(_ask[0]);
        ::close(_told[1]);
    }
    ~OtherProcess() { end(); }
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    bool take()
    {
        char signal = 't';
        return _child > 0 && ::write(_ask[1], &signal, 1) == 1 && ::read(_told[0], &signal, 1) == 1;
    }
    void end()
    {
        if (_child <= 0)
            return;
        ::close(_ask[1]);
        ::close(_told[0]);
        ::waitpid(_child, nullptr, 0);
        _child = -1;
    }

private:
    // Tells that it waits, once, and keeps waiting for up to ten seconds.
    static int _waiting(void* told, int attempt)
    {
        if (attempt == 0)
            _tell(*static_cast<int*>(told));
        ::usleep(1000);
        return attempt < 10000;
    }
    static void _tell(int& told)
    {
        if (told >= 0 && ::write(told, "w", 1) == 1)
            ::close(told);
        told = -1;
    }
    [[noreturn]] void _run(const QByteArray& path)
    {
        ::close(_ask[1]);
        ::close(_told[0]);
        char signal = 0;
        sqlite3* db = nullptr;
        int told = _told[1];
        if (::read(_ask[0], &signal, 1) != 1 || sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            ::_exit(1);
        sqlite3_busy_handler(db, &OtherProcess::_waiting, &told);
        const bool held = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
        _tell(told);
        while (::read(_ask[0], &signal, 1) == 1) {
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        ::_exit(held ? 0 : 1);
    }

    int _ask[2] = {-1, -1};
    int _told[2] = {-1, -1};
    pid_t _child = -1;
};

#endif
