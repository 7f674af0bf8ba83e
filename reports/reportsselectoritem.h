#pragma once

#include "reports/reportselectoritem.h"

// An entry of the reports page's list, naming its report by id.
class ReportsSelectorItem : public ReportSelectorItem
{
public:
    ReportsSelectorItem(QListWidget* list, int id, const QString& text, const QPixmap& pixmap)
        : ReportSelectorItem(list, text, pixmap), _id(id)
    {
    }

    int id() const { return _id; }

private:
    int _id;
};
