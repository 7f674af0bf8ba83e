#include "tools/brandpack/brandpacker.h"

#include "core/tarfilewriter.h"

#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSaveFile>

void BrandPacker::addMember(const QString& memberName, const QString& sourcePath)
{
    if (_memberNames.contains(memberName)) {
        _addError(memberName, QStringLiteral("is given twice"));
        return;
    }
    _memberNames.insert(memberName);
    _members.emplace_back(memberName, sourcePath);
}

bool BrandPacker::check()
{
    _definedIds.clear();
    for (const auto& [memberName, sourcePath] : _members) {
        if (_isXmlMember(memberName))
            _checkXml(memberName, sourcePath);
        else
            _checkImage(memberName, sourcePath);
    }
    return _errors.isEmpty();
}

// The program reads every member whose whole name matches ".*xml" as brand definitions.
bool BrandPacker::_isXmlMember(const QString& memberName)
{
    static const QRegularExpression xml(QStringLiteral("\\A.*xml\\z"));
    return xml.match(memberName).hasMatch();
}

void BrandPacker::_checkXml(const QString& memberName, const QString& sourcePath)
{
    QFile file(sourcePath);
    if (!file.open(QIODevice::ReadOnly)) {
        _addError(memberName, QStringLiteral("cannot read %1: %2").arg(sourcePath, file.errorString()));
        return;
    }
    QDomDocument document;
    QString parseError;
    int line = 0;
    int column = 0;
    if (!document.setContent(&file, &parseError, &line, &column)) {
        _addError(memberName, QStringLiteral("%1:%2:%3: %4").arg(sourcePath).arg(line).arg(column).arg(parseError));
        return;
    }
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("brand")) {
        _addError(memberName, QStringLiteral("the root element must be <brand>, not <%1>").arg(root.tagName()));
        return;
    }
    for (QDomElement element = root.firstChildElement(); !element.isNull(); element = element.nextSiblingElement())
        _checkElement(memberName, element);
}

void BrandPacker::_checkElement(const QString& memberName, const QDomElement& element)
{
    const QString tag = element.tagName();
    if (tag == QLatin1String("include"))
        return;
    const QString id = element.attribute(QStringLiteral("id"));
    const QString where = QStringLiteral("line %1: <%2 id=\"%3\">").arg(element.lineNumber()).arg(tag, id);
    const bool isImage = tag == QLatin1String("image");
    if (!isImage && tag != QLatin1String("string") && tag != QLatin1String("bool") && tag != QLatin1String("int")) {
        _addError(memberName, QStringLiteral("line %1: unknown element <%2>").arg(element.lineNumber()).arg(tag));
        return;
    }
    const QString value = element.attribute(isImage ? QStringLiteral("fileref") : QStringLiteral("value"));
    if (id.isEmpty() || value.isEmpty()) {
        _addError(memberName, where + QStringLiteral(" needs both an id and a %1").arg(isImage ? "fileref" : "value"));
        return;
    }
    if (_definedIds.contains(id))
        _addError(memberName, where + QStringLiteral(" defines an id that is already defined"));
    _definedIds.insert(id);
    const QString problem = _valueProblem(tag, value);
    if (!problem.isEmpty())
        _addError(memberName, where + QLatin1Char(' ') + problem);
}

// What is wrong with an element's value (or image reference) for its tag; empty when nothing.
QString BrandPacker::_valueProblem(const QString& tag, const QString& value) const
{
    if (tag == QLatin1String("bool")) {
        const QString word = value.toLower();
        if (word != QLatin1String("true") && word != QLatin1String("false"))
            return QStringLiteral("needs the value true or false, not \"%1\"").arg(value);
    } else if (tag == QLatin1String("int")) {
        bool isNumber = false;
        value.toInt(&isNumber);
        if (!isNumber)
            return QStringLiteral("needs a decimal number, not \"%1\"").arg(value);
    } else if (tag == QLatin1String("image") && !_memberNames.contains(value)) {
        return QStringLiteral("names the image %1, which the archive does not hold").arg(value);
    }
    return QString();
}

void BrandPacker::_checkImage(const QString& memberName, const QString& sourcePath)
{
    if (QImage(sourcePath).isNull())
        _addError(memberName, QStringLiteral("%1 is not an image that can be read").arg(sourcePath));
}

void BrandPacker::_addError(const QString& memberName, const QString& text)
{
    _errors.append(memberName + QStringLiteral(": ") + text);
}

bool BrandPacker::write(const QString& archivePath)
{
    QSaveFile file(archivePath);
    if (!file.open(QIODevice::WriteOnly)) {
        _errors.append(QStringLiteral("cannot write %1: %2").arg(archivePath, file.errorString()));
        return false;
    }
    QString tarError;
    {
        TarFileWriter writer(file);
        for (const auto& [memberName, sourcePath] : _members) {
            if (!writer.addFile(sourcePath, memberName)) {
                if (!writer.error())
                    _addError(memberName, QStringLiteral("cannot read %1").arg(sourcePath));
                break;
            }
        }
        writer.error(&tarError);
    }
    if (!tarError.isEmpty() || !_errors.isEmpty()) {
        if (!tarError.isEmpty())
            _errors.append(tarError);
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        _errors.append(QStringLiteral("cannot write %1: %2").arg(archivePath, file.errorString()));
        return false;
    }
    return true;
}
