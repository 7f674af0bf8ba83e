#include "core/dbtypes.h"

#include "core/brandengine.h"
#include "core/md5.h"
#include "core/numberparser.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>

namespace DBTypes {

float* FoodItem::field(NutType nut)
{
    switch (nut) {
    case ENERGY: return &energy;
    case CARBS: return &carbs;
    case FAT: return &fat;
    case PROTEIN: return &protein;
    case FIBER: return &fiber;
    case SATFAT: return &satFat;
    case CHOLESTEROL: return &cholesterol;
    case SODIUM: return &sodium;
    case SUGAR: return &sugar;
    case CALCIUM: return &calcium;
    }
    return nullptr;
}

float FoodItem::getNutrient(NutType nut) const
{
    const float* value = const_cast<FoodItem*>(this)->field(nut);
    return value ? *value : 0.0f;
}

void FoodItem::setNutrient(NutType nut, float value)
{
    if (float* target = field(nut))
        *target = value;
}

void FoodItem::clearValues(bool zero)
{
    for (int i = 0; i < NUTRIENT_COUNT; ++i)
        setNutrient(NutType(i), zero ? 0.0f : -1.0f);
}

void FoodItem::scaleValues(float factor)
{
    for (int i = 0; i < NUTRIENT_COUNT; ++i) {
        float* value = field(NutType(i));
        if (isPresent(*value))
            *value *= factor;
    }
}

void FoodItem::addValues(const FoodItem& other)
{
    for (int i = 0; i < NUTRIENT_COUNT; ++i) {
        float* value = field(NutType(i));
        const float added = other.getNutrient(NutType(i));
        if (isPresent(*value) && isPresent(added))
            *value += added;
    }
}

QString ServingItem::shown(const QString& name)
{
    static const QRegularExpression quantity(QStringLiteral("^\\d+\\.\\d+(?= |$)"));
    const QRegularExpressionMatch found = quantity.match(name);
    if (!found.hasMatch())
        return name;
    return NumberParser::localize(found.captured()) + name.mid(found.capturedLength());
}

std::vector<ServingItem>::iterator ServIdEq::find(std::vector<ServingItem>& servings, int id)
{
    return std::find_if(servings.begin(), servings.end(),
                        [id](const ServingItem& serving) { return serving.id == id; });
}

std::vector<ServingItem>::const_iterator ServIdEq::find(const std::vector<ServingItem>& servings,
                                                        int id)
{
    return std::find_if(servings.begin(), servings.end(),
                        [id](const ServingItem& serving) { return serving.id == id; });
}

bool UserProfile::isValid() const
{
    return !name.isEmpty() && created[0] != '\0' && dob[0] != '\0' && sex != -1
        && height > 0.5f;
}

UserPrefs::UserPrefs()
    : measurementUnits(BrandEngine::instance()->getInt("default_measurement_units") != 0 ? 1 : 0)
    , energyUnits(BrandEngine::instance()->getInt("default_energy_units") != 0 ? 1 : 0)
{
}

UserPrefs::TargetSize UserPrefs::targetSize(NutType nut) const
{
    const auto it = targetSizes.find(nut);
    return it == targetSizes.end() ? None : it->second;
}

void UserPrefs::setTargetSize(NutType nut, TargetSize size)
{
    targetSizes[nut] = size;
}

QString UserPrefs::webPasswordMD5() const
{
    const QByteArray bytes = webPassword.toUtf8();
    unsigned char digest[16];
    BX_MD5Sum(digest, bytes.constData(), unsigned(bytes.size()));
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), 16).toHex());
}

bool CheckinItem::hasTarget(NutType nut) const
{
    return targets.count(nut) != 0;
}

float CheckinItem::target(NutType nut) const
{
    const auto it = targets.find(nut);
    return it == targets.end() ? 0.0f : it->second;
}

bool CheckinItem::noTarget(NutType nut) const
{
    const auto it = targets.find(nut);
    return it == targets.end() || it->second < 0.0f;
}

void CheckinItem::setTarget(NutType nut, float value)
{
    targets[nut] = value;
}

void CheckinItem::setNoTarget(NutType nut)
{
    targets[nut] = -1.0f;
}

void CheckinItem::clearTarget(NutType nut)
{
    targets.erase(nut);
}

bool CheckinItem::hasCustomRMR() const
{
    return customRMRSet;
}

float CheckinItem::customRMR() const
{
    return customRMRSet ? customRMRValue : -1.0f;
}

void CheckinItem::setCustomRMR(float value)
{
    customRMRSet = true;
    customRMRValue = value;
}

void CheckinItem::setNoCustomRMR()
{
    customRMRSet = true;
    customRMRValue = -1.0f;
}

void CheckinItem::clearCustomRMR()
{
    customRMRSet = false;
    customRMRValue = -1.0f;
}

bool CheckinItem::noCustomRMR() const
{
    return !customRMRSet || customRMRValue < 0.0f;
}

bool CheckinItem::hasDietPlan() const
{
    return dietPlanSet;
}

QString CheckinItem::dietPlan() const
{
    return dietPlanId;
}

void CheckinItem::setDietPlan(const QString& id)
{
    dietPlanId = id;
    dietPlanSet = true;
}

void CheckinItem::clearDietPlan()
{
    dietPlanId.clear();
    dietPlanSet = false;
}

QString GroupTypeToString(int group, int snackDisplay)
{
    const bool between = snackDisplay == SNACKS_BETWEEN_MEALS;
    const char* name = nullptr;
    switch (group) {
    case 1: name = QT_TRANSLATE_NOOP("DBTypes", "Breakfast"); break;
    case 2:
        name = between ? QT_TRANSLATE_NOOP("DBTypes", "Morning snack")
                       : QT_TRANSLATE_NOOP("DBTypes", "Snacks #1");
        break;
    case 3: name = QT_TRANSLATE_NOOP("DBTypes", "Lunch"); break;
    case 4:
        name = between ? QT_TRANSLATE_NOOP("DBTypes", "Afternoon snack")
                       : QT_TRANSLATE_NOOP("DBTypes", "Snacks #2");
        break;
    case 5: name = QT_TRANSLATE_NOOP("DBTypes", "Dinner"); break;
    case 6:
        if (between)
            name = QT_TRANSLATE_NOOP("DBTypes", "Evening snack");
        else
            name = snackDisplay == SNACKS_NUMBERED ? QT_TRANSLATE_NOOP("DBTypes", "Snacks #3")
                                                   : QT_TRANSLATE_NOOP("DBTypes", "Snacks");
        break;
    case 8: name = QT_TRANSLATE_NOOP("DBTypes", "Exercise"); break;
    default: return QString();
    }
    return QCoreApplication::translate("DBTypes", name);
}

} // namespace DBTypes
