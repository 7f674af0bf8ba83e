#include "core/diaryday.h"
#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"

#include <QTest>
#include <QXmlStreamReader>

#include <cstring>

using namespace DBTypes;

namespace {

// A mass food: 250 kcal and 10 g fat per 100 g, with one catalogue serving "slice" of 30 g.
FoodItem massFood()
{
    FoodItem food;
    food.quantity = 100.0f;
    food.kind = 'M';
    food.clearValues(false);
    food.energy = 250.0f;
    food.fat = 10.0f;
    return food;
}

std::vector<ServingItem> sliceServing()
{
    return {{QStringLiteral("slice"), 7, 30.0f}};
}

FoodDiaryItem foodEntry(int meal, float energy, float fat)
{
    FoodDiaryItem entry;
    entry.meal = meal;
    entry.values.energy = energy;
    entry.values.fat = fat;
    return entry;
}

ExerciseDiaryItem exerciseEntry(float duration, float rate)
{
    ExerciseDiaryItem entry;
    entry.duration = duration;
    entry.rate = rate;
    return entry;
}

// The attributes of the first element of a document.
QXmlStreamAttributes attributesOf(const QString& element)
{
    QXmlStreamReader reader(element);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return reader.attributes();
    }
    qFatal("no element in %s", qPrintable(element));
}

} // namespace

class TestDiaryItems : public QObject {
    Q_OBJECT

private slots:
    void newEntryIsBlank()
    {
        const FoodDiaryItem entry;
        QCOMPARE(entry.values.kind, 'B');
        QCOMPARE(entry.values.quantity, 0.0f);
        QCOMPARE(entry.getNutrient(ENERGY), -1.0f);
        QCOMPARE(entry.baseValues.kind, 'B');
        QCOMPARE(entry.refId, -9999);
        QCOMPARE(entry.entryId, -1);
        QCOMPARE(entry.size, 1.0f);
        QVERIFY(!entry.infoLoaded);
    }

    void catalogueFoodGetsBuiltInServings()
    {
        FoodDiaryItem entry;
        QVERIFY(entry.applyFoodInfo(QStringLiteral("Bread"), massFood(), sliceServing(), false));
        QVERIFY(entry.infoLoaded);
        QCOMPARE(entry.getDesc(), QStringLiteral("Bread"));
        QCOMPARE(int(entry.servings.size()), 3);
        QCOMPARE(entry.servings[0].name, QStringLiteral("slice"));
        QCOMPARE(entry.servings[1].id, -1);
        QCOMPARE(entry.servings[2].name, QStringLiteral("oz"));
        QCOMPARE(entry.servings[2].weight, 28.35f);
        // Without the check the first serving is chosen.
        QCOMPARE(entry.servingId, 7);
        QCOMPARE(entry.getServingDesc(), QStringLiteral("slice"));
        QCOMPARE(entry.getNutrient(ENERGY), 75.0f);

        FoodItem drink = massFood();
        drink.kind = 'V';
        QVERIFY(entry.applyFoodInfo(QStringLiteral("Milk"), drink, {}, false));
        QCOMPARE(int(entry.servings.size()), 2);
        QCOMPARE(entry.servings[0].name, QStringLiteral("mL"));
        QCOMPARE(entry.servings[1].id, -4);
        QCOMPARE(entry.servings[1].weight, 29.574f);

        // An ounce the catalogue lists itself is listed once; an entry stored in the built-in
        // ounce keeps its unit.
        const std::vector<ServingItem> withOunce{{QStringLiteral("oz"), 9, 28.35f}};
        QVERIFY(entry.applyFoodInfo(QStringLiteral("Bread"), massFood(), withOunce, false));
        QCOMPARE(int(entry.servings.size()), 2);
        FoodDiaryItem stored;
        stored.desc = QStringLiteral("Bread");
        stored.servingId = -2;
        stored.servingDesc = QStringLiteral("oz");
        QVERIFY(stored.applyFoodInfo(QStringLiteral("Bread"), massFood(), withOunce, true));
        QCOMPARE(stored.servingId, 9);

        FoodItem noReference = massFood();
        noReference.quantity = -1.0f;
        FoodDiaryItem other;
        QVERIFY(other.applyFoodInfo(QStringLiteral("Bread"), noReference, sliceServing(), false));
        QCOMPARE(int(other.servings.size()), 1);
    }

    void rescalingToServingAndSize()
    {
        FoodDiaryItem entry;
        QVERIFY(entry.applyFoodInfo(QStringLiteral("Bread"), massFood(), sliceServing(), false));
        QVERIFY(entry.updateFoodInfo(-2, 2.0f));
        QCOMPARE(entry.getNutrient(ENERGY), 141.75f);
        QCOMPARE(entry.getNutrient(FAT), 5.67f);
        QCOMPARE(entry.getNutrient(SUGAR), -1.0f);
        QCOMPARE(entry.getServingDesc(), QStringLiteral("oz"));
        QCOMPARE(entry.values.quantity, 100.0f);
        entry.setSize(1.0f);
        QCOMPARE(entry.getNutrient(ENERGY), 70.875f);

        const FoodDiaryItem before = entry;
        QVERIFY(!entry.updateFoodInfo(99, 5.0f));
        QCOMPARE(entry.servingId, before.servingId);
        QCOMPARE(entry.size, before.size);
        QCOMPARE(entry.getServingDesc(), before.getServingDesc());
        QCOMPARE(entry.getNutrient(ENERGY), before.getNutrient(ENERGY));
    }

    void valuesWithoutReferenceQuantityStayFinite()
    {
        FoodDiaryItem entry;
        entry.baseValues.energy = 120.0f;
        entry.servings = {{QStringLiteral("portion"), 1, 1.0f}};
        QVERIFY(entry.updateFoodInfo(1, 2.0f));
        QCOMPARE(entry.getNutrient(ENERGY), 240.0f);
    }

    void checkedLoadKeepsStoredEntryWhenFoodChanged()
    {
        FoodDiaryItem entry;
        entry.desc = QStringLiteral("Bread");
        entry.servingDesc = QStringLiteral("slice");
        entry.servingId = 7;
        entry.size = 2.0f;
        entry.values.energy = 123.0f;
        entry.createFakeDenorm();

        FoodDiaryItem renamed = entry;
        QVERIFY(!renamed.applyFoodInfo(QStringLiteral("Rye bread"), massFood(), sliceServing(), true));
        QVERIFY(renamed.infoLoaded);
        QCOMPARE(renamed.getDesc(), QStringLiteral("Bread"));
        QCOMPARE(renamed.getNutrient(ENERGY), 123.0f);
        QCOMPARE(int(renamed.servings.size()), 1);

        FoodDiaryItem servingGone = entry;
        QVERIFY(!servingGone.applyFoodInfo(QStringLiteral("Bread"), massFood(),
                                           {{QStringLiteral("loaf"), 7, 500.0f}}, true));
        QCOMPARE(servingGone.getNutrient(ENERGY), 123.0f);

        FoodDiaryItem matching = entry;
        QVERIFY(matching.applyFoodInfo(QStringLiteral("Bread"), massFood(), sliceServing(), true));
        QCOMPARE(int(matching.servings.size()), 3);
        QCOMPARE(matching.getNutrient(ENERGY), 150.0f);
        QCOMPARE(matching.baseValues.kind, 'M');
    }

    void loadWithoutServingsLeavesEntry()
    {
        FoodItem perServing = massFood();
        perServing.kind = 'S';
        perServing.quantity = 1.0f;
        FoodDiaryItem entry;
        entry.values.energy = 50.0f;
        QVERIFY(!entry.applyFoodInfo(QStringLiteral("Soup"), perServing, {}, false));
        QCOMPARE(entry.getNutrient(ENERGY), 50.0f);
        QVERIFY(entry.getDesc().isEmpty());
    }

    void selfContainedEntryHoldsOneServing()
    {
        FoodDiaryItem entry;
        entry.values.energy = 300.0f;
        entry.values.fat = -999.0f;
        entry.size = 1.5f;
        entry.servingId = 12;
        entry.servingDesc = QStringLiteral("cup");
        entry.infoLoaded = true;
        entry.createFakeDenorm();
        QVERIFY(!entry.infoLoaded);
        QCOMPARE(entry.values.kind, 'F');
        QCOMPARE(entry.baseValues.quantity, 1.0f);
        QCOMPARE(entry.baseValues.energy, 200.0f);
        QCOMPARE(entry.baseValues.fat, -999.0f);
        QCOMPARE(int(entry.servings.size()), 1);
        QCOMPARE(entry.servings[0].name, QStringLiteral("cup"));
        QCOMPARE(entry.servings[0].id, 12);
        QCOMPARE(entry.servings[0].weight, 1.0f);
        entry.setSize(3.0f);
        QCOMPARE(entry.getNutrient(ENERGY), 600.0f);

        FoodDiaryItem empty;
        empty.values.energy = 80.0f;
        empty.size = 0.0f;
        empty.createFakeDenorm();
        QCOMPARE(empty.baseValues.energy, 80.0f);
    }

    void mealPlanAttributes()
    {
        FoodDiaryItem entry;
        entry.values.sodium = 44.0f;
        QVERIFY(entry.readFromXmlAttributes(attributesOf(QStringLiteral(
            "<food food_name=\"Porridge\" serv_name=\"bowl\" qty=\"2\" meal=\"Breakfast\""
            " date=\"2006-03-05\" calories=\"300\" carbohydrate=\"50.5\" fat=\"abc\""
            " fiber=\"4\" protein=\"10\" colour=\"grey\"/>"))));
        QCOMPARE(entry.getDesc(), QStringLiteral("Porridge"));
        QCOMPARE(entry.getServingDesc(), QStringLiteral("bowl"));
        QCOMPARE(entry.size, 2.0f);
        QCOMPARE(entry.meal, 1);
        QCOMPARE(QByteArray(entry.date), QByteArray("20060305"));
        QCOMPARE(entry.getNutrient(ENERGY), 300.0f);
        QCOMPARE(entry.getNutrient(CARBS), 50.5f);
        QCOMPARE(entry.getNutrient(FAT), 0.0f);
        QCOMPARE(entry.getNutrient(SODIUM), 44.0f);
        QCOMPARE(entry.refId, 0);
        QCOMPARE(entry.values.kind, 'F');
        QVERIFY(entry.infoLoaded);
        QCOMPARE(entry.baseValues.energy, 150.0f);
        QCOMPARE(int(entry.servings.size()), 1);

        entry.readFromXmlAttributes(attributesOf(QStringLiteral("<food meal=\"Snack\" date=\"06-3-5\"/>")));
        QCOMPARE(entry.meal, 6);
        QCOMPARE(QByteArray(entry.date), QByteArray("20060305"));
        entry.readFromXmlAttributes(attributesOf(QStringLiteral("<food meal=\"Lunch\"/>")));
        QCOMPARE(entry.meal, 3);
    }

    void exerciseFromCatalogue()
    {
        ExerciseDiaryItem entry;
        entry.duration = 45.0f;
        ExerciseItem walking;
        walking.id = 0x123;
        walking.name = QStringLiteral("Walking");
        walking.factor = 0.05f;
        walking.offset = 0.5f;
        entry.setExercise(walking, 70.0f);
        QCOMPARE(entry.exerciseId, 0x123);
        QCOMPARE(entry.name, QStringLiteral("Walking"));
        QCOMPARE(entry.rate, 4.0f);
        QCOMPARE(entry.duration, 1.0f);
        entry.duration = 30.0f;
        QCOMPARE(entry.energy(), 120.0f);
        entry.setDate("20060305");
        QCOMPARE(QByteArray(entry.date), QByteArray("20060305"));
    }

    void dayTotals()
    {
        DiaryDay day;
        QVERIFY(day.empty());
        day.foods.push_back(foodEntry(DiaryDay::BREAKFAST, 500.0f, -999.0f));
        day.foods.push_back(foodEntry(DiaryDay::DINNER, 300.0f, 12.0f));
        day.exercises.push_back(exerciseEntry(30.0f, 5.0f));
        day.exercises.push_back(exerciseEntry(10.0f, -1.0f));
        QVERIFY(!day.empty());
        QCOMPARE(day.getTotal(ENERGY), 650.0f);
        QCOMPARE(day.getGroupTotal(DiaryDay::EXERCISE, ENERGY), 150.0f);
        QCOMPARE(day.getGroupTotal(DiaryDay::BREAKFAST, ENERGY), 500.0f);
        QCOMPARE(day.getGroupTotal(DiaryDay::LUNCH, ENERGY), 0.0f);
        QCOMPARE(day.getTotal(FAT), 12.0f);
        QCOMPARE(day.getGroupTotal(DiaryDay::BREAKFAST, FAT), 0.0f);
        QCOMPARE(day.getTotal(SUGAR), 0.0f);

        DiaryDay copy = day;
        day.foods.clear();
        QCOMPARE(copy.getTotal(ENERGY), 650.0f);
        QCOMPARE(day.getTotal(ENERGY), -150.0f);
    }
};

QTEST_GUILESS_MAIN(TestDiaryItems)
#include "tst_diaryitems.moc"
