#ifndef PANTREL_TESTS_CATALOGUE_USERCATALOGUEFIXTURE_H
#define PANTREL_TESTS_CATALOGUE_USERCATALOGUEFIXTURE_H

// Shared set-up of the tests of the user catalogue trees and the food and exercise
// catalogues: a small brand, a resource folder holding the shipped user-database template
// and a small catalogue file, and the user database started from that template for each
// test.

#include "catalogue/catalogueservices.h"
#include "catalogue/dynamicdb.h"
#include "catalogue/dynamicdbreloadinfo.h"
#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "tests/core/testbrand.h"
#include "tools/staticdbwriter/exerciserecord.h"
#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/staticdbwriter.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/diarystart.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

// Static foods: Fruit (10) with Apple, raw (100: mass food, servings 100, 28.35 and 240 g)
// and Banana (101: per serving, no servings, no reference quantity); Drinks (20) with
// Milk (200: volume food, one cup). Static exercises: Sports (5) with Running (300: burn
// rate 0.1) and Stretching (301: no burn rate).
namespace CatalogueFixture {

inline CatalogueNode staticFoods()
{
    FoodRecord apple;
    apple.rankingGroup = 10;
    apple.displayName = "Apple, raw";
    apple.nutrients = {{FoodRecord::ENERGY, 52.0f}, {FoodRecord::CARBS, 13.8f},
                       {5, 99.0f}, {FoodRecord::CALCIUM, 6.0f}, {FoodRecord::SUGAR, 10.4f}};
    apple.kind = 'M';
    apple.referenceQuantity = 100.0f;
    apple.servings = {{100.0f, "portion"}, {28.35f, "ounce slice"}, {240.0f, "cup"}};

    FoodRecord banana;
    banana.rankingGroup = 10;
    banana.displayName = "Banana";
    banana.nutrients = {{FoodRecord::ENERGY, 105.0f}};
    banana.kind = 'S';

    FoodRecord milk;
    milk.rankingGroup = 20;
    milk.displayName = "Milk, whole";
    milk.nutrients = {{FoodRecord::ENERGY, 61.0f}, {FoodRecord::FAT, 3.3f}};
    milk.kind = 'V';
    milk.referenceQuantity = 100.0f;
    milk.servings = {{244.0f, "cup"}};

    CatalogueNode fruit = CatalogueNode::makeCategory(10, "Fruit");
    fruit.children.push_back(CatalogueNode::makeItem(100, "Apples raw", 5, apple.encode()));
    fruit.children.push_back(CatalogueNode::makeItem(101, "Banana", 4, banana.encode()));
    CatalogueNode drinks = CatalogueNode::makeCategory(20, "Drinks");
    drinks.children.push_back(CatalogueNode::makeItem(200, "Milk whole", 3, milk.encode()));
    CatalogueNode root = CatalogueNode::makeCategory(0, "Foods");
    root.children.push_back(fruit);
    root.children.push_back(drinks);
    return root;
}

inline CatalogueNode staticExercises()
{
    ExerciseRecord running;
    running.burnRate = 0.1f;
    CatalogueNode sports = CatalogueNode::makeCategory(5, "Sports");
    sports.children.push_back(CatalogueNode::makeItem(300, "Running", 1, running.encode()));
    sports.children.push_back(CatalogueNode::makeItem(301, "Stretching", 1, ExerciseRecord().encode()));
    CatalogueNode root = CatalogueNode::makeCategory(0, "Exercises");
    root.children.push_back(sports);
    return root;
}

// The resource folder of the process: the template from the build's resource folder and
// the small catalogue. Set up once, before anything asks for the resource folder.
inline void setUpResources()
{
    static QTemporaryDir brandDir;
    loadTestBrand(brandDir, "<string id=\"brand_id\" value=\"pantreltest\"/>\n"
                            "<bool id=\"datastore_compat\" value=\"false\"/>\n"
                            "<bool id=\"feature.family\" value=\"true\"/>\n"
                            "<int id=\"default_measurement_units\" value=\"0\"/>\n"
                            "<int id=\"default_energy_units\" value=\"1\"/>\n");
    static QTemporaryDir resources;
    const QString shipped = QCoreApplication::applicationDirPath()
                            + QStringLiteral("/../share/pantrel/userdata.db");
    QVERIFY2(QFile::copy(shipped, resources.filePath(QStringLiteral("userdata.db"))),
             qPrintable(shipped));
    StaticDBWriter writer(QDate(2024, 3, 5));
    writer.addChunk(StaticDB::FOOD_CHUNK, staticFoods());
    writer.addChunk(StaticDB::EXERCISE_CHUNK, staticExercises());
    QString error;
    QVERIFY2(writer.write(resources.filePath(QStringLiteral("static.db")), &error), qPrintable(error));
    BXSettings::setResourceDBPath(resources.path() + QLatin1Char('/'));
    CatalogueServices::install();
}

// A fresh user database from the template, with `user` as the current user.
inline void openDatabase(qint64 user)
{
    QFile::remove(BXSettings::getUserDBPath() + QStringLiteral("userdata.db"));
    const StoreResult start = DiaryStart::startUp(true);
    QVERIFY2(start, qPrintable(start.message()));
    UserDB::instance()->setCurrentUser(user);
}

inline void closeDatabase()
{
    CatalogueServices::cleanUp();
    SavedMealDB::cleanUp();
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    QFile::remove(BXSettings::getUserDBPath() + QStringLiteral("userdata.db"));
}

// The first column of the first row of a statement; invalid when there is none.
inline QVariant scalar(const char* sql, const QVariantList& values = QVariantList())
{
    BXSqlQuery query(sql);
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (!query.exec() || !query.next())
        return QVariant();
    return query.value(0);
}

inline bool exec(const char* sql, const QVariantList& values = QVariantList())
{
    BXSqlQuery query(sql);
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    return query.exec();
}

// The ids and names of the records an iterator yields.
inline QStringList names(std::unique_ptr<BrowsableDBIterator> it)
{
    QStringList result;
    while (it && it->next())
        result << QString::fromUtf8(it->name());
    return result;
}

inline std::vector<quint32> ids(std::unique_ptr<BrowsableDBIterator> it)
{
    std::vector<quint32> result;
    while (it && it->next())
        result.push_back(it->id());
    return result;
}

} // namespace CatalogueFixture

#endif
