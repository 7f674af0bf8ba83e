#pragma once

#include "core/dbtypes.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class UnitDescriptor;

// The user's own daily targets for the ten nutrients and the display size of each. Energy is
// typed in the user's energy unit; fat, carbohydrate and protein in grams or as a share of
// the energy, the two fields of such a row following each other. A blank field is no target.
// The dialog only moves values between its fields and the records; its caller stores them.
class SetTargetsDialog : public QDialog
{
    Q_OBJECT

public:
    // A blank target stands for "no target".
    static constexpr float BlankTarget = -999.0f;

    SetTargetsDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags = {});

    QLineEdit* targetEdit(DBTypes::NutType nut) const;
    // Null for the nutrients without a percentage field.
    QLineEdit* percentEdit(DBTypes::NutType nut) const;
    QComboBox* sizeBox(DBTypes::NutType nut) const;

public slots:
    // Rewrites the percentage fields from the gram fields and the energy.
    void updatePercentages();
    void load(const DBTypes::CheckinItem& checkin, const DBTypes::UserPrefs& prefs);
    // Writes all ten targets (a blank field as BlankTarget) and display sizes; a field left as
    // loaded gives the loaded target, not its rounded figure, a blank one included. The
    // targets are the user's own: the check-in's diet plan becomes the empty id. Both records
    // must be given.
    void get(DBTypes::CheckinItem* checkin, DBTypes::UserPrefs* prefs) const;
    // Whether any target field or display size differs from what load put there.
    bool isChanged() const;
    void languageChange();
    // Accepts only when every field holds an acceptable value; otherwise names the first
    // that does not.
    void accept() override;

private:
    // One nutrient's fields; the widgets belong to the dialog.
    struct NutrientItem
    {
        DBTypes::NutType nut;
        QComboBox* sizeCombo;
        QLineEdit* valueEdit;
        QLineEdit* percentEdit; // fat, carbohydrate and protein only
        float kilocaloriesPerGram;

        const UnitDescriptor* descriptor() const;
    };

    // One line of the grid, in the grid's order.
    struct Row
    {
        QLabel* nameLabel;
        QLabel* unitLabel;
        QLabel* percentLabel; // null without a percentage field
        NutrientItem item;
    };

    void _buildForm();
    QGridLayout* _buildGrid();
    void _addRow(QGridLayout* grid, size_t index);
    QHBoxLayout* _buildButtons();
    void init();
    void _setTabOrder();
    const NutrientItem& _item(DBTypes::NutType nut) const;
    // The energy field in kilocalories; 0 when it is empty or no number.
    float _energy() const;
    // Rewrites the percentage field of item from its grams and the energy.
    void _updateShare(const NutrientItem& item);
    // Rewrites the gram field of item from its percentage and the energy.
    void _updateGrams(const NutrientItem& item);

    QLabel* textLabel1_2;
    QLabel* textLabel1_3;
    QLabel* textLabel1;
    QPushButton* _okButton;
    QPushButton* _cancelButton;
    QLabel* _calsLabel;
    QLabel* _fiberLabel;
    QLineEdit* _calsLineEdit;
    std::vector<Row> _rows;
    // Energy, fat, protein, carbohydrate, fibre, saturated fat, sodium, cholesterol, sugar,
    // calcium: the order in which loading, reading and the updates walk the nutrients.
    std::vector<NutrientItem> _items;
    DBTypes::CheckinItem _loaded;
    // The size combos' items as load left them, in the order of _items.
    std::vector<int> _loadedSizes;
};
