#include "browser/exercisewidget.h"

#include "widgets/shownday.h"
#include "browser/detailpanel.h"
#include "catalogue/exdbdynamic.h"
#include "core/brandengine.h"
#include "core/fooddbbase.h"
#include "core/numberparser.h"
#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "userdb/userdb.h"
#include "widgets/numberfieldcheck.h"
#include "widgets/prompter.h"
#include "widgets/signalblocker.h"
#include "widgets/storeprompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
constexpr int HOURS_INDEX = 1;
constexpr int DURATION_DECIMALS = 2;

const UnitDescriptor* energyUnit()
{
    return UnitCollection::instance()->get(DBTypes::ENERGY);
}
} // namespace

ExerciseWidget::ExerciseWidget(QWidget* parent, const char* name) : QFrame(parent)
{
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("ExerciseWidget"));
    _buildForm();
    languageChange();
    connect(sizeLineEdit, &QLineEdit::textChanged, this, &ExerciseWidget::displayExercise);
    connect(servingBox, &QComboBox::activated, this, &ExerciseWidget::displayExercise);
    connect(addButton, &QPushButton::clicked, this, &ExerciseWidget::setAddCustomExercise);
    connect(duplicateButton, &QPushButton::clicked, this, &ExerciseWidget::duplicate);
    connect(favoritesCheckBox, &QCheckBox::toggled, this, &ExerciseWidget::doFavoritesAction);
    init();
}

void ExerciseWidget::_buildForm()
{
    auto* layout = new QVBoxLayout(this);
    QGridLayout* grid = DetailPanel::addNameBox(layout, groupBox1, nameLabel);
    descLabel = new QLabel(groupBox1);
    descLabel->setObjectName(QStringLiteral("descLabel"));
    frame24 = new QFrame(groupBox1);
    frame24->setObjectName(QStringLiteral("frame24"));
    auto* energyLayout = new QHBoxLayout(frame24);
    energyLayout->setContentsMargins(0, 0, 0, 0);
    energyLabel = new QLabel(frame24);
    energyLabel->setObjectName(QStringLiteral("energyLabel"));
    energyLayout->addWidget(energyLabel);
    grid->addWidget(descLabel, 0, 0);
    grid->addWidget(frame24, 0, 1);
    line1 = DetailPanel::addLine(layout);
    DetailPanel::addAmountRow(layout, textLabel3, sizeLineEdit, servingBox, addButton);
    DetailPanel::addButtonRow(layout, duplicateButton, favoritesCheckBox);
}

void ExerciseWidget::init()
{
    servingBox->addItem(tr("minutes"));
    servingBox->addItem(tr("hours"));
    servingBox->setCurrentIndex(0);
    // A negative duration would burn negative energy and raise the day's total.
    _validator = new NumberValidator(0.0, 0.0, DURATION_DECIMALS, sizeLineEdit);
    _validator->setField(tr("Duration"), QString());
    sizeLineEdit->setValidator(_validator);
    _fitDurationRange();
    favoritesCheckBox->setText(tr("Marked as ")
                               + BrandEngine::instance()->getString("spelling_favorite"));
    _weight = 0.0f;
    _shownExercise = -1;
    setFavoritesEnabled(false);
    // Nothing to add until an exercise is shown.
    addButton->setEnabled(false);
}

void ExerciseWidget::languageChange()
{
    _showNothing();
    textLabel3->setText(tr("pe&r"));
    sizeLineEdit->setText(NumberParser::write(1.0, 2));
    addButton->setText(tr("&Add"));
    addButton->setShortcut(QKeySequence(tr("Alt+A")));
    duplicateButton->setText(tr("&Duplicate Exercise"));
    favoritesCheckBox->setText(tr("Marked as favorite"));
}

void ExerciseWidget::setDuplicateButtonShown(bool shown)
{
    duplicateButton->setVisible(shown);
}

void ExerciseWidget::setFavoritesEnabled(bool enabled)
{
    favoritesCheckBox->setVisible(enabled);
}

void ExerciseWidget::setIsFavorite(bool flag)
{
    SignalBlocker blocker(favoritesCheckBox);
    favoritesCheckBox->setChecked(!flag);
}

void ExerciseWidget::setAddButtonShown(bool shown)
{
    addButton->setVisible(shown);
}

void ExerciseWidget::setExerciseItem(const DBTypes::ExerciseDiaryItem& entry)
{
    _entry = entry;
    _shownExercise = -1;
    _showing = true;
    _shownMinutes = entry.duration;
    servingBox->setCurrentIndex(0);
    NumberFieldCheck::showStored(sizeLineEdit, NumberParser::write(entry.duration, 1));
    displayExercise();
}

bool ExerciseWidget::setExercise(qint64 exerciseId)
{
    _entry.userId = ShownDay::instance()->user();
    if (!_entry.changeEx(exerciseId, _weight)) {
        clear();
        return false;
    }
    _shownExercise = exerciseId;
    _showing = true;
    _entry.duration = 0.0f;
    displayExercise();
    return true;
}

bool ExerciseWidget::_readStoredExercise()
{
    if (_shownExercise < 0)
        return true;
    DBTypes::ExerciseDiaryItem stored = _entry;
    bool found = false;
    const auto read = [&] { found = stored.changeEx(_shownExercise, _weight); };
    // Only the user's own exercises live in the diary.
    if (!FoodDBBase::isCustomId(_shownExercise))
        read();
    else if (!StorePrompt::read(this, read))
        return false;
    if (!found) {
        clear();
        return false;
    }
    _entry = stored;
    displayExercise();
    return true;
}

void ExerciseWidget::_showNothing()
{
    nameLabel->setText(QStringLiteral("<center><b>-</b></center>"));
    descLabel->setText(tr("Energy Burnt:"));
    energyLabel->setText(QStringLiteral("-"));
}

void ExerciseWidget::clear()
{
    _entry = DBTypes::ExerciseDiaryItem();
    _shownExercise = -1;
    _showing = false;
    _showNothing();
    addButton->setEnabled(false);
}

void ExerciseWidget::userWeightChanged(float weight)
{
    if (weight == _weight)
        return;
    _weight = weight;
    if (_shownExercise < 0)
        return;
    _entry.changeEx(_shownExercise, _weight);
    displayExercise();
}

void ExerciseWidget::_fitDurationRange()
{
    const PlausibleRange minutes = PlausibleRange::of(PlausibleRange::ExerciseMinutes);
    const double perUnit = servingBox->currentIndex() == HOURS_INDEX ? 60.0 : 1.0;
    _validator->setRange(minutes.bottom() / perUnit, minutes.top() / perUnit);
    _validator->setField(_validator->fieldName(), servingBox->currentText());
}

void ExerciseWidget::displayExercise()
{
    _fitDurationRange();
    const std::optional<double> typed = _validator->read(sizeLineEdit->text());
    double minutes = typed.value_or(0.0);
    if (servingBox->currentIndex() == HOURS_INDEX)
        minutes *= 60.0;
    // An entry's minutes left as shown are its own, not their rounded figure.
    else if (NumberFieldCheck::showsStored(sizeLineEdit))
        minutes = _shownMinutes;
    _entry.duration = float(minutes);
    // Add stays enabled for a refused duration, so that pressing it names the field.
    addButton->setEnabled(_showing);
    if (!_showing)
        return;
    nameLabel->setText(QStringLiteral("<center><h3>") + _entry.name.toHtmlEscaped()
                       + QStringLiteral("</h3></center>"));
    descLabel->setText(tr("%1 Burnt:").arg(energyUnit()->printName()));
    // No figure for a duration the field refuses: it would belong to another duration.
    energyLabel->setText(typed ? energyUnit()->printNumberUnit(double(_entry.energy()))
                               : QStringLiteral("-"));
}

void ExerciseWidget::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    // The energy unit may have changed while the panel was hidden.
    displayExercise();
}

void ExerciseWidget::setAddCustomExercise()
{
    if (!addButton->isEnabledTo(this) || !NumberFieldCheck::confirm(this, tr("Add Exercise")))
        return;
    // What is added is the exercise as stored now, which the panel then shows.
    if (!_readStoredExercise())
        return;
    emit addExItem(_entry);
}

void ExerciseWidget::duplicate()
{
    if (!_readStoredExercise())
        return;
    const float rate = _entry.rate;
    bool ok = false;
    const QString name = Prompter::instance()->getText(
        this, tr("Duplicate Exercise"), tr("Enter a new exercise name"), QString(), &ok);
    if (!ok || name.trimmed().isEmpty())
        return;
    const qint64 root = ExDBDynamic::instance()->getRootForUser(ShownDay::instance()->user());
    emit addToCustomExDB(root, name, rate);
}

void ExerciseWidget::doFavoritesAction(bool on)
{
    if (on)
        emit addToFavorites(_entry.exerciseId);
    else
        emit removeFromFavorites(_entry.exerciseId);
}
