#include "core/brandengine.h"

#include "core/tarreader.h"

#include <QDomDocument>
#include <QDomElement>
#include <QRegularExpression>

#include <algorithm>
#include <cassert>
#include <set>

namespace {

// Limits that keep a brand whose tokens never resolve from hanging or exhausting memory.
const int s_maxTokenRounds = 1024;
const qsizetype s_maxExpandedLength = qsizetype(256) * 1024;

const QRegularExpression& tokenExpression()
{
    static const QRegularExpression expression(QStringLiteral("\\$\\{([^\\}]+)\\}"));
    return expression;
}

// Whether a comma-separated filter list holds word as one of its entries.
bool listHoldsWord(const QString& list, const char* word)
{
    const QRegularExpression entry(QStringLiteral("(^|,)\\s*%1\\s*($|,)")
                                       .arg(QRegularExpression::escape(QString::fromUtf8(word))));
    return entry.match(list).hasMatch();
}

// A brand that lacks what the program asks of it, a partial one under -resourcedir say, is
// reported and the lookup gives nothing: a missing text or image never ends the program.
void reportBrandFault(const QString& message)
{
    qCritical("%s", qUtf8Printable(message));
}

QString missingIdMessage(const char* id)
{
    return QString::asprintf("Couldn't find id '%s' in brand", id);
}

// A value that becomes one folder's name: never a path of its own, nor a step up or aside.
bool isFolderName(const QString& value)
{
    return !value.contains(QLatin1Char('/')) && value != QLatin1String(".")
           && value != QLatin1String("..");
}

template<typename Map>
const typename Map::mapped_type* findValue(const Map& map, const char* id)
{
    const auto found = map.find(QString::fromUtf8(id));
    return found == map.end() ? nullptr : &found->second;
}

} // namespace

enum class BrandEngine::Kind { Text, FolderName, Switch, Number };

struct BrandEngine::RequiredId
{
    const char* id;
    Kind kind;
};

// The ids that the program reads without asking whether they exist and whose values name
// something: the program, the folder, file and settings names, a web address or a switch.
// Texts that only label something may be missing: they are reported and read empty.
const BrandEngine::RequiredId BrandEngine::s_requiredIds[] = {
    {"brand_id", Kind::FolderName},  // the settings file and key prefix, data and backup folders
    {"app_name", Kind::Text},
    {"app_name_short", Kind::Text},
    {"web_registration_url", Kind::Text},
    {"mealplan_auth_url", Kind::Text},
    {"publish_auth_url", Kind::Text},
    {"metrics_auth_url", Kind::Text},
    {"datastore_compat", Kind::Switch},
    {"chest_measurement_enabled", Kind::Switch},
    {"waist_measurement_enabled", Kind::Switch},
    {"hip_measurement_enabled", Kind::Switch},
    {"thigh_measurement_enabled", Kind::Switch},
    {"steps_measurement_enabled", Kind::Switch},
    {"mealplans_enabled", Kind::Switch},
    {"publish_enabled", Kind::Switch},
    {"default_measurement_units", Kind::Number},
    {"default_energy_units", Kind::Number},
    {"www_count", Kind::Number},
};

BrandEngine* BrandEngine::s_instance = nullptr;

BrandEngine* BrandEngine::instance()
{
    if (!s_instance)
        s_instance = new BrandEngine;
    return s_instance;
}

void BrandEngine::cleanUp()
{
    delete s_instance;
    s_instance = nullptr;
}

BrandEngine::~BrandEngine() = default;

bool BrandEngine::import(const char* filename, QString* error)
{
    assert(filename && "BrandEngine::import needs a file name");
    auto archive = std::make_unique<TarReader>();
    std::vector<std::pair<QString, QDomDocument>> documents;
    QString reason;
    if (!archive->open(filename))
        reason = tr("The brand archive cannot be opened: %1.").arg(archive->errorString());
    else if (!archive->isWhole())
        reason = archive->errorString();
    else if (_readDocuments(*archive, documents, &reason) && documents.empty())
        reason = tr("The archive holds no brand document.");
    else if (reason.isEmpty())
        _holdsImages(*archive, documents, &reason);
    if (!reason.isEmpty()) {
        if (error)
            *error = reason;
        return false;
    }
    for (const auto& [member, document] : documents)
        _enterDocument(*archive, document, member);
    _files.push_back(std::move(archive));
    return true;
}

// The archive's brand documents, in member order; false with the reason when an XML member
// cannot be read or parsed, so that no definition is entered from an archive in part.
bool BrandEngine::_readDocuments(TarReader& archive, std::vector<std::pair<QString, QDomDocument>>& documents,
                                 QString* error) const
{
    for (const std::string& member : archive.listFiles(".*xml", true)) {
        const QString memberName = QString::fromStdString(member);
        QDomDocument document;
        QString message;
        int line = 0;
        int column = 0;
        if (!document.setContent(archive.readFile(member), &message, &line, &column)) {
            // The parser's words, which may end with a full stop of their own, end the sentence.
            if (message.endsWith(QLatin1Char('.')))
                message.chop(1);
            *error = tr("The brand document %1 in the archive cannot be read at line %2, column %3: %4.")
                         .arg(memberName)
                         .arg(line)
                         .arg(column)
                         .arg(message);
            return false;
        }
        if (document.documentElement().tagName() != QLatin1String("brand")) {
            qWarning("BrandEngine: Skipping what looks not to be a branding xml file: %s", qUtf8Printable(memberName));
            continue;
        }
        documents.emplace_back(memberName, document);
    }
    return true;
}

// Whether the archive holds every image that its documents name for this program; false with
// the first one missing in *error.
bool BrandEngine::_holdsImages(const TarReader& archive,
                               const std::vector<std::pair<QString, QDomDocument>>& documents,
                               QString* error) const
{
    const QString image = QStringLiteral("image");
    for (const auto& [member, document] : documents) {
        for (QDomElement element = document.documentElement().firstChildElement(image); !element.isNull();
             element = element.nextSiblingElement(image)) {
            const QString fileref = element.attribute(QStringLiteral("fileref"));
            if (element.attribute(QStringLiteral("id")).isEmpty() || fileref.isEmpty()
                || archive.holds(fileref.toStdString()) || !_passesFilters(element))
                continue;
            *error = tr("The brand document %1 names the image %2, which the archive does not hold.")
                         .arg(member, fileref);
            return false;
        }
    }
    return true;
}

void BrandEngine::_enterDocument(TarReader& archive, const QDomDocument& document, const QString& member)
{
    const QDomElement root = document.documentElement();
    for (QDomElement element = root.firstChildElement(); !element.isNull(); element = element.nextSiblingElement()) {
        if (_passesFilters(element))
            _parseElement(archive, element, member);
    }
}

bool BrandEngine::_passesFilters(const QDomElement& element) const
{
    const QString platform = QStringLiteral("platform");
    if (element.hasAttribute(platform) && !listHoldsWord(element.attribute(platform), s_platformWord))
        return false;
    const QString product = QStringLiteral("product");
    if (element.hasAttribute(product) && !listHoldsWord(element.attribute(product), s_productWord)) {
        qWarning("BrandEngine: Skipping element as it is not flagged for this product but '%s'",
                 qUtf8Printable(element.attribute(product)));
        return false;
    }
    return true;
}

void BrandEngine::_parseElement(TarReader& archive, const QDomElement& element, const QString& member)
{
    const QString tag = element.tagName();
    if (tag == QLatin1String("include"))
        return;
    const QString id = element.attribute(QStringLiteral("id"));
    if (tag == QLatin1String("image")) {
        const QString fileref = element.attribute(QStringLiteral("fileref"));
        if (!id.isEmpty() && !fileref.isEmpty())
            _addImage(archive, id, fileref);
        return;
    }
    const QString value = element.attribute(QStringLiteral("value"));
    const bool complete = !id.isEmpty() && !value.isEmpty();
    if (tag == QLatin1String("string")) {
        if (complete)
            _stringMap.try_emplace(id, value);
    } else if (tag == QLatin1String("bool")) {
        const QString word = value.toLower();
        if (complete && (word == QLatin1String("true") || word == QLatin1String("false")))
            _boolMap.try_emplace(id, word == QLatin1String("true"));
    } else if (tag == QLatin1String("int")) {
        if (complete)
            _intMap.try_emplace(id, value.toInt());
    } else {
        qWarning("BrandEngine: Unknown tag '%s' in %s", qUtf8Printable(tag), qUtf8Printable(member));
    }
}

void BrandEngine::_addImage(TarReader& archive, const QString& id, const QString& fileref)
{
    _imageMap.try_emplace(id, ImageData{&archive, fileref});
}

QString BrandEngine::getString(const char* id) const
{
    const QString* value = findValue(_stringMap, id);
    if (!value) {
        reportBrandFault(missingIdMessage(id));
        return QString();
    }
    return *value;
}

bool BrandEngine::getBool(const char* id) const
{
    const bool* value = findValue(_boolMap, id);
    if (!value) {
        reportBrandFault(missingIdMessage(id));
        return false;
    }
    return *value;
}

int BrandEngine::getInt(const char* id) const
{
    const int* value = findValue(_intMap, id);
    if (!value) {
        reportBrandFault(missingIdMessage(id));
        return 0;
    }
    return *value;
}

QPixmap BrandEngine::getPixmap(const char* id) const
{
    QString error;
    const QByteArray bytes = imageBytes(id, &error);
    QPixmap pixmap;
    if (bytes.isEmpty()) {
        reportBrandFault(error);
        return pixmap;
    }
    pixmap.loadFromData(bytes);
    return pixmap;
}

QPixmap* BrandEngine::getPixmapPtr(const char* id) const
{
    return new QPixmap(getPixmap(id));
}

QByteArray BrandEngine::imageBytes(const char* id, QString* error) const
{
    const ImageData* image = findValue(_imageMap, id);
    if (!image) {
        *error = missingIdMessage(id);
        return QByteArray();
    }
    QByteArray bytes = image->archive->readFile(image->fileref.toStdString());
    if (bytes.isEmpty())
        *error = QString::asprintf("Couldn't find image file '%s' for brand id '%s'",
                                   qUtf8Printable(image->fileref), id);
    return bytes;
}

bool BrandEngine::idExists(const char* id) const
{
    return findValue(_boolMap, id) || findValue(_intMap, id) || findValue(_imageMap, id)
           || findValue(_stringMap, id);
}

bool BrandEngine::servesTheProgram(QString* error) const
{
    for (const RequiredId& required : s_requiredIds) {
        if (_lacks(required.id, required.kind, error))
            return false;
    }
    // The database updates, when switched on, have their feed.
    const bool* updates = findValue(_boolMap, "update_enabled");
    if (updates && *updates && _lacks("update_rss_url", Kind::Text, error))
        return false;
    // Each web section has its address.
    const int* sections = findValue(_intMap, "www_count");
    for (int section = 1; sections && section <= *sections; ++section) {
        if (_lacks(("www_url_" + QByteArray::number(section)).constData(), Kind::Text, error))
            return false;
    }
    return true;
}

// Whether the id is missing, defined as another kind of value, or blank where a name is built
// from it; *error, when given, says which.
bool BrandEngine::_lacks(const char* id, Kind kind, QString* error) const
{
    const QString* text = findValue(_stringMap, id);
    const bool defined = kind == Kind::Switch   ? findValue(_boolMap, id) != nullptr
                         : kind == Kind::Number ? findValue(_intMap, id) != nullptr
                                                : text != nullptr;
    QString fault;
    if (!defined)
        fault = tr("The brand lacks the id '%1'.").arg(QString::fromUtf8(id));
    else if (kind == Kind::Switch || kind == Kind::Number)
        return false;
    else if (text->trimmed().isEmpty())
        fault = tr("The brand's id '%1' is blank.").arg(QString::fromUtf8(id));
    else if (kind == Kind::FolderName && !isFolderName(*text))
        fault = tr("The brand's id '%1' names no folder: '%2'.").arg(QString::fromUtf8(id), *text);
    else
        return false;
    if (error)
        *error = fault;
    return true;
}

QString BrandEngine::replaceTokens(QString& text) const
{
    QString error;
    if (!expandTokens(text, &error))
        reportBrandFault(error);
    return text;
}

bool BrandEngine::expandTokens(QString& text, QString* error) const
{
    for (int round = 0;; ++round) {
        const QRegularExpressionMatch match = tokenExpression().match(text);
        if (!match.hasMatch())
            return true;
        const QString id = match.captured(1).toLower();
        const QString* value = _findString(id);
        if (!value) {
            *error = missingIdMessage(qUtf8Printable(id));
            return false;
        }
        QString loopId;
        if (_tokenLoops(id, &loopId)) {
            *error = QStringLiteral("The brand text '%1' refers back to itself through its tokens").arg(loopId);
            return false;
        }
        text.replace(match.captured(0), *value);
        if (round >= s_maxTokenRounds || text.size() > s_maxExpandedLength) {
            *error = QStringLiteral("The brand tokens in a text do not resolve: expanding them does not end");
            return false;
        }
    }
}

const QString* BrandEngine::_findString(const QString& id) const
{
    const auto found = _stringMap.find(id);
    return found == _stringMap.end() ? nullptr : &found->second;
}

// Whether expanding id's text comes back to a text that is still being expanded; *loopId
// names that text. Walks the texts the tokens name depth first, without recursion.
bool BrandEngine::_tokenLoops(const QString& id, QString* loopId) const
{
    std::set<QString> finished;
    std::vector<std::pair<QString, QRegularExpressionMatchIterator>> path;
    path.emplace_back(id, tokenExpression().globalMatch(*_findString(id)));
    while (!path.empty()) {
        QRegularExpressionMatchIterator& tokens = path.back().second;
        if (!tokens.hasNext()) {
            finished.insert(path.back().first);
            path.pop_back();
            continue;
        }
        const QString next = tokens.next().captured(1).toLower();
        if (finished.count(next) || !_findString(next))
            continue;
        const auto onPath = [&next](const auto& entry) { return entry.first == next; };
        if (std::any_of(path.begin(), path.end(), onPath)) {
            *loopId = next;
            return true;
        }
        path.emplace_back(next, tokenExpression().globalMatch(*_findString(next)));
    }
    return false;
}
