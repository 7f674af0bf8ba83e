#include "userdb/diarylocation.h"

#include "core/bxsettings.h"
#include "core/workingfile.h"

QString DiaryLocation::folder()
{
    return BXSettings::getUserDBPath();
}

QString DiaryLocation::file()
{
    return WorkingFile::fileBehind(path());
}

QString DiaryLocation::workingCopy(const char* suffix)
{
    return DiaryLocation::file() + QLatin1String(suffix);
}

QString DiaryLocation::path()
{
    return DiaryLocation::folder() + QLatin1String(FileName);
}
