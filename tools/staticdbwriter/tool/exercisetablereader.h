#ifndef PANTREL_TOOLS_STATICDBWRITER_EXERCISETABLEREADER_H
#define PANTREL_TOOLS_STATICDBWRITER_EXERCISETABLEREADER_H

#include "tools/staticdbwriter/cataloguenode.h"

#include <QString>

#include <optional>

// Reads the exercise table: one activity a line as "code|MET|category|name" (lines starting
// with "#" and blank lines are skipped). The activity code is the exercise's id; its major
// heading (the code's thousands) is its category's. The burn rate factor, in kilocalories
// per minute for each kilogram of body weight, is MET x 3.5 / 200.
class ExerciseTableReader {
public:
    static constexpr quint32 CATEGORY_ID_BASE = 0xF00000;

    // The exercise catalogue tree: the categories in the table's order, their exercises in
    // the table's order; none with a message in error on a malformed table.
    static std::optional<CatalogueNode> read(const QString& path, QString* error);

    static float burnRate(double met) { return float(met * 3.5 / 200.0); }
};

#endif
