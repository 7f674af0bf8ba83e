#include "reports/summaryreport.h"

#include "reports/reportdevicemetrics.h"
#include "reports/splitrect.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

namespace {

// The width a cell needs for its figures on screen; a narrower one borrows the text's.
constexpr int FiguresWidth = 315;
// On screen the text column has this fixed size along the page.
constexpr int ScreenTextExtent = 435;
constexpr int ScreenTallTextExtent = 460;

const QColor FatColour(251, 134, 121);
const QColor CarbohydrateColour(169, 190, 241);
const QColor ProteinColour(183, 250, 160);

} // namespace

SummaryReport::SummaryReport(ReportDeviceMetrics* metrics, SummaryReportFactory* factory)
    : _metrics(metrics), _factory(factory)
{
    const bool paper = metrics->paginated();
    _bodySize = paper ? 11 : 13;
    _titleSize = paper ? 10 : 12;
    _detailSize = paper ? 8 : 11;
    const QSize size = metrics->size();
    const int real = metrics->realSize().width();
    const int margin = real > 0 ? size.width() * 20 / real : 0;
    QRect body(0, 0, size.width(), size.height());
    moveRectIn(body, margin);
    _spacing = paper ? margin / 4 : margin / 2;
    const int s = _spacing;

    QRect a = splitRect(body, 0, 2, s, Longest);
    QRect b = splitRect(body, 1, 2, s, Longest);
    if (!paper) {
        if (body.width() > body.height()) {
            b.setLeft(b.left() + ScreenTextExtent - a.width());
            a.setWidth(ScreenTextExtent);
        } else {
            b.setTop(b.top() + ScreenTallTextExtent - a.height());
            a.setHeight(ScreenTallTextExtent);
        }
    }
    _text = splitRect(a, 0, 2, s, Horizontal);
    _sections[0] = splitRect(a, 1, 2, s, Horizontal);
    // The meals go two to a row, the rows stacked: cut along the longer side, a wide area
    // would put them all side by side, each too narrow for its figures.
    int rows = 2;
    if (factory->sectionCount() == 7) {
        const QRect c = splitRect(b, 2, 3, s, Vertical);
        _sections[5] = splitRect(c, 0, 2, s, Horizontal);
        _sections[6] = splitRect(c, 1, 2, s, Horizontal);
        rows = 3;
    }
    const QRect d = splitRect(b, 0, rows, s, Vertical);
    const QRect e = splitRect(b, 1, rows, s, Vertical);
    _sections[1] = splitRect(d, 0, 2, s, Horizontal);
    _sections[2] = splitRect(d, 1, 2, s, Horizontal);
    _sections[3] = splitRect(e, 0, 2, s, Horizontal);
    _sections[4] = splitRect(e, 1, 2, s, Horizontal);
}

int SummaryReport::getPageCount() const
{
    return int(_factory->pages().size());
}

QFont SummaryReport::_font(int size, bool bold, bool italic) const
{
    return _metrics->getFontEquivalent(QStringLiteral("Arial"), size, bold, italic);
}

void SummaryReport::draw(QPainter* painter, int page) const
{
    if (page < 0 || page >= getPageCount())
        return;
    const SummaryReportFactory::PageData& data = *_factory->pages()[size_t(page)];
    _drawText(painter, data);
    for (int section = 0; section < _factory->sectionCount(); ++section) {
        // A factory switched to more sections than this layout has places for.
        if (!_sections[size_t(section)].isNull())
            _drawSection(painter, data, section);
    }
}

void SummaryReport::_drawText(QPainter* painter, const SummaryReportFactory::PageData& page) const
{
    QTextDocument document;
    document.documentLayout()->setPaintDevice(painter->device());
    document.setDefaultFont(_font(_bodySize, false, false));
    document.setHtml(_metrics->paginated() ? page.heading + page.body : page.body);
    document.setTextWidth(_text.width());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = _factory->colours();
    context.clip = QRectF(0, 0, _text.width(), _text.height());
    painter->save();
    painter->translate(_text.topLeft());
    painter->setClipRect(context.clip);
    document.documentLayout()->draw(painter, context);
    painter->restore();
}

void SummaryReport::_drawSection(QPainter* painter, const SummaryReportFactory::PageData& page,
                                 int section) const
{
    const auto& texts = page.texts[size_t(section)];
    const int s = _spacing;
    const int size = section == 0 ? _bodySize : _detailSize;
    QRect r = _sections[size_t(section)];
    if (section > 0) {
        painter->drawRect(r);
        moveRectIn(r, s / 4);
        painter->setFont(_font(_titleSize, true, false));
        QRect title;
        painter->drawText(r, Qt::AlignHCenter | Qt::AlignTop, texts[0], &title);
        r.setTop(title.bottom());
    }
    BreakdownChart& chart = *page.charts[size_t(section)];
    if (chart.getNutrientTotals()[BreakdownChart::FoodEnergy] < 1.0f) {
        painter->save();
        painter->setPen(Qt::gray);
        painter->drawText(r, Qt::AlignCenter, QObject::tr("Nothing\nrecorded"));
        painter->restore();
        return;
    }
    QRect q = r;
    if (!_metrics->paginated() && section == 0 && q.width() <= FiguresWidth - 1) {
        const QRect both = _text.united(r);
        q = QRect(both.left() + (both.width() - FiguresWidth) / 2, q.top(), FiguresWidth,
                  q.height());
    }
    const QRect left = splitRect(q, 0, 2, s / 4, Horizontal);
    QRect right = splitRect(q, 1, 2, s / 4, Horizontal);
    painter->setFont(_font(size, true, false));
    painter->drawText(left, Qt::AlignBottom | Qt::AlignLeft, texts[1] + QLatin1Char('\n') + texts[4]);
    painter->drawText(right, Qt::AlignBottom | Qt::AlignLeft, texts[6]);
    painter->setFont(_font(size, false, false));
    QRect values;
    painter->drawText(left, Qt::AlignBottom | Qt::AlignRight, texts[2] + QLatin1Char('\n') + texts[5],
                      &values);
    painter->drawText(right, Qt::AlignBottom | Qt::AlignRight, texts[7]);
    right.setTop(values.top());
    painter->setFont(_font(size, false, true));
    painter->drawText(right, Qt::AlignTop | Qt::AlignLeft, texts[3]);
    if (section == 0)
        _drawColourKey(painter, right);
    r.setBottom(values.top());
    chart.print(painter, r);
}

void SummaryReport::_drawColourKey(QPainter* painter, const QRect& lines) const
{
    const QFontMetrics metrics = painter->fontMetrics();
    const int side = metrics.ascent() + 1;
    QRect square(lines.right() - side + 1, lines.top() + metrics.leading(), side, side);
    painter->save();
    painter->setPen(Qt::black);
    for (const QColor& colour : {FatColour, CarbohydrateColour, ProteinColour}) {
        painter->setBrush(colour);
        painter->drawRect(square);
        square.translate(0, metrics.lineSpacing());
    }
    painter->restore();
}
