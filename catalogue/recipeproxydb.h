#ifndef PANTREL_CATALOGUE_RECIPEPROXYDB_H
#define PANTREL_CATALOGUE_RECIPEPROXYDB_H

#include "catalogue/browsabledb.h"

#include <QByteArray>

#include <memory>
#include <vector>

class IRecipe;
class RecipeAccessWrapper;

namespace DBTypes {
class FoodDiaryItem;
}

// The recipes of an installed recipe collection as a flat catalogue: the root (id 0) has the
// recipes of the last search as its children, in the order the collection returned them.
// Names are UTF-8.
class RecipeProxyDB : public BrowsableDB {
public:
    // The catalogue; with create, made when there is none and a recipe access program
    // answers (each such call tries the programs again). None while no program answers.
    static RecipeProxyDB* instance(bool create);
    // Deletes the catalogue, which closes the connection to the program.
    static void cleanUp();

    ~RecipeProxyDB() override;

    std::unique_ptr<BrowsableDBIterator> getChildren(qint64 id, int flagsRequiredOn,
                                                     int flagsRequiredOff) const override;
    std::unique_ptr<BrowsableDBIterator> getFlattenedChildren(int flagsRequiredOn,
                                                              int flagsRequiredOff) const override;
    // Terms are usable when at least 3 characters remain after stripping white space. A
    // filter (flagsRequiredOn not 0) empties the list, since no recipe satisfies one.
    bool applySearchTerms(const QString& terms, bool checkOnly, int flagsRequiredOn) override;
    void resetSearchTerms() override;
    qint64 getRootId() const override { return 0; }

    // Fills a food entry with a recipe's name, nutrients and servings: one "serving" and,
    // for more than one, the whole preparation. False when the recipe cannot be opened,
    // named or given its nutrients, or does not say how many servings it makes. A value that
    // is not a finite number is left out, as a missing one. The collection names its recipes
    // by ids of 32 bits: any other id names none.
    bool loadRecipeIntoFDI(DBTypes::FoodDiaryItem& fdi, qint64 recipeId);

    // The least number of characters of usable search terms.
    static constexpr int MIN_TERMS_LENGTH = 3;
    // The most recipes one search lists, and the longest a search may take: a program that
    // keeps sending results cannot hold up the browser or fill the memory.
    static constexpr int MAX_SEARCH_RESULTS = 500;
    static constexpr int SEARCH_DEADLINE_MS = 10000;

private:
    explicit RecipeProxyDB(std::unique_ptr<RecipeAccessWrapper> connection);

    void _apply(const QString& text);
    void _clear();
    void _appendRecipe(IRecipe* recipe);

    std::unique_ptr<RecipeAccessWrapper> _connection;
    std::vector<BrowsableDBItem> _items;
    std::vector<unsigned char> _flags;
    std::vector<QByteArray> _names; // owned copies behind the items' names

    static RecipeProxyDB* s_instance;
    static bool s_connecting;
};

#endif
