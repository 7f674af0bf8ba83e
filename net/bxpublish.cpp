#include "net/bxpublish.h"

#include "widgets/shownday.h"
#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "core/clock.h"
#include "core/dateconversion.h"
#include "core/diaryday.h"
#include "net/bxhttp.h"
#include "net/orvurlparams.h"
#include "net/publishprogressdialog.h"
#include "net/publishresponse.h"
#include "net/xmlwriter.h"
#include "userdb/diarydb.h"
#include "userdb/storetransaction.h"
#include "userdb/syncdevices.h"
#include "userdb/userdb.h"
#include "widgets/prompter.h"
#include "widgets/storeprompt.h"

#include <QDate>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <sstream>

namespace {

const char* const Success = "Completed successfully";
const char* const Failure = "Error occurred";
const char* const Cancelled = "Cancelled by user";
const char* const Complete = "Complete";

// "yyyy-MM-dd" of a date code "yyyyMMdd".
std::string isoDate(const QString& code)
{
    return (code.left(4) + QLatin1Char('-') + code.mid(4, 2) + QLatin1Char('-') + code.mid(6, 2)).toStdString();
}

struct Group
{
    int letter;
    const char* desc;
};

// The meal groups of the document, in the order written; exercise comes last.
const Group Breakfast{'B', "Breakfast"};
const Group Lunch{'L', "Lunch"};
const Group Dinner{'D', "Dinner"};
const Group Snack{'S', "Snack"};
const Group Exercise{'E', "Exercise"};

const Group& groupOf(int meal)
{
    switch (meal) {
    case DBTypes::DiaryDay::BREAKFAST: return Breakfast;
    case DBTypes::DiaryDay::LUNCH: return Lunch;
    case DBTypes::DiaryDay::DINNER: return Dinner;
    default: return Snack;
    }
}

void openGroup(XmlWriter& writer, const Group& group, const std::string& date)
{
    writer.element("group");
    writer.attribute("id") << group.letter;
    writer.attribute("date") << date;
    writer.attribute("meal") << char(group.letter);
    writer.attribute("desc") << group.desc;
}

void writeFood(XmlWriter& writer, const DBTypes::FoodDiaryItem& food)
{
    writer.element("food");
    writer.attribute("qty") << double(food.size);
    writer.attribute("desc") << food.desc.toStdString();
    writer.attribute("serving") << food.servingDesc.toStdString();
    const struct
    {
        const char* name;
        DBTypes::NutType nut;
    } nutrients[] = {{"calories", DBTypes::ENERGY},    {"fat", DBTypes::FAT},
                     {"fiber", DBTypes::FIBER},        {"protein", DBTypes::PROTEIN},
                     {"carbs", DBTypes::CARBS},        {"saturated_fatty_acids", DBTypes::SATFAT},
                     {"cholesterol", DBTypes::CHOLESTEROL}, {"sodium", DBTypes::SODIUM},
                     {"sugars", DBTypes::SUGAR},       {"calcium", DBTypes::CALCIUM}};
    for (const auto& n : nutrients)
        writer.attribute(n.name) << double(food.getNutrient(n.nut));
    writer.endElement();
}

} // namespace

BxPublish::BxPublish(QWidget* parent)
    : QObject(parent)
    , _parentWidget(parent)
    , _http(new BXHttp(BrandEngine::instance()->getString("publish_auth_url"), this))
    , _progress(new PublishProgressDialog(parent, "publish progress dialog", true,
                                          Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint))
{
}

BxPublish::~BxPublish()
{
    delete _progress;
}

bool BxPublish::prepare()
{
    if (!_url.isEmpty())
        return true;
    QString url = BrandEngine::instance()->getString("publish_auth_url");
    QString error;
    if (!StorePrompt::read(_parentWidget, [&url, &error] { error = OrvUrlParams::replaceAll(url); }))
        return false;
    if (!error.isEmpty()) {
        Prompter::information(_parentWidget, tr("Publish Diary"), error);
        return false;
    }
    _url = url;
    return true;
}

std::string BxPublish::publishXML()
{
    const qint64 user = ShownDay::instance()->user();
    _entryCount = 0;
    _oldestWritten.clear();
    std::ostringstream out;
    {
        XmlWriter writer(out);
        writer.element("diaryupdate");
        writer.attribute("protocol") << "1.1";
        writer.attribute("platform") << "WINDOWS";
        writer.attribute("os") << "WIN32";
        writer.attribute("locate") << "US";
        writer.element("diary");
        _writeDays(writer, user);
        writer.endElement();
        writer.element("checkins");
        _writeCheckins(writer, user);
        writer.endElement();
        writer.element("waters");
        _writeWaters(writer, user);
        writer.endElement();
    }
    return out.str();
}

// Newest day first, until the entry limit would be passed: that day and every older one
// wait for the next publish.
void BxPublish::_writeDays(XmlWriter& writer, qint64 user)
{
    // Inside the publish's reading action, whose outcome keeps a document read in part from
    // being sent.
    const std::set<std::string> changed =
        DiaryDB::instance()->getChangedDayList().value_or(std::set<std::string>());
    for (auto it = changed.rbegin(); it != changed.rend(); ++it) {
        const std::optional<DBTypes::DiaryDay> read = DiaryDB::instance()->getDay(user, it->c_str(), false);
        // A day that could not be read, and every older one, wait for the next publish.
        if (!read)
            return;
        const DBTypes::DiaryDay& day = *read;
        const int entries = int(day.foods.size() + day.exercises.size());
        if (_entryCount + entries > MaxEntries)
            return;
        _entryCount += entries;
        _writeDay(writer, QString::fromStdString(*it), day);
        _oldestWritten = *it;
    }
}

void BxPublish::_writeDay(XmlWriter& writer, const QString& code, const DBTypes::DiaryDay& day)
{
    const std::string date = isoDate(code);
    writer.element("diaryday");
    writer.attribute("date") << date;
    for (const Group* group : {&Breakfast, &Lunch, &Dinner, &Snack}) {
        bool open = false;
        for (const DBTypes::FoodDiaryItem& food : day.foods) {
            if (&groupOf(food.meal) != group)
                continue;
            if (!open)
                openGroup(writer, *group, date);
            open = true;
            writeFood(writer, food);
        }
        if (open)
            writer.endElement();
    }
    if (!day.exercises.empty()) {
        openGroup(writer, Exercise, date);
        for (const DBTypes::ExerciseDiaryItem& exercise : day.exercises) {
            writer.element("exercise");
            writer.attribute("duration") << double(exercise.duration);
            writer.attribute("desc") << exercise.name.toStdString();
            writer.attribute("calories") << double(exercise.duration * exercise.rate);
            writer.endElement();
        }
        writer.endElement();
    }
    writer.endElement();
}

void BxPublish::_writeCheckins(XmlWriter& writer, qint64 user)
{
    const struct
    {
        const char* name;
        UserMeasurements::Measurements m;
    } sent[] = {{"weight", UserMeasurements::Weight},
                {"chest", UserMeasurements::Chest},
                {"hips", UserMeasurements::Hip},
                {"thigh", UserMeasurements::Thigh},
                {"waist", UserMeasurements::Waist}};
    // Check-ins that could not be read stay unsent: the reading's action tells.
    const std::optional<UserDB::DatedMeasurements> changed =
        UserDB::instance()->getMeasurements(user, nullptr, nullptr, "website");
    for (const auto& [code, values] : changed.value_or(UserDB::DatedMeasurements())) {
        writer.element("checkin");
        writer.attribute("date") << isoDate(code);
        for (const auto& s : sent) {
            if (values.has(s.m))
                writer.attribute(s.name) << double(values.value(s.m));
        }
        if (!values.note().empty())
            writer.attribute("note") << values.note();
        writer.endElement();
    }
    for (const QString& code :
         UserDB::instance()->getDeletedCheckinsForWeb(user).value_or(QStringList())) {
        const QDate date = code.size() == 8 ? DateFromCode4(code.toLatin1().constData()) : QDate();
        if (!date.isValid())
            continue;
        writer.element("checkin");
        writer.attribute("date") << date.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
        writer.endElement();
    }
}

void BxPublish::_writeWaters(XmlWriter& writer, qint64 user)
{
    for (const auto& [code, cups] :
         UserDB::instance()->getChangedFluidForWeb(user).value_or(QList<QPair<QString, int>>())) {
        writer.element("water");
        writer.attribute("date") << isoDate(code);
        writer.attribute("cups") << cups;
        writer.endElement();
    }
}

QString BxPublish::formBody(const std::string& document)
{
    return QStringLiteral("xml=")
        + QString::fromLatin1(QByteArray::fromStdString(document).toPercentEncoding());
}

void BxPublish::publish()
{
    // The document is read whole, in one reading: nothing read is marked sent unless it is.
    std::string document;
    if (!StorePrompt::read(_parentWidget, [this, &document] { document = publishXML(); }))
        return;
    const QString body = formBody(document);
    connect(_http, &BXHttp::stateChanged, _progress, &PublishProgressDialog::updateState);
    connect(_http, &BXHttp::done, this, &BxPublish::requestFinished);
    connect(_http, &BXHttp::stateChanged, this, &BxPublish::stateChanged);
    connect(_http, &BXHttp::responseHeaderReceived, this, &BxPublish::_readHeader);
    if (!prepare())
        return;
    _http->doPost(_url, body);
    if (_progress->exec() == QDialog::Rejected)
        _http->client()->abort();
}

void BxPublish::stateChanged(int state)
{
    if (state == QHttps::Sending)
        connect(_http, &BXHttp::dataSendProgress, _progress, &PublishProgressDialog::updateProgress,
                Qt::UniqueConnection);
}

void BxPublish::_readHeader(const QHttpsResponseHeader& header)
{
    _status = header.statusCode();
}

void BxPublish::requestFinished(bool error)
{
    QString status;
    if (error && _http->client()->error() == QHttps::Aborted) {
        status = QString::fromLatin1(Cancelled);
    } else if (error) {
        _failAll();
        status = QString::fromLatin1(Failure);
    } else {
        status = _judgeReply();
    }
    _progress->done(true, status);
}

// Only a 2xx reply holding a "response" whose errno is the number 0 is a success.
QString BxPublish::_judgeReply()
{
    const QString web = BrandEngine::instance()->getString("web_address");
    PublishResponse response;
    const bool wellFormed = response.parse(_http->readAll());
    if (_status < 200 || _status > 299 || !wellFormed || !response.hasResponse()
        || !response.errorNumberValid()) {
        _failReading(tr("Reading (FAILED!! Cannot interpret reply from %1)").arg(web));
        return QString::fromLatin1(Complete);
    }
    if (response.errorNumber() != 0) {
        _failReading(tr("Reading (FAILED!! Error message from %1 <%2>)").arg(web, response.errorText()));
        return QString::fromLatin1(Complete);
    }
    // The server has the diary, but what was sent is offered again next time unless marked.
    if (!StorePrompt::change(_progress, tr("Publish Diary"), [this] { return resetSyncStatus(); },
                             tr("The sent entries could not be marked in your diary."))) {
        _failReading(tr("Reading (FAILED!! The sent entries were not marked in your diary: they are "
                        "offered again next time.)"));
        return QString::fromLatin1(Complete);
    }
    return QString::fromLatin1(Success);
}

void BxPublish::_failAll()
{
    const QPixmap cross = BrandEngine::instance()->getPixmap("graphics.icon.cross");
    for (QLabel* tick : {_progress->connectingTickLabel, _progress->sendingTickLabel, _progress->readingTickLabel,
                         _progress->disconnectingTickLabel, _progress->doneTickLabel})
        tick->setPixmap(cross);
    // Proxy and Internet settings are named only where no connection could be made; any other
    // failure is told with its reason.
    _progress->connectingLabel->setText(
        _http->couldNotConnect() ? tr("Connection to %1 failed. Check proxy and Internet settings.")
                                       .arg(BrandEngine::instance()->getString("web_address"))
                                 : _http->errorString());
    for (QLabel* text : {_progress->sendingLabel, _progress->readingLabel, _progress->closingLabel,
                         _progress->doneLabel})
        text->setText(tr("Skipped"));
}

void BxPublish::_failReading(const QString& text)
{
    const QPixmap cross = BrandEngine::instance()->getPixmap("graphics.icon.cross");
    for (QLabel* tick : {_progress->readingTickLabel, _progress->disconnectingTickLabel, _progress->doneTickLabel})
        tick->setPixmap(cross);
    _progress->readingLabel->setText(text);
    _progress->closingLabel->setText(tr("Skipped"));
    _progress->doneLabel->setText(tr("Skipped"));
}

bool BxPublish::resetSyncStatus()
{
    const qint64 user = ShownDay::instance()->user();
    // One change: what was not marked is offered again next time, all of it.
    StoreTransaction change;
    if (!change)
        return false;
    const qint64 website = SyncDevices::find("website");
    UserDB* users = UserDB::instance();
    bool marked = users->clearSyncTable(QStringLiteral("water_diary_sync"), user, website, nullptr, nullptr)
                  && users->clearSyncTable(QStringLiteral("user_checkins_sync"), user, website, nullptr, nullptr);
    // Only the days the document held: older ones that the entry limit kept back go next time.
    if (!_oldestWritten.empty())
        marked = marked && DiaryDB::instance()->resetItemStatus(user, _oldestWritten.c_str());
    if (!change.end(marked))
        return false;
    char today[DBTypes::DATE_CODE_SIZE];
    DateToCode4(Clock::today(), today);
    BXSettings().writeEntry(QStringLiteral("LastSyncDate"), today);
    return true;
}
