#include "widgets/storeprompt.h"

#include "userdb/storeaction.h"
#include "widgets/prompter.h"

bool StorePrompt::read(QWidget* parent, const std::function<void()>& show)
{
    for (;;) {
        StoreOutcome outcome;
        {
            const StoreAction reading(StoreAction::Kind::Read);
            if (reading.outcome().ok()) {
                show();
                // A reading that failed inside `show` is not shown either.
                if (!reading.readFailed())
                    return true;
            }
            outcome = reading.outcome();
        }
        if (!outcome.busy()) {
            Prompter::warning(parent, tr("Diary not read"), outcome.readText());
            return false;
        }
        if (!askRetry(parent, outcome.readText()))
            return false;
    }
}

bool StorePrompt::change(QWidget* parent, const QString& caption,
                         const std::function<bool()>& change, const QString& refusal)
{
    for (;;) {
        StoreOutcome outcome;
        {
            const StoreAction changing(StoreAction::Kind::Change);
            if (change())
                return true;
            outcome = changing.outcome();
        }
        if (!outcome.busy()) {
            tellChange(parent, caption, outcome, refusal);
            return false;
        }
        if (!askRetry(parent, outcome.changeText()))
            return false;
    }
}

void StorePrompt::tellChange(QWidget* parent, const QString& caption, const StoreOutcome& outcome,
                             const QString& refusal)
{
    const QString text = outcome.ok() ? refusal : outcome.changeText();
    if (!text.isEmpty())
        Prompter::warning(parent, caption.isEmpty() ? tr("Change not saved") : caption, text);
}

bool StorePrompt::askRetry(QWidget* parent, const QString& text)
{
    return Prompter::instance()->choice(parent, QMessageBox::Warning, tr("Diary in use"), text,
                                        {tr("Retry"), tr("Cancel")}, 0, 1)
        == 0;
}
