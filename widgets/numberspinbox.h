#pragma once

#include <QSpinBox>

// A spin box whose typed text is read by the core's number rule: a whole number within the
// range, without group separators. A keystroke is never refused, so no typed character
// vanishes and joins the digits around it; text the rule refuses leaves the box not acceptable.
class NumberSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit NumberSpinBox(QWidget* parent);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    int valueFromText(const QString& text) const override;
    QString textFromValue(int value) const override;
};
