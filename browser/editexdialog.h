#pragma once

#include "browser/edititemdialog.h"
#include "core/dbtypes.h"

class QLineEdit;

// Edits a user-made exercise (name and energy used per minute) in place: loads from the
// caller's record on open, saves into it on OK.
class EditExDialog : public EditItemDialog
{
    Q_OBJECT

public:
    // A top-level dialog with title bar and system menu; the caller binds, runs and deletes it.
    static EditExDialog* construct(QWidget* parent);

    EditExDialog(QWidget* parent, Qt::WindowFlags flags);

    // The record edited; it must outlive the dialog's exec().
    void bindToEx(DBTypes::ExerciseItem& exercise);

    QLineEdit* rateEdit;

public slots:
    void updateOkEnabled() override;

private:
    void init();
    void languageChange();
    void copyFromStructure() override;
    void copyToStructure() override;

    DBTypes::ExerciseItem* _exercise = nullptr;
    // Whether the user changed the rate since the form was filled.
    bool _rateTouched = false;
};
