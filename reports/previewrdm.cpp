#include "reports/previewrdm.h"

PreviewRDM::PreviewRDM(QSize size, QSize realSize, QPainter* painter)
    : _size(size), _realSize(realSize), _painter(painter)
{
}

QFont PreviewRDM::getFontEquivalent(const QString& family, int pointSize, bool bold,
                                    bool italic) const
{
    return QFont(family, pointSize, bold ? QFont::Bold : QFont::Normal, italic);
}
