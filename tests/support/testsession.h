#ifndef PANTREL_TESTS_SUPPORT_TESTSESSION_H
#define PANTREL_TESTS_SUPPORT_TESTSESSION_H

// What most screen and service tests stand on: the shipped brand archive and a user with a
// complete profile in the user database of the test's private home.

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/dbtypes.h"
#include "userdb/bxsqldb.h"
#include "userdb/diarystart.h"
#include "userdb/userdb.h"

#include <QFile>
#include <QString>

// Imports brand.dat from the resource folder the build lays out beside the test programs.
inline bool importShippedBrand()
{
    const QByteArray brand = QFile::encodeName(BXSettings::getResourceDBPath() + "brand.dat");
    return BrandEngine::instance()->import(brand.constData());
}

// A profile that UserProfile::isValid() accepts.
inline DBTypes::UserProfile completeProfile(const QString& name)
{
    DBTypes::UserProfile profile;
    profile.name = name;
    qstrcpy(profile.created, "20260101");
    qstrcpy(profile.dob, "19800101");
    profile.sex = 1;
    profile.height = 170.0f;
    return profile;
}

// Adds a user with a complete profile to the started user database; the new id, or -1.
inline qint64 addCompleteUser(const QString& name)
{
    DBTypes::UserProfile profile = completeProfile(name);
    qint64 user = -1;
    if (!UserDB::instance()->addUser(profile, &user))
        return -1;
    return user;
}

// The shipped brand, a started user database and a current user with a complete profile.
inline bool startSessionWithUser(const QString& name)
{
    const StoreResult start = importShippedBrand() ? DiaryStart::startUp(true)
                                                   : StoreResult(StoreResult::Kind::Refused, "the brand cannot be imported");
    if (!start) {
        qWarning("cannot start the session: %s", qPrintable(start.message()));
        return false;
    }
    const qint64 user = addCompleteUser(name);
    if (user < 0)
        return false;
    UserDB::instance()->setCurrentUser(user);
    return true;
}

// Undoes startSessionWithUser.
inline void endSession()
{
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    BrandEngine::cleanUp();
}

#endif
