#ifndef PANTREL_TOOLS_RECIPEACCESS_COLLECTIONRECIPE_H
#define PANTREL_TOOLS_RECIPEACCESS_COLLECTIONRECIPE_H

#include <QString>

#include <array>
#include <optional>

// One recipe of the collection: its nutrients are for the whole recipe, in the order
// energy, carbohydrate, fat, protein, fibre, saturated fat, cholesterol, sodium, sugar,
// calcium; a nutrient without a value is empty.
struct CollectionRecipe {
    qint32 id = 0;
    QString name;
    qint32 servings = 0;
    std::array<std::optional<double>, 10> nutrients;
};

#endif
