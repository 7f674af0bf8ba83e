#include "catalogue/searchrank.h"

#include "catalogue/stringmatcherutf.h"
#include "catalogue/wordforms.h"
#include "core/typedtext.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <iterator>
#include <cstring>

namespace {

constexpr int NAMES_THE_FOOD = 4;
constexpr int LATER_AS_TYPED = 3;
constexpr int HOLDS_AS_TYPED = 2;
constexpr int LATER_IN_OTHER_FORM = 1;
constexpr int ONLY_OTHER_FORMS = 0;

// The order within a tier (see the header).
constexpr int NAMED_BY_ITS_PARTS = 4;
constexpr int HOLDS_EVERY_WORD = 3;
constexpr int OPENS_WITH_A_WORD = 2;
constexpr int HOLDS_A_WORD_INSIDE_ANOTHER = 1;
constexpr int FOUND_THROUGH_CATEGORY = 0;
constexpr int LEVELS = 5;
constexpr int PLACES = (NAMES_THE_FOOD + 1) * LEVELS;

bool isLatin1(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 256; });
}

bool equalsIgnoringCase(QByteArrayView text, const QByteArray& lowered)
{
    return text.size() == lowered.size() && text.compare(lowered, Qt::CaseInsensitive) == 0;
}

// Latin-1 letters in lower case, by their upper or lower case.
const std::array<uchar, 256>& latin1Lower()
{
    static const std::array<uchar, 256> table = [] {
        std::array<uchar, 256> lower{};
        for (int c = 0; c < 256; ++c)
            lower[c] = uchar(QChar::toLower(char16_t(c)));
        return lower;
    }();
    return table;
}

// The first place from from on where the text holds c or its capital, or end.
const uchar* findEitherCase(const uchar* from, const uchar* end, uchar c, uchar capital)
{
    const auto* small = static_cast<const uchar*>(std::memchr(from, c, size_t(end - from)));
    const uchar* smallOrEnd = small ? small : end;
    if (capital == c)
        return smallOrEnd;
    const auto* large = static_cast<const uchar*>(std::memchr(from, capital, size_t(smallOrEnd - from)));
    return large ? large : smallOrEnd;
}

// Whether a part of a name reads as a plural ("Nuts", "Fast foods").
bool namesInPlural(QByteArrayView part)
{
    const QByteArrayView trimmed = part.trimmed();
    return WordForms::readsAsPlural(QLatin1StringView(trimmed.data(), trimmed.size()));
}

} // namespace

SearchRank::SearchRank(const QString& terms, const std::vector<QByteArray>& closedUp)
{
    std::vector<QString> words;
    getWordsIntoVector(words, withPlainQuotes(terms));
    QStringList typed;
    for (const QString& word : words) {
        if (!word.startsWith(QLatin1Char('-')))
            typed << word;
    }
    int next = 0;
    const auto take = [this, &next](const QString& text, bool whole, bool part) {
        const quint64 bit = next < 64 ? quint64(1) << next : 0;
        ++next;
        _searched.push_back(_searchedAs(text, bit, whole));
        _searched.back().part = part;
        return bit;
    };
    for (const QString& word : typed) {
        if (!isLatin1(word)) {
            ++next;
            continue;
        }
        Word searched{take(word, false, false), 0};
        Searched& text = _searched.back();
        std::copy_if(closedUp.begin(), closedUp.end(), std::back_inserter(text.closedUp), [&text](const QByteArray& closed) {
            return closed.size() > text.typed.size() && closed.startsWith(text.typed);
        });
        _paired = _paired || text.stems.size() > 1;
        text.hyphened = !WordForms::joints(word).empty();
        _hyphened = _hyphened || text.hyphened;
        // A word joined by hyphens is also searched as its words apart ("skim-milk").
        if (WordForms::standsApart(word)) {
            for (const QString& part : WordForms::joinedWords(word))
                searched.parts |= take(part, false, true);
        }
        _words.push_back(searched);
    }
    const QString whole = typed.join(QLatin1Char(' '));
    if (typed.size() > 1 && isLatin1(whole))
        _whole = take(whole, true, false);
}

// A word's forms, each also with its joining hyphens as spaces and left out ("low fat",
// "lowfat" for "low-fat"), and the search as a whole also closed up ("applesauce" for "apple
// sauce"); then the forms of its other spelling.
SearchRank::Searched SearchRank::_searchedAs(const QString& searched, quint64 bit, bool whole)
{
    const WordForms forms(searched);
    Searched text{forms.word().toLatin1(), {}, {}, {}, bit, whole, false, {}, false};
    QStringList opening = WordForms::apartAndJoined(forms.word());
    QStringList alike = forms.others() + opening;
    for (const QString& form : forms.others())
        alike << WordForms::apartAndJoined(form);
    if (whole) {
        const WordForms closed(QString(forms.word()).remove(QLatin1Char(' ')));
        opening << closed.word();
        alike << closed.word() << closed.others();
    }
    text.opening = {text.typed};
    for (const QString& form : opening)
        text.opening.push_back(form.toLatin1());
    std::vector<QByteArray> written{text.typed};
    for (const QString& form : alike)
        written.push_back(form.toLatin1());
    text.others.assign(written.begin() + 1, written.end());
    text.stems.push_back(_stemOf(written));
    const QString other = forms.otherSpelling();
    if (!other.isEmpty()) {
        const WordForms otherForms(other);
        std::vector<QByteArray> spelled{other.toLatin1()};
        for (const QString& form : otherForms.others())
            spelled.push_back(form.toLatin1());
        text.others.insert(text.others.end(), spelled.begin(), spelled.end());
        text.stems.push_back(_stemOf(spelled));
    }
    return text;
}

SearchRank::Stem SearchRank::_stemOf(const std::vector<QByteArray>& forms)
{
    QByteArray common = forms.front();
    for (const QByteArray& form : forms) {
        while (!form.startsWith(common))
            common.chop(1);
    }
    Stem stem{common, 0, {}};
    if (!common.isEmpty()) {
        const uchar first = uchar(common.at(0));
        const char32_t capital = QChar::toUpper(char32_t(first));
        stem.capital = capital < 256 ? uchar(capital) : first;
    }
    for (const QByteArray& form : forms)
        stem.rests.push_back(form.mid(common.size()));
    return stem;
}

qint64 SearchRank::of(const BrowsableDBItem& item) const
{
    const int writing = _paired || _hyphened ? _writing(QLatin1StringView(item.name)) : 0;
    return (qint64(writing * PLACES + _place(item.name)) << 32) + qint32(item.weight);
}

int SearchRank::_place(const char* name) const
{
    int tier = -1;
    bool laterInOtherForm = false;
    bool afterGroup = false;
    quint64 named = 0;
    for (const char* start = name;;) {
        const char* end = std::strchr(start, ',');
        const QByteArrayView part(start, end ? end : start + std::strlen(start));
        const PartMatch match = _match(part);
        named |= match.terms;
        // A food's later part may list sorts of it ("Fish, fish portions and sticks").
        if (tier == NAMES_THE_FOOD)
            named |= _namedInList(part, QByteArrayView(name, std::strcspn(name, ",")));
        if (tier < 0 && match.kind != Match::None && (start == name || (afterGroup && namesInPlural(part))))
            tier = NAMES_THE_FOOD;
        else if (tier < 0 && match.kind == Match::Typed)
            tier = LATER_AS_TYPED;
        if (!end || (tier >= 0 && _namesEveryWord(named)))
            break;
        afterGroup = start == name && namesInPlural(part);
        laterInOtherForm = laterInOtherForm || match.kind == Match::Other;
        start = end + 1;
    }
    if (tier >= 0 && _namesEveryWord(named))
        return tier * LEVELS + NAMED_BY_ITS_PARTS;
    const Holding holding = _holding(QLatin1StringView(name));
    if (tier < 0 && !holding.onlyOtherForms)
        tier = HOLDS_AS_TYPED;
    else if (tier < 0)
        tier = laterInOtherForm ? LATER_IN_OTHER_FORM : ONLY_OTHER_FORMS;
    if (_namesEveryWord(named))
        return tier * LEVELS + NAMED_BY_ITS_PARTS;
    const bool opens = holding.evidence == HOLDS_A_WORD_INSIDE_ANOTHER && _opensWithAWord(name);
    return tier * LEVELS + (opens ? OPENS_WITH_A_WORD : holding.evidence);
}

SearchRank::PartMatch SearchRank::_match(QByteArrayView part) const
{
    const QByteArrayView trimmed = part.trimmed();
    PartMatch match{Match::None, 0};
    for (const Searched& text : _searched) {
        if (equalsIgnoringCase(trimmed, text.typed)) {
            match = {Match::Typed, match.terms | text.bit};
            continue;
        }
        const bool other = std::any_of(text.others.begin(), text.others.end(),
                                       [trimmed](const QByteArray& form) { return equalsIgnoringCase(trimmed, form); });
        if (other)
            match = {match.kind == Match::Typed ? Match::Typed : Match::Other, match.terms | text.bit};
    }
    return match;
}

bool SearchRank::_opensWithAWord(const char* name) const
{
    const std::array<uchar, 256>& lower = latin1Lower();
    const auto* bytes = reinterpret_cast<const uchar*>(name);
    return std::any_of(_searched.begin(), _searched.end(), [&](const Searched& text) {
        return std::any_of(text.opening.begin(), text.opening.end(), [&](const QByteArray& opening) {
            for (qsizetype i = 0; i < opening.size(); ++i) {
                if (lower[bytes[i]] != uchar(opening[i]))
                    return false;
            }
            // The word ends there: "Grape juice" opens with "grape", "Grapefruit" and
            // "Custard-apple" hold "grape" and "custard" inside a word of their own.
            const uchar next = bytes[opening.size()];
            return next != '-' && next != '\'' && !QChar(next).isLetterOrNumber();
        });
    });
}

quint64 SearchRank::_namedInList(QByteArrayView part, QByteArrayView kind) const
{
    static const QByteArrayView joiners[] = {" and ", " or "};
    QByteArrayView rest = part.trimmed();
    // Only a list of the food's own sorts, led by its kind, names them; any other list names
    // what the food is made of ("Soup, beef and vegetables", "Bologna, beef and pork").
    if (rest.size() < kind.size() || rest.first(kind.size()).compare(kind, Qt::CaseInsensitive) != 0)
        return 0;
    quint64 named = 0;
    for (bool listed = false;; listed = true) {
        qsizetype cut = -1;
        qsizetype skip = 0;
        for (const QByteArrayView joiner : joiners) {
            const qsizetype at = rest.indexOf(joiner);
            if (at >= 0 && (cut < 0 || at < cut)) {
                cut = at;
                skip = joiner.size();
            }
        }
        if (cut < 0)
            return listed ? named | _match(rest).terms : named;
        named |= _match(rest.first(cut)).terms;
        rest = rest.sliced(cut + skip);
    }
}

bool SearchRank::_namesEveryWord(quint64 named) const
{
    return (named & _whole) != 0
        || (!_words.empty() && std::all_of(_words.begin(), _words.end(), [named](const Word& word) {
               return (named & word.bit) != 0 || (word.parts != 0 && (named & word.parts) == word.parts);
           }));
}

SearchRank::Holding SearchRank::_holding(QLatin1StringView name) const
{
    Holding holding{false, HOLDS_EVERY_WORD};
    for (auto text = _searched.begin(); text != _searched.end(); ++text) {
        if (text->whole || text->part)
            continue;
        const Holds holds = _heldWord(name, text);
        // A name that holds neither form of a word was found through its category.
        holding.onlyOtherForms = holding.onlyOtherForms || (holds.typed == Held::No && holds.any != Held::No);
        if (holds.any == Held::No)
            holding.evidence = FOUND_THROUGH_CATEGORY;
        else if (holds.any == Held::InsideAWord && holding.evidence == HOLDS_EVERY_WORD)
            holding.evidence = HOLDS_A_WORD_INSIDE_ANOTHER;
    }
    return holding;
}

int SearchRank::_writing(QLatin1StringView name) const
{
    bool own = true;
    bool asTyped = _hyphened;
    for (const Searched& text : _searched) {
        const bool paired = text.stems.size() > 1;
        if (text.whole || text.part || !(paired || text.hyphened))
            continue;
        const Holds holds = _held(name, text);
        own = own && (!paired || holds.own != Held::No);
        asTyped = asTyped && (!text.hyphened || holds.typed != Held::No);
    }
    return (own ? 2 : 0) + (asTyped ? 1 : 0);
}

// A word joined by hyphens is held also by its words, as the least held of them; where they
// are all held whole, so is it.
SearchRank::Holds SearchRank::_heldWord(QLatin1StringView name, std::vector<Searched>::const_iterator word) const
{
    if (word + 1 == _searched.end() || !word[1].part)
        return _held(name, *word);
    Holds parts{Held::AsAWord, Held::AsAWord, Held::AsAWord};
    for (auto part = word + 1; part != _searched.end() && part->part; ++part) {
        const Holds held = _held(name, *part);
        parts = {std::min(parts.typed, held.typed), std::min(parts.own, held.own), std::min(parts.any, held.any)};
    }
    if (parts.typed == Held::AsAWord)
        return parts;
    const Holds whole = _held(name, *word);
    return {std::max(whole.typed, parts.typed), std::max(whole.own, parts.own), std::max(whole.any, parts.any)};
}

// Looks for the stem, ignoring case, and at each place for the rest of each form: a form held
// as a whole word of its own ("Apple juice" holds "juice", "tri-tip" holds "tri") or only
// inside a longer word ("trimmed" holds "tri"); a word that closes it up holds it as a word.
SearchRank::Holds SearchRank::_held(QLatin1StringView name, const Searched& text)
{
    const std::array<uchar, 256>& lower = latin1Lower();
    const auto* bytes = reinterpret_cast<const uchar*>(name.data());
    const qsizetype length = name.size();
    const auto follows = [&](qsizetype at, const QByteArray& lowered) {
        if (at + lowered.size() > length)
            return false;
        for (qsizetype i = 0; i < lowered.size(); ++i) {
            if (lower[bytes[at + i]] != uchar(lowered[i]))
                return false;
        }
        return true;
    };
    const auto inWord = [&](qsizetype i) { return i >= 0 && i < length && QChar(bytes[i]).isLetterOrNumber(); };
    Held typed = Held::No;
    Held own = Held::No;
    Held other = Held::No;
    for (const Stem& stem : text.stems) {
        const bool ownStem = &stem == &text.stems.front();
        const qsizetype stemLength = stem.text.size();
        if (stemLength == 0 || stemLength > length)
            continue;
        const auto take = [&](qsizetype start, const QByteArray& rest, Held& held) {
            if (!follows(start + stemLength, rest))
                return;
            const qsizetype end = start + stemLength + rest.size();
            held = std::max(held, inWord(start - 1) || inWord(end) ? Held::InsideAWord : Held::AsAWord);
        };
        const uchar* last = bytes + length - stemLength + 1;
        const uchar first = uchar(stem.text.at(0));
        for (const uchar* at = findEitherCase(bytes, last, first, stem.capital); at != last && typed != Held::AsAWord;
             at = findEitherCase(at + 1, last, first, stem.capital)) {
            const qsizetype start = at - bytes;
            if (!follows(start, stem.text))
                continue;
            for (size_t r = 0; r < stem.rests.size(); ++r)
                take(start, stem.rests[r], !ownStem ? other : r == 0 ? typed : own);
            // Each word that closes it up begins with its stem.
            const auto closes = [&](const QByteArray& closed) {
                return follows(start, closed) && !inWord(start + closed.size());
            };
            if (ownStem && !inWord(start - 1) && std::any_of(text.closedUp.begin(), text.closedUp.end(), closes))
                typed = Held::AsAWord;
        }
    }
    own = std::max(own, typed);
    return {typed, own, std::max(own, other)};
}
