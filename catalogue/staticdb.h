#ifndef PANTREL_CATALOGUE_STATICDB_H
#define PANTREL_CATALOGUE_STATICDB_H

#include "catalogue/indexeddb.h"

#include <QString>

#include <string>

class MemMappedFile;

// One chunk of the catalogue file static.db (1 foods, 2 exercises) as a catalogue
// tree. The file is the user's own updated copy (in the folder setUserCopyFolder() names)
// when that passes checkFile() and is not older than the shipped one, otherwise the shipped
// file in getResourceDBPath(). The file is mapped once for the whole process and shared by every StaticDB; names
// and records are read in place from the mapping, so a tree and the records it hands out
// must not outlive it. Each StaticDB that opened or reused the mapping counts once;
// the mapping is released when the last of those is destroyed.
//
// Loading validates every offset and count the tree relies on, every item's record against
// its chunk's layout, and every reference a record makes (ranking group, nutrient slots,
// children, ids), so that no accessor of a loaded tree reads past the mapping or meets a
// reference to nothing.
class StaticDB : public IndexedDB {
public:
    enum ChunkId { FOOD_CHUNK = 1, EXERCISE_CHUNK = 2 };

    // Loads chunk chunkId (above 0) of databasePath(). On failure the tree holds only an
    // empty root and errorMessage() says why; failed, when given, is set to true.
    StaticDB(int chunkId, bool* failed = nullptr);
    ~StaticDB() override;

    StaticDB(const StaticDB&) = delete;
    StaticDB& operator=(const StaticDB&) = delete;

    std::string errorMessage() const { return _errorMessage; }
    void setErrorMessage(const std::string& message) { _errorMessage = message; }
    // The file's creation date, "yyyy-MM-dd"; empty when the header could not be read.
    const char* getCreationDate() const { return _creationDate; }
    qint64 getRootId() const override { return 0; }

    // The first byte past the mapped file: records of this tree end before it.
    const unsigned char* getMappingEnd() const;

    // The file the next mapping opens: the user's own copy when it is whole and not older
    // than the shipped file, otherwise the shipped file.
    static QString databasePath();
    // The folder of the user's updated copy; none (the default) looks for no copy.
    static void setUserCopyFolder(const QString& folder);
    // Whether the file at path holds a valid food and a valid exercise chunk, checked on a
    // mapping of its own; error says why not. creationDate, when given, receives the
    // file's creation date.
    static bool checkFile(const QString& path, std::string* error, QString* creationDate = nullptr);

private:
    // Loads chunk chunkId of mapping without sharing it, for checkFile().
    StaticDB(const MemMappedFile& mapping, int chunkId);

    bool _load(int chunkId);
    bool _loadFrom(const MemMappedFile* mapping, int chunkId);
    // Records why the file is refused; always false.
    bool _fail(const char* problem);
    bool _fail(const QString& problem);
    void _offerEmptyRoot();
    bool _loadRecords(quint32 count, quint64 itemsAt, quint64 namesAt, quint64 dataAt,
                      int chunkId);
    bool _loadItem(BrowsableDBItem& item, const unsigned char* record, quint64 dataAt, int chunkId);
    // What is wrong with an item's record; empty when nothing is.
    QString _recordProblem(int chunkId, const BrowsableDBItem& item) const;
    bool _checkRankingGroups();

    std::string _errorMessage;
    // The reason the file was refused, as the message names it.
    QString _problem;
    char _creationDate[11] = {};
    bool _counted = false;
    const MemMappedFile* _mapping = nullptr;

    static QString s_userCopyFolder;
    static MemMappedFile* s_memMapping;
    // The file that s_memMapping maps.
    static QString s_mappedPath;
    static int s_memMappingUseCount;
};

#endif
