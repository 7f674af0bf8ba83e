#pragma once

#include <QDialog>

class QPushButton;

// A detail panel with Add and Cancel under it: the frame of the dialogs through which the
// user enters a food or an exercise. Add accepts when every number field holds an acceptable
// value, Cancel rejects.
class AddItemDialog : public QDialog
{
    Q_OBJECT

public:
    QPushButton* addButton = nullptr;
    QPushButton* cancelButton = nullptr;

    void setAddButtonLabel(const QString& text);
    void setTitle(const QString& title);
    // Accepts only when every number field holds an acceptable value; otherwise names the
    // first that does not.
    void accept() override;

protected:
    AddItemDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags);
    // The flags of a top-level dialog with title bar and system menu.
    static Qt::WindowFlags topLevelFlags();
    // Puts the panel on top, with Cancel and Add (the default) under it at the right.
    void addPanel(QWidget* panel);
    // Sets the buttons' texts in the user's language.
    void translateButtons();
};
