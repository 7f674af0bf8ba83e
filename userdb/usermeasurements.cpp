#include "userdb/usermeasurements.h"

#include "core/numberparser.h"

#include <cmath>

const char* const UserMeasurements::NoNote = "<__NO_NOTE__>";

UserMeasurements::UserMeasurements(float weight, float chest, float hip, float thigh, float waist,
                                   float steps, const std::string& note)
{
    const std::pair<Measurements, float> values[] = {
        {Weight, weight}, {Chest, chest}, {Hip, hip}, {Thigh, thigh}, {Waist, waist}, {Steps, steps}};
    for (const auto& [m, v] : values) {
        // A weight or a length of 0 is none; a count of 0 steps is a count.
        if (v > 0.0f || (m == Steps && v == 0.0f))
            set(m, v, true);
    }
    if (note != NoNote) {
        _note = note;
        _noteExact = true;
    }
}

void UserMeasurements::set(Measurements m, float value, bool exact)
{
    _slots[m] = Slot{value, true, exact};
}

bool UserMeasurements::isEmpty() const
{
    for (const Slot& slot : _slots) {
        if (slot.exact)
            return false;
    }
    return _note.empty();
}

QString UserMeasurements::waistHipRatioText() const
{
    if (!has(Waist) || !has(Hip) || value(Hip) <= 0.0f)
        return QString();
    // Rounded in hundredths from the stored figures, so that 88.5 over 100 is 0.89, never
    // 0.88 through a float's 0.88499.
    const double hundredths = std::round(100.0 * double(value(Waist)) / double(value(Hip)));
    return NumberParser::write(hundredths / 100.0, 2);
}
