#include "browser/editfooddialog.h"

#include "core/brandengine.h"
#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "widgets/numberfieldcheck.h"
#include "widgets/signalblocker.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cassert>

using DBTypes::NutType;

namespace {

// The rows in their reading order, with their check box texts and accelerators.
struct RowText
{
    NutType nut;
    const char* text;
    const char* accelerator;
};

constexpr RowText ROW_TEXTS[] = {
    {DBTypes::ENERGY, QT_TRANSLATE_NOOP("EditFoodDialog", "&Energy:"), "Alt+E"},
    {DBTypes::FAT, QT_TRANSLATE_NOOP("EditFoodDialog", "&Fat:"), "Alt+F"},
    {DBTypes::CARBS, QT_TRANSLATE_NOOP("EditFoodDialog", "Ca&rbs:"), "Alt+R"},
    {DBTypes::PROTEIN, QT_TRANSLATE_NOOP("EditFoodDialog", "&Protein:"), "Alt+P"},
    {DBTypes::FIBER, QT_TRANSLATE_NOOP("EditFoodDialog", "Fi&ber:"), "Alt+B"},
    {DBTypes::CALCIUM, QT_TRANSLATE_NOOP("EditFoodDialog", "Ca&lcium:"), "Alt+L"},
    {DBTypes::CHOLESTEROL, QT_TRANSLATE_NOOP("EditFoodDialog", "C&holesterol:"), "Alt+H"},
    {DBTypes::SUGAR, QT_TRANSLATE_NOOP("EditFoodDialog", "Su&gar:"), "Alt+G"},
    {DBTypes::SODIUM, QT_TRANSLATE_NOOP("EditFoodDialog", "So&dium:"), "Alt+D"},
    {DBTypes::SATFAT, QT_TRANSLATE_NOOP("EditFoodDialog", "S&aturated Fat:"), "Alt+A"},
};

const UnitDescriptor* unitOf(NutType nut)
{
    return UnitCollection::instance()->get(nut);
}

// The fibre box's text: the brand's word with its first lower-case "b" as the mnemonic.
QString fiberText()
{
    QString text = BrandEngine::instance()->getString("spelling_fiber");
    const qsizetype b = text.indexOf(QLatin1Char('b'));
    if (b >= 0)
        text.insert(b, QLatin1Char('&'));
    return text;
}

} // namespace

EditFoodDialog* EditFoodDialog::construct(QWidget* parent)
{
    return new EditFoodDialog(parent, topLevelFlags());
}

EditFoodDialog::EditFoodDialog(QWidget* parent, Qt::WindowFlags flags)
    : EditItemDialog(parent, flags)
{
    _buildForm();
    languageChange();
    connect(nameEdit, &QLineEdit::textChanged, this, &EditFoodDialog::updateOkEnabled);
    connect(servingEdit, &QLineEdit::textChanged, this, &EditFoodDialog::updateOkEnabled);
    init();
}

void EditFoodDialog::_buildForm()
{
    servingEdit = addNameFields("servingEdit");

    groupBox1 = new QGroupBox(this);
    groupBox1->setObjectName(QStringLiteral("groupBox1"));
    auto* grid = new QGridLayout(groupBox1);
    const NutType left[] = {DBTypes::SODIUM, DBTypes::CARBS, DBTypes::FIBER, DBTypes::SUGAR, DBTypes::CALCIUM};
    const char* leftWords[] = {"sodium", "carbs", "fiber", "sugar", "calcium"};
    const NutType right[] = {DBTypes::ENERGY, DBTypes::FAT, DBTypes::SATFAT, DBTypes::CHOLESTEROL, DBTypes::PROTEIN};
    const char* rightWords[] = {"energy", "fat", "saturated_fat", "cholesterol", "protein"};
    for (int i = 0; i < 5; ++i) {
        _addRow(grid, left[i], leftWords[i], i, 0);
        _addRow(grid, right[i], rightWords[i], i, 3);
    }
    column()->addWidget(groupBox1);

    addButtons();

    QWidget* previous = servingEdit;
    setTabOrder(nameEdit, servingEdit);
    for (NutType nut : {DBTypes::ENERGY, DBTypes::FAT, DBTypes::SATFAT, DBTypes::CHOLESTEROL,
                        DBTypes::PROTEIN, DBTypes::SODIUM, DBTypes::CARBS, DBTypes::FIBER,
                        DBTypes::SUGAR, DBTypes::CALCIUM}) {
        const EditableUnit& unit = row(nut);
        setTabOrder(previous, unit.checkBox);
        setTabOrder(unit.checkBox, unit.edit);
        previous = unit.edit;
    }
    setTabOrder(previous, okButton);
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, helpButton);
}

void EditFoodDialog::_addRow(QGridLayout* grid, NutType nut, const char* word, int row, int column)
{
    const QString name = QString::fromLatin1(word);
    EditableUnit unit{nut, new QCheckBox(groupBox1), new QLineEdit(groupBox1), new QLabel(groupBox1)};
    unit.checkBox->setObjectName(name + QStringLiteral("Checkbox"));
    unit.edit->setObjectName(name + QStringLiteral("Edit"));
    unit.units->setObjectName(name + QStringLiteral("Units"));
    unit.edit->setEnabled(false);
    grid->addWidget(unit.checkBox, row, column);
    grid->addWidget(unit.edit, row, column + 1);
    grid->addWidget(unit.units, row, column + 2);
    _rows.push_back(unit);
}

const EditFoodDialog::EditableUnit& EditFoodDialog::row(NutType nut) const
{
    const auto found = std::find_if(_rows.begin(), _rows.end(),
                                    [nut](const EditableUnit& unit) { return unit.nut == nut; });
    assert(found != _rows.end());
    return *found;
}

void EditFoodDialog::init()
{
    _name = nullptr;
    _serving = nullptr;
    _food = nullptr;
    // The row table in reading order.
    std::vector<EditableUnit> ordered;
    for (const RowText& text : ROW_TEXTS)
        ordered.push_back(row(text.nut));
    _rows = std::move(ordered);
    row(DBTypes::FIBER).checkBox->setText(fiberText());
    for (const EditableUnit& unit : _rows) {
        const UnitDescriptor* descriptor = unitOf(unit.nut);
        const QString name =
            unit.checkBox->text().remove(QLatin1Char('&')).remove(QLatin1Char(':'));
        unit.edit->setValidator(descriptor->createFieldValidator(
            name, PlausibleRange::of(PlausibleRange::FoodValue), unit.edit));
        unit.units->setText(descriptor->printUnits());
        _connectRow(unit);
    }
}

void EditFoodDialog::_connectRow(const EditableUnit& unit)
{
    QLineEdit* edit = unit.edit;
    connect(unit.checkBox, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    connect(unit.checkBox, &QCheckBox::toggled, edit, [edit]() { edit->setFocus(); });
    connect(edit, &QLineEdit::textChanged, this, &EditFoodDialog::changed);
    connect(unit.checkBox, &QCheckBox::stateChanged, this, &EditFoodDialog::changed);
}

void EditFoodDialog::languageChange()
{
    setWindowTitle(tr("Edit food"));
    textLabel1->setText(tr("&Name"));
    textLabel1_2->setText(tr("&Serving name"));
    groupBox1->setTitle(tr("per serving"));
    for (const RowText& text : ROW_TEXTS) {
        QCheckBox* box = row(text.nut).checkBox;
        box->setText(tr(text.text));
        box->setShortcut(QKeySequence(QString::fromLatin1(text.accelerator)));
    }
    translateButtons();
}

void EditFoodDialog::bindToFood(QString& name, QString& serving, DBTypes::FoodItem& food)
{
    _name = &name;
    _serving = &serving;
    _food = &food;
}

void EditFoodDialog::copyFromStructure()
{
    assert(!_rows.empty() && _name && _serving && _food
           && "rows, name, serving and food record bound");
    nameEdit->setText(*_name);
    servingEdit->setText(*_serving);
    for (const EditableUnit& unit : _rows) {
        SignalBlocker editBlocker(unit.edit);
        SignalBlocker boxBlocker(unit.checkBox);
        const double value = _food->getNutrient(unit.nut);
        const bool present = value >= 0.0;
        if (present)
            NumberFieldCheck::showStored(unit.edit, unitOf(unit.nut)->printField(value));
        unit.edit->setEnabled(present);
        unit.checkBox->setChecked(present);
    }
    _touched.clear();
}

void EditFoodDialog::changed()
{
    _touched.insert(sender());
}

void EditFoodDialog::updateOkEnabled()
{
    okButton->setEnabled(!nameEdit->text().trimmed().isEmpty()
                         && !servingEdit->text().trimmed().isEmpty());
}

void EditFoodDialog::copyToStructure()
{
    assert(_name && _serving && _food && "name, serving and food record bound");
    *_name = nameEdit->text();
    *_serving = servingEdit->text();
    for (const EditableUnit& unit : _rows) {
        if (!_touched.count(unit.edit) && !_touched.count(unit.checkBox))
            continue;
        const double value =
            unit.checkBox->isChecked() ? unitOf(unit.nut)->input(unit.edit->text()) : -999.0;
        _food->setNutrient(unit.nut, float(value));
    }
}
