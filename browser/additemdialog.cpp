#include "browser/additemdialog.h"

#include "widgets/numberfieldcheck.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

AddItemDialog::AddItemDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(modal);
}

Qt::WindowFlags AddItemDialog::topLevelFlags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
}

void AddItemDialog::addPanel(QWidget* panel)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(panel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    addButton = new QPushButton(this);
    addButton->setObjectName(QStringLiteral("addButton"));
    addButton->setDefault(true);
    cancelButton = new QPushButton(this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(cancelButton);
    buttons->addWidget(addButton);
    layout->addLayout(buttons);
    connect(addButton, &QPushButton::clicked, this, &AddItemDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void AddItemDialog::translateButtons()
{
    addButton->setText(tr("&Add"));
    addButton->setShortcut(QKeySequence(tr("Alt+A")));
    cancelButton->setText(tr("&Cancel"));
    cancelButton->setShortcut(QKeySequence(tr("Alt+C")));
}

void AddItemDialog::setAddButtonLabel(const QString& text)
{
    addButton->setText(text);
}

void AddItemDialog::setTitle(const QString& title)
{
    setWindowTitle(title);
}

void AddItemDialog::accept()
{
    if (NumberFieldCheck::confirm(this, windowTitle()))
        QDialog::accept();
}
