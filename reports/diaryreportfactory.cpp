#include "reports/diaryreportfactory.h"

#include "core/dateconversion.h"
#include "reports/diaryreport.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

DiaryReportFactory::DiaryReportFactory(QDate first, QDate last, bool summaryOnly,
                                       bool omitEmpty)
    : _summaryOnly(summaryOnly), _omitEmpty(omitEmpty)
{
    const int user = UserDB::instance()->getCurrentUser();
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        char code[DBTypes::DATE_CODE_SIZE];
        DateToCode4(day, code);
        _days.emplace(day, DiaryDB::instance()->getDay(user, code, false).value_or(DBTypes::DiaryDay()));
    }
}

Report* DiaryReportFactory::getReport(ReportDeviceMetrics* metrics)
{
    return new DiaryReport(metrics, this);
}
