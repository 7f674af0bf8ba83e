#include "core/brandengine.h"
#include "core/dbtypes.h"
#include "profile/dietplans/bxdietplan.h"
#include "profile/dietplans/dietplanmanager.h"
#include "tests/support/brandinfront.h"

#include <QtTest>

using DBTypes::CheckinItem;
using DBTypes::NutType;
using DBTypes::UserPrefs;
using DBTypes::UserProfile;

namespace {

constexpr float NO_VALUE = -1.0f;

// A check-in on 1 January 2006 and a profile whose birth year gives `age` by year difference.
struct Person
{
    CheckinItem checkin;
    UserProfile profile;
};

Person person(int sex, float weight, float height, int age, int activity, int goal)
{
    Person p;
    qstrcpy(p.checkin.date, "20060101");
    p.checkin.weight = weight;
    p.checkin.activity = activity;
    p.checkin.goal = goal;
    p.profile.sex = sex;
    p.profile.height = height;
    qstrcpy(p.profile.dob, QByteArray::number(2006 - age).append("1231").constData());
    return p;
}

// Every one of the ten nutrients with a target, so that the plan's removals show.
void fillAllTargets(CheckinItem* checkin)
{
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
        checkin->setTarget(NutType(nut), 10.0f + nut);
}

QString brandWithSwitch(const char* value)
{
    QString xml = QStringLiteral("<brand>\n<bool id=\"feature.family\" value=\"true\"/>\n");
    if (value)
        xml += QStringLiteral("<bool id=\"dietplan.brellix.enabled\" value=\"%1\"/>\n")
                   .arg(QLatin1String(value));
    return xml + QStringLiteral("</brand>\n");
}

// A second plan that files itself under the same id.
class OtherPlan : public BXDietPlan
{
public:
    QString name() const override { return QStringLiteral("Other"); }
};

} // namespace

class TestDietPlans : public QObject
{
    Q_OBJECT

private slots:
    // The preferences take their unit defaults from the brand.
    void initTestCase() { QVERIFY(loadBrandInFront(QStringLiteral("<brand/>"))); }

    void cleanupTestCase()
    {
        DietPlanManager::cleanUp();
        BrandEngine::cleanUp();
    }

    void restingRateCountsCalendarYears()
    {
        // Born on the last day of 1975: 31 on the first day of 2006.
        Person man = person(0, 80.0f, 180.0f, 31, DBTypes::SEDENTARY, DBTypes::MAINTAIN_WEIGHT);
        const double kilojoules = 57.5 * 80 + 278.0 + 20.9 * 180 - 28.3 * 31;
        QVERIFY(qAbs(BXDietPlan().calculateRMR(&man.checkin, &man.profile)
                     - float(kilojoules) * 1.1f / 4.18f) < 0.01f);
    }

    void targetsFollowProfileAndGoal_data()
    {
        QTest::addColumn<int>("sex");
        QTest::addColumn<float>("weight");
        QTest::addColumn<float>("height");
        QTest::addColumn<int>("age");
        QTest::addColumn<int>("activity");
        QTest::addColumn<int>("goal");
        QTest::addColumn<float>("customRMR");
        QTest::addColumn<float>("energy");
        QTest::addColumn<float>("carbs");
        QTest::addColumn<float>("fat");
        QTest::addColumn<float>("protein");

        const int lose = DBTypes::LOSE_WEIGHT;
        const int keep = DBTypes::MAINTAIN_WEIGHT;
        const int gain = DBTypes::GAIN_WEIGHT;
        QTest::newRow("man light lose") << 0 << 80.f << 183.f << 30 << 1 << lose << NO_VALUE
            << 1804.65f << 216.77f << 53.51f << 113.99f;
        QTest::newRow("man light maintain") << 0 << 80.f << 183.f << 30 << 1 << keep << NO_VALUE
            << 2254.65f << 296.19f << 71.01f << 107.70f;
        QTest::newRow("man light gain") << 0 << 80.f << 183.f << 30 << 1 << gain << NO_VALUE
            << 2754.65f << 396.30f << 90.46f << 88.83f;
        QTest::newRow("woman lose raised to floor") << 1 << 60.f << 165.f << 40 << 0 << lose << NO_VALUE
            << 1200.f << 126.00f << 30.00f << 106.50f;
        QTest::newRow("woman sedentary maintain") << 1 << 60.f << 165.f << 40 << 0 << keep << NO_VALUE
            << 1480.92f << 165.90f << 40.93f << 112.25f;
        QTest::newRow("man moderate maintain") << 0 << 68.f << 175.f << 45 << 2 << keep << NO_VALUE
            << 2043.92f << 257.74f << 62.82f << 111.90f;
        QTest::newRow("woman active gain") << 1 << 68.f << 175.f << 45 << 3 << gain << NO_VALUE
            << 2484.95f << 340.75f << 79.97f << 100.56f;
        QTest::newRow("lose capped") << 0 << 120.f << 190.f << 25 << 2 << lose << NO_VALUE
            << 2000.f << 250.00f << 61.11f << 112.50f;
        QTest::newRow("protein never negative") << 0 << 150.f << 200.f << 20 << 3 << keep << NO_VALUE
            << 4192.30f << 753.81f << 146.37f << 0.f;
        QTest::newRow("old woman maintain floor") << 1 << 40.f << 140.f << 90 << 0 << keep << NO_VALUE
            << 1200.f << 126.00f << 30.00f << 106.50f;
        QTest::newRow("old woman gain") << 1 << 40.f << 140.f << 90 << 0 << gain << NO_VALUE
            << 1461.84f << 163.06f << 40.18f << 111.99f;
        QTest::newRow("own rate, nothing else known") << 0 << -1.f << -1.f << 0 << -1 << keep << 1600.f
            << 1600.f << 184.00f << 45.56f << 113.50f;
        QTest::newRow("own rate just under the cap") << 1 << -1.f << -1.f << 0 << -1 << lose << 2449.f
            << 1999.00f << 249.83f << 61.07f << 112.51f;
        QTest::newRow("age one by year difference") << 0 << 80.f << 183.f << 1 << 1 << keep << NO_VALUE
            << 2490.26f << 341.80f << 80.18f << 100.36f;
    }

    void targetsFollowProfileAndGoal()
    {
        QFETCH(int, sex);
        QFETCH(float, weight);
        QFETCH(float, height);
        QFETCH(int, age);
        QFETCH(int, activity);
        QFETCH(int, goal);
        QFETCH(float, customRMR);
        Person p = person(sex, weight, height, age, activity, goal);
        if (customRMR >= 0.0f)
            p.checkin.setCustomRMR(customRMR);
        fillAllTargets(&p.checkin);

        QVERIFY(BXDietPlan().calculateTargets(&p.checkin, &p.profile));

        QFETCH(float, energy);
        QFETCH(float, carbs);
        QFETCH(float, fat);
        QFETCH(float, protein);
        const std::pair<NutType, float> expected[] = {
            {DBTypes::ENERGY, energy}, {DBTypes::CARBS, carbs}, {DBTypes::FAT, fat},
            {DBTypes::PROTEIN, protein}};
        for (const auto& [nut, want] : expected) {
            const float got = p.checkin.target(nut);
            QVERIFY2(qAbs(got - want) < 0.01f,
                     qPrintable(QStringLiteral("nutrient %1: %2, expected %3")
                                    .arg(int(nut)).arg(double(got), 0, 'f', 4).arg(double(want))));
        }
        QCOMPARE(p.checkin.target(DBTypes::FIBER), 25.0f);
        for (NutType nut : {DBTypes::SATFAT, DBTypes::CHOLESTEROL, DBTypes::SODIUM, DBTypes::SUGAR,
                            DBTypes::CALCIUM})
            QVERIFY2(!p.checkin.hasTarget(nut), qPrintable(QString::number(nut)));
    }

    void badInputsGiveNoValue_data()
    {
        QTest::addColumn<int>("broken");
        QTest::addColumn<bool>("rateUnknown");
        QTest::newRow("weight 0") << 0 << true;
        QTest::newRow("height -1") << 1 << true;
        QTest::newRow("born in the check-in's year") << 2 << true;
        QTest::newRow("no birth date") << 3 << true;
        QTest::newRow("activity -1") << 4 << true;
        QTest::newRow("activity 4") << 5 << true;
        QTest::newRow("goal -1") << 6 << false;
        QTest::newRow("goal 3") << 7 << false;
        QTest::newRow("goal 3 with own rate") << 8 << false;
        QTest::newRow("no check-in date") << 9 << true;
    }

    void badInputsGiveNoValue()
    {
        QFETCH(int, broken);
        QFETCH(bool, rateUnknown);
        Person p = person(0, 80.0f, 183.0f, 30, DBTypes::LIGHT_ACTIVITY, DBTypes::MAINTAIN_WEIGHT);
        switch (broken) {
        case 0: p.checkin.weight = 0.0f; break;
        case 1: p.profile.height = -1.0f; break;
        case 2: qstrcpy(p.profile.dob, "20060105"); break;
        case 3: p.profile.dob[0] = '\0'; break;
        case 4: p.checkin.activity = -1; break;
        case 5: p.checkin.activity = 4; break;
        case 6: p.checkin.goal = -1; break;
        case 7: p.checkin.goal = 3; break;
        case 8: p.checkin.goal = 3; p.checkin.setCustomRMR(1600.0f); break;
        case 9: p.checkin.date[0] = '\0'; break;
        }
        fillAllTargets(&p.checkin);
        p.checkin.setNoTarget(DBTypes::SUGAR);
        const std::map<NutType, float> before = p.checkin.targets;

        BXDietPlan plan;
        QCOMPARE(plan.calculateRMR(&p.checkin, &p.profile) == DietPlan::NO_RMR, rateUnknown);
        QVERIFY(!plan.calculateTargets(&p.checkin, &p.profile));
        QVERIFY(p.checkin.targets == before);
    }

    void defaultSizesShowTheMainFive()
    {
        UserPrefs prefs;
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
            prefs.setTargetSize(NutType(nut), UserPrefs::Small);
        BXDietPlan().setDefaultTargetSize(&prefs);
        const UserPrefs::TargetSize expected[] = {
            UserPrefs::Large, UserPrefs::Medium, UserPrefs::Medium, UserPrefs::Medium,
            UserPrefs::Medium, UserPrefs::None, UserPrefs::None, UserPrefs::None,
            UserPrefs::None, UserPrefs::None};
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
            QCOMPARE(prefs.targetSize(NutType(nut)), expected[nut]);
    }

    void registryFollowsBrandSwitch_data()
    {
        QTest::addColumn<QString>("brand");
        QTest::addColumn<bool>("shipped");
        QTest::addColumn<int>("count");
        QTest::newRow("absent") << brandWithSwitch(nullptr) << false << 0;
        QTest::newRow("false") << brandWithSwitch("false") << true << 0;
        QTest::newRow("true") << brandWithSwitch("true") << true << 1;
        QTest::newRow("shipped brand") << QStringLiteral("<brand/>") << true << 1;
    }

    void registryFollowsBrandSwitch()
    {
        QFETCH(QString, brand);
        QFETCH(bool, shipped);
        QFETCH(int, count);
        QVERIFY(loadBrandInFront(brand, {}, shipped));
        DietPlanManager::cleanUp();
        DietPlanManager* plans = DietPlanManager::instance();

        QCOMPARE(plans->count(), count);
        QCOMPARE(plans->plan(QStringLiteral("Brellix")) != nullptr, count == 1);
        QCOMPARE(plans->planAt(-1), nullptr);
        QCOMPARE(plans->planAt(count), nullptr);
        if (count == 1) {
            QCOMPARE(plans->planAt(0)->id(), QStringLiteral("Brellix"));
            QCOMPARE(plans->planAt(0)->name(), QStringLiteral("Brellix"));
            QCOMPARE(plans->plan(QStringLiteral("Brellix")), plans->planAt(0));
        }
        // Read once: a later brand does not change the registry.
        QVERIFY(loadBrandInFront(brandWithSwitch(count == 1 ? "false" : "true"), {}, shipped));
        QCOMPARE(DietPlanManager::instance()->count(), count);
    }

    void samePlanIdTakesOverLookup()
    {
        QVERIFY(loadBrandInFront(brandWithSwitch("true")));
        DietPlanManager::cleanUp();
        DietPlanManager* plans = DietPlanManager::instance();
        plans->addPlan(std::make_unique<OtherPlan>());

        QCOMPARE(plans->count(), 2);
        QCOMPARE(plans->plan(QStringLiteral("Brellix"))->name(), QStringLiteral("Other"));
        QCOMPARE(plans->planAt(0)->name(), QStringLiteral("Brellix"));
        QCOMPARE(plans->planAt(1), plans->plan(QStringLiteral("Brellix")));
        QCOMPARE(plans->plan(QStringLiteral("brellix")), nullptr);
        // Both plans go with the registry (the leak checker of the sanitizer build sees it).
        DietPlanManager::cleanUp();
    }
};

QTEST_GUILESS_MAIN(TestDietPlans)
#include "tst_dietplans.moc"
