#pragma once

#include "core/dbtypes.h"

#include <QDate>
#include <QDialog>
#include <QPixmap>

class BXLabel;
class BXTickBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Shows and stores the current user's energy, carbohydrate, fat, protein and fibre targets
// for one date.
class TargetDialog : public QDialog
{
    Q_OBJECT

public:
    // The number of nutrients shown; their NutType values are 0 to RowCount - 1.
    static constexpr int RowCount = 5;
    // What a blank field stores: below zero, so the date has no target for that nutrient.
    static constexpr float BlankTarget = -999.0f;

    struct Row
    {
        BXTickBox* tick = nullptr;
        BXLabel* label = nullptr;
        QLineEdit* edit = nullptr;
        QLabel* units = nullptr;
    };

    static TargetDialog* construct(QWidget* parent);

    // Loads the targets in force on the date.
    void setDate(const QDate& date);
    virtual QDate getDate() const;
    // Fills the rows; whether the record has any of the five targets.
    virtual bool setTargets(const DBTypes::CheckinItem& item);
    // Resets the record and writes the rows into it, a row left as loaded with its loaded
    // target; whether any row held a value.
    virtual bool getTargets(DBTypes::CheckinItem& item);
    // The brand's tick when the text holds anything but blanks, else an empty picture.
    virtual QPixmap setTick(const QString& text);

    const Row& row(DBTypes::NutType nut) const { return _rows[nut]; }

    QGroupBox* groupBox4 = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* closeButton = nullptr;

public slots:
    // Stores the rows for the loaded date; false when the store did not keep them.
    virtual bool saveTargets();
    // The text as a number with one decimal; empty for a blank text.
    virtual QString toOneDec(const QString& text);
    virtual void showHelp();

protected:
    virtual void init();

protected slots:
    virtual void languageChange();

private:
    explicit TargetDialog(QWidget* parent);

    void _buildRows();
    void _setTabOrder();

    QDate _date;
    DBTypes::CheckinItem _loaded;
    bool _hadTargets = false;
    QPixmap _noTick;
    Row _rows[RowCount];
};
