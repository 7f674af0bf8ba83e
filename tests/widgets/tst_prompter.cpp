#include "widgets/prompter.h"
#include "tests/support/scriptedprompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestPrompter : public QObject
{
    Q_OBJECT

private:
    // Presses the button with `text` on the message box that is about to open, or Escape.
    static void pressWhenShown(const QString& text)
    {
        QTimer::singleShot(0, [text] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            if (text.isEmpty()) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == text)
                    button->click();
            }
        });
    }

private slots:
    void choiceGivesTheIndexOfTheButtonPressed()
    {
        pressWhenShown(QStringLiteral("&Replace"));
        const int index = Prompter::instance()->choice(
            nullptr, QMessageBox::Question, QStringLiteral("Copy"), QStringLiteral("Which?"),
            {QStringLiteral("&Keep"), QStringLiteral("&Replace"), QStringLiteral("Cancel")}, 0, 2);
        QCOMPARE(index, 1);
    }

    void escapeGivesTheEscapeAnswer()
    {
        pressWhenShown(QString());
        const int index = Prompter::instance()->choice(
            nullptr, QMessageBox::Question, QStringLiteral("Copy"), QStringLiteral("Which?"),
            {QStringLiteral("&Keep"), QStringLiteral("Cancel")}, 0, 1);
        QCOMPARE(index, 1);

        pressWhenShown(QString());
        QVERIFY(!Prompter::askYesNo(nullptr, QStringLiteral("Delete"), QStringLiteral("Sure?")));
    }

    void aScriptedPrompterAnswersAndRecords()
    {
        ScriptedPrompter script;
        script.answer(QMessageBox::Yes);
        script.answer(QStringLiteral("Lunch box"));
        QVERIFY(Prompter::askYesNo(nullptr, QStringLiteral("Delete"), QStringLiteral("Sure?")));
        bool ok = false;
        QCOMPARE(Prompter::instance()->getText(nullptr, QStringLiteral("Save Meal"),
                                               QStringLiteral("Name?"), QString(), &ok),
                 QStringLiteral("Lunch box"));
        QVERIFY(ok);
        // Nothing left in the script: the next question is cancelled, as a user would.
        Prompter::instance()->getText(nullptr, QStringLiteral("Rename"), QStringLiteral("Name?"),
                                      QString(), &ok);
        QVERIFY(!ok);
        QCOMPARE(script.unanswered, 1);
        QCOMPARE(script.asked.size(), 3);
        QCOMPARE(script.asked.at(0).text, QStringLiteral("Sure?"));
        QCOMPARE(script.lastCaption(), QStringLiteral("Rename"));
    }

    void aScriptedMenuPicksOnlyEnabledEntries()
    {
        ScriptedPrompter script;
        QMenu menu;
        menu.addAction(QStringLiteral("Breakfast"));
        menu.addSeparator();
        menu.addAction(QStringLiteral("Lunch"))->setEnabled(false);
        script.answer(QStringLiteral("Breakfast"));
        script.answer(QStringLiteral("Lunch"));
        QCOMPARE(Prompter::instance()->popup(&menu, QPoint())->text(), QStringLiteral("Breakfast"));
        QCOMPARE(Prompter::instance()->popup(&menu, QPoint()), nullptr);
        QCOMPARE(script.asked.last().options,
                 QStringList({QStringLiteral("Breakfast"), QStringLiteral("Lunch")}));
    }

    void uninstallingRestoresTheShownPrompter()
    {
        Prompter* shown = Prompter::instance();
        {
            ScriptedPrompter script;
            QCOMPARE(Prompter::instance(), &script);
        }
        QCOMPARE(Prompter::instance(), shown);
    }
};

QTEST_MAIN(TestPrompter)
#include "tst_prompter.moc"
