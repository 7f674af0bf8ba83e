#include "catalogue/catalogueservices.h"

#include "catalogue/exdb.h"
#include "catalogue/exdbdynamic.h"
#include "catalogue/exdbstatic.h"
#include "catalogue/fooddb.h"
#include "catalogue/fooddbdynamic.h"
#include "catalogue/fooddbstatic.h"
#include "catalogue/savedmealtree.h"
#include "catalogue/staticdb.h"
#include "core/bxsettings.h"
#include "core/exercisediaryitem.h"
#include "core/fooddiaryitem.h"
#include "userdb/bxexception.h"
#include "userdb/userdb.h"

void CatalogueServices::install()
{
    DBTypes::FoodDiaryItem::setFoodCatalogue([]() -> const FoodDBBase* { return FoodDB::instance(); });
    DBTypes::ExerciseDiaryItem::setExerciseCatalogue(
        []() -> const ExDBBase* { return ExDB::instance(); });
    UserDB::setCatalogueDeleter(&CatalogueServices::deleteUserCatalogues);
    StaticDB::setUserCopyFolder(BXSettings::getUserDBPath());
}

void CatalogueServices::cleanUp()
{
    FoodDB::cleanUp();
    ExDB::cleanUp();
    FoodDBStatic::cleanUp();
    ExDBStatic::cleanUp();
    FoodDBDynamic::cleanUp();
    ExDBDynamic::cleanUp();
    SavedMealTree::cleanUp();
}

// Runs inside the user deletion's transaction, which rolls back on the exception.
void CatalogueServices::deleteUserCatalogues(qint64 user)
{
    if (!FoodDBDynamic::instance()->deleteTreeOf(user))
        throw BXException("Cannot delete the user's custom foods");
    if (!ExDBDynamic::instance()->deleteTreeOf(user))
        throw BXException("Cannot delete the user's custom exercises");
}
