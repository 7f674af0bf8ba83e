#pragma once

#include <QString>

#include <string>
#include <utility>

// The check-in values of one date: six measurements, each with a presence flag and an
// "exact" flag (recorded on this very date rather than carried forward), and a journal note.
class UserMeasurements
{
public:
    enum Measurements { Weight = 0, Chest = 1, Waist = 2, Hip = 3, Thigh = 4, Steps = 5 };
    static constexpr int Count = 6;

    // The marker that a stored check-in without a note passes to the value constructor.
    static const char* const NoNote;

    UserMeasurements() = default;
    // Values in the column order of user_checkins; each value above 0, and a
    // count of 0 steps, is present and exact.
    UserMeasurements(float weight, float chest, float hip, float thigh, float waist, float steps,
                     const std::string& note);

    void set(Measurements m, float value, bool exact);
    bool has(Measurements m) const { return _slots[m].has; }
    bool exact(Measurements m) const { return _slots[m].exact; }
    float value(Measurements m) const { return _slots[m].value; }

    const std::string& note() const { return _note; }
    void setNote(const std::string& note) { _note = note; }
    bool noteExact() const { return _noteExact; }
    void setNoteExact(bool exact) { _noteExact = exact; }

    // The waist over the hip with two decimals, as every screen and report shows it; empty
    // without both measurements.
    QString waistHipRatioText() const;

    // True when no measurement was recorded on this set's date and the note is empty.
    bool isEmpty() const;

private:
    struct Slot
    {
        float value = 0.0f;
        bool has = false;
        bool exact = false;
    };

    Slot _slots[Count];
    bool _noteExact = false;
    std::string _note;
};
