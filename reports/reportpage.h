#pragma once

#include "reports/reportdevicemetrics.h"

#include <QPainter>
#include <QRect>

// The printable area every report keeps: the page less a margin of 20 mm on paper
// (20 pixels on screen, where a millimetre is a pixel).
namespace ReportPage {

inline int margin(const ReportDeviceMetrics& metrics)
{
    const int mm = metrics.realSize().width();
    return mm > 0 ? metrics.size().width() * 20 / mm : 0;
}

inline QRect body(const ReportDeviceMetrics& metrics)
{
    const int m = margin(metrics);
    const QSize size = metrics.size();
    return QRect(QPoint(m, m), QPoint(size.width() - m - 1, size.height() - m - 1));
}

// The device text is measured for: the one the metrics' painter draws on, else the screen.
inline QPaintDevice* measuringDevice(const ReportDeviceMetrics& metrics)
{
    return metrics.painter() ? metrics.painter()->device() : nullptr;
}

} // namespace ReportPage
