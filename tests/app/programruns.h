#pragma once

// Runs of the program itself, each in private folders of its own, and what this process finds of
// the folders and the diary of such a run.

#include "app/qtsingleapplication.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/tarfilewriter.h"
#include "core/tarreader.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"
#include "tests/app/channelpeer.h"
#include "tests/app/programhome.h"
#include "tests/support/testsession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// How long a run of the program, or a wait for it, may take.
inline constexpr int RunMs = 10000 * PANTREL_TIME_FACTOR;

inline QString programPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/pantrel");
}

// Starts the program on the offscreen platform, in the test's own folders.
inline void startOffscreen(QProcess& process)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(programPath(), QStringList());
}

// Hands one message to the copy running with this runtime folder; true once acknowledged.
inline bool sendMessage(const QString& runtime, const QByteArray& text, int timeoutMs = 1000)
{
    return ChannelPeer::send(runtime + QLatin1Char('/') + QLatin1String(ApplicationId), text,
                             timeoutMs);
}

// Waits until the copy's event loop takes messages.
inline bool waitUntilListening(const QString& runtime, QProcess& process)
{
    QDeadlineTimer deadline(RunMs);
    process.waitForStarted(RunMs);
    while (!deadline.hasExpired() && process.state() == QProcess::Running) {
        if (sendMessage(runtime, "Wake up!", 200))
            return true;
        process.waitForFinished(100);
    }
    return false;
}

// A brand archive in folder made from the shipped one: each document's root tagged `root`,
// without the elements that define the ids `dropped`, and with the element `added` in its first
// document.
inline bool writeEditedBrand(const QString& folder, const QString& root, const QStringList& dropped,
                      const QString& added)
{
    const QString source = BXSettings::getResourceDBPath() + QStringLiteral("brand.dat");
    TarReader shipped;
    QTemporaryDir members;
    QFile archive(folder + QStringLiteral("brand.dat"));
    if (!shipped.open(QFile::encodeName(source).toStdString())
        || !archive.open(QIODevice::WriteOnly))
        return false;
    TarFileWriter writer(archive);
    QString extra = added;
    int count = 0;
    for (const std::string& name : shipped.listFiles(".*", true)) {
        QByteArray data = shipped.readFile(name);
        if (QString::fromStdString(name).endsWith(QLatin1String("xml"))) {
            QDomDocument document;
            document.setContent(data);
            QDomElement top = document.documentElement();
            top.setTagName(root);
            for (QDomElement element = top.firstChildElement(); !element.isNull();) {
                const QDomElement next = element.nextSiblingElement();
                if (dropped.contains(element.attribute(QStringLiteral("id"))))
                    top.removeChild(element);
                element = next;
            }
            QDomDocument element;
            if (!extra.isEmpty() && element.setContent(extra)) {
                top.appendChild(document.importNode(element.documentElement(), true));
                extra.clear();
            }
            data = document.toByteArray();
        }
        QFile member(members.filePath(QString::number(++count)));
        if (!member.open(QIODevice::WriteOnly) || member.write(data) != data.size())
            return false;
        member.close();
        if (!writer.addFile(member.fileName(), QString::fromStdString(name)))
            return false;
    }
    return !writer.error();
}

// What the startup tests share: runs of the program in a home of their own, and the user
// database of this process's own home.
class ProgramRuns
{
protected:
    struct Result
    {
        QProcess::ExitStatus status = QProcess::CrashExit;
        int code = -1;
        QString output;
        QString errors;
    };

    // Reads the shipped brand and finds where a run keeps its diary.
    void prepareRuns()
    {
        QVERIFY2(QFileInfo(programPath()).isExecutable(), qPrintable(programPath()));
        const QString brand = BXSettings::getResourceDBPath() + QStringLiteral("brand.dat");
        QVERIFY(BrandEngine::instance()->import(QFile::encodeName(brand).constData()));
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        _dataRelative = QDir(data).relativeFilePath(BXSettings::getUserDBPath());
    }

    void endRuns()
    {
        BrandEngine::cleanUp();
    }

    // Runs the program to its end in `home` (or in `environment`); a crash when it outlives RunMs.
    Result run(const ProgramHome& home, const QStringList& arguments,
               const QProcessEnvironment& environment = {})
    {
        QProcess process;
        process.setProcessEnvironment(environment.isEmpty() ? home.environment() : environment);
        process.start(programPath(), arguments);
        Result result;
        if (!process.waitForFinished(RunMs)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.status = process.exitStatus();
        result.code = process.exitCode();
        result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.errors = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    // Gives the user database of this process's own home one user with a complete profile,
    // unless it has a user already.
    void addUser()
    {
        const StoreResult start = DiaryStart::startUp(true);
        QVERIFY2(start, qPrintable(start.message()));
        if (UserDB::instance()->numUsers() == 0) {
            const qint64 user = addCompleteUser(QStringLiteral("Ada"));
            QVERIFY(user >= 0);
            QVERIFY(UserDB::instance()->setUserPrefs(user, DBTypes::UserPrefs()));
        }
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
    }

    // The user database folder of a run with that home.
    QString userDbFolder(const ProgramHome& home) const
    {
        const QString folder = QDir(home.path("data")).filePath(_dataRelative);
        QDir().mkpath(folder);
        return folder + QLatin1Char('/');
    }

    // The settings file of a run with that home.
    QString settingsFile(const ProgramHome& home) const
    {
        return QDir(home.path("config")).filePath(QDir(qEnvironmentVariable("XDG_CONFIG_HOME"))
                                                      .relativeFilePath(BXSettings().fileName()));
    }

    // Where a run keeps its diary, below its data folder.
    QString _dataRelative;
};
