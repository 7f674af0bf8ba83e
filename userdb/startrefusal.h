#pragma once

#include <QString>

#include <string>

class StoreOutcome;

// How a start that cannot use the diary tells why: another program's hold, damage, a fault of
// the system, or a refusal of its own. Each closes the connection and returns false.
class StartRefusal
{
public:
    static bool fail(std::string& error, const std::string& text);
    static QString inUseText(const QString& path);
    static bool damaged(const QString& path, std::string& error, StoreOutcome* outcome);
    static std::string notRead(const QString& path, const QString& reason);
    static bool held(const QString& path, std::string& error, StoreOutcome* outcome);
    static bool stopsReading(const StoreOutcome& stopped);
    static bool notReadBecause(const QString& path, const StoreOutcome& stopped, std::string& error,
                               StoreOutcome* outcome);
    static bool isReadableDiary(const QString& path, std::string& error, StoreOutcome* outcome);
    static bool unreadable(const QString& path, const StoreOutcome& stopped, std::string& error,
                           StoreOutcome* outcome);
};
