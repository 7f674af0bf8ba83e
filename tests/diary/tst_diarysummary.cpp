#include "core/brandengine.h"
#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "diary/diarysummary.h"
#include "widgets/shownday.h"
#include "diary/fluidcounterview.h"
#include "diary/fluidcounterviewbutton.h"
#include "diary/smallsummary.h"
#include "diary/summaryexercisewidget.h"
#include "diary/summarynutrientwidget.h"
#include "diary/summarywidget.h"
#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/testsession.h"
#include "tests/support/widgetpicture.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

using DBTypes::NutType;
using DBTypes::UserPrefs;

namespace {

const QDate kDay(2026, 3, 14);

QByteArray code(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

qint64 currentUser()
{
    return UserDB::instance()->getCurrentUser();
}

void setEnergyUnit(UnitEnergy::Type type)
{
    UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(type));
}

void setSizes(const std::map<NutType, UserPrefs::TargetSize>& sizes, int options = 255)
{
    UserPrefs prefs = UserDB::instance()->getUserPrefs(currentUser()).value();
    for (int n = 0; n < DBTypes::NUTRIENT_COUNT; ++n)
        prefs.setTargetSize(NutType(n), UserPrefs::None);
    for (const auto& [nutrient, size] : sizes)
        prefs.setTargetSize(nutrient, size);
    prefs.summaryOptions = options;
    prefs.showNutrientAndFluid = true;
    QVERIFY(UserDB::instance()->setUserPrefs(currentUser(), prefs));
}

DBTypes::CheckinItem targets(const std::map<NutType, float>& values)
{
    DBTypes::CheckinItem checkin;
    checkin.userId = currentUser();
    for (const auto& [nutrient, value] : values)
        checkin.setTarget(nutrient, value);
    return checkin;
}

DBTypes::DiaryDay dayWith(const std::map<NutType, float>& values, float exerciseMinutes = 0.0f)
{
    DBTypes::DiaryDay day;
    DBTypes::FoodDiaryItem food;
    food.meal = 1;
    for (const auto& [nutrient, value] : values)
        food.values.setNutrient(nutrient, value);
    day.foods.push_back(food);
    if (exerciseMinutes != 0.0f) {
        DBTypes::ExerciseDiaryItem exercise;
        exercise.duration = exerciseMinutes;
        day.exercises.push_back(exercise);
    }
    return day;
}

// The panel on the day, as the diary page shows it: with the preferences and water read.
void showTargets(DiarySummary& summary, const QDate& day, const DBTypes::CheckinItem& checkin)
{
    ShownDay::instance()->show(currentUser(), day);
    summary.setNutrientTarget(UserDB::instance()->getUserPrefs(currentUser()).value(),
                              UserDB::instance()->getFluid(currentUser(), code(day).constData()).value(), checkin);
}

QColor pixel(QWidget* widget, const std::function<void(QPainter*)>& paint, QPoint at)
{
    QImage image(widget->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(&painter);
    painter.end();
    return image.pixelColor(at);
}

} // namespace

class TestDiarySummary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(startSessionWithUser(QStringLiteral("Ann"))); }

    void init()
    {
        setEnergyUnit(UnitEnergy::Kilocalories);
        UserDB::instance()->setFluid(currentUser(), code(kDay).constData(), 0);
        _summary = std::make_unique<DiarySummary>(nullptr, "summaryWidget", 0);
        _summary->resize(600, 300);
    }

    void cleanup()
    {
        _summary.reset();
        QLocale::setDefault(QLocale::c());
    }

    void cleanupTestCase()
    {
        UnitCollection::cleanUp();
        endSession();
    }

    void usedWidthStaysWithinTheBar()
    {
        QCOMPARE(SummaryNutrientWidget::usedWidth(100, 50.0f, 0.0f), 0);
        QCOMPARE(SummaryNutrientWidget::usedWidth(100, 50.0f, -10.0f), 0);
        QCOMPARE(SummaryNutrientWidget::usedWidth(100, 50.0f, std::nanf("")), 0);
        QCOMPARE(SummaryNutrientWidget::usedWidth(100, std::nanf(""), 10.0f), 0);
        QCOMPARE(SummaryNutrientWidget::usedWidth(100, 0.0f, 2000.0f), 0);
        QCOMPARE(SummaryNutrientWidget::usedWidth(100, -300.0f, 2000.0f), 0);
        QCOMPARE(SummaryNutrientWidget::usedWidth(100, 2500.0f, 2000.0f), 100);
        QCOMPARE(SummaryNutrientWidget::usedWidth(100, 1e30f, 1e-30f), 100);
        QCOMPARE(SummaryNutrientWidget::usedWidth(100, std::numeric_limits<float>::infinity(),
                                                  10.0f), 0);
        QCOMPARE(SummaryNutrientWidget::usedWidth(101, 1000.0f, 2000.0f), 50);
        // The exercise bar against its 30 minutes.
        QCOMPARE(SummaryNutrientWidget::usedWidth(99, 15.0f, 30.0f), 49);
        QCOMPARE(SummaryNutrientWidget::usedWidth(99, 45.0f, 30.0f), 99);
    }

    void alarmAndTexts()
    {
        QVERIFY(SummaryNutrientWidget::isAlarm(2100.0f, 2000.0f + 100.0f));
        QVERIFY(!SummaryNutrientWidget::isAlarm(2099.0f, 2000.0f + 100.0f));
        QVERIFY(SummaryNutrientWidget::isAlarm(55.0f, 50.0f * 1.1f));
        QVERIFY(!SummaryNutrientWidget::isAlarm(54.9f, 50.0f * 1.1f));
        QVERIFY(!SummaryNutrientWidget::isAlarm(1e9f, -1.0f));

        QCOMPARE(SummaryNutrientWidget::largeSentence(DBTypes::ENERGY, 1500.0f, 2000.0f, true),
                 QStringLiteral("You have used up 1500 cals out of your budget of 2000. "
                                "500 cals left today."));
        QCOMPARE(SummaryNutrientWidget::largeSentence(DBTypes::ENERGY, 2000.0f, 2000.0f, true),
                 QStringLiteral("You have used up 2000 cals out of your budget of 2000. No "
                                "cals left today."));
        // The figure left is worked out from the two shown, so that the sentence adds up.
        QCOMPARE(SummaryNutrientWidget::largeSentence(DBTypes::ENERGY, 203.6f, 2370.4f, true),
                 QStringLiteral("You have used up 204 cals out of your budget of 2370. "
                                "2166 cals left today."));
        QCOMPARE(SummaryNutrientWidget::largeSentence(DBTypes::ENERGY, 2369.6f, 2370.4f, true),
                 QStringLiteral("You have used up 2370 cals out of your budget of 2370. No "
                                "cals left today."));
        QCOMPARE(SummaryNutrientWidget::mediumFigure(DBTypes::FAT, 20.26f, 65.04f, true),
                 QStringLiteral("20.3 / 65.0 g (44.7 g remaining)"));
        QCOMPARE(SummaryNutrientWidget::largeSentence(DBTypes::ENERGY, 1500.0f, 0.0f, false),
                 QStringLiteral("You have used up 1500 cals today."));
        QCOMPARE(SummaryNutrientWidget::mediumFigure(DBTypes::FAT, 50.0f, 50.0f, true),
                 QStringLiteral("50.0 / 50.0 g (0.0 g remaining)"));
        QCOMPARE(SummaryNutrientWidget::mediumFigure(DBTypes::FAT, 60.0f, 50.0f, true),
                 QStringLiteral("60.0 / 50.0 g (0.0 g remaining)"));
        QCOMPARE(SummaryNutrientWidget::mediumFigure(DBTypes::FIBER, 10.0f, 25.0f, true),
                 QStringLiteral("10.0 / 25.0 g (25.0 g minimum)"));
        QCOMPARE(SummaryNutrientWidget::mediumFigure(DBTypes::FAT, 12.5f, 0.0f, false),
                 QStringLiteral("12.5 g"));
        // Net energy below zero: exercise burned more than was eaten, nothing was used up.
        QCOMPARE(SummaryNutrientWidget::largeSentence(DBTypes::ENERGY, -3237.0f, 1286.0f, true),
                 QStringLiteral("Your exercise has burned 3237 cals more than you have eaten. "
                                "Your budget is 1286, with 4523 cals left today."));
        QCOMPARE(SummaryNutrientWidget::largeSentence(DBTypes::ENERGY, -150.0f, 0.0f, false),
                 QStringLiteral("Your exercise has burned 150 cals more than you have eaten today."));
        QCOMPARE(SummaryNutrientWidget::mediumFigure(DBTypes::ENERGY, -150.0f, 2000.0f, true),
                 QStringLiteral("-150 / 2000 cals (2150 cals remaining)"));
        QCOMPARE(SmallSummary::lineFor(DBTypes::ENERGY, -150.0f, 2000.0f, true).first,
                 QStringLiteral("Calories: -150 / 2000 cals "));

        setEnergyUnit(UnitEnergy::Kilojoules);
        const QString kj = SummaryNutrientWidget::largeSentence(DBTypes::ENERGY, 1000.0f,
                                                                2000.0f, true);
        QCOMPARE(kj, QStringLiteral("You have used up 4180 kJ out of your budget of 8360. "
                                    "4180 kJ left today."));
        QCOMPARE(SummaryNutrientWidget::mediumFigure(DBTypes::ENERGY, 1000.0f, 2000.0f, true),
                 QStringLiteral("4180 / 8360 kJ (4180 kJ remaining)"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(SummaryNutrientWidget::largeSentence(DBTypes::ENERGY, -306.0f, 1590.5f, true),
                 QStringLiteral("Your exercise has burned 1279 kJ more than you have eaten. "
                                "Your budget is 6648, with 7927 kJ left today."));
    }

    void oneLineFiguresInTheUsersUnits()
    {
        using Line = SmallSummary::Line;
        QCOMPARE(SmallSummary::lineFor(DBTypes::ENERGY, 1500.4f, 2000.0f, true),
                 Line(QStringLiteral("Calories: 1500 / 2000 cals "), false));
        QCOMPARE(SmallSummary::lineFor(DBTypes::PROTEIN, 70.0f, 60.0f, true),
                 Line(QStringLiteral("Protein: 70.0 / 60.0 g "), true));
        QCOMPARE(SmallSummary::lineFor(DBTypes::PROTEIN, 60.0f, 60.0f, true).second, false);
        QCOMPARE(SmallSummary::lineFor(DBTypes::PROTEIN, 70.0f, 0.0f, false),
                 Line(QStringLiteral("Protein: 70.0 g "), false));
        setEnergyUnit(UnitEnergy::Kilojoules);
        QCOMPARE(SmallSummary::lineFor(DBTypes::ENERGY, 1000.0f, 2000.0f, true).first,
                 QStringLiteral("Kilojoules: 4180 / 8360 kJ "));

        QCOMPARE(SmallSummary::columns(200, 95), 2);
        QCOMPARE(SmallSummary::columns(50, 95), 0);
        QCOMPARE(SmallSummary::requiredHeight(3, 2, 10), 40);
        QCOMPARE(SmallSummary::requiredHeight(2, 2, 10), 20);
        QCOMPARE(SmallSummary::requiredHeight(2, 0, 10), 40);
    }

    void waterAndExerciseTexts()
    {
        QCOMPARE(FluidCounterView::glassesText(0),
                 QStringLiteral("You've had 0 out of 6 glasses."));
        QCOMPARE(FluidCounterView::glassesText(5),
                 QStringLiteral("You've had 5 out of 6 glasses."));
        QCOMPARE(FluidCounterView::glassesText(12),
                 QStringLiteral("You've had 12 out of 6 glasses."));
        QCOMPARE(SummaryExerciseWidget::minutesText(0.0f),
                 QStringLiteral("0.0 / 30.0 min (30.0 min minimum)"));
        QCOMPARE(SummaryExerciseWidget::minutesText(12.5f),
                 QStringLiteral("12.5 / 30.0 min (30.0 min minimum)"));
        QCOMPARE(averageColor(QColor(255, 255, 255), QColor(0, 0, 1)), QColor(127, 127, 128));
    }

    void panelsFollowTheTargetSizes()
    {
        setSizes({{DBTypes::ENERGY, UserPrefs::Medium}, {DBTypes::FAT, UserPrefs::Large},
                  {DBTypes::PROTEIN, UserPrefs::Small}, {DBTypes::FIBER, UserPrefs::Small},
                  {DBTypes::SODIUM, UserPrefs::Small}});
        showTargets(*_summary, kDay,
                                    targets({{DBTypes::ENERGY, 2000.0f}, {DBTypes::FAT, 50.0f},
                                             {DBTypes::PROTEIN, 60.0f}}));
        _summary->totalChanged(dayWith({{DBTypes::ENERGY, 1800.0f}, {DBTypes::FAT, 20.0f},
                                        {DBTypes::PROTEIN, 70.0f}, {DBTypes::FIBER, 5.0f}},
                                       -4.0f));
        QCOMPARE(_summary->getTotalExerMinutes(), 0.0f);
        auto* bars = _summary->findChild<SummaryWidget*>(QStringLiteral("NutrientSummary"));
        SummaryNutrientWidget* fat = bars->bar(DBTypes::FAT);
        SummaryNutrientWidget* energy = bars->bar(DBTypes::ENERGY);
        QVERIFY(!fat->isHidden() && fat->isLarge());
        QVERIFY(!energy->isHidden() && !energy->isLarge());
        QVERIFY(bars->bar(DBTypes::PROTEIN)->isHidden());
        // The Large bar comes first, under the gap, whatever its nutrient.
        QCOMPARE(fat->y(), bars->contentsRect().top() + 11);
        QCOMPARE(energy->y(), fat->y() + fat->height());

        auto* oneLiner = _summary->findChild<SmallSummary*>(QStringLiteral("OneLinerSummary"));
        QCOMPARE(int(oneLiner->lines().size()), 3);
        QVERIFY(oneLiner->lines().at(0).second); // protein above its target
        QVERIFY(!oneLiner->lines().at(1).second); // fibre has no target here
        QCOMPARE(oneLiner->lines().at(2).first, QStringLiteral("Sodium: 0.0 mg "));

        // Only Medium bars: no gap.
        setSizes({{DBTypes::PROTEIN, UserPrefs::Medium}, {DBTypes::FAT, UserPrefs::Medium}});
        showTargets(*_summary, kDay, targets({}));
        QCOMPARE(bars->bar(DBTypes::FAT)->y(), bars->contentsRect().top());
        QVERIFY(oneLiner->lines().empty());
        QVERIFY(oneLiner->isHidden());
    }

    void barPixels()
    {
        setSizes({{DBTypes::ENERGY, UserPrefs::Medium}});
        showTargets(*_summary, kDay, targets({{DBTypes::ENERGY, 0.0f}}));
        auto* bars = _summary->findChild<SummaryWidget*>(QStringLiteral("NutrientSummary"));
        SummaryNutrientWidget* bar = bars->bar(DBTypes::ENERGY);
        bar->resize(500, bar->height());
        const auto paint = [bar](QPainter* p) { bar->drawContents(p); };
        const QRect outer = bar->barRect();
        const QPoint inner = outer.topLeft() + QPoint(2, 2);
        const QPoint innerEnd(outer.right() - 2, outer.top() + 2);

        bar->setValue(500.0f); // target 0: all white
        QCOMPARE(pixel(bar, paint, inner), QColor(Qt::white));
        QCOMPARE(pixel(bar, paint, innerEnd), QColor(Qt::white));

        bar->setTarget(2000.0f, false);
        bar->setAlarm(2100.0f);
        bar->setValue(3000.0f); // above the target and the alarm: full and red
        QCOMPARE(pixel(bar, paint, innerEnd), QColor(189, 216, 248));
        QCOMPARE(pixel(bar, paint, outer.topLeft()), QColor(255, 0, 0));
        bar->setValue(2099.0f);
        QCOMPARE(pixel(bar, paint, outer.topLeft()), QColor(81, 158, 248));
        bar->setValue(0.0f);
        QCOMPARE(pixel(bar, paint, inner), QColor(Qt::white));
    }

    void waterButtonPixels()
    {
        auto* water = _summary->findChild<FluidCounterView*>(QStringLiteral("FluidSummary"));
        FluidCounterViewButton* up = water->upButton();
        const auto paint = [up](QPainter* p) { up->drawButton(p); };
        QVERIFY(!up->isEnabled());
        const QPalette colours = up->palette();
        QCOMPARE(pixel(up, paint, QPoint(1, 1)),
                 averageColor(colours.color(QPalette::Window), colours.color(QPalette::WindowText)));
        up->setEnabled(true);
        up->setDown(true);
        QCOMPARE(pixel(up, paint, QPoint(1, 1)), QColor(160, 216, 255));
        up->setDown(false);
        QCOMPARE(pixel(up, paint, QPoint(1, 1)), QColor(Qt::white));
        QCOMPARE(pixel(up, paint, QPoint(up->width() / 2, up->height() / 2)),
                 up->palette().color(QPalette::WindowText));
    }

    void optionsMenu()
    {
        setSizes({{DBTypes::ENERGY, UserPrefs::Medium}});
        showTargets(*_summary, kDay, targets({{DBTypes::ENERGY, 2000.0f}}));
        QSignalSpy hidden(_summary.get(), &DiarySummary::hideDiarySummary);
        QSignalSpy targetsAsked(_summary.get(), &DiarySummary::invokeSetTargets);
        ScriptedPrompter prompter;
        const auto pick = [&](const QString& entry) {
            prompter.answer(entry);
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
            QCoreApplication::sendEvent(_summary.get(), &event);
            return UserDB::instance()->getUserPrefs(currentUser()).value().summaryOptions;
        };
        QCOMPARE(pick(QStringLiteral("Configure targets...")), 255);
        QCOMPARE(targetsAsked.count(), 1);
        QCOMPARE(prompter.asked.last().options,
                 QStringList({QStringLiteral("Configure targets..."),
                              QStringLiteral("Show nutrients summary"),
                              QStringLiteral("Show exercise summary"),
                              QStringLiteral("Show water summary")}));
        QCOMPARE(pick(QStringLiteral("Show nutrients summary")), 254);
        QVERIFY(_summary->findChild<SummaryWidget*>()->isHidden());
        QCOMPARE(pick(QStringLiteral("Show exercise summary")), 252);
        QCOMPARE(hidden.count(), 0);
        QCOMPARE(pick(QStringLiteral("Show water summary")), 248);
        QCOMPARE(hidden.count(), 1);
        QVERIFY(_summary->findChild<FluidCounterView*>()->isHidden());

        // Shown again with the panel on: everything comes back, and showing stores nothing
        // (it may be shown while another program reads the diary).
        _summary->hide();
        _summary->show();
        QCOMPARE(UserDB::instance()->getUserPrefs(currentUser()).value().summaryOptions, 248);
        QVERIFY(!_summary->findChild<FluidCounterView*>()->isHidden());
        QVERIFY(!_summary->findChild<SummaryExerciseWidget*>()->isHidden());
        QVERIFY(!_summary->findChild<SummaryWidget*>()->isHidden());

        // A double click re-applies the stored options.
        setSizes({{DBTypes::ENERGY, UserPrefs::Medium}}, 255 & ~4);
        QTest::mouseDClick(_summary.get(), Qt::LeftButton);
        QTRY_VERIFY(_summary->findChild<FluidCounterView*>()->isHidden());
        QCOMPARE(targetsAsked.count(), 1);
    }

    void waterIsStoredAtEveryClick()
    {
        auto* water = _summary->findChild<FluidCounterView*>(QStringLiteral("FluidSummary"));
        FluidCounterViewButton* up = water->upButton();
        FluidCounterViewButton* down = water->downButton();
        // No day yet: nothing can be counted, and nothing is written.
        up->click();
        _summary->adjustFluidValue(1);
        QCOMPARE(_summary->fluid(), 0);

        UserDB::instance()->setFluid(currentUser(), code(kDay).constData(), 19);
        showTargets(*_summary, kDay, targets({}));
        QVERIFY(up->isEnabled() && down->isEnabled());
        int storedAtSignal = -1;
        connect(_summary.get(), &DiarySummary::setBold, this, [&] {
            storedAtSignal = UserDB::instance()->getFluid(currentUser(), code(kDay).constData()).value();
        });
        up->click();
        QCOMPARE(storedAtSignal, 20);
        QVERIFY(!up->isEnabled());
        QCOMPARE(_summary->fluid(), 20);

        UserDB::instance()->setFluid(currentUser(), code(kDay).constData(), 1);
        showTargets(*_summary, kDay, targets({}));
        QSignalSpy checked(_summary.get(), &DiarySummary::chkBold);
        down->click();
        QCOMPARE(checked.count(), 1);
        QCOMPARE(UserDB::instance()->getFluid(currentUser(), code(kDay).constData()).value(), 0);
        QVERIFY(!down->isEnabled());
        QVERIFY(up->isEnabled());

        // Another day's cups show as soon as its targets arrive.
        UserDB::instance()->setFluid(currentUser(), code(kDay.addDays(1)).constData(), 4);
        showTargets(*_summary, kDay.addDays(1), targets({}));
        QCOMPARE(_summary->fluid(), 4);
        QVERIFY(down->isEnabled());
    }

    void pictures()
    {
        setSizes({{DBTypes::ENERGY, UserPrefs::Large}, {DBTypes::FAT, UserPrefs::Medium},
                  {DBTypes::CARBS, UserPrefs::Medium}, {DBTypes::PROTEIN, UserPrefs::Medium},
                  {DBTypes::FIBER, UserPrefs::Small}, {DBTypes::SODIUM, UserPrefs::Small},
                  {DBTypes::SUGAR, UserPrefs::Small}});
        const DBTypes::CheckinItem checkin =
            targets({{DBTypes::ENERGY, 2000.0f}, {DBTypes::FAT, 60.0f}, {DBTypes::CARBS, 250.0f},
                     {DBTypes::PROTEIN, 80.0f}, {DBTypes::FIBER, 25.0f}});
        const DBTypes::DiaryDay day =
            dayWith({{DBTypes::ENERGY, 1450.0f}, {DBTypes::FAT, 70.0f}, {DBTypes::CARBS, 120.0f},
                     {DBTypes::PROTEIN, 30.0f}, {DBTypes::FIBER, 12.0f}, {DBTypes::SUGAR, 40.0f}},
                    20.0f);
        UserDB::instance()->setFluid(currentUser(), code(kDay).constData(), 3);
        for (const auto type : {UnitEnergy::Kilocalories, UnitEnergy::Kilojoules}) {
            setEnergyUnit(type);
            DiarySummary summary(nullptr, "summaryWidget", 0);
            showTargets(summary, kDay, checkin);
            summary.totalChanged(day);
            summary.resize(560, summary.minimumHeight());
            summary.show();
            QVERIFY(QTest::qWaitForWindowExposed(&summary));
            QVERIFY(saveWidgetPicture(&summary, type == UnitEnergy::Kilojoules
                                                    ? QStringLiteral("diarysummary-kj")
                                                    : QStringLiteral("diarysummary-kcal")));
        }
    }

private:
    std::unique_ptr<DiarySummary> _summary;
};

QTEST_MAIN(TestDiarySummary)
#include "tst_diarysummary.moc"
