#include "reports/printoptions.h"

#include "widgets/bxhelp.h"
#include "widgets/qpopupcalendarwidget.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

PrintOptions* PrintOptions::construct(QWidget* parent)
{
    return new PrintOptions(parent);
}

PrintOptions::PrintOptions(QWidget* parent)
    : DateRangeOptions(parent,
                       Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint,
                       "PrintOptions", "PrintOptionsInfo")
{
    PrintOptionsInfo = info();
    PrintOptionsInfo->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    summaryOnlyCheckbox = new QCheckBox(this);
    summaryOnlyCheckbox->setObjectName(QStringLiteral("summaryOnlyCheckbox"));
    omitEmptyCheckbox = new QCheckBox(this);
    omitEmptyCheckbox->setObjectName(QStringLiteral("omitEmptyCheckbox"));
    column()->setSizeConstraint(QLayout::SetFixedSize);
    column()->addWidget(summaryOnlyCheckbox);
    column()->addWidget(omitEmptyCheckbox);
    PrintOptionsInfo->setMinimumWidth(378 - 22);

    setTabOrder(endDateEdit, summaryOnlyCheckbox);
    setTabOrder(summaryOnlyCheckbox, omitEmptyCheckbox);
    addButtons(omitEmptyCheckbox);
    languageChange();
    init();
}

void PrintOptions::languageChange()
{
    setWindowTitle(tr("Print options"));
    buttonGroup1->setTitle(tr("Range"));
    printDayRadioButton->setText(tr("Print the &day currently selected in the diary (%s)"));
    printRangeRadioButton->setText(tr("Print a &range of dates, starting from:"));
    textLabel2->setText(tr("until"));
    summaryOnlyCheckbox->setText(tr("&Only print the daily summary"));
    omitEmptyCheckbox->setText(tr("Do not print &empty days"));
    helpButton->setText(tr("&Help"));
    printButton->setText(tr("&Print"));
    cancelButton->setText(tr("&Cancel"));
    _showInfo();
}

// Names the summary box as it reads, and only where it is offered.
void PrintOptions::_showInfo()
{
    QString text = tr("You can print out diary information over a period of time.");
    if (!summaryOnlyCheckbox->isHidden()) {
        text = tr("%1 If you just want a nutrient summary for the day, tick the \"%2\" checkbox.")
                   .arg(text, summaryOnlyCheckbox->text().remove(QLatin1Char('&')));
    }
    PrintOptionsInfo->setText(text);
}

void PrintOptions::init()
{
    keepDayTemplate();
}

void PrintOptions::displayExtendedOptions(bool showSummaryOnly, bool showOmitEmpty)
{
    summaryOnlyCheckbox->setVisible(showSummaryOnly);
    omitEmptyCheckbox->setVisible(showOmitEmpty);
    _showInfo();
}

bool PrintOptions::getDateRange(QDate& first, QDate& last) const
{
    return chosenRange(first, last);
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
