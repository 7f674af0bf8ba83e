#ifndef PANTREL_TOOLS_RECIPEACCESS_RECIPECOLLECTIONINSTALLER_H
#define PANTREL_TOOLS_RECIPEACCESS_RECIPECOLLECTIONINSTALLER_H

// Installs the sample collection of recipeaccess into a recipe folder the way a collection is
// installed: a folder Recipe/<collection>/ holding the program (here a link to the built one,
// under a name that may select a fault), its recipes.txt, and an access.txt whose "!load!"
// line names the program. Used by the recipe tests, which find the built program beside
// themselves.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

class RecipeCollectionInstaller {
public:
    explicit RecipeCollectionInstaller(const QString& recipeFolder)
        : _recipeFolder(recipeFolder)
    {
    }

    // Removes every installed collection.
    bool clear() const
    {
        QDir folder(_recipeFolder);
        return (!folder.exists() || folder.removeRecursively()) && QDir().mkpath(_recipeFolder);
    }

    // Installs the program as programName ("recipeaccess" or "recipeaccess-<fault>") in the
    // collection's folder, with access.txt holding "!load!<program>!". The path of the
    // program, or an empty text on failure.
    QString install(const QString& collection, const QString& programName) const
    {
        const QString program = programPath(collection, programName);
        const QString line = QStringLiteral("!load!") + program + QStringLiteral("!\n");
        return installFiles(collection, programName) && writeAccess(collection, line.toUtf8())
            ? program
            : QString();
    }

    // Links the program and its recipes into the collection's folder, without access.txt.
    bool installFiles(const QString& collection, const QString& programName) const
    {
        const QString built = QCoreApplication::applicationDirPath();
        const QString folder = collectionFolder(collection);
        return QDir().mkpath(folder)
            && QFile::link(built + QStringLiteral("/recipeaccess"), programPath(collection, programName))
            && QFile::link(built + QStringLiteral("/recipes.txt"), folder + QStringLiteral("/recipes.txt"));
    }

    bool writeAccess(const QString& collection, const QByteArray& content) const
    {
        QFile file(collectionFolder(collection) + QStringLiteral("/access.txt"));
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    }

    QString collectionFolder(const QString& collection) const
    {
        return _recipeFolder + QLatin1Char('/') + collection;
    }

    QString programPath(const QString& collection, const QString& programName) const
    {
        return collectionFolder(collection) + QLatin1Char('/') + programName;
    }

    // The program's transcript, one line per entry; empty when it never ran.
    QStringList transcript(const QString& collection, const QString& programName) const
    {
        QFile file(programPath(collection, programName) + QStringLiteral(".log"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QString _recipeFolder;
};

#endif
