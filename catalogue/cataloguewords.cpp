#include "catalogue/cataloguewords.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr int SHORTEST_PART = 3;
constexpr int MOST_PARTS = 3;

bool inWord(unsigned char c)
{
    return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

unsigned char lowered(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

size_t foldedHash(std::string_view word)
{
    size_t hash = 14695981039346656037ULL;
    for (char c : word)
        hash = (hash ^ lowered(static_cast<unsigned char>(c))) * 1099511628211ULL;
    return hash;
}

bool foldedEqual(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowered(static_cast<unsigned char>(x)) == lowered(static_cast<unsigned char>(y));
           });
}

// The words of the names, ignoring case, each where it first stands: most words repeat, so
// each is looked up in an open table and kept only the first time.
class WordTable {
public:
    void insert(std::string_view word)
    {
        size_t slot = foldedHash(word) & (_slots.size() - 1);
        for (; !_slots[slot].empty(); slot = (slot + 1) & (_slots.size() - 1)) {
            if (foldedEqual(_slots[slot], word))
                return;
        }
        _slots[slot] = word;
        if (++_count * 2 > _slots.size())
            _grow();
    }
    const std::vector<std::string_view>& held() const { return _slots; }

private:
    void _grow()
    {
        std::vector<std::string_view> old(_slots.size() * 2);
        old.swap(_slots);
        _count = 0;
        for (std::string_view word : old) {
            if (!word.empty())
                insert(word);
        }
    }

    std::vector<std::string_view> _slots = std::vector<std::string_view>(1 << 14);
    size_t _count = 0;
};

} // namespace

CatalogueWords::CatalogueWords(const std::vector<const char*>& names)
{
    WordTable words;
    for (const char* name : names) {
        const char* start = nullptr;
        for (const char* at = name;; ++at) {
            const bool letter = *at != 0 && inWord(static_cast<unsigned char>(*at));
            if (letter && !start)
                start = at;
            if (!letter && start) {
                words.insert(std::string_view(start, size_t(at - start)));
                start = nullptr;
            }
            if (*at == 0)
                break;
        }
    }
    for (std::string_view word : words.held()) {
        if (word.empty())
            continue;
        QByteArray lower(word.data(), qsizetype(word.size()));
        for (char& c : lower)
            c = char(lowered(static_cast<unsigned char>(c)));
        _words.push_back(lower);
    }
    std::sort(_words.begin(), _words.end());
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
