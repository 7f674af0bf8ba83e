#pragma once

#include <QStringList>

#include <string>

// The files that the program keeps beside the diary, and what a process that died while it
// replaced the diary left of them.
class DiaryKeptFiles
{
public:
    // See BXSqlDb::keptFiles.
    static QStringList list();
    static bool recoverLeftovers(std::string& error);
};
