#pragma once

#include "userdb/storeresult.h"

#include <QCoreApplication>
#include <QString>

#include <string>

// How a start that cannot use the diary tells why: another program's hold (Busy), damage
// (Damaged), or a refusal with its reason, a fault of the system among them (Refused). None
// closes the diary's connection: the start does, before it tells the user.
class StartRefusal
{
    Q_DECLARE_TR_FUNCTIONS(StartRefusal)

public:
    static StoreResult fail(const QString& text);
    static QString inUseText(const QString& path);
    static StoreResult damaged(const QString& path);
    static QString notRead(const QString& path, const QString& reason);
    static StoreResult held(const QString& path);
    static bool stopsReading(const StoreResult& stopped);
    static StoreResult notReadBecause(const QString& path, const StoreResult& stopped);
    static StoreResult isReadableDiary(const QString& path);
    static StoreResult unreadable(const QString& path, const StoreResult& stopped);
    // A reading of a file to be proven that the system failed: it says nothing of the file.
    static std::string notReadNow(const StoreResult& stopped);
};
