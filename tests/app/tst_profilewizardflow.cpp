// A new user goes through every page of the profile wizard, typed and clicked as a user
// would, and the main window stores what the wizard hands out.

#include "app/mainwindow.h"
#include "core/clock.h"
#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "diary/diarysummary.h"
#include "diary/diarywidget.h"
#include "profile/activitylevelpage.h"
#include "profile/datelineedit.h"
#include "profile/goalpage.h"
#include "profile/measurementspage.h"
#include "profile/personaldetailspage.h"
#include "profile/profilewizard.h"
#include "profile/settargetsdialog.h"
#include "profile/targetspage.h"
#include "profile/wizardmenu.h"
#include "tests/app/mainwindowdoubles.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace MainWindowTest;

namespace {

const QDate Today(2026, 12, 7);

// The main window with its real profile wizard; message boxes are only recorded.
class WizardMainWindow : public MainWindow
{
public:
    WizardMainWindow() : MainWindow(nullptr, "MainWindow") {}

    QStringList messages;

protected:
    QMessageBox::StandardButton showMessage(QMessageBox::Icon, const QString&, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton, const QString&,
                                            const QString&) override
    {
        messages << text;
        return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
};

// What the user enters.
struct Entry
{
    bool female = true;
    int age = 40;
    QString weightKg = QStringLiteral("60");
    QString heightCm = QStringLiteral("165");
    QString pounds;
    QString feet;
    QString inches;
    int activity = 0;
    int goal = 0;
    bool finishFromGoals = false;
    QString customEnergy; // customise the targets when set
};

template <typename Page>
Page* pageOf(ProfileWizard& wizard, int id)
{
    return static_cast<Page*>(wizard.page(id));
}

void next(ProfileWizard& wizard)
{
    QTest::mouseClick(wizard.nextButton(), Qt::LeftButton);
}

// Clicks a radio button's indicator: a stretched button takes clicks only on its
// indicator and text.
void clickRadio(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

void clickSection(ProfileWizard& wizard, int id)
{
    wizard.menu()->grab();
    QTest::mouseClick(wizard.menu(), Qt::LeftButton, {},
                      wizard.menu()->findSectionById(id)->rect.center());
}

// Runs `step` inside the next modal dialog's event loop.
void whenModal(std::function<void(QWidget*)> step)
{
    QTimer::singleShot(0, [step] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            whenModal(step);
            return;
        }
        step(dialog);
    });
}

void fillPersonalDetails(ProfileWizard& wizard, const Entry& entry)
{
    auto* page = pageOf<PersonalDetailsPage>(wizard, ProfileWizard::PersonalDetails);
    page->_nameField->clear();
    QTest::keyClicks(page->_nameField, entry.female ? QStringLiteral("Ann") : QStringLiteral("Bob"));
    page->_dobField->setFocus();
    page->_dobField->clear();
    const QDate birth(Today.year() - entry.age, 5, 17);
    QTest::keyClicks(page->_dobField,
                     DateLineEdit::dateText(birth, BXSettings::getDateFormat()));
    clickRadio(entry.female ? page->_femaleRadioButton : page->_maleRadioButton);
}

void fillMeasurements(ProfileWizard& wizard, const Entry& entry)
{
    auto* page = pageOf<MeasurementsPage>(wizard, ProfileWizard::Measurements);
    if (entry.pounds.isEmpty()) {
        QTest::keyClicks(page->_metricWeightField, entry.weightKg);
        QTest::keyClicks(page->_metricHeightField, entry.heightCm);
        return;
    }
    QTest::keyClicks(page->_imperialWeigthField, entry.pounds);
    QTest::keyClicks(page->_imperialHeightFeetField, entry.feet);
    QTest::keyClicks(page->_imperialHeightInchesField, entry.inches);
}

void customise(ProfileWizard& wizard, const QString& energy)
{
    auto* page = pageOf<TargetsPage>(wizard, ProfileWizard::Targets);
    whenModal([energy](QWidget* dialog) {
        auto* targets = qobject_cast<SetTargetsDialog*>(dialog);
        QVERIFY(targets);
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
            targets->targetEdit(DBTypes::NutType(nut))->clear();
        targets->targetEdit(DBTypes::ENERGY)->setText(energy);
        targets->accept();
    });
    QTest::mouseClick(page->_customiseButton, Qt::LeftButton);
}

// Goes from the welcome page to the end, entering `entry`.
void runNewUser(ProfileWizard& wizard, const Entry& entry)
{
    next(wizard);
    fillPersonalDetails(wizard, entry);
    next(wizard);
    fillMeasurements(wizard, entry);
    next(wizard);
    auto* activity = pageOf<ActivityLevelPage>(wizard, ProfileWizard::ActivityLevel);
    clickRadio(activity->_activityButtonGroup->button(entry.activity));
    clickRadio(activity->_snackAfter);
    next(wizard);
    next(wizard);
    auto* goals = pageOf<GoalPage>(wizard, ProfileWizard::Goals);
    clickRadio(goals->_goalButtonGroup->button(entry.goal));
    if (entry.finishFromGoals) {
        clickSection(wizard, ProfileWizard::Finish);
    } else {
        next(wizard);
        if (!entry.customEnergy.isEmpty())
            customise(wizard, entry.customEnergy);
        next(wizard);
    }
    QCOMPARE(wizard.nextButton()->text(), QStringLiteral("Finish"));
    next(wizard);
}

void expectTargets(const DBTypes::CheckinItem& checkin, std::initializer_list<float> values)
{
    int nut = 0;
    for (float value : values) {
        const auto type = DBTypes::NutType(nut++);
        if (value < 0.0f)
            QVERIFY2(checkin.noTarget(type), qPrintable(QString::number(int(type))));
        else
            QVERIFY2(qAbs(checkin.target(type) - value) < 0.01f,
                     qPrintable(QStringLiteral("%1: %2").arg(int(type)).arg(checkin.target(type))));
    }
}

QByteArray todayCode()
{
    return Today.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

} // namespace

class TestProfileWizardFlow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        loadBrand(BrandSwitches());
        Clock::setNow(QDateTime(Today, QTime(10, 0)));
        WizardMenu::setBeepHandler([this] { ++_beeps; });
    }

    void cleanupTestCase()
    {
        WizardMenu::setBeepHandler({});
        Clock::reset();
        BXSqlDb::cleanUp();
        UserDB::cleanUp();
        UnitCollection::cleanUp();
        BrandEngine::cleanUp();
    }

    void init()
    {
        startFreshDatabase();
        _beeps = 0;
    }

    void newWomanOnThePlan()
    {
        const qint64 user = createUser(Entry());
        QVERIFY(user >= 0);
        const DBTypes::UserProfile profile = UserDB::instance()->getProfile(user).value();
        QVERIFY(profile.isValid());
        QCOMPARE(profile.height, 165.0f);
        QCOMPARE(profile.sex, 1);
        const DBTypes::CheckinItem checkin = UserDB::instance()->getCheckin(user, todayCode().constData()).value();
        QCOMPARE(checkin.weight, 60.0f);
        QCOMPARE(checkin.activity, 0);
        QCOMPARE(checkin.goal, 0);
        QVERIFY(checkin.noCustomRMR());
        QCOMPARE(checkin.dietPlan(), QStringLiteral("Brellix"));
        expectTargets(checkin, {1200, 126, 30, 106.5f, 25, -1, -1, -1, -1, -1});
        const DBTypes::UserPrefs prefs = UserDB::instance()->getUserPrefs(user).value();
        const int sizes[] = {3, 2, 2, 2, 2, 0, 0, 0, 0, 0};
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
            QCOMPARE(int(prefs.targetSize(DBTypes::NutType(nut))), sizes[nut]);
        QCOMPARE(prefs.snackDisplay, 1);
        QCOMPARE(_beeps, 0);
        // A new user starts with the diary's summary panel in view.
        QVERIFY(prefs.showNutrientAndFluid);
        QVERIFY(_summaryShown);
    }

    // The units installed are those of the user at work before, in kilojoules; the new user's
    // own are the brand's calories, which the wizard's targets then speak.
    void newManSeesHisOwnUnitsWhileTheCurrentUserWorksInKilojoules()
    {
        UnitCollection::instance()->set(UnitCollection::Energy,
                                        new UnitEnergy(UnitEnergy::Kilojoules));
        Entry entry;
        entry.female = false;
        entry.age = 45;
        entry.pounds = QStringLiteral("150");
        entry.feet = QStringLiteral("5");
        entry.inches = QStringLiteral("9");
        entry.activity = 2;
        entry.goal = 1;
        QString energyShown;
        const qint64 user = createUser(entry, [&energyShown](ProfileWizard& wizard) {
            energyShown = wizard.page(ProfileWizard::Targets)
                              ->findChild<QLabel*>(QStringLiteral("_energyTargetLabel"))
                              ->text();
        });
        UnitCollection::instance()->set(UnitCollection::Energy,
                                        new UnitEnergy(UnitEnergy::Kilocalories));
        // 150 lb as typed, not the 68.0 kg the metric field shows.
        QCOMPARE(energyShown, QStringLiteral("2045 cals"));
        QCOMPARE(UserDB::instance()->getProfile(user)->height, 175.0f);
        const DBTypes::CheckinItem checkin = UserDB::instance()->getCheckin(user, todayCode().constData()).value();
        QCOMPARE(checkin.weight, 68.0389f);
        expectTargets(checkin, {2044.62f, 257.86f, 62.85f, 111.90f, 25});
    }

    void finishFromTheGoalsMenuStoresThePlansTargets()
    {
        Entry entry;
        entry.finishFromGoals = true;
        const qint64 user = createUser(entry);
        const DBTypes::CheckinItem checkin = UserDB::instance()->getCheckin(user, todayCode().constData()).value();
        QCOMPARE(checkin.dietPlan(), QStringLiteral("Brellix"));
        expectTargets(checkin, {1200, 126, 30, 106.5f, 25, -1, -1, -1, -1, -1});
    }

    void customisedTargets()
    {
        Entry entry;
        entry.customEnergy = QStringLiteral("1800");
        const qint64 user = createUser(entry);
        const DBTypes::CheckinItem checkin = UserDB::instance()->getCheckin(user, todayCode().constData()).value();
        QVERIFY(checkin.hasDietPlan());
        QCOMPARE(checkin.dietPlan(), QString());
        expectTargets(checkin, {1800, -1, -1, -1, -1, -1, -1, -1, -1, -1});
    }

    void editingKeepsTheCreatedDateAndStoresOnlyAnEdit_data()
    {
        QTest::addColumn<bool>("gain"); // the edit: the goal to gain weight, or none
        QTest::addColumn<bool>("kilojoules"); // and pounds, with an RMR of the user's own
        QTest::newRow("a new goal, its plan's targets") << true << false;
        QTest::newRow("untouched, no check-in of the day") << false << false;
        QTest::newRow("untouched, kilojoules and pounds") << false << true;
    }

    void editingKeepsTheCreatedDateAndStoresOnlyAnEdit()
    {
        QFETCH(bool, gain);
        QFETCH(bool, kilojoules);
        const qint64 user = createUser(Entry());
        DBTypes::UserProfile profile = UserDB::instance()->getProfile(user).value();
        qstrcpy(profile.created, "20200101");
        QVERIFY(UserDB::instance()->updateUser(profile));
        UserDB* users = UserDB::instance();
        if (kilojoules) {
            DBTypes::UserPrefs prefs = users->getUserPrefs(user).value();
            prefs.energyUnits = 0;
            prefs.measurementUnits = 1;
            DBTypes::CheckinItem rate = users->getCheckin(user, todayCode().constData()).value();
            rate.setCustomRMR(1650.6f);
            QVERIFY(users->setUserPrefs(user, prefs) && users->addCheckin(rate, false));
        }
        WizardMainWindow window;
        UserDB::instance()->setCurrentUser(user);
        Clock::setNow(QDateTime(Today.addDays(1), QTime(10, 0)));
        whenModal([gain](QWidget* dialog) {
            auto* wizard = qobject_cast<ProfileWizard*>(dialog);
            QVERIFY(wizard);
            // Untouched: Next on every page, as a user checking the profile would.
            while (!gain && wizard->nextButton()->text() != QStringLiteral("Finish"))
                next(*wizard);
            if (gain) {
                clickSection(*wizard, ProfileWizard::Goals);
                clickRadio(pageOf<GoalPage>(*wizard, ProfileWizard::Goals)->_gainButton);
                clickSection(*wizard, ProfileWizard::Finish);
            }
            next(*wizard);
        });
        window.setPersonalProfile();
        Clock::setNow(QDateTime(Today, QTime(10, 0)));
        QCOMPARE(QString::fromLatin1(UserDB::instance()->getProfile(user)->created),
                 QStringLiteral("20200101"));
        const DBTypes::CheckinItem checkin = users->getCheckin(user, "20261208").value();
        QCOMPARE(checkin.hasWeight, gain);
        QCOMPARE(checkin.goal, gain ? 2 : 0);
        if (gain)
            expectTargets(checkin, {1980.92f, 246.67f, 60.37f, 112.73f, 25});
    }

    void cancelStoresNoUser()
    {
        WizardMainWindow window;
        whenModal([](QWidget* dialog) {
            next(*qobject_cast<ProfileWizard*>(dialog));
            QTest::mouseClick(qobject_cast<ProfileWizard*>(dialog)->cancelButton(),
                              Qt::LeftButton);
        });
        QVERIFY(!window.switchUser(&window, -1));
        QVERIFY(UserDB::instance()->getUsersList().value().isEmpty());
    }

private:
    // Creates the first user through switchUser; `atTargets` sees the wizard at the end.
    qint64 createUser(const Entry& entry, std::function<void(ProfileWizard&)> atTargets = {})
    {
        WizardMainWindow window;
        whenModal([entry, atTargets](QWidget* dialog) {
            auto* wizard = qobject_cast<ProfileWizard*>(dialog);
            QVERIFY(wizard);
            QCOMPARE(wizard->windowTitle(), QStringLiteral("Create Personal Profile"));
            if (atTargets)
                QObject::connect(wizard, &QDialog::accepted, wizard,
                                 [wizard, atTargets] { atTargets(*wizard); });
            runNewUser(*wizard, entry);
            if (wizard->isVisible())
                wizard->reject();
        });
        if (!window.switchUser(&window, -1))
            return -1;
        _summaryShown = window.toggleFluidNutrientAction->isChecked()
                        && !window.diaryPage()->summaryWidget->isHidden();
        const QList<DBTypes::UserProfile> users = UserDB::instance()->getUsersList().value();
        return users.isEmpty() ? -1 : users.front().userId;
    }

    int _beeps = 0;
    // Whether the window showed the diary's summary panel once the user was made.
    bool _summaryShown = false;
};

QTEST_MAIN(TestProfileWizardFlow)
#include "tst_profilewizardflow.moc"
