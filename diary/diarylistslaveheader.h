#pragma once

#include <QHeaderView>
#include <QPointer>

class QStandardItemModel;
class QTreeView;

// A header shown above the diary list in place of the list's own, hidden one. It follows the
// master's sections (count, labels and sizes), passes its section clicks on to the master's
// header, and marks each section with a small triangle that hints at the header menu.
class DiaryListSlaveHeader : public QHeaderView
{
    Q_OBJECT

public:
    DiaryListSlaveHeader(QWidget* parent, const char* name);

    void setMaster(QTreeView* master);

public slots:
    void updateFromMaster();

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void _paintIndicator(QPainter* painter, const QRect& rect) const;

    QStandardItemModel* _model;
    QPointer<QTreeView> _master;
    QList<QMetaObject::Connection> _connections;
};
