#pragma once

#include "core/dbtypes.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

// The targets dialog: the ten nutrient targets of a check-in and the display size of each.
class SetTargetsDialog : public QDialog
{
    Q_OBJECT

public:
    // A blank target stands for "no target".
    static constexpr float BlankTarget = -999.0f;

    SetTargetsDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags = {});

    void load(const DBTypes::CheckinItem& checkin, const DBTypes::UserPrefs& prefs);
    // Writes the ten targets (blank = -999.0) and the display sizes back.
    void get(DBTypes::CheckinItem* checkin, DBTypes::UserPrefs* prefs) const;

    QLineEdit* targetEdit(DBTypes::NutType nut) const { return _edits[nut]; }
    QComboBox* sizeBox(DBTypes::NutType nut) const { return _sizes[nut]; }

private:
    QLineEdit* _edits[DBTypes::NUTRIENT_COUNT];
    QComboBox* _sizes[DBTypes::NUTRIENT_COUNT];
};
