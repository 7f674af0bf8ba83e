#pragma once

#include "core/dbtypes.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The editor of a custom exercise: its name and its burn rate per minute. It is bound to a
// record its caller owns, fills its fields from it when it opens and writes back on OK.
class EditExDialog : public QDialog
{
    Q_OBJECT

public:
    // A top-level dialog with title bar and system menu; the caller binds, runs and deletes it.
    static EditExDialog* construct(QWidget* parent);

    EditExDialog(QWidget* parent, Qt::WindowFlags flags);

    // The record edited; it must outlive the dialog's exec().
    void bindToEx(DBTypes::ExerciseItem& exercise);
    int exec() override;

    QLabel* textLabel1;
    QLineEdit* nameEdit;
    QLabel* textLabel1_2;
    QLineEdit* rateEdit;
    QPushButton* helpButton;
    QPushButton* okButton;
    QPushButton* cancelButton;

public slots:
    void updateOkEnabled();
    void showHelp();

private:
    void init();
    void languageChange();
    void copyFromStructure();
    void copyToStructure();
    void _buildForm();

    DBTypes::ExerciseItem* _exercise = nullptr;
    // Whether the user changed the rate since the form was filled.
    bool _rateTouched = false;
};
