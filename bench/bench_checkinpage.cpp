// The check-ins page over ten years of daily check-ins of one user (3,650 days, as in
// bench_userdb): showing the page (the list, the selection and the information panel) and
// moving the calendar to another date (the button, the selection and the panel, whose
// measurements are read back to the first check-in).

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "profile/checkinwidget.h"
#include "userdb/bxsqldb.h"
#include "userdb/bxsqlquery.h"
#include "userdb/userdb.h"
#include "widgets/bxcalendar.h"

#include <QApplication>
#include <QDate>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QDate FirstDay(2014, 1, 1);
constexpr int Days = 3650;

std::unique_ptr<CheckinWidget> s_page;

QByteArray dateCode(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

// A weight every day, waist and hip every week, a note every month.
bool writeCheckins()
{
    std::string error;
    if (!BXSqlDb::startUp(error, true)) {
        std::fprintf(stderr, "cannot open the user database: %s\n", error.c_str());
        return false;
    }
    DBTypes::UserProfile profile;
    profile.name = QStringLiteral("Ann");
    std::snprintf(profile.created, sizeof profile.created, "%s", dateCode(FirstDay).constData());
    std::snprintf(profile.dob, sizeof profile.dob, "%s", "19760315");
    profile.height = 170.0f;
    int user = -1;
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

void showPage(benchmark::State& state)
{
    for (auto _ : state) {
        s_page->hide();
        s_page->show(); // rebuilds the list, selects the date's row and fills the panel
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
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const QByteArray brand = (BXSettings::getResourceDBPath() + QStringLiteral("brand.dat")).toLocal8Bit();
    if (!BrandEngine::instance()->import(brand.constData()) || !writeCheckins())
        return 1;
    s_page = std::make_unique<CheckinWidget>(nullptr, "checkinWidget");
    s_page->resize(1000, 600);
    s_page->show();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    s_page.reset();
    UserDB::cleanUp();
    BXSqlDb::cleanUp();
    BrandEngine::cleanUp();
    return 0;
}
