#include "core/dateconversion.h"
#include "core/dbtypes.h"
#include "core/displaydate.h"

#include "testbrand.h"

#include <QLocale>
#include <QTest>

#include <cstring>

using namespace DBTypes;

namespace {

FoodItem filledFood()
{
    FoodItem food;
    food.quantity = 100.0f;
    food.kind = 'M';
    for (int i = 0; i < NUTRIENT_COUNT; ++i)
        food.setNutrient(NutType(i), float(10 * (i + 1)));
    return food;
}

} // namespace

class TestDBTypes : public QObject {
    Q_OBJECT

private slots:
    void cleanupTestCase() { BrandEngine::cleanUp(); }

    void nutrientAccessorsFollowNutType()
    {
        FoodItem food = filledFood();
        QCOMPARE(food.energy, 10.0f);
        QCOMPARE(food.carbs, 20.0f);
        QCOMPARE(food.fat, 30.0f);
        QCOMPARE(food.protein, 40.0f);
        QCOMPARE(food.fiber, 50.0f);
        QCOMPARE(food.satFat, 60.0f);
        QCOMPARE(food.cholesterol, 70.0f);
        QCOMPARE(food.sodium, 80.0f);
        QCOMPARE(food.sugar, 90.0f);
        QCOMPARE(food.calcium, 100.0f);
        QCOMPARE(food.getNutrient(NutType(10)), 0.0f);
        QCOMPARE(food.getNutrient(NutType(-1)), 0.0f);
        food.setNutrient(NutType(10), 5.0f);
        food.setNutrient(NutType(-1), 5.0f);
        for (int i = 0; i < NUTRIENT_COUNT; ++i)
            QCOMPARE(food.getNutrient(NutType(i)), float(10 * (i + 1)));
    }

    void clearValuesKeepsQuantityAndKind()
    {
        FoodItem food = filledFood();
        food.clearValues(true);
        QCOMPARE(food.getNutrient(CALCIUM), 0.0f);
        food.clearValues(false);
        QCOMPARE(food.getNutrient(ENERGY), -1.0f);
        QCOMPARE(food.quantity, 100.0f);
        QCOMPARE(food.kind, 'M');
    }

    void scaleAndAddLeaveUnsetValuesUnset()
    {
        FoodItem food = filledFood();
        food.fat = -999.0f;
        food.sugar = -1.0f;
        food.scaleValues(2.0f);
        QCOMPARE(food.energy, 20.0f);
        QCOMPARE(food.fat, -999.0f);
        QCOMPARE(food.sugar, -1.0f);
        QCOMPARE(food.quantity, 100.0f);

        FoodItem other = filledFood();
        other.protein = -999.0f;
        FoodItem sum = food;
        sum.energy = -1.0f;
        sum.carbs = 0.0f;
        sum.addValues(other);
        QCOMPARE(sum.energy, -1.0f);  // unset here: stays unset
        QCOMPARE(sum.carbs, 20.0f);   // zero is present
        QCOMPARE(sum.protein, 80.0f); // unset there: unchanged
        QCOMPARE(sum.fat, -999.0f);
        QCOMPARE(sum.calcium, 300.0f);
    }

    void checkinTargets()
    {
        CheckinItem checkin;
        QVERIFY(!checkin.hasTarget(ENERGY));
        QCOMPARE(checkin.target(ENERGY), 0.0f);
        QVERIFY(checkin.noTarget(ENERGY));
        checkin.setNoTarget(ENERGY);
        QVERIFY(checkin.hasTarget(ENERGY));
        QVERIFY(checkin.noTarget(ENERGY));
        checkin.setTarget(ENERGY, 1800.0f);
        QVERIFY(!checkin.noTarget(ENERGY));
        QCOMPARE(checkin.target(ENERGY), 1800.0f);

        CheckinItem copy = checkin;
        checkin.clearTarget(ENERGY);
        QVERIFY(!checkin.hasTarget(ENERGY));
        QCOMPARE(copy.target(ENERGY), 1800.0f);
    }

    void checkinCustomRMRAndDietPlan()
    {
        CheckinItem checkin;
        QCOMPARE(checkin.customRMR(), -1.0f);
        QVERIFY(checkin.noCustomRMR());
        QVERIFY(!checkin.hasCustomRMR());
        checkin.setCustomRMR(1500.0f);
        QCOMPARE(checkin.customRMR(), 1500.0f);
        QVERIFY(!checkin.noCustomRMR());
        checkin.setNoCustomRMR();
        QVERIFY(checkin.hasCustomRMR());
        QVERIFY(checkin.noCustomRMR());
        checkin.clearCustomRMR();
        QVERIFY(!checkin.hasCustomRMR());

        checkin.setDietPlan(QStringLiteral("balanced"));
        QVERIFY(checkin.hasDietPlan());
        QCOMPARE(checkin.dietPlan(), QStringLiteral("balanced"));
        checkin.clearDietPlan();
        QVERIFY(!checkin.hasDietPlan());
        QVERIFY(checkin.dietPlan().isEmpty());
    }

    void profileValidity()
    {
        UserProfile profile;
        QVERIFY(!profile.isValid());
        profile.name = QStringLiteral("Ann");
        std::strcpy(profile.created, "20060305");
        std::strcpy(profile.dob, "19700101");
        profile.sex = 1;
        profile.height = 165.0f;
        QVERIFY(profile.isValid());
        UserProfile shortOne = profile;
        shortOne.height = 0.5f;
        QVERIFY(!shortOne.isValid());
        UserProfile unborn = profile;
        unborn.dob[0] = '\0';
        QVERIFY(!unborn.isValid());
    }

    void prefsTakeUnitDefaultsFromBrand()
    {
        QTemporaryDir dir;
        loadTestBrand(dir, "<int id=\"default_measurement_units\" value=\"0\"/>\n"
                           "<int id=\"default_energy_units\" value=\"7\"/>\n");
        UserPrefs prefs;
        QCOMPARE(prefs.measurementUnits, 0);
        QCOMPARE(prefs.energyUnits, 1);
        QCOMPARE(prefs.summaryOptions, 255);
        QCOMPARE(prefs.targetSize(FAT), UserPrefs::None);
        prefs.setTargetSize(FAT, UserPrefs::Large);
        QCOMPARE(prefs.targetSize(FAT), UserPrefs::Large);
    }

    void webPasswordDigest_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("digest");
        QTest::newRow("empty") << QString() << "d41d8cd98f00b204e9800998ecf8427e";
        QTest::newRow("abc") << "abc" << "900150983cd24fb0d6963f7d28e17f72";
        // Hashed over the password's UTF-8 bytes.
        QTest::newRow("non-ascii") << QString::fromUtf8("\xc3\xa9") << "66ddcd97cfdeabb2f6fb8a999b4bc76f";
    }

    void webPasswordDigest()
    {
        QFETCH(QString, password);
        QFETCH(QString, digest);
        QTemporaryDir dir;
        loadTestBrand(dir, "<int id=\"default_measurement_units\" value=\"1\"/>\n"
                           "<int id=\"default_energy_units\" value=\"1\"/>\n");
        UserPrefs prefs;
        prefs.webPassword = password;
        QCOMPARE(prefs.webPasswordMD5(), digest);
    }

    void groupNames_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("snackDisplay");
        QTest::addColumn<QString>("name");
        QTest::newRow("breakfast") << 1 << 2 << "Breakfast";
        QTest::newRow("snack 2 together") << 2 << 0 << "Snacks #1";
        QTest::newRow("snack 2 between") << 2 << 1 << "Morning snack";
        QTest::newRow("snack 4 between") << 4 << 1 << "Afternoon snack";
        QTest::newRow("snack 4 numbered") << 4 << 2 << "Snacks #2";
        QTest::newRow("dinner") << 5 << 0 << "Dinner";
        QTest::newRow("snack 6 together") << 6 << 0 << "Snacks";
        QTest::newRow("snack 6 between") << 6 << 1 << "Evening snack";
        QTest::newRow("snack 6 numbered") << 6 << 2 << "Snacks #3";
        QTest::newRow("exercise") << 8 << 1 << "Exercise";
    }

    void groupNames()
    {
        QFETCH(int, group);
        QFETCH(int, snackDisplay);
        QFETCH(QString, name);
        QCOMPARE(GroupTypeToString(group, snackDisplay), name);
    }

    void groupsWithoutName()
    {
        QVERIFY(GroupTypeToString(0, 1).isNull());
        QVERIFY(GroupTypeToString(7, 0).isNull());
        QVERIFY(GroupTypeToString(9, 2).isNull());
    }

    void dateCodes()
    {
        char code[DATE_CODE_SIZE];
        std::memset(code, 'x', sizeof code);
        DateToCode4(QDate(2006, 3, 5), code);
        QCOMPARE(QByteArray(code), QByteArray("20060305"));
        QCOMPARE(DateFromCode4(code), QDate(2006, 3, 5));
        DateToCode4(QDate(1999, 12, 31), code);
        QCOMPARE(DateFromCode4(code), QDate(1999, 12, 31));
        QVERIFY(!DateFromCode4("20061301").isValid());
        QVERIFY(!DateFromCode4("20060230").isValid());
        QVERIFY(!DateFromCode4("2006-3-5").isValid());
        // Texts read from a file may have any length.
        QVERIFY(!DateFromCode4("20261207 08:00").isValid());
        QVERIFY(!DateFromCode4("2026120").isValid());
        QVERIFY(!DateFromCode4("").isValid());
        QVERIFY(!DateFromCode4(nullptr).isValid());
        DateToCode4(QDate(), code);
        QCOMPARE(code[0], '\0');
    }

    void datesShownInEnglish_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("figures");
        QTest::addColumn<QString>("longText");
        QTest::addColumn<QString>("shortText");
        QTest::addColumn<QString>("serving");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << "12/7/26"
                               << "Monday, December 7, 2026" << "Mon, Dec 7, 2026" << "100.5 g";
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "07.12.26"
                               << "Monday, 7. December 2026" << "Mon, 7. Dec 2026" << "100,5 g";
    }

    // Day and month names stay English, as every other text, whatever the locale; the order of
    // a date and the figures of a catalogue serving's name follow the locale.
    void datesShownInEnglish()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, figures);
        const QLocale before;
        QLocale::setDefault(locale);
        const QDate day(2026, 12, 7);
        QCOMPARE(DisplayDate::text(day, QStringLiteral("d MMM")), QStringLiteral("7 Dec"));
        QTEST(DisplayDate::longText(day), "longText");
        QTEST(DisplayDate::textDate(day), "shortText");
        QCOMPARE(DisplayDate::monthName(3), QStringLiteral("March"));
        QCOMPARE(DisplayDate::monthName(5, QLocale::ShortFormat), QStringLiteral("May"));
        QCOMPARE(DisplayDate::figures(day), figures);
        QTEST(ServingItem::shown(QStringLiteral("100.5 g")), "serving");
        QCOMPARE(ServingItem::shown(QStringLiteral("1 cup, 2.5 in")), QStringLiteral("1 cup, 2.5 in"));
        QLocale::setDefault(before);
    }
};

QTEST_GUILESS_MAIN(TestDBTypes)
#include "tst_dbtypes.moc"
