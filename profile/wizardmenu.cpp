#include "profile/wizardmenu.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int ItemLeft = 40;
constexpr int ItemTop = 40;
constexpr int ItemGap = 20;
constexpr int HintGap = 40;

std::function<void()>& beepHandler()
{
    static std::function<void()> handler;
    return handler;
}

} // namespace

WizardMenu::Section::Section(int id, QString name)
    : id(id)
    , name(std::move(name))
{
}

WizardMenu::WizardMenu(QWidget* parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
}

bool WizardMenu::addSection(int id, const QString& name)
{
    if (_find(id))
        return false;
    _sections.emplace_back(id, name);
    updateGeometry();
    update();
    return true;
}

void WizardMenu::setImage(const QPixmap* image)
{
    _image = image ? *image : QPixmap();
    updateGeometry();
    update();
}

bool WizardMenu::setActiveSection(int id)
{
    if (!_find(id))
        return false;
    _active = id;
    update();
    return true;
}

bool WizardMenu::setSectionEnabled(int id, bool enabled)
{
    Section* section = _find(id);
    if (!section)
        return false;
    section->enabled = enabled;
    update();
    return true;
}

int WizardMenu::sectionAtPosition(int position) const
{
    if (position < 0 || position >= sectionCount())
        return -1;
    return _sections[size_t(position)].id;
}

int WizardMenu::sectionPosition(int id) const
{
    for (size_t i = 0; i < _sections.size(); ++i) {
        if (_sections[i].id == id)
            return int(i);
    }
    return -1;
}

QString WizardMenu::sectionName(int id) const
{
    const Section* section = findSectionById(id);
    return section ? section->name : QString();
}

const WizardMenu::Section* WizardMenu::findSectionById(int id) const
{
    for (const Section& section : _sections) {
        if (section.id == id)
            return &section;
    }
    return nullptr;
}

WizardMenu::Section* WizardMenu::_find(int id)
{
    return const_cast<Section*>(findSectionById(id));
}

QFont WizardMenu::_itemFont(bool bold) const
{
    QFont itemFont = font();
    itemFont.setBold(bold);
    return itemFont;
}

QSize WizardMenu::sizeHint() const
{
    const int lineSpacing = QFontMetrics(_itemFont(true)).lineSpacing();
    return {_image.width(), HintGap + _image.height() + sectionCount() * (lineSpacing + HintGap)};
}

QPixmap WizardMenu::_scaledImage() const
{
    if (_image.isNull())
        return {};
    return _image.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void WizardMenu::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPixmap image = _scaledImage();
    if (!image.isNull())
        painter.drawPixmap(0, 0, image);
    const int lineSpacing = QFontMetrics(_itemFont(true)).lineSpacing();
    for (size_t i = 0; i < _sections.size(); ++i) {
        Section& section = _sections[i];
        const bool active = section.id == _active;
        const QFont itemFont = _itemFont(active);
        painter.setFont(itemFont);
        painter.setPen(active || section.enabled ? Qt::black : Qt::gray);
        const int top = ItemTop + image.height() + int(i) * (lineSpacing + ItemGap);
        section.rect = QRect(ItemLeft, top, QFontMetrics(itemFont).horizontalAdvance(section.name),
                             lineSpacing);
        painter.drawText(section.rect, Qt::AlignLeft | Qt::AlignVCenter, section.name);
    }
}

void WizardMenu::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    for (const Section& section : _sections) {
        if (!section.rect.contains(event->position().toPoint()))
            continue;
        if (!section.enabled) {
            beep();
            continue;
        }
        const int id = section.id;
        emit selected(section.name);
        emit selected(id);
        return;
    }
}

void WizardMenu::beep()
{
    if (beepHandler())
        beepHandler()();
    else
        QApplication::beep();
}

void WizardMenu::setBeepHandler(std::function<void()> handler)
{
    beepHandler() = std::move(handler);
}
