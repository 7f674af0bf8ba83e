#include "widgets/numberfieldcheck.h"

#include "widgets/bxtickbox.h"
#include "widgets/prompter.h"

#include "core/numbervalidator.h"

#include <QLineEdit>

QList<QLineEdit*> NumberFieldCheck::fields(const QWidget* form)
{
    QList<QLineEdit*> found;
    for (QLineEdit* edit : form->findChildren<QLineEdit*>()) {
        if (validatorOf(edit))
            found.append(edit);
    }
    return found;
}

const NumberValidator* NumberFieldCheck::validatorOf(const QLineEdit* field)
{
    return qobject_cast<const NumberValidator*>(field->validator());
}

std::optional<double> NumberFieldCheck::value(const QLineEdit* field)
{
    const NumberValidator* validator = validatorOf(field);
    return validator ? validator->read(field->text()) : std::nullopt;
}

bool NumberFieldCheck::confirm(QWidget* form, const QString& caption)
{
    for (QLineEdit* field : fields(form)) {
        if (!field->isVisibleTo(form) || !field->isEnabled())
            continue;
        const QString refusal = validatorOf(field)->refusal(field->text());
        if (refusal.isEmpty())
            continue;
        field->setFocus();
        field->selectAll();
        Prompter::warning(form, caption, refusal);
        return false;
    }
    return true;
}

void NumberFieldCheck::showStored(QLineEdit* field, const QString& text)
{
    if (auto* validator = const_cast<NumberValidator*>(validatorOf(field)))
        validator->setStoredText(text);
    field->setText(text);
}

bool NumberFieldCheck::showsStored(const QLineEdit* field)
{
    const NumberValidator* validator = validatorOf(field);
    return validator && !validator->storedText().isEmpty()
           && field->text() == validator->storedText();
}

bool NumberFieldCheck::isUntouched(const QLineEdit* field)
{
    const NumberValidator* validator = validatorOf(field);
    return validator && field->text() == validator->storedText();
}

void NumberFieldCheck::showWorkedOut(QLineEdit* field, const QString& text, bool fromStored)
{
    showStored(field, fromStored ? text : QString());
    field->setText(text);
}

void NumberFieldCheck::tickWhenAcceptable(QLineEdit* field, BXTickBox* tick)
{
    QObject::connect(field, &QLineEdit::textChanged, tick, [field, tick](const QString& text) {
        tick->setTick(field->hasAcceptableInput() ? text : QString());
    });
}
