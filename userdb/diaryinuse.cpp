#include "userdb/diaryinuse.h"

QString DiaryInUse::examples()
{
    return tr("(a backup tool or a database shell, say)");
}

QString DiaryInUse::holder()
{
    return tr("another program %1").arg(examples());
}

QString DiaryInUse::holding(const QString& what)
{
    return tr("another program holds %1 %2").arg(what, examples());
}

QString DiaryInUse::advice()
{
    return tr("Let that program finish or close it, then try again.");
}
