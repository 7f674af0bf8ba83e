#include "browser/editexdialog.h"

#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "widgets/bxhelp.h"
#include "widgets/signalblocker.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cassert>
#include <new>

namespace {
const UnitDescriptor* energyUnit()
{
    return UnitCollection::instance()->get(DBTypes::ENERGY);
}
} // namespace

EditExDialog* EditExDialog::construct(QWidget* parent)
{
    auto* dialog = new (std::nothrow) EditExDialog(
        parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    if (!dialog)
        qFatal("new EditExDialog failed");
    return dialog;
}

EditExDialog::EditExDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    _buildForm();
    languageChange();
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, &EditExDialog::showHelp);
    connect(nameEdit, &QLineEdit::textChanged, this, &EditExDialog::updateOkEnabled);
    connect(rateEdit, &QLineEdit::textChanged, this, [this]() { _rateTouched = true; });
    init();
}

void EditExDialog::_buildForm()
{
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    textLabel1 = new QLabel(this);
    textLabel1->setObjectName(QStringLiteral("textLabel1"));
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    textLabel1->setBuddy(nameEdit);
    textLabel1_2 = new QLabel(this);
    textLabel1_2->setObjectName(QStringLiteral("textLabel1_2"));
    rateEdit = new QLineEdit(this);
    rateEdit->setObjectName(QStringLiteral("rateEdit"));
    textLabel1_2->setBuddy(rateEdit);
    grid->addWidget(textLabel1, 0, 0);
    grid->addWidget(nameEdit, 0, 1);
    grid->addWidget(textLabel1_2, 1, 0);
    grid->addWidget(rateEdit, 1, 1);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    helpButton = new QPushButton(this);
    helpButton->setObjectName(QStringLiteral("helpButton"));
    okButton = new QPushButton(this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAutoDefault(false);
    buttons->addWidget(helpButton);
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(okButton);
    layout->addLayout(buttons);
}

void EditExDialog::init()
{
    const UnitDescriptor* energy = energyUnit();
    rateEdit->setValidator(energy->createValidator(this));
    textLabel1_2->setText(tr("&Burn Rate (") + energy->printName() + tr(" per minute)"));
    _exercise = nullptr;
}

void EditExDialog::languageChange()
{
    setWindowTitle(tr("Edit exercise"));
    textLabel1->setText(tr("&Name"));
    textLabel1_2->setText(tr("&Burn rate (calories per minute)"));
    helpButton->setText(tr("&Help"));
    helpButton->setShortcut(QKeySequence(tr("Alt+H")));
    okButton->setText(tr("&OK"));
    okButton->setShortcut(QKeySequence(tr("Alt+O")));
    cancelButton->setText(tr("&Cancel"));
    cancelButton->setShortcut(QKeySequence(tr("Alt+C")));
}

void EditExDialog::bindToEx(DBTypes::ExerciseItem& exercise)
{
    _exercise = &exercise;
}

int EditExDialog::exec()
{
    copyFromStructure();
    const int result = QDialog::exec();
    if (result == QDialog::Accepted)
        copyToStructure();
    return result;
}

void EditExDialog::copyFromStructure()
{
    assert(_exercise && "exercise record bound");
    nameEdit->setText(_exercise->name);
    SignalBlocker blocker(rateEdit);
    rateEdit->setText(energyUnit()->printNumber(_exercise->offset));
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

void EditExDialog::showHelp()
{
    BXHelp::showTopic(QStringLiteral("browser-myfoods.html"));
}
