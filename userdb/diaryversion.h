#pragma once

#include <QCoreApplication>
#include <QVariant>

#include <optional>
#include <string>

class StoreResult;

// The format version of a diary: the one this build writes, those it reads as they are and
// those it brings up to date.
class DiaryVersion
{
    Q_DECLARE_TR_FUNCTIONS(DiaryVersion)

public:
    // The format this build writes, and the last of the range it opens as it is.
    static constexpr int Current = 412;
    static constexpr int LastCompatible = 499;
    static constexpr int OldestUpgradable = 204;

    static bool isCurrent(int version);
    static bool isUpgradable(int version);
    // Whether a start opens a diary of this format, as it is or brought up to date.
    static bool isOpenable(int version);
    // What the user is told of a diary of a format that this build does not read.
    static std::string unsupported(int version);
    // The schema version as it is stored in the running connection's file; nothing when there is
    // none or it could not be read: then `stopped` says why, when the reading failed.
    static std::optional<QVariant> stored(StoreResult* stopped);
    // The schema version stored in the running connection's file; throws BXException when it
    // cannot be read or is no number.
    static int read();
    // The number of a stored schema version; nothing when it is none.
    static std::optional<int> of(const QVariant& stored);
};
