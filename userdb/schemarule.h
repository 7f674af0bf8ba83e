#pragma once

#include "userdb/diaryschema.h"

#include <QCoreApplication>

#include <optional>
#include <span>
#include <string>

class StoreResult;

// The one schema rule: the running connection's schema compared whole with the program's own
// (the shipped empty diary with the indexes that every start makes, see DiarySchema).
class SchemaRule
{
    Q_DECLARE_TR_FUNCTIONS(SchemaRule)

public:
    // Whether the running connection's schema is the program's own for the format `version`,
    // compared whole (see DiarySchema); false with what differs. Nothing when that cannot be told,
    // with why (`stopped`, when given, then gets the failure of a reading of the diary).
    static std::optional<bool> holdsOwn(int version, std::string& error, StoreResult* stopped = nullptr);
    // The tables of the running connection that the program's own schema declares otherwise,
    // each to be made again as the program declares it (see DiarySchema::rebuildsTo); nothing
    // when that cannot be told, with why.
    static std::optional<QList<DiarySchema::Rebuild>> rebuildsToOwn(std::string& error);
    // Whether the running connection's schema of the format `version` differs from the
    // program's own only in tables that rebuildsToOwn makes the program's own, as the upgrades of
    // earlier builds left them; false when it is the program's own, differs otherwise, is of
    // another format or cannot be read.
    static bool holdsOwnOnceRebuilt(int version);
    // Whether the running connection holds no trigger, which an upgrade's changes would run;
    // otherwise false with the triggers, or why they cannot be read.
    static bool holdsNoTrigger(std::string& error);
    // The indexes that every start makes.
    static std::span<const char* const> indexes();
};
