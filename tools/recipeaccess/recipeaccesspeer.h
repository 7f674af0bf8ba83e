#ifndef PANTREL_TOOLS_RECIPEACCESS_RECIPEACCESSPEER_H
#define PANTREL_TOOLS_RECIPEACCESS_RECIPEACCESSPEER_H

#include "tools/recipeaccess/recipecollection.h"

#include <QFile>

#include <cstdio>
#include <map>
#include <optional>
#include <vector>

// Serves a recipe collection over standard input and output in the recipe access protocol:
// it holds the objects (the recipe access object, result cursors, recipes, nutrient sets)
// and answers the calls on them, every value big-endian. It writes a transcript of what it
// was asked to its log file, each line before the reply it explains, ending with the objects
// still alive when the channel closed.
// A fault makes it misbehave on purpose, for the tests of the system's side.
class RecipeAccessPeer {
public:
    enum class Fault {
        None,
        BadHandshake, // answers the greeting with a wrong word
        Silent,       // never answers anything
        Hang,         // answers the greeting, then no call
        Dies,         // exits right after the handshake
        DiesMidCall,  // exits in the middle of its first reply
        Oversize,     // names a recipe with an absurd number of text units
        NegativeName, // names a recipe with a negative number of text units
        Unterminated, // names a recipe without the terminating 0
        Slow,         // waits a little before every reply
        Endless,      // keeps handing out the recipes found, round and round, without end
        NotANumber    // gives energy as NaN and carbohydrate as infinity
    };

    // The fault named by the program's name: "recipeaccess-<fault>" in lower case, e.g.
    // "recipeaccess-badhandshake"; any other name is no fault.
    static Fault faultFromName(const QString& programName);

    RecipeAccessPeer(const RecipeCollection& collection, Fault fault, const QString& logPath);

    // Serves until the system says goodbye or closes the channel; the exit code.
    int run();

    static constexpr int SLOW_REPLY_MS = 150;

private:
    enum class Kind { Access, Results, Recipe, Nutrients };
    struct Object {
        Kind kind = Kind::Access;
        const CollectionRecipe* recipe = nullptr;
        std::vector<const CollectionRecipe*> found;
        size_t next = 0;
    };

    bool _handshake();
    // Answers one call; false when the peer must stop.
    bool _serveCall(qint32 objectId, qint32 method);
    bool _serveAccess(Object* object, qint32 method);
    void _serveRecipe(Object* object, qint32 method);
    bool _serveNutrients(Object* object, qint32 method);
    void _writeName(const CollectionRecipe* recipe);
    quint32 _add(Object object);
    Object* _find(qint32 id, Kind kind);
    void _drainInput();
    void _closeLog();

    bool _readInt32(qint32* value);
    void _writeInt32(qint32 value);
    void _writeInt16(qint16 value);
    void _writeDouble(double value);
    void _writeUnits(const std::vector<char16_t>& units);
    void _flush();
    void _log(const QString& line);

    const RecipeCollection& _collection;
    Fault _fault;
    QFile _logFile;
    std::map<quint32, Object> _objects;
    quint32 _nextId = 1;
    std::FILE* _in;
    std::FILE* _out;
};

#endif
