#include "tools/staticdbwriter/exerciserecord.h"

#include "tools/staticdbwriter/recordbytes.h"

namespace {

constexpr unsigned char HAS_BURN_RATE = 0x01;

} // namespace

QByteArray ExerciseRecord::encode() const
{
    QByteArray out;
    out.append(char(burnRate ? HAS_BURN_RATE : 0));
    if (burnRate)
        RecordBytes::appendFloat(out, *burnRate);
    return out;
}

std::optional<ExerciseRecord> ExerciseRecord::decode(const unsigned char* data,
                                                     const unsigned char* end)
{
    RecordBytes in(data, end);
    ExerciseRecord record;
    if (in.byte() & HAS_BURN_RATE)
        record.burnRate = in.readFloat();
    if (!in.valid())
        return std::nullopt;
    return record;
}
