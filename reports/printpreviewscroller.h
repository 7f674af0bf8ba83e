#pragma once

#include <QScrollArea>

class PreviewRDM;
class Report;

// Shows one page of a report at a zoom, on a gray ground with a drop shadow. The page, its
// frame and its shadow are painted in page coordinates through one scale by the zoom, so
// they agree at every step; the contents are (page size + 48) x zoom pixels.
class PrintPreviewScroller : public QScrollArea
{
    Q_OBJECT

public:
    explicit PrintPreviewScroller(QWidget* parent);

    // Shows page 0 of `report` (not owned), laid out for `metrics` (not owned).
    void setReport(Report* report, PreviewRDM* metrics, float zoom);
    int currentPage() const { return _page; }
    // Shows another page and repaints.
    void setCurrentPage(int page);
    // The size of the painted contents in pixels.
    QSize contentsSize() const;

    // Paints the part `clip` (in contents pixels) of the contents: every pixel of it.
    void drawContents(QPainter* painter, const QRect& clip) const;

private:
    class Contents;

    void _drawPage(QPainter* painter, const QRect& clip) const;

    Contents* _contents;
    Report* _report = nullptr;
    PreviewRDM* _metrics = nullptr;
    int _page = 0;
    float _zoom = 1.0f;
};
