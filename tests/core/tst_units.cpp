#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "core/unitenergy.h"
#include "core/unitmeasurement.h"
#include "core/unitweight.h"

#include "testbrand.h"

#include <QLocale>
#include <QTest>
#include <QValidator>

#include <memory>
#include <utility>

namespace {

QValidator::State validate(const UnitDescriptor* unit, QString text)
{
    QObject owner;
    QValidator* validator = unit->createValidator(&owner);
    int position = 0;
    return validator ? validator->validate(text, position) : QValidator::Invalid;
}

bool accepts(const UnitDescriptor* unit, QString text)
{
    return validate(unit, std::move(text)) == QValidator::Acceptable;
}

const UnitDescriptor* unit(UnitCollection::UnitType type)
{
    return UnitCollection::instance()->get(type);
}

} // namespace

class TestUnits : public QObject {
    Q_OBJECT

private:
    QTemporaryDir _dir;

private slots:
    void initTestCase()
    {
        loadTestBrand(_dir, "<string id=\"spelling_fiber\" value=\"Fibre\"/>\n");
    }

    void cleanup()
    {
        UnitCollection::cleanUp();
        QLocale::setDefault(QLocale::c());
    }

    void cleanupTestCase() { BrandEngine::cleanUp(); }

    void defaultsAndNutrientSlots()
    {
        QCOMPARE(unit(UnitCollection::Energy)->printNumberUnit(1234.4), QStringLiteral("1234 cals"));
        QCOMPARE(unit(UnitCollection::Weight)->printUnits(), QStringLiteral("kg"));
        QCOMPARE(unit(UnitCollection::Measurement)->printUnits(), QStringLiteral("in"));
        QCOMPARE(UnitCollection::instance()->get(DBTypes::PROTEIN),
                 unit(UnitCollection::Protein));
        QCOMPARE(UnitCollection::instance()->get(DBTypes::FIBER)->printName(),
                 QStringLiteral("Fibre"));
        QCOMPARE(UnitCollection::instance()->get(DBTypes::SODIUM)->printNumberUnit(2.25),
                 QStringLiteral("2.3 mg"));
        QCOMPARE(UnitCollection::instance()->get(DBTypes::CARBS)->printNumberUnit(12.0),
                 QStringLiteral("12.0 g"));
        QCOMPARE(unit(UnitCollection::Steps)->printNumber(10234.0), QStringLiteral("10234"));
    }

    void unsetValuesPrintAsDash()
    {
        for (int slot = UnitCollection::Energy; slot <= UnitCollection::Steps; ++slot) {
            const UnitDescriptor* descriptor = unit(UnitCollection::UnitType(slot));
            QCOMPARE(descriptor->printNumber(-1.0), QStringLiteral("-"));
            QCOMPARE(descriptor->printNumberUnit(-999.0), QStringLiteral("-"));
        }
        QCOMPARE(unit(UnitCollection::Energy)->printNumber(0.0), QStringLiteral("0"));
        QString out;
        unit(UnitCollection::Fat)->printNumber(out, 3.0);
        QCOMPARE(out, QStringLiteral("3.0"));
    }

    // A zero is never written with a sign; a difference follows from the figures shown.
    void zeroWithoutSignAndDifferencesThatAddUp()
    {
        const UnitDescriptor* energy = unit(UnitCollection::Energy);
        QCOMPARE(energy->printNumberUnit(-0.0), QStringLiteral("0 cals"));
        QCOMPARE(unit(UnitCollection::Fat)->printNumber(-0.0), QStringLiteral("0.0"));
        QCOMPARE(energy->printSignedNumberUnit(-0.0), QStringLiteral("0 cals"));
        QCOMPARE(energy->printSignedNumberUnit(-0.4), QStringLiteral("0 cals"));
        QCOMPARE(energy->printSignedNumberUnit(-0.6), QStringLiteral("-1 cals"));
        QCOMPARE(energy->printSignedNumber(-150.0), QStringLiteral("-150"));
        QCOMPARE(energy->printSignedNumber(150.0), QStringLiteral("150"));
        QCOMPARE(energy->shownValue(203.6), 204.0);
        QCOMPARE(energy->printDifferenceUnit(2370.4, 203.6), QStringLiteral("2166 cals"));
        QCOMPARE(energy->printDifferenceUnit(100.0, 100.0), QStringLiteral("0 cals"));
        UnitCollection::instance()->set(UnitCollection::Energy,
                                        new UnitEnergy(UnitEnergy::Kilojoules));
        energy = unit(UnitCollection::Energy);
        // 567 kJ and 49 kJ shown: 518 kJ, where the kilojoules of the difference round to 517.
        QCOMPARE(energy->printDifferenceUnit(135.6, 11.8), QStringLiteral("518 kJ"));
    }

    void kilojoules()
    {
        UnitCollection::instance()->set(UnitCollection::Energy,
                                        new UnitEnergy(UnitEnergy::Kilojoules));
        const UnitDescriptor* energy = unit(UnitCollection::Energy);
        QCOMPARE(energy->printNumberUnit(100.0), QStringLiteral("418 kJ"));
        QCOMPARE(energy->input(QStringLiteral("418")), 100.0);
        QCOMPARE(energy->printName(), QStringLiteral("Kilojoules"));
    }

    void pounds()
    {
        const UnitWeight pounds(UnitWeight::Pounds);
        QVERIFY(qAbs(pounds.input(QStringLiteral("154.3")) - 69.99) < 0.005);
        QCOMPARE(pounds.printNumberUnit(70.0), QStringLiteral("154.3 lb"));
        QCOMPARE(UnitWeight::imperialToMetric(UnitWeight::metricToImperial(82.5)), 82.5);
        // What is shown reads back as the value within the shown precision.
        for (double kilograms : {45.0, 63.2, 99.9, 140.4}) {
            const double back = pounds.input(pounds.printNumber(kilograms));
            QVERIFY2(qAbs(back - kilograms) < 0.05 * UnitWeight::KILOGRAMS_PER_POUND,
                     qPrintable(QString::number(kilograms)));
        }
    }

    // What the program writes into a field is the printed figure in the user's locale, and
    // reads back as that figure; an unset value leaves the field blank.
    void fieldsHoldTheFigureInTheLocalesForm()
    {
        const UnitWeight pounds(UnitWeight::Pounds);
        const UnitMeasurement centimetres(UnitMeasurement::Centimetres);
        for (const QLocale& locale : {QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::English, QLocale::UnitedStates)}) {
            QLocale::setDefault(locale);
            const QString point = locale.decimalPoint();
            QCOMPARE(pounds.printField(70.0), QStringLiteral("154") + point + QStringLiteral("3"));
            QVERIFY(qAbs(pounds.input(pounds.printField(70.0)) - 69.99) < 0.005);
            QCOMPARE(centimetres.printField(1800.5), QStringLiteral("1800") + point + "50");
            QCOMPARE(centimetres.input(centimetres.printField(1800.5)), 1800.5);
            QCOMPARE(unit(UnitCollection::Steps)->printField(12000.0), QStringLiteral("12000"));
            QCOMPARE(pounds.printField(-1.0), QString());
        }
        QLocale::setDefault(QLocale::c());
    }

    void inches()
    {
        const UnitMeasurement inches(UnitMeasurement::Inches);
        QCOMPARE(inches.printNumberUnit(254.0), QStringLiteral("100.00 in"));
        QCOMPARE(inches.input(QStringLiteral("10")), 25.4);
    }

    void feetAndInches_data()
    {
        QTest::addColumn<double>("centimetres");
        QTest::addColumn<double>("feet");
        QTest::addColumn<double>("inches");
        QTest::newRow("six feet exactly") << 182.88 << 6.0 << 0.0;
        QTest::newRow("rounded up") << 175.0 << 5.0 << 9.0;
        QTest::newRow("rounded and carried") << 212.344 << 7.0 << 0.0;
        QTest::newRow("rounded down") << 170.0 << 5.0 << 7.0;
    }

    void feetAndInches()
    {
        QFETCH(double, centimetres);
        QFETCH(double, feet);
        QFETCH(double, inches);
        double gotFeet = -1.0;
        double gotInches = -1.0;
        UnitMeasurement::metricToImperial(centimetres, gotFeet, gotInches);
        QCOMPARE(gotFeet, feet);
        QCOMPARE(gotInches, inches);
    }

    void feetAndInchesToWholeCentimetres()
    {
        double centimetres = 0.0;
        UnitMeasurement::imperialToMetric(5.0, 9.0, centimetres);
        QCOMPARE(centimetres, 175.0);
    }

    // Every figure shown in a text follows the locale's decimal separator and keeps its sign,
    // in kilocalories and in kilojoules.
    void shownFiguresFollowTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("kilojoules");
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("withUnit");
        QTest::addColumn<QString>("signedWithUnit");
        const QLocale german(QLocale::German, QLocale::Germany);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("fat, German") << german << false << int(UnitCollection::Fat) << 61.66
                                     << "61,7" << "61,7 g" << "61,7 g";
        QTest::newRow("fat, English") << english << false << int(UnitCollection::Fat) << 61.66
                                      << "61.7" << "61.7 g" << "61.7 g";
        QTest::newRow("fat below zero, German")
            << german << false << int(UnitCollection::Fat) << -12.26 << "-" << "-" << "-12,3 g";
        QTest::newRow("fat a hair below zero, German")
            << german << false << int(UnitCollection::Fat) << -0.04 << "-" << "-" << "0,0 g";
        QTest::newRow("waist, German") << german << false << int(UnitCollection::Measurement)
                                       << 224.79 << "88,50" << "88,50 in" << "88,50 in";
        QTest::newRow("weight, German") << german << false << int(UnitCollection::Weight)
                                        << 75.84 << "75,8" << "75,8 kg" << "75,8 kg";
        QTest::newRow("energy, German") << german << false << int(UnitCollection::Energy)
                                        << -1719.4 << "-" << "-" << "-1719 cals";
        QTest::newRow("kilojoules, German") << german << true << int(UnitCollection::Energy)
                                            << 1719.0 << "7185" << "7185 kJ" << "7185 kJ";
        QTest::newRow("kilojoules below zero, English")
            << english << true << int(UnitCollection::Energy) << -100.0 << "-" << "-"
            << "-418 kJ";
        QTest::newRow("steps, German") << german << false << int(UnitCollection::Steps)
                                       << 12000.0 << "12000" << "12000" << "12000";
        QTest::newRow("steps of zero, German")
            << german << false << int(UnitCollection::Steps) << 0.0 << "0" << "0" << "0";
    }

    void shownFiguresFollowTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(bool, kilojoules);
        QFETCH(int, type);
        QFETCH(double, value);
        QFETCH(QString, number);
        QFETCH(QString, withUnit);
        QFETCH(QString, signedWithUnit);
        QLocale::setDefault(locale);
        if (kilojoules)
            UnitCollection::instance()->set(UnitCollection::Energy,
                                            new UnitEnergy(UnitEnergy::Kilojoules));
        const UnitDescriptor* descriptor = unit(UnitCollection::UnitType(type));
        QCOMPARE(descriptor->printNumber(value), number);
        QCOMPARE(descriptor->printNumberUnit(value), withUnit);
        QCOMPARE(descriptor->printSignedNumberUnit(value), signedWithUnit);
        // A field holds the figure shown, and the difference of two figures is one too.
        if (value >= 0.0) {
            QCOMPARE(descriptor->printField(value), number);
            QCOMPARE(descriptor->printDifference(value, 0.0), number);
        }
    }

    // Typed numbers take the locale's decimal separator only; the other is refused, never
    // read as another number.
    void typedTextFollowsTheLocalesDecimalPoint()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const UnitDescriptor* fat = unit(UnitCollection::Fat);
        QCOMPARE(fat->input(QStringLiteral("2.5")), 0.0);
        QCOMPARE(fat->input(QStringLiteral("2,5")), 2.5);
        QVERIFY(!accepts(unit(UnitCollection::Steps), QStringLiteral("5.000")));
        QCOMPARE(fat->input(QStringLiteral(" 12 ")), 12.0);
        QVERIFY(accepts(fat, QStringLiteral("2,5")));
        QVERIFY(accepts(unit(UnitCollection::Weight), QStringLiteral("72,5")));
        QVERIFY(!accepts(unit(UnitCollection::Steps), QStringLiteral("8,360")));
        QCOMPARE(fat->input(QStringLiteral("abc")), 0.0);
        QCOMPARE(fat->input(QStringLiteral("nan")), 0.0);
        QCOMPARE(fat->input(QStringLiteral("1e60")), 0.0);
        QCOMPARE(fat->input(QString(60, QLatin1Char('9'))), 0.0);

        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(!accepts(fat, QStringLiteral("2,5")));
        QVERIFY(!accepts(unit(UnitCollection::Energy), QStringLiteral("8,360")));
        QCOMPARE(fat->input(QStringLiteral("2,5")), 0.0);
        QCOMPARE(fat->input(QStringLiteral("2.5")), 2.5);
    }

    void validators()
    {
        const UnitDescriptor* weight = unit(UnitCollection::Weight);
        QVERIFY(accepts(weight, QStringLiteral("1.0")));
        QVERIFY(!accepts(weight, QStringLiteral("0.5")));
        const UnitDescriptor* height = unit(UnitCollection::Measurement);
        QVERIFY(accepts(height, QStringLiteral("170")));
        QVERIFY(!accepts(height, QStringLiteral("170.5")));
        QVERIFY(!accepts(height, QStringLiteral("0")));
        const UnitDescriptor* steps = unit(UnitCollection::Steps);
        QVERIFY(accepts(steps, QStringLiteral("2000000")));
        QVERIFY(!accepts(steps, QStringLiteral("2000001")));
        const UnitDescriptor* sugar = unit(UnitCollection::Sugar);
        QVERIFY(accepts(sugar, QStringLiteral("12.5")));
        QVERIFY(!accepts(sugar, QStringLiteral("12.55")));
        QVERIFY(!accepts(sugar, QStringLiteral("-1")));
        QVERIFY(accepts(unit(UnitCollection::Energy), QStringLiteral("123456789")));
        QVERIFY(!accepts(unit(UnitCollection::Energy), QStringLiteral("-5")));

        QTest::ignoreMessage(QtWarningMsg,
                             "WARNING: UnitIron, This unit descriptor has no validator");
        QObject owner;
        QCOMPARE(unit(UnitCollection::Iron)->createValidator(&owner), nullptr);
    }

    // A field's plausible range is held in the internal unit and refused in the user's.
    void fieldRangesFollowTheUsersUnits()
    {
        const auto refusal = [](const UnitDescriptor& unit, const QString& name,
                                const PlausibleRange& range) {
            QObject owner;
            return unit.createFieldValidator(name, range, &owner)->refusal(QStringLiteral("abc-5"));
        };
        QCOMPARE(refusal(UnitWeight(UnitWeight::Pounds), QStringLiteral("Weight"),
                         PlausibleRange::of(PlausibleRange::Weight)),
                 QStringLiteral("Weight must be a number from 22.1 to 1433 lb."));
        QCOMPARE(refusal(UnitMeasurement(UnitMeasurement::Inches), QStringLiteral("Chest"),
                         PlausibleRange::of(PlausibleRange::Chest)),
                 QStringLiteral("Chest must be a whole number from 12 to 98 in."));
        QCOMPARE(refusal(UnitEnergy(UnitEnergy::Kilojoules), QStringLiteral("Energy"),
                         PlausibleRange::target(DBTypes::ENERGY)),
                 QStringLiteral("Energy must be a number from 2090 to 41800 kJ."));
    }

    void unknownVariantShowsZero()
    {
        const UnitEnergy broken(5);
        QTest::ignoreMessage(QtWarningMsg, "Invalid type");
        QCOMPARE(broken.displayValue(100.0), 0.0);
        QTest::ignoreMessage(QtWarningMsg, "invalid type");
        QCOMPARE(broken.input(QStringLiteral("100")), 0.0);
        const UnitWeight brokenWeight(3);
        QTest::ignoreMessage(QtWarningMsg, "Invalid unit");
        QCOMPARE(brokenWeight.input(QStringLiteral("100")), 0.0);
    }
};

QTEST_MAIN(TestUnits)
#include "tst_units.moc"
