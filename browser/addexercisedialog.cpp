#include "browser/addexercisedialog.h"

#include "browser/exercisewidget.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <new>

AddExerciseDialog::AddExerciseDialog(QWidget* parent, const char* name, bool modal,
                                     Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(modal);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    exerciseWidget = new ExerciseWidget(this, "exerciseWidget");
    layout->addWidget(exerciseWidget);
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

AddExerciseDialog* AddExerciseDialog::construct(QWidget* parent)
{
    auto* dialog = new (std::nothrow) AddExerciseDialog(
        parent, nullptr, false,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    if (!dialog)
        qFatal("new AddExerciseDialog failed");
    return dialog;
}

void AddExerciseDialog::init()
{
    exerciseWidget->setAddButtonShown(false);
}

void AddExerciseDialog::languageChange()
{
    setWindowTitle(tr("Enter exercise"));
    addButton->setText(tr("&Add"));
    addButton->setShortcut(QKeySequence(tr("Alt+A")));
    cancelButton->setText(tr("&Cancel"));
    cancelButton->setShortcut(QKeySequence(tr("Alt+C")));
}

DBTypes::ExerciseDiaryItem& AddExerciseDialog::getExerciseDiaryItem()
{
    return exerciseWidget->getExerciseDiaryItem();
}

void AddExerciseDialog::setExerciseItem(const DBTypes::ExerciseDiaryItem& entry)
{
    exerciseWidget->setExerciseItem(entry);
}

void AddExerciseDialog::setAddButtonLabel(const QString& text)
{
    addButton->setText(text);
}

void AddExerciseDialog::setTitle(const QString& title)
{
    setWindowTitle(title);
}

void AddExerciseDialog::setExercise(int exerciseId, int, float)
{
    exerciseWidget->setExercise(exerciseId);
}

void AddExerciseDialog::setUserWeight(float weight)
{
    exerciseWidget->userWeightChanged(weight);
}
