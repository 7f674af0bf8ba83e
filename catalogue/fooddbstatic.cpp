#include "catalogue/fooddbstatic.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

using DBTypes::FoodItem;
using DBTypes::NutType;
using DBTypes::ServingItem;

FoodDBStatic* FoodDBStatic::_instance = nullptr;

namespace {

constexpr float MISSING_NUTRIENT = -999.0f;
constexpr int RANKING_GROUP_SIZE = 4;
constexpr int FLOAT_SIZE = 4;

// The nutrient that a value slot of a food record fills; slots not listed are skipped.
constexpr struct {
    int slot;
    NutType nutrient;
} NUTRIENT_SLOTS[] = {
    {0, DBTypes::ENERGY}, {1, DBTypes::CARBS},  {2, DBTypes::FAT},     {3, DBTypes::PROTEIN},
    {4, DBTypes::FIBER},  {7, DBTypes::CALCIUM}, {9, DBTypes::SODIUM}, {22, DBTypes::SATFAT},
    {27, DBTypes::CHOLESTEROL}, {29, DBTypes::SUGAR},
};

float readFloat(const unsigned char* p)
{
    return std::bit_cast<float>(qFromBigEndian<quint32>(p));
}

// The records were checked to lie within the file when it was loaded.
const unsigned char* skipText(const unsigned char* p)
{
    return p + std::strlen(reinterpret_cast<const char*>(p)) + 1;
}

void setSlot(FoodItem& food, int slot, float value)
{
    for (const auto& entry : NUTRIENT_SLOTS) {
        if (entry.slot == slot)
            food.setNutrient(entry.nutrient, value);
    }
}

// Reads the presence bytes and values from p into food (when given); returns where the
// kind byte lies.
const unsigned char* readValues(const unsigned char* p, FoodItem* food)
{
    for (int k = 0;; ++k) {
        const unsigned char presence = *p++;
        for (int bit = 0; bit < 7; ++bit) {
            if (!(presence & (1 << bit)))
                continue;
            if (food)
                setSlot(*food, 7 * k + bit, readFloat(p));
            p += FLOAT_SIZE;
        }
        if (!(presence & 0x80))
            return p;
    }
}

// The kind byte of a food record.
const unsigned char* kindByte(const unsigned char* record, FoodItem* food = nullptr)
{
    return readValues(skipText(record + RANKING_GROUP_SIZE), food);
}

char kindLetter(unsigned char kind)
{
    switch (kind & 0x30) {
    case 0x10: return 'M';
    case 0x20: return 'V';
    default: return 'S';
    }
}

// The one serving of a food that stores none: its reference quantity, or one unit of its
// values when it has none.
ServingItem referenceServing(const FoodItem& food)
{
    ServingItem serving;
    serving.id = 0;
    serving.weight = food.quantity > 0.0f ? food.quantity : 1.0f;
    const QString quantity = QString::number(serving.weight);
    switch (food.kind) {
    case 'M': serving.name = quantity + QStringLiteral(" g"); break;
    case 'V': serving.name = quantity + QStringLiteral(" mL"); break;
    default: serving.name = QStringLiteral("serving"); break;
    }
    return serving;
}

} // namespace

FoodDBStatic* FoodDBStatic::instance(bool* failed)
{
    if (failed)
        *failed = false;
    if (!_instance)
        _instance = new FoodDBStatic(failed);
    return _instance;
}

void FoodDBStatic::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

FoodDBStatic::FoodDBStatic(bool* failed)
    : StaticDB(FOOD_CHUNK, failed)
{
}

FoodDBStatic::~FoodDBStatic()
{
    if (_instance == this)
        _instance = nullptr;
}

const unsigned char* FoodDBStatic::_foodRecord(qint64 foodId) const
{
    const BrowsableDBItem* item = _getIndexItem(foodId, false);
    return item ? item->data : nullptr;
}

QString FoodDBStatic::getFoodName(qint64 foodId) const
{
    const unsigned char* food = _foodRecord(foodId);
    if (!food)
        return QString();
    return QString::fromLatin1(reinterpret_cast<const char*>(food + RANKING_GROUP_SIZE));
}

QString FoodDBStatic::getFoodName(const BrowsableDBIterator& iterator) const
{
    assert(iterator.data() && "food");
    return QString::fromLatin1(reinterpret_cast<const char*>(iterator.data() + RANKING_GROUP_SIZE));
}

std::optional<FoodItem> FoodDBStatic::getFoodItem(qint64 foodId) const
{
    const unsigned char* record = _foodRecord(foodId);
    if (!record)
        return std::nullopt;
    FoodItem food;
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
        food.setNutrient(NutType(nut), MISSING_NUTRIENT);
    const unsigned char* kind = kindByte(record, &food);
    food.kind = kindLetter(*kind);
    food.quantity = (*kind & 0x40) ? readFloat(kind + 1) : -1.0f;
    return food;
}

std::vector<ServingItem> FoodDBStatic::getServingItemList(qint64 foodId) const
{
    const unsigned char* record = _foodRecord(foodId);
    if (!record)
        return {};
    const unsigned char* p = kindByte(record);
    const int count = *p & 0x0F;
    p += (*p & 0x40) ? 1 + FLOAT_SIZE : 1;
    std::vector<ServingItem> servings;
    for (int i = 0; i < count; ++i) {
        ServingItem serving;
        serving.id = i;
        serving.weight = readFloat(p);
        serving.name = QString::fromLatin1(reinterpret_cast<const char*>(p + FLOAT_SIZE));
        servings.push_back(serving);
        p = skipText(p + FLOAT_SIZE);
    }
    std::stable_sort(servings.begin(), servings.end(),
                     [](const ServingItem& a, const ServingItem& b) { return a.weight < b.weight; });
    if (servings.empty())
        servings.push_back(referenceServing(*getFoodItem(foodId)));
    return servings;
}

// Every user may take a shipped food.
bool FoodDBStatic::isOpenTo(qint64 /*user*/, qint64 /*foodId*/) const
{
    return true;
}

QString FoodDBStatic::getCategoryName(qint64 categoryId) const
{
    const BrowsableDBItem* item = _getIndexItem(categoryId, true);
    return item ? QString::fromLatin1(item->name) : QString();
}

quint32 FoodDBStatic::getFoodRankingGroup(qint64 foodId) const
{
    const unsigned char* food = _foodRecord(foodId);
    assert(food && "food");
    return qFromBigEndian<quint32>(food);
}

quint32 FoodDBStatic::getFoodRankingGroup(const BrowsableDBIterator& iterator)
{
    assert(iterator.data() && "food");
    return qFromBigEndian<quint32>(iterator.data());
}
