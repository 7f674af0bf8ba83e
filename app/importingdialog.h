#pragma once

#include "userdb/previousdataimport.h"

#include <QDialog>

class Prompter;
class QLabel;
class QPushButton;

// The notice shown before the data of an older installation is imported.
class ImportingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ImportingDialog(QWidget* parent = nullptr);

    // Answers the start's question about the older data found at `path`: the notice for data
    // that can be imported (whether the user took it), or, through the prompter, why older
    // data cannot be.
    static bool ask(Prompter* prompter, PreviousDataImport::Found found, const QString& path);

protected:
    void languageChange();

private:
    QLabel* infoLabel;
    QPushButton* okButton;
};
