#pragma once

#include <QWidget>

class MeasurementsPC;
class PageController;
class ProfileErrorWidget;
class QGroupBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;

// The wizard's page for weight and height, typed in kilograms and centimetres or in pounds
// and feet and inches; each system's fields follow the other's.
class MeasurementsPage : public QWidget
{
    Q_OBJECT

public:
    // The accepted range: a weight above 0 up to MaxWeight kilograms, a height of
    // MinHeight to MaxHeight whole centimetres.
    static constexpr double MaxWeight = 600.0;
    static constexpr int MinHeight = 1;
    static constexpr int MaxHeight = 300;

    explicit MeasurementsPage(QWidget* parent);
    ~MeasurementsPage() override;

    virtual bool validWeight() const;
    virtual bool validHeight() const;
    virtual PageController* pageController() const;

    // The metric weight field in kilograms; 0 when it holds no number.
    double metricWeight() const;
    // The whole centimetres of the metric height field (a decimal part is dropped); 0 when
    // it holds no number.
    int metricHeight() const;

    QLabel* textLabel1;
    QGroupBox* _metricBox;
    QLineEdit* _metricWeightField;
    QLineEdit* _metricHeightField;
    QGroupBox* _imperialBox;
    QLineEdit* _imperialWeigthField;
    QLineEdit* _imperialHeightFeetField;
    QLineEdit* _imperialHeightInchesField;

signals:
    void stateChanged();

public slots:
    virtual void updateValuesFromMetric();
    virtual void updateValuesFromImperial();
    virtual void updateErrors();
    virtual void languageChange();

private:
    void _buildForm();
    QGroupBox* _buildMetricBox();
    QGroupBox* _buildImperialBox();
    void init();

    QVBoxLayout* _pageLayout;
    QList<QLabel*> _fieldLabels;
    ProfileErrorWidget* _errorWidget;
    MeasurementsPC* _controller;
};
