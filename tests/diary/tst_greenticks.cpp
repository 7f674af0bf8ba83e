#include "diary/greentickswidget.h"
#include "core/brandengine.h"
#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"

#include <QtTest>

namespace {

DBTypes::DiaryDay day(float netEnergy, float minutes)
{
    DBTypes::DiaryDay day;
    DBTypes::FoodDiaryItem meal;
    meal.values.energy = netEnergy;
    day.foods.push_back(meal);
    DBTypes::ExerciseDiaryItem exercise; // burns nothing: the net energy stays as given
    exercise.duration = minutes;
    day.exercises.push_back(exercise);
    return day;
}

DBTypes::CheckinItem checkin(int goal, float target)
{
    DBTypes::CheckinItem checkin;
    checkin.goal = goal;
    checkin.hasGoal = goal >= 0;
    checkin.setTarget(DBTypes::ENERGY, target);
    return checkin;
}

const QString s_exercised = QStringLiteral("You've earnt a green tick for doing at least 30 minutes of exercise.");

QString exerciseMissing(int minutes)
{
    return QStringLiteral("You need to exercise for another %1 minutes to earn a green tick for exercise.").arg(minutes);
}

} // namespace

class TestGreenTicks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(importShippedBrand()); }

    void cleanupTestCase()
    {
        UnitCollection::cleanUp();
        BrandEngine::cleanUp();
    }

    void figures_data()
    {
        QTest::addColumn<int>("goal");
        QTest::addColumn<float>("target");
        QTest::addColumn<float>("net");
        QTest::addColumn<float>("minutes");
        QTest::addColumn<bool>("food");
        QTest::addColumn<bool>("exercise");
        QTest::addColumn<QString>("tip");

        const QString within = QStringLiteral("You've earnt a green tick for coming within 100 cals of your net calorie budget.");
        const QString onTrack = QStringLiteral("You're currently on track for a green tick for calories, if you stay within your budget.");
        const QString over101 = QStringLiteral("You're currently 101 cals over your budget. You need to fall within 100 cals of your target to achieve a green tick for calories.");
        const QString missing50 = QStringLiteral("You're currently missing out on a green tick, as you're 50 cals over your budget!");
        const QString congratulations = QStringLiteral("Congratulations! ");

        QTest::newRow("maintain, 100 under") << 1 << 2000.f << 1900.f << 0.f << true << false
                                             << congratulations + within + "\n\n" + exerciseMissing(30);
        QTest::newRow("maintain, 100 over") << 1 << 2000.f << 2100.f << 0.f << true << false
                                            << congratulations + within + "\n\n" + exerciseMissing(30);
        QTest::newRow("maintain, 101 under") << 1 << 2000.f << 1899.f << 29.2f << false << false
            << QStringLiteral("If you eat between 1 and 201 more calories today, you'll be close enough to your target to earn a green tick for calories.\n\n") + exerciseMissing(1);
        QTest::newRow("maintain, 101 over") << 1 << 2000.f << 2101.f << 0.f << false << false
            << over101 + "\n\nYou could regain this green tick with an additional 1 cals of exercise.\n\n" + exerciseMissing(30);
        QTest::newRow("maintain, 101 over after 199 minutes") << 1 << 2000.f << 2101.f << 199.f << false << true
            << congratulations + s_exercised + "\n\n" + over101;
        QTest::newRow("lose, on target") << 0 << 1800.f << 1800.f << 30.f << true << true
                                         << congratulations + onTrack + "\n\n" + s_exercised;
        QTest::newRow("lose, 50 over after 149 minutes") << 0 << 1800.f << 1850.f << 149.f << false << true
            << congratulations + s_exercised + "\n\n" + missing50 + "\n\nYou could regain this green tick with an additional 50 cals of exercise.";
        QTest::newRow("lose, 50 over after 150 minutes") << 0 << 1800.f << 1850.f << 150.f << false << true
            << congratulations + s_exercised + "\n\n" + missing50;
        QTest::newRow("lose without a target") << 0 << 0.f << 10.f << 0.f << false << false
            << QStringLiteral("You're currently missing out on a green tick, as you're 10 cals over your budget!\n\n") + exerciseMissing(30);
        QTest::newRow("gain") << 2 << 2000.f << 2000.f << 30.f << false << true
                              << congratulations + s_exercised + "\n\n";
        QTest::newRow("no goal") << -1 << 2000.f << 2000.f << 10.f << false << false
                                 << QStringLiteral("\n\n") + exerciseMissing(20);
        // Minutes no day holds count as none.
        QTest::newRow("no goal, -Inf minutes") << -1 << 2000.f << 2000.f << -INFINITY << false << false
                                               << QStringLiteral("\n\n") + exerciseMissing(30);
        QTest::newRow("no goal, NaN minutes") << -1 << 2000.f << 2000.f << NAN << false << false
                                              << QStringLiteral("\n\n") + exerciseMissing(30);
    }

    void figures()
    {
        QFETCH(int, goal);
        QFETCH(float, target);
        QFETCH(float, net);
        QFETCH(float, minutes);
        QFETCH(bool, food);
        QFETCH(bool, exercise);
        QFETCH(QString, tip);
        GreenTicksWidget ticks(nullptr, "ticks");
        // No made-up tip before the day's figures arrive.
        QCOMPARE(ticks.toolTip(), QString());
        ticks.updateCheckin(checkin(goal, target));
        ticks.totalChanged(day(net, minutes));
        QCOMPARE(ticks.hasFoodTick(), food);
        QCOMPARE(ticks.hasExerciseTick(), exercise);
        QCOMPARE(ticks.toolTip(), tip);
    }

    void eitherInputKeepsTheOther()
    {
        GreenTicksWidget ticks(nullptr, "ticks");
        ticks.totalChanged(day(1900.f, 40.f));
        QVERIFY(!ticks.hasFoodTick()); // no goal yet
        ticks.updateCheckin(checkin(1, 2000.f));
        QVERIFY(ticks.hasFoodTick() && ticks.hasExerciseTick());
        ticks.totalChanged(day(2500.f, 40.f));
        QVERIFY(!ticks.hasFoodTick() && ticks.hasExerciseTick());
    }

    void kilojoules()
    {
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilojoules));
        GreenTicksWidget ticks(nullptr, "ticks");
        ticks.updateCheckin(checkin(1, 2000.f));
        ticks.totalChanged(day(2101.f, 0.f));
        QCOMPARE(ticks.toolTip(),
                 QStringLiteral("You're currently 422 kJ over your budget. You need to fall within 418 kJ of "
                                "your target to achieve a green tick for kilojoules.\n\nYou could regain this "
                                "green tick with an additional 4 kJ of exercise.\n\n") + exerciseMissing(30));
        ticks.totalChanged(day(1800.f, 0.f));
        QVERIFY(ticks.toolTip().startsWith(QStringLiteral("If you eat between 418 and 1254 more kilojoules")));
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(UnitEnergy::Kilocalories));
    }

    void pictures()
    {
        GreenTicksWidget ticks(nullptr, "ticks");
        QCOMPARE(ticks.size(), GreenTicksWidget::getGreenTicksSize());
        ticks.updateCheckin(checkin(1, 2000.f));
        const struct { float net; float minutes; const char* name; } cases[] = {
            {0.f, 0.f, "greenticks-no-no"}, {2000.f, 0.f, "greenticks-yes-no"},
            {0.f, 30.f, "greenticks-no-yes"}, {2000.f, 30.f, "greenticks-yes-yes"}};
        QImage previous;
        for (const auto& shown : cases) {
            ticks.totalChanged(day(shown.net, shown.minutes));
            const QImage image = ticks.grab().toImage();
            QVERIFY(image != previous);
            previous = image;
            QVERIFY(saveWidgetPicture(&ticks, QLatin1String(shown.name)));
        }
    }
};

QTEST_MAIN(TestGreenTicks)
#include "tst_greenticks.moc"
