#pragma once

// Entries, days and menu look-ups shared by the diary list's tests.

#include "diary/diarylistview.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"
#include "tests/support/scriptedprompter.h"

#include <QDate>
#include <QMenu>
#include <QTreeWidgetItem>

inline const QDate s_day(2026, 3, 10);

inline qint64 user()
{
    return UserDB::instance()->getCurrentUser();
}

inline DBTypes::FoodDiaryItem food(int meal, const QString& name, float energy, float fat = 2.0f)
{
    DBTypes::FoodDiaryItem entry;
    entry.desc = name;
    entry.servingDesc = QStringLiteral("cup");
    entry.size = 1.0f;
    entry.refId = 0;
    entry.meal = meal;
    entry.userId = user();
    entry.values.kind = 'F';
    entry.values.energy = energy;
    entry.values.fat = fat;
    entry.setDate(s_day.toString(QStringLiteral("yyyyMMdd")).toStdString());
    return entry;
}

inline qint64 storeFood(int meal, const QString& name, float energy = 100.0f)
{
    DBTypes::FoodDiaryItem entry = food(meal, name, energy);
    return DiaryDB::instance()->addFoodEntry(entry, true);
}

inline qint64 storeExercise(float minutes)
{
    DBTypes::ExerciseDiaryItem entry;
    entry.userId = user();
    entry.exerciseId = 1;
    entry.duration = minutes;
    entry.rate = 5.0f;
    entry.name = QStringLiteral("Walking");
    entry.setDate(s_day.toString(QStringLiteral("yyyyMMdd")).toStdString());
    return DiaryDB::instance()->addExEntry(entry, false);
}

inline DBTypes::DiaryDay storedDay()
{
    return DiaryDB::instance()->getDay(user(), s_day.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData(), false).value();
}

inline QList<qint64> childIds(const QTreeWidgetItem* group)
{
    QList<qint64> ids;
    for (int i = 0; i < group->childCount(); ++i)
        ids << DiaryListView::rowId(group->child(i));
    return ids;
}

inline QStringList menuEntries(const ScriptedPrompter& prompter)
{
    for (const ScriptedPrompter::Asked& asked : prompter.asked) {
        if (asked.kind == QLatin1String("menu"))
            return asked.options;
    }
    return {};
}

inline QAction* action(QMenu* menu, const QString& text)
{
    for (QAction* entry : menu->actions()) {
        if (entry->text() == text)
            return entry;
    }
    return nullptr;
}

inline QString energyName()
{
    return UnitCollection::instance()->get(DBTypes::ENERGY)->printName();
}

