// The one rule by which every number field reads what is typed, in a locale that writes
// decimals with a comma, in English and in C.

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
            QTest::newRow(name + " point") << locale << QStringLiteral("72.5") << std::optional(72.5);
            QTest::newRow(name + " comma") << locale << QStringLiteral("72,5")
                                           << (comma ? std::optional(72.5) : none);
            QTest::newRow(name + " grouped") << locale << QStringLiteral("8,360")
                                             << (comma ? std::optional(8.36) : none);
            QTest::newRow(name + " blanks") << locale << QStringLiteral(" 12 ") << std::optional(12.0);
            QTest::newRow(name + " negative") << locale << QStringLiteral("-3.5") << std::optional(-3.5);
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

    void validatorAcceptsOnlyWhatIsReadAsTyped_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        QTest::newRow("comma in German") << German << QStringLiteral("72,5")
                                         << int(QValidator::Acceptable);
        QTest::newRow("point in German") << German << QStringLiteral("72.5")
                                         << int(QValidator::Acceptable);
        QTest::newRow("comma in English") << English << QStringLiteral("72,5")
                                          << int(QValidator::Invalid);
        QTest::newRow("comma in C") << QLocale::c() << QStringLiteral("8,360")
                                    << int(QValidator::Invalid);
        QTest::newRow("German grouping") << German << QStringLiteral("1.000,5")
                                         << int(QValidator::Invalid);
        QTest::newRow("too many decimals") << German << QStringLiteral("72,55")
                                           << int(QValidator::Invalid);
        QTest::newRow("above the top") << English << QStringLiteral("1000.5")
                                       << int(QValidator::Invalid);
        QTest::newRow("below the bottom") << English << QStringLiteral("0.5")
                                          << int(QValidator::Intermediate);
        QTest::newRow("negative") << English << QStringLiteral("-5") << int(QValidator::Invalid);
        QTest::newRow("being typed") << German << QStringLiteral(",") << int(QValidator::Intermediate);
        QTest::newRow("empty") << English << QString() << int(QValidator::Intermediate);
        QTest::newRow("trailing point") << English << QStringLiteral("72.")
                                        << int(QValidator::Acceptable);
    }

    void validatorAcceptsOnlyWhatIsReadAsTyped()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(int, state);
        QLocale::setDefault(locale);
        const NumberValidator validator(1.0, 999.0, 1, nullptr);
        QCOMPARE(int(validate(validator, text)), state);
        if (state == QValidator::Acceptable)
            QVERIFY(NumberParser::parse(text).has_value());
    }

    void wholeNumbersRefuseEveryDecimalPoint()
    {
        QLocale::setDefault(German);
        const NumberValidator validator(0.0, 2000000.0, 0, nullptr);
        QCOMPARE(validate(validator, QStringLiteral("2000000")), QValidator::Acceptable);
        QCOMPARE(validate(validator, QStringLiteral("2000001")), QValidator::Invalid);
        QCOMPARE(validate(validator, QStringLiteral("8,3")), QValidator::Invalid);
        QCOMPARE(validate(validator, QStringLiteral("8.3")), QValidator::Invalid);
    }
};

QTEST_GUILESS_MAIN(TestNumberParser)
#include "tst_numberparser.moc"
