#include "reports/printpreviewscroller.h"

#include "reports/previewrdm.h"
#include "reports/report.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

namespace {
// Gray ground at the left and top of the page, shadow and gray ground at the right and
// bottom, in page pixels.
constexpr int Lead = 24;
constexpr int ShadowWidth = 4;
constexpr int Trail = 20;
constexpr int ShadowStart = 28;
} // namespace

// The scrolled widget: it hands every paint to the scroller.
class PrintPreviewScroller::Contents : public QWidget
{
public:
    explicit Contents(const PrintPreviewScroller* scroller) : _scroller(scroller)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        _scroller->drawContents(&painter, event->rect());
    }

private:
    const PrintPreviewScroller* _scroller;
};

PrintPreviewScroller::PrintPreviewScroller(QWidget* parent)
    : QScrollArea(parent), _contents(new Contents(this))
{
    setObjectName(QStringLiteral("scroller"));
    setWidgetResizable(false);
    setWidget(_contents);
    _contents->resize(contentsSize());
}

void PrintPreviewScroller::setReport(Report* report, PreviewRDM* metrics, float zoom)
{
    _report = report;
    _metrics = metrics;
    _zoom = zoom;
    _page = 0;
    _contents->resize(contentsSize());
    _contents->update();
}

void PrintPreviewScroller::setCurrentPage(int page)
{
    _page = page;
    _contents->update();
}

QSize PrintPreviewScroller::contentsSize() const
{
    const QSize page = _metrics ? _metrics->size() : QSize(0, 0);
    return QSize(int((page.width() + 2 * Lead) * _zoom), int((page.height() + 2 * Lead) * _zoom));
}

void PrintPreviewScroller::drawContents(QPainter* painter, const QRect& clip) const
{
    const QSize page = _metrics ? _metrics->size() : QSize(0, 0);
    const int width = page.width() + 2 * Lead;
    const int height = page.height() + 2 * Lead;
    painter->fillRect(clip, Qt::gray);
    painter->save();
    painter->scale(_zoom, _zoom);
    painter->fillRect(QRect(width - Lead, ShadowStart, ShadowWidth, height - Trail - ShadowStart),
                      Qt::black);
    painter->fillRect(QRect(ShadowStart, height - Lead, width - Trail - ShadowStart, ShadowWidth),
                      Qt::black);
    painter->restore();
    const QRect pageArea(QPoint(int(Lead * _zoom), int(Lead * _zoom)),
                         QSize(int(page.width() * _zoom), int(page.height() * _zoom)));
    const QRect exposed = pageArea.intersected(clip);
    if (!exposed.isEmpty())
        _drawPage(painter, exposed);
}

// Draws the exposed part of the page through a pixmap of its size, so that scrolling
// does not flicker.
void PrintPreviewScroller::_drawPage(QPainter* painter, const QRect& exposed) const
{
    QPixmap pixmap(exposed.size());
    pixmap.fill(Qt::white);
    if (_report) {
        QPainter onPixmap(&pixmap);
        onPixmap.setClipRect(pixmap.rect());
        onPixmap.translate(-exposed.topLeft());
        onPixmap.scale(_zoom, _zoom);
        onPixmap.translate(Lead, Lead);
        _report->draw(&onPixmap, _page);
    }
    painter->drawPixmap(exposed.topLeft(), pixmap);
}
