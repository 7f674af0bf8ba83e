#include "profile/checkinlistitem.h"

#include "core/displaydate.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"

#include <QBrush>
#include <QColor>
#include <QTreeWidget>

namespace {

const QColor s_stripeColour(235, 241, 248);

} // namespace

CheckinListItem::CheckinListItem(QTreeWidget* list, const QDate& date,
                                 const UserMeasurements& set, bool stripe,
                                 const ColumnMap* columns)
    : QTreeWidgetItem(UserType), _date(date), _columns(columns)
{
    setText(Date, DisplayDate::figures(date));
    this->set(set);
    list->addTopLevelItem(this);
    setStripe(stripe);
}

void CheckinListItem::setText(ColumnId kind, const QString& text)
{
    const int column = (*_columns)[kind];
    if (column >= 0)
        QTreeWidgetItem::setText(column, text);
}

void CheckinListItem::set(const UserMeasurements& set)
{
    using M = UserMeasurements;
    const struct
    {
        ColumnId kind;
        M::Measurements value;
        UnitCollection::UnitType unit;
    } cells[] = {
        {Weight, M::Weight, UnitCollection::Weight},
        {Chest, M::Chest, UnitCollection::Measurement},
        {Waist, M::Waist, UnitCollection::Measurement},
        {Hip, M::Hip, UnitCollection::Measurement},
        {Thigh, M::Thigh, UnitCollection::Measurement},
        {Steps, M::Steps, UnitCollection::Steps},
    };
    const UnitCollection* units = UnitCollection::instance();
    for (const auto& cell : cells) {
        setText(cell.kind, set.exact(cell.value)
                               ? units->get(cell.unit)->printNumberUnit(set.value(cell.value))
                               : QString());
    }
    const bool hasNote = set.noteExact() && !set.note().empty();
    setText(Note, hasNote ? QString::fromStdString(set.note()) : QString());
}

void CheckinListItem::setStripe(bool stripe)
{
    _stripe = stripe;
    const QBrush brush = stripe ? QBrush(s_stripeColour) : QBrush();
    const int columns = treeWidget() ? treeWidget()->columnCount() : columnCount();
    for (int column = 0; column < columns; ++column)
        setBackground(column, brush);
}

bool CheckinListItem::operator<(const QTreeWidgetItem& other) const
{
    if (other.type() != UserType)
        return QTreeWidgetItem::operator<(other);
    return _date < static_cast<const CheckinListItem&>(other)._date;
}
