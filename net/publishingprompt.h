#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;
class QRadioButton;

// Asks whether the days not yet published are to be published or their changes discarded.
class PublishingPrompt : public QDialog
{
    Q_OBJECT

public:
    // A new prompt; the caller runs it with exec() and deletes it.
    static PublishingPrompt* construct(QWidget* parent);

    QRadioButton* radioPublish;
    QRadioButton* radioDiscard;
    QListWidget* dayList;
    QPushButton* buttonOk;
    QPushButton* buttonCancel;

public slots:
    // Enables OK once either choice is made.
    void toggleOK();

private:
    explicit PublishingPrompt(QWidget* parent);
    void _listDays();
};
