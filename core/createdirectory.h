#pragma once

#include <QString>

// Creates every missing directory along path, level by level, each private to the user
// (mode 0700).
// A path starting with "//" names a network share whose first two components are taken as
// given. True when the whole path exists as a directory at the end.
bool orvCreateDirectory(const QString& path);
