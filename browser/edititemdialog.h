#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The frame of the editors of a custom food or exercise: a name and a second labelled field
// on top, the editor's own fields, and Help, Cancel and OK below. It fills its fields from
// records its caller binds when it opens and writes them back on OK.
class EditItemDialog : public QDialog
{
    Q_OBJECT

public:
    // Fills the form from the bound records, runs the dialog and, when accepted, writes the
    // form back into them.
    int exec() override;
    // Accepts only when every number field holds an acceptable value; otherwise names the
    // first that does not.
    void accept() override;

    QLabel* textLabel1 = nullptr;
    QLineEdit* nameEdit = nullptr;
    QLabel* textLabel1_2 = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

public slots:
    virtual void updateOkEnabled() = 0;
    void showHelp();

protected:
    EditItemDialog(QWidget* parent, Qt::WindowFlags flags);
    // The flags of a top-level dialog with title bar and system menu.
    static Qt::WindowFlags topLevelFlags();
    // Makes the dialog's column with the name and the second field (named secondName, with
    // textLabel1_2 as its label) on top; returns the second field.
    QLineEdit* addNameFields(const char* secondName);
    // Makes the row of Help, Cancel and OK at the bottom of the column and connects them.
    void addButtons();
    // Sets the buttons' texts in the user's language.
    void translateButtons();
    QVBoxLayout* column() const;
    virtual void copyFromStructure() = 0;
    virtual void copyToStructure() = 0;

private:
    QVBoxLayout* _column = nullptr;
};
