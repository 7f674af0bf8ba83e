#ifndef PANTREL_CATALOGUE_FOODDBSTATIC_H
#define PANTREL_CATALOGUE_FOODDBSTATIC_H

#include "catalogue/staticdb.h"
#include "core/fooddbbase.h"

// The shipped foods: chunk 1 of static.db as a catalogue tree, with each food's record
// decoded on demand. A singleton; deleting it (cleanUp) lets the next instance() map the
// file again, which the database updater relies on when it replaces the file.
class FoodDBStatic : public FoodDBBase, public StaticDB {
public:
    // Builds the store on the first call. failed, when given, is cleared and then set when
    // the file cannot be loaded (the tree is then empty); without it a load error is fatal.
    static FoodDBStatic* instance(bool* failed = nullptr);
    static bool exists() { return _instance != nullptr; }
    static void cleanUp();
    ~FoodDBStatic() override;

    QString getFoodName(qint64 foodId) const override;
    // The display name of the food at the iterator's current record.
    QString getFoodName(const BrowsableDBIterator& iterator) const;
    // Values per reference quantity; a nutrient the record lacks is -999.0.
    std::optional<DBTypes::FoodItem> getFoodItem(qint64 foodId) const override;
    // The stored servings, smallest first; each id is the serving's position in the record.
    // A food that stores none gets one of its reference quantity (id 0); an unknown id none.
    std::vector<DBTypes::ServingItem> getServingItemList(qint64 foodId) const override;
    bool isOpenTo(qint64 user, qint64 foodId) const override;

    // The name of a category; empty for an unknown id.
    QString getCategoryName(qint64 categoryId) const;
    // The ranking group of a food, which must exist, or of the iterator's current record.
    quint32 getFoodRankingGroup(qint64 foodId) const;
    static quint32 getFoodRankingGroup(const BrowsableDBIterator& iterator);

private:
    explicit FoodDBStatic(bool* failed);

    const unsigned char* _foodRecord(qint64 foodId) const;

    static FoodDBStatic* _instance;
};

#endif
