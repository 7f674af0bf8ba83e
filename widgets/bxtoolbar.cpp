#include "widgets/bxtoolbar.h"

#include "widgets/bxtoolbarbutton.h"

#include <QAction>
#include <QButtonGroup>
#include <QImage>
#include <QMainWindow>

#include <algorithm>

namespace {

QImage blueTint(QImage image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int d = (255 - qBlue(p)) / 4;
            line[x] = qRgba(std::max(qRed(p) - d, 0), std::max(qGreen(p) - d, 0),
                            std::min(qBlue(p) + (255 - qBlue(p)) / 2, 255), qAlpha(p));
        }
    }
    return image;
}

QImage washedOut(QImage image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(192 + qBlue(p) / 4, 192 + qGreen(p) / 4, 192 + qRed(p) / 4,
                            qAlpha(p));
        }
    }
    return image;
}

}

BXToolBar::BXToolBar(QMainWindow* parent, const char* name)
    : QToolBar(parent), _toggleGroup(new QButtonGroup(this))
{
    setObjectName(QString::fromLatin1(name));
    setMovable(false);
    _toggleGroup->setExclusive(true);
    if (parent)
        parent->addToolBar(this);
}

QIcon BXToolBar::makeIconSet(const QPixmap& icon)
{
    // Straight (not premultiplied) colours, so that the channel arithmetic is exact.
    const QImage source = icon.toImage().convertToFormat(QImage::Format_ARGB32);
    const QPixmap disabled = QPixmap::fromImage(washedOut(source));
    QIcon icons;
    icons.addPixmap(QPixmap::fromImage(source), QIcon::Normal, QIcon::Off);
    icons.addPixmap(QPixmap::fromImage(blueTint(source)), QIcon::Normal, QIcon::On);
    icons.addPixmap(disabled, QIcon::Disabled, QIcon::On);
    icons.addPixmap(disabled, QIcon::Disabled, QIcon::Off);
    return icons;
}

BXToolBarButton* BXToolBar::addTool(QAction* action, const QPixmap& icon, const char* name)
{
    if (!action)
        return nullptr;
    auto* button = new BXToolBarButton(makeIconSet(icon), action->text(), this, name);
    button->setIconSize(icon.deviceIndependentSize().toSize());
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    _tools[action] = Tool{button, addWidget(button)};
    connect(button, &QToolButton::clicked, this, &BXToolBar::_buttonClicked);
    if (action->isCheckable()) {
        button->setCheckable(true);
        connect(button, &QToolButton::toggled, this, &BXToolBar::setOn);
        connect(action, &QAction::toggled, this, &BXToolBar::setOn);
        _toggleGroup->addButton(button);
    }
    return button;
}

void BXToolBar::updateButtonStates()
{
    // Visibility first: the tool bar's handle passes its own enabled state on to the button
    // when it is shown or hidden.
    for (const auto& [action, tool] : _tools) {
        tool.widgetAction->setVisible(action->isVisible());
        tool.button->setEnabled(action->isEnabled());
    }
}

const std::pair<QAction* const, BXToolBar::Tool>* BXToolBar::_findBySender() const
{
    const QObject* origin = sender();
    const auto found = std::find_if(_tools.begin(), _tools.end(), [origin](const auto& entry) {
        return entry.first == origin || entry.second.button == origin;
    });
    return found == _tools.end() ? nullptr : &*found;
}

void BXToolBar::setOn(bool on)
{
    const auto* entry = _findBySender();
    if (!entry || entry->first == _lastOn)
        return;
    entry->first->setChecked(on);
    entry->second.button->setChecked(on);
    _lastOn = entry->first;
}

void BXToolBar::setToolText(QAction* action, const QString& text)
{
    const auto found = _tools.find(action);
    if (found == _tools.end())
        return;
    action->setText(text);
    found->second.button->setLabel(text);
}

// A click on a button activates its action as a menu item would, without toggling a
// toggle action a second time: the button has switched it already.
void BXToolBar::_buttonClicked()
{
    if (const auto* entry = _findBySender())
        emit entry->first->triggered(entry->first->isChecked());
}
