#include "catalogue/exdbstatic.h"

#include <QDebug>
#include <QtEndian>

#include <bit>
#include <cassert>
#include <cstddef>

using DBTypes::ExerciseItem;

ExDBStatic* ExDBStatic::_instance = nullptr;

ExDBStatic* ExDBStatic::instance(bool* failed)
{
    if (failed)
        *failed = false;
    if (!_instance)
        _instance = new ExDBStatic(failed);
    return _instance;
}

void ExDBStatic::cleanUp()
{
    delete _instance;
    assert(!_instance);
}

ExDBStatic::ExDBStatic(bool* failed)
    : StaticDB(EXERCISE_CHUNK, failed)
{
}

ExDBStatic::~ExDBStatic()
{
    if (_instance == this)
        _instance = nullptr;
}

std::optional<ExerciseItem> ExDBStatic::getExercise(qint64 exerciseId) const
{
    const BrowsableDBItem* item = _getIndexItem(exerciseId, false);
    if (!item)
        return std::nullopt;
    if (!(item->data[0] & 0x01)) {
        qWarning("ExDBStatic::getExercise - no burn rate!");
        return std::nullopt;
    }
    ExerciseItem exercise;
    exercise.id = exerciseId;
    exercise.name = QString::fromLatin1(item->name);
    exercise.offset = 0.0f;
    exercise.factor = std::bit_cast<float>(qFromBigEndian<quint32>(item->data + 1));
    return exercise;
}

std::optional<ExerciseItem> ExDBStatic::findExercise(const QString& name, qint64) const
{
    for (std::size_t index = 0; index < _items.size(); ++index) {
        if (!(_flags[index] & FLAG_CATEGORY) && nameOf(_items[index]) == name)
            return getExercise(int(_items[index].id));
    }
    return std::nullopt;
}
