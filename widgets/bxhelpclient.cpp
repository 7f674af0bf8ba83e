#include "widgets/bxhelpclient.h"

#include "widgets/helpwindow.h"

#include <QApplication>
#include <QWindow>

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
    if (isOpen()) {
        _passModalDialog();
        return;
    }
    if (!_window) {
        _window = new HelpWindow;
        connect(_window, &HelpWindow::closed, this, &BXHelpClient::assistantClosed);
    }
    _applyArguments();
    _passModalDialog();
    _window->show();
    _window->raise();
    _window->activateWindow();
    emit assistantOpened();
}

// Help is asked for from dialogs too (their Help buttons, a tip's link). A modal dialog blocks
// every other window of the program but its own children, so the help window becomes a child
// (for the window system: a transient) of the dialog in front, and stays usable beside it.
void BXHelpClient::_passModalDialog()
{
    const QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == _window)
        return;
    _window->winId();
    QWindow* help = _window->windowHandle();
    QWindow* dialog = modal->windowHandle();
    if (!help || !dialog || help->transientParent() == dialog)
        return;
    // The window system learns whether a window is blocked when the window is shown.
    const bool visible = _window->isVisible();
    if (visible)
        _window->hide();
    help->setTransientParent(dialog);
    if (visible)
        _window->show();
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
