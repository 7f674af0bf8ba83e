#include "core/numbervalidator.h"

#include "core/numberparser.h"

#include <algorithm>

NumberValidator::NumberValidator(double bottom, double top, int decimals, QObject* parent)
    : QValidator(parent)
    , _bottom(bottom)
    , _top(top)
    , _decimals(decimals)
{
}

QValidator::State NumberValidator::validate(QString& input, int&) const
{
    // A field holds the number alone: a blank typed before or after it is refused too.
    if (std::any_of(input.cbegin(), input.cend(), [](QChar c) { return c.isSpace(); }))
        return Invalid;
    const std::optional<QString> normalized = NumberParser::normalize(input, locale());
    if (!normalized)
        return Invalid;
    if (normalized->startsWith(QLatin1Char('-')) && _bottom >= 0.0)
        return Invalid;
    const qsizetype point = normalized->indexOf(QLatin1Char('.'));
    if (point >= 0 && normalized->size() - point - 1 > _decimals)
        return Invalid;
    if (point >= 0 && _decimals == 0)
        return Invalid;
    const std::optional<double> value = NumberParser::parse(*normalized, QLocale::c());
    if (!value)
        return Intermediate;
    if (*value > _top)
        return *value >= 0.0 ? Invalid : Intermediate;
    if (*value < _bottom)
        return *value <= 0.0 && _bottom <= 0.0 ? Invalid : Intermediate;
    return Acceptable;
}
