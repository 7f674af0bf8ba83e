#include "widgets/bxhelp.h"

#include "widgets/bxhelpclient.h"
#include "core/bxsettings.h"

#include <QAction>
#include <QDir>
#include <QUrl>

#include <cassert>

QAction* BXHelp::s_action = nullptr;
BXHelpClient* BXHelp::s_client = nullptr;

void BXHelp::init(QAction* helpAction, BXHelpClient* client)
{
    assert(client != nullptr && "help");
    assert(helpAction != nullptr && "action");
    s_action = helpAction;
    s_client = client;
}

QString BXHelp::helpFolder()
{
    // The folder may be given without a closing separator (-resourcedir).
    return QDir::cleanPath(BXSettings::joinPaths(BXSettings::getResourceDBPath(),
                                                 QStringLiteral("helphtml")))
        + QLatin1Char('/');
}

QString BXHelp::profilePath()
{
    return helpFolder() + QStringLiteral("help.adp");
}

void BXHelp::showTopic(const QString& page)
{
    assert(s_client != nullptr && "_help");
    if (!s_client->isOpen())
        s_client->setArguments({QStringLiteral("-profile"), profilePath(),
                                QStringLiteral("-startwithcontents")});
    s_client->showPage(helpFolder() + page);
}

void BXHelp::linkTopic(const QString& page)
{
    assert(s_action != nullptr && "_action");
    s_action->setWhatsThis(QUrl::fromLocalFile(helpFolder()).toString() + page);
}
