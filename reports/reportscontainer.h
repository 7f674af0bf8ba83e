#pragma once

#include <QWidget>

#include <memory>

class QFrame;
class QHBoxLayout;
class QListWidgetItem;
class ReportViewer;
class ReportsSelector;

// Reports page: report picker on the left, viewer on the right. The viewer is recreated
// whenever the selection changes or the page comes back into view.
class ReportsContainer : public QWidget
{
    Q_OBJECT

public:
    enum ReportId { Weight = 0, Nutrients = 1, Breakdowns = 2, Steps = 3, DailySummary = 4 };

    ReportsContainer(QWidget* parent, const char* name, Qt::WindowFlags flags = {});
    ~ReportsContainer() override;

    // The viewer shown now, or null when none is built.
    ReportViewer* currentViewer() const;
    QFrame* currentWidget() const { return _currentWidget; }
    // The text of the list's current entry.
    QString getCurrentItem() const;
    int currentReportId() const { return _currentReport; }
    ReportsSelector* selector() const { return _list; }

    // Shows `viewer` (taking it over, its settings loaded) in place of the viewer shown; null
    // shows none.
    void setCurrentWidget(QFrame* viewer);
    // A new viewer of the report `id`, read whole in one reading (or as part of the caller's);
    // nothing, with the report shown as it was, when it could not be read.
    std::unique_ptr<QFrame> readReport(int id);
    // Shows a viewer readReport(id) read in place of the one shown.
    void showReport(int id, std::unique_ptr<QFrame> viewer);

signals:
    // Context 3 names the reports page.
    void requestEditMenuRefresh(const int context, const int state);

public slots:
    // Reads the report shown again, then raises the page in its page stack and emits
    // requestEditMenuRefresh(3, 0); the page shown before stays when it could not be read.
    void raiseWidget();
    // Reads and shows the report shown again in one reading; false, with the report as it
    // was, when it could not be read.
    bool reload();
    void handleReportChanged(int id);
    // Builds the viewer of `id` unless it is the one built last, or `force` is set; false when
    // it was to be built and could not be read.
    bool handleReportChanged(int id, bool force);

private slots:
    void _itemChanged(QListWidgetItem* item);

private:
    void _addEntry(int id, const QString& text, const char* icon);
    bool _stepsEnabled() const;
    // A new viewer of the report, without a parent.
    QFrame* _makeViewer(int id) const;
    // Selects the current report in the list without reporting it as a choice.
    void _selectListed();

    QHBoxLayout* _layout;
    ReportsSelector* _list;
    QFrame* _currentWidget = nullptr;
    int _currentReport = Weight;
    int _lastBuilt = -1;
};
