#include "net/staticdbupdater.h"

StaticDbUpdater* StaticDbUpdater::s_instance = nullptr;

StaticDbUpdater* StaticDbUpdater::instance()
{
    if (!s_instance)
        s_instance = new StaticDbUpdater;
    return s_instance;
}

void StaticDbUpdater::cleanUp()
{
    delete s_instance;
}

StaticDbUpdater::~StaticDbUpdater()
{
    if (s_instance == this)
        s_instance = nullptr;
}

bool StaticDbUpdater::checkForUpdate()
{
    // No web client is available to this build yet, so no check can be started.
    _error = tr("Database updates cannot be checked: this version cannot reach the update "
                "service.");
    return false;
}

void StaticDbUpdater::abort()
{
    qDebug("StaticDbUpdater: Aborted");
}
