#include "net/bxpublish.h"

#include "core/brandengine.h"
#include "net/orvurlparams.h"

#include <QMessageBox>
#include <QWidget>

BxPublish::BxPublish(QWidget* parent)
    : QObject(parent), _parentWidget(parent)
{
}

bool BxPublish::prepare()
{
    _url = BrandEngine::instance()->getString("publish_auth_url");
    const QString error = OrvUrlParams::replaceAll(_url);
    if (error.isEmpty())
        return true;
    QMessageBox::warning(_parentWidget, tr("Publish Diary"), error);
    return false;
}

void BxPublish::publish()
{
    // No web client is available to this build yet: nothing is sent and nothing is marked
    // as published.
    QMessageBox::warning(_parentWidget, tr("Publish Diary"),
                         tr("Your diary could not be published: this version cannot reach "
                            "the online diary."));
}
