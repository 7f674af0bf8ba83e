#include "net/installupdatequestion.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

InstallUpdateQuestion::InstallUpdateQuestion(QWidget* parent)
    : QDialog(parent)
    , _label(new QLabel(this))
    , _autoCheckBox(new QCheckBox(this))
    , _yesButton(new QPushButton(this))
    , _noButton(new QPushButton(this))
{
    setObjectName(QStringLiteral("InstallUpdateQuestion"));
    setModal(true);
    _label->setObjectName(QStringLiteral("textLabel1"));
    _autoCheckBox->setObjectName(QStringLiteral("_autoCheckBox"));
    _yesButton->setObjectName(QStringLiteral("pushButton1"));
    _noButton->setObjectName(QStringLiteral("pushButton2"));
    _yesButton->setDefault(true);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("_line"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QHBoxLayout;
    buttons->setObjectName(QStringLiteral("layout1"));
    buttons->setSpacing(6);
    buttons->addStretch();
    buttons->addWidget(_yesButton);
    buttons->addWidget(_noButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    layout->addWidget(_label);
    layout->addSpacing(30);
    layout->addWidget(line);
    layout->addWidget(_autoCheckBox);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(_yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(_noButton, &QPushButton::clicked, this, &QDialog::reject);
    languageChange();
}

bool InstallUpdateQuestion::autoCheck() const
{
    return _autoCheckBox->isChecked();
}

void InstallUpdateQuestion::setAutoCheck(bool on)
{
    _autoCheckBox->setChecked(on);
}

void InstallUpdateQuestion::languageChange()
{
    setWindowTitle(tr("Database Updates"));
    _label->setText(tr("New database updates are available. Do you want to update now?"));
    _autoCheckBox->setText(tr("Automatically check for new updates every four weeks"));
    _yesButton->setText(tr("Yes"));
    _noButton->setText(tr("No"));
}
