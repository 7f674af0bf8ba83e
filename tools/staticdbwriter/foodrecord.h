#ifndef PANTREL_TOOLS_STATICDBWRITER_FOODRECORD_H
#define PANTREL_TOOLS_STATICDBWRITER_FOODRECORD_H

#include <QByteArray>

#include <map>
#include <optional>
#include <vector>

// The record of a food in the catalogue file: its ranking group, display name, nutrient
// values by slot, kind, reference quantity and servings.
struct FoodRecord {
    // Nutrient slots of the values the diary uses.
    enum Slot {
        ENERGY = 0, CARBS = 1, FAT = 2, PROTEIN = 3, FIBER = 4, CALCIUM = 7, SODIUM = 9,
        SATURATED_FAT = 22, CHOLESTEROL = 27, SUGAR = 29
    };
    static constexpr int MAX_SERVINGS = 15;

    struct Serving {
        float weight = 0.0f;
        QByteArray name;
    };

    quint32 rankingGroup = 0;
    QByteArray displayName;
    std::map<int, float> nutrients; // slot -> value; absent slots are not stored
    char kind = 'M';                // 'M' per mass, 'V' per volume, 'S' per serving
    std::optional<float> referenceQuantity;
    std::vector<Serving> servings;  // at most MAX_SERVINGS

    QByteArray encode() const;
    // None when the record does not end before end.
    static std::optional<FoodRecord> decode(const unsigned char* data, const unsigned char* end);
};

#endif
