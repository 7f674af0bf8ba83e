#include "reports/reportscontainer.h"

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "widgets/storeprompt.h"
#include "reports/breakdownreportviewer.h"
#include "reports/nutrientreportviewer.h"
#include "reports/reportsselector.h"
#include "reports/reportsselectoritem.h"
#include "reports/reportviewer.h"
#include "reports/stepreportviewer.h"
#include "reports/summaryreportviewer.h"
#include "reports/weightreportviewer.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QStackedWidget>

#include <memory>

ReportsContainer::ReportsContainer(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QWidget(parent, flags), _layout(new QHBoxLayout(this)), _list(new ReportsSelector(this))
{
    setObjectName(QString::fromLatin1(name));
    _list->setObjectName(QStringLiteral("reportsSelector"));
    _layout->setContentsMargins(6, 6, 6, 6);
    _layout->setSpacing(6);
    _layout->addWidget(_list, 1);

    _addEntry(Breakdowns, tr("Breakdowns"), "graphics.icon.breakdown");
    _addEntry(Nutrients, tr("Nutrients"), "graphics.icon.nutrient");
    _addEntry(Weight, tr("Weight"), "graphics.icon.weight");
    _addEntry(DailySummary, tr("Daily Summary"), "graphics.icon.summary");
    if (_stepsEnabled())
        _addEntry(Steps, tr("Steps"), "graphics.icon.pedometer");
    _list->sortItems(Qt::AscendingOrder);

    _currentReport = BXSettings().getInt(BXSettings::SelectedReport);
    _selectListed();
    connect(_list, &QListWidget::currentItemChanged, this, &ReportsContainer::_itemChanged);
}

ReportsContainer::~ReportsContainer()
{
    if (ReportViewer* viewer = currentViewer())
        viewer->saveSettings();
    if (const auto* item = static_cast<const ReportsSelectorItem*>(_list->currentItem()))
        BXSettings().setInt(BXSettings::SelectedReport, item->id());
}

bool ReportsContainer::_stepsEnabled() const
{
    const BrandEngine* brand = BrandEngine::instance();
    return brand->idExists("steps_measurement_enabled") && brand->getBool("steps_measurement_enabled");
}

void ReportsContainer::_addEntry(int id, const QString& text, const char* icon)
{
    const BrandEngine* brand = BrandEngine::instance();
    const QPixmap pixmap = brand->idExists(icon) ? brand->getPixmap(icon) : QPixmap();
    new ReportsSelectorItem(_list, id, text, pixmap);
}

ReportViewer* ReportsContainer::currentViewer() const
{
    return dynamic_cast<ReportViewer*>(_currentWidget);
}

QString ReportsContainer::getCurrentItem() const
{
    const QListWidgetItem* item = _list->currentItem();
    return item ? item->text() : QString();
}

// Nothing is read as the page is shown: the page is raised once its report was read.
void ReportsContainer::raiseWidget()
{
    auto* stack = qobject_cast<QStackedWidget*>(parentWidget());
    if (stack && stack->currentWidget() != this && !reload())
        return;
    emit requestEditMenuRefresh(3, 0);
    if (stack)
        stack->setCurrentWidget(this);
}

bool ReportsContainer::reload()
{
    return handleReportChanged(_currentReport, true);
}

void ReportsContainer::handleReportChanged(int id)
{
    handleReportChanged(id, false);
}

bool ReportsContainer::handleReportChanged(int id, bool force)
{
    if (id == _lastBuilt && !force)
        return true;
    std::unique_ptr<QFrame> viewer = readReport(id);
    const bool read = viewer != nullptr;
    if (read)
        showReport(id, std::move(viewer));
    // The list names the report the page shows, also when the new one was not shown.
    _selectListed();
    return read;
}

std::unique_ptr<QFrame> ReportsContainer::readReport(int id)
{
    // The report shown stays until the new one was read whole: it reads as it loads the
    // settings it was left with, which the shown one saves first.
    if (ReportViewer* shown = currentViewer())
        shown->saveSettings();
    std::unique_ptr<QFrame> viewer;
    const bool read = StorePrompt::read(this, [this, id, &viewer] {
        viewer.reset(_makeViewer(id));
        dynamic_cast<ReportViewer&>(*viewer).loadSettings();
    });
    if (!read)
        viewer.reset();
    return viewer;
}

void ReportsContainer::showReport(int id, std::unique_ptr<QFrame> viewer)
{
    _currentReport = id;
    _lastBuilt = id;
    setCurrentWidget(viewer.release());
    _selectListed();
}

// The Weight entry stands for any report the list does not offer.
void ReportsContainer::_selectListed()
{
    const QSignalBlocker blocker(_list);
    for (const int id : {int(Weight), _currentReport}) {
        for (int row = 0; row < _list->count(); ++row) {
            if (static_cast<const ReportsSelectorItem*>(_list->item(row))->id() == id)
                _list->setCurrentRow(row);
        }
    }
}

QFrame* ReportsContainer::_makeViewer(int id) const
{
    switch (id) {
    case Nutrients:
        return new NutrientReportViewer;
    case Breakdowns:
        return new BreakdownReportViewer;
    case DailySummary:
        return new SummaryReportViewer;
    case Steps:
        if (_stepsEnabled())
            return new StepReportViewer;
        break;
    default:
        break;
    }
    // The Weight entry is the one the list shows for any report it does not offer.
    return new WeightReportViewer;
}

void ReportsContainer::setCurrentWidget(QFrame* viewer)
{
    delete _currentWidget;
    _currentWidget = viewer;
    if (!viewer)
        return;
    viewer->setParent(this);
    viewer->hide();
    _layout->addWidget(viewer, 9);
    viewer->show();
    _layout->activate();
}

void ReportsContainer::_itemChanged(QListWidgetItem* item)
{
    // Once the list has handled the click: a question asked inside it would leave the list
    // selecting the entry after the answer put it back.
    if (item)
        QMetaObject::invokeMethod(
            this, [this, id = static_cast<const ReportsSelectorItem*>(item)->id()] { handleReportChanged(id, false); },
            Qt::QueuedConnection);
}
