#ifndef PANTREL_CORE_APPVERSION_H
#define PANTREL_CORE_APPVERSION_H

#include <QString>

// The version of this build of the program, as "major.minor.patch".
namespace AppVersion {
QString text();
}

#endif
