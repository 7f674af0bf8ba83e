#pragma once

#include <QLineEdit>
#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;

// Everything a screen asks the user in a box of its own goes through the installed prompter:
// message boxes, one-value input dialogs and pop-up menus. The default one shows them; tests
// install one that answers from a script and records what was asked.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // The installed prompter, or the one that shows real dialogs.
    static Prompter* instance();
    // Installs `prompter` (not owned) in place of the default; nullptr restores the default.
    static void install(Prompter* prompter);

    // A message box with the given buttons; the button pressed, or `escape` when it was closed.
    // Once the end of the session was asked for, no box opens: `escape` answers (and likewise
    // for choice()).
    virtual QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                                const QString& caption, const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton,
                                                QMessageBox::StandardButton escape);
    // A message box whose buttons carry the given texts, left to right; the index of the
    // button pressed, or `escapeIndex` when it was closed.
    virtual int choice(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                       const QString& text, const QStringList& buttonTexts, int defaultIndex = 0,
                       int escapeIndex = -1);

    virtual QString getText(QWidget* parent, const QString& caption, const QString& label,
                            const QString& text, bool* ok,
                            const QString& helpTopic = QString());
    // field names the number where a refused one is explained.
    virtual double getDouble(QWidget* parent, const QString& caption, const QString& label,
                             double value, double minValue, double maxValue, int decimals,
                             bool* ok, const QString& helpTopic = QString(),
                             const QString& field = QString());
    virtual int getInteger(QWidget* parent, const QString& caption, const QString& label,
                           int value, int minValue, int maxValue, int step, bool* ok,
                           const QString& helpTopic = QString());
    virtual QString getItem(QWidget* parent, const QString& caption, const QString& label,
                            const QStringList& items, int current, bool editable, bool* ok,
                            const QString& helpTopic = QString());

    // Pops `menu` up at `globalPos` and returns the action chosen, nullptr when none was.
    virtual QAction* popup(QMenu* menu, const QPoint& globalPos);

    // Short forms of message() with one OK button.
    static void information(QWidget* parent, const QString& caption, const QString& text);
    static void warning(QWidget* parent, const QString& caption, const QString& text);
    static void critical(QWidget* parent, const QString& caption, const QString& text);
    // Yes and No, Yes the default; true for Yes.
    static bool askYesNo(QWidget* parent, const QString& caption, const QString& text);
};
