#include "reports/printerrdm.h"

#include <QPainter>
#include <QPrinter>

PrinterRDM::PrinterRDM(QPrinter& printer)
    : _size(printer.width(), printer.height()),
      _realSize(printer.widthMM(), printer.heightMM()),
      _painter(std::make_unique<QPainter>(&printer))
{
    _painter->setClipping(true);
}

PrinterRDM::~PrinterRDM() = default;

QFont PrinterRDM::getFontEquivalent(const QString& family, int pointSize, bool bold,
                                    bool italic) const
{
    return QFont(family, pointSize, bold ? QFont::Bold : QFont::Normal, italic);
}
