#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: the brand's splash image, the application's name, its version and
// its edition, and the credits for the data and images the program ships.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    static AboutDialog* construct(QWidget* parent);

    QLabel* pixmapLabel() const { return _pixmapLabel1; }
    QLabel* appnameLabel() const { return _appnameLabel; }
    QLabel* creditsLabel() const { return _creditsLabel; }

protected slots:
    void languageChange();

private:
    explicit AboutDialog(QWidget* parent);
    void init();

    QLabel* _pixmapLabel1 = nullptr;
    QLabel* _appnameLabel = nullptr;
    QLabel* _creditsLabel = nullptr;
    QPushButton* _closeButton = nullptr;
};
