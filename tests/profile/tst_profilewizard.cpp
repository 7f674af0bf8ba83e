#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/unitcollection.h"
#include "profile/profilewizard.h"
#include "profile/settargetsdialog.h"
#include "userdb/bxsqldb.h"
#include "userdb/userdb.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
}

void fillIn(ProfileWizard& wizard)
{
    wizard.nameField()->setText(QStringLiteral("Ann"));
    wizard.birthDateField()->setDate(QDate(1980, 5, 17));
    wizard.femaleRadioButton()->setChecked(true);
    wizard.heightField()->setText(QStringLiteral("170"));
    wizard.weightField()->setText(QStringLiteral("65.5"));
}

} // namespace

class TestProfileWizard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QByteArray brand = QFile::encodeName(BXSettings::getResourceDBPath() + "brand.dat");
        QVERIFY2(BrandEngine::instance()->import(brand.constData()), brand.constData());
    }

    void cleanupTestCase()
    {
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
        UnitCollection::cleanUp();
        BrandEngine::cleanUp();
    }

    void enteredProfileComesOut()
    {
        ProfileWizard wizard(nullptr);
        fillIn(wizard);
        QVERIFY(wizard.isComplete());
        DBTypes::UserProfile profile;
        DBTypes::CheckinItem checkin;
        DBTypes::UserPrefs prefs;
        wizard.get(&profile, &checkin, &prefs);
        QCOMPARE(profile.name, QStringLiteral("Ann"));
        QCOMPARE(QString::fromLatin1(profile.dob), QStringLiteral("19800517"));
        QCOMPARE(profile.sex, 1);
        QCOMPARE(profile.height, 170.0f);
        QCOMPARE(QString::fromLatin1(profile.created), today());
        QVERIFY(profile.isValid());
        QVERIFY(checkin.hasWeight);
        QCOMPARE(checkin.weight, 65.5f);
        QCOMPARE(QString::fromLatin1(checkin.date), today());
    }

    // "72,5" typed where the locale writes a decimal comma is 72.5 kg, not 725; elsewhere the
    // comma never reaches the field.
    void typedWeightFollowsTheLocalesDecimalPoint()
    {
        for (const QLocale& locale : {QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::English, QLocale::UnitedKingdom)}) {
            QLocale::setDefault(locale);
            ProfileWizard wizard(nullptr);
            fillIn(wizard);
            wizard.weightField()->clear();
            QTest::keyClicks(wizard.weightField(), QStringLiteral("72,5"));
            DBTypes::CheckinItem checkin;
            wizard.get(nullptr, &checkin, nullptr);
            const bool comma = locale.language() == QLocale::German;
            QCOMPARE(wizard.weightField()->text(), comma ? QStringLiteral("72,5")
                                                         : QStringLiteral("725"));
            QCOMPARE(checkin.weight, comma ? 72.5f : 725.0f);
        }
        QLocale::setDefault(QLocale::c());
    }

    void setThenGetKeepsTheRecords()
    {
        DBTypes::UserProfile profile;
        profile.userId = 3;
        profile.name = QStringLiteral("Bob");
        profile.password = QStringLiteral("pw");
        qstrcpy(profile.dob, "19751231");
        profile.sex = 0;
        profile.height = 182.0f;
        DBTypes::CheckinItem checkin;
        checkin.userId = 3;
        checkin.weight = 90.25f;
        checkin.hasWeight = true;
        checkin.goal = DBTypes::LOSE_WEIGHT;
        checkin.hasGoal = true;
        DBTypes::UserPrefs prefs;
        prefs.webUserName = QStringLiteral("bob");
        prefs.snackDisplay = DBTypes::SNACKS_NUMBERED;

        ProfileWizard wizard(nullptr);
        wizard.set(&profile, &checkin, &prefs);
        QVERIFY(wizard.maleRadioButton()->isChecked());
        QVERIFY(wizard.isComplete());

        DBTypes::UserProfile profileOut;
        DBTypes::CheckinItem checkinOut;
        DBTypes::UserPrefs prefsOut;
        wizard.get(&profileOut, &checkinOut, &prefsOut);
        QCOMPARE(profileOut.userId, 3);
        QCOMPARE(profileOut.name, profile.name);
        QCOMPARE(profileOut.password, profile.password);
        QCOMPARE(QString::fromLatin1(profileOut.dob), QStringLiteral("19751231"));
        QCOMPARE(profileOut.sex, 0);
        QCOMPARE(profileOut.height, 182.0f);
        QCOMPARE(checkinOut.userId, 3);
        QCOMPARE(checkinOut.weight, 90.25f);
        QVERIFY(checkinOut.hasGoal);
        QCOMPARE(checkinOut.goal, int(DBTypes::LOSE_WEIGHT));
        QCOMPARE(QString::fromLatin1(checkinOut.date), today());
        QCOMPARE(prefsOut.webUserName, QStringLiteral("bob"));
        QCOMPARE(prefsOut.snackDisplay, int(DBTypes::SNACKS_NUMBERED));
    }

    void imperialUnitsFollowThePreferences()
    {
        DBTypes::UserProfile profile;
        profile.height = 182.0f;
        DBTypes::CheckinItem checkin;
        checkin.weight = 90.25f;
        checkin.hasWeight = true;
        DBTypes::UserPrefs prefs;
        prefs.measurementUnits = 1;
        ProfileWizard wizard(nullptr);
        wizard.set(&profile, &checkin, &prefs);

        // Values shown but left alone come back exactly as they went in.
        DBTypes::UserProfile profileOut;
        DBTypes::CheckinItem checkinOut;
        wizard.get(&profileOut, &checkinOut, nullptr);
        QCOMPARE(profileOut.height, 182.0f);
        QCOMPARE(checkinOut.weight, 90.25f);

        wizard.heightField()->setText(QStringLiteral("70"));
        wizard.weightField()->setText(QStringLiteral("150"));
        wizard.get(&profileOut, &checkinOut, nullptr);
        QVERIFY(qAbs(profileOut.height - 177.8f) < 0.01f);
        QVERIFY(qAbs(checkinOut.weight - 68.04f) < 0.01f);
    }

    void incompleteProfileIsRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("no name") << QStringLiteral("name");
        QTest::newRow("blank name") << QStringLiteral("blank");
        QTest::newRow("no sex") << QStringLiteral("sex");
        QTest::newRow("no height") << QStringLiteral("height");
        QTest::newRow("zero weight") << QStringLiteral("weight");
    }

    void incompleteProfileIsRefused()
    {
        QFETCH(QString, field);
        ProfileWizard wizard(nullptr);
        fillIn(wizard);
        if (field == QLatin1String("name"))
            wizard.nameField()->clear();
        else if (field == QLatin1String("blank"))
            wizard.nameField()->setText(QStringLiteral("   "));
        else if (field == QLatin1String("height"))
            wizard.heightField()->clear();
        else if (field == QLatin1String("weight"))
            wizard.weightField()->setText(QStringLiteral("0"));
        if (field == QLatin1String("sex")) {
            ProfileWizard fresh(nullptr);
            fresh.nameField()->setText(QStringLiteral("Ann"));
            fresh.heightField()->setText(QStringLiteral("170"));
            fresh.weightField()->setText(QStringLiteral("60"));
            QVERIFY(!fresh.isComplete());
            return;
        }
        QVERIFY(!wizard.isComplete());
        QVERIFY(!wizard.finishButton()->isEnabled());
        QTimer::singleShot(0, &wizard, [&wizard] {
            wizard.accept();
            // Still open: close it so that exec() returns.
            QVERIFY(wizard.isVisible());
            wizard.reject();
        });
        QCOMPARE(wizard.exec(), 0);
    }

    void finishedWizardReturnsOne()
    {
        ProfileWizard wizard(nullptr);
        fillIn(wizard);
        QTimer::singleShot(0, wizard.finishButton(), &QPushButton::click);
        QCOMPARE(wizard.exec(), 1);
    }

    void firstUserCanBeCreated()
    {
        std::string error;
        QVERIFY2(BXSqlDb::startUp(error, true), error.c_str());
        ProfileWizard wizard(nullptr);
        fillIn(wizard);
        DBTypes::UserProfile profile;
        DBTypes::CheckinItem checkin;
        DBTypes::UserPrefs prefs;
        wizard.get(&profile, &checkin, &prefs);

        UserDB* users = UserDB::instance();
        int user = -1;
        QVERIFY(users->addUser(profile, &user));
        QVERIFY(users->setUserPrefs(user, prefs));
        checkin.userId = user;
        QVERIFY(users->addCheckin(checkin, false));

        const std::optional<DBTypes::UserProfile> stored = users->getProfile(user);
        QVERIFY(stored && stored->isValid());
        QCOMPARE(stored->name, QStringLiteral("Ann"));
        bool exact = false;
        QCOMPARE(users->getWeight(user, checkin.date, &exact), 65.5f);
        QVERIFY(exact);
    }

    void targetsRoundTrip()
    {
        DBTypes::CheckinItem checkin;
        checkin.setTarget(DBTypes::ENERGY, 1800.0f);
        checkin.setTarget(DBTypes::FAT, 60.0f);
        DBTypes::UserPrefs prefs;
        prefs.setTargetSize(DBTypes::ENERGY, DBTypes::UserPrefs::Large);
        prefs.setTargetSize(DBTypes::FAT, DBTypes::UserPrefs::Small);

        SetTargetsDialog dialog(nullptr, "targets", true);
        dialog.load(checkin, prefs);
        QCOMPARE(dialog.targetEdit(DBTypes::PROTEIN)->text(), QString());
        dialog.targetEdit(DBTypes::PROTEIN)->setText(QStringLiteral("75"));
        dialog.targetEdit(DBTypes::FAT)->clear();

        DBTypes::CheckinItem checkinOut;
        DBTypes::UserPrefs prefsOut;
        dialog.get(&checkinOut, &prefsOut);
        QCOMPARE(checkinOut.target(DBTypes::ENERGY), 1800.0f);
        QCOMPARE(checkinOut.target(DBTypes::PROTEIN), 75.0f);
        QCOMPARE(checkinOut.target(DBTypes::FAT), SetTargetsDialog::BlankTarget);
        QCOMPARE(checkinOut.target(DBTypes::CALCIUM), SetTargetsDialog::BlankTarget);
        QCOMPARE(prefsOut.targetSize(DBTypes::ENERGY), DBTypes::UserPrefs::Large);
        QCOMPARE(prefsOut.targetSize(DBTypes::FAT), DBTypes::UserPrefs::Small);
        QCOMPARE(prefsOut.targetSize(DBTypes::SODIUM), DBTypes::UserPrefs::None);
    }
};

QTEST_MAIN(TestProfileWizard)
#include "tst_profilewizard.moc"
