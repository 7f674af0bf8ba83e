#pragma once

#include <QListWidgetItem>
#include <QString>

// A row of the saved-meal list that carries the meal's id beside its name.
class SavedMealListBoxItem : public QListWidgetItem
{
public:
    SavedMealListBoxItem(QListWidget* listBox, int id, const QString& text);

    int getId() const { return _id; }

private:
    int _id;
};
