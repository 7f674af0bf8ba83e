#pragma once

// A brand for tests: an archive of one XML document (and any images it names) read before the
// shipped brand, so that its definitions win (the first definition of an id wins).

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/tarfilewriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QString>

// Replaces the brand engine's content with `xml` and `images` (member name to image), followed
// by the shipped brand unless `withShippedBrand` is false. False when anything failed.
inline bool loadBrandInFront(const QString& xml, const QMap<QString, QImage>& images = {},
                             bool withShippedBrand = true)
{
    const QString folder = QDir::homePath();
    const QString xmlPath = folder + QStringLiteral("/switches.xml");
    const QString archivePath = folder + QStringLiteral("/switches.dat");
    QFile xmlFile(xmlPath);
    if (!xmlFile.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || xmlFile.write(xml.toUtf8()) < 0)
        return false;
    xmlFile.close();
    QFile archive(archivePath);
    if (!archive.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    {
        TarFileWriter writer(archive);
        if (!writer.addFile(xmlPath, QStringLiteral("switches.xml")))
            return false;
        for (auto image = images.cbegin(); image != images.cend(); ++image) {
            const QString path = folder + QLatin1Char('/') + image.key();
            if (!image.value().save(path, "PNG") || !writer.addFile(path, image.key()))
                return false;
        }
    }
    archive.close();
    BrandEngine::cleanUp();
    if (!BrandEngine::instance()->import(QFile::encodeName(archivePath).constData()))
        return false;
    return !withShippedBrand
        || BrandEngine::instance()->import(
            QFile::encodeName(BXSettings::getResourceDBPath() + QStringLiteral("brand.dat")).constData());
}
