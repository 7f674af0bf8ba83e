#include "diary/diarysummary.h"

#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "userdb/userdb.h"

#include <QLabel>
#include <QVBoxLayout>

DiarySummary::DiarySummary(QWidget* parent, const char* name, int flags)
    : QWidget(parent), _totalsLabel(new QLabel(this))
{
    Q_UNUSED(flags);
    setObjectName(QString::fromLatin1(name));
    _totalsLabel->setObjectName(QStringLiteral("totalsLabel"));
    _totalsLabel->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(_totalsLabel);
    layout->addStretch(1);
    updateView();
}

void DiarySummary::totalChanged(const DBTypes::DiaryDay& day)
{
    _day = day;
    emit valuesModified();
    updateView();
}

void DiarySummary::setNutrientTarget(const int user, const QDate& date,
                                     const DBTypes::CheckinItem& checkin)
{
    _user = user;
    _date = date;
    _targets = checkin;
    if (user >= 0) {
        _prefs = UserDB::instance()->getUserPrefs(user);
        const QByteArray code = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        _fluid = UserDB::instance()->getFluid(user, code.constData());
    }
    emit targetsModified();
    updateView();
}

void DiarySummary::updateTargets(const DBTypes::CheckinItem& checkin)
{
    setNutrientTarget(_user, _date, checkin);
}

QString DiarySummary::_line(DBTypes::NutType nut) const
{
    const UnitDescriptor* unit = UnitCollection::instance()->get(nut);
    QString line = unit->printName() + QStringLiteral(": ")
                 + unit->printNumberUnit(std::max(0.0f, _day.getTotal(nut)));
    if (!_targets.noTarget(nut) && DBTypes::isPresent(_targets.target(nut)))
        line += tr(" of %1").arg(unit->printNumberUnit(_targets.target(nut)));
    return line;
}

void DiarySummary::updateView(int nut)
{
    Q_UNUSED(nut);
    QStringList lines;
    for (int n = 0; n < DBTypes::NUTRIENT_COUNT; ++n) {
        const auto type = DBTypes::NutType(n);
        if (type == DBTypes::ENERGY || _prefs.targetSize(type) >= DBTypes::UserPrefs::Medium)
            lines << _line(type);
    }
    lines << tr("Water: %n glass(es)", nullptr, _fluid);
    _totalsLabel->setText(lines.join(QLatin1Char('\n')));
}
