#include "reports/simplereportscroller.h"

#include "reports/report.h"
#include "reports/reportfactorywithsizepreference.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

// The scrolled contents: draws whatever part of the page is exposed.
class SimpleReportScroller::Page : public QWidget
{
public:
    explicit Page(SimpleReportScroller* scroller) : _scroller(scroller)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const QRect exposed = event->rect();
        QPainter painter(this);
        _scroller->drawContents(&painter, exposed.x(), exposed.y(), exposed.width(),
                                exposed.height());
    }

private:
    SimpleReportScroller* _scroller;
};

SimpleReportScroller::SimpleReportScroller(QWidget* parent)
    : QScrollArea(parent), _page(new Page(this))
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    setBackgroundRole(QPalette::Window);
    setWidgetResizable(false);
    _page->resize(0, 0);
    setWidget(_page);
}

SimpleReportScroller::~SimpleReportScroller() = default;

void SimpleReportScroller::setReportFactory(ReportFactoryWithSizePreference* factory)
{
    _factory = factory;
    _report.reset();
    _layOut();
}

QSize SimpleReportScroller::chooseSize(const std::vector<QSize>& sizes, const QSize& visible)
{
    for (const QSize& size : sizes) {
        const int room = size.height() > visible.height() ? visible.width() - 10 : visible.width();
        if (size.width() <= room)
            return size;
    }
    return sizes.empty() ? QSize() : sizes.back();
}

void SimpleReportScroller::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    _layOut();
}

void SimpleReportScroller::_layOut()
{
    if (!_factory)
        return;
    std::vector<QSize> sizes;
    _factory->getSizes(sizes);
    const QSize chosen = chooseSize(sizes, viewport()->size());
    if (_report && _metrics.size() == chosen)
        return;
    _metrics.setSize(chosen);
    _report.reset();
    _report.reset(_factory->getReport(&_metrics));
    _page->resize(chosen);
    _page->update();
}

void SimpleReportScroller::repaintContents()
{
    _page->update();
}

void SimpleReportScroller::drawContents(QPainter* painter, int cx, int cy, int cw, int ch)
{
    QPixmap pixmap(cw, ch);
    if (pixmap.isNull())
        return;
    pixmap.fill(Qt::white);
    {
        QPainter onPixmap(&pixmap);
        onPixmap.translate(-cx, -cy);
        if (_report)
            _report->draw(&onPixmap, 0);
    }
    painter->drawPixmap(cx, cy, pixmap);
}
