#pragma once

#include <QByteArray>
#include <QDate>

#include <optional>

// The user and the day the diary's pages show, and so the ones every action of theirs acts
// on. It moves by one call, made only once everything the pages show of the new user or day
// has been read; until then the pages, and the actions, stay on the user and day shown. The
// user database's current user follows it, and nothing else moves that.
class ShownDay
{
public:
    static ShownDay* instance();

    // The user shown, the user database's current one; below 0 when none is (before the first
    // user's page was read, or when it could not be). While a Reading lives, the user whose
    // pages it reads.
    qint64 user() const;
    QDate date() const { return _date; }
    // The day as a diary date code (yyyyMMdd).
    QByteArray dateCode() const;

    // Makes the user the user database's current one and the day the one shown.
    void show(qint64 user, const QDate& date);

    // While it lives, the pages that read for the user shown read for `user` instead: a user
    // switch reads the new user's pages whole with it before the user shown moves. Lives
    // inside one reading action, through which nothing else runs.
    class Reading
    {
    public:
        explicit Reading(qint64 user);
        ~Reading();
        Reading(const Reading&) = delete;
        Reading& operator=(const Reading&) = delete;

    private:
        std::optional<int> _outer;
    };

private:
    ShownDay() = default;

    QDate _date;
    std::optional<int> _reading;
};
