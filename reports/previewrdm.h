#pragma once

#include "reports/reportdevicemetrics.h"

// The metrics of the print preview: a page of a given size in pixels and in millimetres,
// drawn with the painter the preview was given (none in this program).
class PreviewRDM : public ReportDeviceMetrics
{
public:
    PreviewRDM(QSize size, QSize realSize, QPainter* painter);

    bool paginated() const override { return true; }
    QSize size() const override { return _size; }
    QSize realSize() const override { return _realSize; }
    QFont getFontEquivalent(const QString& family, int pointSize, bool bold,
                            bool italic) const override;
    QPainter* painter() const override { return _painter; }

private:
    QSize _size;
    QSize _realSize;
    QPainter* _painter;
};
