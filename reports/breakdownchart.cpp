#include "reports/breakdownchart.h"

#include "widgets/shownday.h"
#include "reports/breakdownparams.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <QChart>
#include <QFontMetrics>
#include <QLegend>
#include <QPainter>
#include <QShowEvent>

#include <algorithm>

namespace {

QByteArray codeOf(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

} // namespace

BreakdownChart::BreakdownChart(QWidget* parent, const QString& title, bool compact)
    : ReportsChart(tr("Energy Breakdown for the current day"), parent), _compact(compact)
{
    setTitle(title);
}

BreakdownChart::~BreakdownChart() = default;

void BreakdownChart::setDateRange(const QDate& first, const QDate& last, int group)
{
    calculateData(first, last, group);
    configure();
    viewport()->update();
}

void BreakdownChart::calculateData(const QDate& first, const QDate& last, int group)
{
    const auto sums = DiaryDB::instance()->getNutrientInfo(
        ShownDay::instance()->user(), codeOf(first).constData(),
        codeOf(last).constData(), group);
    // Inside a reading action (the viewer's or the print's): sums that could not be read leave the
    // totals shown.
    if (!sums)
        return;
    _totals.fill(0.0f);
    for (const auto& [date, set] : *sums) {
        const float values[TotalCount] = {set.energy, set.exerciseEnergy, set.fat, set.satFat,
                                          set.protein, set.cholesterol, set.sodium, set.fiber,
                                          set.carbs, set.sugar, set.calcium};
        for (int i = 0; i < TotalCount; ++i)
            _totals[i] += values[i];
    }
    const double fatEnergy = _totals[Fat] * 9.0;
    const double proteinEnergy = _totals[Protein] * 4.0;
    const double carbohydrateEnergy = _totals[Carbohydrate] * 4.0;
    const double sum = fatEnergy + proteinEnergy + carbohydrateEnergy;
    _fat = sum != 0.0 ? fatEnergy / sum * 100.0 : 0.0;
    _protein = sum != 0.0 ? proteinEnergy / sum * 100.0 : 0.0;
    _carbohydrate = _totals[Carbohydrate] == 0.0f ? 0.0 : 100.0 - _fat - _protein;
}

void BreakdownChart::configure()
{
    _pending = std::make_unique<BreakdownParams>(title(), _compact);
    _pending->setValues(_fat, _protein, _carbohydrate);
    if (isVisible())
        _applyPending();
}

void BreakdownChart::_applyPending()
{
    if (_pending)
        setParams(std::move(_pending));
}

void BreakdownChart::showEvent(QShowEvent* event)
{
    _applyPending();
    ReportsChart::showEvent(event);
}

void BreakdownChart::print(QPainter* painter, const QRect& rect)
{
    _applyPending();
    // A meal's cell may leave its pie little room: the pie shrinks to it, never spills over.
    chart()->setMinimumSize(0, 0);
    chart()->setMargins(QMargins());
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    ReportsChart::print(painter, rect);
    painter->restore();
}

void BreakdownChart::populate(QChart* chart)
{
    _titleFont = chart->titleFont();
    _legendFont = chart->legend()->font();
}

// On screen as in print, the texts fit the width they are laid out in.
void BreakdownChart::layoutCharts(const QRectF& area)
{
    _fitTexts(int(area.width()));
    ReportsChart::layoutCharts(area);
}

void BreakdownChart::_fitTexts(int width)
{
    if (!_titleFont || !_legendFont)
        return;
    // A small window, or six pies to a page, leave little room: the texts shrink rather than
    // lose their ends.
    const auto fit = [](QFont font, const QStringList& texts, int room) {
        const auto widest = [&texts](const QFont& f) {
            int widest = 0;
            for (const QString& text : texts)
                widest = std::max(widest, QFontMetrics(f).horizontalAdvance(text));
            return widest;
        };
        while (font.pointSize() > 6 && widest(font) > room)
            font.setPointSize(font.pointSize() - 1);
        return font;
    };
    chart()->setTitleFont(fit(*_titleFont, {title()}, width - 100));
    const auto* params = dynamic_cast<const BreakdownParams*>(this->params());
    if (params && !params->legendTexts().isEmpty()) {
        QLegend* legend = chart()->legend();
        // The legend gives each of its three entries an equal share, a marker included.
        legend->setFont(fit(*_legendFont, params->legendTexts(), (width - 20) / 3 - 25));
    }
}
