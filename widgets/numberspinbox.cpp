#include "widgets/numberspinbox.h"

#include "core/numberparser.h"

#include <cmath>
#include <optional>

namespace {

// The whole number in text when the rule reads one; nothing otherwise.
std::optional<int> wholeNumber(const QString& text, const QLocale& locale)
{
    const std::optional<double> value = NumberParser::parse(text, locale);
    if (!value || *value != std::trunc(*value) || std::abs(*value) > 2147483647.0)
        return std::nullopt;
    return int(*value);
}

} // namespace

NumberSpinBox::NumberSpinBox(QWidget* parent) : QSpinBox(parent)
{
}

QValidator::State NumberSpinBox::validate(QString& input, int&) const
{
    const std::optional<int> value = wholeNumber(input, locale());
    return value && *value >= minimum() && *value <= maximum() ? QValidator::Acceptable
                                                              : QValidator::Intermediate;
}

int NumberSpinBox::valueFromText(const QString& text) const
{
    return wholeNumber(text, locale()).value_or(value());
}

QString NumberSpinBox::textFromValue(int value) const
{
    return QString::number(value);
}
