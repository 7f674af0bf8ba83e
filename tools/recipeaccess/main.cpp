// recipeaccess: a recipe access program that serves the recipes of the collection file
// recipes.txt found beside the path it was started by. A collection is installed as a
// folder Recipe/<collection>/ whose access.txt holds the line "!load!<path of this program>!".
// The program's name may select a fault for tests (see RecipeAccessPeer::faultFromName); it
// writes a transcript to the path it was started by followed by ".log".

#include "tools/recipeaccess/recipeaccesspeer.h"
#include "tools/recipeaccess/recipecollection.h"

#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 1) {
        std::fprintf(stderr, "usage: %s (takes no arguments)\n", argv[0]);
        return 2;
    }
    const QFileInfo program(QFile::decodeName(argv[0]));
    RecipeCollection collection;
    QString error;
    if (!collection.load(program.absolutePath() + QStringLiteral("/recipes.txt"), &error)) {
        std::fprintf(stderr, "recipeaccess: %s\n", qPrintable(error));
        return 1;
    }
    RecipeAccessPeer peer(collection, RecipeAccessPeer::faultFromName(program.fileName()),
                          program.absoluteFilePath() + QStringLiteral(".log"));
    return peer.run();
}
