#include "catalogue/stringmatcherutf.h"

#include <algorithm>

namespace {

unsigned char foldAsciiUpper(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

} // namespace

StringMatcherUtf::StringMatcherUtf(const QString& word, Encoding encoding)
    : _word(word), _length(int(word.size()))
{
    if (encoding == Encoding::Utf8) {
        _decode = std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.unicode() >= 0x80; });
        if (_decode)
            return;
    }
    _pattern.reserve(_length + 1);
    for (int i = _length - 1; i >= 0; --i) {
        const char16_t lower = word.at(i).toLower().unicode();
        if (lower >= 256)
            break;
        _pattern.push_back(static_cast<unsigned char>(lower));
    }
    _pattern.push_back(0);

    _skip.fill(_length);
    for (int i = 0; i < _length; ++i) {
        const int shift = std::max(1, _length - i - 1);
        const char16_t lower = word.at(i).toLower().unicode();
        const char16_t upper = word.at(i).toUpper().unicode();
        if (lower < 256)
            _skip[lower] = shift;
        if (upper < 256)
            _skip[upper] = shift;
    }
}

bool StringMatcherUtf::operator()(const char* text, int length) const
{
    if (_decode)
        return QString::fromUtf8(text, length).contains(_word, Qt::CaseInsensitive);
    return _byteSearch(text, length);
}

bool StringMatcherUtf::_byteSearch(const char* text, int length) const
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    int start = 0;
    while (start < length - _length + 1) {
        int t = start + _length - 1;
        int k = 0;
        while (_pattern[k] != 0 && foldAsciiUpper(bytes[t]) == _pattern[k]) {
            --t;
            ++k;
        }
        if (_pattern[k] == 0)
            return true;
        const int next = t + _skip[bytes[t]] - _length + 1;
        start = next > start ? next : start + 1;
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
