#include "catalogue/cataloguewords.h"

#include <algorithm>
#include <unordered_set>

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

} // namespace

// Names repeat most of their words, so each name's words are gathered in a set first.
CatalogueWords::CatalogueWords(const std::vector<const char*>& names)
{
    std::unordered_set<std::string> words;
    std::string word;
    for (const char* name : names) {
        for (const auto* at = reinterpret_cast<const unsigned char*>(name);; ++at) {
            if (*at != 0 && inWord(*at)) {
                word += char(lowered(*at));
                continue;
            }
            if (!word.empty())
                words.insert(word);
            word.clear();
            if (*at == 0)
                break;
        }
    }
    _words.reserve(words.size());
    for (const std::string& each : words)
        _words.emplace_back(each.data(), qsizetype(each.size()));
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
