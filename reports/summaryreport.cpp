#include "reports/summaryreport.h"

#include "reports/reportdevicemetrics.h"
#include "reports/splitrect.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>

namespace {

// The width a cell needs for its figures on screen; a narrower one borrows the text's.
constexpr int FiguresWidth = 315;
// The smallest text size a cell falls back to, in the metrics' font units.
constexpr int MinimumTextSize = 6;
// On screen the text column has this fixed size along the page.
constexpr int ScreenTextExtent = 435;
constexpr int ScreenTallTextExtent = 460;

const QColor FatColour(251, 134, 121);
const QColor CarbohydrateColour(169, 190, 241);
const QColor ProteinColour(183, 250, 160);

} // namespace

SummaryReport::SummaryReport(ReportDeviceMetrics* metrics, const SummaryReportData* data)
    : _metrics(metrics), _data(data)
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
    if (data->sectionCount == 7) {
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
    return int(_data->pages.size());
}

QFont SummaryReport::_font(int size, bool bold, bool italic) const
{
    return _metrics->getFontEquivalent(QStringLiteral("Arial"), size, bold, italic);
}

void SummaryReport::draw(QPainter* painter, int page) const
{
    if (page < 0 || page >= getPageCount())
        return;
    const SummaryReportData::PageData& data = *_data->pages[size_t(page)];
    _drawText(painter, data);
    for (int section = 0; section < _data->sectionCount; ++section) {
        // A factory switched to more sections than this layout has places for.
        if (!_sections[size_t(section)].isNull())
            _drawSection(painter, page, section);
    }
}

void SummaryReport::_drawText(QPainter* painter, const SummaryReportData::PageData& page) const
{
    QTextDocument document;
    document.documentLayout()->setPaintDevice(painter->device());
    document.setDefaultFont(_font(_bodySize, false, false));
    document.setHtml(_metrics->paginated() ? page.heading + page.body : page.body);
    document.setTextWidth(_text.width());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = _data->colours;
    context.clip = QRectF(0, 0, _text.width(), _text.height());
    painter->save();
    painter->translate(_text.topLeft());
    painter->setClipRect(context.clip);
    document.documentLayout()->draw(painter, context);
    painter->restore();
}

SummaryReport::SectionLayout SummaryReport::sectionLayout(const QPaintDevice* device, int page,
                                                         int section) const
{
    const Texts& texts = _data->pages[size_t(page)]->texts[size_t(section)];
    const int s = _spacing;
    SectionLayout layout;
    layout.inner = _sections[size_t(section)];
    layout.body = layout.inner;
    if (section > 0) {
        moveRectIn(layout.inner, s / 4);
        // A long title in a narrow cell gets a smaller font rather than lose its ends.
        for (int z = _titleSize;; --z) {
            layout.title = _font(z, true, false);
            if (z <= MinimumTextSize
                || QFontMetrics(layout.title, device).horizontalAdvance(texts[0])
                    <= layout.inner.width())
                break;
        }
        const QRect title = QFontMetrics(layout.title, device)
                                .boundingRect(layout.inner, Qt::AlignHCenter | Qt::AlignTop, texts[0]);
        layout.body = layout.inner;
        layout.body.setTop(title.bottom());
    }
    QRect q = layout.body;
    if (!_metrics->paginated() && section == 0 && q.width() <= FiguresWidth - 1) {
        const QRect both = _text.united(q);
        q = QRect(both.left() + (both.width() - FiguresWidth) / 2, q.top(), FiguresWidth,
                  q.height());
    }
    layout.left = splitRect(q, 0, 2, s / 4, Horizontal);
    layout.right = splitRect(q, 1, 2, s / 4, Horizontal);
    _fitFigures(device, texts, section == 0 ? _bodySize : _detailSize, section == 0, layout);
    return layout;
}

void SummaryReport::_fitFigures(const QPaintDevice* device, const Texts& texts, int size, bool key,
                                SectionLayout& layout) const
{
    const QStringList leftLabels = (texts[1] + QLatin1Char('\n') + texts[4]).split(QLatin1Char('\n'));
    const QStringList leftValues = (texts[2] + QLatin1Char('\n') + texts[5]).split(QLatin1Char('\n'));
    const QStringList rightLabels = texts[6].split(QLatin1Char('\n'));
    const QStringList rightValues = texts[7].split(QLatin1Char('\n'));
    const QStringList shares = texts[3].split(QLatin1Char('\n'));
    const auto fits = [&](const SectionLayout& l) {
        const QFontMetrics bold(l.bold, device);
        const QFontMetrics normal(l.normal, device);
        const QFontMetrics italic(l.italic, device);
        const int gap = normal.horizontalAdvance(QLatin1Char(' '));
        const auto besideEachOther = [&](const QStringList& labels, const QStringList& values,
                                         int width) {
            for (qsizetype i = 0; i < std::min(labels.size(), values.size()); ++i) {
                if (bold.horizontalAdvance(labels[i]) + gap + normal.horizontalAdvance(values[i])
                    > width)
                    return false;
            }
            return true;
        };
        for (const QString& line : shares) {
            if (italic.horizontalAdvance(line) + l.keyWidth > l.right.width())
                return false;
        }
        const int lines = int(leftLabels.size());
        return besideEachOther(leftLabels, leftValues, l.left.width())
            && besideEachOther(rightLabels, rightValues, l.right.width())
            && lines * std::max(normal.lineSpacing(), italic.lineSpacing()) <= l.body.height();
    };
    for (int z = size;; --z) {
        layout.bold = _font(z, true, false);
        layout.normal = _font(z, false, false);
        layout.italic = _font(z, false, true);
        const QFontMetrics italic(layout.italic, device);
        layout.keyWidth = key ? italic.ascent() + 1 + italic.horizontalAdvance(QLatin1Char(' ')) : 0;
        if (z <= MinimumTextSize || fits(layout))
            return;
    }
}

void SummaryReport::_drawSection(QPainter* painter, int pageIndex, int section) const
{
    const SummaryReportData::PageData& page = *_data->pages[size_t(pageIndex)];
    const auto& texts = page.texts[size_t(section)];
    const SectionLayout layout = sectionLayout(painter->device(), pageIndex, section);
    if (section > 0) {
        painter->drawRect(_sections[size_t(section)]);
        painter->setFont(layout.title);
        painter->drawText(layout.inner, Qt::AlignHCenter | Qt::AlignTop, texts[0]);
    }
    QRect r = layout.body;
    BreakdownChart& chart = *page.charts[size_t(section)];
    if (chart.getNutrientTotals()[BreakdownChart::FoodEnergy] < 1.0f) {
        painter->save();
        painter->setPen(Qt::gray);
        painter->setFont(layout.normal);
        painter->drawText(r, Qt::AlignCenter, QObject::tr("Nothing\nrecorded"));
        painter->restore();
        return;
    }
    QRect right = layout.right;
    painter->setFont(layout.bold);
    painter->drawText(layout.left, Qt::AlignBottom | Qt::AlignLeft,
                      texts[1] + QLatin1Char('\n') + texts[4]);
    painter->drawText(right, Qt::AlignBottom | Qt::AlignLeft, texts[6]);
    painter->setFont(layout.normal);
    QRect values;
    painter->drawText(layout.left, Qt::AlignBottom | Qt::AlignRight,
                      texts[2] + QLatin1Char('\n') + texts[5], &values);
    painter->drawText(right, Qt::AlignBottom | Qt::AlignRight, texts[7]);
    right.setTop(values.top());
    painter->setFont(layout.italic);
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
