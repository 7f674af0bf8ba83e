#pragma once

#include <QDialog>

class BrowsableDBIterator;
class QListWidget;
class QPushButton;

// The "Meal Loading and Management" dialog: lists saved meals, loads the one chosen, and
// renames or deletes meals on the spot. The chosen meal's id, or -1, is written through the
// int the caller hands to doList; every way of closing runs pbLoadClicked or pbCancelClicked.
class SavedMealLoadForm : public QDialog
{
    Q_OBJECT

public:
    SavedMealLoadForm(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags);

    // A new dialog, owned by the caller.
    static SavedMealLoadForm* construct(QWidget* parent);

    // The selected meal's id, or -1 when no row is selected.
    qint64 getSelectedMealId() const;

    QListWidget* lbMeals;
    QPushButton* pbLoad;
    QPushButton* pbDelete;
    QPushButton* pbRename;
    QPushButton* pbCancel;

public slots:
    // Empties the list, then lists the meals `it` yields (none when it is null); the result
    // is written through mealIdChosen.
    void doList(BrowsableDBIterator* it, qint64* mealIdChosen);
    // Lists the meals `it` yields after those already listed.
    void appendList(BrowsableDBIterator* it);
    // Selects the first meal and runs the dialog.
    int exec() override;

protected slots:
    void languageChange();
    void pbRenameClicked();
    void pbDeleteClicked();
    void pbLoadClicked();
    void pbCancelClicked();
    void reject() override;
    void accept() override;

private:
    void _finish(qint64 mealId);

    qint64* _mealIdChosen = nullptr;
};
