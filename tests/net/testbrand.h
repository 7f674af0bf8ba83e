#pragma once

// Loads the shipped brand with some definitions replaced, e.g. the online services switched
// on and their addresses pointing at a test server. The replacements are imported first,
// because the first definition of an id wins.

#include <QMap>
#include <QString>

bool importBrandWithOverrides(const QMap<QString, QString>& strings, const QMap<QString, bool>& switches);
