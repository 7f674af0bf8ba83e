#include "widgets/bxhelpclient.h"

#include "widgets/helpwindow.h"
#include "core/brandengine.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>

namespace {
const QString kContentsPage = QStringLiteral("!!%%contents");
const QString kIndexPage = QStringLiteral("!!%%index");

// The help pages of online services that the brand switches off.
QStringList hiddenPages()
{
    const BrandEngine* brand = BrandEngine::instance();
    QStringList hidden;
    if (!brand->idExists("www_count") || brand->getInt("www_count") <= 0)
        hidden << QStringLiteral("website.html");
    if (!brand->idExists("publish_enabled") || !brand->getBool("publish_enabled"))
        hidden << QStringLiteral("publish.html");
    return hidden;
}
}

BXHelpClient::BXHelpClient(QObject* parent)
    : QObject(parent)
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
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
    _window->setHiddenPages(hiddenPages());
    _applyArguments();
    _passModalDialog(QApplication::activeModalWidget());
    _window->show();
    _window->raise();
    _window->activateWindow();
    emit assistantOpened();
}

// Help is asked for from dialogs too (their Help buttons, a tip's link), and stays open while
// dialogs come and go. A modal dialog blocks every other window of the program but its own
// children, so the help window becomes a child (for the window system: a transient) of the
// modal dialog in front, before either is shown, when the window system decides what is
// blocked.
void BXHelpClient::_passModalDialog(QWidget* modal)
{
    if (!_window || !modal || modal == _window)
        return;
    _window->winId();
    modal->winId();
    _window->windowHandle()->setTransientParent(modal->windowHandle());
}

bool BXHelpClient::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && isOpen() && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && widget->isModal())
            _passModalDialog(widget);
    }
    return QObject::eventFilter(watched, event);
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
