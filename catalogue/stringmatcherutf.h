#ifndef PANTREL_CATALOGUE_STRINGMATCHERUTF_H
#define PANTREL_CATALOGUE_STRINGMATCHERUTF_H

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>
#include <vector>

class WordForms;

// Finds one search word, ignoring letter case, in names held as ISO 8859-1 or as UTF-8 bytes:
// the word as typed anywhere in a name, so that a word still being typed finds ("chees" finds
// "Cheese"), or a whole word of the name that is one of its other forms (WordForms; a hyphen
// joins words, so "-fry" in "ready-to-bake or -fry" is no whole word): a plural
// anywhere ("strawberry" finds "Strawberries, raw"), a singular only where it also ends a part
// of the name or comes before "and", "or" or "with" ("eggs" finds "Egg, whole" and "Fish,
// anchovy", but not "Eggplant" nor "Egg rolls", "oats" not "Oat bran": a singular before
// another word names something made of it), or where it opens a later part that one more word
// ends, the catalogue's way of naming a sort of its kind ("cashews" finds "Nuts, cashew nuts").
// A singular may also end words that a hyphen joins, whose last word takes the plural ("tips"
// finds "Beef, bottom sirloin, tri-tip roast", "cherries" finds "Pitanga, (surinam-cherry)").
// The forms share the word's leading characters, its stem, which is looked for first; each
// place found is then checked for the rest of a form. A stem that can be matched byte by byte
// (any word in ISO 8859-1 names, an ASCII word in UTF-8 names) goes through a
// Boyer-Moore-Horspool search: the stem is lowered once, the text folded byte by byte, A-Z
// only, so accented capitals in ISO 8859-1 text are not folded, and any byte at or above 0x80
// counts as a letter. Any other word is compared with the decoded name, ignoring case in every
// script. Where the word's hyphens join words ("low-fat", "half-and-half"), each may stand in
// the name as written, as a space, or be left out ("Milk, lowfat", "Cream, half and half"):
// the part before the first one is the stem looked for, and each later part is checked where
// it stands; the stem's longest part is looked for first, so a short common first part ("t"
// of "t-bone") costs nothing. Such a word is also found where its parts stand anywhere in the
// name, each in its forms, as the words typed apart are ("skim-milk" finds "Milk, nonfat,
// fluid (fat free or skim)"), where each of them has three characters or more. A word that
// joins only words of one or two characters ("a-1", "b-b-q") is found only as written with its
// hyphens or closed up ("A1"). A word written two common ways (WordForms) is found in either
// spelling, both looked for in one pass where they share no part. Typographic apostrophes and quotes typed stand for the plain ones; in UTF-8 names
// too. A word that ISO 8859-1 cannot write is in no ISO 8859-1 name.
class StringMatcherUtf {
public:
    enum class Encoding { Latin1, Utf8 };
    // Whether the word is also found in its other spelling, or only as written.
    enum class Spelling { Either, AsWritten };

    explicit StringMatcherUtf(const QString& word, Encoding encoding = Encoding::Latin1,
                              Spelling spelling = Spelling::Either);
    ~StringMatcherUtf();

    // Whether the word occurs in the first length bytes of text.
    bool operator()(const char* text, int length) const;

    const QString& word() const { return _word; }

private:
    void _takeForms(const WordForms& wordForms);
    template <typename Name>
    int _stemEnd(const Name& name, int start) const;
    template <typename Name>
    bool _formAt(const Name& name, int start, int end) const;
    int _find(const unsigned char* bytes, int length, int start) const;
    bool _byteSearch(const char* text, int length) const;
    bool _decodedSearch(const char* text, int length) const;
    void _takeParts(Encoding encoding);
    void _takeSharedKey(Encoding encoding);
    // Where the spellings share no key: each one's key, to find either in one pass.
    void _takeEitherKeys();
    // What every name that holds the word in this spelling holds, lowered; empty where the word
    // is compared with decoded names or has several writings.
    QByteArray _firstLook() const;
    void _takeGate();
    bool _holdsEitherKey(const char* text, int length) const;
    // Whether a writing stands where the anchor does.
    bool _holdsAWriting(const char* text, int length) const;
    // The stem's parts between the hyphens that join words.
    std::vector<QString> _stemParts() const;
    bool _inEitherSpelling(const char* text, int length) const;
    bool _inThisSpelling(const char* text, int length) const;
    // The word as written, in its forms, for a word without parts.
    bool _asWritten(const char* text, int length) const;

    QString _word;
    QString _stem;                       // lowered
    std::vector<QString> _laterParts;    // the stem's parts after a joining hyphen, lowered
    QByteArray _typedRest;               // what follows the stem in the word as typed
    std::vector<QByteArray> _otherRests; // the same in each other form that does not hold it
    bool _othersEndParts = false;        // whether those forms must end a part of the name
    bool _decode = false;
    bool _unwritable = false;            // holds a character the names' encoding lacks
    bool _apart = false;                 // whether the parts are also found apart
    bool _plain = false;                 // one spelling, no parts, searched byte by byte
    std::vector<unsigned char> _pattern; // the first part reversed and lowered; ends with a 0 byte
    int _length;                         // of the stem's first part
    std::array<int, 256> _skip;
    std::unique_ptr<StringMatcherUtf> _otherSpelling;
    std::unique_ptr<StringMatcherUtf> _key;           // the stem's longest part, when it has parts
    std::unique_ptr<StringMatcherUtf> _sharedKey;     // a part both spellings' stems hold
    std::vector<QByteArray> _eitherKeys; // each spelling's first look, where they share no key
    int _eitherWindow = 0;               // the shorter one's length
    std::array<int, 256> _eitherSkip;
    std::array<bool, 256> _eitherEnds;   // a byte that ends the window of a key
    std::vector<std::unique_ptr<StringMatcherUtf>> _parts; // the word's other parts, longest first
    std::vector<QByteArray> _writings;   // a word of short words, as written and closed up, lowered
    unsigned char _anchor = 0;           // the character of theirs that names hold least
    const StringMatcherUtf* _gate = nullptr; // a key whose first part every name holding the word holds
};

// Splits text on white space and appends the pieces to words. Returns the shortest piece's
// length (0 if text had no words).
int getWordsIntoVector(std::vector<QString>& words, const QString& text);

#endif
