#ifndef PANTREL_CATALOGUE_RECIPEACCESSWRAPPER_H
#define PANTREL_CATALOGUE_RECIPEACCESSWRAPPER_H

#include <QString>
#include <QStringList>

#include <memory>

class BlockingProcess;
class IRecipe;
class IRecipeAccess;
class IRecipeResults;
class RecipeChannel;

// The connection to an installed recipe collection. Each collection is a folder of the
// recipe folder with a file access.txt whose lines "!load!<program>!" name the recipe
// access program to start. The constructor starts the programs in folder-name order until
// one answers the handshake and keeps that one; every object it hands out must be released
// before the wrapper is deleted.
class RecipeAccessWrapper {
public:
    RecipeAccessWrapper();
    // Releases the recipe access object, says goodbye and lets the program go.
    ~RecipeAccessWrapper();

    RecipeAccessWrapper(const RecipeAccessWrapper&) = delete;
    RecipeAccessWrapper& operator=(const RecipeAccessWrapper&) = delete;

    // True while a program answered and can still be spoken to.
    bool isOk() const;
    // A cursor over the recipes found for text, or none.
    IRecipeResults* search(const QString& text);
    // The recipe of that id, or none.
    IRecipe* getRecipe(int id);

    // The folder in which collections are installed (BXSettings::getRecipeDir).
    static QString recipeFolder();

private:
    static QStringList _getPotentialLibs();
    static void _readAccessFile(const QString& path, QStringList* commands);
    void _connect(const QString& command);

    std::unique_ptr<BlockingProcess> _process;
    std::unique_ptr<RecipeChannel> _channel;
    IRecipeAccess* _root = nullptr;
};

#endif
