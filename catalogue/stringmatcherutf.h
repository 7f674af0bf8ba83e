#ifndef PANTREL_CATALOGUE_STRINGMATCHERUTF_H
#define PANTREL_CATALOGUE_STRINGMATCHERUTF_H

#include <QString>

#include <array>
#include <vector>

// Finds one word, ignoring letter case, in single-byte ISO 8859-1 text with a
// Boyer-Moore-Horspool search. The word is lowered once; the text is folded byte by byte,
// A-Z only, so accented capitals in the text are not folded.
class StringMatcherUtf {
public:
    explicit StringMatcherUtf(const QString& word);

    // Whether the word occurs in the first length bytes of text.
    bool operator()(const char* text, int length) const;

    const QString& word() const { return _word; }

private:
    QString _word;
    std::vector<unsigned char> _pattern; // the word reversed and lowered; ends with a 0 byte
    int _length;
    std::array<int, 256> _skip;
};

// Appends the words of text (runs of characters between white space) to words; returns the
// length of the shortest word, or 0 when there is none.
int getWordsIntoVector(std::vector<QString>& words, const QString& text);

#endif
