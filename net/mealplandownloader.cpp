#include "net/mealplandownloader.h"

#include "widgets/shownday.h"
#include "core/brandengine.h"
#include "core/clock.h"
#include "net/bxhttp.h"
#include "net/orvurlparams.h"
#include "userdb/bxsqldb.h"
#include "userdb/mealplandb.h"
#include "userdb/storetransaction.h"
#include "userdb/userdb.h"
#include "widgets/storeprompt.h"

#include <QDebug>
#include <QWidget>
#include <QXmlStreamReader>

MealPlanDownloader* MealPlanDownloader::s_instance = nullptr;

namespace {

constexpr int DAYS_AHEAD = 7;

QByteArray dateCode(const QDate& day)
{
    return day.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

} // namespace

MealPlanDownloader* MealPlanDownloader::instance()
{
    if (!s_instance)
        s_instance = new MealPlanDownloader;
    return s_instance;
}

void MealPlanDownloader::cleanUp()
{
    delete s_instance;
}

MealPlanDownloader::MealPlanDownloader() = default;

// Each download has a client of its own, made for its address; the previous one may still be
// inside its signals, so it goes once they return.
void MealPlanDownloader::_makeClient(const QString& url)
{
    if (_http) {
        _http->disconnect(this);
        _http->deleteLater();
    }
    _http = new BXHttp(url, this);
    connect(_http, &BXHttp::requestFinished, this, &MealPlanDownloader::requestFinished);
    connect(_http, &BXHttp::dataReadProgress, this, &MealPlanDownloader::downloadProgress);
    connect(_http, &BXHttp::responseHeaderReceived, this, &MealPlanDownloader::responseHeaderReceived);
}

MealPlanDownloader::~MealPlanDownloader()
{
    if (s_instance == this)
        s_instance = nullptr;
}

bool MealPlanDownloader::getDownloadRange(QDate& start, QDate& end) const
{
    const QDate today = Clock::today();
    end = today.addDays(DAYS_AHEAD);
    const qint64 user = ShownDay::instance()->user();
    QDate day = end;
    for (; day >= today; day = day.addDays(-1)) {
        const std::optional<DBTypes::DiaryDay> plan =
            MealPlanDB::instance()->getDay(user, dateCode(day).constData(), false);
        // A day that could not be read is never taken for one without a plan.
        if (!plan)
            return false;
        if (!plan->foods.empty())
            break;
    }
    if (day == end)
        return false;
    start = day.addDays(1);
    return true;
}

bool MealPlanDownloader::getMore(QWidget* parent)
{
    QDate start;
    QDate end;
    if (stillGoing())
        return false;
    QString url = BrandEngine::instance()->getString("mealplan_auth_url");
    QString failure;
    bool missing = false;
    // The stored days and the login are read in one reading.
    if (!StorePrompt::read(parent, [&] {
            missing = getDownloadRange(start, end);
            failure = missing ? OrvUrlParams::replaceAll(url) : QString();
        })) {
        _error = tr("Your diary could not be read, so no meal plan was downloaded.");
        return false;
    }
    if (!missing)
        return false;
    _error = tr("Unknown error. Please make sure you're connected to the internet, and your "
                "username/password are set correctly.");
    if (!failure.isEmpty()) {
        _error = failure;
        return false;
    }
    url += QStringLiteral("begindate=") + start.toString(Qt::ISODate) + QStringLiteral("&enddate=")
        + end.toString(Qt::ISODate);
    qDebug("fetching pages: %s", qPrintable(url));
    _currentDay = std::make_unique<DBTypes::DiaryDay>();
    _user = ShownDay::instance()->user();
    _start = start;
    _end = end;
    _parent = parent;
    _badResponse = false;
    _makeClient(url);
    _requestId = _http->doGet(url);
    return true;
}

bool MealPlanDownloader::getMore(const QDate& day, QWidget* parent)
{
    QDate start;
    QDate end;
    bool missing = false;
    if (!StorePrompt::read(parent, [&] { missing = getDownloadRange(start, end) && day >= start && day <= end; })
        || !missing)
        return false;
    return getMore(parent);
}

void MealPlanDownloader::responseHeaderReceived(const QHttpsResponseHeader& response)
{
    _badResponse = response.statusCode() < 200 || response.statusCode() > 299;
}

void MealPlanDownloader::requestFinished(int id, bool error)
{
    if (id != _requestId || !stillGoing())
        return;
    _requestId = -1;
    if (error) {
        _finish(true, _http->errorString());
        return;
    }
    if (_badResponse) {
        _finish(true, _error);
        return;
    }
    if (!_readReply(_http->readAll())) {
        _finish(true, _error);
        return;
    }
    // What arrived is stored as one change; while another program holds the diary the user may
    // try again, any other failure is told with its reason.
    if (!StorePrompt::change(_parent, tr("Meal Plan"), [this] { return _store(); },
                             tr("The meal plan could not be stored in your diary."))) {
        _finish(true, tr("The meal plan was not stored in your diary. Please try again."));
        return;
    }
    _finish(false, QString());
}

bool MealPlanDownloader::_readReply(const QByteArray& reply)
{
    QXmlStreamReader reader(reply);
    std::vector<DBTypes::FoodDiaryItem> foods;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == u"mealplan" && attributes.hasAttribute(QStringLiteral("errno"))
            && attributes.hasAttribute(QStringLiteral("errstr"))) {
            _error = attributes.value(QStringLiteral("errstr")).toString() + QStringLiteral(" (")
                + attributes.value(QStringLiteral("errno")).toString() + QLatin1Char(')');
            return false;
        }
        if (reader.name() == u"food") {
            DBTypes::FoodDiaryItem food;
            food.readFromXmlAttributes(attributes);
            foods.push_back(food);
        }
    }
    if (reader.hasError()) {
        qDebug() << "meal plan reply unreadable:" << reader.errorString();
        _error = tr("The meal plan service sent a reply that could not be read. Please try again later.");
        return false;
    }
    _currentDay->foods = std::move(foods);
    return true;
}

// Stores the foods dated inside the range asked for, for the user who asked, all at once.
bool MealPlanDownloader::_store()
{
    StoreTransaction change;
    if (!change)
        return false;
    MealPlanDB* plan = MealPlanDB::instance();
    bool stored = true;
    for (auto food = _currentDay->foods.begin(); stored && food != _currentDay->foods.end(); ++food) {
        const QDate day = QDate::fromString(QString::fromLatin1(food->date), QStringLiteral("yyyyMMdd"));
        if (!day.isValid() || day < _start || day > _end)
            continue;
        food->userId = _user;
        food->entryId = -1;
        // A food already in the plan is not added again.
        stored = plan->holds(*food) || plan->addFoodEntry(*food, false) >= 0;
    }
    return change.end(stored);
}

void MealPlanDownloader::_finish(bool error, const QString& text)
{
    _currentDay.reset();
    emit downloadDone(error, text);
}
