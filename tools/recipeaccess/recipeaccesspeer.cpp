#include "tools/recipeaccess/recipeaccesspeer.h"

#include <QThread>
#include <QtEndian>

#include <cstring>
#include <limits>
#include <unistd.h>

namespace {

constexpr qint32 GREETING = qint32(0xFFFFABCD);
constexpr qint32 GREETING_ANSWER = qint32(0xFFFF0123);
constexpr qint32 RESULT_OK = 0;
constexpr qint32 RESULT_END = 1;
constexpr qint32 RESULT_FAILED = qint32(0x80004005);
constexpr qint32 MAX_SEARCH_UNITS = 1 << 16;
constexpr int NUTRIENT_COUNT = 10;

enum Method : qint32 {
    RELEASE = 1,
    DO_SEARCH = 16,
    GET_RECIPE = 17,
    FETCH = 32,
    GET_ID = 48,
    GET_NAME = 49,
    GET_SERVINGS = 50,
    GET_NUTRIENTS = 51,
    HAS_NUTRIENT = 64,
    GET_NUTRIENT = 65
};

const std::map<QString, RecipeAccessPeer::Fault>& faultNames()
{
    using Fault = RecipeAccessPeer::Fault;
    static const std::map<QString, Fault> names = {
        {QStringLiteral("badhandshake"), Fault::BadHandshake},
        {QStringLiteral("silent"), Fault::Silent},
        {QStringLiteral("hang"), Fault::Hang},
        {QStringLiteral("dies"), Fault::Dies},
        {QStringLiteral("diesmidcall"), Fault::DiesMidCall},
        {QStringLiteral("oversize"), Fault::Oversize},
        {QStringLiteral("negativename"), Fault::NegativeName},
        {QStringLiteral("unterminated"), Fault::Unterminated},
        {QStringLiteral("slow"), Fault::Slow},
        {QStringLiteral("endless"), Fault::Endless},
        {QStringLiteral("notanumber"), Fault::NotANumber}};
    return names;
}

std::optional<double> nutrientOf(const CollectionRecipe* recipe, qint32 nutrient)
{
    if (nutrient < 0 || nutrient >= NUTRIENT_COUNT)
        return std::nullopt;
    return recipe->nutrients[size_t(nutrient)];
}

} // namespace

RecipeAccessPeer::Fault RecipeAccessPeer::faultFromName(const QString& programName)
{
    const QString prefix = QStringLiteral("recipeaccess-");
    if (!programName.startsWith(prefix))
        return Fault::None;
    const auto it = faultNames().find(programName.mid(prefix.size()));
    return it == faultNames().end() ? Fault::None : it->second;
}

RecipeAccessPeer::RecipeAccessPeer(const RecipeCollection& collection, Fault fault,
                                   const QString& logPath)
    : _collection(collection), _fault(fault), _logFile(logPath), _in(stdin), _out(stdout)
{
    _logFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    _log(QStringLiteral("start %1").arg(getpid()));
}

int RecipeAccessPeer::run()
{
    if (!_handshake())
        return 1;
    for (;;) {
        qint32 objectId = 0;
        qint32 method = 0;
        if (!_readInt32(&objectId) || !_readInt32(&method)) {
            _log(QStringLiteral("input closed"));
            _closeLog();
            return 0;
        }
        if (objectId == -1 && method == -1) {
            _closeLog();
            return 0;
        }
        _log(QStringLiteral("call %1 %2").arg(objectId).arg(method));
        if (!_serveCall(objectId, method))
            return 2;
    }
}

bool RecipeAccessPeer::_handshake()
{
    qint32 greeting = 0;
    if (!_readInt32(&greeting) || greeting != GREETING) {
        _log(QStringLiteral("no greeting"));
        return false;
    }
    if (_fault == Fault::Silent) {
        _drainInput();
        return false;
    }
    _log(QStringLiteral("handshake"));
    _writeInt32(_fault == Fault::BadHandshake ? qint32(0x12345678) : GREETING_ANSWER);
    _writeInt32(qint32(_add(Object{})));
    _flush();
    if (_fault == Fault::Hang)
        _drainInput();
    return _fault != Fault::BadHandshake && _fault != Fault::Dies && _fault != Fault::Hang;
}

bool RecipeAccessPeer::_serveCall(qint32 objectId, qint32 method)
{
    if (_fault == Fault::DiesMidCall) {
        std::fwrite("\0\0", 1, 2, _out);
        _flush();
        return false;
    }
    if (_fault == Fault::Slow)
        QThread::msleep(SLOW_REPLY_MS);
    bool ok = true;
    switch (method) {
    case RELEASE: {
        const bool known = _objects.erase(quint32(objectId)) > 0;
        _writeInt32(known ? RESULT_OK : RESULT_FAILED);
        break;
    }
    case DO_SEARCH:
    case GET_RECIPE:
        ok = _serveAccess(_find(objectId, Kind::Access), method);
        break;
    case FETCH: {
        Object* results = _find(objectId, Kind::Results);
        if (results && _fault == Fault::Endless && !results->found.empty())
            results->next %= results->found.size();
        if (!results || results->next >= results->found.size()) {
            _writeInt32(results ? RESULT_END : RESULT_FAILED);
            _writeInt32(0);
            break;
        }
        Object recipe{Kind::Recipe, results->found[results->next++], {}, 0};
        _writeInt32(RESULT_OK);
        _writeInt32(qint32(_add(recipe)));
        break;
    }
    case GET_ID:
    case GET_NAME:
    case GET_SERVINGS:
    case GET_NUTRIENTS:
        _serveRecipe(_find(objectId, Kind::Recipe), method);
        break;
    case HAS_NUTRIENT:
    case GET_NUTRIENT:
        ok = _serveNutrients(_find(objectId, Kind::Nutrients), method);
        break;
    default:
        _log(QStringLiteral("unknown method %1").arg(method));
        return false;
    }
    _flush();
    return ok;
}

bool RecipeAccessPeer::_serveAccess(Object* access, qint32 method)
{
    qint32 argument = 0;
    if (!_readInt32(&argument))
        return false;
    if (method == GET_RECIPE) {
        const CollectionRecipe* recipe = _collection.find(argument);
        _writeInt32(access && recipe ? RESULT_OK : RESULT_FAILED);
        _writeInt32(access && recipe ? qint32(_add(Object{Kind::Recipe, recipe, {}, 0})) : 0);
        return true;
    }
    if (argument < 1 || argument > MAX_SEARCH_UNITS)
        return false;
    std::vector<uchar> bytes(size_t(argument) * 2);
    if (std::fread(bytes.data(), 1, bytes.size(), _in) != bytes.size())
        return false;
    QString text;
    for (qint32 i = 0; i + 1 < argument; ++i)
        text.append(QChar(qFromBigEndian<quint16>(bytes.data() + 2 * i)));
    _log(QStringLiteral("search %1 %2").arg(argument).arg(text));
    _writeInt32(access ? RESULT_OK : RESULT_FAILED);
    _writeInt32(access ? qint32(_add(Object{Kind::Results, nullptr, _collection.search(text), 0})) : 0);
    return true;
}

void RecipeAccessPeer::_serveRecipe(Object* recipe, qint32 method)
{
    const CollectionRecipe* data = recipe ? recipe->recipe : nullptr;
    _writeInt32(data ? RESULT_OK : RESULT_FAILED);
    switch (method) {
    case GET_ID:
        _writeInt32(data ? data->id : 0);
        break;
    case GET_NAME:
        _writeName(data);
        break;
    case GET_SERVINGS:
        _writeInt32(data ? data->servings : 0);
        break;
    default:
        _writeInt32(data ? qint32(_add(Object{Kind::Nutrients, data, {}, 0})) : 0);
        break;
    }
}

void RecipeAccessPeer::_writeName(const CollectionRecipe* recipe)
{
    const QString name = recipe ? recipe->name : QString();
    std::vector<char16_t> units(name.utf16(), name.utf16() + name.size());
    if (_fault != Fault::Unterminated)
        units.push_back(0);
    if (_fault == Fault::Oversize)
        _writeInt32(0x7FFFFFF0);
    else if (_fault == Fault::NegativeName)
        _writeInt32(-qint32(units.size()));
    else
        _writeInt32(qint32(units.size()));
    _writeUnits(units);
}

bool RecipeAccessPeer::_serveNutrients(Object* nutrients, qint32 method)
{
    qint32 nutrient = 0;
    if (!_readInt32(&nutrient))
        return false;
    std::optional<double> value =
        nutrients ? nutrientOf(nutrients->recipe, nutrient) : std::nullopt;
    if (value && _fault == Fault::NotANumber && nutrient <= 1)
        value = nutrient == 0 ? std::numeric_limits<double>::quiet_NaN()
                              : std::numeric_limits<double>::infinity();
    if (method == HAS_NUTRIENT) {
        _writeInt32(nutrients ? RESULT_OK : RESULT_FAILED);
        _writeInt16(value ? 1 : 0);
    } else {
        _writeInt32(value ? RESULT_OK : RESULT_FAILED);
        _writeDouble(value.value_or(0.0));
    }
    return true;
}

quint32 RecipeAccessPeer::_add(Object object)
{
    const quint32 id = _nextId++;
    _objects[id] = std::move(object);
    return id;
}

RecipeAccessPeer::Object* RecipeAccessPeer::_find(qint32 id, Kind kind)
{
    const auto it = _objects.find(quint32(id));
    return it != _objects.end() && it->second.kind == kind ? &it->second : nullptr;
}

// Reads and drops everything the system sends until it closes the channel.
void RecipeAccessPeer::_drainInput()
{
    char bytes[256];
    while (std::fread(bytes, 1, sizeof bytes, _in) > 0) {
    }
    _log(QStringLiteral("input closed"));
}

// The last line names every object still alive, in id order: none when the system
// released all it was given.
void RecipeAccessPeer::_closeLog()
{
    QString line = QStringLiteral("close alive:");
    for (const auto& [id, object] : _objects)
        line += QLatin1Char(' ') + QString::number(id);
    _log(line);
}

bool RecipeAccessPeer::_readInt32(qint32* value)
{
    uchar bytes[4];
    if (std::fread(bytes, 1, sizeof bytes, _in) != sizeof bytes)
        return false;
    *value = qFromBigEndian<qint32>(bytes);
    return true;
}

void RecipeAccessPeer::_writeInt32(qint32 value)
{
    uchar bytes[4];
    qToBigEndian(value, bytes);
    std::fwrite(bytes, 1, sizeof bytes, _out);
}

void RecipeAccessPeer::_writeInt16(qint16 value)
{
    uchar bytes[2];
    qToBigEndian(value, bytes);
    std::fwrite(bytes, 1, sizeof bytes, _out);
}

void RecipeAccessPeer::_writeDouble(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    uchar bytes[8];
    qToBigEndian(bits, bytes);
    std::fwrite(bytes, 1, sizeof bytes, _out);
}

void RecipeAccessPeer::_writeUnits(const std::vector<char16_t>& units)
{
    for (char16_t unit : units) {
        uchar bytes[2];
        qToBigEndian(quint16(unit), bytes);
        std::fwrite(bytes, 1, sizeof bytes, _out);
    }
}

void RecipeAccessPeer::_flush()
{
    std::fflush(_out);
}

void RecipeAccessPeer::_log(const QString& line)
{
    _logFile.write(line.toUtf8() + '\n');
    _logFile.flush();
}
