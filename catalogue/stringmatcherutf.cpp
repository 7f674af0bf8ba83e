#include "catalogue/stringmatcherutf.h"

#include "catalogue/wordforms.h"
#include "core/typedtext.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// A shorter key than this finds too many names to save a pass.
constexpr int SHORTEST_KEY = 3;

// The characters of food names, those they hold least first.
constexpr char RAREST_FIRST[] = "zqxj79864k53v0wy2b1gpfmculdhrsnitoae";

// The character of a lowered word that names hold least.
unsigned char rarestIn(const QByteArray& word)
{
    for (const char c : std::string_view(RAREST_FIRST)) {
        if (word.contains(c))
            return static_cast<unsigned char>(c);
    }
    return static_cast<unsigned char>(word.at(0));
}

unsigned char foldAsciiUpper(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// A name as the byte search reads it.
struct ByteName {
    const unsigned char* bytes;
    int length;

    char16_t lowerAt(int i) const { return foldAsciiUpper(bytes[i]); }
    bool inWordAt(int i) const
    {
        const unsigned char c = foldAsciiUpper(bytes[i]);
        return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
    }
};

struct DecodedName {
    QStringView text;
    int length;

    char16_t lowerAt(int i) const { return text[i].toLower().unicode(); }
    bool inWordAt(int i) const { return text[i].isLetterOrNumber(); }
};

template <typename Name>
bool follows(const Name& name, int at, const QByteArray& rest)
{
    if (at + rest.size() > name.length)
        return false;
    for (int i = 0; i < rest.size(); ++i) {
        if (name.lowerAt(at + i) != char16_t(rest[i]))
            return false;
    }
    return true;
}

template <typename Name>
bool endsWord(const Name& name, int end)
{
    return end == name.length || !name.inWordAt(end);
}

// Whether the character at i joins what stands beside it into one word ("ready-to-bake or
// -fry", "brown-and-serve").
template <typename Name>
bool joinsAt(const Name& name, int i)
{
    return name.inWordAt(i) || name.lowerAt(i) == u'-';
}

// Whether a part of the name ("Egg, whole, raw") ends at end, at the end of a word: after any
// spaces, the name ends, a mark other than a hyphen or an apostrophe follows, or a word that
// joins two things ("Pushing a wheelbarrow or garden cart").
template <typename Name>
bool endsPart(const Name& name, int end)
{
    while (end < name.length && name.lowerAt(end) == u' ')
        ++end;
    if (end == name.length)
        return true;
    if (!name.inWordAt(end))
        return name.lowerAt(end) != u'-' && name.lowerAt(end) != u'\'';
    static const QByteArray joiningWords[] = {"and", "or", "with"};
    return std::any_of(std::begin(joiningWords), std::end(joiningWords), [&](const QByteArray& word) {
        return follows(name, end, word) && endsWord(name, end + int(word.size()));
    });
}

// Whether a hyphen at i joins two words into one ("tri-tip"), rather than standing for a
// word left out ("ready-to-bake or -fry").
template <typename Name>
bool joinsTwoWords(const Name& name, int i)
{
    return name.lowerAt(i) == u'-' && i > 0 && name.inWordAt(i - 1);
}

// Whether the word that starts at wordStart and ends at end opens a later part of the name
// that one more word ends: "cashew" in "Nuts, cashew nuts, raw", "tri-tip" in "Beef, bottom
// sirloin, tri-tip roast".
template <typename Name>
bool opensTwoWordPart(const Name& name, int wordStart, int end)
{
    int before = wordStart - 1;
    while (before >= 0 && name.lowerAt(before) == u' ')
        --before;
    if (before < 0 || name.lowerAt(before) != u',' || end + 1 >= name.length || name.lowerAt(end) != u' '
        || !name.inWordAt(end + 1))
        return false;
    int next = end + 1;
    while (next < name.length && joinsAt(name, next))
        ++next;
    return endsPart(name, next);
}

} // namespace

// Where the stem that begins at start ends in the name, or -1: each later part of it follows
// the one before, after a hyphen, after a space or right away.
template <typename Name>
int StringMatcherUtf::_stemEnd(const Name& name, int start) const
{
    int at = start + _length;
    for (const QString& part : _laterParts) {
        if (at < name.length && (name.lowerAt(at) == u'-' || name.lowerAt(at) == u' '))
            ++at;
        if (at + int(part.size()) > name.length)
            return -1;
        for (int i = 0; i < int(part.size()); ++i) {
            if (name.lowerAt(at + i) != part.at(i).unicode())
                return -1;
        }
        at += int(part.size());
    }
    return at;
}

// Whether a form of the word stands at start, where its stem ends at end.
template <typename Name>
bool StringMatcherUtf::_formAt(const Name& name, int start, int end) const
{
    if (follows(name, end, _typedRest))
        return true;
    const bool inCompound = start > 0 && joinsTwoWords(name, start - 1);
    if (start > 0 && joinsAt(name, start - 1) && !(_othersEndParts && inCompound))
        return false;
    int wordStart = start;
    while (wordStart > 0 && joinsAt(name, wordStart - 1))
        --wordStart;
    return std::any_of(_otherRests.begin(), _otherRests.end(), [&](const QByteArray& rest) {
        const int formEnd = end + int(rest.size());
        if (!follows(name, end, rest) || (formEnd < name.length && joinsAt(name, formEnd)))
            return false;
        if (!_othersEndParts)
            return true;
        return endsPart(name, formEnd) || opensTwoWordPart(name, wordStart, formEnd);
    });
}


// A word whose hyphens join words is also found by its words wherever they stand, each in its
// forms, as when typed apart. Every name that holds it in any way holds the longest part of
// its stem, which is looked for first. A word of short words is looked for as its writings.
void StringMatcherUtf::_takeParts(Encoding encoding)
{
    if (WordForms::ofShortWords(_word)) {
        for (const QString& writing : {_stem, WordForms::apartAndJoined(_stem).back()})
            _writings.push_back(encoding == Encoding::Utf8 ? writing.toUtf8() : writing.toLatin1());
        _anchor = rarestIn(_writings.back());
        return;
    }
    if (WordForms::joints(_word).empty())
        return;
    QStringList parts = WordForms::joinedWords(_word);
    std::stable_sort(parts.begin(), parts.end(),
                     [](const QString& a, const QString& b) { return a.size() > b.size(); });
    QString key = _stem.left(_length);
    for (const QString& part : _laterParts) {
        if (part.size() > key.size())
            key = part;
    }
    _key = std::make_unique<StringMatcherUtf>(key, encoding, Spelling::AsWritten);
    _apart = WordForms::standsApart(_word);
    if (!_apart)
        return;
    // A part that is the key has been found once the key has.
    for (const QString& part : parts) {
        if (part != key)
            _parts.push_back(std::make_unique<StringMatcherUtf>(part, encoding, Spelling::AsWritten));
    }
}

StringMatcherUtf::~StringMatcherUtf() = default;

StringMatcherUtf::StringMatcherUtf(const QString& word, Encoding encoding, Spelling spelling)
    : _word(withPlainQuotes(word))
{
    _takeForms(WordForms(_word));
    _takeParts(encoding);
    const QString other = spelling == Spelling::Either ? WordForms(_word).otherSpelling() : QString();
    if (!other.isEmpty()) {
        _otherSpelling = std::make_unique<StringMatcherUtf>(other, encoding, Spelling::AsWritten);
        _takeSharedKey(encoding);
    }
    if (encoding == Encoding::Latin1) {
        _unwritable = std::any_of(_word.cbegin(), _word.cend(), [](QChar c) { return c.unicode() >= 0x100; });
    } else {
        // A quote mark may stand in a name in its typographic form.
        _decode = std::any_of(_stem.cbegin(), _stem.cend(), [](QChar c) {
            return c.unicode() >= 0x80 || c == QLatin1Char('\'') || c == QLatin1Char('"');
        });
        if (_decode)
            return;
    }
    _takeEitherKeys();
    _plain = !_otherSpelling && !_key && _writings.empty() && !_unwritable;
    _takeGate();
    _pattern.reserve(_length + 1);
    for (int i = _length - 1; i >= 0; --i) {
        const char16_t lower = _stem.at(i).unicode();
        if (lower >= 256)
            break;
        _pattern.push_back(static_cast<unsigned char>(lower));
    }
    _pattern.push_back(0);

    _skip.fill(_length);
    for (int i = 0; i < _length; ++i) {
        const int shift = std::max(1, _length - i - 1);
        const char16_t lower = _stem.at(i).unicode();
        const char16_t upper = _stem.at(i).toUpper().unicode();
        if (lower < 256)
            _skip[lower] = shift;
        if (upper < 256)
            _skip[upper] = shift;
    }
}

void StringMatcherUtf::_takeForms(const WordForms& wordForms)
{
    // A form that holds the word as typed is found with it.
    const QString& typed = wordForms.word();
    QStringList forms = wordForms.others();
    forms.removeIf([&typed](const QString& form) { return form.contains(typed); });
    _othersEndParts = wordForms.isPlural();
    _stem = typed;
    for (const QString& form : forms) {
        while (!form.startsWith(_stem))
            _stem.chop(1);
    }
    _typedRest = typed.mid(_stem.size()).toLatin1();
    for (const QString& form : forms)
        _otherRests.push_back(form.mid(_stem.size()).toLatin1());
    // The stem's parts after each hyphen inside it that joins words; one that ends it stays.
    std::vector<qsizetype> cuts;
    for (qsizetype joint : WordForms::joints(typed)) {
        if (joint + 1 < _stem.size())
            cuts.push_back(joint);
    }
    _length = int(cuts.empty() ? _stem.size() : cuts.front());
    for (size_t k = 0; k < cuts.size(); ++k) {
        const qsizetype to = k + 1 < cuts.size() ? cuts[k + 1] : _stem.size();
        _laterParts.push_back(_stem.mid(cuts[k] + 1, to - cuts[k] - 1));
    }
}

// Both spellings are looked for by a part of their stems that they share ("large" of "x-large"
// and "extra-large"), so that a name that holds neither is read once.
void StringMatcherUtf::_takeSharedKey(Encoding encoding)
{
    const std::vector<QString> own = _stemParts();
    QString shared;
    for (const QString& part : _otherSpelling->_stemParts()) {
        const bool ownToo = std::find(own.begin(), own.end(), part) != own.end();
        if (ownToo && part.size() > shared.size() && part.size() >= SHORTEST_KEY)
            shared = part;
    }
    if (!shared.isEmpty())
        _sharedKey = std::make_unique<StringMatcherUtf>(shared, encoding, Spelling::AsWritten);
}

// A name holds one spelling or the other only where it holds one of their keys: both are
// looked for in one pass, a Horspool search over the shorter key's length whose every shift
// suits both.
void StringMatcherUtf::_takeEitherKeys()
{
    if (!_otherSpelling || _sharedKey || _unwritable)
        return;
    const QByteArray own = _firstLook();
    const QByteArray other = _otherSpelling->_firstLook();
    if (own.isEmpty() || other.isEmpty())
        return;
    _eitherKeys = {own, other};
    _eitherWindow = int(std::min(own.size(), other.size()));
    _eitherSkip.fill(_eitherWindow);
    _eitherEnds.fill(false);
    for (const QByteArray& key : _eitherKeys) {
        const unsigned char end = static_cast<unsigned char>(key[_eitherWindow - 1]);
        _eitherEnds[end] = true;
        _eitherEnds[(end >= 'a' && end <= 'z') ? end - 'a' + 'A' : end] = true;
        for (int i = 0; i < _eitherWindow - 1; ++i) {
            const unsigned char lower = static_cast<unsigned char>(key[i]);
            const unsigned char upper = (lower >= 'a' && lower <= 'z') ? static_cast<unsigned char>(lower - 'a' + 'A') : lower;
            const int shift = _eitherWindow - 1 - i;
            _eitherSkip[lower] = std::min(_eitherSkip[lower], shift);
            _eitherSkip[upper] = std::min(_eitherSkip[upper], shift);
        }
    }
}

// Most names lack the key that every writing of the word holds: one byte search settles them.
void StringMatcherUtf::_takeGate()
{
    const StringMatcherUtf* key = _sharedKey ? _sharedKey.get() : _otherSpelling ? nullptr : _key.get();
    if (key && !key->_decode && !key->_unwritable)
        _gate = key;
}

QByteArray StringMatcherUtf::_firstLook() const
{
    if (_decode || _unwritable || !_writings.empty())
        return QByteArray();
    const StringMatcherUtf& key = _key ? *_key : *this;
    if (key._decode || key._unwritable)
        return QByteArray();
    return key._stem.left(key._length).toLatin1();
}

bool StringMatcherUtf::_holdsEitherKey(const char* text, int length) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (int last = _eitherWindow - 1; last < length; last += _eitherSkip[bytes[last]]) {
        if (!_eitherEnds[bytes[last]])
            continue;
        const int start = last - _eitherWindow + 1;
        for (const QByteArray& key : _eitherKeys) {
            if (start + key.size() > length)
                continue;
            int i = 0;
            while (i < key.size() && foldAsciiUpper(bytes[start + i]) == static_cast<unsigned char>(key[i]))
                ++i;
            if (i == key.size())
                return true;
        }
    }
    return false;
}

bool StringMatcherUtf::_holdsAWriting(const char* text, int length) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const auto at = [&](int start, const QByteArray& writing) {
        if (start < 0 || start + writing.size() > length)
            return false;
        for (int i = 0; i < writing.size(); ++i) {
            if (foldAsciiUpper(bytes[start + i]) != static_cast<unsigned char>(writing[i]))
                return false;
        }
        return true;
    };
    const unsigned char upper = (_anchor >= 'a' && _anchor <= 'z') ? static_cast<unsigned char>(_anchor - 'a' + 'A') : _anchor;
    for (const unsigned char anchor : {_anchor, upper}) {
        for (const void* found = std::memchr(bytes, anchor, size_t(length)); found;
             found = std::memchr(static_cast<const unsigned char*>(found) + 1, anchor,
                                 size_t(bytes + length - static_cast<const unsigned char*>(found) - 1))) {
            const int place = int(static_cast<const unsigned char*>(found) - bytes);
            for (const QByteArray& writing : _writings) {
                for (int k = 0; k < writing.size(); ++k) {
                    if (static_cast<unsigned char>(writing[k]) == _anchor && at(place - k, writing))
                        return true;
                }
            }
        }
        if (upper == _anchor)
            break;
    }
    return false;
}

std::vector<QString> StringMatcherUtf::_stemParts() const
{
    std::vector<QString> parts{_stem.left(_length)};
    parts.insert(parts.end(), _laterParts.begin(), _laterParts.end());
    return parts;
}

// Most words are plain: their search goes straight to the byte search, with no frame of its own.
bool StringMatcherUtf::operator()(const char* text, int length) const
{
    return _plain ? _byteSearch(text, length) : _inEitherSpelling(text, length);
}

bool StringMatcherUtf::_inEitherSpelling(const char* text, int length) const
{
    if (_gate && _gate->_find(reinterpret_cast<const unsigned char*>(text), length, 0) < 0)
        return false;
    if (_sharedKey && !_sharedKey->_asWritten(text, length))
        return false;
    if (!_eitherKeys.empty() && !_holdsEitherKey(text, length))
        return false;
    return _inThisSpelling(text, length) || (_otherSpelling && (*_otherSpelling)(text, length));
}

bool StringMatcherUtf::_inThisSpelling(const char* text, int length) const
{
    if (!_writings.empty())
        return !_unwritable && _holdsAWriting(text, length);
    if (!_key)
        return _asWritten(text, length);
    // The words apart, mostly found where the key is, before the word as written.
    if (!_key->_asWritten(text, length))
        return false;
    const auto found = [&](const auto& part) { return part->_asWritten(text, length); };
    if (_apart && std::all_of(_parts.begin(), _parts.end(), found))
        return true;
    return _asWritten(text, length);
}

bool StringMatcherUtf::_asWritten(const char* text, int length) const
{
    if (_unwritable)
        return false;
    return _decode ? _decodedSearch(text, length) : _byteSearch(text, length);
}

int StringMatcherUtf::_find(const unsigned char* bytes, int length, int start) const
{
    while (start < length - _length + 1) {
        int t = start + _length - 1;
        int k = 0;
        while (_pattern[k] != 0 && foldAsciiUpper(bytes[t]) == _pattern[k]) {
            --t;
            ++k;
        }
        if (_pattern[k] == 0)
            return start;
        const int next = t + _skip[bytes[t]] - _length + 1;
        start = next > start ? next : start + 1;
    }
    return -1;
}

bool StringMatcherUtf::_byteSearch(const char* text, int length) const
{
    const ByteName name{reinterpret_cast<const unsigned char*>(text), length};
    if (_otherRests.empty() && _laterParts.empty())
        return _find(name.bytes, length, 0) >= 0;
    for (int at = _find(name.bytes, length, 0); at >= 0; at = _find(name.bytes, length, at + 1)) {
        const int end = _stemEnd(name, at);
        if (end >= 0 && _formAt(name, at, end))
            return true;
    }
    return false;
}

bool StringMatcherUtf::_decodedSearch(const char* text, int length) const
{
    const QString decoded = withPlainQuotes(QString::fromUtf8(text, length));
    const DecodedName name{decoded, int(decoded.size())};
    const QStringView firstPart = QStringView(_stem).left(_length);
    for (qsizetype at = decoded.indexOf(firstPart, 0, Qt::CaseInsensitive); at >= 0;
         at = decoded.indexOf(firstPart, at + 1, Qt::CaseInsensitive)) {
        const int end = _stemEnd(name, int(at));
        if (end >= 0 && _formAt(name, int(at), end))
            return true;
    }
    return false;
}

int getWordsIntoVector(std::vector<QString>& words, const QString& text)
{
    int shortest = 0;
    QString word;
    for (int i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !text.at(i).isSpace()) {
            word += text.at(i);
            continue;
        }
        if (word.isEmpty())
            continue;
        if (shortest == 0 || word.size() < shortest)
            shortest = int(word.size());
        words.push_back(word);
        word.clear();
    }
    return shortest;
}
