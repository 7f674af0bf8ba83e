#ifndef PANTREL_CATALOGUE_STRINGMATCHERUTF_H
#define PANTREL_CATALOGUE_STRINGMATCHERUTF_H

#include <QString>

#include <array>
#include <vector>

// Finds one word, ignoring letter case, in names held as ISO 8859-1 or as UTF-8 bytes. A word
// that can be matched byte by byte (any word in ISO 8859-1 names, an ASCII word in UTF-8 names)
// goes through a Boyer-Moore-Horspool search: the word is lowered once, the text folded byte by
// byte, A-Z only, so accented capitals in ISO 8859-1 text are not folded. Any other word is
// compared with the decoded name, ignoring case in every script.
class StringMatcherUtf {
public:
    enum class Encoding { Latin1, Utf8 };

    explicit StringMatcherUtf(const QString& word, Encoding encoding = Encoding::Latin1);

    // Whether the word occurs in the first length bytes of text.
    bool operator()(const char* text, int length) const;

    const QString& word() const { return _word; }

private:
    bool _byteSearch(const char* text, int length) const;

    QString _word;
    bool _decode = false;
    std::vector<unsigned char> _pattern; // the word reversed and lowered; ends with a 0 byte
    int _length;
    std::array<int, 256> _skip;
};

// Splits text on white space and appends the pieces to words. Returns the shortest piece's
// length (0 if text had no words).
int getWordsIntoVector(std::vector<QString>& words, const QString& text);

#endif
