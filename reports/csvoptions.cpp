#include "reports/csvoptions.h"

#include "widgets/named.h"
#include "widgets/qpopupcalendarwidget.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CSVOptions* CSVOptions::construct(QWidget* parent)
{
    return new CSVOptions(parent);
}

CSVOptions::CSVOptions(QWidget* parent)
    : DateRangeOptions(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint,
                       "CSVOptions", "CSVOptionsInfo")
{
    CSVOptionsInfo = info();
    printAllRadioButton = named(new QRadioButton(buttonGroup1), "printAllRadioButton");
    dayFilesCheckBox = named(new QCheckBox(this), "dayFilesCheckBox");
    directoryLabel = named(new QLabel(this), "directoryLabel");
    directoryButton = named(new QPushButton(this), "directoryButton");
    massFileCheckBox = named(new QCheckBox(this), "massFileCheckBox");
    fileLabel = named(new QLabel(this), "fileLabel");
    fileButton = named(new QPushButton(this), "fileButton");

    rangeColumn()->addWidget(printAllRadioButton);
    auto* outputs = new QGridLayout;
    outputs->addWidget(dayFilesCheckBox, 0, 0, 1, 2);
    outputs->addWidget(directoryLabel, 1, 0);
    outputs->addWidget(directoryButton, 1, 1);
    outputs->addWidget(massFileCheckBox, 2, 0, 1, 2);
    outputs->addWidget(fileLabel, 3, 0);
    outputs->addWidget(fileButton, 3, 1);
    outputs->setColumnStretch(0, 1);
    column()->addLayout(outputs);

    setTabOrder(endDateEdit, dayFilesCheckBox);
    setTabOrder(dayFilesCheckBox, massFileCheckBox);
    addButtons(massFileCheckBox);

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
    keepDayTemplate();
    helpButton->hide();
    updateUi();
}

bool CSVOptions::getDateRangeUnlessAll(QDate& start, QDate& end) const
{
    if (printAllRadioButton->isChecked())
        return false;
    chosenRange(start, end);
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
