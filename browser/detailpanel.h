#pragma once

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The parts the food and exercise detail panels share, added to the panel's column from top
// to bottom in the order they are called.
namespace DetailPanel {

// The group box with the item's name on top; returns the grid below the name, for the values.
QGridLayout* addNameBox(QVBoxLayout* column, QGroupBox*& box, QLabel*& nameLabel);
// The sunken line under the group box.
QFrame* addLine(QVBoxLayout* column);
// The row of the amount's label, the amount, the serving box and the Add button.
void addAmountRow(QVBoxLayout* column, QLabel*& label, QLineEdit*& amount, QComboBox*& serving,
                  QPushButton*& addButton);
// The row of the duplicate button and the favourites box.
void addButtonRow(QVBoxLayout* column, QPushButton*& duplicateButton, QCheckBox*& favorites);

} // namespace DetailPanel
