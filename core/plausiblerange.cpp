#include "core/plausiblerange.h"

#include <iterator>

namespace {

// Indexed by PlausibleRange::Quantity.
constexpr PlausibleRange s_quantities[] = {
    {10.0, 650.0},    // weight, kg
    {50.0, 275.0},    // height, cm
    {30.0, 250.0},    // chest, cm
    {30.0, 300.0},    // waist, cm
    {30.0, 300.0},    // hip, cm
    {15.0, 150.0},    // thigh, cm
    {0.0, 200000.0},  // steps of a day
    {500.0, 10000.0}, // resting energy, kcal a day
    {0.0, 100.0},     // share of the day's energy, %
    {0.001, 9999.0},  // servings or grams of one entry
    {0.0, 1440.0},    // minutes of exercise in a day
    {0.1, 2000.0},    // servings of a saved meal put into the diary
    {0.0, 100.0},     // energy an exercise burns, kcal a minute
    {0.0, 2000000.0}, // energy or a nutrient in one serving of a food
    // A food line of the diary: an amount of a food, times a saved meal's servings when the
    // meal put it there, and the food's values scaled to that amount.
    {0.0, 9999.0 * 2000.0},
    {0.0, 2000000.0 * 9999.0 * 2000.0},
};
static_assert(std::size(s_quantities) == PlausibleRange::EntryValue + 1);

// Indexed by DBTypes::NutType.
constexpr PlausibleRange s_targets[DBTypes::NUTRIENT_COUNT] = {
    {500.0, 10000.0}, // energy, kcal
    {0.0, 1500.0},    // carbohydrate, g
    {0.0, 500.0},     // fat, g
    {0.0, 500.0},     // protein, g
    {0.0, 150.0},     // fibre, g
    {0.0, 200.0},     // saturated fat, g
    {0.0, 3000.0},    // cholesterol, mg
    {0.0, 20000.0},   // sodium, mg
    {0.0, 1000.0},    // sugar, g
    {0.0, 10000.0},   // calcium, mg
};

} // namespace

PlausibleRange PlausibleRange::of(Quantity quantity)
{
    return s_quantities[quantity];
}

PlausibleRange PlausibleRange::target(DBTypes::NutType nut)
{
    return s_targets[nut];
}
