#pragma once

#include "diary/summaryobject.h"

#include "core/dbtypes.h"

#include <QFont>

#include <map>

class SummaryNutrientWidget;

// The nutrient bars of the summary panel: the Large bars first, then the Medium ones, each
// group in nutrient order.
class SummaryWidget : public SummaryObject
{
    Q_OBJECT

public:
    SummaryWidget(QWidget* parent, const char* name, int flags);

    SummaryNutrientWidget* bar(DBTypes::NutType nutrient) const { return _bars.at(nutrient); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Shows the bars only while there is one to show.
    void setVisible(bool visible) override;

public slots:
    void updateTargets();
    void updateValues();
    void _doLayout();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::map<DBTypes::NutType, SummaryNutrientWidget*> _bars;
    QFont _mini;
    QFont _smallEmphasized;
    QFont _emphasized;
    int _largeCount = 0;
    int _mediumCount = 0;
};
