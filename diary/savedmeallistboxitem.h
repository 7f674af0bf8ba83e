#pragma once

#include <QListWidgetItem>
#include <QString>

// A row of the saved-meal list that carries the meal's id beside its name.
class SavedMealListBoxItem : public QListWidgetItem
{
public:
    SavedMealListBoxItem(QListWidget* listBox, qint64 id, const QString& text);

    qint64 getId() const { return _id; }

private:
    qint64 _id;
};
