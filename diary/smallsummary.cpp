#include "diary/smallsummary.h"

#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "diary/summarysource.h"
#include "widgets/macutil.h"

#include <QPainter>

SmallSummary::SmallSummary(QWidget* parent, const char* name, int flags)
    : SummaryObject(parent, name, flags), _font(MacUtil::getThemeFont(MacUtil::MiniSystemFont)),
      _metrics(_font), _ascent(_metrics.ascent())
{
    connect(summary(), &SummarySource::valuesModified, this, &SmallSummary::updateValues);
    connect(summary(), &SummarySource::targetsModified, this, &SmallSummary::updateValues);
}

SmallSummary::Line SmallSummary::lineFor(DBTypes::NutType nutrient, float value, float target,
                                         bool hasTarget)
{
    const UnitDescriptor* ud = UnitCollection::instance()->get(nutrient);
    const auto figure = [ud](float number) { return ud->printSignedNumber(number); };
    if (!hasTarget)
        return {QStringLiteral("%1: %2 %3 ").arg(ud->printName(), figure(value), ud->printUnits()),
                false};
    return {QStringLiteral("%1: %2 / %3 %4 ")
                .arg(ud->printName(), figure(value), figure(target), ud->printUnits()),
            value > target};
}

int SmallSummary::columns(int width, int widest)
{
    return width / (widest + 5);
}

int SmallSummary::requiredHeight(int lineCount, int columnCount, int ascent)
{
    const int perRow = std::max(columnCount, 1);
    const int rows = (lineCount + perRow - 1) / perRow;
    return rows * 2 * ascent;
}

void SmallSummary::updateValues()
{
    _lines.clear();
    _widest = 0;
    for (int n = 0; n < DBTypes::NUTRIENT_COUNT; ++n) {
        const auto nutrient = DBTypes::NutType(n);
        const SummarySource::SummaryNutrientData& data = summary()->nutrient(nutrient);
        if (data.size != DBTypes::UserPrefs::Small)
            continue;
        _lines.push_back(lineFor(nutrient, data.value, data.target, !data.noTarget));
        _widest = std::max(_widest, _metrics.horizontalAdvance(_lines.back().first));
    }
    setHasContent(!_lines.empty());
    SummaryObject::setVisible(hasContent());
    _fitHeight();
    update();
}

// At least one column, so that every line shows whole.
QSize SmallSummary::minimumSizeHint() const
{
    const int oneColumn = _lines.empty() ? 0 : _widest + 10;
    return {oneColumn, requiredHeight(int(_lines.size()), columns(width(), _widest), _ascent)};
}

void SmallSummary::_fitHeight()
{
    const QSize least = minimumSizeHint();
    if (least != minimumSize())
        setMinimumSize(least);
}

void SmallSummary::setVisible(bool visible)
{
    if (visible && !hasContent())
        return;
    SummaryObject::setVisible(visible);
}

void SmallSummary::resizeEvent(QResizeEvent* event)
{
    SummaryObject::resizeEvent(event);
    _fitHeight();
}

void SmallSummary::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    drawContents(&painter);
    drawFrame(&painter);
}

void SmallSummary::drawContents(QPainter* painter)
{
    painter->fillRect(contentsRect(), Qt::white);
    if (columns(width(), _widest) == 0)
        return;
    painter->setFont(_font);
    const int step = 3 * _ascent / 2;
    int x = 5;
    int y = step;
    for (const Line& line : _lines) {
        painter->setPen(line.second ? Qt::red : Qt::black);
        if (width() - 2 < x + _widest + 5) {
            y += step;
            x = 5;
        }
        painter->drawText(x, y, line.first);
        x += _widest + 5;
    }
}
