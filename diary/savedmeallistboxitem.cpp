#include "diary/savedmeallistboxitem.h"

SavedMealListBoxItem::SavedMealListBoxItem(QListWidget* listBox, int id, const QString& text)
    : QListWidgetItem(text, listBox), _id(id)
{
}
