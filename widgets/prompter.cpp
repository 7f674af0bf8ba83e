#include "widgets/prompter.h"

#include "widgets/bxinputdialog.h"

#include "core/endrequest.h"

#include <QAbstractButton>
#include <QMenu>
#include <QPushButton>

namespace {
Prompter*& installed()
{
    static Prompter* prompter = nullptr;
    return prompter;
}
} // namespace

Prompter* Prompter::instance()
{
    static Prompter shown;
    Prompter* prompter = installed();
    return prompter ? prompter : &shown;
}

void Prompter::install(Prompter* prompter)
{
    installed() = prompter;
}

QMessageBox::StandardButton Prompter::message(QWidget* parent, QMessageBox::Icon icon,
                                              const QString& caption, const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton,
                                              QMessageBox::StandardButton escape)
{
    // Once the end of the session was asked for, nothing is asked: Escape answers.
    if (EndRequest::asked())
        return escape;
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(escape);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked ? box.standardButton(clicked) : escape;
}

int Prompter::choice(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                     const QString& text, const QStringList& buttonTexts, int defaultIndex,
                     int escapeIndex)
{
    if (EndRequest::asked())
        return escapeIndex;
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> buttons;
    for (const QString& buttonText : buttonTexts)
        buttons.append(box.addButton(buttonText, QMessageBox::ActionRole));
    if (defaultIndex >= 0 && defaultIndex < buttons.size())
        box.setDefaultButton(buttons.at(defaultIndex));
    if (escapeIndex >= 0 && escapeIndex < buttons.size())
        box.setEscapeButton(buttons.at(escapeIndex));
    box.exec();
    const int index = buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return index >= 0 ? index : escapeIndex;
}

QString Prompter::getText(QWidget* parent, const QString& caption, const QString& label,
                          const QString& text, bool* ok, const QString& helpTopic)
{
    return BXInputDialog::getText(caption, label, QLineEdit::Normal, text, ok, parent, nullptr,
                                  helpTopic);
}

double Prompter::getDouble(QWidget* parent, const QString& caption, const QString& label,
                           double value, double minValue, double maxValue, int decimals,
                           bool* ok, const QString& helpTopic, const QString& field)
{
    return BXInputDialog::getDouble(caption, label, value, minValue, maxValue, decimals, ok,
                                    parent, nullptr, helpTopic, field);
}

int Prompter::getInteger(QWidget* parent, const QString& caption, const QString& label,
                         int value, int minValue, int maxValue, int step, bool* ok,
                         const QString& helpTopic)
{
    return BXInputDialog::getInteger(caption, label, value, minValue, maxValue, step, ok, parent,
                                     nullptr, helpTopic);
}

QString Prompter::getItem(QWidget* parent, const QString& caption, const QString& label,
                          const QStringList& items, int current, bool editable, bool* ok,
                          const QString& helpTopic)
{
    return BXInputDialog::getItem(caption, label, items, current, editable, ok, parent, nullptr,
                                  helpTopic);
}

QAction* Prompter::popup(QMenu* menu, const QPoint& globalPos)
{
    return menu->exec(globalPos);
}

void Prompter::information(QWidget* parent, const QString& caption, const QString& text)
{
    instance()->message(parent, QMessageBox::Information, caption, text, QMessageBox::Ok,
                        QMessageBox::Ok, QMessageBox::Ok);
}

void Prompter::warning(QWidget* parent, const QString& caption, const QString& text)
{
    instance()->message(parent, QMessageBox::Warning, caption, text, QMessageBox::Ok,
                        QMessageBox::Ok, QMessageBox::Ok);
}

void Prompter::critical(QWidget* parent, const QString& caption, const QString& text)
{
    instance()->message(parent, QMessageBox::Critical, caption, text, QMessageBox::Ok,
                        QMessageBox::Ok, QMessageBox::Ok);
}

bool Prompter::askYesNo(QWidget* parent, const QString& caption, const QString& text)
{
    return instance()->message(parent, QMessageBox::Question, caption, text,
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                               QMessageBox::No)
        == QMessageBox::Yes;
}
