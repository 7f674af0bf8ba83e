#include "reports/printoptions.h"

#include "widgets/bxcalendar.h"
#include "widgets/bxhelp.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/qpopupcalendarwidget.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QDate dateOf(const QPopupCalendarWidget* field)
{
    return field->popupCalendar()->calendar()->getDate();
}

} // namespace

PrintOptions* PrintOptions::construct(QWidget* parent)
{
    return new PrintOptions(parent);
}

PrintOptions::PrintOptions(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("PrintOptions"));
    setModal(true);
    PrintOptionsInfo = named(new QLabel(this), "PrintOptionsInfo");
    PrintOptionsInfo->setWordWrap(true);
    PrintOptionsInfo->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    buttonGroup1 = named(new QGroupBox(this), "buttonGroup1");
    printDayRadioButton = named(new QRadioButton(buttonGroup1), "printDayRadioButton");
    printDayRadioButton->setChecked(true);
    printRangeRadioButton = named(new QRadioButton(buttonGroup1), "printRangeRadioButton");
    startDateEdit = new QPopupCalendarWidget(buttonGroup1, "startDateEdit");
    startDateEdit->setEnabled(false);
    textLabel2 = named(new QLabel(buttonGroup1), "textLabel2");
    endDateEdit = new QPopupCalendarWidget(buttonGroup1, "endDateEdit");
    endDateEdit->setEnabled(false);
    summaryOnlyCheckbox = named(new QCheckBox(this), "summaryOnlyCheckbox");
    omitEmptyCheckbox = named(new QCheckBox(this), "omitEmptyCheckbox");
    helpButton = named(new QPushButton(this), "helpButton");
    printButton = named(new QPushButton(this), "printButton");
    printButton->setDefault(true);
    cancelButton = named(new QPushButton(this), "cancelButton");

    auto* dates = new QHBoxLayout;
    dates->addWidget(startDateEdit);
    dates->addWidget(textLabel2);
    dates->addWidget(endDateEdit);
    dates->addStretch(1);
    auto* range = new QVBoxLayout(buttonGroup1);
    range->addWidget(printDayRadioButton);
    range->addWidget(printRangeRadioButton);
    range->addLayout(dates);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    buttons->addWidget(printButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(PrintOptionsInfo);
    layout->addWidget(buttonGroup1);
    layout->addWidget(summaryOnlyCheckbox);
    layout->addWidget(omitEmptyCheckbox);
    layout->addLayout(buttons);
    PrintOptionsInfo->setMinimumWidth(378 - 22);

    setTabOrder(printDayRadioButton, startDateEdit);
    setTabOrder(startDateEdit, endDateEdit);
    setTabOrder(endDateEdit, summaryOnlyCheckbox);
    setTabOrder(summaryOnlyCheckbox, omitEmptyCheckbox);
    setTabOrder(omitEmptyCheckbox, helpButton);
    setTabOrder(helpButton, printButton);
    setTabOrder(printButton, cancelButton);

    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(printButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(helpButton, &QPushButton::clicked, this, &PrintOptions::showHelp);
    connect(printRangeRadioButton, &QRadioButton::toggled, startDateEdit, &QWidget::setEnabled);
    connect(printRangeRadioButton, &QRadioButton::toggled, endDateEdit, &QWidget::setEnabled);
    languageChange();
    init();
}

void PrintOptions::languageChange()
{
    setWindowTitle(tr("Print options"));
    PrintOptionsInfo->setText(
        tr("You can print out diary information over a period of time. If you just want a "
           "nutrient summary for the day, tick the \"Summary Only\" checkbox."));
    buttonGroup1->setTitle(tr("Range"));
    printDayRadioButton->setText(tr("Print the &day currently selected in the diary (%s)"));
    printRangeRadioButton->setText(tr("Print a &range of dates, starting from:"));
    textLabel2->setText(tr("until"));
    summaryOnlyCheckbox->setText(tr("&Only print the daily summary"));
    omitEmptyCheckbox->setText(tr("Do not print &empty days"));
    helpButton->setText(tr("&Help"));
    printButton->setText(tr("&Print"));
    cancelButton->setText(tr("&Cancel"));
}

void PrintOptions::init()
{
    _dayTemplate = printDayRadioButton->text();
}

void PrintOptions::displayExtendedOptions(bool showSummaryOnly, bool showOmitEmpty)
{
    summaryOnlyCheckbox->setVisible(showSummaryOnly);
    omitEmptyCheckbox->setVisible(showOmitEmpty);
}

void PrintOptions::setDate(const QDate& day)
{
    _day = day;
    QString text = _dayTemplate;
    printDayRadioButton->setText(text.replace(QStringLiteral("%s"), day.toString(Qt::TextDate)));
    endDateEdit->setDate(day);
    startDateEdit->setDate(day.addDays(-6));
}

bool PrintOptions::getDateRange(QDate& first, QDate& last) const
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

bool PrintOptions::summaryOnly() const
{
    return summaryOnlyCheckbox->isChecked();
}

bool PrintOptions::omitEmpty() const
{
    return omitEmptyCheckbox->isChecked();
}

void PrintOptions::showHelp()
{
    BXHelp::showTopic(QStringLiteral("diary-print.html"));
}
