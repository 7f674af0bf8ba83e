#pragma once

#include <QByteArray>
#include <QDate>
#include <QRandomGenerator>
#include <QString>

#include <functional>

// A ten-year diary of one user written into the user database of the current home folder, for
// the benchmarks: 16 or 17 foods a day, two exercise entries on most days, a daily check-in.
class TenYearDiary
{
public:
    static constexpr int Days = 3650;
    static constexpr int User = 0;

    static QDate firstDay() { return QDate(2014, 1, 1); }
    static QByteArray dateCode(const QDate& date);
    // Starts the user database, telling why on stderr when it cannot.
    static bool startDatabase();
    // Writes the diary, each food named by foodName from its catalogue id, and closes the
    // database again.
    static bool write(const std::function<QString(int refId)>& foodName);
    // A day somewhere in the diary, different on every call.
    static QByteArray someDay(QRandomGenerator& random);

private:
    static void addFoods(const QByteArray& date, int count, QRandomGenerator& random,
                         const std::function<QString(int refId)>& foodName);
    static void addExercise(const QByteArray& date);
    static void addCheckin(const QByteArray& date, float weight);
};
