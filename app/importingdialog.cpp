#include "app/importingdialog.h"
#include "userdb/previousdataimport.h"

#include "widgets/prompter.h"

#include <QDir>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

ImportingDialog::ImportingDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportingDialog"));
    auto* mainLayout = new QVBoxLayout(this);
    mainLayout->setObjectName(QStringLiteral("ImportingDialogLayout"));

    infoLabel = new QLabel(this);
    infoLabel->setObjectName(QStringLiteral("infoLabel"));
    infoLabel->setTextFormat(Qt::RichText);
    infoLabel->setWordWrap(true);
    mainLayout->addWidget(infoLabel);

    auto* buttonLayout = new QHBoxLayout();
    buttonLayout->setObjectName(QStringLiteral("layout1"));
    buttonLayout->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    okButton = new QPushButton(this);
    okButton->setObjectName(QStringLiteral("okButton"));
    buttonLayout->addWidget(okButton);
    mainLayout->addLayout(buttonLayout);

    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    languageChange();
    resize(minimumSizeHint());
}

void ImportingDialog::languageChange()
{
    setWindowTitle(tr("Importing Database"));
    infoLabel->setText(tr(
        "<p>A database containing diary entries, custom foods/exercises, and check-ins from a "
        "previous version of this program has been found. The information contained in it will "
        "now be imported for use in this version of the program.</p>\n<p>From now on, new "
        "information that you enter into this new version will not be available in the old "
        "version. Likewise, any new information entered into the old version will not appear in "
        "the new version.</p>\n<p>Please wait after hitting the \"OK\" button while the "
        "application is loading. Upgrading the database may take up to 5 minutes.</p>"));
    okButton->setText(tr("Ok"));
}

bool ImportingDialog::ask(Prompter* prompter, PreviousDataImport::Found found, const QString& path)
{
    if (found == PreviousDataImport::Found::Importable) {
        ImportingDialog dialog;
        return dialog.exec() == QDialog::Accepted;
    }
    prompter->message(nullptr, QMessageBox::Warning, tr("Importing Database"),
                      tr("The database %1 was written by an older version of this program, in a "
                         "format (SQLite 2.1) that this version cannot read. The file has been "
                         "left unchanged.\nA new, empty database will be used.")
                          .arg(QDir::toNativeSeparators(path)),
                      QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
    return false;
}
