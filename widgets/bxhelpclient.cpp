#include "widgets/bxhelpclient.h"

#include "widgets/helpwindow.h"

namespace {
const QString kContentsPage = QStringLiteral("!!%%contents");
const QString kIndexPage = QStringLiteral("!!%%index");
}

BXHelpClient::BXHelpClient(QObject* parent)
    : QObject(parent)
{
}

BXHelpClient::~BXHelpClient()
{
    delete _window;
}

bool BXHelpClient::isOpen() const
{
    return _window && _window->isVisible();
}

void BXHelpClient::openAssistant()
{
    if (isOpen())
        return;
    if (!_window) {
        _window = new HelpWindow;
        connect(_window, &HelpWindow::closed, this, &BXHelpClient::assistantClosed);
    }
    _applyArguments();
    _window->show();
    _window->raise();
    _window->activateWindow();
    emit assistantOpened();
}

void BXHelpClient::_applyArguments()
{
    const qsizetype profile = _arguments.indexOf(QStringLiteral("-profile"));
    if (profile >= 0 && profile + 1 < _arguments.size())
        _window->loadProfile(_arguments.at(profile + 1));
    if (_arguments.contains(QStringLiteral("-startwithindex")))
        _window->showIndex();
    else if (_arguments.contains(QStringLiteral("-startwithcontents")))
        _window->showContents();
}

void BXHelpClient::closeAssistant()
{
    if (_window)
        _window->close();
}

void BXHelpClient::showPage(const QString& page)
{
    openAssistant();
    if (page == kContentsPage)
        _window->showContents();
    else if (page == kIndexPage)
        _window->showIndex();
    else
        _window->showPage(page);
}
