#pragma once

#include "reports/reportdevicemetrics.h"

// The metrics of an on-screen report view: one long page whose size the view chooses, in
// pixels that also stand for millimetres, so that the 20 mm margin is 20 pixels.
class SimpleReportMetrics : public ReportDeviceMetrics
{
public:
    SimpleReportMetrics() = default;

    void setSize(QSize size) { _size = size; }

    bool paginated() const override { return false; }
    QSize size() const override { return _size; }
    QSize realSize() const override { return _size; }
    QFont getFontEquivalent(const QString& family, int pointSize, bool bold,
                            bool italic) const override;
    QPainter* painter() const override { return nullptr; }

private:
    QSize _size{-1, -1};
};
