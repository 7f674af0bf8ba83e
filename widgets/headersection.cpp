#include "widgets/headersection.h"

#include <QHeaderView>
#include <QStyle>

int HeaderSection::indicatorRoom(int headerHeight)
{
    // The triangle is half the header high and stands 4 pixels from the section's right edge;
    // 2 more keep the label clear of it.
    return headerHeight / 2 + 4 + 2;
}

int HeaderSection::width(const QHeaderView* header, const QString& label, bool withIndicator)
{
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int indicator = withIndicator ? indicatorRoom(header->sizeHint().height()) : 0;
    return header->fontMetrics().horizontalAdvance(label) + 2 * margin + indicator;
}
