#include "catalogue/indexeddb.h"

#include "catalogue/cataloguewords.h"
#include "catalogue/stringmatcherutf.h"
#include "catalogue/wordforms.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t MAX_SEARCH_WORDS = 31;
constexpr int SHORTEST_CLOSED_UP = 6;
// A shorter word opens too many of the catalogue's words to name one of them (a word still
// being typed: "chicken b").
constexpr int SHORTEST_CLOSING = 3;

// Two searched words that the table of spellings holds as one ("tomato ketchup"), joined.
QString phraseOf(const QString& first, const QString& second)
{
    const QChar exclusion(QLatin1Char('-'));
    if (first.startsWith(exclusion) || second.startsWith(exclusion))
        return QString();
    return WordForms::joinedPhrase(first, second);
}

} // namespace

std::unique_ptr<BrowsableDBIterator> IndexedDB::getChildren(qint64 id, int flagsRequiredOn,
                                                            int flagsRequiredOff) const
{
    const std::optional<size_t> category = _categoryIndex(id);
    if (!category)
        return nullptr;
    const BrowsableDBItem& item = _items[*category];
    return std::make_unique<BrowsableDBIterator>(_items.data() + item.firstChild,
                                                 _flags.data() + item.firstChild,
                                                 int(item.childCount()), flagsRequiredOn,
                                                 flagsRequiredOff);
}

std::unique_ptr<BrowsableDBIterator> IndexedDB::getFlattenedChildren(int flagsRequiredOn,
                                                                     int flagsRequiredOff) const
{
    const int count = _items.empty() ? 0 : int(_items.size()) - 1;
    return std::make_unique<BrowsableDBIterator>(_items.data(), _flags.data(), count,
                                                 flagsRequiredOn, flagsRequiredOff);
}

bool IndexedDB::applySearchTerms(const QString& terms, bool checkOnly, int flagsRequiredOn)
{
    std::vector<QString> words;
    getWordsIntoVector(words, terms);
    if (words.empty())
        return false;
    if (!checkOnly)
        words = _searchWords(terms);

    Matchers matchers;
    quint32 fullMask = 0;
    int longest = 0;
    const QString exclusionMark(QLatin1Char('-'));
    if (words.size() <= MAX_SEARCH_WORDS) {
        // The searched words before the excluded ones (see _matchMask).
        for (const bool searched : {true, false}) {
            for (const QString& word : words) {
                if (word == exclusionMark || word.startsWith(exclusionMark) == searched)
                    continue;
                if (searched)
                    fullMask |= quint32(1) << matchers.size();
                const QString text = searched ? word : word.mid(1);
                matchers.push_back(_matcherFor(text));
                longest = std::max(longest, int(text.size()));
            }
        }
    }
    const bool usable = fullMask != 0 && longest > 2;
    if (checkOnly)
        return usable;
    if (!usable) {
        _clearSearchMatches();
        return true;
    }
    // A tree that holds no root of the user now current (none is shown, say) matches nothing.
    const std::optional<size_t> root = _items.empty() ? std::nullopt : _categoryIndex(getRootId());
    if (!root) {
        _clearSearchMatches();
        return true;
    }
    const BrowsableDBItem& rootItem = _items[*root];
    _doSearch(rootItem.firstChild, rootItem.firstChild + rootItem.childCount(), matchers,
              fullMask, static_cast<unsigned char>(flagsRequiredOn));
    return true;
}

SearchRank IndexedDB::rankFor(const QString& terms) const
{
    const std::vector<QString> words = _searchWords(terms);
    std::vector<QByteArray> closedUp;
    for (const QString& word : words) {
        if (word.size() < SHORTEST_CLOSING || word.startsWith(QLatin1Char('-')) || _opensAName(word))
            continue;
        const QList<QByteArray> closing = _catalogueWords().closingUp(_encoded(word));
        closedUp.insert(closedUp.end(), closing.begin(), closing.end());
    }
    return SearchRank(QStringList(words.begin(), words.end()).join(QLatin1Char(' ')), closedUp);
}

bool IndexedDB::_opensAName(const QString& word) const
{
    const WordForms forms(word);
    const QStringList written = QStringList{forms.word()} + forms.others();
    return std::any_of(written.begin(), written.end(),
                       [this](const QString& form) { return _catalogueWords().opensAName(_encoded(form)); });
}

std::vector<QString> IndexedDB::_searchWords(const QString& terms) const
{
    std::vector<QString> typed;
    getWordsIntoVector(typed, terms);
    std::vector<QString> words;
    for (size_t i = 0; i < typed.size(); ++i) {
        const QString phrase = i + 1 < typed.size() ? phraseOf(typed[i], typed[i + 1]) : QString();
        if (phrase.isEmpty()) {
            words.push_back(_apartIfClosedUp(typed[i]));
            continue;
        }
        words.push_back(phrase);
        ++i;
    }
    return words;
}

// Two words of six letters or more make the shortest word worth splitting.
QString IndexedDB::_apartIfClosedUp(const QString& word) const
{
    const bool letters = std::all_of(word.cbegin(), word.cend(), [](QChar c) { return c.isLetter(); });
    if (word.size() < SHORTEST_CLOSED_UP || !letters || !WordForms(word).otherSpelling().isEmpty()
        || _catalogueWords().opensAWord(_encoded(word)))
        return word;
    QStringList apart;
    for (const QByteArray& part : _catalogueWords().split(_encoded(word)))
        apart << (_utf8Names ? QString::fromUtf8(part) : QString::fromLatin1(part));
    return apart.isEmpty() ? word : apart.join(QLatin1Char('-'));
}

std::unique_ptr<StringMatcherUtf> IndexedDB::_matcherFor(const QString& word) const
{
    const auto encoding = _utf8Names ? StringMatcherUtf::Encoding::Utf8 : StringMatcherUtf::Encoding::Latin1;
    const QString other = WordForms(word).otherSpelling();
    if (other.isEmpty())
        return std::make_unique<StringMatcherUtf>(word, encoding);
    const bool holdsTyped = _namesWrite(WordForms(word).word());
    const bool holdsOther = _namesWrite(other);
    if (holdsTyped == holdsOther)
        return std::make_unique<StringMatcherUtf>(word, encoding);
    return std::make_unique<StringMatcherUtf>(holdsTyped ? word : other, encoding,
                                              StringMatcherUtf::Spelling::AsWritten);
}

// Each word that its hyphens join opens a word of a name.
bool IndexedDB::_namesWrite(const QString& word) const
{
    const QStringList parts = WordForms::apartAndJoined(word).value(0, word).split(QLatin1Char(' '));
    return std::all_of(parts.begin(), parts.end(),
                       [this](const QString& part) { return _catalogueWords().opensAWord(_encoded(part)); });
}

QByteArray IndexedDB::_encoded(const QString& word) const
{
    const QString lowered = word.toLower();
    return _utf8Names ? lowered.toUtf8() : lowered.toLatin1();
}

const CatalogueWords& IndexedDB::_catalogueWords() const
{
    if (_gathering.valid())
        _words = _gathering.get();
    if (!_words)
        _words = std::make_unique<CatalogueWords>(_nameList());
    return *_words;
}

void IndexedDB::_gatherWords()
{
    _forgetWords();
    _gathering = std::async(std::launch::async, [this] { return std::make_unique<CatalogueWords>(_nameList()); });
}

std::vector<const char*> IndexedDB::_nameList() const
{
    std::vector<const char*> names;
    names.reserve(_items.size());
    for (const BrowsableDBItem& item : _items) {
        if (item.name)
            names.push_back(item.name);
    }
    return names;
}

void IndexedDB::resetSearchTerms()
{
    for (unsigned char& flags : _flags)
        flags = static_cast<unsigned char>((flags | FLAG_SEARCH_MATCH) & ~FLAG_SEARCH_PARENT_OF_MATCH);
    for (size_t i = 1; i < _items.size(); ++i) {
        if (_items[i].name <= _items[i - 1].name) {
            qWarning("names are not in order!");
            break;
        }
    }
}

const BrowsableDBItem* IndexedDB::_getIndexItem(qint64 id, bool isCategory) const
{
    if (isCategory) {
        const auto found = _categoryMap.find(id);
        return found != _categoryMap.end() ? &_items[found->second] : nullptr;
    }
    const auto found = _itemMap.find(id);
    return found != _itemMap.end() ? &_items[found->second] : nullptr;
}

IndexedDB::IndexedDB() = default;

IndexedDB::~IndexedDB()
{
    _forgetWords();
}

void IndexedDB::_forgetWords()
{
    if (_gathering.valid())
        _gathering.wait();
    _gathering = {};
    _words.reset();
}

void IndexedDB::_clearIndex()
{
    _forgetWords();
    _items.clear();
    _flags.clear();
    _categoryMap.clear();
    _itemMap.clear();
}

void IndexedDB::_mapRecord(size_t index)
{
    if (_flags[index] & FLAG_CATEGORY)
        _categoryMap[_items[index].id] = index;
    else
        _itemMap.try_emplace(_items[index].id, index);
}

// Marks the records of a run and everything below them. The categories on the way down are
// kept in a list of their own, so a tree of any depth is searched; a category whose name does
// not settle the words hands its mask on to its children, and is marked as the parent of a
// match once the walk leaves it with a match below.
void IndexedDB::_doSearch(size_t first, size_t end, const Matchers& matchers, quint32 fullMask,
                          unsigned char required)
{
    struct Run {
        size_t category;
        size_t next;
        size_t end;
        quint32 foundMask;
        bool found;
    };
    std::vector<Run> runs{{0, first, end, 0, false}};
    for (;;) {
        Run& run = runs.back();
        if (run.next == run.end) {
            const Run done = run;
            runs.pop_back();
            if (runs.empty())
                return;
            if (done.found) {
                _flags[done.category] |= FLAG_SEARCH_BITS;
                runs.back().found = true;
            }
            continue;
        }
        const size_t i = run.next++;
        const bool category = (_flags[i] & FLAG_CATEGORY) != 0;
        if ((_flags[i] & required) != required) {
            _flags[i] &= static_cast<unsigned char>(~FLAG_SEARCH_BITS);
            if (category)
                _markSubtree(i, 0, FLAG_SEARCH_BITS);
            continue;
        }
        const quint32 mask = _matchMask(i, matchers, run.foundMask, fullMask);
        if (mask == fullMask) {
            _flags[i] = static_cast<unsigned char>((_flags[i] | FLAG_SEARCH_MATCH) & ~FLAG_SEARCH_PARENT_OF_MATCH);
            if (category)
                _markSubtree(i, FLAG_SEARCH_MATCH, FLAG_SEARCH_PARENT_OF_MATCH);
            run.found = true;
            continue;
        }
        _flags[i] &= static_cast<unsigned char>(~FLAG_SEARCH_BITS);
        if (category) {
            const BrowsableDBItem& item = _items[i];
            runs.push_back({i, item.firstChild, item.firstChild + item.childCount(), mask, false});
        }
    }
}

QString IndexedDB::nameOf(const BrowsableDBItem& item) const
{
    if (!item.name)
        return QString();
    return _utf8Names ? QString::fromUtf8(item.name) : QString::fromLatin1(item.name);
}

void IndexedDB::_clearSearchMatches()
{
    for (unsigned char& flags : _flags)
        flags &= static_cast<unsigned char>(~FLAG_SEARCH_BITS);
}

// The words found in the record's name, added to foundMask, those of its categories. A category
// hands its words on to its records, so each is looked for in its name; a food matches or not,
// so its look ends at the first word that settles that: a searched word missing, or an excluded
// word present. The searched words come first among the matchers, as most names lack one.
quint32 IndexedDB::_matchMask(size_t index, const Matchers& matchers, quint32 foundMask,
                              quint32 fullMask) const
{
    const bool settles = !(_flags[index] & FLAG_CATEGORY);
    if ((_flags[index] & FLAG_NON_MATCHABLE) || (settles && (foundMask & ~fullMask)))
        return foundMask;
    const char* name = _items[index].name;
    const int length = _nameLength(index);
    quint32 mask = foundMask;
    for (size_t k = 0; k < matchers.size(); ++k) {
        const quint32 bit = quint32(1) << k;
        if (mask & bit)
            continue;
        const bool found = (*matchers[k])(name, length);
        if (found)
            mask |= bit;
        if (settles && found != ((fullMask & bit) != 0))
            return mask;
    }
    return mask;
}

int IndexedDB::_nameLength(size_t index) const
{
    const char* name = _items[index].name;
    if (index + 1 < _items.size()) {
        const std::ptrdiff_t distance = _items[index + 1].name - name - 1;
        return distance > 0 ? int(distance) : 0;
    }
    return int(std::strlen(name));
}

// The categories still to mark are kept in a list of their own, so any depth is marked.
void IndexedDB::_markSubtree(size_t category, unsigned char set, unsigned char clear)
{
    std::vector<size_t> pending{category};
    while (!pending.empty()) {
        const BrowsableDBItem& item = _items[pending.back()];
        pending.pop_back();
        const size_t end = size_t(item.firstChild) + item.childCount();
        for (size_t i = item.firstChild; i < end; ++i) {
            _flags[i] = static_cast<unsigned char>((_flags[i] | set) & ~clear);
            if (_flags[i] & FLAG_CATEGORY)
                pending.push_back(i);
        }
    }
}

std::optional<size_t> IndexedDB::_categoryIndex(qint64 id) const
{
    const BrowsableDBItem* item = _getIndexItem(id, true);
    if (!item)
        return std::nullopt;
    return size_t(item - _items.data());
}
