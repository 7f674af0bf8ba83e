#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class QDomElement;

// Builds a brand archive from XML definition files and image files. Before anything is
// written every source is checked the way the program will read it, so that a mistake in
// the brand is a build error rather than a fatal stop of the program: each XML member must
// be a well-formed brand document of known elements with complete, well-typed values and no
// id defined twice, every image reference must name a member of the archive, and every
// image member must decode.
class BrandPacker
{
public:
    // Adds the file at sourcePath as the archive member memberName.
    void addMember(const QString& memberName, const QString& sourcePath);

    // Checks every member; false with errors() filled when any check fails.
    bool check();

    // Writes the archive; the file at archivePath is replaced only when all went well.
    bool write(const QString& archivePath);

    const QStringList& errors() const { return _errors; }

private:
    static bool _isXmlMember(const QString& memberName);
    void _checkXml(const QString& memberName, const QString& sourcePath);
    void _checkElement(const QString& memberName, const QDomElement& element);
    QString _valueProblem(const QString& tag, const QString& value) const;
    void _checkImage(const QString& memberName, const QString& sourcePath);
    void _addError(const QString& memberName, const QString& text);

    std::vector<std::pair<QString, QString>> _members;  // member name, source path
    QSet<QString> _memberNames;
    QSet<QString> _definedIds;
    QStringList _errors;
};
