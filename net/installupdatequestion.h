#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// Asks whether to install a database update now, and whether to check every four weeks.
class InstallUpdateQuestion : public QDialog
{
    Q_OBJECT

public:
    explicit InstallUpdateQuestion(QWidget* parent = nullptr);

    bool autoCheck() const;
    void setAutoCheck(bool on);
    QPushButton* yesButton() const { return _yesButton; }
    QPushButton* noButton() const { return _noButton; }

protected:
    void languageChange();

private:
    QLabel* _label;
    QCheckBox* _autoCheckBox;
    QPushButton* _yesButton;
    QPushButton* _noButton;
};
