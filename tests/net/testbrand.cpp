#include "testbrand.h"

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/tarfilewriter.h"

#include <QFile>
#include <QTemporaryDir>

bool importBrandWithOverrides(const QMap<QString, QString>& strings, const QMap<QString, bool>& switches)
{
    QTemporaryDir folder;
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<brand>\n");
    for (auto it = strings.cbegin(); it != strings.cend(); ++it)
        xml += QStringLiteral("  <string id=\"%1\" value=\"%2\"/>\n")
                   .arg(it.key().toHtmlEscaped(), it.value().toHtmlEscaped());
    for (auto it = switches.cbegin(); it != switches.cend(); ++it)
        xml += QStringLiteral("  <bool id=\"%1\" value=\"%2\"/>\n")
                   .arg(it.key(), it.value() ? QStringLiteral("true") : QStringLiteral("false"));
    xml += QStringLiteral("</brand>\n");
    const QString xmlPath = folder.filePath(QStringLiteral("overrides.xml"));
    const QString tarPath = folder.filePath(QStringLiteral("overrides.dat"));
    QFile xmlFile(xmlPath);
    if (!xmlFile.open(QIODevice::WriteOnly) || xmlFile.write(xml.toUtf8()) < 0)
        return false;
    xmlFile.close();
    QFile tar(tarPath);
    if (!tar.open(QIODevice::WriteOnly))
        return false;
    {
        TarFileWriter writer(tar);
        if (!writer.addFile(xmlPath, QStringLiteral("overrides.xml")))
            return false;
    }
    tar.close();
    BrandEngine* brand = BrandEngine::instance();
    const QByteArray shipped = QFile::encodeName(BXSettings::getResourceDBPath() + QStringLiteral("brand.dat"));
    return brand->import(QFile::encodeName(tarPath).constData()) && brand->import(shipped.constData());
}
