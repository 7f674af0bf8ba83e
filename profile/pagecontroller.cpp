#include "profile/pagecontroller.h"

#include <QDebug>
#include <QMetaObject>
#include <QWidget>

PageController::PageController(QWidget* page)
    : _page(page)
{
}

PageController::~PageController() = default;

void PageController::load(const DBTypes::UserProfile*, const DBTypes::CheckinItem*,
                          const DBTypes::UserPrefs*)
{
    qDebug("PageController - Default Load");
}

void PageController::save(DBTypes::UserProfile*, DBTypes::CheckinItem*, DBTypes::UserPrefs*)
{
    qDebug("PageController - Default Save");
}

void PageController::start()
{
}

bool PageController::isPageComplete()
{
    return true;
}

void PageController::notify(QWidget* receiver, const char* member)
{
    if (!_page || _page->metaObject()->indexOfSignal("stateChanged()") < 0)
        return;
    QObject::connect(_page, SIGNAL(stateChanged()), receiver, member);
}
