#include "widgets/bxinputdialog.h"
#include "tests/support/widgetpicture.h"

#include <QApplication>
#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QLabel>
#include <QLayout>
#include <QtTest>

#include <functional>

namespace {

// Runs `step` on the input dialog once it is up and running modally, then makes sure it
// ends so that a failing check cannot leave the test waiting.
void whenShown(const std::function<void(BXInputDialog*)>& step)
{
    QTimer::singleShot(0, [step]() {
        auto* dialog = qobject_cast<BXInputDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            whenShown(step);
            return;
        }
        step(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

void typeInto(BXInputDialog* dialog, const QString& text)
{
    dialog->lineEdit()->clear();
    QTest::keyClicks(dialog->lineEdit(), text);
}

} // namespace

class TestInputDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void textIsReturnedWhenAccepted()
    {
        QString caption;
        QString objectName;
        whenShown([&](BXInputDialog* dialog) {
            caption = dialog->windowTitle();
            objectName = dialog->objectName();
            typeInto(dialog, QStringLiteral("Sunday breakfast"));
            QVERIFY(dialog->okButton()->isEnabled());
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        });
        bool ok = false;
        const QString text = BXInputDialog::getText(QStringLiteral("Save Meal"),
                                                    QStringLiteral("Enter a name:"),
                                                    QLineEdit::Normal, QString(), &ok);
        QVERIFY(ok);
        QCOMPARE(text, QStringLiteral("Sunday breakfast"));
        QCOMPARE(caption, QStringLiteral("Save Meal"));
        QCOMPARE(objectName, QStringLiteral("qt_inputdlg_gettext"));
    }

    void cancelGivesNullText()
    {
        whenShown([](BXInputDialog* dialog) {
            typeInto(dialog, QStringLiteral("typed"));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("qt_cancel_btn")),
                              Qt::LeftButton);
        });
        bool ok = true;
        const QString text = BXInputDialog::getText(QStringLiteral("c"), QStringLiteral("l"),
                                                    QLineEdit::Normal, QStringLiteral("start"),
                                                    &ok);
        QVERIFY(!ok);
        QVERIFY(text.isNull());
    }

    void blankTextKeepsOkDisabledAndReturnDoesNotAccept()
    {
        bool okAtStart = true;
        bool okWithBlanks = true;
        whenShown([&](BXInputDialog* dialog) {
            okAtStart = dialog->okButton()->isEnabled();
            typeInto(dialog, QStringLiteral("   "));
            okWithBlanks = dialog->okButton()->isEnabled();
            QTest::keyClick(dialog->lineEdit(), Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            typeInto(dialog, QStringLiteral(" x "));
            QTest::keyClick(dialog->lineEdit(), Qt::Key_Return);
        });
        bool ok = false;
        const QString text = BXInputDialog::getText(QStringLiteral("c"), QStringLiteral("l"),
                                                    QLineEdit::Normal, QStringLiteral("  "), &ok);
        QVERIFY(!okAtStart);
        QVERIFY(!okWithBlanks);
        QVERIFY(ok);
        QCOMPARE(text, QStringLiteral(" x "));
    }

    void doubleFollowsRangeAndDecimals()
    {
        QString startText;
        bool selected = false;
        bool aboveRange = true;
        bool twoDecimals = true;
        bool returnAboveRange = true;
        whenShown([&](BXInputDialog* dialog) {
            startText = dialog->lineEdit()->text();
            selected = dialog->lineEdit()->selectedText() == startText;
            dialog->lineEdit()->setText(QStringLiteral("150"));
            aboveRange = dialog->okButton()->isEnabled();
            QTest::keyClick(dialog->lineEdit(), Qt::Key_Return);
            returnAboveRange = !dialog->isVisible();
            dialog->lineEdit()->setText(QStringLiteral("5.55"));
            twoDecimals = dialog->okButton()->isEnabled();
            dialog->lineEdit()->setText(QStringLiteral("55.5"));
            QVERIFY(dialog->okButton()->isEnabled());
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        });
        bool ok = false;
        const double value = BXInputDialog::getDouble(QStringLiteral("Servings"),
                                                      QStringLiteral("How many?"), 2.0, 0.0,
                                                      100.0, 1, &ok);
        QCOMPARE(startText, QStringLiteral("2.0"));
        QVERIFY(selected);
        QVERIFY(!aboveRange);
        QVERIFY(!returnAboveRange);
        QVERIFY(!twoDecimals);
        QVERIFY(ok);
        QCOMPARE(value, 55.5);

        // A figure left as shown gives back the value, not its rounded form.
        whenShown([](BXInputDialog* dialog) {
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        });
        QCOMPARE(BXInputDialog::getDouble(QStringLiteral("Servings"), QStringLiteral("How many?"),
                                          1.0 / 3.0, 0.0, 100.0, 1, &ok),
                 1.0 / 3.0);
    }

    // The locale's decimal separator is the only one: the number shown at the start is
    // written with it, the other separator is refused with a hint, never read as a decimal or
    // group separator, and the explanation naming the field is shown whole.
    void doubleFollowsTheLocalesDecimalPoint_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("read");
        QTest::newRow("German") << QLocale(QLocale::German) << "2,0" << "1.5"
                                << "Servings must be a number from 0 to 100, with at most one "
                                   "decimal. Decimals are written with a comma."
                                << "1,5";
        QTest::newRow("English") << QLocale(QLocale::English) << "2.0" << "1,5"
                                 << "Servings must be a number from 0 to 100, with at most one "
                                    "decimal. Decimals are written with a point."
                                 << "1.5";
    }

    void doubleFollowsTheLocalesDecimalPoint()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, start);
        QFETCH(QString, refused);
        QFETCH(QString, refusal);
        QFETCH(QString, read);
        QLocale::setDefault(locale);
        QString startText;
        QString typed;
        bool refusedEnabled = true;
        bool stillShown = false;
        QString explained;
        bool explainedWhole = false;
        whenShown([&](BXInputDialog* dialog) {
            startText = dialog->lineEdit()->text();
            typeInto(dialog, refused);
            typed = dialog->lineEdit()->text();
            refusedEnabled = dialog->okButton()->isEnabled();
            auto* label = dialog->findChild<QLabel*>(QStringLiteral("qt_inputdlg_refusal"));
            explained = label->text();
            dialog->layout()->activate();
            explainedWhole = label->height() >= label->heightForWidth(label->width());
            QVERIFY(saveWidgetPicture(dialog, QStringLiteral("inputdialog-") + locale.name()));
            QTest::keyClick(dialog->lineEdit(), Qt::Key_Return);
            stillShown = dialog->isVisible();
            typeInto(dialog, read);
            QTest::keyClick(dialog->lineEdit(), Qt::Key_Return);
        });
        bool ok = false;
        const double value = BXInputDialog::getDouble(
            QStringLiteral("Servings"), QStringLiteral("How many?"), 2.0, 0.0, 100.0, 1, &ok,
            nullptr, nullptr, QString(), QStringLiteral("Servings"));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(startText, start);
        // The refused separator stays in the field: it is never read as 15 or 1.5.
        QCOMPARE(typed, refused);
        QVERIFY(!refusedEnabled);
        QCOMPARE(explained, refusal);
        QVERIFY(explainedWhole);
        QVERIFY(stillShown);
        QVERIFY(ok);
        QCOMPARE(value, 1.5);
    }

    void integerAndItemPromptsCanBeAccepted()
    {
        whenShown([](BXInputDialog* dialog) {
            QCOMPARE(dialog->type(), BXInputDialog::SpinBox);
            QVERIFY(dialog->okButton()->isEnabled());
            dialog->spinBox()->stepUp();
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        });
        bool ok = false;
        QCOMPARE(BXInputDialog::getInteger(QStringLiteral("c"), QStringLiteral("l"), 3, 0, 10, 2,
                                           &ok),
                 5);
        QVERIFY(ok);

        whenShown([](BXInputDialog* dialog) {
            QCOMPARE(dialog->type(), BXInputDialog::ComboBox);
            QCOMPARE(dialog->comboBox()->currentText(), QStringLiteral("Lunch"));
            dialog->comboBox()->setCurrentIndex(2);
            QVERIFY(dialog->okButton()->isEnabled());
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        });
        const QStringList meals{QStringLiteral("Breakfast"), QStringLiteral("Lunch"),
                                QStringLiteral("Dinner")};
        QCOMPARE(BXInputDialog::getItem(QStringLiteral("c"), QStringLiteral("l"), meals, 1, false,
                                        &ok),
                 QStringLiteral("Dinner"));
        QVERIFY(ok);
    }

    void editableItemNeedsText()
    {
        BXInputDialog dialog(QStringLiteral("l"), nullptr, nullptr, true,
                             BXInputDialog::EditableComboBox);
        QVERIFY(!dialog.okButton()->isEnabled());
        dialog.editableComboBox()->setEditText(QStringLiteral("Supper"));
        QVERIFY(dialog.okButton()->isEnabled());
        dialog.editableComboBox()->setEditText(QStringLiteral("  "));
        QVERIFY(!dialog.okButton()->isEnabled());
    }

    void helpButtonOnlyWithATopic()
    {
        BXInputDialog plain(QStringLiteral("l"));
        QVERIFY(plain.helpButton()->isHidden());
        BXInputDialog withHelp(QStringLiteral("l"), nullptr, "catNameDlg", true,
                               BXInputDialog::LineEdit, QStringLiteral("browser-myfoods.html"));
        QVERIFY(!withHelp.helpButton()->isHidden());
    }
};

QTEST_MAIN(TestInputDialog)
#include "tst_inputdialog.moc"
