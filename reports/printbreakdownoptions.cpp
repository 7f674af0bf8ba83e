#include "reports/printbreakdownoptions.h"

#include "core/displaydate.h"
#include "widgets/bxcalendar.h"
#include "widgets/bxhelp.h"
#include "widgets/named.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/qpopupcalendarwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

PrintBreakDownOptions* PrintBreakDownOptions::construct(QWidget* parent)
{
    return new PrintBreakDownOptions(parent);
}

PrintBreakDownOptions::PrintBreakDownOptions(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("PrintBreakDownOptions"));
    setModal(true);
    PrintOptionsInfo = named(new QLabel(this), "PrintOptionsInfo");
    PrintOptionsInfo->setWordWrap(true);
    buttonGroup1 = named(new QGroupBox(this), "buttonGroup1");
    printDayRadioButton = named(new QRadioButton(buttonGroup1), "printDayRadioButton");
    printDayRadioButton->setChecked(true);
    printRangeRadioButton = named(new QRadioButton(buttonGroup1), "printRangeRadioButton");
    startDateButton = new QPopupCalendarWidget(buttonGroup1, "startDateButton");
    startDateButton->setEnabled(false);
    textLabel2_2 = named(new QLabel(buttonGroup1), "textLabel2_2");
    endDateButton = new QPopupCalendarWidget(buttonGroup1, "endDateButton");
    endDateButton->setEnabled(false);
    textLabel1 = named(new QLabel(this), "textLabel1");
    daysPerPage = named(new QComboBox(this), "daysPerPage");
    daysPerPage->setEnabled(false);
    omitEmptyCheckbox = named(new QCheckBox(this), "omitEmptyCheckbox");
    printButton = named(new QPushButton(this), "printButton");
    printButton->setDefault(true);
    cancelButton = named(new QPushButton(this), "cancelButton");

    auto* dates = new QHBoxLayout;
    dates->addWidget(startDateButton);
    dates->addWidget(textLabel2_2);
    dates->addWidget(endDateButton);
    dates->addStretch(1);
    auto* range = new QVBoxLayout(buttonGroup1);
    range->addWidget(printDayRadioButton);
    range->addWidget(printRangeRadioButton);
    range->addLayout(dates);
    auto* perPage = new QHBoxLayout;
    perPage->addWidget(textLabel1);
    perPage->addWidget(daysPerPage);
    perPage->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(printButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    layout->addWidget(PrintOptionsInfo);
    layout->addWidget(buttonGroup1);
    layout->addLayout(perPage);
    layout->addWidget(omitEmptyCheckbox);
    layout->addLayout(buttons);
    resize(minimumSizeHint().expandedTo(QSize(362, 235)));

    connect(printButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    for (QWidget* field : {static_cast<QWidget*>(daysPerPage),
                           static_cast<QWidget*>(startDateButton),
                           static_cast<QWidget*>(endDateButton)})
        connect(printRangeRadioButton, &QRadioButton::toggled, field, &QWidget::setEnabled);
    languageChange();
    init();
}

void PrintBreakDownOptions::languageChange()
{
    setWindowTitle(tr("Print breakdown charts"));
    PrintOptionsInfo->setText(
        tr("You can print out charts on a single day or over a period of time."));
    buttonGroup1->setTitle(tr("Range"));
    printDayRadioButton->setText(tr("Print the &day currently selected in the diary (%s)"));
    printRangeRadioButton->setText(tr("Print a &range of dates, starting from:"));
    textLabel2_2->setText(tr("until"));
    textLabel1->setText(tr("Number of days per page:"));
    daysPerPage->clear();
    daysPerPage->addItems(
        {tr(" 1 Day Per Page"), tr("2 Days Per Page"), tr("6 Days Per Page")});
    omitEmptyCheckbox->setText(tr("Do not print &empty days"));
    printButton->setText(tr("&Print"));
    cancelButton->setText(tr("&Cancel"));
}

void PrintBreakDownOptions::init()
{
    connect(startDateButton, &QPopupCalendarWidget::dateChanged, this,
            &PrintBreakDownOptions::setMaxMin);
    connect(endDateButton, &QPopupCalendarWidget::dateChanged, this,
            &PrintBreakDownOptions::setMaxMin);
    BXHelp::linkTopic(QStringLiteral("diary-print.html"));
}

void PrintBreakDownOptions::setDate(const QDate& day)
{
    printDayRadioButton->setText(
        tr("Print the &day currently selected in the diary (%1)").arg(DisplayDate::textDate(day)));
    startDateButton->setDate(day.addDays(-6));
    endDateButton->setDate(day);
}

QDate PrintBreakDownOptions::startDate() const
{
    return startDateButton->popupCalendar()->calendar()->getDate();
}

QDate PrintBreakDownOptions::endDate() const
{
    return endDateButton->popupCalendar()->calendar()->getDate();
}

// The end calendar takes no day before the start; an end the start has passed follows it.
void PrintBreakDownOptions::setMaxMin()
{
    const QDate start = startDate();
    endDateButton->popupCalendar()->setMinimumDate(start);
    if (endDate() < start)
        endDateButton->setDate(start);
}
