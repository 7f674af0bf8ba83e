#include "reports/printdiary.h"

#include "core/brandengine.h"
#include "reports/diaryreportfactory.h"
#include "reports/printoptions.h"
#include "widgets/prompter.h"

#include <memory>

namespace {
// Ranges longer than this many days after their first are confirmed before printing.
constexpr int LongRangeDays = 10;
} // namespace

ReportFactory* PrintDiary::getReportFactory()
{
    const std::unique_ptr<PrintOptions> options = askOptions(QObject::tr("Print diary"), true);
    if (!options)
        return nullptr;
    QDate first;
    QDate last;
    options->getDateRange(first, last);
    if (first.daysTo(last) > LongRangeDays && !_confirmLongRange()) {
        if (!runOptions(options.get()))
            return nullptr;
        options->getDateRange(first, last);
    }
    return readFactory(parent(), [&](WorkProgress& progress) {
        return new DiaryReportFactory(first, last, options->summaryOnly(), options->omitEmpty(),
                                      &progress);
    });
}

bool PrintDiary::_confirmLongRange()
{
    const QMessageBox::StandardButton answer = Prompter::instance()->message(
        parent(), QMessageBox::Information, BrandEngine::instance()->getString("app_name_short"),
        QObject::tr("You have chosen to print more than 10 days worth of information. Please "
                    "note that doing so may take a while and consume a significant amount of "
                    "paper. To continue please click on OK, otherwise click on Cancel."),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, QMessageBox::Cancel);
    return answer == QMessageBox::Ok;
}
