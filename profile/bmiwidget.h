#pragma once

#include <QWidget>

class QFontMetrics;
class QPainter;

// A painted scale of the body-mass index from 15 to 45 in five bands, with the body weight
// at each inner band boundary for the user's height and a box reading the user's own index.
class BMIWidget : public QWidget
{
    Q_OBJECT

public:
    // What bmi() gives when the weight or the height is missing.
    static constexpr float NO_BMI = -1.0f;
    // The indexes at the two ends of the scale.
    static constexpr float SCALE_LOW = 15.0f;
    static constexpr float SCALE_HIGH = 45.0f;

    explicit BMIWidget(QWidget* parent = nullptr);

    // Keeps the weight in kilograms and the height given in centimetres, and repaints. The
    // first value does not change the drawing.
    void set(int, float weightKg, float heightCm);
    // Boundary weights in pounds instead of kilograms, from the next repaint on.
    void setDisplayImperial(bool imperial);

    // Weight / height squared (height in metres); NO_BMI when either is not above 0.
    float bmi() const;
    // The weight in kilograms at which the user reaches the index.
    float weightAtBMI(float index) const;
    QSize sizeHint() const override;

    // The x position of an index on a scale drawn in a widget of that width.
    static int scaleX(double index, int width);
    // The text of the index box.
    QString indexText() const;
    // The weight text under a band boundary, in the display's unit.
    QString boundaryText(float index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void _drawBands(QPainter& painter, const int* boundaries, int centre) const;
    void _drawIndexBox(QPainter& painter, const int* boundaries, int centre) const;
    void _drawBandNames(QPainter& painter, const int* boundaries, int centre) const;
    void _drawBoundaryWeights(QPainter& painter, const int* boundaries, int centre) const;

    float _weight = -1.0f; // kilograms
    float _height = -1.0f; // metres
    bool _imperial = true;
};
