#include "catalogue/recipeproxydb.h"

#include "catalogue/iorvnutrients.h"
#include "catalogue/irecipe.h"
#include "catalogue/ireciperesults.h"
#include "catalogue/recipeaccesswrapper.h"
#include "catalogue/recipetext.h"
#include "core/fooddiaryitem.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <cmath>
#include <iterator>

using namespace DBTypes;

RecipeProxyDB* RecipeProxyDB::s_instance = nullptr;
bool RecipeProxyDB::s_connecting = false;

namespace {

// The values of the whole recipe from its nutrient set; missing ones, and any that is not a
// finite number, stay as they are.
void readNutrients(IOrvNutrients* nutrients, FoodItem* values)
{
    for (int nut = 0; nut < NUTRIENT_COUNT; ++nut) {
        short has = 0;
        double value = 0.0;
        if (nutrients->HasNutrient(nut, &has) >= 0 && has
            && nutrients->GetNutrient(nut, &value) >= 0 && std::isfinite(float(value)))
            values->setNutrient(NutType(nut), float(value));
    }
}

} // namespace

RecipeProxyDB* RecipeProxyDB::instance(bool create)
{
    // Connecting runs the event loop; a request made from there must not connect twice.
    if (s_instance || !create || s_connecting)
        return s_instance;
    s_connecting = true;
    auto connection = std::make_unique<RecipeAccessWrapper>();
    s_connecting = false;
    if (connection->isOk())
        s_instance = new RecipeProxyDB(std::move(connection));
    return s_instance;
}

void RecipeProxyDB::cleanUp()
{
    delete s_instance;
}

RecipeProxyDB::RecipeProxyDB(std::unique_ptr<RecipeAccessWrapper> connection)
    : _connection(std::move(connection))
{
}

RecipeProxyDB::~RecipeProxyDB()
{
    if (s_instance == this)
        s_instance = nullptr;
}

std::unique_ptr<BrowsableDBIterator> RecipeProxyDB::getChildren(qint64 id, int flagsRequiredOn,
                                                                int flagsRequiredOff) const
{
    if (id != getRootId())
        return nullptr;
    return std::make_unique<BrowsableDBIterator>(_items.data(), _flags.data(), int(_items.size()),
                                                 flagsRequiredOn, flagsRequiredOff);
}

std::unique_ptr<BrowsableDBIterator> RecipeProxyDB::getFlattenedChildren(int flagsRequiredOn,
                                                                         int flagsRequiredOff) const
{
    return getChildren(getRootId(), flagsRequiredOn, flagsRequiredOff);
}

bool RecipeProxyDB::applySearchTerms(const QString& terms, bool checkOnly, int flagsRequiredOn)
{
    const QString stripped = terms.trimmed();
    const bool usable = stripped.size() >= MIN_TERMS_LENGTH;
    if (checkOnly || !usable)
        return usable;
    _apply(flagsRequiredOn != 0 ? QString() : stripped);
    return true;
}

void RecipeProxyDB::resetSearchTerms()
{
    _apply(QString());
}

void RecipeProxyDB::_clear()
{
    _items.clear();
    _flags.clear();
    _names.clear();
}

void RecipeProxyDB::_apply(const QString& text)
{
    _clear();
    if (!_connection->isOk() || text.isEmpty())
        return;
    IRecipeResults* results = _connection->search(text);
    if (!results)
        return;
    const QDeadlineTimer deadline(SEARCH_DEADLINE_MS);
    while (_items.size() < size_t(MAX_SEARCH_RESULTS) && !deadline.hasExpired()) {
        IRecipe* recipe = nullptr;
        const qint32 result = results->Fetch(&recipe);
        if (result == RESULT_OK && recipe)
            _appendRecipe(recipe);
        if (recipe)
            recipe->Release();
        if (result != RESULT_OK || !recipe)
            break;
    }
    results->Release();
}

void RecipeProxyDB::_appendRecipe(IRecipe* recipe)
{
    int id = 0;
    char16_t* name = nullptr;
    if (recipe->GetID(&id) < 0 || recipe->GetName(&name) < 0 || !name) {
        RecipeText::free(name);
        return;
    }
    // A QByteArray keeps its bytes in place when the vector moves it, so the items may
    // point into them.
    _names.push_back(QString::fromUtf16(name).toUtf8());
    RecipeText::free(name);
    BrowsableDBItem item;
    item.id = id;
    item.name = _names.back().constData();
    _items.push_back(item);
    _flags.push_back(FLAG_SEARCH_MATCH);
}

bool RecipeProxyDB::loadRecipeIntoFDI(FoodDiaryItem& fdi, qint64 recipeId)
{
    if (recipeId != qint32(recipeId))
        return false;
    IRecipe* recipe = _connection->getRecipe(qint32(recipeId));
    if (!recipe)
        return false;
    char16_t* name = nullptr;
    if (recipe->GetName(&name) != RESULT_OK || !name) {
        RecipeText::free(name);
        recipe->Release();
        return false;
    }
    fdi.desc = QString::fromUtf16(name);
    RecipeText::free(name);
    fdi.servingDesc = QStringLiteral("serving");
    fdi.servings.clear();
    fdi.servings.push_back({QStringLiteral("serving"), 0, 1.0f});
    fdi.values.quantity = 1.0f;
    fdi.values.kind = 'S';
    fdi.values.clearValues(false);

    IOrvNutrients* nutrients = nullptr;
    if (recipe->GetNutrients(&nutrients) != RESULT_OK || !nutrients) {
        if (nutrients)
            nutrients->Release();
        recipe->Release();
        return false;
    }
    readNutrients(nutrients, &fdi.values);

    int servings = -1;
    if (recipe->GetServings(&servings) != RESULT_OK)
        servings = -1;
    if (servings > 1) {
        fdi.values.scaleValues(1.0f / float(servings));
        fdi.servings.push_back(
            {QString::asprintf("preparation (%0d servings)", servings), 1, float(servings)});
    }
    fdi.baseValues = fdi.values;
    nutrients->Release();

    const bool loaded = servings >= 0;
    if (loaded) {
        fdi.refId = 0;
        fdi.servingId = 0;
        fdi.size = 1.0f;
        fdi.entryId = -1;
        fdi.userId = 0;
        std::fill(std::begin(fdi.date), std::end(fdi.date), '\0');
        fdi.meal = 1;
        fdi.infoLoaded = true;
    }
    recipe->Release();
    return loaded;
}
