#include "reports/simplereportmetrics.h"

QFont SimpleReportMetrics::getFontEquivalent(const QString& family, int pointSize, bool bold,
                                             bool italic) const
{
    return QFont(family, pointSize, bold ? QFont::Bold : QFont::Normal, italic);
}
