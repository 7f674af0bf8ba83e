#include "profile/settargetsdialog.h"

#include "core/brandengine.h"
#include "core/numberparser.h"
#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "widgets/numberfieldcheck.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpacerItem>
#include <QVBoxLayout>

#include <cassert>
#include <cmath>
#include <iterator>

using DBTypes::NutType;
using DBTypes::UserPrefs;

namespace {

// The grid's rows: the nutrient, its name, its unit (null: the energy unit's label), the
// object names of its fields, and the kilocalories per gram of the rows with a percentage.
struct RowDef
{
    NutType nut;
    const char* name;
    const char* unit;
    const char* valueName;
    const char* percentName;
    const char* comboName;
    float kilocaloriesPerGram;
};

const RowDef s_rowDefs[] = {
    {DBTypes::ENERGY, QT_TRANSLATE_NOOP("SetTargetsDialog", "Energy:"), nullptr,
     "_calsLineEdit", nullptr, "_energyCombo", 0.0f},
    {DBTypes::CARBS, QT_TRANSLATE_NOOP("SetTargetsDialog", "Carb:"), "g", "_carbLineEdit",
     "_carbPercentLineEdit", "_carbCombo", 4.0f},
    {DBTypes::FAT, QT_TRANSLATE_NOOP("SetTargetsDialog", "Fat:"), "g", "_fatLineEdit",
     "_fatPercentLineEdit", "_fatCombo", 9.0f},
    {DBTypes::PROTEIN, QT_TRANSLATE_NOOP("SetTargetsDialog", "Protein:"), "g",
     "_proteinLineEdit", "_proteinPercentLineEdit", "_proteinCombo", 4.0f},
    {DBTypes::FIBER, QT_TRANSLATE_NOOP("SetTargetsDialog", "Fiber:"), "g", "_fiberLineEdit",
     nullptr, "_fiberCombo", 0.0f},
    {DBTypes::SATFAT, QT_TRANSLATE_NOOP("SetTargetsDialog", "Sat. Fat:"), "g", "_sfatLineEdit",
     nullptr, "_sfatCombo", 0.0f},
    {DBTypes::SUGAR, QT_TRANSLATE_NOOP("SetTargetsDialog", "Sugar:"), "g", "_sugarLineEdit",
     nullptr, "_sugarCombo", 0.0f},
    {DBTypes::SODIUM, QT_TRANSLATE_NOOP("SetTargetsDialog", "Sodium:"), "mg", "_sodiumLineEdit",
     nullptr, "_sodiumCombo", 0.0f},
    {DBTypes::CHOLESTEROL, QT_TRANSLATE_NOOP("SetTargetsDialog", "Cholesterol:"), "mg",
     "_cholLineEdit", nullptr, "_cholCombo", 0.0f},
    {DBTypes::CALCIUM, QT_TRANSLATE_NOOP("SetTargetsDialog", "Calcium:"), "mg",
     "_calciumLineEdit", nullptr, "_calciumCombo", 0.0f},
};

// The order in which loading, reading and the updates walk the nutrients.
const NutType s_itemOrder[] = {DBTypes::ENERGY, DBTypes::FAT, DBTypes::PROTEIN, DBTypes::CARBS,
                               DBTypes::FIBER, DBTypes::SATFAT, DBTypes::SODIUM,
                               DBTypes::CHOLESTEROL, DBTypes::SUGAR, DBTypes::CALCIUM};

// Display sizes by combo item: "Large", "Medium", "Small", "None".
const UserPrefs::TargetSize s_sizeOfIndex[] = {UserPrefs::Large, UserPrefs::Medium,
                                                UserPrefs::Small, UserPrefs::None};
constexpr int SIZE_COUNT = 4;

// Below this the energy field is too small to share out.
constexpr float SMALLEST_ENERGY = 0.2f;

enum Column { NameColumn, ValueColumn, UnitColumn, PercentColumn, PercentSignColumn, SizeColumn };

// The field's name for messages: its label without the colon.
QString fieldName(const char* label)
{
    return SetTargetsDialog::tr(label).remove(QLatin1Char(':'));
}

// The display size of a size combo's item.
UserPrefs::TargetSize sizeOfIndex(int index)
{
    assert(index >= 0 && index < SIZE_COUNT);
    return s_sizeOfIndex[index];
}

// The combo item of a display size; -1 for a value that is no size.
int indexOfSize(int size)
{
    for (int index = 0; index < SIZE_COUNT; ++index) {
        if (s_sizeOfIndex[index] == size)
            return index;
    }
    return -1;
}

QLineEdit* makeEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

const UnitDescriptor* SetTargetsDialog::NutrientItem::descriptor() const
{
    return UnitCollection::instance()->get(nut);
}

SetTargetsDialog::SetTargetsDialog(QWidget* parent, const char* name, bool modal,
                                   Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(QString::fromLatin1(name));
    setModal(modal);
    _buildForm();
    languageChange();
    init();
}

void SetTargetsDialog::_buildForm()
{
    auto* layout = new QVBoxLayout(this);
    textLabel1_2 = new QLabel(this);
    textLabel1_2->setObjectName(QStringLiteral("textLabel1_2"));
    textLabel1_2->setIndent(20);
    textLabel1_2->setWordWrap(true);
    layout->addWidget(textLabel1_2);
    layout->addLayout(_buildGrid());
    layout->addItem(new QSpacerItem(20, 10, QSizePolicy::Minimum, QSizePolicy::Expanding));
    auto* line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line1);
    layout->addLayout(_buildButtons());
    resize(QSize(492, 514).expandedTo(minimumSizeHint()));
}

QGridLayout* SetTargetsDialog::_buildGrid()
{
    auto* grid = new QGridLayout;
    grid->setObjectName(QStringLiteral("layout31"));
    textLabel1_3 = new QLabel(this);
    textLabel1_3->setObjectName(QStringLiteral("textLabel1_3"));
    grid->addWidget(textLabel1_3, 0, NameColumn, 1, 2);
    textLabel1 = new QLabel(this);
    textLabel1->setObjectName(QStringLiteral("textLabel1"));
    grid->addWidget(textLabel1, 0, SizeColumn);
    for (size_t index = 0; index < std::size(s_rowDefs); ++index)
        _addRow(grid, index);

    _calsLineEdit = _rows.front().item.valueEdit;
    _calsLabel = _rows.front().unitLabel;
    _calsLabel->setObjectName(QStringLiteral("_calsLabel"));
    for (const Row& row : _rows) {
        if (row.item.nut == DBTypes::FIBER)
            _fiberLabel = row.nameLabel;
    }
    _fiberLabel->setObjectName(QStringLiteral("_fiberLabel"));
    return grid;
}

void SetTargetsDialog::_addRow(QGridLayout* grid, size_t index)
{
    const RowDef& def = s_rowDefs[index];
    const int gridRow = int(index) + 1;
    Row row{new QLabel(this), new QLabel(this), nullptr,
            {def.nut, new QComboBox(this), makeEdit(this, def.valueName), nullptr,
             def.kilocaloriesPerGram}};
    row.item.sizeCombo->setObjectName(QString::fromLatin1(def.comboName));
    NumberValidator* validator = row.item.descriptor()->createFieldValidator(
        fieldName(def.name), PlausibleRange::target(def.nut), row.item.valueEdit);
    validator->setBlankAllowed(true);
    row.item.valueEdit->setValidator(validator);
    grid->addWidget(row.nameLabel, gridRow, NameColumn);
    grid->addWidget(row.item.valueEdit, gridRow, ValueColumn);
    grid->addWidget(row.unitLabel, gridRow, UnitColumn);
    if (def.percentName) {
        row.item.percentEdit = makeEdit(this, def.percentName);
        auto* percent = new NumberValidator(0.0, 0.0, 1, row.item.percentEdit);
        const PlausibleRange share = PlausibleRange::of(PlausibleRange::Share);
        percent->setRange(share.bottom(), share.top());
        percent->setField(tr("%1 share").arg(fieldName(def.name)), tr("%"));
        percent->setBlankAllowed(true);
        row.item.percentEdit->setValidator(percent);
        row.percentLabel = new QLabel(this);
        grid->addWidget(row.item.percentEdit, gridRow, PercentColumn);
        grid->addWidget(row.percentLabel, gridRow, PercentSignColumn);
    }
    grid->addWidget(row.item.sizeCombo, gridRow, SizeColumn);
    _rows.push_back(row);
}

QHBoxLayout* SetTargetsDialog::_buildButtons()
{
    auto* buttons = new QHBoxLayout;
    buttons->setObjectName(QStringLiteral("layout6"));
    buttons->addStretch();
    _okButton = new QPushButton(this);
    _okButton->setObjectName(QStringLiteral("_okButton"));
    _okButton->setDefault(true);
    _cancelButton = new QPushButton(this);
    _cancelButton->setObjectName(QStringLiteral("_cancelButton"));
    buttons->addWidget(_okButton);
    buttons->addWidget(_cancelButton);
    return buttons;
}

void SetTargetsDialog::languageChange()
{
    setWindowTitle(tr("Set Targets"));
    textLabel1_2->setText(
        tr("Set your own nutritional targets by filling in the field beside each nutrient. "
           "You can leave any field blank if you do not wish to set a target for it.\n\n"
           "Energy is entered in %1. Fat, carbohydrates and protein may be entered in grams or "
           "as a percentage of your daily energy intake.\n\n"
           "You can also change how your nutrient targets are displayed on your screen, by "
           "setting the nutrients most important to you to be displayed Large, and the others "
           "Medium or Small. You can always change these settings later if you don't like the "
           "way they are displayed.")
            .arg(UnitCollection::instance()->get(UnitCollection::Energy)->nameInText()));
    textLabel1_3->setText(tr("<b>Nutrients</b>"));
    textLabel1->setText(tr("<b>Display</b>"));
    for (size_t i = 0; i < _rows.size(); ++i) {
        const Row& row = _rows[i];
        row.nameLabel->setText(tr(s_rowDefs[i].name));
        if (s_rowDefs[i].unit)
            row.unitLabel->setText(tr(s_rowDefs[i].unit));
        if (row.percentLabel)
            row.percentLabel->setText(tr("%"));
        row.item.sizeCombo->clear();
        row.item.sizeCombo->addItems({tr("Large"), tr("Medium"), tr("Small"), tr("None")});
        row.item.valueEdit->clear();
        if (row.item.percentEdit)
            row.item.percentEdit->clear();
    }
    _calsLabel->setText(tr("cals"));
    _fiberLabel->setText(tr("Fiber:"));
    _okButton->setText(tr("OK"));
    _cancelButton->setText(tr("Cancel"));
}

void SetTargetsDialog::init()
{
    _calsLabel->setText(UnitCollection::instance()->get(UnitCollection::Energy)->printUnits());
    for (NutType nut : s_itemOrder) {
        for (const Row& row : _rows) {
            if (row.item.nut == nut)
                _items.push_back(row.item);
        }
    }
    QString fiber = BrandEngine::instance()->getString("spelling_fiber");
    if (!fiber.isEmpty())
        fiber[0] = fiber[0].toUpper();
    _fiberLabel->setText(fiber + QLatin1Char(':'));
    _setTabOrder();

    connect(_okButton, &QPushButton::clicked, this, &SetTargetsDialog::accept);
    connect(_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(_calsLineEdit, &QLineEdit::textChanged, this, &SetTargetsDialog::updatePercentages);
    for (const NutrientItem& item : _items) {
        if (!item.percentEdit)
            continue;
        connect(item.valueEdit, &QLineEdit::textChanged, this, [this, item] { _updateShare(item); });
        connect(item.percentEdit, &QLineEdit::textChanged, this, [this, item] { _updateGrams(item); });
    }
}

// The value fields top to bottom, each percentage right after its grams; then the size
// combos top to bottom; then the buttons.
void SetTargetsDialog::_setTabOrder()
{
    std::vector<QWidget*> chain;
    for (const Row& row : _rows) {
        chain.push_back(row.item.valueEdit);
        if (row.item.percentEdit)
            chain.push_back(row.item.percentEdit);
    }
    for (const Row& row : _rows)
        chain.push_back(row.item.sizeCombo);
    chain.push_back(_okButton);
    chain.push_back(_cancelButton);
    for (size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

const SetTargetsDialog::NutrientItem& SetTargetsDialog::_item(NutType nut) const
{
    for (const NutrientItem& item : _items) {
        if (item.nut == nut)
            return item;
    }
    assert(!"a nutrient of the ten");
    return _items.front();
}

QLineEdit* SetTargetsDialog::targetEdit(NutType nut) const
{
    return _item(nut).valueEdit;
}

QLineEdit* SetTargetsDialog::percentEdit(NutType nut) const
{
    return _item(nut).percentEdit;
}

QComboBox* SetTargetsDialog::sizeBox(NutType nut) const
{
    return _item(nut).sizeCombo;
}

float SetTargetsDialog::_energy() const
{
    const std::optional<double> typed = NumberFieldCheck::value(_calsLineEdit);
    return typed ? float(_item(DBTypes::ENERGY).descriptor()->input(_calsLineEdit->text())) : 0.0f;
}

void SetTargetsDialog::accept()
{
    if (NumberFieldCheck::confirm(this, windowTitle()))
        QDialog::accept();
}

void SetTargetsDialog::load(const DBTypes::CheckinItem& checkin, const UserPrefs& prefs)
{
    _loaded = checkin;
    _loadedSizes.clear();
    for (const NutrientItem& item : _items) {
        if (checkin.hasTarget(item.nut) && !checkin.noTarget(item.nut))
            NumberFieldCheck::showStored(item.valueEdit,
                                         item.descriptor()->printField(checkin.target(item.nut)));
        else
            NumberFieldCheck::showStored(item.valueEdit, QString());
        const int index = indexOfSize(prefs.targetSize(item.nut));
        if (index >= 0)
            item.sizeCombo->setCurrentIndex(index);
        _loadedSizes.push_back(item.sizeCombo->currentIndex());
    }
}

void SetTargetsDialog::get(DBTypes::CheckinItem* checkin, UserPrefs* prefs) const
{
    assert(checkin && "checkin");
    assert(prefs && "prefs");
    for (const NutrientItem& item : _items) {
        const QString text = item.valueEdit->text();
        // A target the user left as shown keeps its stored value, not the rounded figure.
        const bool kept =
            NumberFieldCheck::isUntouched(item.valueEdit) && _loaded.hasTarget(item.nut);
        checkin->setTarget(item.nut, kept             ? _loaded.target(item.nut)
                                     : text.isEmpty() ? BlankTarget
                                                      : float(item.descriptor()->input(text)));
        prefs->setTargetSize(item.nut, sizeOfIndex(item.sizeCombo->currentIndex()));
    }
    // An empty, not a null, text: the user database stores a null one as no plan at all.
    checkin->setDietPlan(QStringLiteral(""));
}

bool SetTargetsDialog::isChanged() const
{
    for (size_t i = 0; i < _items.size(); ++i) {
        if (!NumberFieldCheck::isUntouched(_items[i].valueEdit)
            || i >= _loadedSizes.size() || _loadedSizes[i] != _items[i].sizeCombo->currentIndex())
            return true;
    }
    return false;
}

void SetTargetsDialog::updatePercentages()
{
    for (const NutrientItem& item : _items) {
        if (item.percentEdit)
            _updateShare(item);
    }
}

void SetTargetsDialog::_updateShare(const NutrientItem& item)
{
    const QSignalBlocker blocker(item.percentEdit);
    const std::optional<double> grams = NumberFieldCheck::value(item.valueEdit);
    const float energy = _energy();
    if (energy < SMALLEST_ENERGY || !grams) {
        item.percentEdit->clear();
        return;
    }
    // A share worked out from typed figures is held to the range, so that OK names a share
    // of more than the whole energy; one worked out from stored targets is shown as it comes.
    const float percentage = item.kilocaloriesPerGram * float(*grams) / energy * 100.0f;
    NumberFieldCheck::showWorkedOut(
        item.percentEdit, NumberParser::write(percentage, 1),
        NumberFieldCheck::showsStored(item.valueEdit) && NumberFieldCheck::showsStored(_calsLineEdit));
}

void SetTargetsDialog::_updateGrams(const NutrientItem& item)
{
    const QSignalBlocker blocker(item.valueEdit);
    if (item.percentEdit->text().isEmpty()) {
        item.valueEdit->clear();
        return;
    }
    const std::optional<double> share = NumberFieldCheck::value(item.percentEdit);
    if (!share)
        return;
    const float grams = float(*share) * _energy() / 100.0f / item.kilocaloriesPerGram;
    item.valueEdit->setText(item.descriptor()->printField(grams));
}
