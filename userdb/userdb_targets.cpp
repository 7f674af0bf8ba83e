#include "userdb/userdb.h"

#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/flaggedupdate.h"
#include "userdb/storedrange.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>

using DBTypes::CheckinItem;
using DBTypes::NutType;

namespace {

// user_target's columns, in the order check-ins read them.
struct TargetColumn
{
    const char* column;
    NutType nut;
};
const TargetColumn TargetReadOrder[] = {
    {"target_calories", DBTypes::ENERGY},   {"target_fat", DBTypes::FAT},
    {"target_fiber", DBTypes::FIBER},       {"target_protein", DBTypes::PROTEIN},
    {"target_carb", DBTypes::CARBS},        {"target_saturated_fat", DBTypes::SATFAT},
    {"target_sodium", DBTypes::SODIUM},     {"target_sugar", DBTypes::SUGAR},
    {"target_calcium", DBTypes::CALCIUM},   {"target_cholesterol", DBTypes::CHOLESTEROL}};
// ... and in the order check-ins write them.
const TargetColumn TargetWriteOrder[] = {
    {"target_calories", DBTypes::ENERGY},   {"target_carb", DBTypes::CARBS},
    {"target_fat", DBTypes::FAT},           {"target_protein", DBTypes::PROTEIN},
    {"target_fiber", DBTypes::FIBER},       {"target_saturated_fat", DBTypes::SATFAT},
    {"target_sodium", DBTypes::SODIUM},     {"target_sugar", DBTypes::SUGAR},
    {"target_calcium", DBTypes::CALCIUM},   {"target_cholesterol", DBTypes::CHOLESTEROL}};
// The range of a user_target column. A diet plan's targets follow the energy need, past the
// targets dialog's range for a big need: they are held to the range of a food's values.
StoredRange targetRange(const char* column)
{
    return StoredRange("user_target", column, PlausibleRange::of(PlausibleRange::FoodValue));
}

} // namespace

// ---------------------------------------------------------------------------------------
// Targets

std::optional<float> UserDB::getTarget(qint64 user, const char* date, const char* column, bool* exact)
{
    assert(date && column);
    if (BXSqlDb::refusesUser(user, false))
        return std::nullopt;
    const QString c = QString::fromLatin1(column);
    BXSqlQuery query(QStringLiteral("SELECT date, ") + c + QStringLiteral(" FROM user_target WHERE ") +
                     c + QStringLiteral(" IS NOT NULL AND user_id = ? AND date <= ? ORDER BY date "
                                        "DESC LIMIT 1"));
    query.bindValue(0, user);
    query.bindValue(1, date);
    const std::optional<bool> found = query.first();
    if (!found)
        return std::nullopt;
    if (!*found) {
        if (exact)
            *exact = false;
        return -1.0f;
    }
    // A target the dialogs leave unset is stored as -1; one they never write is unknown,
    // read as unset too.
    const QVariant stored = query.value(1);
    const double value = stored.toDouble();
    const std::optional<double> target =
        std::isfinite(value) && value < 0.0 ? -1.0 : targetRange(column).read(stored);
    if (exact)
        *exact = target && query.value(0).toString() == QLatin1String(date);
    return float(target.value_or(-1.0));
}

bool UserDB::_readTargets(qint64 user, const char* date, CheckinItem& item)
{
    return std::all_of(std::begin(TargetReadOrder), std::end(TargetReadOrder), [&](const TargetColumn& target) {
        const std::optional<float> value = getTarget(user, date, target.column, nullptr);
        if (value)
            item.setTarget(target.nut, *value);
        return value.has_value();
    });
}

bool UserDB::_writeTargets(const CheckinItem& item)
{
    const NutType triggers[] = {DBTypes::ENERGY, DBTypes::CARBS, DBTypes::FAT, DBTypes::PROTEIN,
                                DBTypes::FIBER};
    if (std::none_of(std::begin(triggers), std::end(triggers),
                     [&](NutType nut) { return item.hasTarget(nut); }))
        return true;
    if (!ensureRecordExists(Target, item.userId, item.date))
        return false;
    FlaggedUpdate update(QStringLiteral("UPDATE user_target SET date = ?"), QString::fromLatin1(item.date));
    // A target keeps six significant digits.
    for (const TargetColumn& target : TargetWriteOrder)
        update.set(item.hasTarget(target.nut), target.column,
                   QString::number(double(item.target(target.nut)), 'g', 6).toDouble());
    return update.exec(item.userId, item.date);
}
