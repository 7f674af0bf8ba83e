#include "diary/summarywidget.h"

#include "diary/summarysource.h"
#include "diary/summarynutrientwidget.h"
#include "widgets/macutil.h"

#include <QStyle>

namespace {

constexpr int kLargeGap = 11;

} // namespace

SummaryWidget::SummaryWidget(QWidget* parent, const char* name, int flags)
    : SummaryObject(parent, name, flags),
      _mini(MacUtil::getThemeFont(MacUtil::MiniSystemFont)),
      _smallEmphasized(MacUtil::getThemeFont(MacUtil::SmallEmphasizedSystemFont)),
      _emphasized(MacUtil::getThemeFont(MacUtil::EmphasizedSystemFont))
{
    for (int n = 0; n < DBTypes::NUTRIENT_COUNT; ++n) {
        const auto nutrient = DBTypes::NutType(n);
        _bars[nutrient] =
            new SummaryNutrientWidget(this, nutrient, _mini, _smallEmphasized, _emphasized);
    }
    _doLayout();
    connect(summary(), &SummarySource::targetsModified, this, &SummaryWidget::updateTargets);
    connect(summary(), &SummarySource::valuesModified, this, &SummaryWidget::updateValues);
}

void SummaryWidget::updateTargets()
{
    _largeCount = 0;
    _mediumCount = 0;
    for (const auto& [nutrient, bar] : _bars) {
        const SummarySource::SummaryNutrientData& data = summary()->nutrient(nutrient);
        if (data.size != DBTypes::UserPrefs::Large && data.size != DBTypes::UserPrefs::Medium) {
            bar->hide();
            continue;
        }
        bar->setTarget(data.target, data.noTarget);
        if (nutrient == DBTypes::ENERGY)
            bar->setAlarm(data.target + 100.0f);
        else if (nutrient == DBTypes::FAT)
            bar->setAlarm(data.target * 1.1f);
        const bool large = data.size == DBTypes::UserPrefs::Large;
        ++(large ? _largeCount : _mediumCount);
        bar->setLarge(large);
        bar->show();
    }
    ensurePolished();
    _doLayout();
    setMinimumSize(minimumSizeHint());
    update();
}

void SummaryWidget::updateValues()
{
    for (const auto& [nutrient, bar] : _bars)
        bar->setValue(summary()->nutrient(nutrient).value);
    // A Large bar's sentence may take another line for its new figures.
    _doLayout();
    update();
}

void SummaryWidget::_doLayout()
{
    QRect place = contentsRect();
    if (_largeCount > 0)
        place.setTop(place.top() + kLargeGap);
    for (const bool large : {true, false}) {
        for (const auto& [nutrient, bar] : _bars) {
            if (bar->isHidden() || bar->isLarge() != large)
                continue;
            place.setHeight(bar->heightForWidth(place.width()));
            bar->setGeometry(place);
            place.translate(0, place.height());
        }
    }
    setHasContent(_largeCount + _mediumCount > 0);
    SummaryObject::setVisible(hasContent());
}

QSize SummaryWidget::minimumSizeHint() const
{
    int widest = 0;
    int height = _largeCount > 0 ? kLargeGap : 0;
    for (const auto& [nutrient, bar] : _bars) {
        if (bar->isHidden())
            continue;
        widest = std::max(widest, bar->minimumSizeHint().width());
        height += bar->heightForWidth(contentsRect().width());
    }
    return {widest + 2 * frameWidth() + 22, std::max(height + frameWidth(), 19)};
}

QSize SummaryWidget::sizeHint() const
{
    return minimumSizeHint();
}

void SummaryWidget::setVisible(bool visible)
{
    if (visible && !hasContent())
        return;
    SummaryObject::setVisible(visible);
}

void SummaryWidget::resizeEvent(QResizeEvent* event)
{
    _doLayout();
    SummaryObject::resizeEvent(event);
}
