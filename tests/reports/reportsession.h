#pragma once

// The reports tests' session: the shipped brand with chosen switches in front (the first
// definition of an id wins), a fresh user database and a current user with a profile.

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/dateconversion.h"
#include "core/tarfilewriter.h"
#include "core/unitcollection.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarydb.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"
#include "tests/support/testsession.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QtTest>

#include <clocale>

namespace ReportSession {

// Loads the switches in front of the shipped brand; false when the archive cannot be made.
inline bool loadBrand(const QMap<QString, bool>& switches)
{
    const QString folder = QDir::homePath();
    const QString xmlPath = folder + QStringLiteral("/switches.xml");
    const QString archivePath = folder + QStringLiteral("/switches.dat");
    QString xml = QStringLiteral("<brand>\n");
    for (auto it = switches.begin(); it != switches.end(); ++it) {
        xml += QStringLiteral("<bool id=\"%1\" value=\"%2\"/>\n")
                   .arg(it.key(), it.value() ? QStringLiteral("true") : QStringLiteral("false"));
    }
    xml += QStringLiteral("</brand>\n");
    QFile xmlFile(xmlPath);
    if (!xmlFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    xmlFile.write(xml.toUtf8());
    xmlFile.close();
    QFile archive(archivePath);
    if (!archive.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    {
        TarFileWriter writer(archive);
        if (!writer.addFile(xmlPath, QStringLiteral("switches.xml")))
            return false;
    }
    archive.close();
    BrandEngine::cleanUp();
    return BrandEngine::instance()->import(QFile::encodeName(archivePath).constData())
        && importShippedBrand();
}

// A fresh user database with one current user; the user's id, or -1.
inline qint64 start(const QMap<QString, bool>& switches = {})
{
    UserDB::cleanUp();
    DiaryDB::cleanUp();
    BXSqlDb::cleanUp();
    UnitCollection::cleanUp();
    if (!loadBrand(switches))
        return -1;
    QDir folder(BXSettings::getUserDBPath());
    for (const QString& name : folder.entryList({QStringLiteral("userdata*")}, QDir::Files))
        folder.remove(name);
    if (!DiaryStart::startUp(true))
        return -1;
    const qint64 user = addCompleteUser(QStringLiteral("Ann"));
    if (user >= 0)
        UserDB::instance()->setCurrentUser(user);
    return user;
}

inline void end()
{
    UserDB::cleanUp();
    DiaryDB::cleanUp();
    BXSqlDb::cleanUp();
    UnitCollection::cleanUp();
    BrandEngine::cleanUp();
}

inline QByteArray code(const QDate& date)
{
    char text[DBTypes::DATE_CODE_SIZE];
    DateToCode4(date, text);
    return QByteArray(text);
}

// The Monday the tests' diaries start on.
inline const QDate Monday(2026, 3, 9);

// The values of one portion of a food.
struct Food
{
    float energy = 0.0f;
    float fat = 0.0f;
    float protein = 0.0f;
    float carbs = 0.0f;
    // The others, unset unless given.
    float satFat = -1.0f;
    float cholesterol = -1.0f;
    float sodium = -1.0f;
    float sugar = -1.0f;
    float calcium = -1.0f;
    float fibre = -1.0f;
};

// One portion of `food` in the meal of the day.
inline void eat(qint64 user, const QDate& date, int meal, const Food& food)
{
    DBTypes::FoodDiaryItem entry;
    entry.userId = user;
    entry.setDate(code(date).toStdString());
    entry.meal = meal;
    entry.desc = QStringLiteral("Food");
    entry.servingDesc = QStringLiteral("portion");
    entry.size = 1.0f;
    entry.values.energy = food.energy;
    entry.values.fat = food.fat;
    entry.values.protein = food.protein;
    entry.values.carbs = food.carbs;
    entry.values.satFat = food.satFat;
    entry.values.cholesterol = food.cholesterol;
    entry.values.sodium = food.sodium;
    entry.values.sugar = food.sugar;
    entry.values.calcium = food.calcium;
    entry.values.fiber = food.fibre;
    QVERIFY(DiaryDB::instance()->addFoodEntry(entry, true) >= 0);
}

// Minutes of walking at `rate` on the day.
inline void exercise(qint64 user, const QDate& date, float minutes, float rate)
{
    DBTypes::ExerciseDiaryItem entry;
    entry.userId = user;
    entry.setDate(code(date).toStdString());
    entry.duration = minutes;
    entry.rate = rate;
    entry.name = QStringLiteral("Walking");
    QVERIFY(DiaryDB::instance()->addExEntry(entry, false) >= 0);
}

// Builds the German locale in the home folder and makes the C library write decimals with
// a comma; false where the locale cannot be built.
inline bool useCommaLocale()
{
    const QString locales = QDir::homePath() + QStringLiteral("/locales");
    QDir().mkpath(locales);
    const int made = QProcess::execute(QStringLiteral("localedef"),
                                       {QStringLiteral("-i"), QStringLiteral("de_DE"),
                                        QStringLiteral("-f"), QStringLiteral("UTF-8"),
                                        locales + QStringLiteral("/de_DE.UTF-8")});
    if (made != 0)
        return false;
    qputenv("LOCPATH", QFile::encodeName(locales));
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

} // namespace ReportSession
