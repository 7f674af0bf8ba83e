#include "reports/daterangeoptions.h"

#include "core/displaydate.h"
#include "widgets/bxcalendar.h"
#include "widgets/named.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/qpopupcalendarwidget.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QDate dateOf(const QPopupCalendarWidget* field)
{
    return field->popupCalendar()->calendar()->getDate();
}

} // namespace

DateRangeOptions::DateRangeOptions(QWidget* parent, Qt::WindowFlags flags, const char* name,
                                   const char* infoName)
    : QDialog(parent, flags)
{
    setObjectName(QString::fromLatin1(name));
    setModal(true);
    _info = named(new QLabel(this), infoName);
    _info->setWordWrap(true);
    buttonGroup1 = named(new QGroupBox(this), "buttonGroup1");
    printDayRadioButton = named(new QRadioButton(buttonGroup1), "printDayRadioButton");
    printDayRadioButton->setChecked(true);
    printRangeRadioButton = named(new QRadioButton(buttonGroup1), "printRangeRadioButton");
    startDateEdit = new QPopupCalendarWidget(buttonGroup1, "startDateEdit");
    startDateEdit->setEnabled(false);
    textLabel2 = named(new QLabel(buttonGroup1), "textLabel2");
    endDateEdit = new QPopupCalendarWidget(buttonGroup1, "endDateEdit");
    endDateEdit->setEnabled(false);

    auto* dates = new QHBoxLayout;
    dates->addWidget(startDateEdit);
    dates->addWidget(textLabel2);
    dates->addWidget(endDateEdit);
    dates->addStretch(1);
    _rangeColumn = new QVBoxLayout(buttonGroup1);
    _rangeColumn->addWidget(printDayRadioButton);
    _rangeColumn->addWidget(printRangeRadioButton);
    _rangeColumn->addLayout(dates);
    _column = new QVBoxLayout(this);
    _column->setContentsMargins(11, 11, 11, 11);
    _column->setSpacing(6);
    _column->addWidget(_info);
    _column->addWidget(buttonGroup1);

    setTabOrder(printDayRadioButton, startDateEdit);
    setTabOrder(startDateEdit, endDateEdit);
    connect(printRangeRadioButton, &QRadioButton::toggled, startDateEdit, &QWidget::setEnabled);
    connect(printRangeRadioButton, &QRadioButton::toggled, endDateEdit, &QWidget::setEnabled);
}

QLabel* DateRangeOptions::info() const
{
    return _info;
}

QVBoxLayout* DateRangeOptions::column() const
{
    return _column;
}

QVBoxLayout* DateRangeOptions::rangeColumn() const
{
    return _rangeColumn;
}

void DateRangeOptions::addButtons(QWidget* lastChoice)
{
    helpButton = named(new QPushButton(this), "helpButton");
    printButton = named(new QPushButton(this), "printButton");
    printButton->setDefault(true);
    cancelButton = named(new QPushButton(this), "cancelButton");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    buttons->addWidget(printButton);
    buttons->addWidget(cancelButton);
    _column->addLayout(buttons);

    setTabOrder(lastChoice, helpButton);
    setTabOrder(helpButton, printButton);
    setTabOrder(printButton, cancelButton);
    connect(printButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, &DateRangeOptions::showHelp);
}

void DateRangeOptions::keepDayTemplate()
{
    _dayTemplate = printDayRadioButton->text();
}

void DateRangeOptions::setDate(const QDate& day)
{
    _day = day;
    QString text = _dayTemplate;
    printDayRadioButton->setText(text.replace(QStringLiteral("%s"), DisplayDate::textDate(day)));
    endDateEdit->setDate(day);
    startDateEdit->setDate(day.addDays(-6));
}

bool DateRangeOptions::chosenRange(QDate& first, QDate& last) const
{
    if (!printRangeRadioButton->isChecked()) {
        first = _day;
        last = _day;
        return false;
    }
    first = dateOf(startDateEdit);
    last = dateOf(endDateEdit);
    return true;
}
