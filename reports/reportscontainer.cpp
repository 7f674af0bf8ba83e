#include "reports/reportscontainer.h"

#include "core/brandengine.h"
#include "core/bxsettings.h"
#include "reports/reportviewer.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QStackedWidget>

#include <memory>

namespace {

constexpr int ReportIdRole = Qt::UserRole;

} // namespace

ReportsContainer::ReportsContainer(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QWidget(parent, flags), _list(new QListWidget(this))
{
    setObjectName(QString::fromLatin1(name));
    _list->setObjectName(QStringLiteral("reportsSelector"));
    _list->setMinimumWidth(100);
    _list->setViewMode(QListView::ListMode);
    _list->setSortingEnabled(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(_list, 1);
    layout->addStretch(9);

    const BrandEngine* brand = BrandEngine::instance();
    _addEntry(2, tr("Breakdowns"), "graphics.icon.breakdown");
    _addEntry(1, tr("Nutrients"), "graphics.icon.nutrient");
    _addEntry(0, tr("Weight"), "graphics.icon.weight");
    _addEntry(4, tr("Daily Summary"), "graphics.icon.summary");
    if (brand->idExists("steps_measurement_enabled") && brand->getBool("steps_measurement_enabled"))
        _addEntry(3, tr("Steps"), "graphics.icon.pedometer");

    BXSettings settings;
    _currentReport = settings.getInt(BXSettings::SelectedReport);
    for (int i = 0; i < _list->count(); ++i) {
        if (_list->item(i)->data(ReportIdRole).toInt() == 0)
            _list->setCurrentRow(i);
    }
    handleReportChanged(_currentReport);
    connect(_list, &QListWidget::currentItemChanged, this, &ReportsContainer::_itemChanged);
}

ReportsContainer::~ReportsContainer()
{
    if (ReportViewer* viewer = currentViewer())
        viewer->saveSettings();
    if (const QListWidgetItem* item = _list->currentItem()) {
        BXSettings settings;
        settings.setInt(BXSettings::SelectedReport, item->data(ReportIdRole).toInt());
    }
}

void ReportsContainer::_addEntry(int id, const QString& text, const char* icon)
{
    const BrandEngine* brand = BrandEngine::instance();
    auto* item = new QListWidgetItem(text, _list);
    if (brand->idExists(icon)) {
        const std::unique_ptr<QPixmap> pixmap(brand->getPixmapPtr(icon));
        item->setIcon(QIcon(*pixmap));
    }
    item->setData(ReportIdRole, id);
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

void ReportsContainer::raiseWidget()
{
    emit requestEditMenuRefresh(3, 0);
    if (auto* stack = qobject_cast<QStackedWidget*>(parentWidget()))
        stack->setCurrentWidget(this);
}

void ReportsContainer::handleReportChanged(int id)
{
    for (int i = 0; i < _list->count(); ++i) {
        if (_list->item(i)->data(ReportIdRole).toInt() == id) {
            _list->setCurrentRow(i);
            _currentReport = id;
        }
    }
}

void ReportsContainer::_itemChanged(QListWidgetItem* item)
{
    if (item)
        _currentReport = item->data(ReportIdRole).toInt();
}
