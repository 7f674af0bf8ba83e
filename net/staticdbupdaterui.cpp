#include "net/staticdbupdaterui.h"

#include "core/brandengine.h"
#include "net/staticdbupdater.h"

#include <QMessageBox>
#include <QWidget>

StaticDbUpdaterUI::StaticDbUpdaterUI(QWidget* parent)
    : QObject(parent), _parentWidget(parent)
{
}

void StaticDbUpdaterUI::doUpdate(bool skipCheck)
{
    const BrandEngine* brand = BrandEngine::instance();
    Q_ASSERT_X(brand->idExists("update_rss_url") && brand->idExists("update_enabled")
                   && brand->getBool("update_enabled"),
               "StaticDbUpdaterUI::doUpdate", "update_rss_url && update_enabled");
    Q_UNUSED(skipCheck);
    StaticDbUpdater* updater = StaticDbUpdater::instance();
    if (!updater->checkForUpdate())
        QMessageBox::warning(_parentWidget, tr("Database Updates"), updater->errorString());
}
