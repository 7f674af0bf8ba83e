#ifndef PANTREL_CORE_DBTYPES_H
#define PANTREL_CORE_DBTYPES_H

// The plain value records of the data model shared by the stores, the catalogues and the
// screens. The diary entries and day totals live beside them in fooddiaryitem.h,
// exercisediaryitem.h and diaryday.h.

#include <QString>

#include <map>
#include <vector>

namespace DBTypes {

// The ten nutrients, in the order in which every list of nutrients is stored or iterated.
// Values outside 0 to 9 may reach the accessors (from stored data); the fixed underlying
// type keeps them well defined.
enum NutType : int {
    ENERGY = 0,      // kilocalories
    CARBS = 1,       // grams
    FAT = 2,         // grams
    PROTEIN = 3,     // grams
    FIBER = 4,       // grams
    SATFAT = 5,      // grams
    CHOLESTEROL = 6, // milligrams
    SODIUM = 7,      // milligrams
    SUGAR = 8,       // grams
    CALCIUM = 9      // milligrams
};
constexpr int NUTRIENT_COUNT = 10;

// How the meal groups of snacks are laid out (kept in UserPrefs::snackDisplay).
enum SnackDisplay { SNACKS_TOGETHER = 0, SNACKS_BETWEEN_MEALS = 1, SNACKS_NUMBERED = 2 };

// Kept in CheckinItem::goal.
enum WeightGoal { LOSE_WEIGHT = 0, MAINTAIN_WEIGHT = 1, GAIN_WEIGHT = 2 };

// Kept in CheckinItem::activity.
enum ActivityLevel { SEDENTARY = 0, LIGHT_ACTIVITY = 1, MODERATE_ACTIVITY = 2, ACTIVE = 3 };

// Length of a date code field: "yyyyMMdd" and its terminating NUL.
constexpr int DATE_CODE_SIZE = 9;

// A quantity below this is unset: records start such values at -1.0 and values that went
// through the user database come back as -999.0.
constexpr double PRESENT_THRESHOLD = -0.01;

inline bool isPresent(double value) { return value > PRESENT_THRESHOLD; }

// A food's values per reference quantity. The owner sets every field; the defaults below
// only describe an empty record.
struct FoodItem {
    float quantity = -1.0f; // reference quantity; -1.0 when none
    char kind = 'B';        // 'S', 'M', 'V' catalogue food; 'B' not filled; 'F' self-contained
    float energy = -1.0f;
    float protein = -1.0f;
    float fat = -1.0f;
    float carbs = -1.0f;
    float fiber = -1.0f;
    float satFat = -1.0f;
    float cholesterol = -1.0f;
    float sodium = -1.0f;
    float sugar = -1.0f;
    float calcium = -1.0f;

    // 0.0 for a nutrient outside 0 to 9.
    float getNutrient(NutType nut) const;
    // Ignored for a nutrient outside 0 to 9.
    void setNutrient(NutType nut, float value);
    // All ten values to 0.0 (zero) or to unset; quantity and kind stay.
    void clearValues(bool zero);
    // Multiplies every present value; unset values stay as they are.
    void scaleValues(float factor);
    // Adds the other's values where both are present; an unset value stays unset.
    void addValues(const FoodItem& other);

private:
    float* field(NutType nut);
};

// One serving of a food; weight is in the unit of the food's reference quantity.
struct ServingItem {
    QString name;
    int id = 0;
    float weight = 0.0f;

    // name as a screen shows it: a quantity it begins with ("100.5 g") in the locale's
    // figures. The name itself stays as stored, the key a diary entry's serving is found by.
    static QString shown(const QString& name);
};

// Finds a serving of a list by its id.
struct ServIdEq {
    // Iterator to the serving whose id matches (first match), else servings.end().
    static std::vector<ServingItem>::iterator find(std::vector<ServingItem>& servings, int id);
    static std::vector<ServingItem>::const_iterator find(const std::vector<ServingItem>& servings,
                                                         int id);
};

// A catalogue exercise: its rate in kilocalories per minute for a body weight in kilograms
// is weight x factor + offset.
struct ExerciseItem {
    qint64 id = 0;
    QString name;
    float offset = 0.0f;
    float factor = 0.0f;
};

// Declared records held by the catalogues and the saved-meal store; nothing fills them.
struct Food {
    QString name;
};

struct Category {
    QString name;
};

struct SavedMeal {
    qint64 id = 0;
    qint64 userId = 0;
    QString name;
};

struct UserProfile {
    qint64 userId = -1;
    QString name;
    QString password;
    char created[DATE_CODE_SIZE] = {};
    char dob[DATE_CODE_SIZE] = {};
    int sex = -1; // 0 male, 1 female, -1 not set
    float height = -1.0f; // centimetres

    bool isValid() const;
    bool operator==(const UserProfile&) const = default;
};

struct UserPrefs {
    enum TargetSize : int { None = 0, Small = 1, Medium = 2, Large = 3 };

    // Takes the unit defaults from the brand ("default_measurement_units",
    // "default_energy_units"); the brand must define both.
    UserPrefs();

    QString webUserName;
    QString webPassword;
    int measurementUnits; // 0 metric (kg, cm), 1 imperial (lb, in)
    int energyUnits;      // 0 kilojoules, 1 kilocalories
    bool autoPublish = false;
    bool askBeforePublish = false;
    int snackDisplay = SNACKS_TOGETHER;
    int summaryOptions = 255;
    bool showNutrientAndFluid = false;
    std::map<NutType, TargetSize> targetSizes;

    // None when the nutrient has no entry.
    TargetSize targetSize(NutType nut) const;
    void setTargetSize(NutType nut, TargetSize size);
    // The MD5 digest of the web password's UTF-8 bytes as 32 lower-case hex digits.
    QString webPasswordMD5() const;
    bool operator==(const UserPrefs&) const = default;
};

// A user's check-in for one date. The has* flags tell which values the record carries.
struct CheckinItem {
    // The longest note the check-in dialog writes, in UTF-16 code units.
    static constexpr int MaxNoteLength = 4094;

    qint64 userId = -1;
    char date[DATE_CODE_SIZE] = {};
    float weight = -1.0f; // kilograms
    float chest = -1.0f;  // centimetres
    float waist = -1.0f;
    float hip = -1.0f;
    float thigh = -1.0f;
    float steps = 0.0f;
    int activity = -1; // ActivityLevel
    int goal = -1;     // WeightGoal
    bool hasWeight = false;
    bool hasChest = false;
    bool hasWaist = false;
    bool hasHip = false;
    bool hasThigh = false;
    bool hasSteps = false;
    bool hasActivity = false;
    bool hasGoal = false;
    QString note;
    int fluid = 0; // glasses of water
    // The most glasses of a day the diary's counter goes up to.
    static constexpr int MaxFluid = 20;
    std::map<NutType, float> targets; // energy in kilocalories
    bool customRMRSet = false;
    float customRMRValue = -1.0f;
    bool dietPlanSet = false;
    QString dietPlanId;

    bool hasTarget(NutType nut) const;
    // 0.0 when there is no entry.
    float target(NutType nut) const;
    // No entry, or an entry that says explicitly there is no target.
    bool noTarget(NutType nut) const;
    void setTarget(NutType nut, float value);
    void setNoTarget(NutType nut);
    void clearTarget(NutType nut);

    bool hasCustomRMR() const;
    // -1.0 unless a custom value is carried.
    float customRMR() const;
    void setCustomRMR(float value);
    void setNoCustomRMR();
    void clearCustomRMR();
    bool noCustomRMR() const;

    bool hasDietPlan() const;
    QString dietPlan() const;
    void setDietPlan(const QString& id);
    void clearDietPlan();
    bool operator==(const CheckinItem&) const = default;
};

// The display name of a meal group (a DiaryDay::GroupType) for a snack display; a null
// text for a group that has none.
QString GroupTypeToString(int group, int snackDisplay);

} // namespace DBTypes

#endif
