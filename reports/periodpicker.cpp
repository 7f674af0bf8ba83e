#include "reports/periodpicker.h"

#include "core/brandengine.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>

#include <cassert>

PeriodPicker::PeriodPicker(QWidget* parent)
    : QGroupBox(tr("Period"), parent), _buttons(new QButtonGroup(this))
{
    setObjectName(QStringLiteral("periodPicker"));
    auto* layout = new QHBoxLayout(this);
    const QString texts[] = {tr("Week"), BrandEngine::instance()->getString("spelling_twoweeks"),
                             tr("Month"), tr("Quarter"), tr("Year")};
    for (int id = Week; id <= Year; ++id) {
        auto* button = new QRadioButton(texts[id - Week], this);
        _buttons->addButton(button, id);
        layout->addWidget(button);
    }
    _buttons->button(Week)->setChecked(true);
    connect(_buttons, &QButtonGroup::idClicked, this, &PeriodPicker::handleClicked);
}

int PeriodPicker::getPeriod(int id)
{
    switch (id) {
    case TwoWeeks: return 14;
    case Month: return 30;
    case Quarter: return 90;
    case Year: return 365;
    default: return 7;
    }
}

int PeriodPicker::getPeriod() const
{
    return getPeriod(getPeriodId());
}

int PeriodPicker::getPeriodId() const
{
    const int id = _buttons->checkedId();
    assert(id != -1 && "this->selectedId() != -1");
    return id;
}

void PeriodPicker::setPeriod(int id)
{
    if (QAbstractButton* button = _buttons->button(id))
        button->setChecked(true);
}

void PeriodPicker::disablePeriod(Period period)
{
    _buttons->button(period)->hide();
}

void PeriodPicker::handleClicked(int id)
{
    emit periodChanged(getPeriod(id));
}
