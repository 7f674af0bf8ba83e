#pragma once

// Shared by the check-in tests: a brand whose measurement switches are set by the test, put in
// front of the shipped brand, and short ways to build measurement sets and describe them.

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/tarfilewriter.h"
#include "userdb/usermeasurements.h"

#include <QFile>
#include <QMetaType>
#include <QStringList>
#include <QString>
#include <QTemporaryDir>

#include <initializer_list>

namespace CheckinTest {

using M = UserMeasurements;

// Loads `elements` (brand XML elements) in front of the shipped brand.
inline void loadSwitchedBrand(const QByteArray& elements)
{
    static QTemporaryDir dir;
    const QString xmlPath = dir.filePath(QStringLiteral("switches.xml"));
    QFile xml(xmlPath);
    if (!xml.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || xml.write("<?xml version=\"1.0\"?>\n<brand>\n" + elements + "</brand>\n") < 0)
        qFatal("cannot write %s", qPrintable(xmlPath));
    xml.close();
    const QString archivePath = dir.filePath(QStringLiteral("switches.dat"));
    QFile archive(archivePath);
    if (!archive.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(archivePath));
    {
        TarFileWriter writer(archive);
        if (!writer.addFile(xmlPath, QStringLiteral("switches.xml")))
            qFatal("cannot pack %s", qPrintable(archivePath));
    }
    archive.close();
    BrandEngine::cleanUp();
    const QByteArray shipped = QFile::encodeName(BXSettings::getResourceDBPath() + "brand.dat");
    if (!BrandEngine::instance()->import(QFile::encodeName(archivePath).constData())
        || !BrandEngine::instance()->import(shipped.constData()))
        qFatal("cannot import the test brand");
}

// Back to the shipped brand alone.
inline void restoreShippedBrand()
{
    BrandEngine::cleanUp();
    const QByteArray shipped = QFile::encodeName(BXSettings::getResourceDBPath() + "brand.dat");
    if (!BrandEngine::instance()->import(shipped.constData()))
        qFatal("cannot import the shipped brand");
}

inline QByteArray switchXml(const char* id, bool on)
{
    return QByteArray("<bool id=\"") + id + "\" value=\"" + (on ? "true" : "false") + "\"/>\n";
}

struct Value
{
    M::Measurements which;
    float value;
    bool exact = true;
};

inline UserMeasurements makeSet(std::initializer_list<Value> values, const char* note = nullptr)
{
    UserMeasurements set;
    for (const Value& v : values)
        set.set(v.which, v.value, v.exact);
    if (note) {
        set.setNote(note);
        set.setNoteExact(true);
    }
    return set;
}

// "weight=80.00 chest~90.00 note=..." (~ for a value carried from an earlier date).
inline QString describe(const UserMeasurements& set)
{
    static const char* const names[M::Count] = {"weight", "chest", "waist", "hip", "thigh", "steps"};
    QStringList parts;
    for (int m = 0; m < M::Count; ++m) {
        const auto which = M::Measurements(m);
        if (set.has(which))
            parts << QStringLiteral("%1%2%3")
                         .arg(QLatin1String(names[m]), set.exact(which) ? "=" : "~")
                         .arg(double(set.value(which)), 0, 'f', 2);
    }
    if (set.noteExact())
        parts << QStringLiteral("note=") + QString::fromStdString(set.note());
    return parts.join(QLatin1Char(' '));
}

} // namespace CheckinTest

Q_DECLARE_METATYPE(UserMeasurements)
