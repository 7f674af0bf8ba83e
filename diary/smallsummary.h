#pragma once

#include "diary/summaryobject.h"

#include "core/dbtypes.h"

#include <QFont>
#include <QFontMetrics>

#include <utility>
#include <vector>

class QPainter;

// The one-line summary: the Small nutrients as short figures, as many to a row as fit, red
// where a value is above its target.
class SmallSummary : public SummaryObject
{
    Q_OBJECT

public:
    // A line's text and whether it is drawn in red.
    using Line = std::pair<QString, bool>;

    SmallSummary(QWidget* parent, const char* name, int flags);

    const std::vector<Line>& lines() const { return _lines; }

    // The minimum height the lines need at the panel's width.
    QSize minimumSizeHint() const override;
    // Shows the panel only while it has a line.
    void setVisible(bool visible) override;

    void drawContents(QPainter* painter);

    // A nutrient's line, its figures in the user's units.
    static Line lineFor(DBTypes::NutType nutrient, float value, float target, bool hasTarget);
    // Lines of `widest` pixels that fit side by side in `width`.
    static int columns(int width, int widest);
    // The height of `lineCount` lines at `columnCount` to a row; one to a row when none fits.
    static int requiredHeight(int lineCount, int columnCount, int ascent);

public slots:
    void updateValues();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void _fitHeight();

    QFont _font;
    QFontMetrics _metrics;
    int _ascent;
    int _widest = 0;
    std::vector<Line> _lines;
};
