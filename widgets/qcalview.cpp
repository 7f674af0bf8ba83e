#include "widgets/qcalview.h"

#include <QMouseEvent>
#include <QPainter>


namespace {
const char* const s_dayInitials[7] = {"M", "T", "W", "T", "F", "S", "S"};
constexpr int s_columns = 7;
constexpr int s_weeks = 6;
}

QCalView::QCalView(QWidget* parent, const QDate& date, const QDate& minimum,
                   const QDate& maximum)
    : QWidget(parent), _minimum(minimum), _maximum(maximum)
{
    _fontChanged();
    setDate(date);
}

bool QCalView::isBoldDay(QDate date) const
{
    if (!date.isValid())
        return false;
    const auto found = _boldBits.find(s_monthKey(date));
    return found != _boldBits.end() && (found->second >> (date.day() - 1) & 1u);
}

QColor QCalView::getDayFgColor(const QDate date) const
{
    const auto found = _dayTextColours.find(s_dayKey(date));
    return found == _dayTextColours.end() ? _dayTextColour : found->second;
}

QColor QCalView::getDayBgColor(const QDate date) const
{
    const auto found = _dayBackColours.find(s_dayKey(date));
    return found == _dayBackColours.end() ? _gridColour : found->second;
}

void QCalView::setDate(QDate date)
{
    // Compared one bound at a time: a grid made with its bounds the wrong way round must
    // still select a date.
    if (date < _minimum)
        date = _minimum;
    if (date > _maximum)
        date = _maximum;
    if (date == _selected)
        return;
    _selected = date;
    _setDayArray();
    update();
}

void QCalView::setMinimumDate(const QDate& date)
{
    if (date > _maximum)
        qWarning("Warning: QCalView::setMinimumDate() - new min date > current max date");
    else
        _minimum = date;
    update();
}

void QCalView::setMaximumDate(const QDate& date)
{
    if (date < _minimum)
        qWarning("Warning: QCalView::setMaximumDate() - new max date < current min date");
    else
        _maximum = date;
    update();
}

void QCalView::setOutlinedDate(const QDate& date)
{
    _outlined = date;
    update();
}

void QCalView::setBoldBits(const QDate date, const int bits)
{
    _boldBits[s_monthKey(date)] = quint32(bits);
}

void QCalView::clearBoldBits()
{
    _boldBits.clear();
}

void QCalView::setBoldDay(const QDate date)
{
    if (!date.isValid())
        return;
    _boldBits[s_monthKey(date)] |= 1u << (date.day() - 1);
}

void QCalView::unsetBoldDay(const QDate date)
{
    if (!date.isValid())
        return;
    const auto found = _boldBits.find(s_monthKey(date));
    if (found != _boldBits.end())
        found->second &= ~(1u << (date.day() - 1));
}

void QCalView::setDayFgColor(const QDate date, const QColor colour)
{
    _dayTextColours[s_dayKey(date)] = colour;
}

void QCalView::setDayBgColor(const QDate date, const QColor colour)
{
    _dayBackColours[s_dayKey(date)] = colour;
}

void QCalView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        _fontChanged();
        update();
    }
}

void QCalView::_fontChanged()
{
    _normalFont = font();
    _boldFont = font();
    _boldFont.setWeight(QFont::Bold);
    const QFontMetrics metrics(font());
    setMinimumSize(s_columns * metrics.maxWidth() + 70, s_columns * metrics.height() + 35);
}

// Weeks run from Monday: the month's first day sits in its weekday's column.
void QCalView::_setDayArray()
{
    _days.fill(QDate());
    if (!_selected.isValid())
        return;
    const QDate first(_selected.year(), _selected.month(), 1);
    const int offset = first.dayOfWeek() - 1;
    for (int day = 0; day < first.daysInMonth(); ++day)
        _days[offset + day] = first.addDays(day);
}

int QCalView::_rowHeight() const
{
    return fontMetrics().height() + 5;
}

int QCalView::_columnWidth() const
{
    return width() / s_columns;
}

int QCalView::_margin() const
{
    return width() % s_columns / 2;
}

int QCalView::getCell(const QPoint& point) const
{
    const int rowHeight = _rowHeight();
    const int margin = _margin();
    const int columnWidth = _columnWidth();
    if (point.y() < rowHeight || point.y() >= (s_weeks + 1) * rowHeight)
        return -1;
    if (point.x() < margin || point.x() >= margin + s_columns * columnWidth)
        return -1;
    return (point.x() - margin) / columnWidth + (point.y() / rowHeight - 1) * s_columns;
}

bool QCalView::_isSelectable(const QDate& date) const
{
    return date >= _minimum && date <= _maximum;
}

void QCalView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    _drawHeader(painter);
    painter.fillRect(0, _rowHeight(), width(), height() - _rowHeight(), _gridColour);
    for (int cell = 0; cell < s_cellCount; ++cell) {
        if (_days[cell].isValid())
            _drawCell(painter, cell);
    }
}

void QCalView::_drawHeader(QPainter& painter)
{
    const int rowHeight = _rowHeight();
    painter.fillRect(0, 0, width(), rowHeight, _headerColour);
    painter.setPen(_headerLineColour);
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, rowHeight - 1, width() - 1, rowHeight - 1);
    painter.setFont(_normalFont);
    painter.setPen(_dayTextColour);
    for (int column = 0; column < s_columns; ++column) {
        const QRect area(column * _columnWidth() + _margin(), 0, _columnWidth(), rowHeight);
        painter.drawText(area, Qt::AlignCenter, QString::fromLatin1(s_dayInitials[column]));
    }
}

void QCalView::_drawCell(QPainter& painter, int cell)
{
    const QDate& date = _days[cell];
    const QRect area((cell % s_columns) * _columnWidth() + _margin(),
                     (cell / s_columns + 1) * _rowHeight(), _columnWidth(), _rowHeight());
    const bool selectable = _isSelectable(date);
    painter.fillRect(area, selectable && date == _selected ? _selectedColour
                                                           : getDayBgColor(date));
    painter.setPen(selectable ? getDayFgColor(date) : _unselectableColour);
    painter.setFont(isBoldDay(date) ? _boldFont : _normalFont);
    QString text = QString::number(date.day());
    if (date == _outlined)
        text = QLatin1Char('(') + text + QLatin1Char(')');
    painter.drawText(area, Qt::AlignCenter, text);
}

void QCalView::_selectAt(const QPoint& point)
{
    const int cell = getCell(point);
    if (cell >= 0 && _days[cell].isValid())
        setDate(_days[cell]);
}

void QCalView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        _selectAt(event->position().toPoint());
}

void QCalView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::LeftButton && event->modifiers() == Qt::NoModifier)
        _selectAt(event->position().toPoint());
}

void QCalView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit dateSelected(_selected);
}
