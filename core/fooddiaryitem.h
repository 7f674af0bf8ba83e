#ifndef PANTREL_CORE_FOODDIARYITEM_H
#define PANTREL_CORE_FOODDIARYITEM_H

#include "core/dbtypes.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

class FoodDBBase;
class QXmlStreamAttributes;

namespace DBTypes {

// A food line, used by the diary, meal plans and saved meals. Holds the food's values for
// its reference amount and the same values scaled to the chosen serving and count; the
// scaled ones are displayed, summed and saved.
class FoodDiaryItem {
public:
    // Where entries look their catalogue foods up; the food catalogue installs it at start.
    using FoodCatalogue = std::function<const FoodDBBase*()>;
    static void setFoodCatalogue(FoodCatalogue catalogue);

    FoodDiaryItem();

    QString getDesc() const { return desc; }
    QString getServingDesc() const { return servingDesc; }
    // The current value of a nutrient; 0.0 for a nutrient outside 0 to 9.
    float getNutrient(NutType nut) const { return values.getNutrient(nut); }

    // Rescales the entry to a serving of its list and a number of servings. False, with
    // nothing changed, when the list has no serving of that id.
    bool updateFoodInfo(int newServingId, float newSize);
    // Rescales to a new number of servings of the current serving.
    void setSize(float newSize);

    // Takes base values and servings from a catalogue food (its name, values per reference
    // quantity and own servings) and rescales to the serving to use. With check, the food
    // must still be the one stored (same name) and still offer the entry's serving under
    // the same name, else the entry keeps its stored values and false is returned.
    // Without check the first serving is used.
    bool applyFoodInfo(const QString& foodName, const FoodItem& food,
                       std::vector<ServingItem> foodServings, bool check);

    // Fills base values and servings from the food catalogue once (see applyFoodInfo); true
    // at once when they are already in place, false when the catalogue no longer has the
    // food (or, with check, no longer the stored food and serving, or a food the entry's user
    // may not take) or refId is no catalogue id. Either way the entry does not ask the
    // catalogue again.
    bool loadFoodInfo(bool check);
    // Points the entry at another catalogue food, one of its first serving; false when the
    // catalogue cannot resolve the id (a row of a foreign or damaged backup, say).
    bool changeFood(qint64 newRefId);
    // Chooses another serving of the food's list, keeping the number of servings; a serving
    // that is not in the list leaves the entry as it was.
    void setServingById(int newServingId);
    // The servings the entry may choose from, loaded from the catalogue when possible.
    std::vector<ServingItem> getServingItemList();

    // Copies the scaled values, amount and serving into the entry itself, so edits to or
    // removal of the catalogue food cannot change what it shows.
    void createFakeDenorm();

    // Fills the entry from the attributes of a meal-plan food element. Always true.
    bool readFromXmlAttributes(const QXmlStreamAttributes& attributes);

    // Sets the date code from the first 8 characters of text, which must hold at least 8.
    void setDate(const std::string& code);

    FoodItem values;     // current values, scaled to serving and size
    QString desc;        // the food's name
    QString servingDesc; // the chosen serving's name
    bool infoLoaded = false;
    FoodItem baseValues; // the food's values per its reference quantity
    std::vector<ServingItem> servings;
    qint64 refId = -9999; // the food's catalogue id; 0 for an entry without a catalogue food
    int servingId = 0;
    float size = 1.0f; // number of servings
    qint64 entryId = -1; // row id in the user database; -1 before it is stored
    qint64 userId = -1;
    char date[DATE_CODE_SIZE] = {};
    int meal = 0; // DiaryDay::GroupType 1 to 6

private:
    void makeSelfContained();

    static FoodCatalogue s_foodCatalogue;
};

} // namespace DBTypes

#endif
