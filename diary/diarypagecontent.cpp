#include "diary/diarypagecontent.h"

#include "userdb/diarydb.h"
#include "userdb/userdb.h"

std::optional<DiaryPageContent> DiaryPageContent::read(qint64 user, const QDate& date, bool withMarkedDays)
{
    DiaryPageContent content;
    content.user = user;
    content.date = date;
    if (user < 0) {
        content.markedDays = QStringList();
        return content;
    }
    const QByteArray code = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    UserDB* users = UserDB::instance();
    const std::optional<DBTypes::CheckinItem> checkin = users->getCheckin(user, code.constData());
    const std::optional<float> weight = users->weightForDay(user, code.constData());
    const std::optional<DBTypes::UserPrefs> prefs = users->getUserPrefs(user);
    const std::optional<QString> columns = users->getColumnSettings(user);
    const std::optional<int> fluid = users->getFluid(user, code.constData());
    const std::optional<DBTypes::DiaryDay> day = DiaryDB::instance()->getDay(user, code.constData(), false);
    if (!checkin || !weight || !prefs || !columns || !fluid || !day)
        return std::nullopt;
    if (withMarkedDays) {
        content.markedDays = DiaryDB::instance()->getAllDatesForMonth(user, date, false);
        if (!content.markedDays)
            return std::nullopt;
    }
    content.checkin = *checkin;
    content.weight = *weight;
    content.prefs = *prefs;
    content.columns = *columns;
    content.fluid = *fluid;
    content.day = *day;
    return content;
}
