#pragma once

#include <QListWidget>

class ReportSelectorItem;

// A one-column list of icons with names. It highlights the entry under the mouse, and a
// press on the empty area below the entries never clears the selection.
class ReportSelector : public QListWidget
{
    Q_OBJECT

public:
    explicit ReportSelector(QWidget* parent = nullptr);

    ReportSelectorItem* hovered() const { return _hovered; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void _setHovered(ReportSelectorItem* item);

    ReportSelectorItem* _hovered = nullptr;
};
