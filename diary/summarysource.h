#pragma once

#include "core/dbtypes.h"

#include <QDate>
#include <QFrame>

// What the panels of the day's summary read of the shown day, and the signals that tell them
// to read it again. The summary panel that holds them is one; the panels know it only as this.
class SummarySource : public QFrame
{
    Q_OBJECT

public:
    // What the panels show of one nutrient.
    struct SummaryNutrientData
    {
        int size = DBTypes::UserPrefs::None; // a UserPrefs::TargetSize
        bool noTarget = true;
        float value = 0.0f;
        float target = 0.0f;
    };

    explicit SummarySource(QWidget* parent) : QFrame(parent) {}

    // The user whose day is shown, or -1 before a day was given.
    virtual qint64 user() const = 0;
    virtual QDate date() const = 0;
    virtual int fluid() const = 0;
    virtual const SummaryNutrientData& nutrient(DBTypes::NutType nutrient) const = 0;
    virtual float getTotalExerMinutes() const = 0;
    // Changes the day's glasses of water by delta, kept within 0 to 20, and stores them.
    virtual void adjustFluidValue(int delta) = 0;

signals:
    void targetsModified();
    void valuesModified();
};
