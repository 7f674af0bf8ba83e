#pragma once

#include <QWidget>

#include <initializer_list>

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
    explicit MeasurementsPage(QWidget* parent);

    virtual bool validWeight() const;
    virtual bool validHeight() const;

    // The weight in kilograms, from the field it was last typed in (pounds unrounded); 0 when
    // that field holds no acceptable number.
    double metricWeight() const;
    bool weightTypedInPounds() const { return _weightTypedInPounds; }
    // The whole centimetres of the metric height field; 0 when it holds no acceptable number.
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
    virtual void updateErrors();
    virtual void languageChange();

private:
    void _buildForm();
    QGroupBox* _buildMetricBox();
    QGroupBox* _buildImperialBox();
    void init();
    void _setValidators();
    // Each figure is written into the other system from the one typed, the weight apart from
    // the height, so that typing one never rounds the other.
    void _weightFromMetric();
    void _weightFromImperial();
    void _heightFromMetric();
    void _heightFromImperial();
    // The refusal of the first of fields that holds a text its validator refuses.
    static QString _firstRefusal(std::initializer_list<const QLineEdit*> fields);

    QVBoxLayout* _pageLayout;
    QList<QLabel*> _fieldLabels;
    ProfileErrorWidget* _errorWidget;
    bool _weightTypedInPounds = false;
};
