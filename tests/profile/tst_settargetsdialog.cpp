#include "core/unitcollection.h"
#include "core/unitenergy.h"
#include "profile/settargetsdialog.h"
#include "tests/support/brandinfront.h"
#include "tests/support/scriptedprompter.h"
#include "tests/support/widgetpicture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>


using DBTypes::CheckinItem;
using DBTypes::NutType;
using DBTypes::UserPrefs;

namespace {

// Energy 2000 kcal, fat 65 g, protein 75 g, carbohydrate 250 g, every other target unset;
// energy shown large and fat medium.
CheckinItem dayTargets()
{
    CheckinItem checkin;
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
        checkin.setTarget(NutType(nut), -1.0f);
    checkin.setTarget(DBTypes::ENERGY, 2000.0f);
    checkin.setTarget(DBTypes::FAT, 65.0f);
    checkin.setTarget(DBTypes::PROTEIN, 75.0f);
    checkin.setTarget(DBTypes::CARBS, 250.0f);
    return checkin;
}

UserPrefs daySizes()
{
    UserPrefs prefs;
    prefs.targetSizes.clear();
    prefs.setTargetSize(DBTypes::ENERGY, UserPrefs::Large);
    prefs.setTargetSize(DBTypes::FAT, UserPrefs::Medium);
    return prefs;
}

void useEnergyUnit(int type)
{
    UnitCollection::instance()->set(UnitCollection::Energy, new UnitEnergy(type));
}

// Types text into an emptied field, key by key, as a user would.
void retype(QLineEdit* edit, const QString& text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

} // namespace

class TestSetTargetsDialog : public QObject
{
    Q_OBJECT

private slots:
    // The brand's own spelling names the fibre row.
    void initTestCase()
    {
        QVERIFY(loadBrandInFront(
            QStringLiteral("<brand><string id=\"spelling_fiber\" value=\"fibre\"/></brand>")));
    }

    void init() { useEnergyUnit(UnitEnergy::Kilocalories); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void cleanupTestCase()
    {
        UnitCollection::cleanUp();
        BrandEngine::cleanUp();
    }

    void formHasItsTextsAndOrder()
    {
        SetTargetsDialog dialog(nullptr, nullptr, false);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Set Targets"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("_calsLabel"))->text(), QStringLiteral("cals"));
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("_fiberLabel"))->text(), QStringLiteral("Fibre:"));
        // Tab order: values top to bottom with each percentage after its grams, then sizes.
        QStringList order;
        QWidget* widget = dialog.targetEdit(DBTypes::ENERGY);
        do {
            if (widget->focusPolicy() & Qt::TabFocus)
                order.append(widget->objectName());
            widget = widget->nextInFocusChain();
        } while (widget != dialog.targetEdit(DBTypes::ENERGY));
        const QStringList expected = QStringLiteral(
            "_calsLineEdit _carbLineEdit _carbPercentLineEdit _fatLineEdit _fatPercentLineEdit "
            "_proteinLineEdit _proteinPercentLineEdit _fiberLineEdit _sfatLineEdit _sugarLineEdit "
            "_sodiumLineEdit _cholLineEdit _calciumLineEdit _energyCombo _carbCombo _fatCombo "
            "_proteinCombo _fiberCombo _sfatCombo _sugarCombo _sodiumCombo _cholCombo "
            "_calciumCombo _okButton _cancelButton").split(QLatin1Char(' '));
        QCOMPARE(order, expected);
    }

    void loadsAndStoresAtOnce_data()
    {
        QTest::addColumn<int>("energyUnit");
        QTest::addColumn<QString>("energyText");
        QTest::newRow("kilocalories") << int(UnitEnergy::Kilocalories) << QStringLiteral("2000");
        QTest::newRow("kilojoules") << int(UnitEnergy::Kilojoules) << QStringLiteral("8360");
    }

    void loadsAndStoresAtOnce()
    {
        QFETCH(int, energyUnit);
        QFETCH(QString, energyText);
        useEnergyUnit(energyUnit);
        SetTargetsDialog dialog(nullptr, nullptr, false);
        dialog.load(dayTargets(), daySizes());
        saveWidgetPicture(&dialog, QStringLiteral("set-targets-") + QTest::currentDataTag());

        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("_calsLabel"))->text(),
                 energyUnit == UnitEnergy::Kilojoules ? QStringLiteral("kJ") : QStringLiteral("cals"));
        // The text names the one unit the energy field takes.
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("textLabel1_2"))->text().contains(
            energyUnit == UnitEnergy::Kilojoules ? QStringLiteral("Energy is entered in kilojoules.")
                                                 : QStringLiteral("Energy is entered in calories.")));
        QCOMPARE(dialog.targetEdit(DBTypes::ENERGY)->text(), energyText);
        QCOMPARE(dialog.targetEdit(DBTypes::FAT)->text(), QStringLiteral("65.0"));
        QCOMPARE(dialog.targetEdit(DBTypes::SUGAR)->text(), QString());
        QCOMPARE(dialog.percentEdit(DBTypes::FAT)->text(), QStringLiteral("29.2"));
        QCOMPARE(dialog.percentEdit(DBTypes::PROTEIN)->text(), QStringLiteral("15.0"));
        QCOMPARE(dialog.percentEdit(DBTypes::CARBS)->text(), QStringLiteral("50.0"));
        QCOMPARE(dialog.sizeBox(DBTypes::ENERGY)->currentText(), QStringLiteral("Large"));
        QCOMPARE(dialog.sizeBox(DBTypes::FAT)->currentText(), QStringLiteral("Medium"));
        QCOMPARE(dialog.sizeBox(DBTypes::CALCIUM)->currentText(), QStringLiteral("None"));

        // OK untouched changes nothing: blanks stay as stored, not rewritten.
        QVERIFY(!dialog.isChanged());
        CheckinItem checkin;
        UserPrefs prefs;
        dialog.get(&checkin, &prefs);
        const float targets[] = {2000.0f, 250.0f, 65.0f, 75.0f};
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            const float want = nut < 4 ? targets[nut] : -1.0f;
            QVERIFY2(qAbs(checkin.target(NutType(nut)) - want) < 0.01f, qPrintable(QString::number(nut)));
            const UserPrefs::TargetSize size = nut == DBTypes::ENERGY ? UserPrefs::Large
                : nut == DBTypes::FAT                                 ? UserPrefs::Medium
                                                                      : UserPrefs::None;
            QCOMPARE(prefs.targetSize(NutType(nut)), size);
        }

        // What the user types is read in the same unit.
        retype(dialog.targetEdit(DBTypes::ENERGY), energyText == QLatin1String("2000")
                                                        ? QStringLiteral("1800")
                                                        : QStringLiteral("7524"));
        QVERIFY(dialog.isChanged());
        dialog.get(&checkin, &prefs);
        QVERIFY(qAbs(checkin.target(DBTypes::ENERGY) - 1800.0f) < 0.01f);
        // Targets typed by hand are the user's own: the empty diet-plan id.
        QVERIFY(checkin.hasDietPlan());
        QCOMPARE(checkin.dietPlan(), QStringLiteral(""));
        dialog.sizeBox(DBTypes::FAT)->setCurrentIndex(0);
        retype(dialog.targetEdit(DBTypes::ENERGY), energyText);
        QVERIFY(dialog.isChanged());
    }

    void percentageRewritesGrams()
    {
        CheckinItem day = dayTargets();
        day.setTarget(DBTypes::PROTEIN, 75.3f); // 15.06 %, shown as 15.1
        SetTargetsDialog dialog(nullptr, nullptr, false);
        dialog.load(day, daySizes());
        QCOMPARE(dialog.percentEdit(DBTypes::PROTEIN)->text(), QStringLiteral("15.1"));

        QSignalSpy fatGrams(dialog.targetEdit(DBTypes::FAT), &QLineEdit::textChanged);
        QSignalSpy fatShare(dialog.percentEdit(DBTypes::FAT), &QLineEdit::textChanged);
        QSignalSpy carbShare(dialog.percentEdit(DBTypes::CARBS), &QLineEdit::textChanged);
        retype(dialog.percentEdit(DBTypes::FAT), QStringLiteral("30"));
        QCOMPARE(dialog.targetEdit(DBTypes::FAT)->text(), QStringLiteral("66.7"));
        // The other rows keep their grams, not ones worked back from their rounded shares.
        QCOMPARE(dialog.targetEdit(DBTypes::PROTEIN)->text(), QStringLiteral("75.3"));
        QCOMPARE(dialog.targetEdit(DBTypes::CARBS)->text(), QStringLiteral("250.0"));
        // Clear, "3", "30": the written fields never answer back.
        QCOMPARE(fatShare.size(), 3);
        QCOMPARE(fatGrams.size(), 0);
        QCOMPARE(carbShare.size(), 0);

        // Grams typed the other way round set the percentage only.
        QSignalSpy proteinGrams(dialog.targetEdit(DBTypes::PROTEIN), &QLineEdit::textChanged);
        retype(dialog.targetEdit(DBTypes::FAT), QStringLiteral("50"));
        QCOMPARE(dialog.percentEdit(DBTypes::FAT)->text(), QStringLiteral("22.5"));
        QCOMPARE(fatShare.size(), 3);
        QCOMPARE(proteinGrams.size(), 0);
    }

    void energyDecidesThePercentages_data()
    {
        QTest::addColumn<QString>("energy");
        QTest::addColumn<QString>("fatShare");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("0.1") << QStringLiteral("0.1") << QString();
        QTest::newRow("below the range") << QStringLiteral("499") << QString();
        QTest::newRow("no number") << QStringLiteral("abc-5") << QString();
        QTest::newRow("1000") << QStringLiteral("1000") << QStringLiteral("58.5");
    }

    void energyDecidesThePercentages()
    {
        QFETCH(QString, energy);
        QFETCH(QString, fatShare);
        SetTargetsDialog dialog(nullptr, nullptr, false);
        dialog.load(dayTargets(), daySizes());
        retype(dialog.targetEdit(DBTypes::ENERGY), energy);
        QCOMPARE(dialog.percentEdit(DBTypes::FAT)->text(), fatShare);
        QCOMPARE(dialog.percentEdit(DBTypes::PROTEIN)->text().isEmpty(), fatShare.isEmpty());
    }

    void percentageWithoutEnergy()
    {
        SetTargetsDialog dialog(nullptr, nullptr, false);
        dialog.load(dayTargets(), daySizes());
        dialog.targetEdit(DBTypes::ENERGY)->clear();
        QCOMPARE(dialog.percentEdit(DBTypes::CARBS)->text(), QString());
        QTest::keyClicks(dialog.percentEdit(DBTypes::FAT), QStringLiteral("30"));
        QCOMPARE(dialog.targetEdit(DBTypes::FAT)->text(), QStringLiteral("0.0"));
        QCOMPARE(dialog.targetEdit(DBTypes::PROTEIN)->text(), QStringLiteral("75.0"));
        QCOMPARE(dialog.targetEdit(DBTypes::CARBS)->text(), QStringLiteral("250.0"));
    }

    // In German the fields hold decimal commas, and a share typed rewrites its own grams
    // only: what was typed elsewhere stays as typed.
    void germanFiguresStayAsTyped()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        CheckinItem day = dayTargets();
        day.setTarget(DBTypes::PROTEIN, 112.5f);
        SetTargetsDialog dialog(nullptr, nullptr, false);
        dialog.load(day, daySizes());
        QCOMPARE(dialog.targetEdit(DBTypes::PROTEIN)->text(), QStringLiteral("112,5"));
        QCOMPARE(dialog.percentEdit(DBTypes::PROTEIN)->text(), QStringLiteral("22,5"));
        retype(dialog.targetEdit(DBTypes::CARBS), QStringLiteral("170,5"));
        QCOMPARE(dialog.percentEdit(DBTypes::CARBS)->text(), QStringLiteral("34,1"));
        retype(dialog.percentEdit(DBTypes::FAT), QStringLiteral("30"));
        QCOMPARE(dialog.targetEdit(DBTypes::FAT)->text(), QStringLiteral("66,7"));
        QCOMPARE(dialog.targetEdit(DBTypes::CARBS)->text(), QStringLiteral("170,5"));
        QCOMPARE(dialog.targetEdit(DBTypes::PROTEIN)->text(), QStringLiteral("112,5"));
        CheckinItem out;
        UserPrefs prefs;
        dialog.get(&out, &prefs);
        QCOMPARE(out.target(DBTypes::CARBS), 170.5f);
        QCOMPARE(out.target(DBTypes::PROTEIN), 112.5f);
    }

    // Grams typed that hold more energy than the whole day's target make a share OK refuses,
    // naming it.
    void impossibleSharesAreRefused()
    {
        ScriptedPrompter prompter;
        SetTargetsDialog dialog(nullptr, nullptr, false);
        dialog.load(dayTargets(), daySizes());
        retype(dialog.targetEdit(DBTypes::ENERGY), QStringLiteral("500"));
        retype(dialog.targetEdit(DBTypes::FAT), QStringLiteral("500"));
        retype(dialog.targetEdit(DBTypes::CARBS), QStringLiteral("1500"));
        QCOMPARE(dialog.percentEdit(DBTypes::FAT)->text(), QStringLiteral("900.0"));
        QCOMPARE(dialog.percentEdit(DBTypes::CARBS)->text(), QStringLiteral("1200.0"));
        dialog.findChild<QPushButton*>(QStringLiteral("_okButton"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompter.lastText(), QStringLiteral("Carb share must be a number from 0 to "
                                                     "100 %, with at most one decimal."));
        retype(dialog.targetEdit(DBTypes::CARBS), QStringLiteral("50"));
        retype(dialog.targetEdit(DBTypes::FAT), QStringLiteral("20"));
        dialog.findChild<QPushButton*>(QStringLiteral("_okButton"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void oddEntriesAndSizes()
    {
        UserPrefs prefs = daySizes();
        prefs.setTargetSize(DBTypes::SUGAR, UserPrefs::TargetSize(7));
        prefs.setTargetSize(DBTypes::SODIUM, UserPrefs::Small);
        SetTargetsDialog dialog(nullptr, nullptr, false);
        dialog.load(dayTargets(), prefs);
        QCOMPARE(dialog.sizeBox(DBTypes::SUGAR)->currentText(), QStringLiteral("Large"));
        dialog.targetEdit(DBTypes::SUGAR)->setText(QStringLiteral("lots"));
        dialog.targetEdit(DBTypes::CALCIUM)->setText(QStringLiteral("0"));

        CheckinItem checkin;
        checkin.setCustomRMR(1500.0f);
        UserPrefs out;
        dialog.get(&checkin, &out);
        QCOMPARE(checkin.target(DBTypes::SUGAR), 0.0f);
        QCOMPARE(checkin.target(DBTypes::CALCIUM), 0.0f);
        QVERIFY(!checkin.noTarget(DBTypes::CALCIUM));
        QCOMPARE(out.targetSize(DBTypes::SUGAR), UserPrefs::Large);
        QCOMPARE(out.targetSize(DBTypes::SODIUM), UserPrefs::Small);
        // Nothing but targets and sizes changes.
        QCOMPARE(checkin.customRMR(), 1500.0f);

        // A target of 0 loads as a value, an unset one as an empty field.
        CheckinItem zero;
        zero.setTarget(DBTypes::FIBER, 0.0f);
        zero.setTarget(DBTypes::SODIUM, SetTargetsDialog::BlankTarget);
        dialog.load(zero, prefs);
        QCOMPARE(dialog.targetEdit(DBTypes::FIBER)->text(), QStringLiteral("0.0"));
        QCOMPARE(dialog.targetEdit(DBTypes::SODIUM)->text(), QString());
        QCOMPARE(dialog.targetEdit(DBTypes::ENERGY)->text(), QString());
    }

    // A field the rule refuses keeps what was typed and OK names it with its range; nothing
    // typed is read as what is left when the refused characters are dropped.
    void okNamesTheFieldItRefuses_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("abc-5 energy") << "_calsLineEdit" << "abc-5"
                                      << "Energy must be a number from 500 to 10000 cals.";
        QTest::newRow("fat 999999") << "_fatLineEdit" << "999999"
                                    << "Fat must be a number from 0 to 500 g, with at most one "
                                       "decimal.";
        QTest::newRow("fat 6x5,5") << "_fatLineEdit" << "6x5,5"
                                   << "Fat must be a number from 0 to 500 g, with at most one "
                                      "decimal. Decimals are written with a point.";
        QTest::newRow("energy 1,500") << "_calsLineEdit" << "1,500"
                                      << "Energy must be a number from 500 to 10000 cals. Write "
                                         "the number without a thousands separator.";
        QTest::newRow("carbohydrate 150 %")
            << "_carbPercentLineEdit" << "150"
            << "Carb share must be a number from 0 to 100 %, with at most one decimal.";
        QTest::newRow("carbohydrate -12.5 %")
            << "_carbPercentLineEdit" << "-12.5"
            << "Carb share must be a number from 0 to 100 %, with at most one decimal.";
        QTest::newRow("sodium 1e3") << "_sodiumLineEdit" << "1e3"
                                    << "Sodium must be a number from 0 to 20000 mg, with at "
                                       "most one decimal.";
    }

    void okNamesTheFieldItRefuses()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        ScriptedPrompter prompter;
        SetTargetsDialog dialog(nullptr, nullptr, false);
        dialog.load(dayTargets(), daySizes());
        auto* edit = dialog.findChild<QLineEdit*>(field);
        QVERIFY(edit);
        edit->clear();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), typed);
        dialog.findChild<QPushButton*>(QStringLiteral("_okButton"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(prompter.lastCaption(), QStringLiteral("Set Targets"));
        QCOMPARE(prompter.lastText(), refusal);
    }

    // Targets the user leaves as shown are stored as they were, bit for bit, whatever their
    // rounded figures; one stored outside its range too, without a question.
    void untouchedTargetsKeepTheirStoredValues_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("energyUnit");
        QTest::addColumn<int>("nutrient");
        QTest::addColumn<float>("stored");
        QTest::addColumn<QString>("shown");
        const QLocale german(QLocale::German, QLocale::Germany);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const int kcal = UnitEnergy::Kilocalories;
        const int kJ = UnitEnergy::Kilojoules;
        QTest::newRow("fat beyond its range") << english << kcal << int(DBTypes::FAT) << 999999.0f
                                              << "999999.0";
        QTest::newRow("fat of many decimals") << english << kcal << int(DBTypes::FAT) << 61.1111f
                                              << "61.1";
        QTest::newRow("fat of many decimals, German")
            << german << kJ << int(DBTypes::FAT) << 61.1111f << "61,1";
        QTest::newRow("energy in kilojoules") << english << kJ << int(DBTypes::ENERGY) << 1719.0f
                                              << "7185";
        QTest::newRow("energy in kilojoules, German")
            << german << kJ << int(DBTypes::ENERGY) << 1719.0f << "7185";
        QTest::newRow("energy in kilocalories, German")
            << german << kcal << int(DBTypes::ENERGY) << 1719.4f << "1719";
        QTest::newRow("blank sodium, kilojoules, German")
            << german << kJ << int(DBTypes::SODIUM) << -1.0f << "";
        QTest::newRow("blank energy, kilocalories") << english << kcal << int(DBTypes::ENERGY)
                                                    << -1.0f << "";
    }

    void untouchedTargetsKeepTheirStoredValues()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, energyUnit);
        QFETCH(int, nutrient);
        QFETCH(float, stored);
        QFETCH(QString, shown);
        QLocale::setDefault(locale);
        useEnergyUnit(energyUnit);
        CheckinItem day = dayTargets();
        day.setTarget(NutType(nutrient), stored);
        const CheckinItem loaded = day;
        ScriptedPrompter prompter;
        SetTargetsDialog dialog(nullptr, nullptr, false);
        dialog.load(day, daySizes());
        QCOMPARE(dialog.targetEdit(NutType(nutrient))->text(), shown);
        dialog.findChild<QPushButton*>(QStringLiteral("_okButton"))->click();
        QVERIFY(prompter.asked.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isChanged());
        UserPrefs prefs;
        day = CheckinItem();
        dialog.get(&day, &prefs);
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
            const float want = loaded.target(NutType(nut));
            QVERIFY2(day.target(NutType(nut)) == want,
                     qPrintable(QString::number(double(day.target(NutType(nut))), 'g', 9)));
        }
    }
};

QTEST_MAIN(TestSetTargetsDialog)
#include "tst_settargetsdialog.moc"
