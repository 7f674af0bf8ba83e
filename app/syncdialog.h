#pragma once

#include <QDialog>

class QLabel;

// The waiting dialog shown while the handheld synchronisation has the user
// database closed. The user cannot dismiss it; the main window ends it when the
// synchronisation hands the database back, and the program closes it when the
// session ends.
class SyncDialog : public QDialog
{
    Q_OBJECT

public:
    static SyncDialog* construct(QWidget* parent);

    QLabel* textLabel() const { return _textLabel1; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

protected slots:
    void languageChange();

private:
    explicit SyncDialog(QWidget* parent);

    QLabel* _textLabel1 = nullptr;
};
