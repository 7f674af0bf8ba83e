#include "core/unitenergy.h"
#include "profile/activitylevelpage.h"
#include "profile/activitylevelpc.h"
#include "profile/bmiwidget.h"
#include "profile/datelineedit.h"
#include "profile/goalpage.h"
#include "profile/goalpc.h"
#include "profile/measurementspage.h"
#include "profile/measurementspc.h"
#include "profile/personaldetailspage.h"
#include "profile/personaldetailspc.h"
#include "profile/profileerrorwidget.h"
#include "profile/settargetsdialog.h"
#include "profile/targetspage.h"
#include "profile/targetspc.h"
#include "profile/yourprofilepage.h"
#include "profile/yourprofilepc.h"
#include "widgets/qpopupcalendar.h"
#include "tests/profile/wizardtestrecords.h"
#include "tests/support/brandinfront.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace WizardTest;

namespace {

// A targets page whose set-targets dialog is answered by the test.
class ScriptedTargetsPage : public TargetsPage
{
public:
    ScriptedTargetsPage() : TargetsPage(nullptr) {}

    bool accept = true;
    QString energyText;
    int runs = 0;

protected:
    bool execTargetsDialog(SetTargetsDialog& dialog) override
    {
        ++runs;
        if (energyText.isNull()) // left as shown
            return accept;
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
            dialog.targetEdit(DBTypes::NutType(nut))->clear();
        dialog.targetEdit(DBTypes::ENERGY)->setText(energyText);
        return accept;
    }
};

QStringList errorsOf(const QWidget& page)
{
    return page.findChild<ProfileErrorWidget*>()->errors();
}

QLabel* valueLabel(const TargetsPage& page, const char* name)
{
    return page.findChild<QLabel*>(QLatin1String(name));
}

QString recommendedTexts(const GoalPage& page)
{
    QStringList marked;
    for (QAbstractButton* button : page._goalButtonGroup->buttons()) {
        if (button->text().contains(QStringLiteral("(recommended)")))
            marked << QString::number(page._goalButtonGroup->id(button));
    }
    return marked.join(QLatin1Char(','));
}

} // namespace

class TestWizardPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(setUp(&_beeps)); }
    void cleanupTestCase() { tearDown(); }

    // Personal details

    void personalDetailsMoveBetweenProfileAndFields()
    {
        PersonalDetailsPage page(nullptr);
        PersonalDetailsPC pc(&page);
        QVERIFY(!pc.isPageComplete());
        QCOMPARE(errorsOf(page),
                 QStringList({"You must enter your name.",
                              "You must enter a valid date of birth (1900 - 2005)."}));

        pc.load(nullptr, nullptr, nullptr);
        const DBTypes::UserProfile stored = profile();
        pc.load(&stored, nullptr, nullptr);
        QCOMPARE(page._nameField->text(), QStringLiteral("Zoë Ann"));
        QVERIFY(page._femaleRadioButton->isChecked());
        QVERIFY(pc.isPageComplete());
        QVERIFY(errorsOf(page).isEmpty());

        DBTypes::UserProfile unset;
        unset.name = QStringLiteral(" ");
        pc.load(&unset, nullptr, nullptr);
        QVERIFY2(page._femaleRadioButton->isChecked(), "unset sex leaves the buttons");
        QCOMPARE(page._dobField->date(), QDate(1966, 5, 17));
        QVERIFY2(pc.isPageComplete(), "a blank is a name");

        DBTypes::UserProfile out;
        pc.save(&out, nullptr, nullptr);
        pc.save(&out, nullptr, nullptr);
        QCOMPARE(out.name, QStringLiteral(" "));
        QCOMPARE(code(out.dob), QStringLiteral("19660517"));
        QCOMPARE(out.sex, 1);
        QCOMPARE(out.height, -1.0f);
    }

    void birthDateOfSomeoneAgedSevenOrOlder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        const QString tooYoung = QStringLiteral("You must be aged 7 years or older to use this software.");
        QTest::newRow("this year") << "1/1/2006" << "You must enter a valid date of birth (1900 - 2005).";
        QTest::newRow("last year") << "31/12/2005" << tooYoung;
        QTest::newRow("a day short of seven") << "2/6/1999" << tooYoung;
        QTest::newRow("seven today") << "1/6/1999" << QString();
        QTest::newRow("older") << "17/5/1966" << QString();
    }

    // Today is 1 June 2006.
    void birthDateOfSomeoneAgedSevenOrOlder()
    {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        PersonalDetailsPage page(nullptr);
        PersonalDetailsPC controller(&page);
        page._nameField->setText(QStringLiteral("Ann"));
        page._dobField->setText(typed);
        QCOMPARE(controller.isPageComplete(), error.isEmpty());
        QCOMPARE(errorsOf(page), error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(page._calendar->getMaximumDate(), QDate(1999, 6, 1));
    }

    void pickingACalendarDayFillsTheFieldOnce()
    {
        PersonalDetailsPage page(nullptr);
        QSignalSpy changes(&page, &PersonalDetailsPage::stateChanged);
        emit page._calendar->dateChanged(QDate(1970, 11, 5));
        QCOMPARE(page._dobField->date(), QDate(1970, 11, 5));
        QCOMPARE(changes.size(), 1);
    }

    // Measurements

    void unitSystemsStayInStep()
    {
        MeasurementsPage page(nullptr);
        QTest::keyClicks(page._imperialWeigthField, QStringLiteral("150"));
        QCOMPARE(page._metricWeightField->text(), QStringLiteral("68.0"));
        QTest::keyClicks(page._imperialHeightFeetField, QStringLiteral("5"));
        QVERIFY2(page._metricHeightField->text().isEmpty(), "feet without inches");
        QVERIFY(errorsOf(page).contains(
            QStringLiteral("Height must be a whole number from 50 to 275 cm.")));
        QTest::keyClicks(page._imperialHeightInchesField, QStringLiteral("9"));
        QCOMPARE(page._metricHeightField->text(), QStringLiteral("175"));
        QVERIFY(errorsOf(page).isEmpty());

        // The height leaves the typed pounds as they are, unrounded.
        page._metricHeightField->setText(QStringLiteral("176"));
        QCOMPARE(page._imperialWeigthField->text(), QStringLiteral("150"));
        QVERIFY(qAbs(page.metricWeight() - 68.0389) < 0.001);
        QCOMPARE(page._imperialHeightFeetField->text(), QStringLiteral("5"));
        page._metricWeightField->clear();
        QVERIFY(page._imperialWeigthField->text().isEmpty());
        page._metricWeightField->setText(QStringLiteral("80"));
        page._imperialWeigthField->clear();
        QVERIFY(page._metricWeightField->text().isEmpty());
    }

    void measurementLimits_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("height");
        QTest::addColumn<bool>("weightValid");
        QTest::addColumn<bool>("heightValid");
        QTest::newRow("largest") << "650" << "275" << true << true;
        QTest::newRow("just above") << "650.1" << "276" << false << false;
        QTest::newRow("725 kg") << "725" << "99999999" << false << false;
        QTest::newRow("zero") << "0" << "0" << false << false;
        QTest::newRow("lone sign") << "-" << "-" << false << false;
        QTest::newRow("lone point") << "." << "." << false << false;
        QTest::newRow("negative") << "-5" << "-170" << false << false;
        QTest::newRow("smallest") << "10" << "50" << true << true;
        QTest::newRow("just below") << "9.9" << "49" << false << false;
        QTest::newRow("decimal height") << "70" << "175.5" << true << false;
        QTest::newRow("empty") << "" << "" << false << false;
    }

    void measurementLimits()
    {
        QFETCH(QString, weight);
        QFETCH(QString, height);
        QFETCH(bool, weightValid);
        QFETCH(bool, heightValid);
        MeasurementsPage page(nullptr);
        MeasurementsPC controller(&page);
        page._metricWeightField->setText(weight);
        page._metricHeightField->setText(height);
        QCOMPARE(page.validWeight(), weightValid);
        QCOMPARE(page.validHeight(), heightValid);
        QCOMPARE(controller.isPageComplete(), weightValid && heightValid);
    }

    // "72,5" typed where the locale writes a decimal comma is 72.5 kg, never 725; elsewhere the
    // comma stays in the field, which is refused with a message naming it.
    void typedWeightFollowsTheLocalesDecimalPoint()
    {
        for (const QLocale& locale : {QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::English, QLocale::UnitedKingdom)}) {
            QLocale::setDefault(locale);
            MeasurementsPage page(nullptr);
            QTest::keyClicks(page._metricWeightField, QStringLiteral("72,5"));
            const bool comma = locale.language() == QLocale::German;
            QCOMPARE(page._metricWeightField->text(), QStringLiteral("72,5"));
            QCOMPARE(page.metricWeight(), comma ? 72.5 : 0.0);
            QCOMPARE(page.validWeight(), comma);
            QCOMPARE(errorsOf(page).contains(QStringLiteral(
                         "Weight must be a number from 10 to 650 kg. Decimals are written with a "
                         "point.")),
                     !comma);
        }
        QLocale::setDefault(QLocale::c());
    }

    // A long message wraps within the page's width rather than widen the page (and with it
    // the wizard, which would jump).
    void longMessageWrapsWithinThePage()
    {
        QWidget page;
        auto* layout = new QVBoxLayout(&page);
        auto* fields = new QWidget(&page);
        fields->setFixedWidth(300);
        layout->addWidget(fields);
        auto* errors = new ProfileErrorWidget(&page);
        layout->addWidget(errors);
        const int width = page.sizeHint().width();
        errors->addError(QStringLiteral("Weight must be a number from 10 to 650 kg. Write the "
                                        "number without a thousands separator."));
        QCOMPARE(page.sizeHint().width(), width);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QCOMPARE(errors->width(), page.width() - layout->contentsMargins().left()
                                      - layout->contentsMargins().right());
        QVERIFY(errors->height() >= 2 * errors->fontMetrics().lineSpacing());
    }

    // A height stored with decimals is shown as stored and taken by its whole part.
    void decimalHeightIsItsWholePartEverywhere()
    {
        MeasurementsPage page(nullptr);
        MeasurementsPC controller(&page);
        DBTypes::UserProfile stored = profile();
        stored.height = 175.5f;
        controller.load(&stored, nullptr, nullptr);
        QCOMPARE(page._metricHeightField->text(), QStringLiteral("175.5"));
        QCOMPARE(page.metricHeight(), 175);
        QCOMPARE(page._imperialHeightFeetField->text(), QStringLiteral("5"));
        QCOMPARE(page._imperialHeightInchesField->text(), QStringLiteral("9"));
        DBTypes::UserProfile out;
        controller.save(&out, nullptr, nullptr);
        QCOMPARE(out.height, 175.0f);
    }

    void measurementsControllerKeepsUnchangedValues()
    {
        MeasurementsPage page(nullptr);
        MeasurementsPC pc(&page);
        DBTypes::UserProfile stored = profile();
        DBTypes::CheckinItem weighed = checkin();
        weighed.weight = 80.25f;
        qstrcpy(weighed.date, "20060501");
        pc.load(&stored, &weighed, nullptr);
        QCOMPARE(page._metricWeightField->text(), QStringLiteral("80.3"));
        QCOMPARE(page._metricHeightField->text(), QStringLiteral("165"));

        DBTypes::CheckinItem out;
        DBTypes::UserProfile profileOut;
        pc.save(&profileOut, &out, nullptr);
        pc.save(&profileOut, &out, nullptr);
        QCOMPARE(out.weight, 80.25f);
        QVERIFY(out.hasWeight);
        QCOMPARE(code(out.date), QStringLiteral("20060601"));
        QCOMPARE(profileOut.height, 165.0f);

        page._metricWeightField->setText(QStringLiteral("81"));
        pc.save(nullptr, &out, nullptr);
        QCOMPARE(out.weight, 81.0f);

        page._metricWeightField->clear();
        page._metricHeightField->clear();
        pc.save(&profileOut, &out, nullptr);
        QCOMPARE(out.weight, -1.0f);
        QVERIFY(out.hasWeight);
        QCOMPARE(profileOut.height, -1.0f);

        DBTypes::CheckinItem unset;
        pc.load(nullptr, &unset, nullptr);
        QVERIFY(page._metricWeightField->text().isEmpty());
    }

    // Activity level

    void activityControllerLeavesUnknownCodesAlone()
    {
        ActivityLevelPage page(nullptr);
        ActivityLevelPC pc(&page);
        DBTypes::CheckinItem unset;
        DBTypes::UserPrefs prefs;
        prefs.snackDisplay = 5;
        pc.load(nullptr, &unset, &prefs);
        QVERIFY(!pc.isPageComplete());
        QCOMPARE(errorsOf(page), QStringList{"You must select an activity level."});

        DBTypes::CheckinItem out;
        DBTypes::UserPrefs prefsOut;
        pc.save(nullptr, &out, &prefsOut);
        QCOMPARE(out.activity, -1);
        QVERIFY(out.hasActivity);
        QCOMPARE(prefsOut.snackDisplay, -1);

        DBTypes::CheckinItem stored = checkin();
        stored.activity = 2;
        prefs.snackDisplay = 1;
        pc.load(nullptr, &stored, &prefs);
        QVERIFY(page._standingButton->isChecked());
        QVERIFY(page._snackAfter->isChecked());
        QVERIFY(pc.isPageComplete());
        pc.load(nullptr, &unset, &prefs);
        pc.save(nullptr, &out, &prefsOut);
        QCOMPARE(out.activity, 2);
        QCOMPARE(prefsOut.snackDisplay, 1);
    }

    // Your profile

    // The rate is typed and shown in the energy unit of the profile's user and kept in
    // kilocalories; without preferences the page speaks kilocalories.
    void customRateIsTheUsersUnitAndBlankMeansNone_data()
    {
        QTest::addColumn<int>("energyUnits"); // the preference: 0 kJ, 1 kcal, -1 none given
        QTest::addColumn<int>("measurementUnits");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("typedKilocalories");
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("no preferences") << -1 << 0 << english << "1651" << "cals" << "1700" << 1700.0;
        QTest::newRow("kilojoules, metric")
            << 0 << 0 << english << "6900" << "kJ" << "6500" << 6500.0 / 4.18;
        QTest::newRow("kilojoules, imperial, German")
            << 0 << 1 << german << "6900" << "kJ" << "6500,5" << 6500.5 / 4.18;
    }

    void customRateIsTheUsersUnitAndBlankMeansNone()
    {
        QFETCH(int, energyUnits);
        QFETCH(int, measurementUnits);
        QFETCH(QLocale, locale);
        QFETCH(QString, shown);
        QFETCH(QString, unit);
        QFETCH(QString, typed);
        QFETCH(double, typedKilocalories);
        QLocale::setDefault(locale);
        YourProfilePage page(nullptr);
        YourProfilePC pc(&page);
        DBTypes::UserProfile stored = profile();
        DBTypes::CheckinItem withRate = checkin();
        withRate.setCustomRMR(1650.6f);
        DBTypes::UserPrefs prefs;
        prefs.energyUnits = energyUnits;
        prefs.measurementUnits = measurementUnits;
        pc.load(&stored, &withRate, energyUnits < 0 ? nullptr : &prefs);
        QCOMPARE(page._RMRLineEdit->text(), shown);
        QCOMPARE(page._RMRUnitLabel->text(), unit);
        QCOMPARE(page._bmiWidget->bmi(), 10000.0f * 60.0f / (165.0f * 165.0f));

        DBTypes::CheckinItem out;
        pc.save(nullptr, &out, nullptr);
        QCOMPARE(out.customRMR(), 1650.6f);
        page._RMRLineEdit->setText(typed);
        QVERIFY(pc.isPageComplete());
        pc.save(nullptr, &out, nullptr);
        QCOMPARE(out.customRMR(), float(typedKilocalories));

        page._RMRLineEdit->setText(QStringLiteral("   "));
        pc.save(nullptr, &out, nullptr);
        QVERIFY(out.hasCustomRMR());
        QVERIFY(out.noCustomRMR());

        DBTypes::CheckinItem noRate = checkin();
        pc.load(nullptr, &noRate, nullptr);
        QVERIFY(page._RMRLineEdit->text().isEmpty());
        pc.load(nullptr, nullptr, nullptr);
        pc.save(nullptr, nullptr, nullptr);
        QVERIFY(pc.isPageComplete());
        QLocale::setDefault(QLocale::c());
    }

    void rateFieldRefusesLetters()
    {
        YourProfilePage page(nullptr);
        YourProfilePC controller(&page);
        QTest::keyClicks(page._RMRLineEdit, QStringLiteral("about 1600"));
        QCOMPARE(page._RMRLineEdit->text(), QStringLiteral("about 1600"));
        QVERIFY(!controller.isPageComplete());
        QCOMPARE(errorsOf(page),
                 QStringList{QStringLiteral("RMR must be a number from 500 to 10000 cals.")});
        page._RMRLineEdit->setText(QStringLiteral("1600"));
        QVERIFY(controller.isPageComplete());
        QVERIFY(errorsOf(page).isEmpty());
    }

    // Goals

    void recommendation_data()
    {
        QTest::addColumn<float>("weight");
        QTest::addColumn<float>("height");
        QTest::addColumn<QString>("marked");
        // 100 cm: the weight is the index.
        QTest::newRow("18") << 18.0f << 100.0f << "2";
        QTest::newRow("19") << 19.0f << 100.0f << "1";
        QTest::newRow("26") << 26.0f << 100.0f << "1";
        QTest::newRow("27") << 27.0f << 100.0f << "0";
        QTest::newRow("no height") << 60.0f << -1.0f << "";
        QTest::newRow("zero height") << 60.0f << 0.0f << "";
        QTest::newRow("no weight") << -1.0f << 165.0f << "";
    }

    void recommendation()
    {
        QFETCH(float, weight);
        QFETCH(float, height);
        QFETCH(QString, marked);
        GoalPage page(nullptr);
        GoalPC controller(&page);
        DBTypes::UserProfile stored = profile();
        DBTypes::CheckinItem weighed = checkin();
        stored.height = 100.0f;
        weighed.weight = 30.0f;
        controller.load(&stored, &weighed, nullptr);
        stored.height = height;
        weighed.weight = weight;
        controller.load(&stored, &weighed, nullptr);
        QCOMPARE(recommendedTexts(page), marked);
    }

    void goalSelectionComesFromTheCheckinOnly()
    {
        GoalPage page(nullptr);
        GoalPC pc(&page);
        DBTypes::UserProfile stored = profile();
        DBTypes::CheckinItem noGoal = checkin();
        noGoal.goal = -1;
        pc.load(&stored, &noGoal, nullptr);
        QVERIFY(!pc.isPageComplete());
        QCOMPARE(errorsOf(page), QStringList{"You must select a goal."});
        // Nothing is chosen for the user; the texts say how the recommendation is shown.
        QVERIFY(!page._goalButtonGroup->checkedButton());
        for (const QLabel* text : {page.textLabel1, page.textLabel2}) {
            QVERIFY2(!text->text().contains(QStringLiteral("preselected")), qPrintable(text->text()));
            QVERIFY2(text->text().contains(QStringLiteral("marked \"(recommended)\"")),
                     qPrintable(text->text()));
        }
        DBTypes::CheckinItem out;
        pc.save(nullptr, &out, nullptr);
        QCOMPARE(out.goal, -1);
        QVERIFY(out.hasGoal);

        QTest::mouseClick(page._gainButton, Qt::LeftButton);
        QVERIFY(pc.isPageComplete());
        QVERIFY(errorsOf(page).isEmpty());
        pc.save(nullptr, &out, nullptr);
        QCOMPARE(out.goal, 2);
        QVERIFY(page._maintainButton->text().endsWith(QStringLiteral(" (recommended)")));
    }

    // Targets

    void targetsOfTheStoredPlanChoice_data()
    {
        QTest::addColumn<int>("planChoice"); // 0 none, 1 "", 2 "Brellix", 3 unknown
        QTest::addColumn<bool>("custom");
        QTest::addColumn<QString>("energy");
        QTest::newRow("no plan entry") << 0 << false << "1200 cals";
        QTest::newRow("own targets") << 1 << true << "1500 cals";
        QTest::newRow("the plan") << 2 << false << "1200 cals";
        QTest::newRow("unknown plan") << 3 << true << "1500 cals";
    }

    void targetsOfTheStoredPlanChoice()
    {
        QFETCH(int, planChoice);
        QFETCH(bool, custom);
        QFETCH(QString, energy);
        ScriptedTargetsPage page;
        TargetsPC controller(&page);
        DBTypes::UserProfile stored = profile();
        DBTypes::CheckinItem withTargets = checkin();
        withTargets.setTarget(DBTypes::ENERGY, 1500.0f);
        withTargets.setTarget(DBTypes::SUGAR, 40.0f);
        const QString ids[] = {{}, QString(), QStringLiteral("Brellix"), QStringLiteral("Old")};
        if (planChoice > 0)
            withTargets.setDietPlan(ids[planChoice]);
        DBTypes::UserPrefs prefs;
        controller.load(&stored, &withTargets, &prefs);
        QCOMPARE(page._customPlanRadio->isChecked(), custom);
        QCOMPARE(valueLabel(page, "_energyTargetLabel")->text(), energy);
        QCOMPARE(valueLabel(page, "_sugarTargetLabel")->text(),
                 custom ? QStringLiteral("40.0 g") : QStringLiteral("-"));

        DBTypes::CheckinItem out;
        DBTypes::UserPrefs prefsOut;
        controller.save(nullptr, &out, &prefsOut);
        QCOMPARE(out.dietPlan(), custom ? QString() : QStringLiteral("Brellix"));
        QCOMPARE(out.target(DBTypes::ENERGY), custom ? 1500.0f : 1200.0f);
        QCOMPARE(out.target(DBTypes::SUGAR), custom ? 40.0f : -1.0f);
        QCOMPARE(int(prefsOut.targetSize(DBTypes::ENERGY)), custom ? 0 : 3);
    }

    void targetsPageLeansOnItsControllerOnlyWhileItLives()
    {
        ScriptedTargetsPage page;
        {
            TargetsPC controller(&page);
            DBTypes::UserProfile stored = profile();
            DBTypes::CheckinItem weighed = checkin();
            DBTypes::UserPrefs prefs;
            controller.load(&stored, &weighed, &prefs);
        }
        const QString shown = valueLabel(page, "_energyTargetLabel")->text();
        QVERIFY(shown != QStringLiteral("-"));
        QTest::mouseClick(page._customPlanRadio, Qt::LeftButton);
        page.doCustomise();
        QCOMPARE(page.runs, 0);
        QCOMPARE(valueLabel(page, "_energyTargetLabel")->text(), shown);
    }

    void customCleansTheTargetsEachTime()
    {
        ScriptedTargetsPage page;
        TargetsPC controller(&page);
        DBTypes::UserProfile stored = profile();
        DBTypes::CheckinItem weighed = checkin();
        DBTypes::UserPrefs prefs;
        controller.load(&stored, &weighed, &prefs);
        for (int click = 0; click < 2; ++click) {
            QTest::mouseClick(page._customPlanRadio, Qt::LeftButton);
            QVERIFY(page._customPlanRadio->isChecked());
            QCOMPARE(valueLabel(page, "_energyTargetLabel")->text(), QStringLiteral("-"));
        }
        DBTypes::CheckinItem out;
        DBTypes::UserPrefs prefsOut;
        controller.save(nullptr, &out, &prefsOut);
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            QCOMPARE(out.target(DBTypes::NutType(nut)), -1.0f);
            QCOMPARE(int(prefsOut.targetSize(DBTypes::NutType(nut))), 0);
        }
        QVERIFY(out.hasDietPlan());
        QVERIFY(!out.dietPlan().isNull());
        QVERIFY(out.dietPlan().isEmpty());
    }

    void customiseAcceptedOrCancelled()
    {
        ScriptedTargetsPage page;
        TargetsPC controller(&page);
        DBTypes::UserProfile stored = profile();
        DBTypes::CheckinItem weighed = checkin();
        DBTypes::UserPrefs prefs;
        controller.load(&stored, &weighed, &prefs);

        page.accept = false;
        page.energyText = QStringLiteral("900");
        QTest::mouseClick(page._customiseButton, Qt::LeftButton);
        QVERIFY(!page._customPlanRadio->isChecked());
        QCOMPARE(valueLabel(page, "_energyTargetLabel")->text(), QStringLiteral("1200 cals"));

        page.accept = true;
        page.energyText = QString();
        QTest::mouseClick(page._customiseButton, Qt::LeftButton);
        QVERIFY(!page._customPlanRadio->isChecked());

        page.energyText = QStringLiteral("1800");
        QTest::mouseClick(page._customiseButton, Qt::LeftButton);
        QCOMPARE(page.runs, 3);
        QVERIFY(page._customPlanRadio->isChecked());
        QCOMPARE(valueLabel(page, "_energyTargetLabel")->text(), QStringLiteral("1800 cals"));

        DBTypes::CheckinItem out;
        DBTypes::UserPrefs prefsOut;
        controller.save(nullptr, &out, &prefsOut);
        QCOMPARE(out.dietPlan(), QString());
        QCOMPARE(out.target(DBTypes::ENERGY), 1800.0f);
        for (int nut = 1; nut < DBTypes::NUTRIENT_COUNT; ++nut)
            QCOMPARE(out.target(DBTypes::NutType(nut)), -1.0f);
    }

    void savingComputesThePlanForTheRecordsGiven()
    {
        ScriptedTargetsPage page;
        TargetsPC controller(&page);
        DBTypes::UserProfile stored = profile();
        DBTypes::CheckinItem losing = checkin();
        DBTypes::UserPrefs prefs;
        DBTypes::CheckinItem neverLoaded = losing;
        controller.save(&stored, &neverLoaded, &prefs);
        QCOMPARE(neverLoaded.dietPlan(), QStringLiteral("Brellix"));
        QCOMPARE(neverLoaded.target(DBTypes::ENERGY), 1200.0f);
        QCOMPARE(int(prefs.targetSize(DBTypes::ENERGY)), 3);

        controller.load(&stored, &losing, &prefs);
        DBTypes::CheckinItem gaining = losing;
        gaining.goal = 2;
        controller.save(&stored, &gaining, &prefs);
        QVERIFY(gaining.target(DBTypes::ENERGY) > 1200.0f);
    }

    void emptyRegistryMeansOwnTargets()
    {
        QVERIFY(loadBrandInFront(
            QStringLiteral("<brand><bool id=\"dietplan.brellix.enabled\" value=\"false\"/></brand>")));
        DietPlanManager::cleanUp();
        ScriptedTargetsPage page;
        TargetsPC controller(&page);
        DBTypes::UserProfile stored = profile();
        DBTypes::CheckinItem weighed = checkin();
        weighed.setTarget(DBTypes::ENERGY, 1500.0f);
        DBTypes::UserPrefs prefs;
        controller.load(&stored, &weighed, &prefs);
        QVERIFY(page._customPlanRadio->isChecked());
        QCOMPARE(valueLabel(page, "_energyTargetLabel")->text(), QStringLiteral("1500 cals"));
        DBTypes::CheckinItem out;
        controller.save(&stored, &out, nullptr);
        QCOMPARE(out.dietPlan(), QString());
        QCOMPARE(out.target(DBTypes::ENERGY), 1500.0f);

        DietPlanManager::cleanUp();
        const QByteArray brand = QFile::encodeName(BXSettings::getResourceDBPath() + "brand.dat");
        BrandEngine::cleanUp();
        QVERIFY(BrandEngine::instance()->import(brand.constData()));
    }

private:
    int _beeps = 0;
};

QTEST_MAIN(TestWizardPages)
#include "tst_wizardpages.moc"
