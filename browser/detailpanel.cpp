#include "browser/detailpanel.h"

#include "widgets/named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace DetailPanel {

QGridLayout* addNameBox(QVBoxLayout* column, QGroupBox*& box, QLabel*& nameLabel)
{
    box = named(new QGroupBox(column->parentWidget()), "groupBox1");
    auto* boxLayout = new QVBoxLayout(box);
    nameLabel = named(new QLabel(box), "nameLabel");
    nameLabel->setTextFormat(Qt::RichText);
    nameLabel->setWordWrap(true);
    boxLayout->addWidget(nameLabel);
    auto* grid = new QGridLayout;
    boxLayout->addLayout(grid);
    column->addWidget(box);
    return grid;
}

QFrame* addLine(QVBoxLayout* column)
{
    auto* line = named(new QFrame(column->parentWidget()), "line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    column->addWidget(line);
    return line;
}

void addAmountRow(QVBoxLayout* column, QLabel*& label, QLineEdit*& amount, QComboBox*& serving,
                  QPushButton*& addButton)
{
    QWidget* panel = column->parentWidget();
    label = named(new QLabel(panel), "textLabel3");
    amount = named(new QLineEdit(panel), "sizeLineEdit");
    label->setBuddy(amount);
    serving = named(new QComboBox(panel), "servingBox");
    addButton = named(new QPushButton(panel), "addButton");
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(amount);
    row->addWidget(serving, 1);
    row->addWidget(addButton);
    column->addLayout(row);
}

void addButtonRow(QVBoxLayout* column, QPushButton*& duplicateButton, QCheckBox*& favorites)
{
    QWidget* panel = column->parentWidget();
    duplicateButton = named(new QPushButton(panel), "duplicateButton");
    favorites = named(new QCheckBox(panel), "favoritesCheckBox");
    auto* row = new QHBoxLayout;
    row->addWidget(duplicateButton);
    row->addStretch();
    row->addWidget(favorites);
    column->addLayout(row);
}

} // namespace DetailPanel
