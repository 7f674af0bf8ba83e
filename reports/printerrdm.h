#pragma once

#include "reports/reportdevicemetrics.h"

#include <memory>

class QPrinter;

// The metrics of a real printer. Building it opens a painter on the printer, which starts
// the print job; destroying it ends the job.
class PrinterRDM : public ReportDeviceMetrics
{
public:
    explicit PrinterRDM(QPrinter& printer);
    ~PrinterRDM() override;

    bool paginated() const override { return true; }
    QSize size() const override { return _size; }
    QSize realSize() const override { return _realSize; }
    QFont getFontEquivalent(const QString& family, int pointSize, bool bold,
                            bool italic) const override;
    QPainter* painter() const override { return _painter.get(); }

private:
    QSize _size;
    QSize _realSize;
    std::unique_ptr<QPainter> _painter;
};
