#ifndef PANTREL_TOOLS_STATICDBWRITER_EXERCISERECORD_H
#define PANTREL_TOOLS_STATICDBWRITER_EXERCISERECORD_H

#include <QByteArray>

#include <optional>

// The record of an exercise in the catalogue file: its burn rate factor, the kilocalories
// per minute for each kilogram of body weight.
struct ExerciseRecord {
    std::optional<float> burnRate;

    QByteArray encode() const;
    // None when the record does not end before end.
    static std::optional<ExerciseRecord> decode(const unsigned char* data, const unsigned char* end);
};

#endif
