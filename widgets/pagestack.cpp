#include "widgets/pagestack.h"

#include <QEvent>

#include <algorithm>

PageStack::PageStack(QWidget* parent)
    : QStackedWidget(parent)
{
    connect(this, &QStackedWidget::currentChanged, this, &PageStack::_remeasureShown);
    // A page taken out may leave its address to another one.
    connect(this, &QStackedWidget::widgetRemoved, this, [this] { _hints.clear(); });
}

QSize PageStack::sizeHint() const
{
    QSize largest(0, 0);
    for (int index = 0; index < count(); ++index) {
        const QWidget* page = widget(index);
        auto hint = _hints.find(page);
        if (hint == _hints.end())
            hint = _hints.emplace(page, page->sizeHint().expandedTo(leastSize(page))).first;
        largest = largest.expandedTo(hint->second);
    }
    return largest;
}

QSize PageStack::minimumSizeHint() const
{
    const QWidget* shown = currentWidget();
    return shown ? leastSize(shown) : QStackedWidget::minimumSizeHint();
}

bool PageStack::hasHeightForWidth() const
{
    const QWidget* shown = currentWidget();
    return shown && shown->hasHeightForWidth();
}

int PageStack::heightForWidth(int width) const
{
    const QWidget* shown = currentWidget();
    return shown ? shown->heightForWidth(width) : -1;
}

// A layout request comes when the page shown changed what it asks for.
bool PageStack::event(QEvent* event)
{
    if (event->type() != QEvent::LayoutRequest)
        return QStackedWidget::event(event);
    _hints.erase(currentWidget());
    const bool handled = QStackedWidget::event(event);
    emit needChanged();
    return handled;
}

void PageStack::_remeasureShown()
{
    _hints.erase(currentWidget());
    updateGeometry();
    emit needChanged();
}

QSize PageStack::leastSize(const QWidget* page)
{
    const QSizePolicy policy = page->sizePolicy();
    const QSize hint = page->sizeHint();
    const QSize least = page->minimumSizeHint();
    QSize size(0, 0);
    if (policy.horizontalPolicy() != QSizePolicy::Ignored)
        size.setWidth(policy.horizontalPolicy() & QSizePolicy::ShrinkFlag
                          ? least.width() : std::max(hint.width(), least.width()));
    if (policy.verticalPolicy() != QSizePolicy::Ignored)
        size.setHeight(policy.verticalPolicy() & QSizePolicy::ShrinkFlag
                           ? least.height() : std::max(hint.height(), least.height()));
    size = size.boundedTo(page->maximumSize());
    if (page->minimumWidth() > 0)
        size.setWidth(page->minimumWidth());
    if (page->minimumHeight() > 0)
        size.setHeight(page->minimumHeight());
    return size;
}
