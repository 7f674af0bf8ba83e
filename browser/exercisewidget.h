#pragma once

#include "core/exercisediaryitem.h"

#include <QFrame>
#include <QString>

class NumberValidator;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The exercise detail panel: the energy an exercise burns over the duration the user enters,
// at the user's weight, with an Add button, a duplicate button and a favourites box. It
// never writes to a store: entries and new custom exercises leave through its signals.
class ExerciseWidget : public QFrame
{
    Q_OBJECT

public:
    explicit ExerciseWidget(QWidget* parent = nullptr, const char* name = nullptr);

    QGroupBox* groupBox1;
    QLabel* nameLabel;
    QLabel* descLabel;
    QFrame* frame24;
    QLabel* energyLabel;
    QFrame* line1;
    QLabel* textLabel3;
    QLineEdit* sizeLineEdit;
    QComboBox* servingBox;
    QPushButton* addButton;
    QPushButton* duplicateButton;
    QCheckBox* favoritesCheckBox;

    void setDuplicateButtonShown(bool shown);
    void setFavoritesEnabled(bool enabled);
    // Checks the box when flag is false and clears it when true, without a signal.
    void setIsFavorite(bool flag);
    DBTypes::ExerciseDiaryItem& getExerciseDiaryItem() { return _entry; }
    void setAddButtonShown(bool shown);
    // Shows an existing entry with its own rate.
    void setExerciseItem(const DBTypes::ExerciseDiaryItem& entry);
    // Shows a catalogue exercise at the stored weight; the duration stays as typed. False,
    // showing no exercise, when the catalogue has no such exercise.
    bool setExercise(qint64 exerciseId);
    // Shows no exercise: nothing to add until an exercise is set again.
    void clear();

signals:
    void addExItem(DBTypes::ExerciseDiaryItem& entry);
    void addToCustomExDB(const qint64 category, const QString& name, const float rate);
    void addToFavorites(qint64 exerciseId);
    void removeFromFavorites(qint64 exerciseId);

public slots:
    void displayExercise();
    void setAddCustomExercise();
    void userWeightChanged(float weight);
    void duplicate();
    void doFavoritesAction(bool on);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void init();
    void languageChange();
    void _buildForm();
    void _showNothing();
    // Reads the catalogue exercise shown again and shows it as stored, the duration as typed.
    // False, with the panel showing no exercise, when it could not be read or is gone.
    bool _readStoredExercise();
    // Sets the duration's range in the unit chosen, minutes or hours.
    void _fitDurationRange();

    NumberValidator* _validator = nullptr;
    DBTypes::ExerciseDiaryItem _entry;
    // The minutes of the entry put into the field, which its text may show rounded.
    float _shownMinutes = 0.0f;
    float _weight = 0.0f;
    qint64 _shownExercise = -1;
    // An exercise or an entry is shown: there is something to add.
    bool _showing = false;
};
