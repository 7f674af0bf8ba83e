#pragma once

#include "widgets/prompter.h"

#include <QAction>
#include <QMenu>
#include <QStringList>
#include <QVariant>
#include <deque>

// A prompter for tests: installs itself for its lifetime, answers every question from a script
// of queued answers and records each caption and text it was shown. A question with no answer
// left is refused the way a user cancelling it would (Escape, Cancel, no menu entry), and counted.
class ScriptedPrompter : public Prompter
{
public:
    struct Asked
    {
        QString kind; // "message", "choice", "text", "double", "integer", "item" or "menu"
        QString caption;
        QString text;
        QStringList options; // button texts, list items or menu entries
    };

    ScriptedPrompter() { Prompter::install(this); }
    ~ScriptedPrompter() override { Prompter::install(nullptr); }
    ScriptedPrompter(const ScriptedPrompter&) = delete;
    ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;

    // Answers, used in order by whatever is asked next: a StandardButton for message(), a
    // button index for choice(), a value for the input dialogs, an entry's text for popup().
    void answer(const QVariant& value) { _answers.push_back(value); }

    QList<Asked> asked;
    int unanswered = 0;

    QString lastText() const { return asked.isEmpty() ? QString() : asked.last().text; }
    QString lastCaption() const { return asked.isEmpty() ? QString() : asked.last().caption; }

    QMessageBox::StandardButton message(QWidget*, QMessageBox::Icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton,
                                        QMessageBox::StandardButton escape) override
    {
        asked.append({QStringLiteral("message"), caption, text, {}});
        const QVariant next = _next();
        return next.isValid() ? QMessageBox::StandardButton(next.toInt()) : escape;
    }

    int choice(QWidget*, QMessageBox::Icon, const QString& caption, const QString& text,
               const QStringList& buttonTexts, int, int escapeIndex) override
    {
        asked.append({QStringLiteral("choice"), caption, text, buttonTexts});
        const QVariant next = _next();
        return next.isValid() ? next.toInt() : escapeIndex;
    }

    QString getText(QWidget*, const QString& caption, const QString& label, const QString&,
                    bool* ok, const QString&) override
    {
        return _value(QStringLiteral("text"), caption, label, {}, ok).toString();
    }

    double getDouble(QWidget*, const QString& caption, const QString& label, double value,
                     double, double, int, bool* ok, const QString&, const QString&) override
    {
        const QVariant next = _value(QStringLiteral("double"), caption, label, {}, ok);
        return next.isValid() ? next.toDouble() : value;
    }

    int getInteger(QWidget*, const QString& caption, const QString& label, int value, int, int,
                   int, bool* ok, const QString&) override
    {
        const QVariant next = _value(QStringLiteral("integer"), caption, label, {}, ok);
        return next.isValid() ? next.toInt() : value;
    }

    QString getItem(QWidget*, const QString& caption, const QString& label,
                    const QStringList& items, int, bool, bool* ok, const QString&) override
    {
        return _value(QStringLiteral("item"), caption, label, items, ok).toString();
    }

    QAction* popup(QMenu* menu, const QPoint&) override
    {
        QStringList entries;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                entries.append(action->text());
        }
        asked.append({QStringLiteral("menu"), menu->title(), QString(), entries});
        const QVariant next = _next();
        if (!next.isValid())
            return nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == next.toString() && action->isEnabled())
                return action;
        }
        return nullptr;
    }

private:
    QVariant _next()
    {
        if (_answers.empty()) {
            ++unanswered;
            return {};
        }
        QVariant next = _answers.front();
        _answers.pop_front();
        return next;
    }

    QVariant _value(const QString& kind, const QString& caption, const QString& label,
                    const QStringList& items, bool* ok)
    {
        asked.append({kind, caption, label, items});
        const QVariant next = _next();
        if (ok)
            *ok = next.isValid();
        return next;
    }

    std::deque<QVariant> _answers;
};
