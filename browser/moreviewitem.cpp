#include "browser/moreviewitem.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QTreeWidget>

namespace {
constexpr int BUTTON_MARGIN = 11;
const QColor BACKGROUND(160, 216, 255);
} // namespace

MoreViewItem::MoreViewItem(QTreeWidget* parent, const QString& text, qint64 id)
    : FoodViewItem(parent, nullptr, text, id, MoreRow)
{
}

QString MoreViewItem::buttonText()
{
    return QTreeWidget::tr("View All");
}

QSize MoreViewItem::_buttonSize() const
{
    QWidget* list = treeWidget();
    QStyle* style = list ? list->style() : QApplication::style();
    QStyleOptionButton option;
    if (list)
        option.initFrom(list);
    option.text = buttonText();
    const QSize textSize = option.fontMetrics.size(Qt::TextShowMnemonic, option.text);
    return style->sizeFromContents(QStyle::CT_PushButton, &option, textSize, list);
}

int MoreViewItem::minimumHeight() const
{
    return _buttonSize().height() + BUTTON_MARGIN;
}

QRect MoreViewItem::buttonRect(const QSize& rowSize) const
{
    const QSize button = _buttonSize();
    const int x = rowSize.width() - button.width() - (rowSize.height() - button.height()) / 2;
    const int y = (rowSize.height() - button.height() + 1) / 2;
    return QRect(QPoint(x, y), button);
}

QSize MoreViewItem::_rowSize() const
{
    QTreeWidget* list = treeWidget();
    if (!list)
        return {};
    return QSize(list->viewport()->width(), list->visualItemRect(this).height());
}

bool MoreViewItem::isButton(const QPoint& point) const
{
    return buttonRect(_rowSize()).contains(point);
}

void MoreViewItem::setDepressedButton(bool depressed)
{
    if (depressed == _depressed)
        return;
    _depressed = depressed;
    if (QTreeWidget* list = treeWidget()) {
        const QRect row = list->visualItemRect(this);
        list->viewport()->update(QRect(0, row.top(), list->viewport()->width(), row.height()));
    }
}

void MoreViewItem::paint(QPainter* painter, const QStyleOptionViewItem& option) const
{
    QTreeWidget* list = treeWidget();
    const QRect row(0, option.rect.top(), list ? list->viewport()->width() : option.rect.width(),
                    option.rect.height());
    painter->save();
    painter->setPen(Qt::black);
    painter->drawLine(row.left(), row.top(), row.right(), row.top());
    painter->fillRect(row.adjusted(0, 1, 0, 0), BACKGROUND);

    const QRect button = buttonRect(row.size()).translated(row.topLeft());
    const int margin = (row.height() - button.height()) / 2;
    QFont bold = option.font;
    bold.setBold(true);
    painter->setFont(bold);
    painter->drawText(row.adjusted(margin, 1, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text(0));

    QStyle* style = list ? list->style() : QApplication::style();
    QStyleOptionButton buttonOption;
    if (list)
        buttonOption.initFrom(list);
    buttonOption.rect = button;
    buttonOption.text = buttonText();
    buttonOption.state = QStyle::State_Enabled
                         | (_depressed ? QStyle::State_Sunken : QStyle::State_Raised);
    style->drawControl(QStyle::CE_PushButton, &buttonOption, painter, list);
    painter->restore();
}
