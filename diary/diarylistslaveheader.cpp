#include "diary/diarylistslaveheader.h"

#include "widgets/headersection.h"

#include <QPainter>
#include <QPolygon>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTreeView>

#include <algorithm>

DiaryListSlaveHeader::DiaryListSlaveHeader(QWidget* parent, const char* name)
    : QHeaderView(Qt::Horizontal, parent), _model(new QStandardItemModel(this))
{
    setObjectName(QString::fromLatin1(name));
    setModel(_model);
    setSectionsMovable(false);
    setSectionsClickable(true);
    setStretchLastSection(false);
    setSectionResizeMode(QHeaderView::Fixed);
}

void DiaryListSlaveHeader::setMaster(QTreeView* master)
{
    for (const QMetaObject::Connection& connection : _connections)
        disconnect(connection);
    _connections.clear();
    _master = master;
    if (!master)
        return;
    QHeaderView* header = master->header();
    _connections << connect(header, &QHeaderView::sectionResized, this,
                            &DiaryListSlaveHeader::updateFromMaster)
                 << connect(header, &QHeaderView::sectionCountChanged, this,
                            &DiaryListSlaveHeader::updateFromMaster)
                 << connect(header, &QHeaderView::sectionMoved, this,
                            &DiaryListSlaveHeader::updateFromMaster)
                 << connect(master->model(), &QAbstractItemModel::headerDataChanged, this,
                            &DiaryListSlaveHeader::updateFromMaster)
                 << connect(this, &QHeaderView::sectionClicked, header,
                            &QHeaderView::sectionClicked);
    updateFromMaster();
}

void DiaryListSlaveHeader::updateFromMaster()
{
    if (!_master)
        return;
    const QAbstractItemModel* source = _master->model();
    const QHeaderView* header = _master->header();
    const int count = header->count();
    _model->setColumnCount(count);
    for (int section = 0; section < count; ++section) {
        _model->setHeaderData(section, Qt::Horizontal,
                              source->headerData(section, Qt::Horizontal, Qt::DisplayRole));
        setSectionResizeMode(section, QHeaderView::Fixed);
        resizeSection(section, header->sectionSize(section));
    }
}

// The section as the style draws it, its label kept left of the triangle.
void DiaryListSlaveHeader::paintSection(QPainter* painter, const QRect& rect,
                                        int logicalIndex) const
{
    if (logicalIndex < 0 || logicalIndex >= count()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    option.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    option.rect.setRight(
        std::min(option.rect.right(), rect.right() - HeaderSection::indicatorRoom(height())));
    style()->drawControl(QStyle::CE_HeaderLabel, &option, painter, this);
    painter->restore();
    _paintIndicator(painter, rect);
}

void DiaryListSlaveHeader::_paintIndicator(QPainter* painter, const QRect& rect) const
{
    int s = height() / 2;
    int left = rect.right() - s - 4;
    const int right = left + s - 1;
    if (s % 2 == 0) {
        ++left;
        --s;
    }
    const int bottom = rect.top() + (rect.height() + 1) / 2 + s / 2;
    const int top = bottom - s + 1;
    const QPolygon triangle({QPoint(left, top), QPoint(right, top), QPoint(left + s / 2, bottom)});
    painter->save();
    painter->setBrush(palette().color(QPalette::Dark));
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawPolygon(triangle);
    painter->restore();
}
