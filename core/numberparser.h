#ifndef PANTREL_CORE_NUMBERPARSER_H
#define PANTREL_CORE_NUMBERPARSER_H

#include <QLocale>
#include <QString>

#include <optional>

// Reads the numbers users type, one rule for every number field of the program. A point is
// the decimal point in every locale; where the locale writes decimals with a comma, a comma
// is one too. A group separator is never a part of a number: "8,360" is refused in a locale
// that writes decimals with a point, and never read as 8360. Signs other than a leading minus,
// exponents and any other character are refused too.
class NumberParser {
public:
    // The number in text (blanks around it allowed), or nothing when text is not one.
    static std::optional<double> parse(const QString& text, const QLocale& locale = QLocale());

    // An amount: a number, a fraction ("3/4") or a whole number and a fraction ("1 1/2"), a
    // backslash dividing too; each part read by parse. Nothing for a zero divisor.
    static std::optional<double> parseAmount(const QString& text, const QLocale& locale = QLocale());

    // text in the form the C locale reads ("-12.5"): blanks removed, the decimal comma made a
    // point. Nothing when text holds a character that no number may hold, a minus anywhere but
    // first, or more than one decimal point. The result may still be incomplete ("", "-", ".").
    static std::optional<QString> normalize(const QString& text, const QLocale& locale);

    // True when locale writes decimals with a comma.
    static bool takesDecimalComma(const QLocale& locale);
};

#endif
