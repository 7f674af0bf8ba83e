#include "core/numberparser.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

bool NumberParser::takesDecimalComma(const QLocale& locale)
{
    return locale.decimalPoint() == QStringLiteral(",");
}

QChar NumberParser::decimalSeparator(const QLocale& locale)
{
    return takesDecimalComma(locale) ? QLatin1Char(',') : QLatin1Char('.');
}

QChar NumberParser::foreignSeparator(const QLocale& locale)
{
    return takesDecimalComma(locale) ? QLatin1Char('.') : QLatin1Char(',');
}

bool NumberParser::isGrouped(const QString& text, const QLocale& locale)
{
    const QChar group = foreignSeparator(locale);
    if (locale.groupSeparator() != QString(group))
        return false;
    const QString pattern = QStringLiteral(R"(^-?[0-9]{1,3}(?:%1[0-9]{3})+(?:%2[0-9]*)?$)")
                                .arg(QRegularExpression::escape(QString(group)),
                                     QRegularExpression::escape(QString(decimalSeparator(locale))));
    return QRegularExpression(pattern).match(text.trimmed()).hasMatch();
}

QString NumberParser::localize(const QString& number, const QLocale& locale)
{
    QString written = number;
    return written.replace(QLatin1Char('.'), decimalSeparator(locale));
}

namespace {

// A number in the C locale's form without the minus of a figure that is zero.
QString unsignedZero(QString written)
{
    if (written.startsWith(QLatin1Char('-')) && written.toDouble() == 0.0)
        written.remove(0, 1);
    return written;
}

} // namespace

QString NumberParser::write(double value, int decimals, const QLocale& locale)
{
    return localize(unsignedZero(QString::number(value, 'f', decimals)), locale);
}

QString NumberParser::writeShort(double value, const QLocale& locale)
{
    // Six significant digits, written out in full: parse reads no exponent.
    const double figure = QString::number(value, 'g', 6).toDouble();
    if (figure == 0.0 || !std::isfinite(figure))
        return localize(unsignedZero(QString::number(figure, 'g', 6)), locale);
    const int magnitude = int(std::floor(std::log10(std::fabs(figure))));
    QString written = QString::number(figure, 'f', std::max(0, 5 - magnitude));
    if (written.contains(QLatin1Char('.'))) {
        while (written.endsWith(QLatin1Char('0')))
            written.chop(1);
        if (written.endsWith(QLatin1Char('.')))
            written.chop(1);
    }
    return localize(unsignedZero(written), locale);
}

double NumberParser::rounded(double value, int decimals)
{
    // The digits write prints, which round the value as it is held, not as it is written in
    // decimals.
    const double figure = QString::number(value, 'f', decimals).toDouble();
    return figure == 0.0 ? 0.0 : figure;
}

std::optional<QString> NumberParser::normalize(const QString& text, const QLocale& locale)
{
    const QChar separator = decimalSeparator(locale);
    const QString trimmed = text.trimmed();
    QString result;
    result.reserve(trimmed.size());
    bool seenPoint = false;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            result += c;
        } else if (c == QLatin1Char('-') && i == 0) {
            result += c;
        } else if (c == separator) {
            if (seenPoint)
                return std::nullopt;
            seenPoint = true;
            result += QLatin1Char('.');
        } else {
            return std::nullopt;
        }
    }
    return result;
}

std::optional<double> NumberParser::parse(const QString& text, const QLocale& locale)
{
    const std::optional<QString> normalized = normalize(text, locale);
    if (!normalized)
        return std::nullopt;
    bool ok = false;
    const double value = normalized->toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> NumberParser::parseAmount(const QString& text, const QLocale& locale)
{
    static const QRegularExpression mixed(
        QStringLiteral(R"(^\s*(?:([0-9]+)\s+)?([^\s/\\]+)[/\\]([^\s/\\]+)\s*$)"));
    const QRegularExpressionMatch match = mixed.match(text);
    if (!match.hasMatch())
        return parse(text, locale);
    const std::optional<double> numerator = parse(match.captured(2), locale);
    const std::optional<double> divisor = parse(match.captured(3), locale);
    if (!numerator || !divisor || *numerator < 0.0 || *divisor <= 0.0)
        return std::nullopt;
    const double whole = match.captured(1).isEmpty() ? 0.0 : match.captured(1).toDouble();
    return whole + *numerator / *divisor;
}
