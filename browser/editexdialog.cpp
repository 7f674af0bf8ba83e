#include "browser/editexdialog.h"

#include "core/numbervalidator.h"
#include "core/plausiblerange.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "widgets/numberfieldcheck.h"
#include "widgets/signalblocker.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cassert>

namespace {
const UnitDescriptor* energyUnit()
{
    return UnitCollection::instance()->get(DBTypes::ENERGY);
}
} // namespace

EditExDialog* EditExDialog::construct(QWidget* parent)
{
    return new EditExDialog(parent, topLevelFlags());
}

EditExDialog::EditExDialog(QWidget* parent, Qt::WindowFlags flags) : EditItemDialog(parent, flags)
{
    rateEdit = addNameFields("rateEdit");
    addButtons();
    languageChange();
    connect(nameEdit, &QLineEdit::textChanged, this, &EditExDialog::updateOkEnabled);
    connect(rateEdit, &QLineEdit::textChanged, this, [this]() { _rateTouched = true; });
    init();
}

void EditExDialog::init()
{
    const UnitDescriptor* energy = energyUnit();
    NumberValidator* rate = energy->createFieldValidator(
        tr("Burn rate"), PlausibleRange::of(PlausibleRange::BurnRate), rateEdit);
    rate->setField(tr("Burn rate"), tr("%1 a minute").arg(energy->printUnits()));
    rateEdit->setValidator(rate);
    textLabel1_2->setText(tr("&Burn Rate (%1 per minute)").arg(energy->printName()));
    _exercise = nullptr;
}

void EditExDialog::languageChange()
{
    setWindowTitle(tr("Edit exercise"));
    textLabel1->setText(tr("&Name"));
    textLabel1_2->setText(tr("&Burn rate (calories per minute)"));
    translateButtons();
}

void EditExDialog::bindToEx(DBTypes::ExerciseItem& exercise)
{
    _exercise = &exercise;
}

void EditExDialog::copyFromStructure()
{
    assert(_exercise && "exercise record bound");
    nameEdit->setText(_exercise->name);
    SignalBlocker blocker(rateEdit);
    NumberFieldCheck::showStored(rateEdit, energyUnit()->printField(_exercise->offset));
    _rateTouched = false;
}

void EditExDialog::copyToStructure()
{
    assert(_exercise && "exercise record bound");
    _exercise->name = nameEdit->text();
    _exercise->factor = 0.0f;
    // An untouched rate keeps its stored value, not the rounded one shown.
    if (_rateTouched)
        _exercise->offset = float(energyUnit()->input(rateEdit->text()));
}

void EditExDialog::updateOkEnabled()
{
    okButton->setEnabled(!nameEdit->text().trimmed().isEmpty());
}
