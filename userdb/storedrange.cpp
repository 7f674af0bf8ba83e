#include "userdb/storedrange.h"

#include "core/dateconversion.h"

#include "userdb/storednotices.h"

#include <cmath>

std::optional<double> StoredRange::read(const QVariant& stored, const Place& place) const
{
    if (stored.isNull())
        return std::nullopt;
    // A text column holds what it is given; only a number is read from one.
    if (stored.typeId() == QMetaType::QString && stored.toString().isEmpty())
        return std::nullopt;
    bool number = false;
    const double value = stored.toDouble(&number);
    if (number && _holds(value))
        return value;
    _tell(number ? QString::number(value, 'g', 15) : QStringLiteral("text that is no number"),
          QLatin1String(_unknown), place);
    return std::nullopt;
}

std::optional<int> StoredRange::readWhole(const QVariant& stored, const Place& place) const
{
    const std::optional<double> value = read(stored, place);
    if (!value || *value == std::trunc(*value))
        return value ? std::optional<int>(int(*value)) : std::nullopt;
    _tell(QString::number(*value, 'g', 15), QLatin1String(_unknown), place);
    return std::nullopt;
}

std::optional<QDate> StoredRange::readDate(const QVariant& stored, const Place& place) const
{
    const QString code = stored.toString();
    if (code.isEmpty())
        return std::nullopt;
    const QDate day = code.size() == DBTypes::DATE_CODE_SIZE - 1 ? DateFromCode4(code.toLatin1().constData()) : QDate();
    if (day.isValid() && _holds(code.toDouble()))
        return day;
    _tell(code.size() > DBTypes::DATE_CODE_SIZE ? QStringLiteral("a text of %1 characters").arg(code.size())
                                                : QStringLiteral("'%1'").arg(code),
          QLatin1String(_unknown), place);
    return std::nullopt;
}

QString StoredRange::readText(const QVariant& stored, const Place& place) const
{
    const int length = int(_range.top());
    QString text = stored.toString();
    if (text.size() <= length)
        return text;
    _tell(QStringLiteral("a text of %1 characters").arg(text.size()),
          QStringLiteral("cut to %1 characters").arg(length), place);
    // A character outside the basic plane is kept whole or not at all.
    const bool splitsPair = text.at(length - 1).isHighSurrogate();
    text.truncate(splitsPair ? length - 1 : length);
    return text;
}

std::optional<QString> StoredRange::readTextWithin(const QVariant& stored, const Place& place) const
{
    const QString text = stored.toString();
    if (text.size() <= _range.top())
        return text;
    _tell(QStringLiteral("a text of %1 characters").arg(text.size()), QLatin1String(_unknown), place);
    return std::nullopt;
}

bool StoredRange::_holds(double value) const
{
    return std::isfinite(value) && _range.contains(value);
}

void StoredRange::_tell(const QString& what, const QString& readAs, const Place& place) const
{
    const QString column = QStringLiteral("%1.%2").arg(QLatin1String(_table), QLatin1String(_column));
    const QString where = place ? QStringLiteral(" of ") + place() : QString();
    StoredNotices::tell(column, QStringLiteral("The diary holds %1 in %2%3, which this program never "
                                               "writes there: it is %4 until it is entered again.")
                                    .arg(what, column, where, readAs));
}
