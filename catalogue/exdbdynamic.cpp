#include "catalogue/exdbdynamic.h"

#include "userdb/nullconversion.h"
#include "userdb/storedid.h"
#include "userdb/storedrange.h"

#include <QVariant>

#include <algorithm>
#include <cassert>

using DBTypes::ExerciseItem;

ExDBDynamic* ExDBDynamic::_instance = nullptr;

namespace {

// What the exercise's dialog takes for its burn rate; one stored outside it reads as none, as
// an empty one always has.
const StoredRange STORED_RATE{"custom_exercises", "scale", PlausibleRange::of(PlausibleRange::BurnRate)};
const StoredRange STORED_NAME{"custom_exercises", "description", PlausibleRange(0, StoredRange::LineLength)};

// Exercise entries keep their exercise's name, not its id; favourites of item_type 2 are
// exercises.
const CustomCatalogueDB::Tables EXERCISE_TABLES = {
    "custom_exercises", "activity_id", "description", "custom_exercise_cats", "description",
    "Exercises",
    {"SELECT MAX(item_id) FROM favorites WHERE item_type = 2 AND item_id >= ? AND item_id < ?"},
    QT_TRANSLATE_NOOP("CustomCatalogueDB", "every number for a new exercise has been given, so "
                                           "no new exercise can be made. Change one of your "
                                           "exercises instead")};

} // namespace

ExDBDynamic* ExDBDynamic::instance()
{
    if (!_instance) {
        _instance = new ExDBDynamic;
        _instance->reload(0, false);
    }
    return _instance;
}

void ExDBDynamic::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

ExDBDynamic::ExDBDynamic()
    : CustomCatalogueDB(EXERCISE_TABLES)
{
}

ExDBDynamic::~ExDBDynamic()
{
    if (_instance == this)
        _instance = nullptr;
}

qint64 ExDBDynamic::createExercise(qint64 categoryId, const QString& name, float scale)
{
    const qint64 id = _createItem(categoryId, [&](qint64 newId) {
        BXSqlQuery insert("INSERT INTO custom_exercises(activity_id, category_id, description, "
                          "scale) VALUES (?, ?, ?, ?)");
        insert.bindValue(0, newId);
        insert.bindValue(1, categoryId);
        insert.bindValue(2, name);
        insert.bindValue(3, scale);
        return insert.exec();
    });
    reload(std::max<qint64>(id, 0), false);
    return id;
}

bool ExDBDynamic::updateExercise(qint64 exerciseId, const QString& name, float scale)
{
    if (!_mayChange(exerciseId, false))
        return false;
    BXSqlQuery update("UPDATE custom_exercises SET description = ?, scale = ? WHERE activity_id = ?");
    update.bindValue(0, name);
    update.bindValue(1, scale);
    update.bindValue(2, exerciseId);
    const bool ok = update.exec();
    reload(exerciseId, false);
    return ok;
}

bool ExDBDynamic::deleteExercise(qint64 exerciseId)
{
    return _deleteItem(exerciseId);
}

std::optional<ExerciseItem> ExDBDynamic::getExercise(qint64 exerciseId) const
{
    BXSqlQuery select("SELECT category_id, description, scale FROM custom_exercises "
                      "WHERE activity_id = ?");
    select.bindValue(0, exerciseId);
    if (select.first() != true)
        return std::nullopt;
    ExerciseItem exercise;
    exercise.id = exerciseId;
    exercise.name = STORED_NAME.readText(select.value(1));
    exercise.offset = float(STORED_RATE.readOr(select.value(2), 0.0));
    exercise.factor = 0.0f;
    return exercise;
}

std::optional<ExerciseItem> ExDBDynamic::findExercise(const QString& name, qint64 user) const
{
    if (user < 0 || user > MAX_USER)
        return std::nullopt;
    // Each exercise of that name is followed up its categories, each found by its key, to the
    // first root on the way: every root is a root only. UNION keeps a category once per
    // exercise, so a cycle in the stored tree ends the walk.
    BXSqlQuery select("WITH RECURSIVE up(exercise, id, parent) AS (SELECT e.activity_id, "
                      "e.category_id, c.parent_id FROM custom_exercises e LEFT JOIN custom_exercise_cats c "
                      "ON c.category_id = e.category_id WHERE e.description = ? UNION SELECT "
                      "up.exercise, c.category_id, c.parent_id FROM up JOIN custom_exercise_cats c "
                      "ON c.category_id = up.parent WHERE up.id NOT BETWEEN ? AND ?) "
                      "SELECT exercise FROM up WHERE id IN (?, ?) ORDER BY exercise LIMIT 1");
    select.bindValue(0, name);
    select.bindValue(1, getRootForUser(0));
    select.bindValue(2, getRootForUser(-1));
    select.bindValue(3, getRootForUser(user));
    select.bindValue(4, getRootForUser(-1));
    if (select.first() != true)
        return std::nullopt;
    const qint64 id = StoredId::read(select.value(0), StoredId::Kind::Catalogue);
    if (!givesItemId(id))
        return std::nullopt;
    return getExercise(id);
}
