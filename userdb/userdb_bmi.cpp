#include "userdb/userdb.h"

#include "core/dateconversion.h"
#include "core/numberparser.h"

#include <QCoreApplication>
#include <QDate>

#include <cassert>
#include <cmath>

using DBTypes::CheckinItem;
using DBTypes::UserProfile;

// ---------------------------------------------------------------------------------------
// Body formulas

float UserDB::calcBMI_f(const float& height, const float& weight)
{
    assert(height);
    return 10000.0f * weight / (height * height);
}

int UserDB::calcBMI(const float& height, const float& weight)
{
    // Half up: the index is never negative.
    return int(std::lround(calcBMI_f(height, weight)));
}

QString UserDB::bmiText(float index)
{
    return NumberParser::write(index, 1);
}

float UserDB::calcWeightForBMI(float height, float bmi)
{
    return height * (bmi * height) / 10000.0f;
}

UserDB::BmiBand UserDB::bmiBand(float index)
{
    const double shown = NumberParser::rounded(index, 1);
    if (shown < 19.0)
        return BmiUnder;
    if (shown <= 26.0)
        return BmiHealthy;
    if (shown < 30.0)
        return BmiOver;
    if (shown <= 40.0)
        return BmiObese;
    return BmiVeryObese;
}

float UserDB::bmiBandStart(BmiBand band)
{
    static const float starts[] = {15.0f, 19.0f, 26.0f, 30.0f, 40.0f};
    return starts[band];
}

QString UserDB::bmiWithRisk(float height, float weight)
{
    const float index = calcBMI_f(height, weight);
    const QString shown = bmiText(index);
    switch (bmiBand(index)) {
    case BmiUnder:
        return QCoreApplication::translate("UserDB", "%1 (Underweight)").arg(shown);
    case BmiHealthy:
        return QCoreApplication::translate("UserDB", "%1 (low risk)").arg(shown);
    case BmiOver:
        return QCoreApplication::translate("UserDB", "%1 (medium risk)").arg(shown);
    case BmiObese:
        return QCoreApplication::translate("UserDB", "%1 (high risk)").arg(shown);
    case BmiVeryObese:
        break;
    }
    return QCoreApplication::translate("UserDB", "%1 (very high risk)").arg(shown);
}

int UserDB::goalRecommendation(float bmi)
{
    switch (bmiBand(bmi)) {
    case BmiUnder:
        return DBTypes::GAIN_WEIGHT;
    case BmiHealthy:
        return DBTypes::MAINTAIN_WEIGHT;
    default:
        return DBTypes::LOSE_WEIGHT;
    }
}

namespace {

// The date of a field that holds exactly an 8-character code; an invalid date otherwise.
QDate dateOfField(const char (&code)[DBTypes::DATE_CODE_SIZE])
{
    if (qstrnlen(code, DBTypes::DATE_CODE_SIZE) != DBTypes::DATE_CODE_SIZE - 1)
        return QDate();
    return DateFromCode4(code);
}

} // namespace

float UserDB::harrisBenedictRee(const CheckinItem& c, const UserProfile& p)
{
    if (!(c.weight > 0.0f) || !(p.height > 0.0f) || c.activity < DBTypes::SEDENTARY
        || c.activity > DBTypes::ACTIVE)
        return NO_REE;
    const QDate day = dateOfField(c.date);
    const QDate birth = dateOfField(p.dob);
    if (!day.isValid() || !birth.isValid())
        return NO_REE;
    const int age = day.year() - birth.year();
    if (age < 1)
        return NO_REE;
    const double weight = c.weight;
    const double height = p.height;
    const double kilojoules = p.sex == 0 ? 57.5 * weight + 278.0 + 20.9 * height - 28.3 * age
                                         : 40.0 * weight + 2741.0 + 7.7 * height - 19.6 * age;
    const float activityFactors[] = {1.1f, 1.2f, 1.3f, 1.4f};
    return float(kilojoules) * activityFactors[c.activity] / 4.18f;
}
