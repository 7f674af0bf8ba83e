#include "reports/diaryreportfactory.h"

#include "widgets/shownday.h"
#include "core/dateconversion.h"
#include "reports/diaryreport.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <memory>

DiaryReportFactory::DiaryReportFactory(QDate first, QDate last, bool summaryOnly,
                                       bool omitEmpty, WorkProgress* progress)
{
    _data.summaryOnly = summaryOnly;
    _data.omitEmpty = omitEmpty;
    UserDB* users = UserDB::instance();
    const qint64 user = ShownDay::instance()->user();
    _data.columns = users->getColumnSettings(user).value_or(QString());
    _data.snackDisplay = users->getUserPrefs(user).value_or(DBTypes::UserPrefs()).snackDisplay;
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        if (progress && !progress->advance(first.daysTo(day), first.daysTo(last) + 1))
            return;
        char code[DBTypes::DATE_CODE_SIZE];
        DateToCode4(day, code);
        _data.days.emplace(day, DiaryDB::instance()->getDay(user, code, false).value_or(DBTypes::DiaryDay()));
        // The energy target of the day's check-in, read alone: a whole check-in costs a score
        // of queries per day.
        _data.targets.emplace(day, users->getTarget(user, code, "target_calories", nullptr).value_or(-1.0f));
    }
}

Report* DiaryReportFactory::getReport(ReportDeviceMetrics* metrics)
{
    return new DiaryReport(metrics, &_data);
}

Report* DiaryReportFactory::layOut(ReportDeviceMetrics* metrics, WorkProgress& progress)
{
    auto report = std::make_unique<DiaryReport>(metrics, &_data, &progress);
    return progress.stopped() ? nullptr : report.release();
}
