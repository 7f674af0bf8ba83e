#ifndef PANTREL_CATALOGUE_INDEXEDDB_H
#define PANTREL_CATALOGUE_INDEXEDDB_H

#include "catalogue/browsabledb.h"

#include <future>
#include <map>
#include <optional>
#include <memory>
#include <unordered_map>
#include <vector>

class CatalogueWords;
class StringMatcherUtf;

// Catalogue tree held in memory, used for both the shipped and the user's catalogues.
// Records sit in one array with each category's children contiguous from firstChild and the
// root at the end; flags live in a second array of the same length, and two hash maps find
// records by category id and by item id. Names are NUL-terminated and packed in record order,
// because the search derives a name's length from where the next one starts.
class IndexedDB : public BrowsableDB {
public:
    IndexedDB();
    ~IndexedDB() override;

    std::unique_ptr<BrowsableDBIterator> getChildren(qint64 id, int flagsRequiredOn,
                                                     int flagsRequiredOff) const override;
    std::unique_ptr<BrowsableDBIterator> getFlattenedChildren(int flagsRequiredOn,
                                                              int flagsRequiredOff) const override;
    // Words are separated by white space; a word starting with "-" excludes the records whose
    // path holds it (a lone "-" is no word). The terms are usable when there are at most 31
    // words, at least one of them is no exclusion, and the longest has more than 2 characters.
    // With checkOnly, returns whether the terms are usable and marks nothing. Otherwise terms
    // without any word return false and leave the flags; other unusable terms match nothing
    // and, like usable ones, return true.
    bool applySearchTerms(const QString& terms, bool checkOnly, int flagsRequiredOn) override;
    void resetSearchTerms() override;
    // Ranks the terms as the search reads them: two words of the table of spellings joined
    // ("tomato-ketchup"), a word that no word of the names opens with split into the words of
    // the names that it closes up ("ice-cream" for "icecream"); with the words of the names
    // that close up a searched word with another ("kiwifruit" for "kiwi") where no name opens
    // with the searched word ("grapefruit" is not "Grapes").
    SearchRank rankFor(const QString& terms) const override;

    // A record's name as text: the shipped catalogue holds ISO 8859-1, the user's stores UTF-8.
    QString nameOf(const BrowsableDBItem& item) const;

    // Read-only views of the records and their flags, in record order.
    const std::vector<BrowsableDBItem>& getItems() const { return _items; }
    const std::vector<unsigned char>& getFlags() const { return _flags; }

protected:
    // The record with this id and kind, or none.
    const BrowsableDBItem* _getIndexItem(qint64 id, bool isCategory) const;
    // Forgets every record.
    void _clearIndex();
    // Forgets the words of the names, before a load lays out its records or their names, or
    // before the names go; waits for a gathering under way.
    void _forgetWords();
    // Starts gathering the words of the names on a thread of its own, as a load does once it
    // has laid them out, so that neither the load nor, mostly, the first search waits for them.
    // The thread reads the records: they and their names stay until the words are forgotten.
    void _gatherWords();
    // Enters the record at index into the category map (a later category of the same id
    // replaces it) or the item map (the first item of an id is the one found).
    void _mapRecord(size_t index);

    std::vector<BrowsableDBItem> _items;
    std::vector<unsigned char> _flags;
    std::map<qint64, size_t> _categoryMap;
    std::unordered_map<qint64, size_t> _itemMap;
    // Whether the names are UTF-8 (else ISO 8859-1).
    bool _utf8Names = false;

private:
    using Matchers = std::vector<std::unique_ptr<StringMatcherUtf>>;

    // The searched or excluded words as the search reads them (see rankFor).
    std::vector<QString> _searchWords(const QString& terms) const;
    // The word joined by hyphens from the words of the names it closes up, or as it is.
    QString _apartIfClosedUp(const QString& word) const;
    // A word's matcher; it looks for the word's other spelling only where the names hold it,
    // and for the other spelling alone where the names hold only that.
    std::unique_ptr<StringMatcherUtf> _matcherFor(const QString& word) const;
    // Whether a name opens with the word, in one of its forms, as a word of its own: the
    // catalogue names a food so, and a word that closes it up with another names another.
    bool _opensAName(const QString& word) const;
    // Whether the names write the word (lowered), as the start of their words.
    bool _namesWrite(const QString& word) const;
    QByteArray _encoded(const QString& word) const;
    // Gathered from the load on, else at the first search that needs them; forgotten with the
    // records.
    const CatalogueWords& _catalogueWords() const;
    // The records' names, in record order.
    std::vector<const char*> _nameList() const;

    void _doSearch(size_t first, size_t end, const Matchers& matchers, quint32 fullMask,
                   unsigned char required);
    void _clearSearchMatches();
    quint32 _matchMask(size_t index, const Matchers& matchers, quint32 foundMask, quint32 fullMask) const;
    int _nameLength(size_t index) const;
    void _markSubtree(size_t category, unsigned char set, unsigned char clear);
    std::optional<size_t> _categoryIndex(qint64 id) const;

    mutable std::unique_ptr<CatalogueWords> _words;
    mutable std::future<std::unique_ptr<CatalogueWords>> _gathering;
};

#endif
