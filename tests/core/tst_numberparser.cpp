// The one rule by which every number field reads what is typed and the program writes what
// it puts into a field, in a locale that writes decimals with a comma, in English and in C.

#include "core/numberparser.h"
#include "core/numbervalidator.h"

#include <QLocale>
#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(std::optional<double>)

namespace {

const QLocale German(QLocale::German, QLocale::Germany);
const QLocale English(QLocale::English, QLocale::UnitedStates);

QValidator::State validate(const NumberValidator& validator, QString text)
{
    int position = 0;
    return validator.validate(text, position);
}

} // namespace

class TestNumberParser : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void readsAsTheLocaleWrites_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("expected");
        const std::optional<double> none;
        for (const QLocale& locale : {German, English, QLocale::c()}) {
            const QByteArray name = locale.name().toLatin1();
            const bool comma = locale == German;
            QTest::newRow(name + " point") << locale << QStringLiteral("72.5")
                                           << (comma ? none : std::optional(72.5));
            QTest::newRow(name + " comma") << locale << QStringLiteral("72,5")
                                           << (comma ? std::optional(72.5) : none);
            QTest::newRow(name + " grouped") << locale << QStringLiteral("8,360")
                                             << (comma ? std::optional(8.36) : none);
            QTest::newRow(name + " blanks") << locale << QStringLiteral(" 12 ") << std::optional(12.0);
            QTest::newRow(name + " negative") << locale << QStringLiteral("-3") << std::optional(-3.0);
            QTest::newRow(name + " German thousand") << locale << QStringLiteral("1.000")
                                                     << (comma ? none : std::optional(1.0));
            QTest::newRow(name + " two points") << locale << QStringLiteral("1.000.5") << none;
            QTest::newRow(name + " point and comma") << locale << QStringLiteral("1.000,5") << none;
            QTest::newRow(name + " inner blank") << locale << QStringLiteral("8 360") << none;
            QTest::newRow(name + " exponent") << locale << QStringLiteral("1e6") << none;
            QTest::newRow(name + " plus") << locale << QStringLiteral("+4") << none;
            QTest::newRow(name + " late minus") << locale << QStringLiteral("4-") << none;
            QTest::newRow(name + " words") << locale << QStringLiteral("nan") << none;
            QTest::newRow(name + " empty") << locale << QString() << none;
            QTest::newRow(name + " point only") << locale << QStringLiteral(".") << none;
        }
        QTest::newRow("German group separator") << German << QStringLiteral("8.360,5") << none;
    }

    void readsAsTheLocaleWrites()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(std::optional<double>, expected);
        QCOMPARE(NumberParser::parse(text, locale), expected);
        // The default locale is the user's.
        QLocale::setDefault(locale);
        QCOMPARE(NumberParser::parse(text), expected);
    }

    // The validator never refuses a keystroke: what it does not accept stays in the field
    // as not yet acceptable, so that no character vanishes and joins the digits around it.
    void validatorAcceptsOnlyWhatIsReadAsTyped_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("read");
        const std::optional<double> none;
        QTest::newRow("comma in German") << German << QStringLiteral("72,5") << std::optional(72.5);
        QTest::newRow("point in German") << German << QStringLiteral("72.5") << none;
        QTest::newRow("comma in English") << English << QStringLiteral("72,5") << none;
        QTest::newRow("comma in C") << QLocale::c() << QStringLiteral("8,360") << none;
        QTest::newRow("German grouping") << German << QStringLiteral("1.000,5") << none;
        QTest::newRow("too many decimals") << German << QStringLiteral("72,55") << none;
        QTest::newRow("above the top") << English << QStringLiteral("1000.5") << none;
        QTest::newRow("below the bottom") << English << QStringLiteral("0.5") << none;
        QTest::newRow("negative") << English << QStringLiteral("-5") << none;
        QTest::newRow("letters before") << English << QStringLiteral("abc-5") << none;
        QTest::newRow("exponent") << German << QStringLiteral("1e3") << none;
        QTest::newRow("being typed") << German << QStringLiteral(",") << none;
        QTest::newRow("empty") << English << QString() << none;
        QTest::newRow("blank around") << English << QStringLiteral(" 12") << none;
        QTest::newRow("trailing point") << English << QStringLiteral("72.") << std::optional(72.0);
        QTest::newRow("trailing comma") << German << QStringLiteral("72,") << std::optional(72.0);
    }

    void validatorAcceptsOnlyWhatIsReadAsTyped()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(std::optional<double>, read);
        QLocale::setDefault(locale);
        const NumberValidator validator(1.0, 999.0, 1, nullptr);
        const QValidator::State expected = read ? QValidator::Acceptable : QValidator::Intermediate;
        QCOMPARE(validate(validator, text), expected);
        QCOMPARE(validator.read(text), read);
        if (read)
            QCOMPARE(NumberParser::parse(text), read);
    }

    void wholeNumbersRefuseEveryDecimalPoint()
    {
        QLocale::setDefault(German);
        const NumberValidator validator(0.0, 2000000.0, 0, nullptr);
        QCOMPARE(validate(validator, QStringLiteral("2000000")), QValidator::Acceptable);
        QCOMPARE(validate(validator, QStringLiteral("2000001")), QValidator::Intermediate);
        QCOMPARE(validate(validator, QStringLiteral("8,3")), QValidator::Intermediate);
        QCOMPARE(validate(validator, QStringLiteral("8.3")), QValidator::Intermediate);
    }

    void amountsTakeFractions_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("expected");
        const std::optional<double> none;
        QTest::newRow("number") << English << QStringLiteral("1.5") << std::optional(1.5);
        QTest::newRow("fraction") << English << QStringLiteral("3/4") << std::optional(0.75);
        QTest::newRow("backslash") << English << QStringLiteral("1 1\\2") << std::optional(1.5);
        QTest::newRow("mixed") << English << QStringLiteral("1 1/2") << std::optional(1.5);
        QTest::newRow("decimal comma fraction") << German << QStringLiteral("1,5/3")
                                                << std::optional(0.5);
        QTest::newRow("comma in English") << English << QStringLiteral("1,5/3") << none;
        QTest::newRow("zero divisor") << English << QStringLiteral("3/0") << none;
        QTest::newRow("negative divisor") << English << QStringLiteral("3/-4") << none;
        QTest::newRow("no numerator") << English << QStringLiteral("/4") << none;
        QTest::newRow("two words") << English << QStringLiteral("1 1") << none;
        QTest::newRow("letters") << English << QStringLiteral("a/4") << none;
    }

    void amountsTakeFractions()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(std::optional<double>, expected);
        QCOMPARE(NumberParser::parseAmount(text, locale), expected);
    }

    // A refusal names the field and its range in the field's units, and tells where the
    // locale writes decimals with a point that a comma is none.
    void refusalNamesTheFieldAndItsRange_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("accepted") << English << 1 << "72.5" << "";
        QTest::newRow("whole") << English << 0 << "7.5"
                               << "Waist must be a whole number from 30 to 300.5 cm.";
        QTest::newRow("one decimal") << English << 1 << ""
                                     << "Waist must be a number from 30 to 300.5 cm, with at "
                                        "most one decimal.";
        QTest::newRow("two decimals") << English << 2 << "-5"
                                      << "Waist must be a number from 30 to 300.5 cm, with at "
                                         "most 2 decimals.";
        QTest::newRow("any decimals") << English << NumberValidator::AnyDecimals << "301"
                                      << "Waist must be a number from 30 to 300.5 cm.";
        QTest::newRow("comma in English") << English << NumberValidator::AnyDecimals << "72,5"
                                          << "Waist must be a number from 30 to 300.5 cm. "
                                             "Decimals are written with a point.";
        QTest::newRow("point in German") << German << 1 << "72.5"
                                         << "Waist must be a number from 30 to 300,5 cm, with at "
                                            "most one decimal. Decimals are written with a comma.";
        QTest::newRow("thousands in English") << English << 1 << "1,500"
                                              << "Waist must be a number from 30 to 300.5 cm, "
                                                 "with at most one decimal. Write the number "
                                                 "without a thousands separator.";
        QTest::newRow("thousands in German") << German << 0 << "5.000"
                                             << "Waist must be a whole number from 30 to 300,5 "
                                                "cm. Write the number without a thousands "
                                                "separator.";
        QTest::newRow("German thousands with decimals") << German << 1 << "1.000,5"
                                                        << "Waist must be a number from 30 to "
                                                           "300,5 cm, with at most one decimal. "
                                                           "Write the number without a "
                                                           "thousands separator.";
        QTest::newRow("comma in a whole number") << English << 0 << "1,5"
                                                 << "Waist must be a whole number from 30 to "
                                                    "300.5 cm.";
        QTest::newRow("point in a whole number") << German << 0 << "1.5"
                                                 << "Waist must be a whole number from 30 to "
                                                    "300,5 cm.";
        QTest::newRow("German bounds") << German << NumberValidator::AnyDecimals << "8.36.0"
                                       << "Waist must be a number from 30 to 300,5 cm. "
                                          "Decimals are written with a comma.";
    }

    void refusalNamesTheFieldAndItsRange()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        QLocale::setDefault(locale);
        NumberValidator validator(30.0, 300.5, decimals, nullptr);
        validator.setField(QStringLiteral("Waist"), QStringLiteral("cm"));
        QCOMPARE(validator.refusal(text), refusal);
    }

    // What the program writes into a field or a text is read back as written, in every locale;
    // decimals of -1 write the shortest figure of six digits at most.
    void writtenNumbersReadBack_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("written");
        QTest::newRow("German weight") << German << 159.8 << 1 << "159,8";
        QTest::newRow("English weight") << English << 159.8 << 1 << "159.8";
        QTest::newRow("C amount") << QLocale::c() << 1.0 << 2 << "1.00";
        QTest::newRow("German thousands") << German << 8360.0 << 0 << "8360";
        QTest::newRow("English thousands") << English << 12345.25 << 2 << "12345.25";
        QTest::newRow("negative") << German << -2.5 << 1 << "-2,5";
        QTest::newRow("rounded to zero") << English << -0.04 << 1 << "0.0";
        QTest::newRow("German height, shortest") << German << 170.18 << -1 << "170,18";
        QTest::newRow("whole amount, shortest") << English << 2.0 << -1 << "2";
        QTest::newRow("German minutes below zero, shortest") << German << -30.5 << -1 << "-30,5";
        QTest::newRow("ten million, shortest") << German << 1e7 << -1 << "10000000";
    }

    void writtenNumbersReadBack()
    {
        QFETCH(QLocale, locale);
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, written);
        const auto write = [decimals](double number, const QLocale& in) {
            return decimals < 0 ? NumberParser::writeShort(number, in)
                                : NumberParser::write(number, decimals, in);
        };
        QCOMPARE(write(value, locale), written);
        const double readBack = written == "0.0" ? 0.0 : value;
        QCOMPARE(NumberParser::parse(written, locale), std::optional(readBack));
        if (decimals >= 0)
            QCOMPARE(NumberParser::rounded(value, decimals), readBack);
        QLocale::setDefault(locale);
        QCOMPARE(write(value, QLocale()), written);
    }

    // Text shown for a stored value stays acceptable, even outside the range, until edited.
    void storedTextIsAcceptedAsShown()
    {
        NumberValidator validator(30.0, 300.0, 2, nullptr);
        validator.setStoredText(QStringLiteral("999.00"));
        QCOMPARE(validator.read(QStringLiteral("999.00")), std::optional(999.0));
        QCOMPARE(validate(validator, QStringLiteral("999.0")), QValidator::Intermediate);
        validator.setBlankAllowed(true);
        QCOMPARE(validate(validator, QString()), QValidator::Acceptable);
        QCOMPARE(validator.read(QString()), std::optional<double>());
    }
};

QTEST_GUILESS_MAIN(TestNumberParser)
#include "tst_numberparser.moc"
