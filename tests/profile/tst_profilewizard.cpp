#include "core/unitenergy.h"
#include "profile/activitylevelpage.h"
#include "profile/activitylevelpc.h"
#include "profile/datelineedit.h"
#include "profile/measurementspage.h"
#include "profile/pagecontroller.h"
#include "profile/personaldetailspage.h"
#include "profile/profilewizard.h"
#include "profile/wizardmenu.h"
#include "profile/yourprofilepage.h"
#include "profile/yourprofilepc.h"
#include "tests/profile/wizardtestrecords.h"
#include "tests/support/widgetpicture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace WizardTest;

namespace {

bool enabled(const ProfileWizard& wizard, int id)
{
    return wizard.menu()->findSectionById(id)->enabled;
}

// Clicks the middle of a section's line as the menu last painted it.
void clickSection(ProfileWizard& wizard, int id)
{
    wizard.menu()->grab();
    const QRect rect = wizard.menu()->findSectionById(id)->rect;
    QVERIFY(!rect.isEmpty());
    QTest::mouseClick(wizard.menu(), Qt::LeftButton, {}, rect.center());
}

PersonalDetailsPage* detailsPage(const ProfileWizard& wizard)
{
    return static_cast<PersonalDetailsPage*>(wizard.page(ProfileWizard::PersonalDetails));
}

void setStoredRecords(ProfileWizard& wizard)
{
    const DBTypes::UserProfile storedProfile = profile();
    const DBTypes::CheckinItem storedCheckin = checkin();
    const DBTypes::UserPrefs prefs;
    wizard.set(&storedProfile, &storedCheckin, &prefs);
}

} // namespace

class TestProfileWizard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(setUp(&_beeps)); }
    void cleanupTestCase() { tearDown(); }
    void init() { _beeps = 0; }

    void freshWizardOpensOnWelcomeAndRefusesAnIncompletePage()
    {
        ProfileWizard wizard(nullptr);
        QCOMPARE(wizard.headerLabel()->text(), QStringLiteral("Welcome"));
        QVERIFY(!wizard.backButton()->isEnabled());
        QCOMPARE(wizard.nextButton()->text(), QStringLiteral("Next >"));
        QVERIFY(enabled(wizard, ProfileWizard::PersonalDetails));
        for (int id = ProfileWizard::Measurements; id <= ProfileWizard::Finish; ++id)
            QVERIFY2(!enabled(wizard, id), qPrintable(QString::number(id)));

        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
        QCOMPARE(wizard.headerLabel()->text(), QStringLiteral("Personal Details"));
        QVERIFY(wizard.backButton()->isEnabled());
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
        QCOMPARE(_beeps, 1);
        QCOMPARE(wizard.menu()->activeSection(), int(ProfileWizard::PersonalDetails));
    }

    void sectionsFollowThePagesCompletenessAtOnce()
    {
        ProfileWizard wizard(nullptr);
        wizard.setSection(ProfileWizard::PersonalDetails);
        PersonalDetailsPage* page = detailsPage(wizard);
        page->_nameField->setText(QStringLiteral("Ann"));
        QVERIFY(!enabled(wizard, ProfileWizard::Measurements));
        page->_dobField->setText(QStringLiteral("17/5/1966"));
        QVERIFY(enabled(wizard, ProfileWizard::Measurements));
        QVERIFY(!enabled(wizard, ProfileWizard::ActivityLevel));

        wizard.doNext();
        auto* measurements =
            static_cast<MeasurementsPage*>(wizard.page(ProfileWizard::Measurements));
        measurements->_metricWeightField->setText(QStringLiteral("60"));
        measurements->_metricHeightField->setText(QStringLiteral("165"));
        QVERIFY(enabled(wizard, ProfileWizard::ActivityLevel));
        QVERIFY(!enabled(wizard, ProfileWizard::YourProfile));

        page->_nameField->clear();
        QVERIFY(!enabled(wizard, ProfileWizard::Measurements));
        QVERIFY(!enabled(wizard, ProfileWizard::ActivityLevel));
        QCOMPARE(_beeps, 0);
    }

    void menuClicksMoveBackFreelyAndBeepOnDisabledEntries()
    {
        ProfileWizard wizard(nullptr);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        wizard.setSection(ProfileWizard::PersonalDetails);

        clickSection(wizard, ProfileWizard::Targets);
        QCOMPARE(_beeps, 1);
        QCOMPARE(wizard.menu()->activeSection(), int(ProfileWizard::PersonalDetails));

        clickSection(wizard, ProfileWizard::Welcome);
        QCOMPARE(wizard.menu()->activeSection(), int(ProfileWizard::Welcome));
        QCOMPARE(wizard.headerLabel()->text(), QStringLiteral("Welcome"));
        QCOMPARE(_beeps, 1);

        QSignalSpy names(wizard.menu(), qOverload<const QString&>(&WizardMenu::selected));
        clickSection(wizard, ProfileWizard::PersonalDetails);
        QCOMPARE(names.size(), 1);
        QCOMPARE(names.at(0).at(0).toString(), QStringLiteral("Personal Details"));
        QTest::mouseClick(wizard.menu(), Qt::RightButton, {},
                          wizard.menu()->findSectionById(ProfileWizard::Welcome)->rect.center());
        QCOMPARE(wizard.menu()->activeSection(), int(ProfileWizard::PersonalDetails));
    }

    void forwardJumpFromAnIncompletePageBeeps()
    {
        ProfileWizard wizard(nullptr);
        setStoredRecords(wizard);
        wizard.setSection(ProfileWizard::Measurements);
        auto* page = static_cast<MeasurementsPage*>(wizard.page(ProfileWizard::Measurements));
        page->_metricWeightField->clear();
        wizard.doMenuSelection(ProfileWizard::Goals);
        QCOMPARE(_beeps, 1);
        QCOMPARE(wizard.menu()->activeSection(), int(ProfileWizard::Measurements));
        wizard.doMenuSelection(ProfileWizard::PersonalDetails);
        QCOMPARE(wizard.menu()->activeSection(), int(ProfileWizard::PersonalDetails));
    }

    void storedRecordsEnableEverySectionAndFinishAccepts()
    {
        ProfileWizard wizard(nullptr);
        setStoredRecords(wizard);
        for (int id = ProfileWizard::Welcome; id <= ProfileWizard::Finish; ++id)
            QVERIFY2(enabled(wizard, id), qPrintable(QString::number(id)));
        wizard.doMenuSelection(ProfileWizard::Finish);
        QCOMPARE(wizard.nextButton()->text(), QStringLiteral("Finish"));
        wizard.doBack();
        QCOMPARE(wizard.nextButton()->text(), QStringLiteral("Next >"));
        wizard.doNext();
        QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QCOMPARE(_beeps, 0);
    }

    void clickingTheActiveSectionReloadsItFromTheRecords()
    {
        ProfileWizard wizard(nullptr);
        setStoredRecords(wizard);
        wizard.setSection(ProfileWizard::Measurements);
        auto* page = static_cast<MeasurementsPage*>(wizard.page(ProfileWizard::Measurements));
        page->_metricWeightField->setText(QStringLiteral("61"));
        wizard.doMenuSelection(ProfileWizard::Measurements);
        QCOMPARE(page->_metricWeightField->text(), QStringLiteral("61.0"));
    }

    void getDatesTheCheckinTodayAndKeepsAnExistingCreatedDate()
    {
        ProfileWizard edited(nullptr);
        setStoredRecords(edited);
        DBTypes::UserProfile profileOut;
        DBTypes::CheckinItem checkinOut;
        DBTypes::UserPrefs prefsOut;
        edited.get(&profileOut, &checkinOut, &prefsOut);
        QCOMPARE(code(profileOut.created), QStringLiteral("20040302"));
        QCOMPARE(code(checkinOut.date), QStringLiteral("20060601"));
        QCOMPARE(profileOut.name, QStringLiteral("Zoë Ann"));
        QCOMPARE(profileOut.height, 165.0f);
        QVERIFY(profileOut.isValid());

        ProfileWizard fresh(nullptr);
        DBTypes::UserProfile newProfile;
        DBTypes::CheckinItem newCheckin;
        fresh.get(&newProfile, &newCheckin, nullptr);
        QCOMPARE(code(newProfile.created), QStringLiteral("20060601"));
        QCOMPARE(code(newCheckin.date), QStringLiteral("20060601"));
    }

    void menuAnswersForUnknownSections()
    {
        ProfileWizard wizard(nullptr);
        WizardMenu* menu = wizard.menu();
        QVERIFY(!menu->addSection(ProfileWizard::Goals, QStringLiteral("Again")));
        QCOMPARE(menu->sectionCount(), 8);
        QCOMPARE(menu->sectionName(ProfileWizard::Goals), QStringLiteral("Goals"));
        QVERIFY(!menu->setActiveSection(42));
        QVERIFY(!menu->setSectionEnabled(42, true));
        QCOMPARE(menu->sectionPosition(42), -1);
        QCOMPARE(menu->sectionAtPosition(8), -1);
        QVERIFY(menu->sectionName(42).isNull());
        QVERIFY(!menu->findSectionById(42));
        PageController* fallback = wizard.sectionPageController(42);
        QCOMPARE(fallback, wizard.sectionPageController(ProfileWizard::Welcome));
        QCOMPARE(fallback, wizard.sectionPageController(ProfileWizard::Finish));
        QVERIFY(fallback->isPageComplete());
        QVERIFY(!fallback->page());
    }

    void notifyConnectsOnlyPagesWithAStateSignal()
    {
        QPushButton receiver;
        QSignalSpy clicks(&receiver, &QPushButton::clicked);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        YourProfilePage silent(nullptr);
        YourProfilePC silentController(&silent);
        silentController.notify(&receiver, SLOT(click()));
        PageController(nullptr).notify(&receiver, SLOT(click()));
        ActivityLevelPage page(nullptr);
        ActivityLevelPC controller(&page);
        controller.notify(&receiver, SLOT(click()));
        page.updateErrors();
        QCOMPARE(clicks.size(), 1);
    }

    void pictures_data()
    {
        QTest::addColumn<int>("units");
        QTest::addColumn<int>("energy");
        QTest::newRow("metric") << 0 << int(UnitEnergy::Kilocalories);
        QTest::newRow("imperial") << 1 << int(UnitEnergy::Kilocalories);
        QTest::newRow("kilojoules") << 0 << int(UnitEnergy::Kilojoules);
    }

    void pictures()
    {
        QFETCH(int, units);
        QFETCH(int, energy);
        UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(energy));
        ProfileWizard wizard(nullptr);
        const DBTypes::UserProfile storedProfile = profile();
        const DBTypes::CheckinItem storedCheckin = checkin();
        DBTypes::UserPrefs prefs;
        prefs.measurementUnits = units;
        wizard.set(&storedProfile, &storedCheckin, &prefs);
        wizard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wizard));
        for (int id = ProfileWizard::Welcome; id <= ProfileWizard::Finish; ++id) {
            wizard.setSection(id);
            QVERIFY(saveWidgetPicture(
                &wizard, QStringLiteral("profilewizard-%1-%2").arg(QTest::currentDataTag()).arg(id)));
        }
        UnitCollection::instance()->set(UnitCollection::Energy,
                                        new UnitEnergy(UnitEnergy::Kilocalories));
    }

private:
    int _beeps = 0;
};

QTEST_MAIN(TestProfileWizard)
#include "tst_profilewizard.moc"
