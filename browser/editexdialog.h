#pragma once

#include "browser/edititemdialog.h"
#include "core/dbtypes.h"

class QLineEdit;

// The editor of a custom exercise: its name and its burn rate per minute. It is bound to a
// record its caller owns, fills its fields from it when it opens and writes back on OK.
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
