#pragma once

#include "core/dbtypes.h"
#include "userdb/usermeasurements.h"

#include <QDialog>
#include <QString>

class BXLabel;
class BXTickBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class UnitDescriptor;

// The form in which a user enters one date's check-in: weight, body measurements, steps and
// a journal note. It shows the values recorded on the set's own date and hands back a new set
// made only from what the fields hold; storing is the caller's business.
class CheckinDialog : public QDialog
{
    Q_OBJECT

public:
    // The longest journal note, in characters.
    static constexpr int MaxNoteLength = DBTypes::CheckinItem::MaxNoteLength;

    // One value's row: its clickable label, its tick, its edit and its units.
    struct Row
    {
        BXLabel* label = nullptr;
        BXTickBox* tick = nullptr;
        QLineEdit* edit = nullptr;
        QLabel* units = nullptr;
    };

    static CheckinDialog* construct(QWidget* parent);

    virtual void setMeasurements(const UserMeasurements& set);
    virtual UserMeasurements getMeasurements();
    // Whether any field or the note differs from what setMeasurements put there.
    bool isChanged() const;
    virtual void setTitle(const QString& title);

    const Row& row(UserMeasurements::Measurements m) const { return _rows[m]; }

    QLabel* titleLabel = nullptr;
    QGroupBox* groupBox2 = nullptr;
    QGroupBox* noteGroup = nullptr;
    QTextEdit* noteEdit = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* pushButton3 = nullptr;

public slots:
    // Accepts only when every number field holds an acceptable value; otherwise names the
    // first that does not.
    void accept() override;
    virtual void showHelp();
    // Cuts the note back to MaxNoteLength characters.
    virtual void checkNoteLength();

protected:
    virtual void init();
    // Hides the rows of the measurements the brand leaves out.
    virtual void setupFields();

protected slots:
    virtual void languageChange();

private:
    // What setMeasurements put into a field, so that an untouched field returns the value
    // itself rather than its rounded display.
    struct Filled
    {
        QString text;
        float value = 0.0f;
    };

    explicit CheckinDialog(QWidget* parent);

    void _buildRows();
    void _connectRow(const Row& row);
    void _setTabOrder();
    const UnitDescriptor* _unit(UserMeasurements::Measurements m) const;
    // The note as it would be stored: blank while the note box is unticked.
    QString _note() const;

    Row _rows[UserMeasurements::Count];
    Filled _filled[UserMeasurements::Count];
    QString _filledNote;
};
