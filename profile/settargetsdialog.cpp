#include "profile/settargetsdialog.h"

#include "core/unitcollection.h"
#include "core/unitdescriptor.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const UnitDescriptor* unitOf(int nut)
{
    return UnitCollection::instance()->get(DBTypes::NutType(nut));
}

} // namespace

SetTargetsDialog::SetTargetsDialog(QWidget* parent, const char* name, bool modal,
                                   Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(QString::fromLatin1(name));
    setModal(modal);
    setWindowTitle(tr("Set Targets"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Target"), this), 0, 1);
    grid->addWidget(new QLabel(tr("Display"), this), 0, 2);
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
        const UnitDescriptor* unit = unitOf(nut);
        _edits[nut] = new QLineEdit(this);
        _edits[nut]->setValidator(unit->createValidator(_edits[nut]));
        _sizes[nut] = new QComboBox(this);
        _sizes[nut]->addItem(tr("Not shown"), int(DBTypes::UserPrefs::None));
        _sizes[nut]->addItem(tr("Small"), int(DBTypes::UserPrefs::Small));
        _sizes[nut]->addItem(tr("Medium"), int(DBTypes::UserPrefs::Medium));
        _sizes[nut]->addItem(tr("Large"), int(DBTypes::UserPrefs::Large));
        const QString units = unit->printUnits().trimmed();
        const QString caption = units.isEmpty() ? unit->printName()
                                                : tr("%1 (%2)").arg(unit->printName(), units);
        grid->addWidget(new QLabel(caption, this), nut + 1, 0);
        grid->addWidget(_edits[nut], nut + 1, 1);
        grid->addWidget(_sizes[nut], nut + 1, 2);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void SetTargetsDialog::load(const DBTypes::CheckinItem& checkin, const DBTypes::UserPrefs& prefs)
{
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
        const auto type = DBTypes::NutType(nut);
        const bool has = checkin.hasTarget(type) && DBTypes::isPresent(checkin.target(type));
        _edits[nut]->setText(has ? unitOf(nut)->printNumber(checkin.target(type)) : QString());
        _sizes[nut]->setCurrentIndex(_sizes[nut]->findData(int(prefs.targetSize(type))));
    }
}

void SetTargetsDialog::get(DBTypes::CheckinItem* checkin, DBTypes::UserPrefs* prefs) const
{
    for (int nut = 0; nut < DBTypes::NUTRIENT_COUNT; ++nut) {
        const auto type = DBTypes::NutType(nut);
        const QString text = _edits[nut]->text().trimmed();
        if (checkin)
            checkin->setTarget(type, text.isEmpty() ? BlankTarget : float(unitOf(nut)->input(text)));
        if (prefs)
            prefs->setTargetSize(
                type, DBTypes::UserPrefs::TargetSize(_sizes[nut]->currentData().toInt()));
    }
}
