#include "reports/checkinreportfactory.h"

#include "widgets/shownday.h"
#include "core/brandengine.h"
#include "core/dateconversion.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "reports/checkinreport.h"
#include "userdb/userdb.h"
#include "userdb/usermeasurements.h"

namespace {

struct Column
{
    const char* heading;
    const char* brandSwitch; // null: always shown
    UserMeasurements::Measurements measurement;
    UnitCollection::UnitType unit;
};

const Column Columns[] = {
    {"Weight", nullptr, UserMeasurements::Weight, UnitCollection::Weight},
    {"Chest", "chest_measurement_enabled", UserMeasurements::Chest, UnitCollection::Measurement},
    {"Waist", "waist_measurement_enabled", UserMeasurements::Waist, UnitCollection::Measurement},
    {"Hip", "hip_measurement_enabled", UserMeasurements::Hip, UnitCollection::Measurement},
    {"Thigh", "thigh_measurement_enabled", UserMeasurements::Thigh, UnitCollection::Measurement},
    {"Steps", "steps_measurement_enabled", UserMeasurements::Steps, UnitCollection::Steps},
};

} // namespace

CheckinReportFactory::CheckinReportFactory(QDate first, QDate last)
{
    std::vector<const Column*> shown;
    for (const Column& column : Columns) {
        if (!column.brandSwitch || BrandEngine::instance()->getBool(column.brandSwitch)) {
            shown.push_back(&column);
            _data.headings.append(QString::fromLatin1(column.heading));
        }
    }
    const qint64 user = ShownDay::instance()->user();
    const UserDB::DatedMeasurements checkins = UserDB::instance()
                                                   ->getMeasurements(user, nullptr, nullptr, nullptr)
                                                   .value_or(UserDB::DatedMeasurements());
    for (const auto& [code, measurements] : checkins) {
        const QDate date = DateFromCode4(code.toLatin1().constData());
        if (date < first)
            continue;
        if (date > last)
            break;
        QStringList texts;
        for (const Column* column : shown) {
            // An absent measurement reads as 0; the unit writes its missing text for -1.
            const double value = measurements.has(column->measurement)
                ? measurements.value(column->measurement)
                : -1.0;
            texts.append(UnitCollection::instance()->get(column->unit)->printNumberUnit(value));
        }
        _data.dates.push_back(date);
        _data.rows.push_back(texts);
    }
}

Report* CheckinReportFactory::getReport(ReportDeviceMetrics* metrics)
{
    return new CheckinReport(metrics, &_data);
}
