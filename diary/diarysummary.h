#pragma once

#include "core/dbtypes.h"
#include "core/diaryday.h"
#include "diary/summarysource.h"

#include <QDate>

#include <map>

class FluidCounterView;
class QMenu;
class SmallSummary;
class SummaryExerciseWidget;
class SummaryWidget;

// Panel under the diary list comparing the day's totals with the targets that apply that
// day: nutrient bars, exercise bar, water glasses and a sentence. The user picks the parts
// shown; the choice lives in the preferences. The panel shows and acts on the user and day of
// ShownDay, from what was read with the day and kept current by the panel's own changes.
class DiarySummary : public SummarySource
{
    Q_OBJECT

public:
    // Bits of the summary options.
    enum Option { NutrientsShown = 1, ExerciseShown = 2, WaterShown = 4 };

    DiarySummary(QWidget* parent, const char* name, int flags);

    qint64 user() const override;
    QDate date() const override;
    int fluid() const override { return _fluid; }
    const DBTypes::CheckinItem& targets() const { return _targets; }
    const SummaryNutrientData& nutrient(DBTypes::NutType nutrient) const override
    {
        return _nutrients.at(nutrient);
    }
    float getTotalExerMinutes() const override { return _exerciseMinutes; }

    void adjustFluidValue(int delta) override;

    QSize minimumSizeHint() const override;
    // Showing the panel applies the user's choice of panels again.
    void setVisible(bool visible) override;

signals:
    void setBold();
    void chkBold();
    void hideDiarySummary();
    void invokeSetTargets();

public slots:
    // The day's totals; nothing is shown again when they are the ones shown.
    void totalChanged(const DBTypes::DiaryDay& day);
    // 0 asks for the targets dialog; any other id toggles those option bits.
    void doMenuItem(int id);
    // The preferences, glasses of water and check-in read with the shown day.
    void setNutrientTarget(const DBTypes::UserPrefs& prefs, int fluid,
                           const DBTypes::CheckinItem& checkin);
    // A day read whole: the totals of its entries and what setNutrientTarget takes, laid
    // out once.
    void showDay(const DBTypes::UserPrefs& prefs, int fluid, const DBTypes::CheckinItem& checkin,
                 const DBTypes::DiaryDay& day);
    // New targets for the shown day, as stored.
    void updateTargets(const DBTypes::CheckinItem& checkin, const DBTypes::UserPrefs& prefs);
    // Whether the user's stored choice shows the panel, as stored.
    void keepShownChoice(bool shown);
    // Toggles the option bits of id (1 or more) and shows the panels the options ask for.
    void updateView(int id = -1);
    void resizeWidget();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void _applyOptions(int options);
    // Takes the day's totals; whether any differs from those held.
    bool _takeTotals(const DBTypes::DiaryDay& day);
    // Stores the options with the bits of id toggled; whether they were stored.
    bool _toggleOptions(int id);
    int _shownOptions() const;
    // The panels shown, one above the other, each of the size asked of it.
    QSize _stacked(QSize (QWidget::*size)() const) const;
    void _reapplyStored();

    // Whether the panel was given a day.
    bool _shown = false;
    DBTypes::UserPrefs _prefs;
    std::map<DBTypes::NutType, SummaryNutrientData> _nutrients;
    int _fluid = 0;
    DBTypes::CheckinItem _targets;
    float _exerciseMinutes = 0.0f;
    SummaryWidget* _nutrientBars;
    FluidCounterView* _water;
    SmallSummary* _oneLiner;
    SummaryExerciseWidget* _exercise;
    QMenu* _menu;
};
