#include "tools/staticdbwriter/foodrecord.h"

#include "tools/staticdbwriter/recordbytes.h"

#include <cassert>

namespace {

constexpr int SLOTS_PER_PRESENCE_BYTE = 7;
constexpr unsigned char MORE_PRESENCE = 0x80;
constexpr unsigned char HAS_REFERENCE = 0x40;
constexpr unsigned char KIND_BITS = 0x30;
constexpr unsigned char SERVING_COUNT_BITS = 0x0F;

unsigned char kindBits(char kind)
{
    switch (kind) {
    case 'M':
        return 0x10;
    case 'V':
        return 0x20;
    default:
        return 0x00;
    }
}

char kindLetter(unsigned char bits)
{
    switch (bits & KIND_BITS) {
    case 0x10:
        return 'M';
    case 0x20:
        return 'V';
    default:
        return 'S';
    }
}

} // namespace

QByteArray FoodRecord::encode() const
{
    assert(servings.size() <= size_t(MAX_SERVINGS) && !displayName.contains('\0'));
    QByteArray out;
    RecordBytes::appendU32(out, rankingGroup);
    out.append(displayName).append('\0');

    const int lastSlot = nutrients.empty() ? 0 : nutrients.rbegin()->first;
    const int presenceBytes = lastSlot / SLOTS_PER_PRESENCE_BYTE + 1;
    for (int k = 0; k < presenceBytes; ++k) {
        unsigned char presence = k + 1 < presenceBytes ? MORE_PRESENCE : 0;
        QByteArray values;
        for (int b = 0; b < SLOTS_PER_PRESENCE_BYTE; ++b) {
            const auto found = nutrients.find(k * SLOTS_PER_PRESENCE_BYTE + b);
            if (found == nutrients.end())
                continue;
            presence |= static_cast<unsigned char>(1 << b);
            RecordBytes::appendFloat(values, found->second);
        }
        out.append(char(presence)).append(values);
    }

    unsigned char kindByte = kindBits(kind) | static_cast<unsigned char>(servings.size());
    if (referenceQuantity)
        kindByte |= HAS_REFERENCE;
    out.append(char(kindByte));
    if (referenceQuantity)
        RecordBytes::appendFloat(out, *referenceQuantity);
    for (const Serving& serving : servings) {
        assert(!serving.name.contains('\0'));
        RecordBytes::appendFloat(out, serving.weight);
        out.append(serving.name).append('\0');
    }
    return out;
}

std::optional<FoodRecord> FoodRecord::decode(const unsigned char* data, const unsigned char* end)
{
    RecordBytes in(data, end);
    FoodRecord record;
    record.rankingGroup = in.u32();
    record.displayName = in.text();
    unsigned char presence = MORE_PRESENCE;
    for (int k = 0; in.valid() && (presence & MORE_PRESENCE); ++k) {
        presence = in.byte();
        for (int b = 0; b < SLOTS_PER_PRESENCE_BYTE; ++b) {
            if (presence & (1 << b))
                record.nutrients[k * SLOTS_PER_PRESENCE_BYTE + b] = in.readFloat();
        }
    }
    const unsigned char kindByte = in.byte();
    record.kind = kindLetter(kindByte);
    if (kindByte & HAS_REFERENCE)
        record.referenceQuantity = in.readFloat();
    for (int i = 0; i < (kindByte & SERVING_COUNT_BITS); ++i) {
        Serving serving;
        serving.weight = in.readFloat();
        serving.name = in.text();
        record.servings.push_back(serving);
    }
    if (!in.valid())
        return std::nullopt;
    return record;
}
