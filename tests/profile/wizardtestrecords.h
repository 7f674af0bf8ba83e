#pragma once

// Records of a complete user for the wizard's tests, and the set-up they share.

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/clock.h"
#include "core/dateconversion.h"
#include "core/dbtypes.h"
#include "core/unitcollection.h"
#include "profile/dietplans/dietplanmanager.h"
#include "profile/wizardmenu.h"
#include "userdb/userdb.h"

#include <QFile>
#include <QLocale>

namespace WizardTest {

// Today for every wizard test: 1 June 2006.
inline QDate today()
{
    return QDate(2006, 6, 1);
}

inline QString code(const char* field)
{
    return QString::fromLatin1(field);
}

// A woman born 17 May 1966, 165 cm.
inline DBTypes::UserProfile profile()
{
    DBTypes::UserProfile made;
    made.userId = 4;
    made.name = QStringLiteral("Zoë Ann");
    qstrcpy(made.created, "20040302");
    qstrcpy(made.dob, "19660517");
    made.sex = 1;
    made.height = 165.0f;
    return made;
}

// 60 kg, sedentary, wanting to lose weight, on today's date.
inline DBTypes::CheckinItem checkin()
{
    DBTypes::CheckinItem made;
    made.userId = 4;
    DateToCode4(today(), made.date);
    made.weight = 60.0f;
    made.hasWeight = true;
    made.activity = 0;
    made.hasActivity = true;
    made.goal = 0;
    made.hasGoal = true;
    return made;
}

// Brand, units, today's date and a silent, counted beep.
inline bool setUp(int* beeps)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    Clock::setNow(QDateTime(today(), QTime(12, 0)));
    WizardMenu::setBeepHandler([beeps] { ++*beeps; });
    const QByteArray brand = QFile::encodeName(BXSettings::getResourceDBPath() + "brand.dat");
    return BrandEngine::instance()->import(brand.constData());
}

inline void tearDown()
{
    WizardMenu::setBeepHandler({});
    Clock::reset();
    DietPlanManager::cleanUp();
    UserDB::cleanUp();
    UnitCollection::cleanUp();
    BrandEngine::cleanUp();
}

} // namespace WizardTest
