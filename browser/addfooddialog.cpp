#include "browser/addfooddialog.h"

#include "browser/foodwidget.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <new>

AddFoodDialog::AddFoodDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(modal);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    foodWidget = new FoodWidget(this, "foodWidget");
    layout->addWidget(foodWidget);
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
    languageChange();
    connect(addButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    init();
}

AddFoodDialog* AddFoodDialog::construct(QWidget* parent)
{
    auto* dialog = new (std::nothrow) AddFoodDialog(
        parent, nullptr, false,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    if (!dialog)
        qFatal("new AddFoodDialog failed");
    return dialog;
}

void AddFoodDialog::init()
{
    foodWidget->setAddButtonShown(false);
    foodWidget->setCustomButtonShown(false, QString());
    connect(foodWidget, &FoodWidget::servingFormat, addButton, &QPushButton::setEnabled);
}

void AddFoodDialog::languageChange()
{
    setWindowTitle(tr("Enter food"));
    addButton->setText(tr("&Add"));
    addButton->setShortcut(QKeySequence(tr("Alt+A")));
    cancelButton->setText(tr("&Cancel"));
    cancelButton->setShortcut(QKeySequence(tr("Alt+C")));
}

DBTypes::FoodDiaryItem& AddFoodDialog::getFoodDiaryItem()
{
    return foodWidget->getFoodDiaryItem();
}

void AddFoodDialog::setFood(int foodId)
{
    foodWidget->setFood(foodId);
}

void AddFoodDialog::setFoodItem(const DBTypes::FoodDiaryItem& entry)
{
    foodWidget->setFoodItem(entry);
}

void AddFoodDialog::setAddButtonLabel(const QString& text)
{
    addButton->setText(text);
}

void AddFoodDialog::setTitle(const QString& title)
{
    setWindowTitle(title);
}
