#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class QPainter;

// What a report needs to know of the device it is laid out for.
class ReportDeviceMetrics
{
public:
    virtual ~ReportDeviceMetrics() = default;
    // Whether the output is cut into pages of size().
    virtual bool paginated() const = 0;
    // The page size in device pixels.
    virtual QSize size() const = 0;
    // The page size in millimetres.
    virtual QSize realSize() const = 0;
    virtual QFont getFontEquivalent(const QString& family, int pointSize, bool bold,
                                    bool italic) const = 0;
    // Painter for this device; null when the caller supplies one.
    virtual QPainter* painter() const = 0;
};
