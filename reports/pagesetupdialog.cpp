#include "reports/pagesetupdialog.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

PageSetupDialog::PageSetupDialog(QWidget* parent, const char* name, bool modal,
                                 Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setObjectName(QString::fromLatin1(name));
    setModal(modal);
    paperGroup = _group("paperGroup", paperA4, "paperA4", paperLetter, "paperLetter");
    orientationGroup = _group("orientationGroup", orientationPortrait, "orientationPortrait",
                              orientationLandscape, "orientationLandscape");
    colorGroup = _group("colorGroup", colorYes, "colorYes", colorNo, "colorNo");
    frame3 = new QFrame(this);
    frame3->setObjectName(QStringLiteral("frame3"));
    okButton = new QPushButton(this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));

    auto* groups = new QVBoxLayout;
    groups->addWidget(paperGroup);
    groups->addWidget(orientationGroup);
    groups->addWidget(colorGroup);
    auto* top = new QHBoxLayout;
    top->addLayout(groups);
    top->addWidget(frame3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addLayout(buttons);
    languageChange();
    resize(QSize(381, 322).expandedTo(minimumSizeHint()));
}

QGroupBox* PageSetupDialog::_group(const char* name, QRadioButton*& first, const char* firstName,
                                   QRadioButton*& second, const char* secondName)
{
    auto* group = new QGroupBox(this);
    group->setObjectName(QString::fromLatin1(name));
    first = new QRadioButton(group);
    first->setObjectName(QString::fromLatin1(firstName));
    second = new QRadioButton(group);
    second->setObjectName(QString::fromLatin1(secondName));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(first);
    layout->addWidget(second);
    return group;
}

void PageSetupDialog::languageChange()
{
    setWindowTitle(tr("Page Setup"));
    paperGroup->setTitle(tr("Paper Size"));
    paperA4->setText(tr("A4"));
    paperLetter->setText(tr("US Letter"));
    orientationGroup->setTitle(tr("Orientation"));
    orientationPortrait->setText(tr("Portrait"));
    orientationLandscape->setText(tr("Landscape"));
    colorGroup->setTitle(tr("Color settings"));
    colorYes->setText(tr("Color\n(if available)"));
    colorNo->setText(tr("Grayscale"));
    okButton->setText(tr("OK"));
    cancelButton->setText(tr("Cancel"));
}
