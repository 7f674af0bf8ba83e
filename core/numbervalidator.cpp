#include "core/numbervalidator.h"

#include "core/numberparser.h"

#include <QLocale>

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
    if (input.trimmed().isEmpty())
        return _blankAllowed ? Acceptable : Intermediate;
    return read(input) ? Acceptable : Intermediate;
}

std::optional<double> NumberValidator::read(const QString& text) const
{
    if (!_storedText.isEmpty() && text == _storedText)
        return NumberParser::parseAmount(text, locale());
    const std::optional<double> value = _number(text);
    if (!value || *value < _bottom || *value > _top)
        return std::nullopt;
    return value;
}

std::optional<double> NumberValidator::_number(const QString& text) const
{
    if (_fractions && (text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\'))))
        return NumberParser::parseAmount(text, locale());
    // A field holds the number alone: a blank typed before or after it is refused too.
    if (std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); }))
        return std::nullopt;
    const std::optional<QString> normalized = NumberParser::normalize(text, locale());
    if (!normalized)
        return std::nullopt;
    const qsizetype point = normalized->indexOf(QLatin1Char('.'));
    if (point >= 0 && (_decimals == 0 || normalized->size() - point - 1 > _decimals))
        return std::nullopt;
    return NumberParser::parse(*normalized, QLocale::c());
}

QString NumberValidator::refusal(const QString& text) const
{
    QString copy = text;
    int position = 0;
    if (validate(copy, position) == Acceptable)
        return QString();
    const QString units = _units.isEmpty() ? QString() : QLatin1Char(' ') + _units;
    QString sentence;
    if (_decimals == 0)
        sentence = tr("%1 must be a whole number from %2 to %3%4.");
    else if (_decimals == AnyDecimals)
        sentence = tr("%1 must be a number from %2 to %3%4.");
    else if (_decimals == 1)
        sentence = tr("%1 must be a number from %2 to %3%4, with at most one decimal.");
    else
        sentence = tr("%1 must be a number from %2 to %3%4, with at most %5 decimals.");
    sentence = sentence.arg(_name.isEmpty() ? tr("The value") : _name, _bound(_bottom),
                            _bound(_top), units);
    if (_decimals > 1 && _decimals != AnyDecimals)
        sentence = sentence.arg(_decimals);
    const QString hint = _separatorHint(text);
    return hint.isEmpty() ? sentence : sentence + QLatin1Char(' ') + hint;
}

QString NumberValidator::_separatorHint(const QString& text) const
{
    const QLocale shown = locale();
    if (!text.contains(NumberParser::foreignSeparator(shown)))
        return QString();
    if (NumberParser::isGrouped(text, shown))
        return tr("Write the number without a thousands separator.");
    if (_decimals == 0)
        return QString();
    return NumberParser::takesDecimalComma(shown) ? tr("Decimals are written with a comma.")
                                                  : tr("Decimals are written with a point.");
}

QString NumberValidator::_bound(double value) const
{
    QLocale shown = locale();
    shown.setNumberOptions(QLocale::OmitGroupSeparator);
    return shown.toString(value, 'g', 12);
}

void NumberValidator::setRange(double bottom, double top)
{
    _bottom = bottom;
    _top = top;
    emit changed();
}

void NumberValidator::setDecimals(int decimals)
{
    _decimals = decimals;
    emit changed();
}

void NumberValidator::setField(const QString& name, const QString& units)
{
    _name = name;
    _units = units;
}

void NumberValidator::setBlankAllowed(bool allowed)
{
    _blankAllowed = allowed;
    emit changed();
}

void NumberValidator::setFractionsAllowed(bool allowed)
{
    _fractions = allowed;
    emit changed();
}

void NumberValidator::setStoredText(const QString& text)
{
    _storedText = text;
    emit changed();
}
