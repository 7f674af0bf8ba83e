#include "diary/savedmeallistboxitem.h"

SavedMealListBoxItem::SavedMealListBoxItem(QListWidget* listBox, qint64 id, const QString& text)
    : QListWidgetItem(text, listBox), _id(id)
{
}
