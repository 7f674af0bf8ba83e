#include "userdb/diaryinuse.h"

QString DiaryInUse::holder()
{
    return tr("another program (a backup tool or a database shell, say)");
}

QString DiaryInUse::advice()
{
    return tr("Let that program finish or close it, then try again.");
}
