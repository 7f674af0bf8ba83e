#include "widgets/searchlineeditchild.h"

#include <QPainter>
#include <QStyleOptionFrame>

SearchLineEditChild::SearchLineEditChild(QWidget* parent) : QLineEdit(parent)
{
}

QStyleOptionFrame SearchLineEditChild::frameOption() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return option;
}

void SearchLineEditChild::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    _focusChanged();
}

void SearchLineEditChild::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    _focusChanged();
}

void SearchLineEditChild::_focusChanged()
{
    if (text().isEmpty())
        update();  // the placeholder comes or goes
    if (parentWidget())
        parentWidget()->update();  // and so does the field's focus ring
}

void SearchLineEditChild::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    if (!isEnabled() || hasFocus() || !text().isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    const QRect area = contentsRect();
    const int height = fontMetrics().height();
    const QRect line(area.left() + 1, area.top() + (area.height() - height) / 2,
                     area.width() - 1, height);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, tr("Search"));
}
