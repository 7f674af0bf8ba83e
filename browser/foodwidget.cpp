#include "browser/foodwidget.h"

#include "widgets/shownday.h"
#include "browser/addfoodpopupmenu.h"
#include "browser/detailpanel.h"
#include "catalogue/fooddbdynamic.h"
#include "core/fooddbbase.h"
#include "core/brandengine.h"
#include "core/numberparser.h"
#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "userdb/savedmealdb.h"
#include "userdb/userdb.h"
#include "widgets/numberfieldcheck.h"
#include "widgets/prompter.h"
#include "widgets/signalblocker.h"
#include "widgets/storeprompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

using DBTypes::NutType;

namespace {

// An amount of a food takes up to three decimals, the servings of a saved meal two.
constexpr int AMOUNT_DECIMALS = 3;
constexpr int MEAL_SERVINGS_DECIMALS = 2;

// The value rows: description text (none for energy, named by its unit), nutrient, object
// name of the value label.
struct ValueRow
{
    const char* description;
    NutType nut;
    const char* valueName;
};

constexpr ValueRow LEFT_ROWS[] = {
    {nullptr, DBTypes::ENERGY, "caloriesLabel"},
    {QT_TRANSLATE_NOOP("FoodWidget", "Fat"), DBTypes::FAT, "fatLabel"},
    {QT_TRANSLATE_NOOP("FoodWidget", "Saturated Fat"), DBTypes::SATFAT, "saturatedFatLabel"},
    {QT_TRANSLATE_NOOP("FoodWidget", "Cholesterol"), DBTypes::CHOLESTEROL, "cholesterolLabel"},
    {QT_TRANSLATE_NOOP("FoodWidget", "Protein"), DBTypes::PROTEIN, "proteinLabel"},
};
constexpr ValueRow RIGHT_ROWS[] = {
    {QT_TRANSLATE_NOOP("FoodWidget", "Sodium"), DBTypes::SODIUM, "sodiumLabel"},
    {QT_TRANSLATE_NOOP("FoodWidget", "Carbohydrate"), DBTypes::CARBS, "carbsLabel"},
    {QT_TRANSLATE_NOOP("FoodWidget", "Fiber"), DBTypes::FIBER, "fiberLabel"},
    {QT_TRANSLATE_NOOP("FoodWidget", "Sugar"), DBTypes::SUGAR, "sugarLabel"},
    {QT_TRANSLATE_NOOP("FoodWidget", "Calcium"), DBTypes::CALCIUM, "calciumLabel"},
};

const UnitDescriptor* unitOf(NutType nut)
{
    return UnitCollection::instance()->get(nut);
}

QString energyName()
{
    return unitOf(DBTypes::ENERGY)->printName();
}

} // namespace

FoodWidget::FoodWidget(QWidget* parent, const char* name) : QWidget(parent)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("FoodWidget"));
    _buildForm();
    languageChange();
    connect(servingBox, &QComboBox::activated, this, &FoodWidget::displayFood);
    connect(sizeLineEdit, &QLineEdit::textChanged, this, &FoodWidget::displayFood);
    connect(addButton, &QPushButton::clicked, this, &FoodWidget::showContextMenu);
    connect(duplicateButton, &QPushButton::clicked, this, &FoodWidget::duplicate);
    connect(favoritesCheckBox, &QCheckBox::toggled, this, &FoodWidget::doFavoritesAction);
    init();
}

void FoodWidget::_buildForm()
{
    auto* layout = new QVBoxLayout(this);
    QGridLayout* grid = DetailPanel::addNameBox(layout, groupBox1, nameLabel);
    for (int row = 0; row < 5; ++row) {
        _addValueRow(grid, row, 0, &_descriptions[LEFT_ROWS[row].nut], LEFT_ROWS[row].valueName);
        _addValueRow(grid, row, 2, &_descriptions[RIGHT_ROWS[row].nut], RIGHT_ROWS[row].valueName);
    }
    energyDescLabel = _descriptions[DBTypes::ENERGY];
    energyDescLabel->setObjectName(QStringLiteral("energyDescLabel"));
    textLabelFiber = _descriptions[DBTypes::FIBER];
    textLabelFiber->setObjectName(QStringLiteral("textLabelFiber"));
    caloriesLabel = findChild<QLabel*>(QStringLiteral("caloriesLabel"));
    fatLabel = findChild<QLabel*>(QStringLiteral("fatLabel"));
    saturatedFatLabel = findChild<QLabel*>(QStringLiteral("saturatedFatLabel"));
    cholesterolLabel = findChild<QLabel*>(QStringLiteral("cholesterolLabel"));
    proteinLabel = findChild<QLabel*>(QStringLiteral("proteinLabel"));
    sodiumLabel = findChild<QLabel*>(QStringLiteral("sodiumLabel"));
    carbsLabel = findChild<QLabel*>(QStringLiteral("carbsLabel"));
    fiberLabel = findChild<QLabel*>(QStringLiteral("fiberLabel"));
    sugarLabel = findChild<QLabel*>(QStringLiteral("sugarLabel"));
    calciumLabel = findChild<QLabel*>(QStringLiteral("calciumLabel"));
    line1 = DetailPanel::addLine(layout);
    DetailPanel::addAmountRow(layout, textLabel3, sizeLineEdit, servingBox, addButton);
    servingBox->setEditable(false);
    DetailPanel::addButtonRow(layout, duplicateButton, favoritesCheckBox);
}

QLabel* FoodWidget::_addValueRow(QGridLayout* grid, int row, int column, QLabel** description,
                                 const char* name)
{
    *description = new QLabel(groupBox1);
    auto* value = new QLabel(groupBox1);
    value->setObjectName(QString::fromLatin1(name));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(*description, row, column);
    grid->addWidget(value, row, column + 1);
    return value;
}

void FoodWidget::init()
{
    BrandEngine* brand = BrandEngine::instance();
    textLabelFiber->setText(brand->getString("spelling_fiber"));
    favoritesCheckBox->setText(tr("Marked as %1").arg(brand->getString("spelling_favorite")));
    _amount = 1.0;
    _menu = new AddFoodPopupMenu(this, "addFoodPopupMenu");
    connect(_menu, &AddFoodPopupMenu::mealChosen, this, &FoodWidget::addToMeal);
    _menu->applySnackDisplay(DBTypes::SNACKS_TOGETHER);
    const PlausibleRange amount = PlausibleRange::of(PlausibleRange::FoodAmount);
    _validator = new NumberValidator(amount.bottom(), amount.top(), AMOUNT_DECIMALS, this);
    _validator->setField(tr("Amount"), QString());
    _validator->setFractionsAllowed(true);
    sizeLineEdit->setValidator(_validator);
    setFavoritesEnabled(false);
}

void FoodWidget::languageChange()
{
    for (const ValueRow& row : LEFT_ROWS)
        _descriptions[row.nut]->setText(row.description ? tr(row.description) : energyName());
    for (const ValueRow& row : RIGHT_ROWS)
        _descriptions[row.nut]->setText(tr(row.description));
    _showNothing();
    textLabel3->setText(tr("pe&r"));
    sizeLineEdit->setText(NumberParser::write(1.0, 2));
    addButton->setText(tr("&Add"));
    addButton->setShortcut(QKeySequence(tr("Alt+A")));
    duplicateButton->setText(tr("Duplicate Food"));
    favoritesCheckBox->setText(tr("Marked as favorite"));
}

QLabel* FoodWidget::_valueLabel(NutType nut) const
{
    switch (nut) {
    case DBTypes::ENERGY: return caloriesLabel;
    case DBTypes::CARBS: return carbsLabel;
    case DBTypes::FAT: return fatLabel;
    case DBTypes::PROTEIN: return proteinLabel;
    case DBTypes::FIBER: return fiberLabel;
    case DBTypes::SATFAT: return saturatedFatLabel;
    case DBTypes::CHOLESTEROL: return cholesterolLabel;
    case DBTypes::SODIUM: return sodiumLabel;
    case DBTypes::SUGAR: return sugarLabel;
    case DBTypes::CALCIUM: return calciumLabel;
    }
    return nullptr;
}

void FoodWidget::setAddButtonShown(bool shown)
{
    addButton->setVisible(shown);
}

void FoodWidget::setCustomButtonShown(bool shown, const QString& text)
{
    if (shown)
        duplicateButton->setText(text);
    duplicateButton->setVisible(shown);
}

void FoodWidget::setFavoritesEnabled(bool enabled)
{
    favoritesCheckBox->setVisible(enabled);
}

void FoodWidget::setIsFavorite(bool flag)
{
    SignalBlocker blocker(favoritesCheckBox);
    favoritesCheckBox->setChecked(!flag);
}

DBTypes::FoodDiaryItem& FoodWidget::getFoodDiaryItem()
{
    const int index = servingBox->currentIndex();
    if (index >= 0 && index < int(_servingIds.size()))
        _entry.updateFoodInfo(_servingIds[size_t(index)], float(_amount));
    return _entry;
}

double FoodWidget::toDouble() const
{
    // An amount left as shown is the entry's own, not its rounded figure.
    if (NumberFieldCheck::showsStored(sizeLineEdit))
        return _shownAmount;
    return _validator->read(sizeLineEdit->text()).value_or(0.0);
}

bool FoodWidget::isValidInput(const QString& text) const
{
    QString copy = text;
    int position = 0;
    return _validator->validate(copy, position) == QValidator::Acceptable;
}

void FoodWidget::_showNothing()
{
    nameLabel->setText(QStringLiteral("<center><b>-</b></center>"));
    _showNoValues();
}

void FoodWidget::clear()
{
    _entry = DBTypes::FoodDiaryItem();
    _foodId = -1;
    _servingIds.clear();
    _setSavedMealMode(false);
    _mealName.clear();
    _mealId = 0;
    _mealValues = {};
    servingBox->clear();
    _showNothing();
    displayFood();
}

void FoodWidget::_setSavedMealMode(bool savedMeal)
{
    _savedMealMode = savedMeal;
    // A saved meal's servings take the range they take wherever else a meal is put into the
    // diary.
    const PlausibleRange amount = PlausibleRange::of(savedMeal ? PlausibleRange::MealServings
                                                               : PlausibleRange::FoodAmount);
    _validator->setRange(amount.bottom(), amount.top());
    _validator->setDecimals(savedMeal ? MEAL_SERVINGS_DECIMALS : AMOUNT_DECIMALS);
}

bool FoodWidget::_canAdd() const
{
    return isValidInput(sizeLineEdit->text()) && toDouble() > 0.0
           && (_savedMealMode || !_servingIds.empty());
}

void FoodWidget::_showAmount(double amount, int decimals)
{
    SignalBlocker blocker(sizeLineEdit);
    _shownAmount = amount;
    NumberFieldCheck::showStored(sizeLineEdit, NumberParser::write(amount, decimals));
}

bool FoodWidget::setFood(qint64 foodId)
{
    if (!_entry.changeFood(foodId)) {
        _showNotFound();
        return false;
    }
    _foodId = foodId;
    _setSavedMealMode(false);
    _showAmount(_entry.size);
    setupCombo();
    displayFood();
    return true;
}

void FoodWidget::_showNotFound()
{
    // A row that the catalogue cannot resolve (one of a foreign backup, say) is shown as
    // such, and nothing can be added from it.
    clear();
    nameLabel->setText(tr("<center><b>This food cannot be found in the catalogue</b></center>"));
}

bool FoodWidget::_readStoredFood()
{
    if (_foodId < 0)
        return true;
    DBTypes::FoodDiaryItem stored;
    bool found = false;
    const auto read = [&] { found = stored.changeFood(_foodId); };
    // Only the user's own foods live in the diary.
    if (!FoodDBBase::isCustomId(_foodId))
        read();
    else if (!StorePrompt::read(this, read))
        return false;
    if (!found) {
        _showNotFound();
        return false;
    }
    std::vector<int> servingIds;
    const std::vector<DBTypes::ServingItem> servings = stored.getServingItemList();
    for (const DBTypes::ServingItem& serving : servings)
        servingIds.push_back(serving.id);
    // The amount stays as typed; a serving that is gone takes the food afresh, to be chosen again.
    if (servingIds != _servingIds) {
        setFood(_foodId);
        return false;
    }
    _entry = stored;
    for (size_t i = 0; i < servings.size(); ++i)
        servingBox->setItemText(int(i), DBTypes::ServingItem::shown(servings[i].name));
    displayFood();
    return true;
}

void FoodWidget::setFoodItem(const DBTypes::FoodDiaryItem& entry)
{
    // setupCombo may start a gram food at 100 g, which rescales the current entry: the
    // entry's own serving and amount are put back afterwards.
    const int servingId = entry.servingId;
    const float amount = entry.size;
    _entry = entry;
    _foodId = -1;
    _setSavedMealMode(false);
    setupCombo();
    for (size_t i = 0; i < _servingIds.size(); ++i) {
        if (_servingIds[i] == servingId) {
            servingBox->setCurrentIndex(int(i));
            break;
        }
    }
    _showAmount(amount);
    displayFood();
}

// The chosen serving's stored name, not the figures the box shows it in.
QString FoodWidget::_chosenServingName()
{
    const int index = servingBox->currentIndex();
    if (_savedMealMode || index < 0 || index >= int(_servingIds.size()))
        return servingBox->currentText();
    const std::vector<DBTypes::ServingItem> servings = _entry.getServingItemList();
    const auto serving = DBTypes::ServIdEq::find(servings, _servingIds[size_t(index)]);
    return serving == servings.end() ? servingBox->currentText() : serving->name;
}

void FoodWidget::setupCombo()
{
    const std::vector<DBTypes::ServingItem> servings = _entry.getServingItemList();
    _servingIds.clear();
    servingBox->clear();
    for (const DBTypes::ServingItem& serving : servings) {
        servingBox->addItem(DBTypes::ServingItem::shown(serving.name));
        _servingIds.push_back(serving.id);
    }
    if (servings.size() == 2 && servings.front().name == QLatin1String("g")) {
        servingBox->setCurrentIndex(0);
        _shownAmount = 100.0;
        NumberFieldCheck::showStored(sizeLineEdit, QStringLiteral("100"));
    }
}

std::optional<qint64> FoodWidget::shownMealId() const
{
    return _savedMealMode ? std::optional<qint64>(_mealId) : std::nullopt;
}

void FoodWidget::setSavedMeal(const QString& mealName, double energy, double fat, double protein,
                              double carbohydrate, double fibre, double sugar,
                              double saturatedFat, double cholesterol, double sodium,
                              double calcium, qint64 mealId)
{
    _setSavedMealMode(true);
    _foodId = -1;
    _showAmount(1.0, 1);
    servingBox->clear();
    _servingIds.clear();
    servingBox->addItem(tr("Meal"));
    energyDescLabel->setText(energyName());
    nameLabel->setText(QStringLiteral("<center><h3>") + mealName.toHtmlEscaped()
                       + QStringLiteral("</h3></center>\n"));
    _mealName = mealName;
    _mealId = mealId;
    _mealValues[DBTypes::ENERGY] = energy;
    _mealValues[DBTypes::FAT] = fat;
    _mealValues[DBTypes::PROTEIN] = protein;
    _mealValues[DBTypes::CARBS] = carbohydrate;
    _mealValues[DBTypes::FIBER] = fibre;
    _mealValues[DBTypes::SUGAR] = sugar;
    _mealValues[DBTypes::SATFAT] = saturatedFat;
    _mealValues[DBTypes::CHOLESTEROL] = cholesterol;
    _mealValues[DBTypes::SODIUM] = sodium;
    _mealValues[DBTypes::CALCIUM] = calcium;
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
        _valueLabel(NutType(nut))->setText(unitOf(NutType(nut))->printNumberUnit(_mealValues[nut]));
    displayFood();
}

void FoodWidget::displayFood()
{
    _amount = toDouble();
    // Add stays enabled for a refused amount, so that pressing it names the field.
    const bool shown = _savedMealMode || !_servingIds.empty();
    const bool usable = _canAdd();
    addButton->setEnabled(shown);
    duplicateButton->setEnabled(usable);
    emit servingFormat(shown);
    energyDescLabel->setText(energyName());
    if (!usable) {
        // No figures for an amount the field refuses: they would belong to another amount.
        if (shown)
            _showNoValues();
        return;
    }
    if (_savedMealMode) {
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
            _updateLabel(NutType(nut), _mealValues[nut], _amount);
        return;
    }
    getFoodDiaryItem();
    nameLabel->setText(QStringLiteral("<center><h3>") + _entry.getDesc().toHtmlEscaped()
                       + QStringLiteral("</h3></center>\n"));
    _showValues();
}

void FoodWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The energy unit may have changed while the panel was hidden.
    displayFood();
}

void FoodWidget::_showNoValues()
{
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
        _valueLabel(NutType(nut))->setText(QStringLiteral("-"));
}

void FoodWidget::_showValues()
{
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
        const NutType type = NutType(nut);
        _valueLabel(type)->setText(unitOf(type)->printNumberUnit(_entry.getNutrient(type)));
    }
}

void FoodWidget::_updateLabel(NutType nut, double value, double amount)
{
    const UnitDescriptor* unit = unitOf(nut);
    _valueLabel(nut)->setText(unit->printNumberUnit(unit->isValid(value) ? value * amount : value));
}

void FoodWidget::setSnackDisplay(int snackDisplay)
{
    _menu->applySnackDisplay(snackDisplay);
}

void FoodWidget::showContextMenu()
{
    if (!NumberFieldCheck::confirm(this, tr("Add Food")))
        return;
    _menu->doMenuItems(QCursor::pos(), 0);
}

void FoodWidget::addToMeal(int meal)
{
    if (!_canAdd())
        return;
    if (!_savedMealMode) {
        // What is added is the food as stored now, which the panel then shows.
        if (!_readStoredFood() || !_canAdd())
            return;
        DBTypes::FoodDiaryItem copy = getFoodDiaryItem();
        copy.meal = meal;
        emit addContextFood(copy);
        return;
    }
    const float amount = float(_amount);
    std::optional<std::vector<DBTypes::FoodDiaryItem>> items;
    if (!StorePrompt::read(this, [&] { items = SavedMealDB::instance()->getSavedMealItems(_mealId); })
        || !items)
        return;
    for (DBTypes::FoodDiaryItem copy : *items) {
        copy.values.scaleValues(amount);
        copy.size *= amount;
        copy.meal = meal;
        emit addContextFood(copy);
    }
}

void FoodWidget::duplicate()
{
    DBTypes::FoodItem values;
    values.quantity = 0.0f;
    values.kind = 'B';
    values.clearValues(false);
    QString name;
    if (_savedMealMode) {
        for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut)
            values.setNutrient(NutType(nut), float(_mealValues[nut]));
        name = _mealName;
    } else {
        if (!_readStoredFood() || !_canAdd())
            return;
        if (_amount != 0.0) {
            values = _entry.values;
            values.quantity = 0.0f;
            values.kind = 'B';
            values.scaleValues(float(1.0 / _amount));
        }
        bool ok = false;
        name = Prompter::instance()->getText(this, tr("Duplicate Food"),
                                             tr("Enter a new food name"), QString(), &ok);
        if (!ok || name.trimmed().isEmpty())
            return;
    }
    const qint64 root = FoodDBDynamic::instance()->getRootForUser(ShownDay::instance()->user());
    emit addToCustomFoodDB(root, name, _chosenServingName(), values);
}

void FoodWidget::doFavoritesAction(bool on)
{
    if (on)
        emit addToFavorites(_entry.refId);
    else
        emit removeFromFavorites(_entry.refId);
}
