#include "userdb/storedid.h"

#include "core/fooddbbase.h"

namespace {
// Each user's own foods and exercises hang under a root of the user's id, below the shared one.
constexpr qint64 LastUser = FoodDBBase::SharedRootId - FoodDBBase::UserRootBase - 1;
} // namespace

StoredId::Range StoredId::range(Kind kind)
{
    switch (kind) {
    case Kind::Row:
        return {1, HighestRowId};
    case Kind::Device:
        return {0, HighestRowId};
    case Kind::User:
        return {0, LastUser};
    case Kind::Owner:
        return {-1, LastUser};
    case Kind::Catalogue:
        return {0, FoodDBBase::IdSpaceEnd - 1};
    case Kind::CustomCategory:
        return {FoodDBBase::FirstCustomId, FoodDBBase::SharedRootId};
    case Kind::CustomItem:
        return {FoodDBBase::FirstCustomId, FoodDBBase::IdSpaceEnd - 1};
    }
    return {0, -1};
}

bool StoredId::within(qint64 id, Kind kind)
{
    const Range ids = range(kind);
    return id >= ids.first && id <= ids.last;
}

bool StoredId::holds(const QVariant& value, Kind kind)
{
    const int type = value.typeId();
    return !value.isNull() && (type == QMetaType::LongLong || type == QMetaType::Int)
        && within(value.toLongLong(), kind);
}

qint64 StoredId::read(const QVariant& value, Kind kind)
{
    return holds(value, kind) ? value.toLongLong() : -1;
}

QString StoredId::unheldSql(const QString& column)
{
    return QStringLiteral("(%1 IS NOT NULL AND NOT (typeof(%1) = 'integer' AND %1 BETWEEN ? AND ?))")
        .arg(column);
}
