#include "core/unitdescriptor.h"

#include "core/numberparser.h"
#include "core/numbervalidator.h"
#include "core/plausiblerange.h"

#include <QByteArray>

#include <cxxabi.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <typeinfo>

namespace {

// The readable name of a descriptor's class, for warnings.
QByteArray className(const UnitDescriptor& descriptor)
{
    const char* mangled = typeid(descriptor).name();
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    return status == 0 && demangled ? QByteArray(demangled.get()) : QByteArray(mangled);
}

} // namespace

UnitDescriptor::UnitDescriptor(const QString& name, int decimals, const QString& unitText,
                               const QString& units)
    : _decimals(decimals)
    , _unitText(unitText)
    , _missingText(QStringLiteral("-"))
    , _units(units)
    , _name(name)
{
}

UnitDescriptor::~UnitDescriptor() = default;

double UnitDescriptor::displayValue(double value) const
{
    return value;
}

bool UnitDescriptor::isValid(double value) const
{
    return value >= 0.0;
}

QValidator* UnitDescriptor::createValidator(QObject*) const
{
    qWarning("WARNING: %s, This unit descriptor has no validator", className(*this).constData());
    return nullptr;
}

NumberValidator* UnitDescriptor::createFieldValidator(const QString& name,
                                                      const PlausibleRange& range,
                                                      QObject* parent) const
{
    auto* validator = static_cast<NumberValidator*>(createValidator(parent));
    Q_ASSERT(validator);
    // Bounds shown in whole numbers, or in tenths for a field that takes decimals.
    const double scale = validator->decimals() == 0 ? 1.0 : 10.0;
    const double bottom = std::ceil(displayValue(range.bottom()) * scale - 1e-6) / scale;
    const double top = std::floor(displayValue(range.top()) * scale + 1e-6) / scale;
    validator->setRange(bottom, top);
    validator->setField(name, _units);
    return validator;
}

double UnitDescriptor::input(const QString& text) const
{
    return parseNumber(text);
}

double UnitDescriptor::parseNumber(const QString& text)
{
    // Values are kept as floats: a number beyond a float's range reads as none.
    const float value = float(NumberParser::parse(text).value_or(0.0));
    return std::isfinite(value) ? value : 0.0;
}

QValidator* UnitDescriptor::createNutrientValidator(QObject* parent)
{
    return new NumberValidator(0.0, 2000000.0, 1, parent);
}

QValidator* UnitDescriptor::createDecimalValidator(double bottom, QObject* parent)
{
    return new NumberValidator(bottom, std::numeric_limits<double>::max(),
                               NumberValidator::AnyDecimals, parent);
}

QString UnitDescriptor::format(double value, bool withUnit) const
{
    if (!isValid(value))
        return _missingText;
    return formatShown(displayValue(value), withUnit);
}

QString UnitDescriptor::formatShown(double shown, bool withUnit) const
{
    const QString figure = NumberParser::write(shown, _decimals);
    return withUnit ? figure + _unitText : figure;
}

QString UnitDescriptor::formatSigned(double value, bool withUnit) const
{
    if (value >= 0.0 || std::isnan(value))
        return format(value, withUnit);
    const QString size = format(-value, withUnit);
    return shownValue(-value) == 0.0 ? size : QLatin1Char('-') + size;
}

void UnitDescriptor::printNumber(QString& out, double value) const
{
    out = format(value, false);
}

QString UnitDescriptor::printNumber(double value) const
{
    return format(value, false);
}

void UnitDescriptor::printNumberUnit(QString& out, double value) const
{
    out = format(value, true);
}

QString UnitDescriptor::printNumberUnit(double value) const
{
    return format(value, true);
}

QString UnitDescriptor::printField(double value) const
{
    return isValid(value) ? format(value, false) : QString();
}

QString UnitDescriptor::printSignedNumber(double value) const
{
    return formatSigned(value, false);
}

QString UnitDescriptor::printSignedNumberUnit(double value) const
{
    return formatSigned(value, true);
}

double UnitDescriptor::shownValue(double value) const
{
    return NumberParser::rounded(displayValue(value), _decimals);
}

QString UnitDescriptor::printDifference(double minuend, double subtrahend) const
{
    return formatShown(shownValue(minuend) - shownValue(subtrahend), false);
}

QString UnitDescriptor::printDifferenceUnit(double minuend, double subtrahend) const
{
    return formatShown(shownValue(minuend) - shownValue(subtrahend), true);
}
