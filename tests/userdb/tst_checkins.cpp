#include "storefixture.h"

#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>

using DBTypes::CheckinItem;
using M = UserMeasurements;

namespace {

const int User = 0;

CheckinItem checkin(const char* date)
{
    CheckinItem item;
    item.userId = User;
    std::strcpy(item.date, date);
    return item;
}

void weigh(const char* date, float weight)
{
    CheckinItem item = checkin(date);
    item.weight = weight;
    item.hasWeight = true;
    QVERIFY(UserDB::instance()->addCheckin(item, false));
}

} // namespace

class TestCheckins : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { StoreFixture::loadBrand(); }
    void init() { QVERIFY(StoreFixture::open()); }
    void cleanup() { StoreFixture::close(); }

    void carriesValuesForward();
    void fillsCheckinRecords();
    void storesTargetsAndProfileValues();
    void keepsTheLastWeight();
    void readsDaysMeasurements();
    void writesAndDeletesDaysMeasurements();
    void listsMeasurementsChangedForADevice();
    void listsWeightsAndSteps();
    void findsTheNearestWeighing();
    void reportsTheWeightTrend();
    void readsManyTrendsAsOneByOne();
    void reportsChangedWaterPerUser();
    void computesBodyFormulas();
    void readsValuesNoDialogWritesAsUnknown_data();
    void readsValuesNoDialogWritesAsUnknown();
};

void TestCheckins::carriesValuesForward()
{
    UserDB* users = UserDB::instance();
    weigh("20060301", 80.0f);

    bool exact = true;
    QCOMPARE(users->getWeight(User, "20060310", &exact), 80.0f);
    QVERIFY(!exact);
    QCOMPARE(users->getWeight(User, "20060301", &exact), 80.0f);
    QVERIFY(exact);
    exact = true;
    QCOMPARE(users->getWeight(User, "20060228", &exact), 0.0f);
    QVERIFY(exact); // left untouched
    QCOMPARE(users->getWeight(User + 1, "20060310", nullptr), 0.0f);

    // A value recorded later wins from its date on; NULL and -1 are skipped.
    weigh("20060305", 79.0f);
    QCOMPARE(users->getWeight(User, "20060304", nullptr), 80.0f);
    QCOMPARE(users->getWeight(User, "20060306", nullptr), 79.0f);
    CheckinItem activity = checkin("20060301");
    activity.activity = DBTypes::MODERATE_ACTIVITY;
    activity.hasActivity = true;
    QVERIFY(users->addCheckin(activity, false));
    QVERIFY(StoreFixture::exec("INSERT INTO user_misc(user_id, date, activity) VALUES (0, '20060303', -1)"));
    QVERIFY(StoreFixture::exec("INSERT INTO user_misc(user_id, date, goal) VALUES (0, '20060304', 2)"));
    QCOMPARE(users->getActivity(User, "20060304", &exact), int(DBTypes::MODERATE_ACTIVITY));
    QVERIFY(!exact);
    QCOMPARE(users->getGoal(User, "20060304", &exact), int(DBTypes::GAIN_WEIGHT));
    QVERIFY(exact);
}

void TestCheckins::fillsCheckinRecords()
{
    UserDB* users = UserDB::instance();
    CheckinItem first = checkin("20060301");
    first.weight = 80.0f;
    first.hasWeight = true;
    first.waist = 90.0f;
    first.hasWaist = true;
    first.note = QStringLiteral("Started");
    first.setTarget(DBTypes::ENERGY, 1800.0f);
    first.setTarget(DBTypes::SODIUM, 2400.0f);
    first.goal = DBTypes::LOSE_WEIGHT;
    first.hasGoal = true;
    first.setCustomRMR(1500.0f);
    first.setDietPlan(QStringLiteral("plan-b"));
    QVERIFY(users->addCheckin(first, false));
    QVERIFY(users->setFluid(User, "20060301", 5));
    CheckinItem second = checkin("20060303");
    second.chest = 100.0f;
    second.hasChest = true;
    QVERIFY(users->addCheckin(second, false));

    const CheckinItem later = users->getCheckin(User, "20060303").value();
    QCOMPARE(later.userId, User);
    QCOMPARE(QByteArray(later.date), QByteArray("20060303"));
    QCOMPARE(later.weight, 80.0f);
    QVERIFY(!later.hasWeight);
    QCOMPARE(later.chest, 100.0f);
    QVERIFY(later.hasChest);
    QCOMPARE(later.waist, 90.0f);
    QCOMPARE(later.hip, 0.0f);
    QVERIFY(!later.hasHip);
    QCOMPARE(later.goal, int(DBTypes::LOSE_WEIGHT));
    QVERIFY(!later.hasGoal);
    // Note, water, custom rate and diet plan belong to their own date only.
    QVERIFY(later.note.isEmpty());
    QCOMPARE(later.fluid, 0);
    QVERIFY(!later.hasCustomRMR());
    QVERIFY(!later.hasDietPlan());
    QCOMPARE(later.target(DBTypes::ENERGY), 1800.0f);
    QCOMPARE(later.target(DBTypes::SODIUM), 2400.0f);
    QVERIFY(later.hasTarget(DBTypes::FAT));
    QVERIFY(later.noTarget(DBTypes::FAT));

    const CheckinItem day = users->getCheckin(User, "20060301").value();
    QVERIFY(day.hasWeight && day.hasWaist && day.hasGoal);
    QCOMPARE(day.note, QStringLiteral("Started"));
    QCOMPARE(day.fluid, 5);
    QCOMPARE(day.customRMR(), 1500.0f);
    QCOMPARE(day.dietPlan(), QStringLiteral("plan-b"));
    QVERIFY(users->hasCheckin(User, "20060301").value());
    QVERIFY(!users->hasCheckin(User, "20060302").value());

    CheckinItem cleared = day;
    UserDB::clearCheckinItem(cleared);
    QCOMPARE(cleared.userId, -1);
    QCOMPARE(cleared.date[0], '\0');
    QCOMPARE(cleared.steps, -1.0f);
    QVERIFY(cleared.targets.empty());
    QVERIFY(!cleared.hasWeight);
}

void TestCheckins::storesTargetsAndProfileValues()
{
    UserDB* users = UserDB::instance();
    CheckinItem targets = checkin("20060301");
    targets.setTarget(DBTypes::ENERGY, 2000.0f);
    targets.setNoTarget(DBTypes::FAT);
    QVERIFY(users->addCheckin(targets, false));
    // Targets are stored as numbers, an explicit "no target" as -1.
    QCOMPARE(StoreFixture::scalar("SELECT target_fat FROM user_target").toDouble(), -1.0);
    QVERIFY(StoreFixture::scalar("SELECT target_protein FROM user_target").isNull());

    bool exact = false;
    QCOMPARE(users->getTarget(User, "20060305", "target_calories", &exact), 2000.0f);
    QVERIFY(!exact);
    QCOMPARE(users->getTarget(User, "20060301", "target_calories", &exact), 2000.0f);
    QVERIFY(exact);
    QCOMPARE(users->getTarget(User, "20060228", "target_calories", &exact), -1.0f);
    QVERIFY(!exact);

    // A diet plan is kept even when nothing else of the profile changes that day.
    CheckinItem plan = checkin("20060302");
    plan.setDietPlan(QStringLiteral("o'brien"));
    QVERIFY(users->addCheckin(plan, false));
    QCOMPARE(users->getCheckin(User, "20060302").value().dietPlan(), QStringLiteral("o'brien"));

    CheckinItem noRate = checkin("20060303");
    noRate.setNoCustomRMR();
    QVERIFY(users->addCheckin(noRate, false));
    QVERIFY(StoreFixture::scalar("SELECT custom_rmr FROM user_misc WHERE date = '20060303'").isNull());
    QVERIFY(!users->getCheckin(User, "20060303").value().hasCustomRMR());
}

void TestCheckins::keepsTheLastWeight()
{
    UserDB* users = UserDB::instance();
    weigh("20060301", 80.0f);
    CheckinItem removal = checkin("20060301");
    removal.weight = -1.0f;
    removal.hasWeight = true;
    QVERIFY(!users->addCheckin(removal, false));
    QVERIFY(!users->addCheckin(removal, true));
    QCOMPARE(users->getWeight(User, "20060301", nullptr), 80.0f);
    QVERIFY(!users->canDelete(User, "20060301", "WEIGHT", "-1").value());

    weigh("20060302", 79.0f);
    QVERIFY(users->canDelete(User, "20060301", "WEIGHT", "-1").value());
    QVERIFY(users->addCheckin(removal, false));
    QVERIFY(StoreFixture::scalar("SELECT weight FROM user_checkins WHERE date = '20060301'").isNull());
}

void TestCheckins::readsDaysMeasurements()
{
    UserDB* users = UserDB::instance();
    QVERIFY(users->setDaysMeasurements(User, "20060301", M(80.0f, 100.0f, 0, 0, 90.0f, 0, "first")));
    UserMeasurements noteOnly;
    noteOnly.setNote("felt fine");
    noteOnly.setNoteExact(true);
    QVERIFY(users->setDaysMeasurements(User, "20060305", noteOnly));

    const UserMeasurements day = users->getDaysMeasurements(User, "20060305").value();
    QVERIFY(day.has(M::Weight));
    QVERIFY(!day.exact(M::Weight));
    QCOMPARE(day.value(M::Weight), 80.0f);
    QCOMPARE(day.value(M::Chest), 100.0f);
    QCOMPARE(day.value(M::Waist), 90.0f);
    QVERIFY(!day.has(M::Hip));
    QCOMPARE(day.note(), std::string("felt fine"));
    QVERIFY(day.noteExact());

    const UserMeasurements later = users->getDaysMeasurements(User, "20060310").value();
    QCOMPARE(later.note(), std::string("felt fine"));
    QVERIFY(!later.noteExact());
    QVERIFY(!later.exact(M::Weight));

    const UserMeasurements first = users->getDaysMeasurements(User, "20060301").value();
    QVERIFY(first.exact(M::Weight));
    QCOMPARE(first.note(), std::string("first"));
    QVERIFY(!first.isEmpty());
}

void TestCheckins::writesAndDeletesDaysMeasurements()
{
    UserDB* users = UserDB::instance();
    QVERIFY(users->setDaysMeasurements(User, "20060301", M(80.0f, 0, 0, 0, 0, 0, UserMeasurements::NoNote)));

    // The only weighing can neither lose its weight nor its row.
    UserMeasurements carried;
    carried.set(M::Weight, 80.0f, false);
    QVERIFY(!users->setDaysMeasurements(User, "20060301", carried));
    QVERIFY(!users->setDaysMeasurements(User, "20060301", UserMeasurements()));
    UserMeasurements withNote = carried;
    withNote.setNote("still here");
    QVERIFY(!users->setDaysMeasurements(User, "20060301", withNote));
    QCOMPARE(users->getWeight(User, "20060301", nullptr), 80.0f);
    // Nothing was left open: a transaction starts normally.
    QVERIFY(BXSqlDb::beginTransaction());
    QVERIFY(BXSqlDb::commitTransaction());

    // A carried-forward value is not copied into the day.
    QVERIFY(users->setDaysMeasurements(User, "20060305", M(79.0f, 0, 0, 0, 0, 0, "")));
    UserMeasurements steps = users->getDaysMeasurements(User, "20060306").value();
    steps.set(M::Steps, 5000.0f, true);
    QVERIFY(users->setDaysMeasurements(User, "20060306", steps));
    QVERIFY(StoreFixture::scalar("SELECT weight FROM user_checkins WHERE date = '20060306'").isNull());
    QCOMPARE(StoreFixture::scalar("SELECT steps FROM user_checkins WHERE date = '20060306'").toInt(), 5000);

    QVERIFY(users->setDaysMeasurements(User, "20060301", UserMeasurements()));
    QVERIFY(!users->hasCheckin(User, "20060301").value());
    QCOMPARE(users->getWeight(User, "20060310", nullptr), 79.0f);

    // A figure is stored as the user gave it, not as its float widened to a double.
    QVERIFY(users->setDaysMeasurements(User, "20060320", M(84.1f, 0, 0, 0, 0, 0, "")));
    QCOMPARE(StoreFixture::scalar("SELECT weight FROM user_checkins WHERE date = '20060320'")
                 .toString(),
             QStringLiteral("84.1"));
    // So is a check-in's, to the last figure the float holds: 168.4 lb in kilograms.
    weigh("20060321", 76.38424f);
    QCOMPARE(StoreFixture::scalar("SELECT weight FROM user_checkins WHERE date = '20060321'")
                 .toString(),
             QStringLiteral("76.38424"));
}

void TestCheckins::listsMeasurementsChangedForADevice()
{
    UserDB* users = UserDB::instance();
    QVERIFY(users->setDaysMeasurements(User, "20060301", M(80.0f, 0, 0, 0, 0, 0, "a")));
    QVERIFY(users->setDaysMeasurements(User, "20060302", M(79.0f, 0, 0, 0, 0, 0, "")));
    QVERIFY(StoreFixture::exec("INSERT INTO user_checkins(user_id, date, weight, steps, note) VALUES (0, '20060303', 0, 0, NULL)"));
    users->clearSyncTable(QStringLiteral("user_checkins_sync"), User, 0, nullptr, "20060301");

    const UserDB::DatedMeasurements all = users->getMeasurements(User, nullptr, nullptr, nullptr).value();
    QCOMPARE(all.size(), 3);
    QCOMPARE(all.at(0).first, QStringLiteral("20060301"));
    QCOMPARE(all.at(0).second.note(), std::string("a"));
    // An empty note is stored as none.
    QVERIFY(!all.at(1).second.noteExact());
    QVERIFY(all.at(1).second.note().empty());
    // A stored 0 is not a weight but is a count of steps, and a NULL note is no note.
    QVERIFY(!all.at(2).second.has(M::Weight));
    QVERIFY(all.at(2).second.exact(M::Steps));
    QCOMPARE(all.at(2).second.value(M::Steps), 0.0f);
    QVERIFY(!all.at(2).second.noteExact());

    const auto range = users->getMeasurements(User, "20060302", "20060302", nullptr).value();
    QCOMPARE(range.size(), 1);
    const auto changed = users->getMeasurements(User, nullptr, nullptr, "website").value();
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(0).first, QStringLiteral("20060302"));
    QVERIFY(users->getMeasurements(User, nullptr, nullptr, "nosuchdevice").value().isEmpty());
}

void TestCheckins::listsWeightsAndSteps()
{
    UserDB* users = UserDB::instance();
    weigh("20060301", 80.0f);
    weigh("20060303", 79.0f);
    CheckinItem walked = checkin("20060302");
    walked.steps = 6000.0f;
    walked.hasSteps = true;
    QVERIFY(users->addCheckin(walked, false));

    const auto weights = users->getWeightList(User, "20060301", "20060302").value();
    QCOMPARE(weights.size(), 1);
    QCOMPARE(weights.first().second, 80.0f);

    const auto steps = users->getStepsList(User, "20060301", "20060303", UserDB::StepsPerDay).value();
    QCOMPARE(steps.size(), 3);
    QCOMPARE(steps.at(0), qMakePair(QStringLiteral("20060301"), 0.0f));
    QCOMPARE(steps.at(1), qMakePair(QStringLiteral("20060302"), 6000.0f));
    QCOMPARE(steps.at(2), qMakePair(QStringLiteral("20060303"), 0.0f));
}

void TestCheckins::findsTheNearestWeighing()
{
    UserDB* users = UserDB::instance();
    weigh("20060301", 80.0f);
    weigh("20060310", 78.0f);
    char date[] = "20060305";
    QCOMPARE(users->getNextWeight(User, date, true), 78.0f);
    QCOMPARE(QByteArray(date), QByteArray("20060310"));
    QCOMPARE(users->getNextWeight(User, date, true), 78.0f);
    QCOMPARE(QByteArray(date), QByteArray("20060310"));
    std::strcpy(date, "20060305");
    QCOMPARE(users->getNextWeight(User, date, false), 80.0f);
    QCOMPARE(QByteArray(date), QByteArray("20060301"));
    std::strcpy(date, "20060311");
    QCOMPARE(users->getNextWeight(User, date, true), -1.0f);
    QCOMPARE(QByteArray(date), QByteArray("20060311"));
}

void TestCheckins::reportsTheWeightTrend()
{
    UserDB* users = UserDB::instance();
    weigh("20060301", 80.0f);
    UserDB::Trend trend = users->getTrend(User, QStringLiteral("20060301")).value();
    QCOMPARE(trend.trend, QStringLiteral("nochange"));
    QVERIFY(trend.date.isNull());

    const struct
    {
        float weight;
        const char* word;
    } cases[] = {{80.004f, "nochange"}, {80.3f, "bigincrease"}, {80.2f, "increase"},
                 {79.9f, "decrease"},   {79.5f, "bigdecrease"}};
    for (const auto& c : cases) {
        weigh("20060302", c.weight);
        trend = users->getTrend(User, QStringLiteral("20060305")).value();
        QCOMPARE(trend.trend, QString::fromLatin1(c.word));
        QCOMPARE(trend.date, QStringLiteral("20060301"));
    }
}

void TestCheckins::readsManyTrendsAsOneByOne()
{
    UserDB* users = UserDB::instance();
    const QStringList dates = {"20060228", "20060301", "20060302", "20060303", "20060305",
                               "20060306", "20060308", "20060320"};
    weigh("20060301", 80.0f);
    weigh("20060303", 80.3f);
    weigh("20060305", 80.4f);
    weigh("20060306", 80.402f);
    weigh("20060308", 79.9f);
    const QMap<QString, UserDB::Trend> trends = users->getTrends(User, dates).value();
    QCOMPARE(trends.size(), dates.size());
    for (const QString& date : dates) {
        const UserDB::Trend one = users->getTrend(User, date).value();
        QCOMPARE(trends.value(date).trend, one.trend);
        QCOMPARE(trends.value(date).date, one.date);
    }
    QCOMPARE(trends.value("20060303").trend, QStringLiteral("bigincrease"));
    QCOMPARE(trends.value("20060320").trend, QStringLiteral("bigdecrease"));
}

void TestCheckins::reportsChangedWaterPerUser()
{
    UserDB* users = UserDB::instance();
    QVERIFY(users->setFluid(0, "20060301", 3));
    QVERIFY(users->setFluid(1, "20060301", 6));
    QVERIFY(users->setFluid(0, "20060302", 4));
    QCOMPARE(users->getFluid(0, "20060301").value(), 3);
    QCOMPARE(users->getFluid(0, "20060303").value(), 0);
    users->clearSyncTable(QStringLiteral("water_diary_sync"), 0, 0, "20060302", "20060302");

    const auto changed = users->getChangedFluidForWeb(0).value();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first(), qMakePair(QStringLiteral("20060301"), 3));

    weigh("20060301", 80.0f);
    weigh("20060302", 81.0f);
    QVERIFY(users->setDaysMeasurements(User, "20060302", UserMeasurements()));
    QCOMPARE(users->getDeletedCheckinsForWeb(User), QStringList({"20060302"}));
}

void TestCheckins::computesBodyFormulas()
{
    QVERIFY(qAbs(UserDB::calcBMI_f(170.0f, 65.0f) - 22.491f) < 0.001f);
    QCOMPARE(UserDB::calcBMI(170.0f, 65.0f), 22);
    QCOMPARE(UserDB::calcBMI(100.0f, 22.5f), 23);
    QVERIFY(qAbs(UserDB::calcWeightForBMI(170.0f, 22.491f) - 65.0f) < 0.01f);
    QCOMPARE(UserDB::goalRecommendation(18), int(DBTypes::GAIN_WEIGHT));
    QCOMPARE(UserDB::goalRecommendation(19), int(DBTypes::MAINTAIN_WEIGHT));
    QCOMPARE(UserDB::goalRecommendation(26), int(DBTypes::MAINTAIN_WEIGHT));
    QCOMPARE(UserDB::goalRecommendation(27), int(DBTypes::LOSE_WEIGHT));
    // By the index shown: 26.2 is above 26, 18.6 below 19.
    QCOMPARE(UserDB::goalRecommendation(26.2f), int(DBTypes::LOSE_WEIGHT));
    QCOMPARE(UserDB::goalRecommendation(18.6f), int(DBTypes::GAIN_WEIGHT));

    CheckinItem c = checkin("20060101");
    c.weight = 80.0f;
    c.activity = DBTypes::SEDENTARY;
    DBTypes::UserProfile man;
    std::strcpy(man.dob, "19761231"); // 30 by calendar years
    man.sex = 0;
    man.height = 180.0f;
    QVERIFY(qAbs(UserDB::harrisBenedictRee(c, man) - 2050.26f) < 0.01f);
    c.activity = DBTypes::ACTIVE;
    DBTypes::UserProfile woman = man;
    woman.sex = 1;
    const double kj = 40.0 * 80 + 2741.0 + 7.7 * 180 - 19.6 * 30;
    QVERIFY(qAbs(UserDB::harrisBenedictRee(c, woman) - float(kj) * 1.4f / 4.18f) < 0.01f);
}

QTEST_GUILESS_MAIN(TestCheckins)
#include "tst_checkins.moc"

void TestCheckins::readsValuesNoDialogWritesAsUnknown_data()
{
    QTest::addColumn<QString>("column"); // table.column
    QTest::addColumn<double>("stored");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("weight 1e308") << "user_checkins.weight" << 1e308;
    QTest::newRow("weight Inf") << "user_checkins.weight" << inf;
    QTest::newRow("weight NaN") << "user_checkins.weight" << std::nan("");
    QTest::newRow("chest -Inf") << "user_checkins.chest" << -inf;
    QTest::newRow("steps 1e308") << "user_checkins.steps" << 1e308;
    QTest::newRow("goal 2^31") << "user_misc.goal" << 2147483648.0;
    QTest::newRow("activity 2^31") << "user_misc.activity" << 2147483648.0;
    QTest::newRow("custom RMR 1e308") << "user_misc.custom_rmr" << 1e308;
    QTest::newRow("energy target Inf") << "user_target.target_calories" << inf;
    QTest::newRow("water 1e308") << "water_diary.cups" << 1e308;
}

// The day before holds a weight; the day itself a value no dialog writes, read as unknown.
void TestCheckins::readsValuesNoDialogWritesAsUnknown()
{
    QFETCH(QString, column);
    QFETCH(double, stored);
    UserDB* users = UserDB::instance();
    weigh("20060301", 80.0f);
    const QByteArray insert = QStringLiteral("INSERT INTO %1(user_id, date, %2) VALUES (0, '20060302', ?)")
                                  .arg(column.section(u'.', 0, 0), column.section(u'.', 1)).toLatin1();
    QVERIFY(StoreFixture::exec(insert.constData(), {stored}));

    const CheckinItem item = users->getCheckin(User, "20060302").value();
    QVERIFY(!item.hasWeight && !item.hasChest && !item.hasSteps && !item.hasGoal && !item.hasActivity);
    QVERIFY(item.goal == 0 && item.activity == 0 && item.fluid == 0 && item.customRMR() == -1.0f);
    QCOMPARE(item.target(DBTypes::ENERGY), -1.0f);
    const UserMeasurements day = users->getDaysMeasurements(User, "20060302").value();
    QVERIFY(!day.exact(M::Weight) && !day.exact(M::Chest) && !day.exact(M::Steps));
    QCOMPARE(users->getWeightList(User, "20060301", "20060302").value().size(), 1);
    QCOMPARE(users->getTrend(User, QStringLiteral("20060303")).value().trend, QStringLiteral("nochange"));
}
