#pragma once

#include "browser/edititemdialog.h"
#include "core/dbtypes.h"

#include <QString>

#include <set>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

// Edits a custom food (name, serving, ten nutrients for one serving). Works on records the
// caller owns: loads them on open, and on OK writes back just the fields that changed.
class EditFoodDialog : public EditItemDialog
{
    Q_OBJECT

public:
    // A top-level dialog with title bar and system menu; the caller binds, runs and deletes it.
    static EditFoodDialog* construct(QWidget* parent);

    EditFoodDialog(QWidget* parent, Qt::WindowFlags flags);

    // The records edited; they must outlive the dialog's exec().
    void bindToFood(QString& name, QString& serving, DBTypes::FoodItem& food);

    QLineEdit* servingEdit;
    QGroupBox* groupBox1;

    // One value row: check box, value edit and units label of a nutrient.
    struct EditableUnit
    {
        DBTypes::NutType nut;
        QCheckBox* checkBox;
        QLineEdit* edit;
        QLabel* units;
    };
    // The rows in the order they are read and written.
    const std::vector<EditableUnit>& rows() const { return _rows; }
    const EditableUnit& row(DBTypes::NutType nut) const;

public slots:
    void changed();
    void updateOkEnabled() override;

private:
    void init();
    void languageChange();
    void copyFromStructure() override;
    void copyToStructure() override;
    void _buildForm();
    void _addRow(class QGridLayout* grid, DBTypes::NutType nut, const char* word, int row, int column);
    void _connectRow(const EditableUnit& row);

    QString* _name = nullptr;
    QString* _serving = nullptr;
    DBTypes::FoodItem* _food = nullptr;
    std::vector<EditableUnit> _rows;
    std::set<QObject*> _touched;
};
