#ifndef PANTREL_TOOLS_RECIPEACCESS_RECIPECOLLECTION_H
#define PANTREL_TOOLS_RECIPEACCESS_RECIPECOLLECTION_H

#include "tools/recipeaccess/collectionrecipe.h"

#include <vector>

// The recipes of a collection file: one recipe a line, "id|name|servings|" and ten
// nutrient values; lines starting with "#" and empty lines are comments.
class RecipeCollection {
public:
    // False with a message in *error when the file cannot be read or a line is malformed.
    bool load(const QString& path, QString* error);

    // The recipe of that id, or none.
    const CollectionRecipe* find(qint32 id) const;
    // The recipes whose name holds every word of text, in file order: each word is found as the
    // catalogue's foods find it (StringMatcherUtf).
    std::vector<const CollectionRecipe*> search(const QString& text) const;

private:
    bool _parseLine(const QString& line, CollectionRecipe* recipe) const;

    std::vector<CollectionRecipe> _recipes;
};

#endif
