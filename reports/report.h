#pragma once

class QPainter;

// A report laid out once for one device; it draws any of its pages on request.
class Report
{
public:
    virtual ~Report() = default;
    // Draws page `page` (from 0) in the device pixels of the report's metrics.
    virtual void draw(QPainter* painter, int page) const = 0;
    // 0 when there is nothing to print.
    virtual int getPageCount() const = 0;
};
