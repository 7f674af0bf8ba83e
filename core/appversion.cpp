#include "core/appversion.h"

QString AppVersion::text()
{
    return QStringLiteral(PANTREL_VERSION);
}
