#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QPixmap>
#include <QString>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class QDomDocument;
class QDomElement;
class TarReader;

// The brand: the application's name, texts, images, web addresses and feature switches,
// read from brand archives (tar archives of XML documents and images). A lookup of an id the
// brand does not define is reported as a critical message and gives an empty value, so
// optional ids are tested with idExists() first. Texts may hold tokens "${ID}" naming other
// brand texts.
class BrandEngine
{
    Q_DECLARE_TR_FUNCTIONS(BrandEngine)

public:
    // The word that the elements' "product" filter compares with.
    static constexpr const char* s_productWord = "pantrel";
    // The word that the elements' "platform" filter compares with (this build has none).
    static constexpr const char* s_platformWord = "";

    struct ImageData
    {
        TarReader* archive = nullptr;  // the archive that defined the image, owned by the engine
        QString fileref;               // the image's member name in that archive
    };

    static BrandEngine* instance();
    // Deletes the engine and all it read; the next instance() starts empty.
    static void cleanUp();

    // Reads one brand archive; ids already defined keep their first value. False, with the
    // reason as a sentence in *error when given, when the file cannot be opened, is no regular
    // file, is cut short or damaged, holds an XML document that cannot be read, holds no
    // brand document, or lacks an image that its documents name; the engine is then unchanged.
    bool import(const char* filename, QString* error = nullptr);

    // Whether the brand defines every id whose value names the program, its folders, files or
    // settings, a web address or a switch, each with a usable value; false with the first
    // fault as a sentence in *error when given. Nothing may be made from a brand before it
    // passes: the program reads these ids without asking whether they exist, and builds names
    // from their values.
    bool servesTheProgram(QString* error = nullptr) const;

    QString getString(const char* id) const;
    bool getBool(const char* id) const;
    int getInt(const char* id) const;
    QPixmap getPixmap(const char* id) const;
    // A new pixmap that the caller owns and deletes.
    QPixmap* getPixmapPtr(const char* id) const;
    bool idExists(const char* id) const;

    // Expands every "${ID}" token of text in place (ID names a brand text, looked up in
    // lower case) and returns a copy of the result. A token that cannot be expanded is
    // reported and left as it stands.
    QString replaceTokens(QString& text) const;

    // The forms of replaceTokens() and of the image lookup that report a failure in *error
    // instead of stopping the program.
    bool expandTokens(QString& text, QString* error) const;
    QByteArray imageBytes(const char* id, QString* error) const;

    ~BrandEngine();

private:
    BrandEngine() = default;

    bool _readDocuments(TarReader& archive, std::vector<std::pair<QString, QDomDocument>>& documents,
                        QString* error) const;
    bool _holdsImages(const TarReader& archive,
                      const std::vector<std::pair<QString, QDomDocument>>& documents,
                      QString* error) const;
    void _enterDocument(TarReader& archive, const QDomDocument& document, const QString& member);
    // What an id the program requires must be defined as, and the list of those ids.
    enum class Kind;
    struct RequiredId;
    static const RequiredId s_requiredIds[];
    bool _lacks(const char* id, Kind kind, QString* error) const;
    void _parseElement(TarReader& archive, const QDomElement& element, const QString& member);
    bool _passesFilters(const QDomElement& element) const;
    void _addImage(TarReader& archive, const QString& id, const QString& fileref);
    const QString* _findString(const QString& id) const;
    bool _tokenLoops(const QString& id, QString* loopId) const;

    static BrandEngine* s_instance;

    std::vector<std::unique_ptr<TarReader>> _files;
    std::map<QString, QString> _stringMap;
    std::map<QString, bool> _boolMap;
    std::map<QString, int> _intMap;
    std::map<QString, ImageData> _imageMap;
};
