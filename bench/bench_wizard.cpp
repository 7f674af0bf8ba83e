// The profile wizard as a user's first start runs it: the wizard made and shown (showWizard),
// and made, shown and walked from the welcome page to Finish (walkWizard), with a name, a date
// of birth, a sex, a weight and a height typed in and an activity level and a goal picked on
// the way.

#include "bench/benchwidgets.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "profile/activitylevelpage.h"
#include "profile/datelineedit.h"
#include "profile/goalpage.h"
#include "profile/measurementspage.h"
#include "profile/personaldetailspage.h"
#include "profile/profilewizard.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

void next(ProfileWizard& wizard)
{
    QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
}

void pick(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Types into the wizard's fields and picks its choices as a new user does, page by page.
void walk(ProfileWizard& wizard)
{
    next(wizard);
    auto* details = static_cast<PersonalDetailsPage*>(wizard.page(ProfileWizard::PersonalDetails));
    QTest::keyClicks(details->_nameField, QStringLiteral("Ann"));
    details->_dobField->setFocus();
    details->_dobField->clear();
    QTest::keyClicks(details->_dobField,
                     DateLineEdit::dateText(QDate(1976, 3, 15), BXSettings::getDateFormat()));
    pick(details->_femaleRadioButton);
    next(wizard);
    auto* measurements = static_cast<MeasurementsPage*>(wizard.page(ProfileWizard::Measurements));
    QTest::keyClicks(measurements->_metricWeightField, QStringLiteral("60"));
    QTest::keyClicks(measurements->_metricHeightField, QStringLiteral("165"));
    next(wizard);
    auto* activity = static_cast<ActivityLevelPage*>(wizard.page(ProfileWizard::ActivityLevel));
    pick(activity->_activityButtonGroup->button(1));
    next(wizard);
    next(wizard);
    auto* goals = static_cast<GoalPage*>(wizard.page(ProfileWizard::Goals));
    pick(goals->_goalButtonGroup->button(0));
    next(wizard);
    next(wizard);
    next(wizard);
}

// Made and shown for a new user, as a first start shows it before the user does anything.
bool show(benchmark::State& state, ProfileWizard& wizard)
{
    wizard.setWindowTitle(QStringLiteral("Create Personal Profile"));
    wizard.show();
    if (QTest::qWaitForWindowExposed(&wizard))
        return true;
    state.SkipWithError("the wizard was not shown");
    return false;
}

void showWizard(benchmark::State& state)
{
    for (auto _ : state) {
        ProfileWizard wizard(nullptr);
        if (!show(state, wizard))
            return;
    }
}

void walkWizard(benchmark::State& state)
{
    for (auto _ : state) {
        ProfileWizard wizard(nullptr);
        if (!show(state, wizard))
            return;
        walk(wizard);
        if (wizard.result() != QDialog::Accepted) {
            state.SkipWithError("the wizard did not finish");
            return;
        }
    }
}
// Fixed counts, so that the instructions of a run under callgrind compare between builds.
BENCHMARK(showWizard)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(walkWizard)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char* argv[])
{
    const auto setUp = [](const QTemporaryDir&) { return BenchRun::importBrand(); };
    return BenchRun::runWithWidgets(argc, argv, setUp, [] { BrandEngine::cleanUp(); });
}
