#pragma once

#include <QColor>
#include <QDate>
#include <QFont>
#include <QWidget>

#include <array>
#include <map>

// The month grid of a calendar: a header of day initials over six weeks from Monday. It
// shows the selected date's month, marks days in bold, colours single days, and writes the
// outlined date (today, in a calendar) in brackets. Days outside minimum..maximum are
// greyed and cannot be selected.
class QCalView : public QWidget
{
    Q_OBJECT

public:
    QCalView(QWidget* parent, const QDate& date, const QDate& minimum, const QDate& maximum);

    QDate getDate() const { return _selected; }
    bool isBoldDay(QDate date) const;
    QColor getDayFgColor(const QDate date) const;
    QColor getDayBgColor(const QDate date) const;

signals:
    void dateSelected(const QDate& date);

public slots:
    void setDate(QDate date);
    void setMinimumDate(const QDate& date);
    void setMaximumDate(const QDate& date);
    void setOutlinedDate(const QDate& date);
    // Replaces the whole set of bold days of date's month: bit (day - 1) per bold day.
    void setBoldBits(const QDate date, const int bits);
    void clearBoldBits();
    void setBoldDay(const QDate date);
    void unsetBoldDay(const QDate date);
    void setDayFgColor(const QDate date, const QColor colour);
    void setDayBgColor(const QDate date, const QColor colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    static constexpr int s_cellCount = 42;

    static int s_monthKey(const QDate& date) { return date.year() * 100 + date.month(); }
    static int s_dayKey(const QDate& date) { return s_monthKey(date) * 100 + date.day(); }

    // The cell (0 to 41) under a point of the widget, -1 when there is none.
    int getCell(const QPoint& point) const;
    void _fontChanged();
    void _setDayArray();
    int _rowHeight() const;
    int _columnWidth() const;
    int _margin() const;
    bool _isSelectable(const QDate& date) const;
    void _selectAt(const QPoint& point);
    void _drawHeader(QPainter& painter);
    void _drawCell(QPainter& painter, int cell);

    const QColor _gridColour{255, 255, 255};
    const QColor _dayTextColour{0, 0, 0};
    const QColor _headerColour{204, 204, 204};
    const QColor _headerLineColour{128, 128, 128};
    const QColor _selectedColour{207, 245, 232};
    const QColor _unselectableColour{Qt::gray};

    QDate _minimum;
    QDate _maximum;
    QDate _selected;
    QDate _outlined;
    std::array<QDate, s_cellCount> _days;
    std::map<int, quint32> _boldBits;        // month key -> bit (day - 1) per bold day
    std::map<int, QColor> _dayTextColours;   // day key -> colour
    std::map<int, QColor> _dayBackColours;   // day key -> colour
    QFont _normalFont;
    QFont _boldFont;
};
