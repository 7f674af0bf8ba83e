#pragma once

#include <QWidget>

class QFrame;
class QListWidget;
class QListWidgetItem;
class ReportViewer;

// The reports page: the list of report kinds and the viewer of the chosen one.
class ReportsContainer : public QWidget
{
    Q_OBJECT

public:
    ReportsContainer(QWidget* parent, const char* name, Qt::WindowFlags flags = {});
    ~ReportsContainer() override;

    // The viewer shown now, or null when none is built.
    ReportViewer* currentViewer() const;
    // The text of the list's current entry.
    QString getCurrentItem() const;
    int currentReportId() const { return _currentReport; }

signals:
    // Context 3 names the reports page.
    void requestEditMenuRefresh(const int context, const int state);

public slots:
    // Emits requestEditMenuRefresh(3, 0) and raises the page in its page stack.
    void raiseWidget();
    void handleReportChanged(int id);

private slots:
    void _itemChanged(QListWidgetItem* item);

private:
    void _addEntry(int id, const QString& text, const char* icon);

    QListWidget* _list;
    QFrame* _currentWidget = nullptr;
    int _currentReport = 0;
};
