#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QSize>

class QWidget;

// The process-wide paper size, orientation and colour mode applied to every print job.
// Held in memory only: every start begins with A4, portrait, colour.
class PageSetup
{
public:
    static PageSetup* instance();
    static void cleanUp();
    ~PageSetup();

    QPageSize::PageSizeId pageSize() const { return _pageSize; }
    QPageLayout::Orientation orientation() const { return _orientation; }
    QPrinter::ColorMode colorMode() const { return _colorMode; }
    void setPageSize(QPageSize::PageSizeId size) { _pageSize = size; }
    void setOrientation(QPageLayout::Orientation orientation) { _orientation = orientation; }
    void setColorMode(QPrinter::ColorMode mode) { _colorMode = mode; }

    void applyTo(QPrinter& printer) const;
    // Paper size in mm, already swapped for landscape.
    QSize realSize() const;
    // Runs the page set-up dialog; true when OK was pressed and a setting changed.
    bool doDialog(QWidget* parent);
    void getFrom(const QPrinter& printer);
    bool virginState() const { return _virgin; }

private:
    PageSetup() = default;
    PageSetup(const PageSetup&) = delete;
    PageSetup& operator=(const PageSetup&) = delete;

    static PageSetup* s_instance;

    QPageSize::PageSizeId _pageSize = QPageSize::A4;
    QPageLayout::Orientation _orientation = QPageLayout::Portrait;
    QPrinter::ColorMode _colorMode = QPrinter::Color;
    bool _virgin = true;
};
