#include "diary/fluidcounterview.h"

#include "diary/summarysource.h"
#include "diary/fluidcounterviewbutton.h"
#include "widgets/macutil.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kMaxCups = DBTypes::CheckinItem::MaxFluid;
const QColor kLabelColumn(235, 241, 248);
constexpr int kAdviceFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip;

QString fluidText()
{
    return FluidCounterView::tr("Fluid");
}

QString adviceText()
{
    return FluidCounterView::tr("Try to drink at least 6 glasses of fluid a day.");
}

} // namespace

FluidCounterView::FluidCounterView(QWidget* parent, const char* name)
    : SummaryObject(parent, name, 0), _mini(MacUtil::getThemeFont(MacUtil::MiniSystemFont)),
      _smallEmphasized(MacUtil::getThemeFont(MacUtil::SmallEmphasizedSystemFont))
{
    _calculatePositions();
    setMinimumSize(minimumSizeHint());
    const int fw = frameWidth();
    QRect place(_boxX + 1, fw + 3, 22, 14);
    _up = new FluidCounterViewButton(true, this, "FluidCounterViewUpButton");
    _up->setGeometry(place);
    place.translate(23, 0);
    _down = new FluidCounterViewButton(false, this, "FluidCounterViewDownButton");
    _down->setGeometry(place);
    // Nothing may be counted before a user's day is loaded.
    _up->setEnabled(false);
    _down->setEnabled(false);
    connect(_up, &QPushButton::clicked, this, &FluidCounterView::upClicked);
    connect(_down, &QPushButton::clicked, this, &FluidCounterView::downClicked);
    connect(summary(), &SummarySource::valuesModified, this, &FluidCounterView::_displayValue);
    // The cups of a newly chosen day arrive with its targets.
    connect(summary(), &SummarySource::targetsModified, this, &FluidCounterView::_displayValue);
}

QSize FluidCounterView::minimumSizeHint() const
{
    return {_leastWidth(), heightForWidth(width())};
}

QSize FluidCounterView::sizeHint() const
{
    return minimumSizeHint();
}

// Room for the text line too where the interface fonts are larger, and for every line of
// the advice.
int FluidCounterView::heightForWidth(int width) const
{
    const int text = QFontMetrics(_mini).height() + 8;
    return std::max({2 * frameWidth() + 20, text, _adviceRect(width).bottom() + 5});
}

int FluidCounterView::_leastWidth() const
{
    return _hintX + 2 * frameWidth() + 4;
}

QRect FluidCounterView::adviceRect() const
{
    return _adviceRect(width());
}

QRect FluidCounterView::_adviceRoom(int width) const
{
    const QFontMetrics mini(_mini);
    const int right = std::max(width, _leastWidth()) - 2 * frameWidth() - 4;
    const int top = _textY - mini.ascent();
    if (_hintX + mini.horizontalAdvance(adviceText()) <= right)
        return {_hintX, top, right - _hintX, 0};
    return {_textX, top + mini.lineSpacing(), right - _textX, 0};
}

QRect FluidCounterView::_adviceRect(int width) const
{
    return QFontMetrics(_mini).boundingRect(_adviceRoom(width), kAdviceFlags, adviceText());
}

QString FluidCounterView::glassesText(int cups)
{
    return tr("You've had %1 out of 6 glasses.").arg(cups);
}

void FluidCounterView::_calculatePositions()
{
    _textY = QFontMetrics(_mini).ascent() + 6;
    _labelY = QFontMetrics(_smallEmphasized).ascent() + 4;
    _boxTop = 3;
    const QFontMetrics label(_smallEmphasized);
    _textX = std::max(label.horizontalAdvance(QStringLiteral("XXXXXXX")),
                      label.horizontalAdvance(fluidText()) + 9)
        + 20;
    const int sample = QFontMetrics(_mini).horizontalAdvance(
        tr("You've had %1 out of 6 glasses.").arg(QStringLiteral("XX")));
    _boxX = _textX + sample + 5;
    _hintX = _textX + sample + 57;
}

void FluidCounterView::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    drawContents(&painter);
    drawFrame(&painter);
}

void FluidCounterView::drawContents(QPainter* painter)
{
    painter->fillRect(0, 0, _textX - 10, height(), kLabelColumn);
    painter->setPen(Qt::black);
    painter->setFont(_smallEmphasized);
    painter->drawText(9, _labelY, fluidText());
    painter->drawLine(_boxX, _boxTop, _boxX + 46, _boxTop);
    painter->drawLine(_boxX, 18, _boxX + 46, 18);
    painter->drawLine(_boxX, 4, _boxX, 17);
    painter->drawLine(_boxX + 46, 4, _boxX + 46, 17);
    const int divider = (2 * _boxX + 47) / 2;
    painter->drawLine(divider, 4, divider, 17);
    painter->setFont(_mini);
    painter->drawText(_textX, _textY, glassesText(summary()->fluid()));
    painter->drawText(_adviceRoom(width()), kAdviceFlags, adviceText());
}

void FluidCounterView::_displayValue()
{
    const bool dayLoaded = summary()->user() >= 0 && summary()->date().isValid();
    const int cups = summary()->fluid();
    _up->setEnabled(dayLoaded && cups < kMaxCups);
    _down->setEnabled(dayLoaded && cups >= 1);
    update();
}

void FluidCounterView::upClicked()
{
    _adjustValue(1);
}

void FluidCounterView::downClicked()
{
    _adjustValue(-1);
}

void FluidCounterView::_adjustValue(int delta)
{
    summary()->adjustFluidValue(delta);
    _displayValue();
}
