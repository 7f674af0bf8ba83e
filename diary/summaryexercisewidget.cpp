#include "diary/summaryexercisewidget.h"

#include "core/numberparser.h"
#include "diary/summarysource.h"
#include "diary/summarynutrientwidget.h"
#include "widgets/macutil.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr float kGoalMinutes = 30.0f;

} // namespace

SummaryExerciseWidget::SummaryExerciseWidget(QWidget* parent, const char* name)
    : SummaryObject(parent, name, 0), _mini(MacUtil::getThemeFont(MacUtil::MiniSystemFont)),
      _smallEmphasized(MacUtil::getThemeFont(MacUtil::SmallEmphasizedSystemFont))
{
    const QFontMetrics emphasized(_smallEmphasized);
    const QFontMetrics mini(_mini);
    _labelWidth = emphasized.horizontalAdvance(QStringLiteral("XXXXXXX")) + 20;
    _labelY = emphasized.ascent() + 4;
    _textWidth = mini.horizontalAdvance(QStringLiteral("%1 / %2 (%3 remaining)")
                                            .arg(QStringLiteral("XXXXXX"), QStringLiteral("XXXXXX"),
                                                 QStringLiteral("XXXXXX")))
               + 8;
    _miniAscent = mini.ascent();
    setMinimumSize(minimumSizeHint());
    connect(summary(), &SummarySource::valuesModified, this, qOverload<>(&QWidget::update));
}

QSize SummaryExerciseWidget::minimumSizeHint() const
{
    // Room for the text line too where the interface fonts are larger, and for the minutes
    // beside a bar of the least length.
    const int text = QFontMetrics(_mini).height() + 8;
    return {_labelWidth + SummaryNutrientWidget::kLeastBarWidth + _textWidth + 32,
            std::max(2 * frameWidth() + 20, text)};
}

QSize SummaryExerciseWidget::sizeHint() const
{
    return minimumSizeHint();
}

QString SummaryExerciseWidget::minutesText(float minutes)
{
    return tr("%1 / %2 min (%2 min minimum)")
        .arg(NumberParser::write(minutes, 1), NumberParser::write(kGoalMinutes, 1));
}

void SummaryExerciseWidget::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    drawContents(&painter);
    drawFrame(&painter);
}

void SummaryExerciseWidget::drawContents(QPainter* painter)
{
    const float minutes = summary()->getTotalExerMinutes();
    painter->fillRect(0, 0, _labelWidth - 10, height(), QColor(235, 241, 248));
    painter->setPen(Qt::black);
    painter->setFont(_smallEmphasized);
    painter->drawText(8, _labelY, tr("Exercise"));
    QRect bar(QPoint(_labelWidth, 0), QPoint(_labelWidth, height() - 2));
    bar.setWidth(width() - _labelWidth - _textWidth - 32);
    bar.adjust(0, 6, 0, -6);
    painter->fillRect(bar, QColor(81, 158, 248));
    bar.adjust(1, 1, -1, -1);
    const int used = SummaryNutrientWidget::usedWidth(bar.width(), minutes, kGoalMinutes);
    painter->fillRect(QRect(bar.left(), bar.top(), used, bar.height()), QColor(189, 216, 248));
    painter->fillRect(QRect(bar.left() + used, bar.top(), bar.width() - used, bar.height()),
                      Qt::white);
    const int a = _miniAscent;
    painter->setFont(_mini);
    painter->drawText(bar.right() + 6 + a / 2, bar.top() - 1 + 2 * (a / 2), minutesText(minutes));
}
