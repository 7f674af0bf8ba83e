#ifndef PANTREL_CATALOGUE_CATALOGUEWORDS_H
#define PANTREL_CATALOGUE_CATALOGUEWORDS_H

#include <QByteArray>
#include <QStringList>

#include <vector>

// The words a catalogue's names hold, each once, lowered (A-Z only; any byte at or above 0x80
// counts as a letter, so ISO 8859-1 and UTF-8 names both split into their words): the search
// asks it once per search whether the catalogue writes a word at all, and how a word typed
// closed up splits into words the catalogue writes apart ("icecream": "ice" and "cream").
class CatalogueWords {
public:
    // The words of the names, each the bytes from its pointer to its NUL.
    explicit CatalogueWords(const std::vector<const char*>& names);

    // Whether a word of the catalogue is word or begins with it (typed lowered, in the names'
    // encoding).
    bool opensAWord(const QByteArray& word) const;
    // Whether a name opens with the word, as a word of its own.
    bool opensAName(const QByteArray& word) const;
    // The two or three words of the catalogue, each of three letters or more, that the word
    // closes up, the first as long as it can be; none where there are none.
    QList<QByteArray> split(const QByteArray& word) const;
    // The words of the catalogue that open with word and end with another of its words of three
    // letters or more ("kiwifruit" for "kiwi").
    QList<QByteArray> closingUp(const QByteArray& word) const;

private:
    bool _holds(QByteArrayView word) const;

    std::vector<QByteArray> _words; // sorted
    std::vector<QByteArray> _firstWords; // the words that open a name, sorted
};

#endif
