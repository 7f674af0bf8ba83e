#ifndef PANTREL_CORE_PLAUSIBLERANGE_H
#define PANTREL_CORE_PLAUSIBLERANGE_H

#include "core/dbtypes.h"

// The values a person can have of one quantity, held in its internal unit (kilograms,
// centimetres, steps, kilocalories, grams or milligrams, percent). Each quantity has one
// range, and every field that takes the quantity refuses what lies outside it.
class PlausibleRange {
public:
    enum Quantity {
        Weight,
        Height,
        Chest,
        Waist,
        Hip,
        Thigh,
        Steps,
        RestingEnergy,
        Share,
        FoodAmount,
        ExerciseMinutes,
        MealServings,
        BurnRate,
        FoodValue,
        EntryAmount,
        EntryValue
    };

    constexpr PlausibleRange(double bottom, double top) : _bottom(bottom), _top(top) {}

    static PlausibleRange of(Quantity quantity);
    // The range of a daily target of nut.
    static PlausibleRange target(DBTypes::NutType nut);

    double bottom() const { return _bottom; }
    double top() const { return _top; }
    bool contains(double value) const { return value >= _bottom && value <= _top; }

private:
    double _bottom;
    double _top;
};

#endif
