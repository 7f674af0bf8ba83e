#include "tools/staticdbwriter/statedweight.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace {

constexpr double GRAMS_PER_OUNCE = 28.349523125;
constexpr double GRAMS_PER_POUND = 453.59237;

const QString UNIT = QStringLiteral("(oz|ounces?|lbs?|pounds?|g|grams?|kg)\\b");

double gramsPerUnit(const QString& unit)
{
    const QString lower = unit.toLower();
    if (lower.startsWith(QLatin1Char('o')))
        return GRAMS_PER_OUNCE;
    if (lower.startsWith(QLatin1Char('l')) || lower.startsWith(QLatin1Char('p')))
        return GRAMS_PER_POUND;
    return lower == QLatin1String("kg") ? 1000.0 : 1.0;
}

// "2.7", ".75", "1/4", "1-1/4", "1 1/2".
double numberValue(const QString& number)
{
    static const QRegularExpression separator(QStringLiteral("[ -]"));
    double value = 0.0;
    for (const QString& part : number.split(separator, Qt::SkipEmptyParts)) {
        const qsizetype slash = part.indexOf(QLatin1Char('/'));
        value += slash < 0 ? part.toDouble() : part.left(slash).toDouble() / part.mid(slash + 1).toDouble();
    }
    return value;
}

} // namespace

std::optional<double> StatedWeight::grams(const QString& name)
{
    static const QRegularExpression bareUnit(QLatin1Char('^') + UNIT, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression withNumber(
        QStringLiteral("(?<![\\w./-])(\\d+(?:\\.\\d+)?[ -]\\d+/\\d+|\\d+/\\d+|\\d*\\.\\d+|\\d+)[ -]?") + UNIT,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ofSomethingElse(QStringLiteral("\\b(from|of|per|weighing)\\s*$"),
                                                    QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch unit = bareUnit.match(name);
    if (unit.hasMatch())
        return gramsPerUnit(unit.captured(1));
    const QRegularExpressionMatch weight = withNumber.match(name);
    if (!weight.hasMatch() || ofSomethingElse.match(name.left(weight.capturedStart())).hasMatch())
        return std::nullopt;
    const double grams = numberValue(weight.captured(1)) * gramsPerUnit(weight.captured(2));
    return grams > 0.0 && std::isfinite(grams) ? std::optional<double>(grams) : std::nullopt;
}

bool StatedWeight::agrees(double grams, double stated)
{
    return std::abs(grams - stated) <= stated / 4.0;
}
