#ifndef PANTREL_CORE_NUMBERPARSER_H
#define PANTREL_CORE_NUMBERPARSER_H

#include <QChar>
#include <QLocale>
#include <QString>

#include <optional>

// Reads the numbers users type and writes the numbers the program puts into fields and shows
// in texts, one rule for every figure a user reads or types. The locale's decimal separator
// (a comma where it writes decimals with one, a point elsewhere) is the only one: the other of
// the two is never a part of a number, so "1.000" is refused where a comma is the decimal
// separator and "8,360" where a point is, and neither is read as a thousand or as a decimal.
// Signs other than a leading minus, exponents and any other character are refused too.
class NumberParser {
public:
    // The number in text (blanks around it allowed), or nothing when text is not one.
    static std::optional<double> parse(const QString& text, const QLocale& locale = QLocale());

    // An amount: a number, a fraction ("3/4") or a whole number and a fraction ("1 1/2"), a
    // backslash dividing too; each part read by parse. Nothing for a zero divisor.
    static std::optional<double> parseAmount(const QString& text, const QLocale& locale = QLocale());

    // text in the form the C locale reads ("-12.5"): blanks removed, the decimal comma made a
    // point. Nothing when text holds a character that no number may hold, a minus anywhere but
    // first, or more than one decimal separator. The result may still be incomplete ("", "-",
    // ".").
    static std::optional<QString> normalize(const QString& text, const QLocale& locale);

    // value with decimals digits after the separator, in the form parse reads back in locale:
    // its decimal separator, no group separators, a minus only before a figure that is not 0.
    static QString write(double value, int decimals, const QLocale& locale = QLocale());
    // value with up to six significant digits and no trailing zeros ("1,5", "250"), in the
    // same form as write.
    static QString writeShort(double value, const QLocale& locale = QLocale());
    // value rounded to decimals digits after the separator, as write writes it.
    static double rounded(double value, int decimals);
    // A number written in the C locale's form ("-12.5") in locale's form ("-12,5").
    static QString localize(const QString& number, const QLocale& locale = QLocale());

    // True when locale writes decimals with a comma.
    static bool takesDecimalComma(const QLocale& locale);
    // The decimal separator of locale.
    static QChar decimalSeparator(const QLocale& locale);
    // The other of point and comma, which no number of locale holds.
    static QChar foreignSeparator(const QLocale& locale);
    // True when text is a number written with locale's group separator where that is the
    // foreign separator ("1,500" in English, "5.000" in German): someone meant a thousands
    // separator there.
    static bool isGrouped(const QString& text, const QLocale& locale);
};

#endif
