// The check-ins page over ten years of daily check-ins of one user (3,650 days, as in
// bench_userdb): raising the page (the list, the selection and the information panel) and
// moving the calendar to another date (the button, the selection and the panel, whose
// measurements are read back to the first check-in).

#include "bench/benchwidgets.h"
#include "bench/tenyeardiary.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "profile/checkinwidget.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/userdb.h"
#include "widgets/bxcalendar.h"

#include <QDate>
#include <QRandomGenerator>
#include <QStackedWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using TenYearDiary::dateCode;
using TenYearDiary::Days;
using TenYearDiary::FirstDay;

// The window's page stack: another page, then the check-ins page.
std::unique_ptr<QStackedWidget> s_stack;
QWidget* s_otherPage = nullptr;
CheckinWidget* s_page = nullptr;

// A weight every day, waist and hip every week, a note every month.
bool writeCheckins()
{
    if (!TenYearDiary::startDatabase())
        return false;
    DBTypes::UserProfile profile;
    profile.name = QStringLiteral("Ann");
    std::snprintf(profile.created, sizeof profile.created, "%s", dateCode(FirstDay).constData());
    std::snprintf(profile.dob, sizeof profile.dob, "%s", "19760315");
    profile.height = 170.0f;
    qint64 user = -1;
    if (!UserDB::instance()->addUser(profile, &user))
        return false;
    UserDB::instance()->setCurrentUser(user);
    BXSqlDb::beginTransaction();
    for (int day = 0; day < Days; ++day) {
        BXSqlQuery insert("INSERT INTO user_checkins(user_id, date, weight, waist, hip, note) "
                          "VALUES (?, ?, ?, ?, ?, ?)");
        insert.bindValue(0, user);
        insert.bindValue(1, dateCode(FirstDay.addDays(day)).constData());
        insert.bindValue(2, double(80.0f - float(day) / 365.0f));
        insert.bindValue(3, day % 7 == 0 ? QVariant(85.0 - day / 365.0) : QVariant());
        insert.bindValue(4, day % 7 == 0 ? QVariant(104.0) : QVariant());
        insert.bindValue(5, day % 30 == 0 ? QVariant(QStringLiteral("Month %1").arg(day / 30)) : QVariant());
        insert.exec();
    }
    BXSqlDb::commitTransaction();
    return true;
}

QDate someDay(QRandomGenerator& random)
{
    return FirstDay.addDays(random.bounded(Days + 30));
}

// The page raised from another page, as the window's View menu raises it: it reads and
// rebuilds the list, selects the date's row and fills the panel.
void showPage(benchmark::State& state)
{
    for (auto _ : state) {
        s_stack->setCurrentWidget(s_otherPage);
        s_page->raiseWidget();
    }
    state.counters["rows"] = Days;
}
BENCHMARK(showPage)->Unit(benchmark::kMillisecond);

void changeDate(benchmark::State& state)
{
    QRandomGenerator random(4);
    for (auto _ : state)
        s_page->checkinCalendar->setDate(someDay(random), true);
}
BENCHMARK(changeDate)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char* argv[])
{
    const auto setUp = [](const QTemporaryDir&) {
        if (!BenchRun::importBrand() || !writeCheckins())
            return false;
        s_stack = std::make_unique<QStackedWidget>();
        s_otherPage = new QWidget(s_stack.get());
        s_page = new CheckinWidget(s_stack.get(), "checkinWidget");
        s_stack->addWidget(s_otherPage);
        s_stack->addWidget(s_page);
        s_stack->resize(1000, 600);
        s_stack->show();
        // The date changes below move a page that was read.
        s_page->raiseWidget();
        return true;
    };
    return BenchRun::runWithWidgets(argc, argv, setUp, [] {
        s_stack.reset();
        UserDB::cleanUp();
        BXSqlDb::cleanUp();
        BrandEngine::cleanUp();
    });
}
