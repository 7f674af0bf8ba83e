#include "browser/edititemdialog.h"

#include "widgets/bxhelp.h"
#include "widgets/numberfieldcheck.h"

#include <QGridLayout>
#include "widgets/numberfieldcheck.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

EditItemDialog::EditItemDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
}

Qt::WindowFlags EditItemDialog::topLevelFlags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
}

QLineEdit* EditItemDialog::addNameFields(const char* secondName)
{
    _column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    textLabel1 = new QLabel(this);
    textLabel1->setObjectName(QStringLiteral("textLabel1"));
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    textLabel1->setBuddy(nameEdit);
    textLabel1_2 = new QLabel(this);
    textLabel1_2->setObjectName(QStringLiteral("textLabel1_2"));
    auto* second = new QLineEdit(this);
    second->setObjectName(QString::fromLatin1(secondName));
    textLabel1_2->setBuddy(second);
    grid->addWidget(textLabel1, 0, 0);
    grid->addWidget(nameEdit, 0, 1);
    grid->addWidget(textLabel1_2, 1, 0);
    grid->addWidget(second, 1, 1);
    _column->addLayout(grid);
    return second;
}

void EditItemDialog::addButtons()
{
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
    _column->addLayout(buttons);
    connect(okButton, &QPushButton::clicked, this, &EditItemDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, &EditItemDialog::showHelp);
}

void EditItemDialog::translateButtons()
{
    helpButton->setText(tr("&Help"));
    helpButton->setShortcut(QKeySequence(tr("Alt+H")));
    okButton->setText(tr("&OK"));
    okButton->setShortcut(QKeySequence(tr("Alt+O")));
    cancelButton->setText(tr("&Cancel"));
    cancelButton->setShortcut(QKeySequence(tr("Alt+C")));
}

QVBoxLayout* EditItemDialog::column() const
{
    return _column;
}

int EditItemDialog::exec()
{
    copyFromStructure();
    const int result = QDialog::exec();
    if (result == QDialog::Accepted)
        copyToStructure();
    return result;
}

void EditItemDialog::showHelp()
{
    BXHelp::showTopic(QStringLiteral("browser-myfoods.html"));
}

void EditItemDialog::accept()
{
    if (NumberFieldCheck::confirm(this, windowTitle()))
        QDialog::accept();
}
