#include "reports/simplereportmetrics.h"

QFont SimpleReportMetrics::getFontEquivalent(const QString& family, int pointSize, bool bold,
                                             bool italic) const
{
    // The screen layout counts a point as a pixel, as it counts a millimetre as one.
    QFont font(family);
    font.setPixelSize(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}
