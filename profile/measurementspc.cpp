#include "profile/measurementspc.h"

#include "core/clock.h"
#include "core/numberparser.h"
#include "core/dateconversion.h"
#include "core/unitweight.h"
#include "profile/measurementspage.h"
#include "widgets/numberfieldcheck.h"

#include <QLineEdit>

void MeasurementsPC::load(const DBTypes::UserProfile* profile, const DBTypes::CheckinItem* checkin,
                          const DBTypes::UserPrefs*)
{
    if (profile && profile->height >= 0.0f)
        NumberFieldCheck::showStored(_page->_metricHeightField,
                                     NumberParser::writeShort(profile->height));
    if (checkin && checkin->weight >= 0.0f) {
        NumberFieldCheck::showStored(_page->_metricWeightField,
                                     UnitWeight(UnitWeight::Kilograms).printField(checkin->weight));
        _loadedWeightText = _page->_metricWeightField->text();
        _loadedWeight = checkin->weight;
    }
    _page->updateErrors();
}

void MeasurementsPC::save(DBTypes::UserProfile* profile, DBTypes::CheckinItem* checkin,
                          DBTypes::UserPrefs*)
{
    if (checkin) {
        const QString weightText = _page->_metricWeightField->text();
        if (weightText.isEmpty()) {
            checkin->weight = -1.0f;
        } else {
            const bool asLoaded =
                weightText == _loadedWeightText && !_page->weightTypedInPounds();
            checkin->weight = asLoaded ? _loadedWeight : float(_page->metricWeight());
            DateToCode4(Clock::today(), checkin->date);
        }
        checkin->hasWeight = true;
    }
    if (profile)
        profile->height = _page->_metricHeightField->text().isEmpty()
                              ? -1.0f
                              : float(_page->metricHeight());
}

void MeasurementsPC::start()
{
    _page->_metricWeightField->setFocus();
}

bool MeasurementsPC::isPageComplete()
{
    return _page->validWeight() && _page->validHeight();
}
