#pragma once

#include "diary/diarylistview.h"
#include "core/clock.h"
#include "core/unitcollection.h"
#include "userdb/diarydb.h"
#include "userdb/savedmealdb.h"
#include "widgets/bxcalendar.h"
#include "widgets/shownday.h"
#include "tests/diary/diarytestdata.h"
#include "tests/support/testsession.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QtTest>

#include <functional>
#include <memory>

// A diary list whose dialogs answer from the test and whose drags come from where the test
// says (synthetic drag events carry no source).
class TestDiaryList : public DiaryListView
{
public:
    TestDiaryList() : DiaryListView(nullptr, "mealView") {}

    const QObject* source = nullptr;
    std::function<bool(DBTypes::FoodDiaryItem&, qint64 foodId, bool editing)> foodDialog;
    std::function<bool(DBTypes::ExerciseDiaryItem&, qint64 exerciseId, bool editing)> exerciseDialog;
    std::function<bool(DBTypes::FoodDiaryItem&, qint64 recipeId)> recipe;
    int savedMeal = -1;
    int foodDialogs = 0;
    int exerciseDialogs = 0;

protected:
    const QObject* dropSource(const QDropEvent*) const override { return source; }

    bool runFoodDialog(DBTypes::FoodDiaryItem& entry, qint64 foodId, bool editing) override
    {
        ++foodDialogs;
        return foodDialog && foodDialog(entry, foodId, editing);
    }

    bool runExerciseDialog(DBTypes::ExerciseDiaryItem& entry, qint64 exerciseId,
                           bool editing) override
    {
        ++exerciseDialogs;
        return exerciseDialog && exerciseDialog(entry, exerciseId, editing);
    }

    bool loadRecipe(DBTypes::FoodDiaryItem& entry, qint64 recipeId) override
    {
        return recipe && recipe(entry, recipeId);
    }

    qint64 chooseSavedMeal() override { return savedMeal; }
};

// The session of the diary list's tests: a 10-point font, the clock at noon of the test day
// and a current user, Ann.
inline bool startDiaryListSession()
{
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    Clock::setNow(QDateTime(s_day, QTime(12, 0)));
    return startSessionWithUser(QStringLiteral("Ann"));
}

inline void endDiaryListSession()
{
    Clock::reset();
    SavedMealDB::cleanUp();
    DiaryDB::cleanUp();
    UnitCollection::cleanUp();
    endSession();
}

// A list on a calendar of its own at the test day: snacks together, energy and fat columns,
// 700 by 500, shown; false when the window never shows.
inline bool showDiaryList(std::unique_ptr<BXCalendar>& calendar,
                          std::unique_ptr<TestDiaryList>& list)
{
    calendar = std::make_unique<BXCalendar>(nullptr, s_day, QDate(2000, 1, 1), QDate(2100, 1, 1));
    list = std::make_unique<TestDiaryList>();
    list->setCalendar(calendar.get());
    ShownDay::instance()->show(user(), s_day);
    list->setViewMode(DBTypes::SNACKS_TOGETHER);
    list->setColumnSettings(QStringLiteral("0:2:"));
    list->resize(700, 500);
    list->show();
    return QTest::qWaitForWindowExposed(list.get());
}
