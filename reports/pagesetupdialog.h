#pragma once

#include <QDialog>

class QFrame;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The page set-up form: paper size, orientation and colour mode. It selects nothing and
// connects no button; PageSetup::doDialog() does both.
class PageSetupDialog : public QDialog
{
    Q_OBJECT

public:
    PageSetupDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags = {});

    QGroupBox* paperGroup;
    QRadioButton* paperA4;
    QRadioButton* paperLetter;
    QGroupBox* orientationGroup;
    QRadioButton* orientationPortrait;
    QRadioButton* orientationLandscape;
    QGroupBox* colorGroup;
    QRadioButton* colorYes;
    QRadioButton* colorNo;
    QFrame* frame3;
    QPushButton* okButton;
    QPushButton* cancelButton;

protected:
    void languageChange();

private:
    QGroupBox* _group(const char* name, QRadioButton*& first, const char* firstName,
                      QRadioButton*& second, const char* secondName);
};
