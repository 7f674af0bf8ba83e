#include "reports/csvoptions.h"

#include "widgets/bxcalendar.h"
#include "widgets/qpopupcalendar.h"
#include "widgets/qpopupcalendarwidget.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
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

CSVOptions* CSVOptions::construct(QWidget* parent)
{
    return new CSVOptions(parent);
}

CSVOptions::CSVOptions(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("CSVOptions"));
    setModal(true);
    CSVOptionsInfo = named(new QLabel(this), "CSVOptionsInfo");
    CSVOptionsInfo->setWordWrap(true);
    buttonGroup1 = named(new QGroupBox(this), "buttonGroup1");
    printDayRadioButton = named(new QRadioButton(buttonGroup1), "printDayRadioButton");
    printDayRadioButton->setChecked(true);
    printRangeRadioButton = named(new QRadioButton(buttonGroup1), "printRangeRadioButton");
    startDateEdit = new QPopupCalendarWidget(buttonGroup1, "startDateEdit");
    startDateEdit->setEnabled(false);
    textLabel2 = named(new QLabel(buttonGroup1), "textLabel2");
    endDateEdit = new QPopupCalendarWidget(buttonGroup1, "endDateEdit");
    endDateEdit->setEnabled(false);
    printAllRadioButton = named(new QRadioButton(buttonGroup1), "printAllRadioButton");
    dayFilesCheckBox = named(new QCheckBox(this), "dayFilesCheckBox");
    directoryLabel = named(new QLabel(this), "directoryLabel");
    directoryButton = named(new QPushButton(this), "directoryButton");
    massFileCheckBox = named(new QCheckBox(this), "massFileCheckBox");
    fileLabel = named(new QLabel(this), "fileLabel");
    fileButton = named(new QPushButton(this), "fileButton");
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
    range->addWidget(printAllRadioButton);
    auto* outputs = new QGridLayout;
    outputs->addWidget(dayFilesCheckBox, 0, 0, 1, 2);
    outputs->addWidget(directoryLabel, 1, 0);
    outputs->addWidget(directoryButton, 1, 1);
    outputs->addWidget(massFileCheckBox, 2, 0, 1, 2);
    outputs->addWidget(fileLabel, 3, 0);
    outputs->addWidget(fileButton, 3, 1);
    outputs->setColumnStretch(0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton);
    buttons->addStretch(1);
    buttons->addWidget(printButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    layout->addWidget(CSVOptionsInfo);
    layout->addWidget(buttonGroup1);
    layout->addLayout(outputs);
    layout->addLayout(buttons);

    setTabOrder(printDayRadioButton, startDateEdit);
    setTabOrder(startDateEdit, endDateEdit);
    setTabOrder(endDateEdit, dayFilesCheckBox);
    setTabOrder(dayFilesCheckBox, massFileCheckBox);
    setTabOrder(massFileCheckBox, helpButton);
    setTabOrder(helpButton, printButton);
    setTabOrder(printButton, cancelButton);

    connect(printButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, &CSVOptions::showHelp);
    connect(printRangeRadioButton, &QRadioButton::toggled, startDateEdit, &QWidget::setEnabled);
    connect(printRangeRadioButton, &QRadioButton::toggled, endDateEdit, &QWidget::setEnabled);
    connect(fileButton, &QPushButton::clicked, this, &CSVOptions::uiGetOneFile);
    connect(directoryButton, &QPushButton::clicked, this, &CSVOptions::uiGetManyDir);
    connect(massFileCheckBox, &QCheckBox::stateChanged, this, &CSVOptions::oneFileChecked);
    connect(dayFilesCheckBox, &QCheckBox::stateChanged, this, &CSVOptions::manyFilesChecked);
    languageChange();
    init();
}

void CSVOptions::languageChange()
{
    setWindowTitle(tr("CSV Export Options"));
    CSVOptionsInfo->setText(
        tr("CSV is a standard format for tables of data. Diary entries exported as CSV can "
           "be viewed in spreadsheet software, such as a spreadsheet program of an office "
           "suite."));
    buttonGroup1->setTitle(tr("Range"));
    printDayRadioButton->setText(tr("Export the &day currently selected in the diary (%s)"));
    printRangeRadioButton->setText(tr("Export a &range of dates, starting from:"));
    textLabel2->setText(tr("until"));
    printAllRadioButton->setText(tr("Export all diary entries"));
    dayFilesCheckBox->setText(tr("Write a file per day to a directory"));
    directoryButton->setText(tr("..."));
    massFileCheckBox->setText(tr("Write one large file with all the information"));
    fileButton->setText(tr("..."));
    helpButton->setText(tr("&Help"));
    printButton->setText(tr("Export"));
    printButton->setShortcut(QKeySequence(QStringLiteral("Alt+P")));
    cancelButton->setText(tr("&Cancel"));
}

void CSVOptions::init()
{
    _dayFormat = printDayRadioButton->text();
    helpButton->hide();
    updateUi();
}

void CSVOptions::setDate(const QDate& day)
{
    _day = day;
    QString text = _dayFormat;
    printDayRadioButton->setText(text.replace(QStringLiteral("%s"), day.toString(Qt::TextDate)));
    endDateEdit->setDate(day);
    startDateEdit->setDate(day.addDays(-6));
}

bool CSVOptions::getDateRangeUnlessAll(QDate& start, QDate& end) const
{
    if (printAllRadioButton->isChecked())
        return false;
    if (printDayRadioButton->isChecked()) {
        start = _day;
        end = _day;
    } else {
        start = dateOf(startDateEdit);
        end = dateOf(endDateEdit);
    }
    return true;
}

bool CSVOptions::omitEmpty() const
{
    return false;
}

QString CSVOptions::getOneFile() const
{
    return massFileCheckBox->isChecked() ? _oneFile : QString();
}

QString CSVOptions::getManyDir() const
{
    return dayFilesCheckBox->isChecked() ? _manyDir : QString();
}

void CSVOptions::showHelp()
{
}

void CSVOptions::updateUi()
{
    fileLabel->setText(QDir::toNativeSeparators(_oneFile));
    directoryLabel->setText(QDir::toNativeSeparators(_manyDir));
    const bool many = dayFilesCheckBox->isChecked();
    const bool one = massFileCheckBox->isChecked();
    directoryLabel->setEnabled(many);
    directoryButton->setEnabled(many);
    fileLabel->setEnabled(one);
    fileButton->setEnabled(one);
    printButton->setEnabled(one || many);
}

QString CSVOptions::askOneFile()
{
    QFileDialog dialog(this, tr("Save CSV Export to One File"));
    dialog.setObjectName(QStringLiteral("csv export save mass file dialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
        ? dialog.selectedFiles().constFirst()
        : QString();
}

QString CSVOptions::askManyDir()
{
    QFileDialog dialog(this, tr("Directory for per-day files"));
    dialog.setObjectName(QStringLiteral("csv export save many files dialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
        ? dialog.selectedFiles().constFirst()
        : QString();
}

void CSVOptions::uiGetOneFile()
{
    const QString chosen = askOneFile();
    if (!chosen.isEmpty())
        _oneFile = chosen;
    updateUi();
}

void CSVOptions::uiGetManyDir()
{
    const QString chosen = askManyDir();
    if (!chosen.isEmpty())
        _manyDir = chosen;
    updateUi();
}

void CSVOptions::oneFileChecked()
{
    if (massFileCheckBox->isChecked() && _oneFile.isEmpty()) {
        uiGetOneFile();
        if (_oneFile.isEmpty())
            massFileCheckBox->setChecked(false);
    }
    updateUi();
}

void CSVOptions::manyFilesChecked()
{
    if (dayFilesCheckBox->isChecked() && _manyDir.isEmpty()) {
        uiGetManyDir();
        if (_manyDir.isEmpty())
            dayFilesCheckBox->setChecked(false);
    }
    updateUi();
}
