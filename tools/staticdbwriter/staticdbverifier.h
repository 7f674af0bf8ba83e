#ifndef PANTREL_TOOLS_STATICDBWRITER_STATICDBVERIFIER_H
#define PANTREL_TOOLS_STATICDBWRITER_STATICDBVERIFIER_H

#include <QStringList>

class IndexedDB;
class StaticDB;

// Checks a loaded catalogue against the rules its readers rely on. Each check returns the
// problems found, empty when there are none.
class StaticDBVerifier {
public:
    // The root (a category with id 0) is the last record; every category's children form
    // one block inside the array with as many categories and items as it counts; every
    // record but the root is reached exactly once from the root; names lie back to back in
    // record order; ids are unique.
    static QStringList verifyTree(const IndexedDB& tree);
    // The tree rules, and every food's record decodes and has a serving or a reference
    // quantity. (The loader itself refuses a food whose ranking group is no category.)
    static QStringList verifyFoods(const StaticDB& foods);
    // The tree rules, and every exercise has a burn rate above 0.
    static QStringList verifyExercises(const StaticDB& exercises);
};

#endif
