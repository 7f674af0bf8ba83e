#ifndef PANTREL_CATALOGUE_CATALOGUESERVICES_H
#define PANTREL_CATALOGUE_CATALOGUESERVICES_H

// Connects the catalogues to the layers below them, which cannot call them directly: diary
// entries look their foods and exercises up in FoodDB and ExDB, and deleting a user removes
// the user's custom foods and exercises with their categories.
#include <QtGlobal>

class CatalogueServices {
public:
    // Installs the hooks; start-up calls it once, before any entry loads catalogue values.
    // The catalogues themselves are still built on first use; the static ones then prefer
    // the user's updated copy in the user-database folder.
    static void install();
    // Deletes every catalogue singleton (the shipped-file mapping goes with the last static
    // store); the next use builds them again.
    static void cleanUp();

private:
    static void deleteUserCatalogues(qint64 user);
};

#endif
