#pragma once

#include "core/dbtypes.h"
#include "core/fooddiaryitem.h"

#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class AddFoodPopupMenu;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class NumberValidator;

// The food detail panel: a food's (or a saved meal's) ten nutrient values for the amount and
// serving the user enters, the Add button with its add-to-meal menu, a duplicate button and
// a favourites box. It never writes to a store: entries, new custom foods and favourite
// changes leave through its signals.
class FoodWidget : public QWidget
{
    Q_OBJECT

public:
    explicit FoodWidget(QWidget* parent = nullptr, const char* name = nullptr);

    QGroupBox* groupBox1;
    QLabel* nameLabel;
    QLabel* energyDescLabel;
    QLabel* caloriesLabel;
    QLabel* fatLabel;
    QLabel* saturatedFatLabel;
    QLabel* cholesterolLabel;
    QLabel* proteinLabel;
    QLabel* sodiumLabel;
    QLabel* carbsLabel;
    QLabel* textLabelFiber;
    QLabel* fiberLabel;
    QLabel* sugarLabel;
    QLabel* calciumLabel;
    QFrame* line1;
    QLabel* textLabel3;
    QLineEdit* sizeLineEdit;
    QComboBox* servingBox;
    QPushButton* addButton;
    QPushButton* duplicateButton;
    QCheckBox* favoritesCheckBox;

    void setAddButtonShown(bool shown);
    void setCustomButtonShown(bool shown, const QString& text);
    void setFavoritesEnabled(bool enabled);
    // Checks the box when flag is false and clears it when true, without a signal.
    void setIsFavorite(bool flag);
    // The current entry with the amount and chosen serving applied.
    DBTypes::FoodDiaryItem& getFoodDiaryItem();
    // The amount typed: a number, a fraction "3/4" or a mixed number "1 1/2"; 0 when the
    // field's rule refuses it.
    double toDouble() const;
    // Shows a catalogue food as stored; false, showing that, when the catalogue has no such food.
    bool setFood(qint64 foodId);
    void setFoodItem(const DBTypes::FoodDiaryItem& entry);
    // Shows a saved meal; the values are those of one serving of the meal.
    void setSavedMeal(const QString& mealName, double energy, double fat, double protein,
                      double carbohydrate, double fibre, double sugar, double saturatedFat,
                      double cholesterol, double sodium, double calcium, qint64 mealId);
    // The id of the saved meal shown; none while a food or nothing is shown.
    std::optional<qint64> shownMealId() const;
    // Whether the amount validator accepts the text as a whole.
    bool isValidInput(const QString& text) const;
    // Shows no food: nothing to add until a food or meal is set again.
    void clear();
    // The snack layout whose meals the add menu offers.
    void setSnackDisplay(int snackDisplay);

signals:
    void addContextFood(DBTypes::FoodDiaryItem& entry);
    void addToCustomFoodDB(const qint64 category, const QString& name, const QString& servingName,
                           const DBTypes::FoodItem& values);
    void addToFavorites(qint64 foodId);
    void removeFromFavorites(qint64 foodId);
    // Whether a food or meal with servings is shown, so that it may be added.
    void servingFormat(bool usable);

public slots:
    void displayFood();
    void showContextMenu();
    void addToMeal(int meal);
    void duplicate();
    void doFavoritesAction(bool on);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString _chosenServingName();
    void init();
    void languageChange();
    void setupCombo();
    void _buildForm();
    QLabel* _addValueRow(class QGridLayout* grid, int row, int column, QLabel** description,
                         const char* name);
    void _showNothing();
    void _showNotFound();
    // Reads the catalogue food shown again, keeping the serving and amount chosen, and shows
    // it as stored. False, with the panel showing why, when it could not be read, is gone or
    // no longer has the servings offered.
    bool _readStoredFood();
    // Whether the panel holds a food or meal and a usable amount.
    // Enters or leaves saved-meal mode, with the amount field's range and decimals.
    void _setSavedMealMode(bool savedMeal);
    bool _canAdd() const;
    // Puts an amount into the field, written with decimals digits after the separator.
    void _showAmount(double amount, int decimals = 2);
    void _showValues();
    void _showNoValues();
    void _updateLabel(DBTypes::NutType nut, double value, double amount);
    QLabel* _valueLabel(DBTypes::NutType nut) const;

    DBTypes::FoodDiaryItem _entry;
    // The catalogue food shown; -1 for an entry, recipe or meal given whole.
    qint64 _foodId = -1;
    std::vector<int> _servingIds;
    double _amount = 1.0;
    // The amount put into the field, which its text may show rounded.
    double _shownAmount = 1.0;
    bool _savedMealMode = false;
    QString _mealName;
    qint64 _mealId = 0;
    std::array<double, DBTypes::NUTRIENT_COUNT> _mealValues{}; // by NutType
    AddFoodPopupMenu* _menu = nullptr;
    NumberValidator* _validator = nullptr;
    std::array<QLabel*, 10> _descriptions{};
};
