// The catalogue that the build ships in the resource folder, read as the program reads it.

#include "catalogue/fooddbstatic.h"
#include "catalogue/staticdb.h"
#include "tools/staticdbwriter/exerciserecord.h"
#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/staticdbverifier.h"

#include <QSet>
#include <QTest>
#include <QtEndian>

namespace {

const BrowsableDBItem* findItem(const StaticDB& db, quint32 id)
{
    const std::vector<BrowsableDBItem>& items = db.getItems();
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].id == id && !(db.getFlags()[i] & FLAG_CATEGORY))
            return &items[i];
    }
    return nullptr;
}

// The number of records that are no categories.
int countItems(const StaticDB& db)
{
    int count = 0;
    for (unsigned char flags : db.getFlags())
        count += (flags & FLAG_CATEGORY) ? 0 : 1;
    return count;
}

const BrowsableDBItem* findCategory(const StaticDB& db, quint32 id)
{
    const std::vector<BrowsableDBItem>& items = db.getItems();
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].id == id && (db.getFlags()[i] & FLAG_CATEGORY))
            return &items[i];
    }
    return nullptr;
}

} // namespace

class TestShippedCatalogue : public QObject {
    Q_OBJECT

private slots:
    void keepsEveryRule();
    void holdsButterWithItsData();
    void listsServingsSmallestFirst();
    void namesEveryRankingGroup();
    void findsFoodsByWords();
    void holdsExercisesWithBurnRates();
};

void TestShippedCatalogue::keepsEveryRule()
{
    bool failed = true;
    StaticDB foods(StaticDB::FOOD_CHUNK, &failed);
    QVERIFY2(!failed, foods.errorMessage().c_str());
    StaticDB exercises(StaticDB::EXERCISE_CHUNK, &failed);
    QVERIFY2(!failed, exercises.errorMessage().c_str());
    QCOMPARE(StaticDBVerifier::verifyFoods(foods), QStringList());
    QCOMPARE(StaticDBVerifier::verifyExercises(exercises), QStringList());
    QCOMPARE(countItems(foods), 7878);
    QCOMPARE(countItems(exercises), 195);
    QCOMPARE(QByteArray(foods.getCreationDate()).size(), 10);
}

void TestShippedCatalogue::holdsButterWithItsData()
{
    StaticDB foods(StaticDB::FOOD_CHUNK);
    const BrowsableDBItem* butter = findItem(foods, 1001);
    QVERIFY(butter);
    QCOMPARE(QByteArray(butter->name), QByteArray("Butter, salted"));
    const std::optional<FoodRecord> record = FoodRecord::decode(butter->data, foods.getMappingEnd());
    QVERIFY(record);
    QCOMPARE(record->displayName, QByteArray("Butter, salted"));
    QCOMPARE(record->kind, 'M');
    QCOMPARE(*record->referenceQuantity, 100.0f);
    QCOMPARE(record->nutrients.at(FoodRecord::ENERGY), 717.0f);
    QCOMPARE(record->nutrients.at(FoodRecord::FAT), 81.11f);
    QCOMPARE(record->nutrients.at(FoodRecord::SATURATED_FAT), 51.368f);
    QCOMPARE(record->nutrients.at(FoodRecord::CHOLESTEROL), 215.0f);
    QCOMPARE(record->nutrients.at(FoodRecord::SODIUM), 714.0f);
    QCOMPARE(record->nutrients.at(FoodRecord::CALCIUM), 24.0f);
    QCOMPARE(record->servings.size(), size_t(4));
    QCOMPARE(record->servings.front().weight, 5.0f);
    QCOMPARE(record->servings.back().name, QByteArray("cup"));
    QCOMPARE(record->servings.back().weight, 227.0f);

    const BrowsableDBItem* group = findCategory(foods, record->rankingGroup);
    QVERIFY(group);
    QCOMPARE(QByteArray(group->name), QByteArray("Dairy and Egg Products"));
}

void TestShippedCatalogue::listsServingsSmallestFirst()
{
    const std::vector<DBTypes::ServingItem> servings = FoodDBStatic::instance()->getServingItemList(1001);
    QCOMPARE(servings.size(), size_t(4));
    QCOMPARE(servings.front().weight, 5.0f);
    QCOMPARE(servings.back().name, QStringLiteral("cup"));
    for (size_t i = 1; i < servings.size(); ++i)
        QVERIFY(servings[i - 1].weight <= servings[i].weight);
    QCOMPARE(FoodDBStatic::instance()->getFoodItem(1001)->energy, 717.0f);
    FoodDBStatic::cleanUp();
}

void TestShippedCatalogue::namesEveryRankingGroup()
{
    StaticDB foods(StaticDB::FOOD_CHUNK);
    QSet<quint32> groups;
    const std::vector<BrowsableDBItem>& items = foods.getItems();
    for (size_t i = 0; i < items.size(); ++i) {
        if (!(foods.getFlags()[i] & FLAG_CATEGORY))
            groups.insert(qFromBigEndian<quint32>(items[i].data));
    }
    QVERIFY(groups.size() > 20);
    for (quint32 group : groups) {
        const BrowsableDBItem* category = findCategory(foods, group);
        QVERIFY2(category && *category->name, qPrintable(QString::number(group)));
    }
}

void TestShippedCatalogue::findsFoodsByWords()
{
    StaticDB foods(StaticDB::FOOD_CHUNK);
    QVERIFY(foods.applySearchTerms(QStringLiteral("butter salted -whipped"), false, 0));
    QStringList found;
    auto it = foods.getFlattenedChildren(FLAG_SEARCH_MATCH, FLAG_CATEGORY);
    while (it->next())
        found << QString::fromLatin1(it->name());
    QVERIFY(found.contains(QStringLiteral("Butter, salted")));
    QVERIFY(!found.contains(QStringLiteral("Butter, whipped, with salt")));
    QVERIFY(found.size() < 100);
}

void TestShippedCatalogue::holdsExercisesWithBurnRates()
{
    StaticDB exercises(StaticDB::EXERCISE_CHUNK);
    const BrowsableDBItem* running = findItem(exercises, 12050);
    QVERIFY(running);
    QCOMPARE(QByteArray(running->name), QByteArray("Running, 6 mph (10 min/mile)"));
    const std::optional<ExerciseRecord> record = ExerciseRecord::decode(running->data, exercises.getMappingEnd());
    QVERIFY(record && record->burnRate);
    QCOMPARE(*record->burnRate, float(9.8 * 3.5 / 200.0));
    QVERIFY(exercises.hasChildren(0, FLAG_CATEGORY, 0));
}

QTEST_GUILESS_MAIN(TestShippedCatalogue)
#include "tst_shippedcatalogue.moc"
