#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The notice shown before the data of an older installation is imported.
class ImportingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ImportingDialog(QWidget* parent = nullptr);

protected:
    void languageChange();

private:
    QLabel* infoLabel;
    QPushButton* okButton;
};
