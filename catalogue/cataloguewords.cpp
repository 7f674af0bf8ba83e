#include "catalogue/cataloguewords.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

constexpr int SHORTEST_PART = 3;
constexpr int MOST_PARTS = 3;

constexpr unsigned char lowered(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Each byte lowered where it belongs to a word, NUL where it does not: any byte at or above
// 0x80, digits and A-Z, a-z.
constexpr std::array<unsigned char, 256> WORD_BYTES = [] {
    std::array<unsigned char, 256> bytes{};
    for (int c = 1; c < 256; ++c) {
        const bool inWord = c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bytes[c] = inWord ? lowered(static_cast<unsigned char>(c)) : 0;
    }
    return bytes;
}();

bool inWord(char c)
{
    return WORD_BYTES[static_cast<unsigned char>(c)] != 0;
}

bool foldedEqual(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return WORD_BYTES[static_cast<unsigned char>(x)] == WORD_BYTES[static_cast<unsigned char>(y)];
           });
}

// A word as the scan of a name gathers it: where it stands, and its first 16 bytes lowered,
// which tell two words of up to 16 bytes apart without looking at them again.
struct ScannedWord {
    std::string_view word;
    std::array<quint64, 2> head{};

    quint64 hash() const
    {
        const quint64 hash = (head[0] ^ (quint64(word.size()) << 56)) * 0x9E3779B97F4A7C15ULL;
        return (hash ^ (hash >> 29) ^ head[1]) * 0xBF58476D1CE4E5B9ULL;
    }
    bool sameAs(const ScannedWord& other) const
    {
        return word.size() == other.word.size() && head[0] == other.head[0] && head[1] == other.head[1]
            && (word.size() <= sizeof(head) || foldedEqual(word, other.word));
    }
};

// The words of the names, ignoring case, each where it first stands: most words repeat, so
// each is looked up in an open table by its hash and kept only the first time.
class WordTable {
public:
    void insert(const ScannedWord& word)
    {
        const quint64 hash = word.hash();
        size_t slot = hash & (_slots.size() - 1);
        for (; !_slots[slot].word.word.empty(); slot = (slot + 1) & (_slots.size() - 1)) {
            if (_slots[slot].hash == hash && _slots[slot].word.sameAs(word))
                return;
        }
        _slots[slot] = {word, hash};
        if (++_count * 2 > _slots.size())
            _grow();
    }
    template<typename Visit>
    void forEach(Visit visit) const
    {
        for (const Slot& slot : _slots) {
            if (!slot.word.word.empty())
                visit(slot.word.word);
        }
    }

private:
    struct Slot {
        ScannedWord word;
        quint64 hash = 0;
    };

    void _grow()
    {
        std::vector<Slot> old(_slots.size() * 2);
        old.swap(_slots);
        for (const Slot& held : old) {
            if (held.word.word.empty())
                continue;
            size_t slot = held.hash & (_slots.size() - 1);
            while (!_slots[slot].word.word.empty())
                slot = (slot + 1) & (_slots.size() - 1);
            _slots[slot] = held;
        }
    }

    std::vector<Slot> _slots = std::vector<Slot>(1 << 14);
    size_t _count = 0;
};

// Where the words of name that the previous name does not hold as well may start: the last
// byte outside a word within the bytes the two names open with alike (the names of a category
// mostly share their first words), else the name's start.
const char* firstNewWord(const char* name, const char* previous)
{
    const char* fresh = name;
    if (!previous)
        return fresh;
    for (const char* at = name; *at != 0 && *at == *previous; ++at, ++previous) {
        if (!inWord(*at))
            fresh = at;
    }
    return fresh;
}

std::vector<QByteArray> loweredInOrder(const WordTable& table)
{
    std::vector<QByteArray> words;
    table.forEach([&words](std::string_view word) {
        QByteArray lower(word.data(), qsizetype(word.size()));
        for (char& c : lower)
            c = char(WORD_BYTES[static_cast<unsigned char>(c)]);
        words.push_back(lower);
    });
    std::sort(words.begin(), words.end());
    return words;
}

} // namespace

CatalogueWords::CatalogueWords(const std::vector<const char*>& names)
{
    WordTable words;
    WordTable firstWords;
    const char* previous = nullptr;
    for (const char* name : names) {
        const char* fresh = firstNewWord(name, previous);
        for (const char* at = fresh; *at != 0;) {
            if (!WORD_BYTES[static_cast<unsigned char>(*at)]) {
                ++at;
                continue;
            }
            const char* start = at;
            ScannedWord scanned;
            for (int shift = 0; shift < 128; shift += 8, ++at) {
                const unsigned char byte = WORD_BYTES[static_cast<unsigned char>(*at)];
                if (!byte)
                    break;
                scanned.head[shift / 64] |= quint64(byte) << (shift % 64);
            }
            while (WORD_BYTES[static_cast<unsigned char>(*at)])
                ++at;
            scanned.word = std::string_view(start, size_t(at - start));
            words.insert(scanned);
            if (start == fresh)
                firstWords.insert(scanned);
        }
        previous = name;
    }
    _words = loweredInOrder(words);
    _firstWords = loweredInOrder(firstWords);
}

bool CatalogueWords::opensAName(const QByteArray& word) const
{
    return std::binary_search(_firstWords.begin(), _firstWords.end(), word);
}

bool CatalogueWords::opensAWord(const QByteArray& word) const
{
    const auto found = std::lower_bound(_words.begin(), _words.end(), word);
    return found != _words.end() && found->startsWith(word);
}

bool CatalogueWords::_holds(QByteArrayView word) const
{
    return std::binary_search(_words.begin(), _words.end(), word,
                              [](QByteArrayView a, QByteArrayView b) { return a.compare(b) < 0; });
}

QList<QByteArray> CatalogueWords::split(const QByteArray& word) const
{
    for (int parts = 2; parts <= MOST_PARTS; ++parts) {
        QList<QByteArray> found;
        // The first part from its longest; the last one takes what is left.
        const auto splitFrom = [&](auto& self, QByteArrayView rest, int left) -> bool {
            if (left == 1)
                return rest.size() >= SHORTEST_PART && _holds(rest) && (found << rest.toByteArray(), true);
            for (qsizetype cut = rest.size() - SHORTEST_PART * (left - 1); cut >= SHORTEST_PART; --cut) {
                if (!_holds(rest.first(cut)))
                    continue;
                found << rest.first(cut).toByteArray();
                if (self(self, rest.sliced(cut), left - 1))
                    return true;
                found.removeLast();
            }
            return false;
        };
        if (splitFrom(splitFrom, word, parts))
            return found;
    }
    return {};
}

QList<QByteArray> CatalogueWords::closingUp(const QByteArray& word) const
{
    QList<QByteArray> found;
    for (auto at = std::upper_bound(_words.begin(), _words.end(), word); at != _words.end() && at->startsWith(word); ++at) {
        const QByteArrayView rest = QByteArrayView(*at).sliced(word.size());
        if (rest.size() >= SHORTEST_PART && _holds(rest))
            found << *at;
    }
    return found;
}
