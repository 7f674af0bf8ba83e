#include "reports/summaryreportfactory.h"

#include "widgets/shownday.h"
#include "core/brandengine.h"
#include "core/displaydate.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "reports/summaryreport.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"
#include "userdb/usermeasurements.h"

#include <QObject>
#include <QVariant>

namespace {

// Preferred on-screen sizes: rows of {key, tall, width, height}, ended by key 0. Key 4 is
// for all snacks in one group, key 6 for three snack groups; a tall row stacks its halves
// and is 435 pixels higher.
struct PreferredSize
{
    int key;
    bool tall;
    int width;
    int height;
};

const PreferredSize s_preferredSizes[] = {
    {4, false, 915, 565}, {4, true, 475, 570},  {6, false, 1135, 565},
    {6, true, 695, 570},  {6, true, 475, 835},  {0, false, 0, 0},
};

constexpr int TallExtra = 435;

// An energy figure, with its sign: the day's net energy lies below zero when exercise burned
// more than was eaten.
QString energyText(double kcal)
{
    return UnitCollection::instance()->get(UnitCollection::Energy)->printSignedNumberUnit(kcal);
}

QString amounts(std::initializer_list<std::pair<DBTypes::NutType, float>> values)
{
    QStringList lines;
    for (const auto& [nutrient, value] : values)
        lines << UnitCollection::instance()->get(nutrient)->printNumberUnit(value);
    return lines.join(QLatin1Char('\n'));
}

QByteArray codeOf(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

qint64 currentUser()
{
    return ShownDay::instance()->user();
}

// Whether a goal to lose weight is recorded on or before the day.
bool losingWeight(const QByteArray& dateCode)
{
    QVariant goal;
    return UserDB::instance()
               ->positionValueGet(currentUser(), dateCode.constData(), "goal", "-1", nullptr,
                                  &goal, "user_misc")
               .value_or(false)
        && goal.toInt() == DBTypes::LOSE_WEIGHT;
}

} // namespace

SummaryReportFactory::SummaryReportFactory(const QDate& first, const QDate& last, bool omitEmpty,
                                           WorkProgress* progress)
{
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        _data.colours.setColor(role, Qt::black);
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window})
        _data.colours.setColor(role, Qt::white);
    setDateRange(first, last, omitEmpty, progress);
}

SummaryReportFactory::~SummaryReportFactory() = default;

Report* SummaryReportFactory::getReport(ReportDeviceMetrics* metrics)
{
    return new SummaryReport(metrics, &_data);
}

void SummaryReportFactory::getSizes(std::vector<QSize>& sizes) const
{
    // The section count read with the pages: laying out never reads the diary.
    const int key = _data.sectionCount == 5 ? 4 : 6;
    for (const PreferredSize* row = s_preferredSizes; row->key != 0; ++row) {
        if (row->key == key)
            sizes.emplace_back(row->width, row->height + (row->tall ? TallExtra : 0));
    }
}

int SummaryReportFactory::sectionGroup(int section, int sectionCount)
{
    static const int five[] = {0, 1, 3, 5, DiaryDB::AllSnacks};
    return sectionCount == 5 ? five[section] : section;
}

void SummaryReportFactory::setDateRange(const QDate& first, const QDate& last, bool omitEmpty,
                                        WorkProgress* progress)
{
    const int snackDisplay =
        UserDB::instance()->getUserPrefs(currentUser()).value_or(DBTypes::UserPrefs()).snackDisplay;
    _data.sectionCount = snackDisplay == DBTypes::SNACKS_TOGETHER ? 5 : 7;
    _data.pages.clear();
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        if (progress && !progress->advance(first.daysTo(date), first.daysTo(last) + 1))
            return;
        if (omitEmpty
            && DiaryDB::instance()
                   ->getDay(currentUser(), codeOf(date).constData(), false)
                   .value_or(DBTypes::DiaryDay())
                   .empty())
            continue;
        _data.pages.push_back(std::make_unique<SummaryReportData::PageData>());
        SummaryReportData::PageData& page = *_data.pages.back();
        page.date = date;
        for (int section = 0; section < _data.sectionCount; ++section)
            _fillSection(page, section, snackDisplay);
        page.body = _makeText(page);
    }
}

void SummaryReportFactory::takePages(SummaryReportFactory& read)
{
    _data.sectionCount = read._data.sectionCount;
    _data.pages = std::move(read._data.pages);
}

void SummaryReportFactory::_fillSection(SummaryReportData::PageData& page, int section, int snackDisplay) const
{
    const int group = sectionGroup(section, _data.sectionCount);
    auto& texts = page.texts[size_t(section)];
    if (section > 0) {
        texts[0] = group == DiaryDB::AllSnacks ? QObject::tr("Snacks")
                                               : DBTypes::GroupTypeToString(group, snackDisplay);
    }
    auto& chart = page.charts[size_t(section)];
    chart = std::make_unique<BreakdownChart>(nullptr, QString(), true);
    chart->setDateRange(page.date, page.date, group);
    const BreakdownChart::Totals& t = chart->getNutrientTotals();
    if (t[BreakdownChart::FoodEnergy] < 1.0f)
        return;
    texts[0] += QStringLiteral(" - ") + energyText(t[BreakdownChart::FoodEnergy]);
    texts[1] = QObject::tr("Fat:\nCarbs:\nProtein:");
    texts[2] = amounts({{DBTypes::FAT, t[BreakdownChart::Fat]},
                        {DBTypes::CARBS, t[BreakdownChart::Carbohydrate]},
                        {DBTypes::PROTEIN, t[BreakdownChart::Protein]}});
    // The pie's own shares, so that the figures and the slices agree.
    const EnergyShares part = chart->shares();
    const QString share = QStringLiteral("(%1 / %2%)");
    texts[3] = share.arg(energyText(9.0 * t[BreakdownChart::Fat])).arg(part.fat()) + QLatin1Char('\n')
        + share.arg(energyText(4.0 * t[BreakdownChart::Carbohydrate])).arg(part.carbohydrate())
        + QLatin1Char('\n')
        + share.arg(energyText(4.0 * t[BreakdownChart::Protein])).arg(part.protein());
    texts[4] = QObject::tr("Sat. Fat:\nChol:\nSugar:");
    texts[5] = amounts({{DBTypes::SATFAT, t[BreakdownChart::SaturatedFat]},
                        {DBTypes::CHOLESTEROL, t[BreakdownChart::Cholesterol]},
                        {DBTypes::SUGAR, t[BreakdownChart::Sugar]}});
    texts[6] = QObject::tr("Sodium:\nCalcium:\n")
        + BrandEngine::instance()->getString("spelling_fiber") + QLatin1Char(':');
    texts[7] = amounts({{DBTypes::SODIUM, t[BreakdownChart::Sodium]},
                        {DBTypes::CALCIUM, t[BreakdownChart::Calcium]},
                        {DBTypes::FIBER, t[BreakdownChart::Fibre]}});
}

QString SummaryReportFactory::projection(float balance)
{
    QString word = QObject::tr("gain");
    float diff = balance;
    if (diff < 0.0f) {
        word = QObject::tr("loss");
        diff = -diff;
    }
    // 0.00012959783 kg a kilocalorie: 7716.18 kcal make a kilogram.
    const float month = diff * 0.00012959783f * 365.25f / 12.0f;
    QString period;
    float amount = month;
    if (month >= 1.0f) {
        period = QObject::tr("month");
    } else if (month >= 0.33333334f) {
        amount = 3.0f * month;
        period = QObject::tr("%1 months").arg(3);
    } else {
        amount = 6.0f * month;
        if (amount < 1.0f) {
            return QObject::tr("<p>An average person with these figures could expect to maintain "
                               "their weight. Every person is different, so you should still "
                               "weigh yourself from time to time.</p>");
        }
        period = QObject::tr("%1 months").arg(6);
    }
    return QObject::tr("<p>On an average person, these figures would lead to a %1 of %2 over the "
                       "next %3.</p>")
        .arg(word, UnitCollection::instance()->get(UnitCollection::Weight)->printNumberUnit(amount),
             period);
}

QString SummaryReportFactory::_makeText(SummaryReportData::PageData& page) const
{
    const QByteArray code = codeOf(page.date);
    UserDB* users = UserDB::instance();
    const std::optional<DBTypes::UserProfile> profile = users->getProfile(currentUser());
    // Inside a reading action (the viewer's or the print's), whose outcome refuses a page read in
    // part.
    const DBTypes::CheckinItem checkin =
        users->getCheckin(currentUser(), code.constData()).value_or(DBTypes::CheckinItem());
    const UserMeasurements measured =
        users->getDaysMeasurements(currentUser(), code.constData()).value_or(UserMeasurements());
    const BreakdownChart::Totals& t = page.charts[0]->getNutrientTotals();
    const UnitCollection* units = UnitCollection::instance();
    const UnitDescriptor* lengths = units->get(UnitCollection::Measurement);
    const UnitDescriptor* weights = units->get(UnitCollection::Weight);

    page.heading = QStringLiteral("<big><b>") + DisplayDate::longText(page.date)
        + QStringLiteral("</b></big>");
    QString text = QStringLiteral("<p><p><table cellspacing=\"0\" cellpadding=\"0\" border=\"0\">");
    const auto addRow = [&text](const QString& label, const QString& value) {
        text += QStringLiteral("<tr><td><b>") + label + QStringLiteral("</b>&nbsp;</td><td>") + value
            + QStringLiteral("</td></tr>");
    };
    const std::pair<UserMeasurements::Measurements, QString> rows[] = {
        {UserMeasurements::Weight, QObject::tr("Weight:")},
        {UserMeasurements::Chest, QObject::tr("Chest:")},
        {UserMeasurements::Waist, QObject::tr("Waist:")},
        {UserMeasurements::Hip, QObject::tr("Hip:")},
        {UserMeasurements::Thigh, QObject::tr("Thigh:")}};
    for (const auto& [measurement, label] : rows) {
        if (measured.has(measurement)) {
            const UnitDescriptor* unit = measurement == UserMeasurements::Weight ? weights : lengths;
            addRow(label, unit->printNumberUnit(measured.value(measurement)));
        }
    }
    const bool weighed = measured.has(UserMeasurements::Weight);
    const float weight = measured.value(UserMeasurements::Weight);
    const float height = profile ? profile->height : -1.0f;
    // Without a height the index means nothing (and 0 cannot be divided by).
    const bool hasBmi = weighed && height > 0.0f;
    const int bmi = hasBmi ? UserDB::calcBMI(height, weight) : -1;
    if (hasBmi)
        addRow(QObject::tr("BMI:"), UserDB::bmiWithRisk(height, weight));
    const QString ratio = measured.waistHipRatioText();
    if (!ratio.isEmpty())
        addRow(QObject::tr("Waist/Hip ratio:"), ratio);
    text += QStringLiteral("</table>");

    const float eaten = t[BreakdownChart::FoodEnergy];
    const float burned = t[BreakdownChart::EnergyBurned];
    QString recorded = burned > 0.05f
                           ? QObject::tr("You've recorded <b>%1</b> on this day (subtracting "
                                         "<b>%2</b> burned from <b>%3</b> eaten.)")
                                 .arg(energyText(eaten - burned), energyText(burned),
                                      energyText(eaten))
                           : QObject::tr("You've recorded <b>%1</b> on this day.")
                                 .arg(energyText(eaten - burned));
    // Only a target of 0 or more is one; -1 stands for none.
    if (!checkin.noTarget(DBTypes::ENERGY)) {
        recorded = QObject::tr("%1 Your target was <b>%2</b>.")
                       .arg(recorded, energyText(checkin.target(DBTypes::ENERGY)));
    }
    text += QStringLiteral("<p>") + recorded + QStringLiteral("</p>");

    if (weighed && profile) {
        const float rest = UserDB::harrisBenedictRee(checkin, *profile);
        if (rest >= 0.0f)
            text += projection(eaten - burned - rest);
    }
    if (hasBmi && bmi >= 21 && losingWeight(code)) {
        text += QObject::tr("<p>To reach a BMI of 20, you need to lose %1.")
                    .arg(weights->printNumberUnit(weight - UserDB::calcWeightForBMI(height, 20.0f)));
    }
    return text;
}
