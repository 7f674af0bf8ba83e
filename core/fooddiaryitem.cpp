#include "core/fooddiaryitem.h"

#include "core/fooddbbase.h"

#include <QXmlStreamAttributes>

#include <algorithm>
#include <cassert>
#include <cstring>

namespace DBTypes {

namespace {

FoodItem blankValues()
{
    FoodItem item;
    item.quantity = 0.0f;
    item.kind = 'B';
    item.clearValues(false);
    return item;
}

std::vector<ServingItem>::iterator findNamed(std::vector<ServingItem>& servings,
                                             const QString& name)
{
    return std::find_if(servings.begin(), servings.end(),
                        [&name](const ServingItem& serving) { return serving.name == name; });
}

// The units every mass or volume food can be measured in, behind the catalogue's servings;
// a unit the catalogue lists itself is listed once.
void appendBuiltInServings(const FoodItem& food, std::vector<ServingItem>& servings)
{
    if (food.quantity <= 0.0f)
        return;
    const auto append = [&servings](const ServingItem& unit) {
        if (findNamed(servings, unit.name) == servings.end())
            servings.push_back(unit);
    };
    if (food.kind == 'M') {
        append({QStringLiteral("g"), -1, 1.0f});
        append({QStringLiteral("oz"), -2, 28.35f});
    } else if (food.kind == 'V') {
        append({QStringLiteral("mL"), -3, 1.0f});
        append({QStringLiteral("fl.oz"), -4, 29.574f});
    }
}

int mealFromText(QStringView text)
{
    if (text.isEmpty())
        return 6;
    switch (text.front().toUpper().unicode()) {
    case 'B': return 1;
    case 'L': return 3;
    case 'D': return 5;
    default: return 6;
    }
}

} // namespace

FoodDiaryItem::FoodCatalogue FoodDiaryItem::s_foodCatalogue;

void FoodDiaryItem::setFoodCatalogue(FoodCatalogue catalogue)
{
    s_foodCatalogue = std::move(catalogue);
}

FoodDiaryItem::FoodDiaryItem()
    : values(blankValues())
    , baseValues(blankValues())
{
}

bool FoodDiaryItem::updateFoodInfo(int newServingId, float newSize)
{
    const auto serving = ServIdEq::find(servings, newServingId);
    if (serving == servings.end())
        return false;
    servingId = newServingId;
    size = newSize;
    values = baseValues;
    // Values without a reference quantity are taken as given per unit of serving weight.
    const float reference = baseValues.quantity > 0.0f ? baseValues.quantity : 1.0f;
    values.scaleValues(size * serving->weight / reference);
    servingDesc = serving->name;
    return true;
}

void FoodDiaryItem::setSize(float newSize)
{
    if (updateFoodInfo(servingId, newSize))
        return;
    // A stored entry whose serving the catalogue no longer lists keeps its values per serving.
    if (size > 0.0f)
        values.scaleValues(newSize / size);
    size = newSize;
}

bool FoodDiaryItem::applyFoodInfo(const QString& foodName, const FoodItem& food,
                                  std::vector<ServingItem> foodServings, bool check)
{
    infoLoaded = true;
    if (check && foodName != desc)
        return false;
    appendBuiltInServings(food, foodServings);
    int servingToUse = servingId;
    if (check) {
        auto serving = ServIdEq::find(foodServings, servingId);
        // An entry stored in a built-in unit that the catalogue lists itself keeps its unit.
        if (serving == foodServings.end() && servingId < 0)
            serving = findNamed(foodServings, servingDesc);
        if (serving == foodServings.end() || serving->name != servingDesc)
            return false;
        servingToUse = serving->id;
    } else {
        if (foodServings.empty())
            return false;
        servingToUse = foodServings.front().id;
    }
    desc = foodName;
    baseValues = food;
    servings = std::move(foodServings);
    const bool found = updateFoodInfo(servingToUse, size);
    assert(found);
    (void)found;
    return true;
}

bool FoodDiaryItem::loadFoodInfo(bool check)
{
    if (infoLoaded)
        return true;
    // A stored id that is no catalogue id leaves the entry on its stored values.
    if (!FoodDBBase::isCatalogueId(refId)) {
        infoLoaded = true;
        return false;
    }
    assert(s_foodCatalogue && "the food catalogue is installed");
    const FoodDBBase* catalogue = s_foodCatalogue();
    // An older build may have given a deleted food's id to another user's food: a stored
    // entry never takes that food's values, whatever its name.
    if (check && !catalogue->isOpenTo(userId, refId)) {
        infoLoaded = true;
        return false;
    }
    const QString foodName = catalogue->getFoodName(refId);
    const std::optional<FoodItem> food =
        (check && foodName != desc) ? std::nullopt : catalogue->getFoodItem(refId);
    if (!food) {
        infoLoaded = true;
        return false;
    }
    return applyFoodInfo(foodName, *food, catalogue->getServingItemList(refId), check);
}

bool FoodDiaryItem::changeFood(qint64 newRefId)
{
    refId = newRefId;
    size = 1.0f;
    infoLoaded = false;
    return loadFoodInfo(false);
}

void FoodDiaryItem::setServingById(int newServingId)
{
    loadFoodInfo(true);
    updateFoodInfo(newServingId, size);
}

std::vector<ServingItem> FoodDiaryItem::getServingItemList()
{
    loadFoodInfo(true);
    return servings;
}

void FoodDiaryItem::makeSelfContained()
{
    values.kind = 'F';
    values.quantity = 1.0f;
    baseValues = values;
    if (size > 0.005f)
        baseValues.scaleValues(1.0f / size);
    servings.assign(1, ServingItem{servingDesc, servingId, 1.0f});
}

void FoodDiaryItem::createFakeDenorm()
{
    makeSelfContained();
    infoLoaded = false;
}

bool FoodDiaryItem::readFromXmlAttributes(const QXmlStreamAttributes& attributes)
{
    refId = 0;
    servingId = 0;
    values.kind = 'F';
    values.quantity = 1.0f;
    for (const QXmlStreamAttribute& attribute : attributes) {
        const QStringView name = attribute.name();
        const QString value = attribute.value().toString();
        if (name == u"food_name")
            desc = value;
        else if (name == u"serv_name")
            servingDesc = value;
        else if (name == u"qty")
            size = value.toFloat();
        else if (name == u"meal")
            meal = mealFromText(value);
        else if (name == u"date") {
            QString digits;
            for (QChar c : value) {
                if (c >= u'0' && c <= u'9')
                    digits += c;
            }
            if (digits.size() >= 8)
                setDate(digits.toStdString());
        } else if (name == u"calories")
            values.energy = value.toFloat();
        else if (name == u"carbohydrate")
            values.carbs = value.toFloat();
        else if (name == u"fat")
            values.fat = value.toFloat();
        else if (name == u"fiber")
            values.fiber = value.toFloat();
        else if (name == u"protein")
            values.protein = value.toFloat();
    }
    makeSelfContained();
    infoLoaded = true;
    return true;
}

void FoodDiaryItem::setDate(const std::string& code)
{
    assert(code.size() >= 8);
    std::memcpy(date, code.data(), 8);
    date[8] = '\0';
}

} // namespace DBTypes
