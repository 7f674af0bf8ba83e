#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// Asks whether the days waiting to be published are to be published now or their changes
// discarded; shown when the diary has not been published for a while.
class PublishingPrompt : public QDialog
{
    Q_OBJECT

public:
    // A new prompt; the caller runs it with exec() and deletes it.
    static PublishingPrompt* construct(QWidget* parent);

    QLabel* textLabel2;
    QLabel* textLabel1;
    QGroupBox* buttonGroup2;
    QRadioButton* radioPublish;
    QRadioButton* radioDiscard;
    QTreeWidget* dateList;
    QPushButton* buttonHelp;
    QPushButton* buttonOk;
    QPushButton* buttonCancel;

    // Whether the dates listed were read (the user was told when not).
    bool datesRead() const { return _datesRead; }

public slots:
    // Enables OK once either choice is made.
    virtual void toggleOK();
    virtual void showHelp();
    virtual void languageChange();

protected:
    explicit PublishingPrompt(QWidget* parent);
    // Lists the dates of the changed diary days and check-ins, oldest first.
    virtual void init();

private:
    bool _datesRead = false;
};
