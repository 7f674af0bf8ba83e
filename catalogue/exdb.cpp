#include "catalogue/exdb.h"

#include "catalogue/exdbdynamic.h"
#include "catalogue/exdbstatic.h"

#include <cassert>

ExDB* ExDB::_instance = nullptr;

ExDB* ExDB::instance()
{
    if (!_instance)
        _instance = new ExDB;
    return _instance;
}

void ExDB::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

ExDB::ExDB()
{
    ExDBStatic::instance();
    ExDBDynamic::instance();
}

ExDB::~ExDB()
{
    if (_instance == this)
        _instance = nullptr;
}

// Null for an id outside every catalogue (a stored row of a foreign backup, say): such an
// exercise is unknown.
const ExDBBase* ExDB::_doSplit(qint64 exerciseId)
{
    if (exerciseId < 0 || exerciseId >= 0x3000000)
        return nullptr;
    if (exerciseId > 0xFFFFFF)
        return ExDBDynamic::instance();
    return ExDBStatic::instance();
}

std::optional<DBTypes::ExerciseItem> ExDB::getExercise(qint64 exerciseId) const
{
    const ExDBBase* part = _doSplit(exerciseId);
    return part ? part->getExercise(exerciseId) : std::nullopt;
}

std::optional<DBTypes::ExerciseItem> ExDB::findExercise(const QString& name, qint64 user) const
{
    std::optional<DBTypes::ExerciseItem> shipped = ExDBStatic::instance()->findExercise(name, user);
    return shipped ? shipped : ExDBDynamic::instance()->findExercise(name, user);
}
