#include "diary/summarynutrientwidget.h"

#include "core/unitcollection.h"
#include "core/unitdescriptor.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>

#include <cassert>
#include <cmath>

namespace {

const QColor kOutline(81, 158, 248);
const QColor kAlarm(255, 0, 0);
const QColor kUsed(189, 216, 248);
const QColor kLabelColumn(235, 241, 248);
constexpr int kLeastWidth = 216;
constexpr int kSentenceFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip;

const UnitDescriptor* unitOf(DBTypes::NutType nutrient)
{
    const UnitDescriptor* ud = UnitCollection::instance()->get(nutrient);
    assert(ud);
    return ud;
}

// The sentence as it is laid out: a figure keeps its unit on its line when the sentence wraps.
QString unbrokenFigures(QString sentence)
{
    static const QRegularExpression figureThenWord(QStringLiteral("(\\d) (?=\\p{L})"));
    return sentence.replace(figureThenWord, QStringLiteral("\\1\u00a0"));
}

} // namespace

SummaryNutrientWidget::SummaryNutrientWidget(QWidget* parent, DBTypes::NutType nutrient,
                                             QFont& mini, QFont& smallEmphasized,
                                             QFont& emphasized)
    : QFrame(parent), _mini(mini), _smallEmphasized(smallEmphasized), _emphasized(emphasized),
      _nutrient(nutrient)
{
    const QFontMetrics miniMetrics(_mini);
    _nameWidth = QFontMetrics(_smallEmphasized).horizontalAdvance(QStringLiteral("XXXXXXX"));
    const QString sample = tr("%1 / %2 (%3 remaining)")
                               .arg(QStringLiteral("XXXXXX"), QStringLiteral("XXXXXX"),
                                    QStringLiteral("XXXXXX"));
    _textWidth = miniMetrics.horizontalAdvance(sample) + 11;
    _miniAscent = miniMetrics.ascent();
    _emphasizedAscent = QFontMetrics(_emphasized).ascent();
    setMinimumWidth(kLeastWidth);
    setMaximumWidth(3000);
}

QSize SummaryNutrientWidget::sizeHint() const
{
    return minimumSizeHint();
}

QSize SummaryNutrientWidget::minimumSizeHint() const
{
    const int medium = _nameWidth + 8 + _textWidth + 40 + kLeastBarWidth;
    return {_large ? kLeastWidth : std::max(kLeastWidth, medium), heightForWidth(width())};
}

// The sentence of a Large bar takes as many lines as its figures need at the bar's width;
// one line where there is room.
int SummaryNutrientWidget::heightForWidth(int width) const
{
    const int height = 9 * _miniAscent / 4;
    if (!_large)
        return height;
    const int extraLines = _sentenceRect(width).height() - QFontMetrics(_mini).height();
    return height + _emphasizedAscent + 5 + std::max(extraLines, 0);
}

QRect SummaryNutrientWidget::sentenceRect() const
{
    return _sentenceRect(width());
}

QRect SummaryNutrientWidget::_sentenceRoom(int width) const
{
    return {11, 1 + _emphasizedAscent + _miniAscent, std::max(width, kLeastWidth) - 2 * 11, 0};
}

QRect SummaryNutrientWidget::_sentenceRect(int width) const
{
    return QFontMetrics(_mini).boundingRect(
        _sentenceRoom(width), kSentenceFlags,
        unbrokenFigures(largeSentence(_nutrient, _value, _target, _hasTarget)));
}

void SummaryNutrientWidget::setValue(float value)
{
    _value = value;
    updateGeometry();
    update();
}

void SummaryNutrientWidget::setTarget(float target, bool noTarget)
{
    _target = target;
    _hasTarget = !noTarget;
    updateGeometry();
    update();
}

void SummaryNutrientWidget::setAlarm(float alarm)
{
    _alarm = alarm;
    update();
}

void SummaryNutrientWidget::setLarge(bool large)
{
    _large = large;
    updateGeometry();
    update();
}

int SummaryNutrientWidget::usedWidth(int barWidth, float value, float target)
{
    if (barWidth <= 0 || !(target > 0.0f))
        return 0;
    const double ratio = double(value) / double(target);
    if (!std::isfinite(ratio) || ratio <= 0.0)
        return 0;
    if (ratio >= 1.0)
        return barWidth;
    return std::clamp(int(float(barWidth) * float(ratio)), 0, barWidth);
}

bool SummaryNutrientWidget::isAlarm(float value, float alarm)
{
    return alarm >= 0.0f && value >= alarm;
}

QString SummaryNutrientWidget::largeSentence(DBTypes::NutType nutrient, float value,
                                             float target, bool hasTarget)
{
    const UnitDescriptor* ud = unitOf(nutrient);
    // Below zero, exercise has burned more than the food brought: nothing was used up.
    if (ud->shownValue(value) < 0.0) {
        if (!hasTarget)
            return tr("Your exercise has burned %1 more than you have eaten today.")
                .arg(ud->printNumberUnit(-value));
        return tr("Your exercise has burned %1 more than you have eaten. Your budget is %2, "
                  "with %3 left today.")
            .arg(ud->printNumberUnit(-value), ud->printNumber(target),
                 ud->printDifferenceUnit(target, value));
    }
    if (!hasTarget)
        return tr("You have used up %1 today.").arg(ud->printSignedNumberUnit(value));
    // What is left follows from the two figures shown, so that the sentence adds up.
    if (ud->shownValue(value) >= ud->shownValue(target))
        return tr("You have used up %1 out of your budget of %2. No %3 left today.")
            .arg(ud->printSignedNumberUnit(value), ud->printNumber(target), ud->printUnits());
    return tr("You have used up %1 out of your budget of %2. %3 left today.")
        .arg(ud->printSignedNumberUnit(value), ud->printNumber(target),
             ud->printDifferenceUnit(target, value));
}

QString SummaryNutrientWidget::mediumFigure(DBTypes::NutType nutrient, float value,
                                            float target, bool hasTarget)
{
    const UnitDescriptor* ud = unitOf(nutrient);
    if (!hasTarget)
        return ud->printSignedNumberUnit(value);
    if (nutrient == DBTypes::FIBER)
        return tr("%1 / %2 (%3 minimum)")
            .arg(ud->printSignedNumber(value), ud->printNumberUnit(target),
                 ud->printNumberUnit(target));
    const QString remaining = ud->shownValue(value) <= ud->shownValue(target)
        ? ud->printDifferenceUnit(target, value)
        : ud->printNumberUnit(0.0);
    return tr("%1 / %2 (%3 remaining)")
        .arg(ud->printSignedNumber(value), ud->printNumberUnit(target), remaining);
}

void SummaryNutrientWidget::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    drawContents(&painter);
    drawFrame(&painter);
}

QRect SummaryNutrientWidget::barRect() const
{
    const int a = _miniAscent;
    QRect bar(QPoint(11, 1), QPoint(width() + 10, 2 * a + 3));
    if (_large) {
        bar.setRight(bar.right() - 11);
    } else {
        bar.setTop(bar.top() + 5);
    }
    bar.setBottom(bar.bottom() - 6);
    bar.setLeft(_nameWidth + 19);
    if (_hasTarget)
        bar.setWidth(bar.width() - (_large ? 11 : _textWidth + 40));
    return bar;
}

void SummaryNutrientWidget::_drawLargeHeading(QPainter* painter) const
{
    painter->setFont(_emphasized);
    painter->drawText(11, 1 + _emphasizedAscent, unitOf(_nutrient)->printName());
    painter->setFont(_mini);
    painter->drawText(_sentenceRoom(width()), kSentenceFlags,
                      unbrokenFigures(largeSentence(_nutrient, _value, _target, _hasTarget)));
}

void SummaryNutrientWidget::_drawMediumHeading(QPainter* painter) const
{
    const int a = _miniAscent;
    painter->fillRect(QRect(QPoint(0, 0), QPoint(_nameWidth + 8, 2 * a + 10)), kLabelColumn);
    painter->drawLine(0, 0, width(), 0);
    painter->setFont(_smallEmphasized);
    painter->drawText(QRect(QPoint(7, 1), QPoint(_nameWidth + 10, 2 * a + 3)),
                      Qt::AlignLeft | Qt::AlignVCenter, unitOf(_nutrient)->printName());
}

void SummaryNutrientWidget::drawContents(QPainter* painter)
{
    const int a = _miniAscent;
    painter->setPen(Qt::black);
    if (_large)
        _drawLargeHeading(painter);
    else
        _drawMediumHeading(painter);
    QRect bar = barRect();
    int textStart = bar.left();
    if (_hasTarget) {
        painter->fillRect(bar, isAlarm(_value, _alarm) ? kAlarm : kOutline);
        bar.adjust(1, 1, -1, -1);
        const int used = usedWidth(bar.width(), _value, _target);
        painter->fillRect(QRect(bar.left(), bar.top(), used, bar.height()), kUsed);
        painter->fillRect(QRect(bar.left() + used, bar.top(), bar.width() - used, bar.height()),
                          Qt::white);
        textStart = bar.right() + 6;
    }
    if (_large)
        return;
    const int y = int(bar.top() + (9 * a / 4 - a) / 1.5 - 1.0);
    painter->setFont(_mini);
    painter->setPen(Qt::black);
    painter->drawText(textStart + a / 2, y + a / 2,
                      mediumFigure(_nutrient, _value, _target, _hasTarget));
}
