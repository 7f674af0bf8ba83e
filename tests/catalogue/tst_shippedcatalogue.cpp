// The catalogue that the build ships in the resource folder, read as the program reads it.

#include "catalogue/fooddbstatic.h"
#include "catalogue/staticdb.h"
#include "tools/staticdbwriter/exerciserecord.h"
#include "tools/staticdbwriter/foodrecord.h"
#include "tools/staticdbwriter/statedweight.h"
#include "tools/staticdbwriter/staticdbverifier.h"

#include <QFile>
#include <QRegularExpression>
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

// The rows of the notes' tables that name a food, each as its cells.
std::vector<QStringList> notesRows()
{
    QFile file(QStringLiteral(CATALOGUE_NOTES));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression foodRow(QStringLiteral("^\\| *\\d+ *\\|"));
    std::vector<QStringList> rows;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        QStringList cells = line.split(QLatin1Char('|'));
        for (QString& cell : cells)
            cell = cell.trimmed();
        if (foodRow.match(line).hasMatch())
            rows.push_back(cells.mid(1, cells.size() - 2));
    }
    return rows;
}

// A serving as the notes name it: the food's number, the serving's name, its weight to 0.1 g.
QString servingKey(qint64 food, const QString& serving, double weight)
{
    return QStringLiteral("%1 %2 %3 g").arg(food, 5, 10, QLatin1Char('0')).arg(serving).arg(weight, 0, 'f', 1);
}

} // namespace

class TestShippedCatalogue : public QObject {
    Q_OBJECT

private slots:
    void keepsEveryRule();
    void holdsButterWithItsData();
    void listsServingsSmallestFirst();
    void weighsServingsAsTheirNamesSay();
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

// Every serving whose name states its weight weighs it, to a quarter, unless the notes argue
// why not (their rows of five cells); the measures the notes list as kept whole (rows of six)
// are in the catalogue as listed.
void TestShippedCatalogue::weighsServingsAsTheirNamesSay()
{
    QSet<QString> argued;
    QSet<QString> keptWhole;
    for (const QStringList& row : notesRows()) {
        const int name = row.size() == 5 ? 2 : 4;
        (name == 2 ? argued : keptWhole).insert(servingKey(row[0].toLongLong(), row[name], row[name + 1].toDouble()));
    }
    QVERIFY(argued.size() > 10 && keptWhole.size() > 10);
    StaticDB foods(StaticDB::FOOD_CHUNK);
    QStringList unargued;
    for (size_t i = 0; i < foods.getItems().size(); ++i) {
        const BrowsableDBItem& food = foods.getItems()[i];
        if (foods.getFlags()[i] & FLAG_CATEGORY)
            continue;
        const std::optional<FoodRecord> record = FoodRecord::decode(food.data, foods.getMappingEnd());
        QVERIFY(record);
        for (const FoodRecord::Serving& serving : record->servings) {
            const QString key = servingKey(food.id, QString::fromLatin1(serving.name), serving.weight);
            keptWhole.remove(key);
            const std::optional<double> stated = StatedWeight::grams(QString::fromLatin1(serving.name));
            if (stated && !StatedWeight::agrees(serving.weight, *stated) && !argued.remove(key))
                unargued << key + QStringLiteral(", its name says %1 g").arg(*stated, 0, 'f', 1);
        }
    }
    QVERIFY2(unargued.isEmpty(), qPrintable(QStringLiteral("not argued:\n") + unargued.join(QLatin1Char('\n'))));
    const QStringList stale = QStringList(argued.begin(), argued.end()) + QStringList(keptWhole.begin(), keptWhole.end());
    QVERIFY2(stale.isEmpty(), qPrintable(QStringLiteral("listed, not so in the catalogue:\n") + stale.join(QLatin1Char('\n'))));
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
