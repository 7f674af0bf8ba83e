#include "widgets/storeprompt.h"

#include "widgets/prompter.h"

bool StorePrompt::act(QWidget* parent, StoreAction::Kind kind, const QString& caption,
                      const std::function<bool()>& work, const QString& refusal)
{
    const bool reading = kind == StoreAction::Kind::Read;
    for (;;) {
        bool done = false;
        bool inner = false;
        StoreResult outcome;
        {
            const StoreAction action(kind);
            done = action.outcome().ok() && work();
            outcome = action.outcome();
            inner = action.partOfAnother();
        }
        // A part of another action asks and tells nothing: the other one's opener does, once.
        if (inner)
            return done && outcome.ok();
        if (!outcome.busy()) {
            if (!done || !outcome.ok())
                tell(parent, kind, caption, outcome, refusal);
            return done && outcome.ok();
        }
        if (!askRetry(parent, reading ? outcome.readText() : outcome.changeText()))
            return false;
    }
}

bool StorePrompt::read(QWidget* parent, const std::function<void()>& show)
{
    return act(parent, StoreAction::Kind::Read, QString(), [&show] {
        show();
        return true;
    });
}

bool StorePrompt::change(QWidget* parent, const QString& caption,
                         const std::function<bool()>& change, const QString& refusal)
{
    return act(parent, StoreAction::Kind::Change, caption, change, refusal);
}

void StorePrompt::tell(QWidget* parent, StoreAction::Kind kind, const QString& caption,
                       const StoreResult& outcome, const QString& refusal)
{
    const bool reading = kind == StoreAction::Kind::Read;
    const QString text = outcome.ok() ? refusal : reading ? outcome.readText() : outcome.changeText();
    if (text.isEmpty())
        return;
    const QString title = !caption.isEmpty() ? caption
                        : reading            ? tr("Diary not read")
                                             : tr("Change not saved");
    Prompter::warning(parent, title, text);
}

bool StorePrompt::askRetry(QWidget* parent, const QString& text)
{
    return Prompter::instance()->choice(parent, QMessageBox::Warning, tr("Diary in use"), text,
                                        {tr("Retry"), tr("Cancel")}, 0, 1)
        == 0;
}
