#ifndef PANTREL_TESTS_CORE_TESTBRAND_H
#define PANTREL_TESTS_CORE_TESTBRAND_H

// Loads a small brand made of the given XML elements into the brand engine, for tests of
// classes that ask the brand for their settings.

#include "core/brandengine.h"
#include "core/tarfilewriter.h"

#include <QFile>
#include <QTemporaryDir>

inline void loadTestBrand(const QTemporaryDir& dir, const QByteArray& elements)
{
    const QString xmlPath = dir.filePath(QStringLiteral("brand.xml"));
    QFile xml(xmlPath);
    if (!xml.open(QIODevice::WriteOnly)
        || xml.write("<?xml version=\"1.0\"?>\n<brand>\n" + elements + "</brand>\n") < 0)
        qFatal("cannot write %s", qPrintable(xmlPath));
    xml.close();

    const QString archivePath = dir.filePath(QStringLiteral("brand.dat"));
    QFile archive(archivePath);
    if (!archive.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(archivePath));
    {
        TarFileWriter writer(archive);
        if (!writer.addFile(xmlPath, QStringLiteral("brand.xml")))
            qFatal("cannot pack %s", qPrintable(archivePath));
    }
    archive.close();

    BrandEngine::cleanUp();
    if (!BrandEngine::instance()->import(QFile::encodeName(archivePath).constData()))
        qFatal("cannot import %s", qPrintable(archivePath));
}

#endif
