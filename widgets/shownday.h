#pragma once

#include <QByteArray>
#include <QDate>

// The user and the day the diary's pages show, and so the ones every action of theirs acts
// on. It moves by one call, made only once everything the pages show of the new user or day
// has been read; until then the pages, and the actions, stay on the user and day shown.
class ShownDay
{
public:
    static ShownDay* instance();

    // The user shown, the user database's current one; below 0 before any.
    int user() const;
    QDate date() const { return _date; }
    // The day as a diary date code (yyyyMMdd).
    QByteArray dateCode() const;

    // Makes the user the user database's current one and the day the one shown.
    void show(int user, const QDate& date);

private:
    ShownDay() = default;

    QDate _date;
};
