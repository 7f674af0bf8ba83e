#pragma once

#include "core/dbtypes.h"
#include "core/diaryday.h"

#include <QDate>
#include <QWidget>

class QLabel;

// The summary panel of the diary page: the day's totals against the targets in force for
// the shown day, for the nutrients whose target the user's preferences show.
class DiarySummary : public QWidget
{
    Q_OBJECT

public:
    DiarySummary(QWidget* parent, const char* name, int flags);

    const DBTypes::CheckinItem& targets() const { return _targets; }
    int fluid() const { return _fluid; }
    const DBTypes::DiaryDay& day() const { return _day; }

signals:
    void setBold();
    void chkBold();
    void hideDiarySummary();
    void targetsModified();
    void valuesModified();
    void invokeSetTargets();

public slots:
    void totalChanged(const DBTypes::DiaryDay& day);
    // The user, date and check-in of the shown day.
    void setNutrientTarget(const int user, const QDate& date, const DBTypes::CheckinItem& checkin);
    // Reloads the targets shown from the check-in, for the stored user and date.
    void updateTargets(const DBTypes::CheckinItem& checkin);
    void updateView(int nut = -1);

private:
    QString _line(DBTypes::NutType nut) const;

    QLabel* _totalsLabel;
    int _user = -1;
    QDate _date;
    int _fluid = 0;
    DBTypes::DiaryDay _day;
    DBTypes::CheckinItem _targets;
    DBTypes::UserPrefs _prefs;
};
