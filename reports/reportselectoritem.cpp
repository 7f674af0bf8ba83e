#include "reports/reportselectoritem.h"

ReportSelectorItem::ReportSelectorItem(QListWidget* list, const QString& text, const QPixmap& pixmap)
    : QListWidgetItem(text, list), _pixmap(pixmap)
{
}
