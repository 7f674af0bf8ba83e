#pragma once

#include <QString>

class BXHelpClient;
class QAction;

// Opens the help pages: every Help button and the context help go through
// showTopic() with a page's file name, optionally followed by "#" and an anchor.
class BXHelp
{
public:
    // Registers the application's help action and the help viewer client; both are
    // required and stay owned by the caller.
    static void init(QAction* helpAction, BXHelpClient* client);
    static void showTopic(const QString& page);
    // Points the help action's what's-this text at a help page.
    static void linkTopic(const QString& page);

    // The folder of the shipped help pages, ending in "/", and the help profile in it.
    static QString helpFolder();
    static QString profilePath();

private:
    static QAction* s_action;
    static BXHelpClient* s_client;
};
