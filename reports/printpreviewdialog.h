#pragma once

#include <QDialog>

#include <memory>

class NumberValidator;
class PreviewRDM;
class PrintPreviewScroller;
class QComboBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class Report;
class ReportFactory;

// Page-by-page print preview with zoom. Print accepts the dialog, Close rejects it and
// nothing goes to the printer.
class PrintPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    // The factory stays the caller's; `painter` is the one the report draws with, or null.
    PrintPreviewDialog(ReportFactory* factory, QWidget* parent, QPainter* painter);
    ~PrintPreviewDialog() override;

    // The report shown; null when its layout was cancelled.
    Report* report() const { return _report.get(); }
    PreviewRDM* metrics() const { return _metrics.get(); }
    PrintPreviewScroller* scroller() const { return _scroller; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void _changeZoom(int index);
    void _pageSetup();
    void _gotoFirst();
    void _gotoPrevious();
    void _gotoNext();
    void _gotoLast();
    void _gotoLineEditPage();

private:
    QPushButton* _button(const char* name, const QString& text);
    void _setupReport();
    void _fitToScreen();
    float _getZoom() const;
    void _gotoPage(int page);
    int _pageCount() const;

    ReportFactory* _factory;
    QPainter* _painter;
    std::unique_ptr<PreviewRDM> _metrics;
    std::unique_ptr<Report> _report;
    PrintPreviewScroller* _scroller;
    QPushButton* _firstButton;
    QPushButton* _previousButton;
    QLineEdit* _pageEdit;
    NumberValidator* _pageValidator;
    QLabel* _ofLabel;
    QPushButton* _nextButton;
    QPushButton* _lastButton;
    QComboBox* _zoomCombo;
};
