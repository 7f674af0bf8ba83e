#pragma once

// Shared set-up of the browser tests: the shipped brand, a user database started from the
// shipped template with a current user, and either the shipped catalogue or a small one
// written for the test.

#include "catalogue/catalogueservices.h"
#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "core/unitenergy.h"
#include "tests/support/testsession.h"
#include "tools/staticdbwriter/cataloguenode.h"
#include "tools/staticdbwriter/exerciserecord.h"
#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/staticdbwriter.h"
#include "userdb/diarystart.h"
#include "userdb/savedmealdb.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace BrowserFixture {

inline QByteArray foodRecord(quint32 group, const QByteArray& name, char kind, float energy,
                             std::optional<float> reference = 100.0f,
                             std::vector<FoodRecord::Serving> servings = {})
{
    FoodRecord food;
    food.rankingGroup = group;
    food.displayName = name;
    food.nutrients = {{FoodRecord::ENERGY, energy}, {FoodRecord::PROTEIN, 2.0f}};
    food.kind = kind;
    food.referenceQuantity = reference;
    food.servings = std::move(servings);
    return food.encode();
}

// Fruit (10): Apple, raw (100: mass food, one cup of 240 g), Cheese slices (101: servings
// "g" and "slice" only) and Banana (102: per serving, no servings). Exercises: Sports (5)
// with Running (300: burn rate 0.1).
inline CatalogueNode smallFoods()
{
    CatalogueNode fruit = CatalogueNode::makeCategory(10, "Fruit");
    fruit.children.push_back(CatalogueNode::makeItem(
        100, "Apple raw", 5, foodRecord(10, "Apple, raw", 'M', 52.0f, 100.0f, {{240.0f, "cup"}})));
    fruit.children.push_back(CatalogueNode::makeItem(
        101, "Cheese slices", 4,
        foodRecord(10, "Cheese slices", 'S', 400.0f, 100.0f, {{1.0f, "g"}, {30.0f, "slice"}})));
    fruit.children.push_back(
        CatalogueNode::makeItem(102, "Banana", 3, foodRecord(10, "Banana", 'S', 105.0f, std::nullopt)));
    CatalogueNode root = CatalogueNode::makeCategory(0, "Foods");
    root.children.push_back(fruit);
    return root;
}

inline CatalogueNode smallExercises()
{
    ExerciseRecord running;
    running.burnRate = 0.1f;
    CatalogueNode sports = CatalogueNode::makeCategory(5, "Sports");
    sports.children.push_back(CatalogueNode::makeItem(300, "Running", 1, running.encode()));
    CatalogueNode root = CatalogueNode::makeCategory(0, "Exercises");
    root.children.push_back(sports);
    return root;
}

// The shipped brand and a started user database with a current user. With foods, the
// catalogue is one written from them (and exercises) into a resource folder of the test;
// without, the shipped one.
inline void startSession(const CatalogueNode* foods = nullptr,
                         const CatalogueNode& exercises = smallExercises())
{
    if (foods) {
        static QTemporaryDir resources;
        const QString shipped = QCoreApplication::applicationDirPath()
                                + QStringLiteral("/../share/pantrel/");
        for (const char* file : {"userdata.db", "brand.dat"}) {
            const QString name = QString::fromLatin1(file);
            QFile::remove(resources.filePath(name));
            QVERIFY2(QFile::copy(shipped + name, resources.filePath(name)), file);
        }
        StaticDBWriter writer(QDate(2024, 3, 5));
        writer.addChunk(StaticDB::FOOD_CHUNK, *foods);
        writer.addChunk(StaticDB::EXERCISE_CHUNK, exercises);
        QString error;
        QVERIFY2(writer.write(resources.filePath(QStringLiteral("static.db")), &error),
                 qPrintable(error));
        BXSettings::setResourceDBPath(resources.path() + QLatin1Char('/'));
    }
    QVERIFY(importShippedBrand());
    CatalogueServices::install();
    const StoreResult start = DiaryStart::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    const qint64 user = addCompleteUser(QStringLiteral("Ann"));
    QVERIFY(user >= 0);
    UserDB::instance()->setCurrentUser(user);
}

// A session over the small catalogue of smallFoods() and smallExercises(), for a whole test.
inline void startSmallSession()
{
    static const CatalogueNode foods = smallFoods();
    startSession(&foods);
}

inline void endSession()
{
    CatalogueServices::cleanUp();
    SavedMealDB::cleanUp();
    UnitCollection::cleanUp();
    ::endSession();
}

// Shows energy in kilojoules (true) or kilocalories.
inline void useKilojoules(bool kilojoules)
{
    UnitCollection::instance()->set(UnitCollection::Energy,
                                    new UnitEnergy(kilojoules ? UnitEnergy::Kilojoules
                                                              : UnitEnergy::Kilocalories));
}

// An energy in kilocalories as the panels show it, in the unit in use.
inline QString energyText(double kcal)
{
    return UnitCollection::instance()->get(DBTypes::ENERGY)->printNumberUnit(kcal);
}

inline void setSnackDisplay(int snackDisplay)
{
    UserDB* users = UserDB::instance();
    DBTypes::UserPrefs prefs = users->getUserPrefs(users->getCurrentUser()).value();
    prefs.snackDisplay = snackDisplay;
    users->setUserPrefs(users->getCurrentUser(), prefs);
}

} // namespace BrowserFixture
