#pragma once

#include "core/dbtypes.h"

#include <QDialog>
#include <QString>

#include <set>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The editor of a custom food: its name, its serving name and up to ten nutrient values per
// serving. It is bound to records its caller owns, fills its fields from them when it opens,
// and writes back only on OK, and then only the values the user touched.
class EditFoodDialog : public QDialog
{
    Q_OBJECT

public:
    // A top-level dialog with title bar and system menu; the caller binds, runs and deletes it.
    static EditFoodDialog* construct(QWidget* parent);

    EditFoodDialog(QWidget* parent, Qt::WindowFlags flags);

    // The records edited; they must outlive the dialog's exec().
    void bindToFood(QString& name, QString& serving, DBTypes::FoodItem& food);
    // Fills the form from the bound records, runs the dialog and, when accepted, writes the
    // form back into them.
    int exec() override;

    QLabel* textLabel1;
    QLineEdit* nameEdit;
    QLabel* textLabel1_2;
    QLineEdit* servingEdit;
    QGroupBox* groupBox1;
    QPushButton* helpButton;
    QPushButton* okButton;
    QPushButton* cancelButton;

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
    void updateOkEnabled();
    void showHelp();

private:
    void init();
    void languageChange();
    void copyFromStructure();
    void copyToStructure();
    void _buildForm();
    void _addRow(class QGridLayout* grid, DBTypes::NutType nut, const char* word, int row, int column);
    void _connectRow(const EditableUnit& row);

    QString* _name = nullptr;
    QString* _serving = nullptr;
    DBTypes::FoodItem* _food = nullptr;
    std::vector<EditableUnit> _rows;
    std::set<QObject*> _touched;
};
